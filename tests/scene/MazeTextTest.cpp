// The text form of levels that the level tool and the tests write levels in.
#include "MazeTestLevels.h"
#include <gtest/gtest.h>

TEST(MazeText, LegendAndDefinitionsGiveTheCellBytes) {
    LevelGrid grid;
    std::string error;
    ASSERT_TRUE(ParseLevelText("; a comment\r\n"
                               "=q 200\n"
                               "=# 131\n"
                               "=o 64 40 200 255\n"
                               "=! 7\t 1  2\t3 \n"
                               "=k 100 255 0 0\n"    // pure red: see-through
                               "=B 66 255 191 127\n" // the default: no colour kept
                               "\n"
                               ".PEoGBXqCL\r\n"
                               "#_YZ,..H.!\n",
                               &grid, &error))
        << error;
    EXPECT_EQ(10, grid.width);
    EXPECT_EQ(2, grid.height);
    const std::vector<uint8_t> want = {1,   2, 3,   64,  65,  66, 129, 200, 67, 68,
                                       131, 0, 130, 131, 192, 1,  1,   132, 1,  7};
    EXPECT_EQ(want, grid.cells);
    ASSERT_EQ(3u, grid.colours.size());
    const LevelColour colours[] = {{7, 1, 2, 3}, {64, 40, 200, 255}, {100, 255, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(colours[i].index, grid.colours[i].index);
        EXPECT_EQ(colours[i].red, grid.colours[i].red);
        EXPECT_EQ(colours[i].green, grid.colours[i].green);
        EXPECT_EQ(colours[i].blue, grid.colours[i].blue);
    }
    // The colours go into the bitmap's palette and come back from it.
    const std::vector<uint8_t> dib = MakeLevelBitmap(grid, false);
    const uint8_t* entry64 = dib.data() + 40 + 4 * 64;
    EXPECT_EQ(255, entry64[0]);
    EXPECT_EQ(200, entry64[1]);
    EXPECT_EQ(40, entry64[2]);
    LevelGrid back;
    ASSERT_TRUE(ReadLevelDib(dib.data(), dib.size(), &back, &error)) << error;
    EXPECT_EQ(grid.cells, back.cells);
    EXPECT_EQ(dib, MakeLevelBitmap(back, false));
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
        {"=q 1 2 3\n###\n", "=C N R G B"},
        {"=q 1 2 3 4 5\n###\n", "=C N R G B"},
        {"=q 1 2 300 4\n###\n", "0 to 255"},
        {"###\n=q 1 250 3 7\n", "line 2: this colour is so near the see-through red"},
        {"=q 1 248 0 0\n###\n", "see-through red"},
        {"=name\n###\n", "=C N"},
        {"=name \t \n###\n", "line 1: a level's name is 1 to 24 printable ASCII"},
        {"###\n=name Caf\xc3\xa9\n", "line 2: a level's name"},
        {"=name A name longer than the screen\n###\n", "1 to 24"},
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

TEST(MazeText, ANameLineNamesTheLevelAndFormatWritesItBack) {
    LevelGrid grid = GridFromText("; a comment, then the name, blanks round it\n"
                                  "=name \t The Window  \n"
                                  "#P#\n");
    EXPECT_EQ("The Window", grid.name);
    std::string text, error;
    ASSERT_TRUE(FormatLevelText(grid, &text, &error)) << error;
    EXPECT_EQ("=name The Window\n#P#\n", text);
    // A later line wins, as a definition's does; "=n 5" still defines 'n'.
    grid = GridFromText("=name One\n=name Two\n=n 5\nn\n");
    EXPECT_EQ("Two", grid.name);
    EXPECT_EQ(5, grid.cells[0]);
    EXPECT_EQ("", GridFromText("#P#\n").name);
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

    // Colours of used and unused bytes, with and without legend characters,
    // and with every character taken by the rows, so that an unused byte's
    // colour borrows one: the bitmap made from the text read back is the same
    // bitmap, byte for byte.
    for (size_t distinct : {20, 92}) {
        // The legend's 15 bytes, then bytes without a character.
        LevelGrid coloured;
        for (int b = 0; b < 256; ++b)
            if (LegendCharForCell(static_cast<uint8_t>(b)))
                coloured.cells.push_back(static_cast<uint8_t>(b));
        for (int b = 4; coloured.cells.size() < distinct; ++b)
            if (!LegendCharForCell(static_cast<uint8_t>(b)))
                coloured.cells.push_back(static_cast<uint8_t>(b));
        coloured.width = static_cast<int>(distinct);
        coloured.height = 1;
        coloured.colours = {{1, 9, 8, 7},     {4, 3, 2, 1},   {66, 10, 20, 30},
                            {129, 255, 0, 0}, {240, 1, 1, 1}, {255, 4, 5, 6}};
        const std::vector<uint8_t> bitmap = MakeLevelBitmap(coloured);
        LevelGrid read;
        ASSERT_TRUE(ReadLevelDib(bitmap.data() + 14, bitmap.size() - 14, &read, &error));
        ASSERT_TRUE(FormatLevelText(read, &text, &error)) << distinct << ": " << error;
        ASSERT_TRUE(ParseLevelText(text, &back, &error)) << text << error;
        EXPECT_EQ(coloured.cells, back.cells) << text;
        EXPECT_EQ(bitmap, MakeLevelBitmap(back)) << text;
    }
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
    // No wall or item colour is see-through, nor turns into it on 5-6-5.
    for (int i = 64; i < 192; ++i) {
        LevelPaletteColour(i, &r, &g, &b);
        EXPECT_FALSE(r == 255 && g == 0 && b == 0) << i;
        EXPECT_FALSE(IsNearColourKey(r, g, b)) << i;
    }
    // The walls and decorations with pictures each have a colour of their own.
    const int shown[] = {2, 64, 65, 66, 67, 68, 128, 129, 130, 131, 132, 133};
    for (int i : shown)
        for (int j : shown) {
            uint8_t r2, g2, b2;
            LevelPaletteColour(i, &r, &g, &b);
            LevelPaletteColour(j, &r2, &g2, &b2);
            EXPECT_EQ(i == j, r == r2 && g == g2 && b == b2) << i << " " << j;
        }
}
