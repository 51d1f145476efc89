// Levels through whole link codes (body, raw deflate, framing) and back,
// and the inflate that a hostile code cannot blow up. Native only: the
// browser build has no zlib.
#include "platform/LinkCode.h"
#include "platform/WholeFile.h"
#include "platform/zlib/RawDeflate.h"
#include "res/ResourceIds.h"
#include "scene/LevelCode.h"
#include "scene/LevelText.h"
#include "scene/MazeTestLevels.h"
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// What `leveltool link` prints before the code.
const size_t kAddressChars = std::string("http://127.0.0.1:8000/#level=").size();

std::string CodeOf(const LevelGrid& grid) {
    std::vector<uint8_t> body;
    std::string error;
    EXPECT_TRUE(MakeLevelCodeBody(grid, &body, &error)) << error;
    return MakeDeflatedLinkCode(kLevelCodeFormat, body.data(), body.size());
}

// The level file a code carries, or empty with the reason.
std::vector<uint8_t> LevelFileOf(const std::string& code, std::string* error) {
    std::vector<uint8_t> body;
    LevelGrid grid;
    if (!ReadDeflatedLinkCode(code, kLevelCodeFormat, kMaxLevelCodeBodyBytes, &body, error) ||
        !ReadLevelCodeBody(body.data(), body.size(), &grid, error))
        return {};
    return MakeLevelBitmap(grid);
}

} // namespace

TEST(LevelLink, EveryCampaignLevelAndTheBuiltInOneComeBackByteForByte) {
    std::vector<std::pair<std::string, LevelGrid>> levels(1);
    std::string error;
    levels[0].first = "built-in level 130";
    ASSERT_TRUE(ReadLevelResource(IDB_LEVEL, &levels[0].second, &error)) << error;
    std::vector<std::string> maps;
    for (const auto& entry : std::filesystem::directory_iterator(QUIBBO_CAMPAIGN_MAPS)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 8 && name.compare(0, 2, "QB") == 0 && entry.path().extension() == ".txt")
            maps.push_back(entry.path().string());
    }
    std::sort(maps.begin(), maps.end());
    for (const std::string& path : maps) {
        std::vector<uint8_t> text;
        ASSERT_TRUE(ReadWholeFile(path.c_str(), kMaxLevelFileBytes, &text, &error)) << error;
        levels.emplace_back(std::filesystem::path(path).stem().string(), LevelGrid());
        ASSERT_TRUE(
            ParseLevelText(std::string(text.begin(), text.end()), &levels.back().second, &error))
            << path << ": " << error;
    }
    for (const auto& [name, grid] : levels) {
        SCOPED_TRACE(name);
        const std::string code = CodeOf(grid);
        EXPECT_EQ(MakeLevelBitmap(grid), LevelFileOf(code, &error)) << error;
        // Not a test of a limit (the page's needs are met by a wide margin):
        // the lengths are printed for whoever weighs the format.
        std::printf("link of %s (%d x %d): %zu characters\n", name.c_str(), grid.width, grid.height,
                    kAddressChars + code.size());
    }
}

TEST(LevelLink, ACutChangedOrForeignCodeIsRefusedInOneLine) {
    const LevelGrid grid = GridFromText("=a 70 10 20 30\n"
                                        "#######\n"
                                        "#P.o.a#\n"
                                        "#.###.#\n"
                                        "#..G.E#\n"
                                        "#######\n");
    const std::string code = CodeOf(grid);
    std::string error;
    ASSERT_FALSE(LevelFileOf(code, &error).empty()) << error;
    std::vector<std::string> bad;
    for (size_t size = 0; size < code.size(); ++size)
        bad.push_back(code.substr(0, size));
    // Every character in turn replaced by another of the alphabet.
    for (size_t i = 1; i < code.size(); ++i) {
        std::string changed = code;
        changed[i] = changed[i] == 'A' ? '_' : 'A';
        bad.push_back(changed);
    }
    bad.push_back("2" + code.substr(1));
    bad.push_back(code + "AAAA");                            // bytes past the stream's end
    bad.push_back(code.substr(0, 5) + "*" + code.substr(6)); // outside the alphabet
    bad.push_back(std::string(kMaxLinkCodeChars + 1, '1'));  // far too long
    for (const std::string& b : bad) {
        error.clear();
        EXPECT_TRUE(LevelFileOf(b, &error).empty()) << b.substr(0, 60);
        EXPECT_FALSE(error.empty()) << b.substr(0, 60);
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
        EXPECT_TRUE(error.rfind("the link", 0) == 0) << error;
    }
}

TEST(LevelLink, InflateStopsAtItsCapAndRefusesBrokenStreams) {
    // 20 MB of zeros deflate to a few kilobytes: a code a chat would carry.
    const std::vector<uint8_t> bomb(20u << 20, 0);
    const std::vector<uint8_t> packed = RawDeflate(bomb.data(), bomb.size());
    ASSERT_FALSE(packed.empty());
    EXPECT_LT(packed.size(), 64u << 10);
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_FALSE(RawInflate(packed.data(), packed.size(), kMaxLevelCodeBodyBytes, &out, &error));
    EXPECT_EQ("the link's code unpacks to more than any level can be", error);
    EXPECT_TRUE(out.empty());
    // Exactly the cap is fine; one byte less than the data is not.
    const std::vector<uint8_t> some(100000, 7);
    const std::vector<uint8_t> small = RawDeflate(some.data(), some.size());
    EXPECT_TRUE(RawInflate(small.data(), small.size(), some.size(), &out, &error)) << error;
    EXPECT_EQ(some, out);
    EXPECT_FALSE(RawInflate(small.data(), small.size(), some.size() - 1, &out, &error));

    const struct {
        const char* name;
        std::vector<uint8_t> stream;
        const char* reason;
    } cases[] = {
        {"empty", {}, "the link's code is cut short"},
        {"cut", std::vector<uint8_t>(small.begin(), small.end() - 1), "cut short"},
        {"reserved block type", {0x07, 0x00}, "damaged"},
        {"stored block with a bad length check", {0x01, 0x01, 0x00, 0x00, 0x00}, "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(RawInflate(c.stream.data(), c.stream.size(), some.size(), &out, &error));
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        EXPECT_TRUE(out.empty());
    }
}
