// Reading level bitmaps: what the game accepts, and that data which does not
// fit its own headers fails without reading outside it.
#include "MazeTestLevels.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/LevelBitmap.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace {

void PutU32(std::vector<uint8_t>& data, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        data[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Reads exactly `data` from a heap block of its own size, so a read past the
// end would be one past the block (and caught by the sanitizers).
bool ReadExact(const std::vector<uint8_t>& data, LevelGrid* grid, std::string* error) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[data.size() ? data.size() : 1]);
    if (!data.empty())
        std::memcpy(block.get(), data.data(), data.size());
    return ReadLevelDib(block.get(), data.size(), grid, error);
}

const char* const kSmallLevel = "#####\n"
                                "#P.o#\n"
                                "#EG##\n";

} // namespace

TEST(MazeLevelFile, BitmapRoundTripKeepsEveryCellAtEveryRowPadding) {
    // Widths 1 to 5 cover every amount of row padding (3, 2, 1, 0, 3 bytes).
    for (int width = 1; width <= 5; ++width) {
        LevelGrid grid;
        grid.width = width;
        grid.height = 3;
        for (int i = 0; i < width * 3; ++i)
            grid.cells.push_back(static_cast<uint8_t>(i * 37 + width));
        const std::vector<uint8_t> dib = MakeLevelBitmap(grid, false);
        EXPECT_EQ(40u + 1024u + LevelRowStride(width) * 3, dib.size());
        LevelGrid read;
        std::string error;
        ASSERT_TRUE(ReadExact(dib, &read, &error)) << error;
        EXPECT_EQ(width, read.width);
        EXPECT_EQ(3, read.height);
        EXPECT_EQ(grid.cells, read.cells) << "width " << width;
    }
}

TEST(MazeLevelFile, TopRowOfThePictureIsGridRowZero) {
    const LevelGrid grid = GridFromText(kSmallLevel);
    const std::vector<uint8_t> dib = MakeLevelBitmap(grid, false);
    // Stored bottom-up: the first stored row is the picture's bottom row.
    const uint8_t* rows = dib.data() + 40 + 1024;
    // Rows of 5 cells take 8 bytes.
    EXPECT_EQ(128, rows[0]); // "#EG##", the bottom row
    EXPECT_EQ(3, rows[1]);
    EXPECT_EQ(65, rows[2]);
    EXPECT_EQ(2, rows[8 + 1]); // "#P.o#"
    EXPECT_EQ(64, rows[8 + 3]);
    LevelGrid read;
    std::string error;
    ASSERT_TRUE(ReadLevelDib(dib.data(), dib.size(), &read, &error)) << error;
    EXPECT_EQ(2, read.cells[1 * 5 + 1]); // P at column 1, row 1
    EXPECT_EQ(3, read.cells[2 * 5 + 1]); // E at column 1, row 2
}

TEST(MazeLevelFile, FileWithHeaderLoadsAndBadFilesFail) {
    TestTables tables;
    const std::string path = ScratchPath("level.bmp");
    ASSERT_TRUE(WriteWholeFile(path.c_str(), MakeLevelBitmap(GridFromText(kSmallLevel))));
    LevelGrid grid;
    std::string error;
    ASSERT_TRUE(ReadLevelFile(path.c_str(), &grid, &error)) << error;
    EXPECT_EQ(GridFromText(kSmallLevel).cells, grid.cells);

    // A level file is a .BMP file, as its minimap picture is.
    std::vector<uint8_t> bytes = MakeLevelBitmap(GridFromText(kSmallLevel));
    bytes[0] = 'X';
    ASSERT_TRUE(WriteWholeFile(path.c_str(), bytes));
    EXPECT_FALSE(ReadLevelFile(path.c_str(), &grid, &error));
    EXPECT_NE(std::string::npos, error.find("\"BM\"")) << error;

    // Shorter than the file header, or missing.
    ASSERT_TRUE(WriteWholeFile(path.c_str(), std::vector<uint8_t>(13, 'B')));
    EXPECT_FALSE(ReadLevelFile(path.c_str(), &grid, &error));
    EXPECT_TRUE(grid.cells.empty());
    std::remove(path.c_str());
    EXPECT_FALSE(ReadLevelFile(path.c_str(), &grid, &error));
    EXPECT_NE(std::string::npos, error.find("cannot open"));
}

TEST(MazeLevelFile, ANameAfterTheRowsIsReadBackAndIgnoredByReadersOfRows) {
    LevelGrid grid = GridFromText(kSmallLevel);
    const std::vector<uint8_t> plain = MakeLevelBitmap(grid);
    grid.name = "The Yard";
    std::vector<uint8_t> named = MakeLevelBitmap(grid);
    // The plain file, then the mark, the length and the name; the file
    // header's size covers them.
    ASSERT_EQ(plain.size() + 4 + 1 + 8, named.size());
    EXPECT_TRUE(std::equal(plain.begin() + 6, plain.end(), named.begin() + 6));
    EXPECT_EQ(named.size(), size_t(named[2] | named[3] << 8 | named[4] << 16));
    EXPECT_EQ(0, std::memcmp(named.data() + plain.size(), "QNAM\x08The Yard", 13));

    const std::vector<uint8_t> dib(named.begin() + 14, named.end());
    LevelGrid read;
    std::string error;
    ASSERT_TRUE(ReadExact(dib, &read, &error)) << error;
    EXPECT_EQ("The Yard", read.name);
    EXPECT_EQ(grid.cells, read.cells);
    // What a file may hold after its rows: cut anywhere in the name, a wrong
    // mark or a length past the end is no name; bytes a name may not hold
    // are dropped. The level loads all the same.
    const size_t rowsEnd = dib.size() - 13;
    const struct {
        size_t keep; // bytes of `dib`
        size_t at;   // then one byte changed here (0: none)
        uint8_t to;
        const char* name;
    } cases[] = {
        {rowsEnd, 0, 0, ""},
        {rowsEnd + 4, 0, 0, ""},
        {dib.size() - 1, 0, 0, ""},
        {dib.size(), rowsEnd, 'q', ""},
        {dib.size(), rowsEnd + 4, 9, ""},
        {dib.size(), rowsEnd + 4, 4, "The"},
        {dib.size(), rowsEnd + 5, ' ', "he Yard"},
        {dib.size(), rowsEnd + 8, 0x07, "TheYard"},
        {dib.size(), rowsEnd + 12, 0xE9, "The Yar"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> data(dib.begin(), dib.begin() + c.keep);
        if (c.at)
            data[c.at] = c.to;
        ASSERT_TRUE(ReadExact(data, &read, &error)) << c.keep << " " << error;
        EXPECT_EQ(c.name, read.name) << c.keep << " " << c.at;
        EXPECT_EQ(grid.cells, read.cells);
    }

    // The maze keeps the name of the level it loaded; the built-in level
    // has its given one, and a level without a name has none.
    TestTables tables;
    const std::string path = ScratchPath("named.bmp");
    ASSERT_TRUE(WriteWholeFile(path.c_str(), named));
    CMaze maze(nullptr, 1);
    ASSERT_TRUE(maze.LoadNextFromFile(path.c_str(), tables.Pictures()));
    EXPECT_EQ("The Yard", maze.GetName());
    ASSERT_TRUE(maze.LoadNextFromResource(IDB_LEVEL, tables.Pictures()));
    EXPECT_EQ("The Old Maze", maze.GetName());
    ASSERT_TRUE(WriteWholeFile(path.c_str(), plain));
    ASSERT_TRUE(maze.LoadNextFromFile(path.c_str(), tables.Pictures()));
    EXPECT_EQ("", maze.GetName());
    std::remove(path.c_str());
}

TEST(MazeLevelFile, CleanNamesArePrintableShortAndTrimmed) {
    EXPECT_EQ("The Window", CleanLevelName("The Window"));
    EXPECT_EQ("Tab and newline", CleanLevelName("  Tab\t and\n newline \r"));
    EXPECT_EQ("Caf", CleanLevelName("Caf\xc3\xa9"));
    EXPECT_EQ("", CleanLevelName(std::string("\0\x7f\x1b", 3)));
    EXPECT_EQ(std::string(24, 'x'), CleanLevelName(std::string(100, 'x')));
    // Cut to 24, then the blank the cut left at the end goes too.
    EXPECT_EQ("Twenty-three characters", CleanLevelName("Twenty-three characters and more"));
    std::string typed = "kept";
    EXPECT_TRUE(TrimLevelName(" \t Typed name \t", &typed));
    EXPECT_EQ("Typed name", typed);
    EXPECT_FALSE(TrimLevelName("Two\nlines", &typed));
    EXPECT_EQ("Typed name", typed);
    EXPECT_TRUE(TrimLevelName("   ", &typed));
    EXPECT_EQ("", typed);
}

TEST(MazeLevelFile, MalformedHeadersFailCleanly) {
    const std::vector<uint8_t> good = MakeLevelBitmap(GridFromText(kSmallLevel), false);
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        int widthBytes; // 4 or 2
    };
    const Case cases[] = {
        {"header size below 40", 0, 12, 4},
        {"header size past the end", 0, 100000, 4},
        {"4 bits per pixel", 14, 4, 2},
        {"24 bits per pixel", 14, 24, 2},
        {"zero width", 4, 0, 4},
        {"zero height", 8, 0, 4},
        {"negative width", 4, static_cast<uint32_t>(-5), 4},
        {"top-down (negative height)", 8, static_cast<uint32_t>(-3), 4},
        {"most negative height", 8, 0x80000000u, 4},
        {"width above the side limit", 4, kMaxLevelSide + 1, 4},
        {"height above the side limit", 8, kMaxLevelSide + 1, 4},
        {"width that would overflow a row", 4, 0x7FFFFFFFu, 4},
        {"header pushing the colour table past the end", 0, 200, 4},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> data = good;
        if (c.widthBytes == 4)
            PutU32(data, c.at, c.value);
        else
            data[c.at] = static_cast<uint8_t>(c.value), data[c.at + 1] = 0;
        LevelGrid grid;
        grid.width = 9; // must be reset on failure
        std::string error;
        EXPECT_FALSE(ReadExact(data, &grid, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(0, grid.width) << c.what;
        EXPECT_TRUE(grid.cells.empty()) << c.what;
    }
}

// The grid and the minimap picture come from one read of the file through
// one header reader: at every length of a level file, and for files the
// game refuses, the grid reader, the picture loader and the maze's load all
// take it or all refuse it, and the minimap shows the grid's cells.
TEST(MazeLevelFile, GridAndMinimapAgreeAtEveryLengthAndOnRefusedFiles) {
    HeadlessReset();
    TestTables tables;
    const LevelGrid level = GridFromText(kSmallLevel);
    const std::vector<uint8_t> good = MakeLevelBitmap(level);
    // 5 wide: rows of 8 bytes, 3 of them padding. The last stored row (the
    // picture's top row) is read only as far as its pixels.
    const size_t minimum = good.size() - 3;
    struct File {
        std::string what;
        std::vector<uint8_t> bytes;
        bool valid;
    };
    std::vector<File> files;
    for (size_t size = 0; size <= good.size(); ++size)
        files.push_back({"cut to " + std::to_string(size),
                         std::vector<uint8_t>(good.begin(), good.begin() + size), size >= minimum});
    auto with = [&](const char* what, size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        PutU32(bytes, at, value);
        files.push_back({what, bytes, false});
    };
    with("no BM", 0, 0x4D58);
    with("compressed", 14 + 16, 1);
    with("4 bits per pixel", 14 + 14, 4);
    with("300 colours", 14 + 32, 300);

    CSurface probe;
    ASSERT_TRUE(probe.Create(1, 1));
    const std::string path = ScratchPath("agree.bmp");
    for (const File& f : files) {
        SCOPED_TRACE(f.what);
        ASSERT_TRUE(WriteWholeFile(path.c_str(), f.bytes));
        LevelGrid grid;
        std::string error;
        const bool bGrid = ReadLevelFile(path.c_str(), &grid, &error);
        CSurface picture;
        const bool bPicture = picture.LoadBitmapFile(path.c_str());
        CMaze maze(nullptr, 1);
        const bool bMaze = maze.LoadNextFromFile(path.c_str(), tables.Pictures());
        EXPECT_EQ(f.valid, bGrid) << error;
        EXPECT_EQ(f.valid, bPicture);
        EXPECT_EQ(f.valid, bMaze);
        EXPECT_EQ(bGrid, error.empty()) << "a refusal says why";
        // The DIB alone, from a block of its exact size: a read past the end
        // is one past the allocation.
        if (f.bytes.size() >= kBmpFileHeaderBytes && f.bytes[0] == 'B') {
            LevelGrid fromDib;
            EXPECT_EQ(bGrid, ReadExact(std::vector<uint8_t>(f.bytes.begin() + kBmpFileHeaderBytes,
                                                            f.bytes.end()),
                                       &fromDib, &error));
        }
        if (!bMaze)
            continue;
        ASSERT_EQ(level.cells, grid.cells);
        const CSurface& minimap = maze.GetMinimap();
        ASSERT_EQ(level.width, minimap.width);
        ASSERT_EQ(level.height, minimap.height);
        // The minimap is painted from the grid, in the game's colours.
        for (int r = 0; r < level.height; ++r) {
            for (int c = 0; c < level.width; ++c) {
                probe.SetPixel(0, 0, MinimapCellColour(level.cells[r * level.width + c]));
                EXPECT_EQ(probe.GetPixel(0, 0), minimap.GetPixel(c, r)) << c << ", " << r;
            }
        }
    }
    std::remove(path.c_str());
}

TEST(MazeLevelFile, MazeLoadOfABadFileFailsWithNothingBuilt) {
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText(kSmallLevel, tables);
    ASSERT_GT(maze->GetDrawables().size(), 0u);
    ASSERT_EQ(1, maze->GetChildCount());
    const std::string path = ScratchPath("bad.bmp");
    std::vector<uint8_t> bytes = MakeLevelBitmap(GridFromText(kSmallLevel));
    bytes[14 + 14] = 24; // 24 bits per pixel
    ASSERT_TRUE(WriteWholeFile(path.c_str(), bytes));
    EXPECT_FALSE(maze->LoadNextFromFile(path.c_str(), tables.Pictures()));
    EXPECT_EQ(0u, maze->GetDrawables().size());
    EXPECT_EQ(0, maze->GetChildCount());
    EXPECT_EQ(0, maze->GetWidth());
    EXPECT_EQ(0, maze->GetHeight());
    EXPECT_EQ(path, maze->GetLevelPath());
    EXPECT_EQ(0, maze->GetLevelResourceId());
    // Cells of an empty maze are all walls: nothing can walk there.
    EXPECT_TRUE(maze->IsWallAt(0, 0));
    std::remove(path.c_str());
}

// A level is weighed before anything is built for it: a few megabytes of
// enemies or faces once cost gigabytes and a second a frame.
TEST(MazeLevelFile, TheBudgetRefusesCostlyLevelsBeforeBuildingAndTakesHonestOnes) {
    TestTables tables;
    auto build = [&](int side, auto cell, std::string* refusal) {
        LevelGrid grid;
        grid.width = grid.height = side;
        grid.cells.resize(size_t(side) * side);
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c)
                grid.cells[size_t(r) * side + c] =
                    (r == 0 || c == 0 || r == side - 1 || c == side - 1) ? uint8_t(CELL_WALL)
                                                                         : uint8_t(cell(r, c));
        const std::vector<uint8_t> dib = MakeLevelBitmap(grid, false);
        CMaze maze(nullptr, 1);
        EXPECT_TRUE(maze.ReadGrid(dib.data(), dib.size()));
        const bool built = maze.Build(tables.Pictures());
        *refusal = maze.GetRefusal();
        if (!built) {
            EXPECT_EQ(0u, maze.GetDrawables().size());
            EXPECT_EQ(0, maze.GetChildCount());
        }
        return built ? maze.GetDrawables().size() + size_t(maze.GetChildCount()) : 0;
    };
    std::string refusal;
    // 1024 x 1024 with a wall lattice: border 4 x 1022 faces, 128 x 128 posts.
    EXPECT_EQ(
        4u * 1022 + 128u * 128 * 4,
        build(
            1024,
            [](int r, int c) { return (r % 8 == 4 && c % 8 == 4) ? CELL_WALL : CELL_CORRIDOR; },
            &refusal));
    EXPECT_EQ("", refusal);
    // 2 million enemies in 2 MB: 1.1 GB and up to a second a frame.
    EXPECT_EQ(0u, build(
                      1448, [](int, int) { return uint8_t(CELL_ENEMY_FIRST); }, &refusal));
    EXPECT_NE(std::string::npos, refusal.find("memory")) << refusal;
    // 66,000 enemies fit the memory but not a frame.
    EXPECT_EQ(0u, build(
                      260, [](int, int) { return uint8_t(CELL_ENEMY_FIRST); }, &refusal));
    EXPECT_NE(std::string::npos, refusal.find("a frame would take")) << refusal;
    // A 2048 x 2048 checkerboard of walls and enemies: millions of each.
    EXPECT_EQ(0u, build(
                      2048,
                      [](int r, int c) {
                          return ((r + c) & 1) ? uint8_t(CELL_WALL) : uint8_t(CELL_ENEMY_FIRST);
                      },
                      &refusal));
    EXPECT_FALSE(refusal.empty());
}

// The largest honest level, 4096 x 4096 cells with a pillar every fifth cell
// (2.69 million faces), fits; the soak builds and plays it, and holds the
// game to the budget.
TEST(MazeLevelFile, TheBudgetTakesTheLargestPillarLevel) {
    LevelCounts pillars;
    pillars.width = pillars.height = kMaxLevelSide;
    pillars.faces = 2692872;
    std::string why;
    const LevelCost cost = EstimateLevelCost(pillars);
    EXPECT_TRUE(FitsLevelBudget(cost, &why)) << why;
    // Each face takes well under 120 bytes.
    LevelCounts none = pillars;
    none.faces = 0;
    EXPECT_LT((cost.bytes - EstimateLevelCost(none).bytes) / pillars.faces, 120u);
}
