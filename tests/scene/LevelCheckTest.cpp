// Whether a level can be finished and plays fair, from its grid alone.
#include "scene/LevelCheck.h"
#include "MazeTestLevels.h"
#include "scene/LevelBudget.h"
#include "scene/LevelReport.h"
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

// A fair level: three open cells north of the start, every dot and the gun
// reachable, the enemy 12 cells' walk away.
const std::vector<std::string> kFairRows = {
    "##############", //
    "#o..o.......E#", //
    "#.##.######.##", //
    "#.##.######.##", //
    "#.##.######G##", //
    "#...P.......o#", //
    "##############", //
};

struct Edit {
    int column, row;
    char ch;
};

std::string Map(const std::vector<Edit>& edits) {
    std::vector<std::string> rows = kFairRows;
    for (const Edit& e : edits)
        rows[size_t(e.row)][size_t(e.column)] = e.ch;
    std::string text;
    for (const std::string& row : rows)
        text += row + "\n";
    return text;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(LevelCheck, EachBrokenRuleIsNamedByItsCell) {
    // One part of a failure's line, and the cells it carries for an editor
    // to mark.
    struct Failure {
        const char* part;
        std::vector<std::pair<int, int>> cells;
    };
    struct Case {
        const char* name;
        std::vector<Edit> edits;
        std::vector<Failure> failures; // in order
    };
    const Case cases[] = {
        {"fair", {}, {}},
        {"dot behind walls", {{8, 3, 'o'}}, {{"the dot at (8, 3) cannot be reached", {{8, 3}}}}},
        // (6, 3) touches the open (5, 4) only at a corner.
        {"diagonal-only gap",
         {{6, 3, 'G'}, {5, 4, '.'}},
         {{"the gun at (6, 3) cannot be reached", {{6, 3}}}}},
        {"two starts",
         {{10, 5, 'P'}},
         {{"2 player starts, at (4, 5), (10, 5)", {{4, 5}, {10, 5}}}}},
        // The middle (7, 3) is a wall: nothing can be reached.
        {"no start",
         {{4, 5, '.'}},
         {{"no player start: the game would put the player in the middle, (7, 3)", {{7, 3}}},
          {"the player start (7, 3) is inside a wall", {{7, 3}}},
          {"the dot at (1, 1) cannot", {{1, 1}}},
          {"the dot at (4, 1) cannot", {{4, 1}}},
          {"the gun at (11, 4) cannot", {{11, 4}}},
          {"the dot at (12, 5) cannot", {{12, 5}}}}},
        {"enemy too close",
         {{12, 1, '.'}, {8, 1, 'E'}},
         {{"the enemy at (8, 1) starts 8 cells' walk from the player start", {{8, 1}}}}},
        {"start facing a wall",
         {{4, 5, '.'}, {6, 5, 'P'}},
         {{"the start (6, 5) looks north at a wall: 0 open cells straight north, 3 needed",
           {{6, 5}}}}},
        {"start one open cell short", {{4, 3, '#'}}, {{"1 open cell straight north", {{4, 5}}}}},
        {"walled-in enemy",
         {{8, 3, 'E'}},
         {{"the enemy at (8, 3) is walled in: it can never reach the player", {{8, 3}}}}},
        {"no dots", {{1, 1, '.'}, {4, 1, '.'}, {12, 5, '.'}}, {{"no dots", {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LevelCheck check = CheckLevel(GridFromText(Map(c.edits)));
        ASSERT_EQ(c.failures.size(), check.failures.size());
        for (size_t i = 0; i < c.failures.size(); ++i) {
            const LevelFailure& got = check.failures[i];
            EXPECT_TRUE(Has(got.text, c.failures[i].part)) << got.text;
            std::vector<std::pair<int, int>> cells;
            for (const LevelCell& cell : got.cells)
                cells.emplace_back(cell.column, cell.row);
            EXPECT_EQ(c.failures[i].cells, cells) << got.text;
        }
        const std::string text = FormatLevelCheck(check);
        EXPECT_EQ(c.failures.empty(), Has(text, "verdict: can be finished, plays fair\n"));
        for (const LevelFailure& failure : check.failures)
            EXPECT_TRUE(Has(text, "fail: " + failure.text + "\n"));
    }
}

TEST(LevelCheck, FairLevelCountsAndGreedyTour) {
    const LevelCheck check = CheckLevel(GridFromText(Map({})));
    EXPECT_EQ(14, check.width);
    EXPECT_EQ(7, check.height);
    EXPECT_EQ(3, check.dots);
    EXPECT_EQ(1, check.guns);
    EXPECT_EQ(1, check.enemies);
    EXPECT_EQ(4, check.start.column);
    EXPECT_EQ(5, check.start.row);
    EXPECT_TRUE(check.fitsBudget);
    // (4, 1) is 4 away; then (1, 1) 3; the gun 13 over the top row; the last
    // dot 2 more.
    const int want[][2] = {{4, 1}, {1, 1}, {11, 4}, {12, 5}};
    ASSERT_EQ(4u, check.tour.stops.size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(want[i][0], check.tour.stops[size_t(i)].column);
        EXPECT_EQ(want[i][1], check.tour.stops[size_t(i)].row);
    }
    EXPECT_EQ(22, check.tour.length);
    const std::string text = FormatLevelCheck(check);
    EXPECT_TRUE(Has(text, "dots: 3, guns: 1, decorations: 0, enemies: 1\n"));
    EXPECT_TRUE(Has(text, "dot tour: 22 cells through 4 dots and guns\n"));
}

TEST(LevelCheck, WalksThroughSideOpeningsOnly) {
    const LevelGrid grid = GridFromText("..#\n"
                                        "#.#\n"
                                        "#..\n"
                                        "##.\n");
    const std::vector<int> d = WalkDistances(grid, {0, 0});
    const std::vector<int> want = {0, 1, -1, -1, 2, -1, -1, 3, 4, -1, -1, 5};
    EXPECT_EQ(want, d);
    EXPECT_EQ(std::vector<int>(12, -1), WalkDistances(grid, {2, 0})); // a wall reaches nothing
}

TEST(LevelCheck, BudgetCountsMatchTheBuild) {
    // The check weighs the level with the same counts the maze's build makes.
    const LevelGrid grid = GridFromText(kBuiltInLevelText);
    const LevelCounts counts = CountLevelBuild(grid.cells.data(), grid.width, grid.height,
                                               kProgramWallTextures, kProgramItemImages);
    TestTables tables;
    std::unique_ptr<CMaze> maze = MazeFromText(kBuiltInLevelText, tables);
    const LevelReport report = ReportOnMaze(*maze, tables.wallTable, kProgramWallTextures,
                                            tables.itemTable, kProgramItemImages);
    EXPECT_EQ(size_t(report.faces), counts.faces);
    EXPECT_EQ(size_t(report.dots + report.guns + report.decorations), counts.items);
    EXPECT_EQ(size_t(report.enemies), counts.enemies);

    // A field of enemies whose frame would outrun the budget.
    LevelGrid swarm;
    swarm.width = swarm.height = 200;
    swarm.cells.assign(200 * 200, CELL_ENEMY_FIRST);
    swarm.cells[0] = CELL_START;
    const LevelCheck check = CheckLevel(swarm);
    EXPECT_FALSE(check.fitsBudget);
    EXPECT_TRUE(Has(FormatLevelCheck(check), "fail: over the level budget: a frame would take"));
}

TEST(LevelCheck, KeepsOnlyTheFirstProblemsButCountsThemAll) {
    // A dot walled in every other cell: thousands of problems, of which a
    // bounded check keeps the first few and the report says how many more.
    LevelGrid grid;
    grid.width = grid.height = 101;
    grid.cells.assign(101 * 101, CELL_WALL);
    for (size_t i = 1; i < grid.cells.size(); i += 2)
        grid.cells[i] = CELL_ITEM + ITEM_DOT;
    grid.cells[0] = CELL_START;
    const LevelCheck all = CheckLevel(grid), some = CheckLevel(grid, 5);
    ASSERT_GT(all.failures.size(), 5000u);
    EXPECT_EQ(all.failures.size(), all.failureCount);
    EXPECT_EQ(all.failureCount, some.failureCount);
    ASSERT_EQ(5u, some.failures.size());
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(all.failures[i].text, some.failures[i].text);
    const std::string text = FormatLevelCheck(some);
    EXPECT_TRUE(Has(text, "fail: and " + std::to_string(all.failureCount - 5) + " more\n"));
    EXPECT_TRUE(Has(text, "verdict: " + std::to_string(all.failureCount) + " problems\n"));
    EXPECT_FALSE(Has(FormatLevelCheck(all), " more\n"));
}
