// The level tool's summary of what the game builds from a level.
#include "MazeTestLevels.h"
#include "scene/LevelReport.h"
#include <gtest/gtest.h>

namespace {

LevelReport ReportOn(const std::string& text) {
    TestTables tables;
    std::unique_ptr<CMaze> maze =
        MazeFromText(text, tables, kProgramWallTextures, kProgramItemImages);
    return ReportOnMaze(*maze, tables.wallTable, kProgramWallTextures, tables.itemTable,
                        kProgramItemImages);
}

} // namespace

TEST(MazeReport, BuiltInLevelSummary) {
    const LevelReport report = ReportOn(kBuiltInLevelText);
    EXPECT_EQ(76, report.width);
    EXPECT_EQ(48, report.height);
    EXPECT_TRUE(report.hasStart);
    EXPECT_EQ(38, report.startColumn);
    EXPECT_EQ(35, report.startRow);
    EXPECT_EQ(38, report.dots);
    EXPECT_EQ(8, report.guns);
    EXPECT_EQ(14, report.decorations);
    EXPECT_EQ(14, report.enemies);
    EXPECT_EQ(1516, report.faces);
    EXPECT_EQ((std::vector<int>{706, 706, 52, 52, 0, 0, 0, 0, 0, 0}), report.facesByTexture);
    EXPECT_EQ(0, report.unbuiltItems);
    EXPECT_EQ(0, report.invisibleWalls);
    const std::string text = FormatLevelReport(report);
    EXPECT_NE(std::string::npos, text.find("size: 76 x 48"));
    EXPECT_NE(std::string::npos, text.find("start: column 38, row 35\n"));
    EXPECT_NE(std::string::npos, text.find("(by texture entry: 0: 706, 1: 706, 2: 52, 3: 52)\n"));
    EXPECT_EQ(std::string::npos, text.find("warning"));
}

TEST(MazeReport, WarnsAboutWhatAPlayerWouldMeet) {
    // No start marker (the middle, a wall), an uncounted dot on column 0, a
    // type-5 item and a type-5 wall without pictures, and no counted dot.
    const LevelReport report = ReportOn("=q 69\n"
                                        "=w 133\n"
                                        "#####\n"
                                        "o.q.#\n"
                                        "#.#w#\n"
                                        "#####\n");
    EXPECT_FALSE(report.hasStart);
    EXPECT_EQ(2, report.startColumn);
    EXPECT_EQ(2, report.startRow);
    EXPECT_TRUE(report.startIsWall);
    EXPECT_EQ(0, report.dots);
    EXPECT_EQ(2, report.unbuiltItems);
    EXPECT_EQ(1, report.uncountedDots);
    EXPECT_EQ(1, report.invisibleWalls);
    const std::string text = FormatLevelReport(report);
    EXPECT_NE(std::string::npos, text.find("no start marker"));
    EXPECT_NE(std::string::npos, text.find("inside a wall"));
    EXPECT_NE(std::string::npos, text.find("never ends this level"));
    EXPECT_NE(std::string::npos, text.find("1 dot on row 0 or column 0"));
    EXPECT_NE(std::string::npos, text.find("1 wall cell has a type without textures"));
}
