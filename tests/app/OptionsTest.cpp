#include "app/Options.h"
#include "platform/PlatformTypes.h"
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

bool ParseArgs(std::vector<const char*> args, COptions* options, std::string* error) {
    args.insert(args.begin(), "quibbo");
    return options->Parse(static_cast<int>(args.size()), args.data(), error);
}

struct Ev {
    int frame;
    uint32_t message;
    uint32_t vk;
};

void ExpectEvents(const std::vector<KeyScriptEvent>& got, const std::vector<Ev>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].frame, want[i].frame) << "event " << i;
        EXPECT_EQ(got[i].message, want[i].message) << "event " << i;
        EXPECT_EQ(got[i].vk, want[i].vk) << "event " << i;
    }
}

} // namespace

TEST(KeyScript, EventsExpandInOrder) {
    std::vector<KeyScriptEvent> events;
    std::string error;
    ASSERT_TRUE(
        ParseKeyScript("1:+up,94:-UP,5:fire,7:+Left,7:-left,3:+209,3:right", &events, &error))
        << error;
    ExpectEvents(events, {{1, WM_KEYDOWN, VK_UP},
                          {94, WM_KEYUP, VK_UP},
                          {5, WM_KEYDOWN, VK_RETURN},
                          {5, WM_KEYUP, VK_RETURN},
                          {7, WM_KEYDOWN, VK_LEFT},
                          {7, WM_KEYUP, VK_LEFT},
                          {3, WM_KEYDOWN, 209},
                          {3, WM_KEYDOWN, VK_RIGHT},
                          {3, WM_KEYUP, VK_RIGHT}});
}

TEST(KeyScript, FilesMaySpreadItemsOverLinesWithComments) {
    std::vector<KeyScriptEvent> events;
    std::string error;
    ASSERT_TRUE(
        ParseKeyScript("# walk up\n1:+up\n  40:-up , # stop\n\n41:+down\r\n", &events, &error))
        << error;
    ExpectEvents(events,
                 {{1, WM_KEYDOWN, VK_UP}, {40, WM_KEYUP, VK_UP}, {41, WM_KEYDOWN, VK_DOWN}});
}

TEST(KeyScript, MalformedItemsAreRejectedWithoutPartialResults) {
    const char* bad[] = {"0:up", "x:up", "1:",     "1:+",   "1:jump", "1:256", "1:0",
                         "up",   ":up",  "1:+-up", "-1:up", "1:up:2", "1: up"};
    for (const char* script : bad) {
        std::vector<KeyScriptEvent> events = {{9, WM_KEYDOWN, 1}};
        std::string error;
        EXPECT_FALSE(ParseKeyScript(std::string("2:up,") + script, &events, &error)) << script;
        EXPECT_FALSE(error.empty()) << script;
        EXPECT_EQ(events.size(), 1u) << script;
    }
}

TEST(Answers, OkAndCancelInAnyCase) {
    std::vector<int32_t> answers;
    std::string error;
    ASSERT_TRUE(ParseAnswers("ok,Cancel,OK", &answers, &error));
    EXPECT_EQ(answers, (std::vector<int32_t>{IDOK, IDCANCEL, IDOK}));
    EXPECT_FALSE(ParseAnswers("ok,maybe", &answers, &error));
    EXPECT_EQ(answers.size(), 3u);
}

TEST(Options, DefaultsLeaveThePlatformAlone) {
    COptions options;
    std::string error;
    ASSERT_TRUE(ParseArgs({}, &options, &error));
    PlatConfig defaults;
    EXPECT_FALSE(options.m_config.headless);
    EXPECT_EQ(options.m_config.dtMs, 16u);
    EXPECT_EQ(options.m_config.frames, defaults.frames);
    EXPECT_EQ(options.m_config.scale, defaults.scale);
    EXPECT_EQ(options.m_config.fps, defaults.fps);
    EXPECT_TRUE(options.m_config.sound);
    EXPECT_EQ(options.m_nLevel, 0);
    EXPECT_FALSE(options.m_bStats);
    EXPECT_FALSE(options.m_bSeed);
    EXPECT_TRUE(options.m_strCmdLine.empty());
}

TEST(Options, EveryOptionReachesItsField) {
    COptions options;
    std::string error;
    ASSERT_TRUE(ParseArgs({"--headless",
                           "--frames",
                           "300",
                           "--dt=20",
                           "--keys=1:+up,2:fire",
                           "--answers",
                           "ok,cancel",
                           "--screenshot",
                           "x.bmp",
                           "--stats",
                           "--seed",
                           "4294967295",
                           "--levels",
                           "/tmp",
                           "--scale",
                           "3",
                           "--fullscreen",
                           "--fps",
                           "0",
                           "--nosound",
                           "--level",
                           "12",
                           "--record",
                           "r.qrun"},
                          &options, &error))
        << error;
    EXPECT_TRUE(options.m_config.headless);
    EXPECT_EQ(options.m_config.frames, 300);
    EXPECT_EQ(options.m_config.dtMs, 20u);
    EXPECT_EQ(options.m_keys.size(), 3u);
    EXPECT_EQ(options.m_answers, (std::vector<int32_t>{IDOK, IDCANCEL}));
    EXPECT_EQ(options.m_strScreenshot, "x.bmp");
    EXPECT_TRUE(options.m_bStats);
    EXPECT_TRUE(options.m_bSeed);
    EXPECT_EQ(options.m_dwSeed, 4294967295u);
    EXPECT_EQ(options.m_strLevelsDir, "/tmp/");
    EXPECT_EQ(options.m_config.scale, 3);
    EXPECT_TRUE(options.m_config.fullscreen);
    EXPECT_EQ(options.m_config.fps, 0);
    EXPECT_FALSE(options.m_config.sound);
    EXPECT_EQ(options.m_nLevel, 12);
    EXPECT_EQ(options.m_strRecord, "r.qrun");
    COptions replay;
    ASSERT_TRUE(ParseArgs({"--replay", "r.qrun", "--headless", "--stats"}, &replay, &error))
        << error;
    EXPECT_EQ(replay.m_strReplay, "r.qrun");
}

// The access word is looked for in these words only: a folder or file named
// after it, given to an option, switches nothing on.
TEST(Options, OnlyFreeWordsMakeTheCommandLineText) {
    COptions options;
    std::string error;
    ASSERT_TRUE(ParseArgs({"xxalwaysTHEwalrusxx", "--headless", "--levels=/tmp", "more",
                           "--screenshot", "alwaysthewalrus.bmp", "--", "--stats"},
                          &options, &error));
    EXPECT_EQ(options.m_strCmdLine, "xxalwaysTHEwalrusxx more --stats");
    EXPECT_EQ(options.m_strScreenshot, "alwaysthewalrus.bmp");
    EXPECT_EQ(options.m_strLevelsDir, "/tmp/");
    EXPECT_FALSE(options.m_bStats);
}

TEST(Options, BadCommandLinesNameTheProblem) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"-x"},
        {"--frames"},
        {"--seed", "4294967296"},
        {"--scale", "0"},
        {"--headless=yes"},
        {"--headless", "--keys", "0:up"},
        {"--headless", "--answers", "maybe"},
        {"--keys", "1:up"},
        {"--screenshot", ""},
        {"--headless", "--keys", "@/nonexistent/quibbo-keys.txt"},
        {"--level", "-1"},
        {"--level", "one"},
        {"--level", "10000"},
        // A replay is the run's own game: its keys, seed, level and words.
        {"--replay", "r.qrun", "--headless", "--keys", "1:up"},
        {"--replay", "r.qrun", "--seed", "3"},
        {"--replay", "r.qrun", "--level", "2"},
        {"--replay", "r.qrun", "--record", "s.qrun"},
        {"--replay", "r.qrun", "alwaysthewalrus"},
    };
    for (const auto& args : bad) {
        COptions options;
        std::string error;
        EXPECT_FALSE(ParseArgs(args, &options, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(Options, NumbersReadTheSameInEveryOptionAndBothForms) {
    // --frames is the platform's option, --seed the game's own: one reader.
    for (const char* name : {"--frames", "--seed"}) {
        for (const char* text : {"+5", " 5", "5x", "-5", "1.5", "99999999999999999999"}) {
            for (bool joined : {false, true}) {
                const std::string arg = std::string(name) + "=" + text;
                COptions options;
                std::string error;
                EXPECT_FALSE(joined ? ParseArgs({arg.c_str()}, &options, &error)
                                    : ParseArgs({name, text}, &options, &error))
                    << arg;
                EXPECT_NE(error.find(std::string(name) + " needs a whole number"),
                          std::string::npos)
                    << error;
                EXPECT_NE(error.find(std::string("\"") + text + "\""), std::string::npos) << error;
            }
        }
        for (bool joined : {false, true}) {
            const std::string arg = std::string(name) + "=5";
            COptions options;
            std::string error;
            ASSERT_TRUE(joined ? ParseArgs({arg.c_str()}, &options, &error)
                               : ParseArgs({name, "5"}, &options, &error))
                << error;
            EXPECT_EQ(name[2] == 'f' ? uint32_t(options.m_config.frames) : options.m_dwSeed, 5u);
        }
    }
}

TEST(Options, KeysFromAFile) {
    std::string path = testing::TempDir() + "quibbo-keys-test.txt";
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("1:+up\n94:-up\n", f);
    std::fclose(f);
    COptions options;
    std::string error;
    std::string arg = "@" + path;
    ASSERT_TRUE(ParseArgs({"--headless", "--keys", arg.c_str()}, &options, &error)) << error;
    ExpectEvents(options.m_keys, {{1, WM_KEYDOWN, VK_UP}, {94, WM_KEYUP, VK_UP}});

    // A device whose files are not all the player's (the page) reads
    // scripts only from under its own folder, however the path is spelt.
    const std::string own = std::filesystem::path(testing::TempDir()).lexically_normal().string();
    const std::string other = own + "elsewhere/";
    const std::string around = "@" + other + "../quibbo-keys-test.txt";
    const struct {
        std::string folder;
        std::string arg;
        bool read;
    } confined[] = {{own, arg, true}, {other, arg, false}, {other, around, false}};
    for (const auto& c : confined) {
        COptions options;
        options.m_strKeyScriptFolder = c.folder;
        std::string error;
        EXPECT_EQ(ParseArgs({"--headless", "--keys", c.arg.c_str()}, &options, &error), c.read)
            << c.folder << " " << c.arg << ": " << error;
        EXPECT_EQ(options.m_keys.size(), c.read ? 2u : 0u) << c.arg;
    }
    std::remove(path.c_str());
}

TEST(Options, KeyFilesThatCannotBeReadWhollyAreRefused) {
    // A file without end would otherwise be read until the memory runs out,
    // and a folder opens but reads as nothing, which ran the game without
    // its keys.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"@/dev/zero", "larger than"},
#ifdef _WIN32
        {"@" + testing::TempDir(), "cannot open"}, // Windows opens no folder as a file
#else
        {"@" + testing::TempDir(), "cannot read"},
#endif
        {"@/nonexistent/quibbo-keys.txt", "cannot open"},
    };
    for (const auto& [arg, problem] : cases) {
        COptions options;
        std::string error;
        EXPECT_FALSE(ParseArgs({"--headless", "--keys", arg.c_str()}, &options, &error)) << arg;
        EXPECT_NE(error.find(problem), std::string::npos) << arg << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_TRUE(options.m_keys.empty());
    }
}

TEST(Options, LevelsMustNameAFolder) {
    // Either used to play the built-in level without a word.
    const std::string file = testing::TempDir() + "quibbo-levels-test.txt";
    FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {file, "is not a folder"},
        {"/nonexistent/quibbo-levels", "does not exist"},
    };
    for (const auto& [path, problem] : cases) {
        COptions options;
        std::string error;
        EXPECT_FALSE(ParseArgs({"--levels", path.c_str()}, &options, &error)) << path;
        EXPECT_EQ(error, "--levels: " + path + " " + problem);
    }
    std::remove(file.c_str());
    COptions options;
    std::string error;
    ASSERT_TRUE(ParseArgs({"--levels", testing::TempDir().c_str()}, &options, &error)) << error;
}

TEST(Options, HelpStopsParsing) {
    COptions options;
    std::string error;
    ASSERT_TRUE(ParseArgs({"--help", "--bogus"}, &options, &error));
    EXPECT_TRUE(options.m_bHelp);
    std::string usage = UsageText();
    for (const char* option :
         {"--headless", "--frames N", "--dt MS", "--keys SCRIPT", "--answers LIST",
          "--screenshot FILE", "--stats", "--seed N", "--levels DIR", "--level N", "--scale N",
          "--fullscreen", "--fps N", "--nosound", "--set NAME=VALUE", "reduce_flashes"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
        // The folders named are the ones this system's player knows.
#ifdef _WIN32
    EXPECT_EQ(usage.find("~/"), std::string::npos);
    EXPECT_EQ(usage.find("XDG"), std::string::npos);
    EXPECT_NE(usage.find("%LOCALAPPDATA%\\Quibbo\\levels\\"), std::string::npos);
#else
    EXPECT_NE(usage.find("~/.local/share/quibbo/levels/"), std::string::npos);
#endif
    // A console 80 columns wide (Windows' is, as it comes) wraps a line of
    // 80 or more in the middle of a word.
    size_t start = 0;
    for (size_t end; (end = usage.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 79u) << usage.substr(start, end - start);
    EXPECT_EQ(start, usage.size()) << "the help ends with its last line's end";
}
