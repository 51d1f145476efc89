// A level as the body of a link's code: the same grid comes back, colours
// included, and a body no encoder wrote is refused with a reason.
#include "scene/LevelCode.h"
#include "MazeTestLevels.h"
#include "platform/LinkCode.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A small level with bytes the legend lacks and colours of its own.
LevelGrid ColouredGrid() {
    return GridFromText("=a 7 10 20 30\n"
                        "=b 200 1 2 3\n"
                        "=c 255\n"
                        "#####\n"
                        "#P.o#\n"
                        "#abc#\n"
                        "#####\n");
}

void PutU16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

// A body of the given fields with a check sum that matches them, so only
// the fields themselves can be what is refused.
std::vector<uint8_t> Sealed(int width, int height, const std::vector<LevelColour>& colours,
                            size_t cellBytes, size_t colourCount = size_t(-1)) {
    std::vector<uint8_t> body;
    PutU16(&body, uint32_t(width));
    PutU16(&body, uint32_t(height));
    PutU16(&body, uint32_t(colourCount == size_t(-1) ? colours.size() : colourCount));
    for (const LevelColour& c : colours)
        body.insert(body.end(), {c.index, c.red, c.green, c.blue});
    body.insert(body.end(), cellBytes, CELL_CORRIDOR);
    const uint32_t crc = Crc32(body.data(), body.size());
    PutU16(&body, crc & 0xFFFF);
    PutU16(&body, crc >> 16);
    return body;
}

void ExpectSameGrid(const LevelGrid& want, const LevelGrid& got) {
    EXPECT_EQ(want.width, got.width);
    EXPECT_EQ(want.height, got.height);
    EXPECT_EQ(want.cells, got.cells);
    ASSERT_EQ(want.colours.size(), got.colours.size());
    for (size_t i = 0; i < want.colours.size(); ++i) {
        EXPECT_EQ(want.colours[i].index, got.colours[i].index);
        EXPECT_EQ(want.colours[i].red, got.colours[i].red);
        EXPECT_EQ(want.colours[i].green, got.colours[i].green);
        EXPECT_EQ(want.colours[i].blue, got.colours[i].blue);
    }
}

} // namespace

TEST(LevelCode, BodyGivesBackTheGridColoursIncluded) {
    const LevelGrid grid = ColouredGrid();
    ASSERT_EQ(2u, grid.colours.size());
    std::vector<uint8_t> body;
    std::string error;
    ASSERT_TRUE(MakeLevelCodeBody(grid, &body, &error)) << error;
    // The layout the page's script and other readers rely on.
    EXPECT_EQ(6 + 2 * 4 + 5 * 4 + 4u, body.size());
    EXPECT_EQ(5, body[0] | body[1] << 8);
    EXPECT_EQ(4, body[2] | body[3] << 8);
    EXPECT_EQ(2, body[4] | body[5] << 8);
    LevelGrid back;
    ASSERT_TRUE(ReadLevelCodeBody(body.data(), body.size(), &back, &error)) << error;
    ExpectSameGrid(grid, back);
    EXPECT_EQ(MakeLevelBitmap(grid), MakeLevelBitmap(back));
}

TEST(LevelCode, ANameTravelsAfterTheCellsAndABodyWithoutOneStillReads) {
    LevelGrid grid = ColouredGrid();
    std::vector<uint8_t> unnamed, body;
    std::string error;
    ASSERT_TRUE(MakeLevelCodeBody(grid, &unnamed, &error)) << error;
    grid.name = "The Wheel";
    ASSERT_TRUE(MakeLevelCodeBody(grid, &body, &error)) << error;
    // The first links' body, then the name's length and the name.
    ASSERT_EQ(unnamed.size() + 1 + 9, body.size());
    EXPECT_TRUE(std::equal(unnamed.begin(), unnamed.end() - 4, body.begin()));
    EXPECT_EQ(9, body[unnamed.size() - 4]);
    LevelGrid back;
    ASSERT_TRUE(ReadLevelCodeBody(body.data(), body.size(), &back, &error)) << error;
    ExpectSameGrid(grid, back);
    EXPECT_EQ("The Wheel", back.name);
    back.name = "left over";
    ASSERT_TRUE(ReadLevelCodeBody(unnamed.data(), unnamed.size(), &back, &error)) << error;
    EXPECT_EQ("", back.name);

    // A sealed body whose name is not one MakeLevelCodeBody writes.
    const auto resealed = [&](size_t length, const std::string& name) {
        std::vector<uint8_t> b(unnamed.begin(), unnamed.end() - 4);
        b.push_back(uint8_t(length));
        b.insert(b.end(), name.begin(), name.end());
        const uint32_t crc = Crc32(b.data(), b.size());
        PutU16(&b, crc & 0xFFFF);
        PutU16(&b, crc >> 16);
        return b;
    };
    const struct {
        std::vector<uint8_t> body;
        const char* reason;
    } bad[] = {
        {resealed(0, ""), "39 bytes where a level of its size has 38 (more with a name)"},
        {resealed(4, "Wheel"), "where a level of its size has"},
        {resealed(6, "Wheel"), "where a level of its size has"},
        {resealed(5, "Whe\nl"), "its name is not 1 to 24 printable ASCII"},
        {resealed(5, " Whee"), "its name is not"},
        {resealed(25, std::string(25, 'W')), "its name is not"},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(ReadLevelCodeBody(c.body.data(), c.body.size(), &back, &error));
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        EXPECT_EQ("", back.name);
    }
    const std::vector<uint8_t> longest = resealed(24, std::string(24, 'W'));
    EXPECT_TRUE(ReadLevelCodeBody(longest.data(), longest.size(), &back, nullptr));
    EXPECT_EQ(24u, back.name.size());
    // Nor is a grid with such a name carried.
    for (const char* name : {"tab\there", " lead", "\x80\xff"}) {
        grid.name = name;
        EXPECT_FALSE(MakeLevelCodeBody(grid, &body, &error)) << name;
        EXPECT_NE(std::string::npos, error.find("its name is not")) << error;
    }
}

TEST(LevelCode, EveryCutOrChangedByteOfABodyIsRefused) {
    std::vector<uint8_t> body;
    ASSERT_TRUE(MakeLevelCodeBody(ColouredGrid(), &body, nullptr));
    for (size_t size = 0; size < body.size(); ++size) {
        LevelGrid grid = ColouredGrid();
        std::string error;
        EXPECT_FALSE(ReadLevelCodeBody(body.data(), size, &grid, &error)) << size;
        EXPECT_EQ(size < 10 ? "the link's code is cut short"
                            : "the link's checksum does not match: it was changed or cut",
                  error);
        EXPECT_EQ(0, grid.width);
        EXPECT_TRUE(grid.cells.empty() && grid.colours.empty());
    }
    for (size_t i = 0; i < body.size(); ++i) {
        for (uint8_t bit = 1; bit; bit = uint8_t(bit << 1)) {
            std::vector<uint8_t> changed = body;
            changed[i] ^= bit;
            LevelGrid grid;
            EXPECT_FALSE(ReadLevelCodeBody(changed.data(), changed.size(), &grid, nullptr)) << i;
        }
    }
}

TEST(LevelCode, BodiesWithAMatchingSumButImpossibleFieldsAreRefused) {
    const LevelColour brown = {7, 10, 20, 30}, grey = {130, 1, 2, 3};
    const struct {
        const char* name;
        std::vector<uint8_t> body;
        const char* reason; // a part of it
    } cases[] = {
        {"no width", Sealed(0, 3, {}, 0), "0 x 3 cells; a level side has 1 to 4096"},
        {"too tall", Sealed(1, 4097, {}, 4097), "1 x 4097 cells"},
        {"too many colours", Sealed(1, 1, {}, 1, 257), "257 colours; a level has at most 256"},
        {"a colour short", Sealed(2, 2, {brown}, 4, 2), "where a level of its size has"},
        {"a cell short", Sealed(2, 2, {}, 3), "13 bytes where a level of its size has 14"},
        {"a byte after", Sealed(2, 2, {}, 5), "15 bytes where a level of its size has 14"},
        {"colours out of order", Sealed(1, 1, {grey, brown}, 1),
         "colour 7 is not listed after colour 130"},
        {"a colour twice", Sealed(1, 1, {brown, brown}, 1),
         "colour 7 is not listed after colour 7"},
        {"a default colour", Sealed(1, 1, {{130, 140, 140, 132}}, 1),
         "colour 130 is listed but is the default"},
        {"near the see-through red", Sealed(1, 1, {{7, 250, 1, 2}}, 1),
         "so near the see-through red"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LevelGrid grid;
        std::string error;
        EXPECT_FALSE(ReadLevelCodeBody(c.body.data(), c.body.size(), &grid, &error));
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        EXPECT_EQ(0u, error.find("the link's level is wrong: ")) << error;
    }
    // The largest of each field is read.
    const std::vector<uint8_t> widest = Sealed(4096, 1, {brown, grey}, 4096);
    LevelGrid grid;
    EXPECT_TRUE(ReadLevelCodeBody(widest.data(), widest.size(), &grid, nullptr));
    EXPECT_EQ(4096, grid.width);
}

TEST(LevelCode, AGridNoLinkCanCarryIsRefusedBeforeItIsWritten) {
    // A level bitmap may hold a colour a text map refuses: the link must
    // not be made, or it would be refused where it is opened.
    LevelGrid nearRed = ColouredGrid();
    nearRed.colours[0] = {7, 252, 0, 0};
    LevelGrid noCells = ColouredGrid();
    noCells.cells.pop_back();
    LevelGrid unordered = ColouredGrid();
    std::swap(unordered.colours[0], unordered.colours[1]);
    LevelGrid empty;
    const struct {
        const char* name;
        LevelGrid grid;
        const char* reason;
    } cases[] = {
        {"near the see-through red", nearRed, "colour 7 is so near the see-through red"},
        {"a cell missing", noCells, "the grid has 19 cells"},
        {"colours out of order", unordered, "colour 7 is not listed after colour 200"},
        {"empty", empty, "0 x 0 cells"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> body = {1};
        std::string error;
        EXPECT_FALSE(MakeLevelCodeBody(c.grid, &body, &error));
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
        EXPECT_TRUE(body.empty());
    }
}

TEST(LevelCode, TheCodeOfALinkOrOfItself) {
    EXPECT_EQ("1abc", LevelCodeOfLink("http://127.0.0.1:8000/#level=1abc"));
    EXPECT_EQ("1abc", LevelCodeOfLink("https://a.example/q/?args=--seed%203#level=1abc"));
    EXPECT_EQ("1abc", LevelCodeOfLink("1abc"));
    EXPECT_EQ("", LevelCodeOfLink("http://a.example/#level="));
}
