// What the game remembers: the records and their text, the keeper with a
// store in memory (damaged bytes kept aside, writes only when allowed), and
// whole headless games: --keep-progress, --continue, C on the title and
// replays that neither read nor write it.
#include "../world/WorldTestKit.h"
#include "app/GameRun.h"
#include "app/ProgressKeeper.h"
#include "app/RunStats.h"
#include "platform/headless/Headless.h"
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A store in memory; runs are kept as "r" and their passes.
class CMemoryProgress : public CProgressStorage {
public:
    bool Read(std::vector<uint8_t>* bytes, bool* missing, std::string* why) override {
        *missing = !m_bPresent;
        if (m_bUnreadable)
            *why = "no access";
        *bytes = m_bytes;
        return m_bPresent && !m_bUnreadable;
    }
    bool Write(const std::vector<uint8_t>& bytes, std::string*) override {
        m_bytes = bytes;
        m_bPresent = true;
        m_bUnreadable = false;
        ++m_nWrites;
        return true;
    }
    bool KeepAside(std::string* where, std::string*) override {
        m_aside.push_back(m_bytes);
        m_bPresent = false;
        *where = "aside";
        return true;
    }
    std::string RunCode(const RunRecord& run) override {
        m_lastRun = run;
        return "r" + std::to_string(run.tape.passes);
    }
    std::string Where() const override { return "memory"; }

    Progress Kept() const {
        Progress progress;
        std::string why;
        EXPECT_TRUE(ProgressFromJson(std::string(m_bytes.begin(), m_bytes.end()), &progress, &why))
            << why;
        return progress;
    }
    void Put(const std::string& text) {
        m_bytes.assign(text.begin(), text.end());
        m_bPresent = true;
    }

    std::vector<uint8_t> m_bytes;
    bool m_bPresent = false;
    bool m_bUnreadable = false;
    int m_nWrites = 0;
    std::vector<std::vector<uint8_t>> m_aside;
    RunRecord m_lastRun;
};

Progress Sample() {
    Progress progress;
    SetProgress set;
    set.name = "/levels/with \"quotes\"\\ and\ttab";
    set.furthest = "QB02.BMP";
    set.levels.push_back({"built-in", 0xDEADBEEF, false, 4321, 120, "rABC-_"});
    set.levels.push_back({"QB01.BMP", 7, true, 0, 0, ""});
    set.games.push_back({300, 2, "2026-12-10", false});
    set.games.push_back({90, 1, "2026-12-09", true});
    progress.sets.push_back(set);
    progress.sets.push_back(SetProgress{"campaign", "", true, {}, {}});
    return progress;
}

} // namespace

TEST(ProgressText, ReadsBackWhatItWrites) {
    const Progress progress = Sample();
    Progress read;
    std::string why;
    ASSERT_TRUE(ProgressFromJson(ProgressToJson(progress), &read, &why)) << why;
    EXPECT_EQ(ProgressToJson(read), ProgressToJson(progress));
    ASSERT_EQ(read.sets.size(), 2u);
    EXPECT_EQ(read.sets[0].name, progress.sets[0].name);
    EXPECT_EQ(read.sets[0].levels[0].crc, 0xDEADBEEFu);
    EXPECT_EQ(read.sets[0].levels[0].run, "rABC-_");
    EXPECT_TRUE(read.sets[0].levels[1].assisted);
    EXPECT_TRUE(read.sets[1].won);
    // Keys in another order, blanks and unknown keys are fine.
    ASSERT_TRUE(ProgressFromJson(" { \"sets\" : [ { \"games\": [], \"levels\": [], \"set\": \"x\","
                                 " \"new\": [1, {\"a\": null}] } ] , \"version\" : 1 } ",
                                 &read, &why))
        << why;
    EXPECT_EQ(read.sets[0].name, "x");
}

TEST(ProgressText, RefusesDamagedOrUnboundedText) {
    const std::string good = ProgressToJson(Sample());
    const std::string longName(kMaxProgressWords + 1, 'a');
    std::string manyLevels = "{\"version\": 1, \"sets\": [{\"set\": \"x\", \"games\": [], "
                             "\"levels\": [";
    for (size_t i = 0; i <= kMaxProgressLevels; ++i)
        manyLevels += std::string(i ? "," : "") +
                      "{\"file\": \"QB00.BMP\", \"crc\": 1, \"time_ms\": 1, \"score\": 1}";
    manyLevels += "]}]}";
    const std::string deep = std::string(20, '[') + std::string(20, ']');
    const std::string cases[] = {
        "",
        good.substr(0, good.size() / 2),
        good + "x",
        "{\"version\": 2, \"sets\": []}",
        "{\"version\": 1}",
        "{\"version\": 1, \"sets\": [{\"set\": \"" + longName +
            "\", \"levels\": [], \"games\": []}]}",
        "{\"version\": 1, \"sets\": [{\"set\": \"x\", \"levels\": [{\"file\": \"QB00.BMP\", "
        "\"crc\": 4294967296, \"time_ms\": 1, \"score\": 1}], \"games\": []}]}",
        "{\"version\": 1, \"sets\": [{\"set\": \"x\", \"levels\": [], \"games\": [{\"score\": -1, "
        "\"levels\": 0, \"date\": \"\"}]}]}",
        "{\"version\": 1, \"sets\": [{\"set\": \"x\\q\", \"levels\": [], \"games\": []}]}",
        "{\"version\": +1, \"sets\": []}",
        manyLevels,
        "{\"version\": 1, \"sets\": " + deep + "}",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text.substr(0, 120));
        Progress read = Sample();
        std::string why;
        EXPECT_FALSE(ProgressFromJson(text, &read, &why));
        EXPECT_TRUE(read.sets.empty());
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(why.find('\n'), std::string::npos);
    }
}

TEST(ProgressRecords, BestsHoldOnlyForTheSameBytesAndKind) {
    SetProgress set;
    LevelBest* best = nullptr;
    EXPECT_TRUE(RecordLevelWin(&set, "QB03.BMP", 11, false, 5000, 40, &best));
    best->run = "r1";
    EXPECT_FALSE(RecordLevelWin(&set, "QB03.BMP", 11, false, 6000, 90, &best));
    EXPECT_EQ(best->timeMs, 5000);
    EXPECT_EQ(best->score, 90); // the best score stands on its own
    EXPECT_EQ(best->run, "r1"); // the run goes with the time
    EXPECT_TRUE(RecordLevelWin(&set, "QB03.BMP", 11, false, 4999, 10, &best));
    EXPECT_EQ(best->run, "");
    // Assisted results are apart; other bytes are another level.
    EXPECT_TRUE(RecordLevelWin(&set, "QB03.BMP", 11, true, 9000, 10, &best));
    EXPECT_EQ(FindBest(set, "QB03.BMP", 11, false)->timeMs, 4999);
    EXPECT_EQ(FindBest(set, "QB03.BMP", 11, true)->timeMs, 9000);
    EXPECT_EQ(FindBest(set, "QB03.BMP", 12, false), nullptr);
    EXPECT_TRUE(RecordLevelWin(&set, "QB03.BMP", 12, false, 7000, 5, &best));
    EXPECT_EQ(FindBest(set, "QB03.BMP", 11, false), nullptr);
    EXPECT_EQ(best->score, 5);
    EXPECT_EQ(set.levels.size(), 2u);

    RecordReached(&set, "QB02.BMP");
    RecordReached(&set, "QB10.BMP");
    RecordReached(&set, "QB09.BMP");
    EXPECT_EQ(set.furthest, "QB10.BMP");
    EXPECT_EQ(LevelNumberOfFile("built-in"), 0);
    EXPECT_EQ(LevelNumberOfFile("QB123.BMP"), 123);
    EXPECT_EQ(LevelNumberOfFile("QB+1.BMP"), -1);
    EXPECT_EQ(LevelNumberOfFile("levels.txt"), -1);
}

TEST(ProgressRecords, TheTenBestGamesOfEachKind) {
    SetProgress set;
    for (int score = 10; score <= 100; score += 10)
        EXPECT_EQ(RecordGame(&set, {score, 1, "d", false}), 1);
    EXPECT_EQ(RecordGame(&set, {5, 0, "d", false}), 0);       // below all ten
    EXPECT_EQ(RecordGame(&set, {50, 0, "tie", false}), 7);    // below the 50 already there
    EXPECT_EQ(RecordGame(&set, {1, 0, "assisted", true}), 1); // a table of its own
    EXPECT_EQ(set.games.size(), 11u);
    EXPECT_EQ(set.games.front().score, 100);
    int plain = 0;
    for (const GameResult& game : set.games)
        plain += game.assisted ? 0 : 1;
    EXPECT_EQ(plain, 10);
    EXPECT_EQ(set.games[9].score, 20); // 10 dropped out
}

TEST(ProgressKeeper, ADamagedStoreIsKeptAsideAtTheNextWriteOnly) {
    CMemoryProgress store;
    store.Put("{\"version\": 1, \"sets\": [");
    const std::vector<uint8_t> damaged = store.m_bytes;
    testing::internal::CaptureStderr();
    g_progress.Open(&store, "campaign", true, false);
    const std::string said = testing::internal::GetCapturedStderr();
#ifndef __EMSCRIPTEN__ // node writes stderr past the descriptor GoogleTest captures
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
#endif
    EXPECT_EQ(g_progress.ContinueLevel(), 0);
    EXPECT_EQ(store.m_nWrites, 0);
    EXPECT_TRUE(store.m_aside.empty());

    g_progress.LevelWon("QB00.BMP", 5, 1000, 10, "QB01.BMP", RunRecord());
    ASSERT_EQ(store.m_aside.size(), 1u);
    EXPECT_EQ(store.m_aside[0], damaged);
    EXPECT_EQ(store.Kept().sets[0].furthest, "QB01.BMP");
    // Set aside once: the next write replaces the fresh file.
    g_progress.GameOver(10, 1, "2026-12-10");
    EXPECT_EQ(store.m_aside.size(), 1u);
    EXPECT_EQ(store.m_nWrites, 2);

    // Unreadable is damaged too; without leave to write, nothing moves.
    store.m_bUnreadable = true;
    testing::internal::CaptureStderr();
    g_progress.Open(&store, "campaign", false, false);
    const std::string unreadable = testing::internal::GetCapturedStderr();
#ifndef __EMSCRIPTEN__
    EXPECT_FALSE(unreadable.empty());
#endif
    g_progress.LevelWon("QB00.BMP", 5, 900, 10, "QB01.BMP", RunRecord());
    EXPECT_EQ(store.m_aside.size(), 1u);
    EXPECT_EQ(store.m_nWrites, 2);
    g_progress.Close();
}

// Whole headless games on two one-dot levels, keeping progress in memory.
class ProgressRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_strFolder = ScratchFolder();
        WriteLevelFile(m_strFolder, "QB00.BMP", kOneDotLevel);
        WriteLevelFile(m_strFolder, "QB01.BMP", kOneDotLevel);
        UseProgressStorage(&m_store);
    }
    void TearDown() override {
        UseProgressStorage(nullptr);
        std::filesystem::remove_all(m_strFolder);
    }
    COptions Options(int frames, const std::string& keys) {
        COptions options;
        options.m_config.headless = true;
        options.m_config.frames = frames;
        options.m_strLevelsDir = m_strFolder;
        std::string error;
        EXPECT_TRUE(ParseKeyScript(keys, &options.m_keys, &error)) << error;
        return options;
    }

    std::string m_strFolder;
    CMemoryProgress m_store;
    CRunStats m_stats;
};

// The title and the level's card are over by frame 440: walking up from
// there eats the dot on the 31st frame.
TEST_F(ProgressRunTest, AHeadlessRunKeepsProgressOnlyWhenAsked) {
    COptions options = Options(500, "450:+up");
    EXPECT_EQ(RunGame(options, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_events[EV_LAST_DOT], 1);
    EXPECT_EQ(m_store.m_nWrites, 0);

    options.m_bKeepProgress = true;
    EXPECT_EQ(RunGame(options, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_store.m_nWrites, 1);
    const int32_t later = m_store.Kept().sets[0].levels[0].timeMs;
    // Ten frames sooner is 160 ms better, and the title's and the card's
    // 438 frames are not in it.
    options = Options(500, "440:+up");
    options.m_bKeepProgress = true;
    EXPECT_EQ(RunGame(options, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_store.m_nWrites, 2);
    const Progress kept = m_store.Kept();
    ASSERT_EQ(kept.sets.size(), 1u);
    const SetProgress& set = kept.sets[0];
    EXPECT_EQ(set.name, std::filesystem::path(m_strFolder).lexically_normal().string());
    EXPECT_EQ(set.furthest, "QB01.BMP");
    ASSERT_EQ(set.levels.size(), 1u);
    EXPECT_EQ(set.levels[0].file, "QB00.BMP");
    EXPECT_EQ(set.levels[0].crc, LastRecordedRun().levels.files[0].crc);
    EXPECT_EQ(set.levels[0].score, 10);
    EXPECT_EQ(later - set.levels[0].timeMs, 160);
    EXPECT_LT(set.levels[0].timeMs, 40 * 16);
    EXPECT_EQ(set.levels[0].run, "r" + std::to_string(m_store.m_lastRun.tape.passes));

    // The run kept with the best replays to the win.
    COptions again = Options(0, "");
    std::string why;
    ASSERT_TRUE(PrepareReplay(m_store.m_lastRun, m_strFolder + "scratch/", &again, &why)) << why;
    CRunStats replayed;
    RunGame(again, HeadlessMakeBackend, &replayed, &m_store.m_lastRun);
    EXPECT_EQ(replayed.m_events[EV_LAST_DOT], 1);
    EXPECT_EQ(replayed.m_nScore, 10);
}

TEST_F(ProgressRunTest, ContinueStartsAtTheFurthestLevelAndRecordsIt) {
    COptions options = Options(500, "440:+up");
    options.m_bKeepProgress = true;
    EXPECT_EQ(RunGame(options, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    const int writes = m_store.m_nWrites;

    COptions resume = Options(10, "");
    resume.m_bContinue = true;
    EXPECT_EQ(RunGame(resume, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nLevel, 1);
    EXPECT_EQ(m_stats.m_nScore, 0);
    EXPECT_EQ(m_stats.m_nLives, 5);
    const RunRecord run = LastRecordedRun();
    EXPECT_EQ(run.startLevel, 1);

    // The replay starts where the run did, whatever is kept now, and
    // writes nothing.
    m_store.Put("not progress at all");
    COptions again = Options(0, "");
    std::string why;
    ASSERT_TRUE(PrepareReplay(run, m_strFolder + "scratch/", &again, &why)) << why;
    CRunStats replayed;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunGame(again, HeadlessMakeBackend, &replayed, &run), EXIT_NORMAL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // not even read
    EXPECT_EQ(replayed.m_nLevel, 1);
    EXPECT_EQ(m_store.m_nWrites, writes);

    // The whole set won: --continue is a new game.
    COptions both = Options(1000, "440:+up,610:+up");
    both.m_bKeepProgress = true;
    both.m_strCmdLine = ""; // a plain game
    EXPECT_EQ(RunGame(both, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_events[EV_LAST_DOT], 2);
    EXPECT_TRUE(m_store.Kept().sets[0].won);
    EXPECT_EQ(RunGame(resume, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nLevel, 0);
}

// C while the title shows: a new game at the furthest level, recorded from
// its own first frame; the script goes on counting frames where it was.
TEST_F(ProgressRunTest, COnTheTitleContinuesAsARunOfItsOwn) {
    COptions options = Options(500, "440:+up");
    options.m_bKeepProgress = true;
    EXPECT_EQ(RunGame(options, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);

    COptions title = Options(30, "20:continue");
    EXPECT_EQ(RunGame(title, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nLevel, 1);
    EXPECT_EQ(m_stats.m_nFrames, 30);
    EXPECT_EQ(LastRecordedRun().startLevel, 1);
    // The first game ended before its frame 20 ran: 19 frames there, 11 here.
    EXPECT_EQ(LastRecordedRun().tape.passes, 11u);

    // Without progress C is a key like any other.
    UseProgressStorage(nullptr);
    EXPECT_EQ(RunGame(title, HeadlessMakeBackend, &m_stats), EXIT_NORMAL);
    EXPECT_EQ(m_stats.m_nLevel, 0);
    EXPECT_EQ(LastRecordedRun().startLevel, 0);
}
