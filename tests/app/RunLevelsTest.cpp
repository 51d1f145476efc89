// The levels of a run: a folder is described as the game would play it, a
// replay finds the folder that holds exactly those files (or says which is
// missing where), and a single level carried in the run is written back as
// the very file it was played from.
#include "app/RunLevels.h"
#include "../world/WorldTestKit.h"
#include "platform/LinkCode.h"
#include "platform/Resources.h"
#include "platform/WholeFile.h"
#include "res/ResourceIds.h"
#include "scene/LevelCode.h"
#include "scene/LevelText.h"
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char* const kLevelA = "######\n#P.oE#\n######\n";
const char* const kLevelB = "=a 7 10 20 30\n#####\n#P.o#\n#.aE#\n#####\n";

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path.c_str(), 1u << 20, &bytes, nullptr)) << path;
    return bytes;
}

RunLevelFile FileOf(uint8_t number, const std::string& path) {
    const std::vector<uint8_t> bytes = FileBytes(path);
    return {number, uint32_t(bytes.size()), Crc32(bytes.data(), bytes.size())};
}

uint32_t BuiltinCrc() {
    const unsigned char* data = nullptr;
    size_t size = 0;
    EXPECT_TRUE(PlatFindResource(IDB_LEVEL, PLAT_RT_BITMAP, &data, &size));
    return Crc32(data, size);
}

void ExpectFiles(const std::vector<RunLevelFile>& want, const std::vector<RunLevelFile>& got) {
    ASSERT_EQ(want.size(), got.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(want[i].number, got[i].number) << i;
        EXPECT_EQ(want[i].size, got[i].size) << i;
        EXPECT_EQ(want[i].crc, got[i].crc) << i;
    }
}

std::string Hex(uint32_t crc) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", crc);
    return text;
}

} // namespace

TEST(RunLevels, AFolderIsDescribedAsTheGameWouldPlayIt) {
    // Nothing: the built-in level and nothing after it.
    const std::string empty = ScratchFolder();
    RunLevels levels = DescribeRunLevels(empty);
    EXPECT_TRUE(levels.builtinFirst);
    EXPECT_EQ(levels.builtinCrc, BuiltinCrc());
    EXPECT_TRUE(levels.files.empty());
    EXPECT_TRUE(levels.levelBody.empty());

    // A campaign after the built-in level, with a gap, and a file too small
    // for the game to count; the folder named without its slash.
    const std::string campaign = ScratchFolder();
    const std::string one = WriteLevelFile(campaign, "QB01.BMP", kLevelA);
    const std::string two = WriteLevelFile(campaign, "QB02.BMP", kLevelB);
    WriteBytes(campaign, "QB03.BMP", 99, 'x');
    const std::string five =
        WriteBytes(campaign, "QB05.BMP", 300, 'x'); // not a level: still played
    levels = DescribeRunLevels(campaign.substr(0, campaign.size() - 1));
    EXPECT_TRUE(levels.builtinFirst);
    EXPECT_EQ(levels.builtinCrc, BuiltinCrc());
    ExpectFiles({FileOf(1, one), FileOf(2, two), FileOf(5, five)}, levels.files);
    EXPECT_TRUE(levels.levelBody.empty());

    // Its own first level: no built-in one.
    const std::string own = ScratchFolder();
    const std::string zero = WriteLevelFile(own, "QB00.BMP", kLevelA);
    const std::string next = WriteLevelFile(own, "QB01.BMP", kLevelB);
    levels = DescribeRunLevels(own);
    EXPECT_FALSE(levels.builtinFirst);
    EXPECT_EQ(levels.builtinCrc, 0u);
    ExpectFiles({FileOf(0, zero), FileOf(1, next)}, levels.files);

    // A single QB00.BMP that the game would not have written as it is (bytes
    // after the rows) or that is no level stays a file: only the same bytes
    // would surely play the same.
    for (const bool isLevel : {true, false}) {
        const std::string single = ScratchFolder();
        const std::string path = isLevel ? WriteLevelFile(single, "QB00.BMP", kLevelB)
                                         : WriteBytes(single, "QB00.BMP", 300, 'x');
        if (isLevel) {
            std::vector<uint8_t> bytes = FileBytes(path);
            bytes.push_back(0);
            ASSERT_TRUE(WriteWholeFile(path.c_str(), bytes));
            LevelGrid grid;
            ASSERT_TRUE(ReadLevelFile(path.c_str(), &grid, nullptr)) << "still a level";
        }
        levels = DescribeRunLevels(single);
        EXPECT_FALSE(levels.builtinFirst);
        EXPECT_TRUE(levels.levelBody.empty());
        ExpectFiles({FileOf(0, path)}, levels.files);
    }
}

TEST(RunLevels, AReplayFindsTheFolderWithExactlyTheSameFiles) {
    const std::string played = ScratchFolder();
    const std::string zero = WriteLevelFile(played, "QB00.BMP", kLevelA);
    const std::string one = WriteLevelFile(played, "QB01.BMP", kLevelB);
    const RunLevels levels = DescribeRunLevels(played);
    ASSERT_EQ(levels.files.size(), 2u);
    const std::string wantOne = "QB01.BMP (" + std::to_string(levels.files[1].size) +
                                " bytes, CRC " + Hex(levels.files[1].crc) + ")";

    const std::string missing = ScratchFolder(); // QB00.BMP only
    WriteLevelFile(missing, "QB00.BMP", kLevelA);
    const std::string changed = ScratchFolder(); // QB01.BMP of the same size, a cell changed
    WriteLevelFile(changed, "QB00.BMP", kLevelA);
    WriteLevelFile(changed, "QB01.BMP", "=a 7 10 20 30\n#####\n#P.o#\n#a.E#\n#####\n");
    const std::string extra = ScratchFolder(); // the set and one level more
    WriteLevelFile(extra, "QB00.BMP", kLevelA);
    WriteLevelFile(extra, "QB01.BMP", kLevelB);
    WriteLevelFile(extra, "QB02.BMP", kLevelA);
    const std::string same = ScratchFolder();
    WriteLevelFile(same, "QB00.BMP", kLevelA);
    WriteLevelFile(same, "QB01.BMP", kLevelB);

    std::string folder, why;
    ASSERT_TRUE(FindRunLevels(levels, {missing, changed, extra, same.substr(0, same.size() - 1)},
                              "", &folder, &why))
        << why;
    EXPECT_EQ(folder, same);
    EXPECT_TRUE(why.empty());

    const struct {
        std::vector<std::string> folders;
        std::string why;
    } refusals[] = {
        {{missing}, wantOne + " is not in " + missing},
        // Another QB01.BMP stands there: the words must not say there is none.
        {{changed},
         "the QB01.BMP in " + changed + " is not the run's" +
             wantOne.substr(std::string("QB01.BMP").size())},
        {{extra}, "QB02.BMP is in " + extra + ", but the run had no such level"},
        {{missing, changed, extra},
         wantOne + " is not in " + missing + " (nor in " + changed + ", " + extra + ")"},
        {{}, "there is no folder to look for its levels in"},
    };
    for (const auto& refusal : refusals) {
        folder = "stale";
        EXPECT_FALSE(FindRunLevels(levels, refusal.folders, "", &folder, &why));
        EXPECT_EQ(why, refusal.why);
        EXPECT_TRUE(folder.empty());
    }
}

TEST(RunLevels, TheBuiltInLevelMustBeThisQuibbos) {
    const RunLevels levels = DescribeRunLevels(ScratchFolder());
    const std::string none = ScratchFolder();
    const std::string own = ScratchFolder();
    WriteLevelFile(own, "QB00.BMP", kLevelA);
    std::string folder, why;
    EXPECT_TRUE(FindRunLevels(levels, {own, none}, "", &folder, &why)) << why;
    EXPECT_EQ(folder, none);

    EXPECT_FALSE(FindRunLevels(levels, {own}, "", &folder, &why));
    EXPECT_EQ(why, "QB00.BMP is in " + own + ", but the run had no such level");

    RunLevels other = levels;
    other.builtinCrc ^= 1;
    EXPECT_FALSE(FindRunLevels(other, {none}, "", &folder, &why));
    EXPECT_EQ(why, "it was played on a built-in level this Quibbo does not have");
}

TEST(RunLevels, ACarriedLevelIsWrittenBackAsTheFileItWasPlayedFrom) {
    const std::string played = ScratchFolder();
    const std::string path = WriteLevelFile(played, "QB00.BMP", kLevelB);
    const RunLevels levels = DescribeRunLevels(played);
    EXPECT_FALSE(levels.builtinFirst);
    EXPECT_TRUE(levels.files.empty());
    ASSERT_FALSE(levels.levelBody.empty());

    // Into a folder that is not there yet, and over one that an earlier
    // replay left levels in, which the game would go on to.
    const std::string fresh = ScratchFolder() + "replays/level";
    const std::string used = ScratchFolder();
    WriteLevelFile(used, "QB00.BMP", kLevelA);
    WriteLevelFile(used, "QB01.BMP", kLevelA);
    WriteLevelFile(used, "QB07.BMP", kLevelA);
    for (const std::string& scratch : {fresh, used}) {
        std::string folder, why;
        ASSERT_TRUE(FindRunLevels(levels, {played}, scratch, &folder, &why)) << why;
        EXPECT_EQ(folder, scratch.back() == '/' ? scratch : scratch + "/");
        EXPECT_EQ(FileBytes(folder + "QB00.BMP"), FileBytes(path)) << "the very file";
        const RunLevels again = DescribeRunLevels(folder);
        EXPECT_EQ(again.levelBody, levels.levelBody);
        EXPECT_TRUE(again.files.empty()) << "nothing after it";
    }

    // A scratch folder that cannot be made.
    const std::string blocked = ScratchFolder();
    WriteBytes(blocked, "file", 10, 'x');
    std::string folder, why;
    EXPECT_FALSE(FindRunLevels(levels, {}, blocked + "file/sub", &folder, &why));
    EXPECT_EQ(why, "cannot make the folder " + blocked + "file/sub/");

    // A level the game would not build, for the built-in level in its
    // place: refused, nothing written, rather than replayed on another level.
    LevelGrid crowd;
    crowd.width = crowd.height = 512;
    crowd.cells.assign(size_t(512) * 512, 3); // an enemy start on every cell
    crowd.cells[0] = 2;
    RunLevels heavy;
    ASSERT_TRUE(MakeLevelCodeBody(crowd, &heavy.levelBody, &why)) << why;
    const std::string none = ScratchFolder() + "heavy";
    EXPECT_FALSE(FindRunLevels(heavy, {}, none, &folder, &why));
    EXPECT_EQ(why.rfind("the run's level is more than the game plays: ", 0), 0u) << why;
    EXPECT_FALSE(std::filesystem::exists(none + "/QB00.BMP"));
}
