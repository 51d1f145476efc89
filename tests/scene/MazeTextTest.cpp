// The text form of levels that the level tool and the tests write levels in.
#include "MazeTestLevels.h"
#include <gtest/gtest.h>

TEST(MazeText, LegendAndDefinitionsGiveTheCellBytes) {
    LevelGrid grid;
    std::string error;
    ASSERT_TRUE(ParseLevelText("; a comment\r\n"
                               "=q 200\n"
                               "=# 131\n"
                               "\n"
                               ".PEoGBXq\r\n"
                               "#_YZ,...\n",
                               &grid, &error))
        << error;
    EXPECT_EQ(8, grid.width);
    EXPECT_EQ(2, grid.height);
    const std::vector<uint8_t> want = {1,   2, 3,   64,  65,  66, 129, 200,
                                       131, 0, 130, 131, 192, 1,  1,   1};
    EXPECT_EQ(want, grid.cells);
}

TEST(MazeText, ProblemsNameTheirLine) {
    struct Case {
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"###\n##\n", "line 2"},
        {"#.#\n#?#\n", "'?' is not in the legend"},
        {"=\n###\n", "line 1"},
        {"=q\n###\n", "line 1"},
        {"=q 256\n###\n", "0 to 255"},
        {"=q 1x\n###\n", "0 to 255"},
        {"; only a comment\n\n", "no map rows"},
        {"", "no map rows"},
        {"## #\n", "' ' is not in the legend"},
    };
    for (const Case& c : cases) {
        LevelGrid grid;
        std::string error;
        EXPECT_FALSE(ParseLevelText(c.text, &grid, &error)) << c.text;
        EXPECT_NE(std::string::npos, error.find(c.says)) << c.text << " -> " << error;
    }
    // A row longer than the largest level side.
    LevelGrid grid;
    std::string error;
    EXPECT_FALSE(ParseLevelText(std::string(kMaxLevelSide + 1, '#'), &grid, &error));
    EXPECT_TRUE(ParseLevelText(std::string(kMaxLevelSide, '#'), &grid, &error)) << error;
}

TEST(MazeText, FormatReadsBackExactlyForEveryByte) {
    LevelGrid grid;
    grid.width = 16;
    grid.height = 16;
    for (int i = 0; i < 256; ++i)
        grid.cells.push_back(static_cast<uint8_t>(i));
    std::string text, error;
    // 244 bytes lack a legend character: more than printable characters left.
    EXPECT_FALSE(FormatLevelText(grid, &text, &error));
    EXPECT_FALSE(error.empty());

    // The built-in level uses the legend alone; a few other bytes get
    // definitions that read back to the same grid.
    LevelGrid builtIn = GridFromText(kBuiltInLevelText);
    ASSERT_TRUE(FormatLevelText(builtIn, &text, &error)) << error;
    EXPECT_EQ(std::string(kBuiltInLevelText), text);
    builtIn.cells[5] = 7;
    builtIn.cells[6] = 250;
    builtIn.cells[7] = 59; // ';' would start a comment: never used for a byte
    ASSERT_TRUE(FormatLevelText(builtIn, &text, &error)) << error;
    EXPECT_EQ('=', text[0]);
    LevelGrid back;
    ASSERT_TRUE(ParseLevelText(text, &back, &error)) << error;
    EXPECT_EQ(builtIn.width, back.width);
    EXPECT_EQ(builtIn.cells, back.cells);
}

TEST(MazeText, PaletteKeepsTheBuiltInColoursAndMakesFloorSeeThrough) {
    uint8_t r, g, b;
    LevelPaletteColour(2, &r, &g, &b);
    EXPECT_EQ(3, r);
    EXPECT_EQ(171, g);
    EXPECT_EQ(3, b);
    LevelPaletteColour(128, &r, &g, &b);
    EXPECT_EQ(91, r);
    EXPECT_EQ(3, g);
    EXPECT_EQ(211, b);
    LevelPaletteColour(64, &r, &g, &b);
    EXPECT_EQ(255, r);
    EXPECT_EQ(255, g);
    EXPECT_EQ(63, b);
    // Corridors, enemy starts, other markers and class-3 floor are pure red,
    // which the minimap leaves out.
    for (int i : {0, 1, 3, 4, 5, 63, 192, 255}) {
        LevelPaletteColour(i, &r, &g, &b);
        EXPECT_EQ(255, r) << i;
        EXPECT_EQ(0, g) << i;
        EXPECT_EQ(0, b) << i;
    }
    // No wall or item colour is see-through.
    for (int i = 64; i < 192; ++i) {
        LevelPaletteColour(i, &r, &g, &b);
        EXPECT_FALSE(r == 255 && g == 0 && b == 0) << i;
    }
}
