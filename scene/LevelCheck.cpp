#include "scene/LevelCheck.h"
#include "scene/LevelBudget.h"
#include "scene/LevelReport.h"
#include <algorithm>
#include <cstddef>

namespace {

bool IsOpen(const LevelGrid& grid, int column, int row) {
    return column >= 0 && row >= 0 && column < grid.width && row < grid.height &&
           !IsWallCell(grid.cells[size_t(row) * size_t(grid.width) + size_t(column)]);
}

bool IsTourStop(uint8_t cell) {
    return cell == CELL_ITEM + ITEM_DOT || cell == CELL_ITEM + ITEM_GUN;
}

std::string At(LevelCell cell) {
    return "(" + std::to_string(cell.column) + ", " + std::to_string(cell.row) + ")";
}

// Breadth-first walks over one grid that share their bookkeeping, so that a
// tour of many short walks does not clear a whole grid for each.
class CWalker {
public:
    explicit CWalker(const LevelGrid& grid)
        : m_grid(grid), m_seen(size_t(grid.width) * size_t(grid.height), 0) {}

    // Walks from `from` until `stop(index)` holds for a cell reached; returns
    // that cell's index (-1 when none) and its distance in *distance. With
    // `distances` every reached cell's distance is written there too.
    template <typename Stop>
    long long Walk(LevelCell from, Stop stop, long long* distance, std::vector<int>* distances) {
        if (!IsOpen(m_grid, from.column, from.row))
            return -1;
        if (++m_nStamp == 0) { // the stamps wrapped: forget every old walk
            std::fill(m_seen.begin(), m_seen.end(), 0);
            m_nStamp = 1;
        }
        const size_t w = size_t(m_grid.width);
        m_queue.clear();
        const size_t first = size_t(from.row) * w + size_t(from.column);
        m_queue.push_back(first);
        m_seen[first] = m_nStamp;
        size_t head = 0;
        long long level = 0;
        size_t levelEnd = 1;
        while (head < m_queue.size()) {
            if (head == levelEnd) {
                ++level;
                levelEnd = m_queue.size();
            }
            const size_t at = m_queue[head++];
            if (distances)
                (*distances)[at] = static_cast<int>(level);
            if (stop(at)) {
                *distance = level;
                return static_cast<long long>(at);
            }
            const int c = static_cast<int>(at % w), r = static_cast<int>(at / w);
            const int dc[4] = {0, -1, 1, 0};
            const int dr[4] = {-1, 0, 0, 1};
            for (int k = 0; k < 4; ++k) {
                if (!IsOpen(m_grid, c + dc[k], r + dr[k]))
                    continue;
                const size_t next = size_t(r + dr[k]) * w + size_t(c + dc[k]);
                if (m_seen[next] == m_nStamp)
                    continue;
                m_seen[next] = m_nStamp;
                m_queue.push_back(next);
            }
        }
        return -1;
    }

private:
    const LevelGrid& m_grid;
    std::vector<uint32_t> m_seen; // the stamp of the last walk that reached the cell
    uint32_t m_nStamp = 0;
    std::vector<size_t> m_queue;
};

} // namespace

std::vector<int> WalkDistances(const LevelGrid& grid, LevelCell from) {
    std::vector<int> distances(size_t(grid.width) * size_t(grid.height), -1);
    CWalker walker(grid);
    long long unused = 0;
    walker.Walk(
        from, [](size_t) { return false; }, &unused, &distances);
    return distances;
}

DotTour PlanDotTour(const LevelGrid& grid, LevelCell start) {
    DotTour tour;
    std::vector<bool> taken(grid.cells.size(), false);
    CWalker walker(grid);
    LevelCell at = start;
    for (;;) {
        long long distance = 0;
        const long long next = walker.Walk(
            at, [&](size_t i) { return IsTourStop(grid.cells[i]) && !taken[i]; }, &distance,
            nullptr);
        if (next < 0)
            return tour;
        taken[size_t(next)] = true;
        at.column = static_cast<int>(next % grid.width);
        at.row = static_cast<int>(next / grid.width);
        tour.stops.push_back(at);
        tour.length += distance;
    }
}

LevelCheck CheckLevel(const LevelGrid& grid, size_t listed) {
    LevelCheck check;
    check.width = grid.width;
    check.height = grid.height;
    std::vector<LevelCell> stops, enemies;
    for (int r = 0; r < grid.height; ++r) {
        for (int c = 0; c < grid.width; ++c) {
            const uint8_t cell = grid.cells[size_t(r) * size_t(grid.width) + size_t(c)];
            if (cell == CELL_START)
                check.starts.push_back({c, r});
            else if (IsEnemyStartCell(cell))
                enemies.push_back({c, r});
            else if (IsTourStop(cell))
                stops.push_back({c, r});
            else if (CellClass(cell) == CELL_CLASS_ITEM)
                ++check.decorations;
            if (cell == CELL_ITEM + ITEM_DOT)
                ++check.dots;
            else if (cell == CELL_ITEM + ITEM_GUN)
                ++check.guns;
        }
    }
    check.enemies = static_cast<int>(enemies.size());
    std::vector<LevelFailure>& fail = check.failures;
    const auto failAt = [&](std::vector<LevelCell> cells, std::string text) {
        if (check.failureCount++ < listed)
            fail.push_back({std::move(text), std::move(cells)});
    };

    // Where the game puts the player: the first start marker, else the middle.
    if (check.starts.empty()) {
        check.start = {grid.width / 2, grid.height / 2};
        failAt({check.start},
               "no player start: the game would put the player in the middle, " + At(check.start));
    } else {
        check.start = check.starts[0];
        if (check.starts.size() > 1) {
            // A picture read as a level can have thousands: name a few.
            const size_t named = std::min<size_t>(check.starts.size(), 10);
            std::string where;
            for (size_t i = 0; i < named; ++i)
                where += (i ? ", " : "") + At(check.starts[i]);
            if (named < check.starts.size())
                where += " and " + std::to_string(check.starts.size() - named) + " more";
            failAt(check.starts, std::to_string(check.starts.size()) + " player starts, at " +
                                     where + ": a level has exactly one");
        }
    }
    const LevelCell start = check.start;
    const bool startOpen = IsOpen(grid, start.column, start.row);
    if (!startOpen)
        failAt({start}, "the player start " + At(start) + " is inside a wall");
    if (check.dots == 0)
        failAt({}, "no dots: eating a dot is what ends a level");

    const std::vector<int> walk = WalkDistances(grid, start);
    const auto distance = [&](LevelCell cell) {
        return walk[size_t(cell.row) * size_t(grid.width) + size_t(cell.column)];
    };
    for (LevelCell stop : stops) {
        if (distance(stop) < 0) {
            const bool dot =
                grid.cells[size_t(stop.row) * size_t(grid.width) + size_t(stop.column)] ==
                CELL_ITEM + ITEM_DOT;
            failAt({stop}, std::string(dot ? "the dot" : "the gun") + " at " + At(stop) +
                               " cannot be reached from the start");
        }
    }
    if (startOpen) {
        for (LevelCell enemy : enemies) {
            const int d = distance(enemy);
            if (d < 0)
                failAt({enemy}, "the enemy at " + At(enemy) +
                                    " is walled in: it can never reach the player");
            else if (d <= kUnfairEnemyWalk)
                failAt({enemy}, "the enemy at " + At(enemy) + " starts " + std::to_string(d) +
                                    " cells' walk from the player start (" +
                                    std::to_string(kUnfairEnemyWalk) +
                                    " or fewer reach it under the title)");
        }
        int north = 0;
        while (north < kOpenCellsNorthOfStart && IsOpen(grid, start.column, start.row - north - 1))
            ++north;
        if (north < kOpenCellsNorthOfStart)
            failAt({start}, "the start " + At(start) +
                                " looks north at a wall: " + std::to_string(north) +
                                (north == 1 ? " open cell" : " open cells") + " straight north, " +
                                std::to_string(kOpenCellsNorthOfStart) + " needed");
    }

    const LevelCounts counts = CountLevelBuild(grid.cells.data(), grid.width, grid.height,
                                               kProgramWallTextures, kProgramItemImages);
    check.fitsBudget = FitsLevelBudget(EstimateLevelCost(counts), &check.budget);
    if (!check.fitsBudget)
        failAt({}, "over the level budget: " + check.budget);

    check.tour = PlanDotTour(grid, start);
    return check;
}

std::string FormatLevelCheck(const LevelCheck& check) {
    std::string out;
    out +=
        "size: " + std::to_string(check.width) + " x " + std::to_string(check.height) + " cells\n";
    out += "dots: " + std::to_string(check.dots) + ", guns: " + std::to_string(check.guns) +
           ", decorations: " + std::to_string(check.decorations) +
           ", enemies: " + std::to_string(check.enemies) + "\n";
    out += "start: " + At(check.start) + (check.starts.empty() ? " (no start marker)" : "") + "\n";
    out += std::string("budget: ") + (check.fitsBudget ? "fits" : "over") + "\n";
    out += "dot tour: " + std::to_string(check.tour.length) + " cells through " +
           std::to_string(check.tour.stops.size()) + " dots and guns\n";
    for (const LevelFailure& failure : check.failures)
        out += "fail: " + failure.text + "\n";
    if (check.failureCount > check.failures.size())
        out +=
            "fail: and " + std::to_string(check.failureCount - check.failures.size()) + " more\n";
    if (check.failureCount == 0)
        out += "verdict: can be finished, plays fair\n";
    else
        out += "verdict: " + std::to_string(check.failureCount) +
               (check.failureCount == 1 ? " problem\n" : " problems\n");
    return out;
}
