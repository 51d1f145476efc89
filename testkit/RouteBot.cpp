#include "testkit/RouteBot.h"
#include "app/MainFrame.h"
#include "app/Options.h"
#include "app/QuibboApp.h"
#include "app/RunStats.h"
#include "platform/Platform.h"
#include "platform/PlatformTypes.h"
#include "platform/Rand.h"
#include "platform/headless/Headless.h"
#include "scene/Enemy.h"
#include "scene/Maze.h"
#include "world/World.h"
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <queue>
#include <string>
#include <vector>

namespace bot {

namespace {

// Degrees in (-180, 180].
double WrapDegrees(double a) {
    a = std::fmod(a, 360.0);
    if (a > 180.0)
        a -= 360.0;
    if (a <= -180.0)
        a += 360.0;
    return a;
}

} // namespace

bool IsTarget(uint8_t cell) {
    return cell == CELL_ITEM + ITEM_DOT || cell == CELL_ITEM + ITEM_GUN;
}

std::vector<LevelCell> PlanLeg(const CMaze& maze, LevelCell from, double heading,
                               const LegGoal& goal, const std::vector<int>& danger) {
    const int w = maze.GetWidth(), h = maze.GetHeight();
    std::vector<LevelCell> path;
    if (!maze.IsInGrid(from.column, from.row))
        return path;
    // A state is a cell and the axis the player looks along (0 north-south,
    // 1 east-west); Dijkstra's walk over them stops at the first target.
    const size_t states = size_t(w) * size_t(h) * 2;
    std::vector<int> best(states, INT_MAX), parent(states, -1);
    std::vector<char> settled(states, 0);
    using Item = std::pair<int, int>; // cost, state
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
    const auto reach = [&](int state, int cost, int from) {
        if (settled[size_t(state)] || cost >= best[size_t(state)])
            return;
        best[size_t(state)] = cost;
        parent[size_t(state)] = from;
        open.push({cost, state});
    };
    const auto turnFrames = [](double degrees) {
        return static_cast<int>(std::fabs(degrees) / 0.64 + 0.5);
    };
    const double offNorth = std::fabs(WrapDegrees(heading));
    const double offEast = std::fabs(WrapDegrees(heading - 90.0));
    const int start = (from.row * w + from.column) * 2;
    reach(start, turnFrames(std::min(offNorth, 180.0 - offNorth)), -1);
    reach(start + 1, turnFrames(std::min(offEast, 180.0 - offEast)), -1);
    int found = -1;
    while (!open.empty()) {
        const auto [cost, s] = open.top();
        open.pop();
        if (settled[size_t(s)] || cost > best[size_t(s)])
            continue;
        settled[size_t(s)] = 1;
        const int cell = s / 2, axis = s % 2;
        const int col = cell % w, row = cell / w;
        if (goal(col, row, cost)) {
            found = s;
            break;
        }
        reach(cell * 2 + (1 - axis), cost + kQuarterTurnFrames, s);
        for (int sign = -1; sign <= 1; sign += 2) {
            const int nc = col + (axis == 1 ? sign : 0), nr = row + (axis == 0 ? sign : 0);
            if (!maze.IsWallAt(nc, nr))
                reach((nr * w + nc) * 2 + axis,
                      cost + kCellFrames + (danger.empty() ? 0 : danger[size_t(nr * w + nc)]), s);
        }
    }
    if (found < 0)
        return path;
    for (int s = found; s >= 0; s = parent[size_t(s)]) {
        const LevelCell at = {(s / 2) % w, (s / 2) / w};
        if (path.empty() || path.back().column != at.column || path.back().row != at.row)
            path.push_back(at);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

std::vector<int> DangerMap(const CMaze& maze, int reach) {
    const int w = maze.GetWidth(), h = maze.GetHeight();
    std::vector<int> danger(size_t(w) * size_t(h), 0);
    std::vector<std::pair<LevelCell, int>> queue;
    std::vector<int> seen(danger.size(), -1);
    for (int k = 0; k < maze.GetChildCount(); ++k) {
        const CEnemy* enemy = dynamic_cast<const CEnemy*>(maze.GetChild(k));
        if (enemy == nullptr)
            continue;
        const LevelCell at = {static_cast<int>(enemy->GetPose().x),
                              static_cast<int>(enemy->GetPose().z)};
        if (!maze.IsInGrid(at.column, at.row))
            continue;
        queue.assign(1, {at, 0});
        seen[size_t(at.row * w + at.column)] = k;
        for (size_t i = 0; i < queue.size(); ++i) {
            const LevelCell c = queue[i].first;
            const int d = queue[i].second;
            danger[size_t(c.row * w + c.column)] += (reach + 1 - d) * kDangerFramesPerStep;
            if (d == reach)
                continue;
            const int dc[4] = {0, -1, 1, 0}, dr[4] = {-1, 0, 0, 1};
            for (int j = 0; j < 4; ++j) {
                const LevelCell n = {c.column + dc[j], c.row + dr[j]};
                if (!maze.IsInGrid(n.column, n.row) || maze.IsWallAt(n.column, n.row) ||
                    seen[size_t(n.row * w + n.column)] == k)
                    continue;
                seen[size_t(n.row * w + n.column)] = k;
                queue.push_back({n, d + 1});
            }
        }
    }
    return danger;
}

namespace {

// ---- Following ----

struct Point {
    double x, z;
};

// What the keys should hold for the next frame.
struct Steering {
    EMove move = MOVE_STAND;
    ETurn turn = TURN_NONE;
};

// Follows a walk of cells along straight stretches through their corner
// cells' centres: it turns on the spot until the heading is near the
// stretch's direction (or its opposite, walking backwards), then walks,
// steering toward a point a cell ahead on the stretch's centre line.
class CFollower {
public:
    // The walk starts in the player's cell; `player` is where the player
    // stands in it. A stretch that starts across the player's line of travel
    // is preceded by a step to the cell's centre.
    void SetPath(const std::vector<LevelCell>& cells, Point player) {
        m_points.clear();
        m_nSegment = 0;
        if (cells.empty())
            return;
        const auto centre = [](LevelCell c) { return Point{c.column + 0.5, c.row + 0.5}; };
        // Corners: where the direction from cell to cell changes.
        for (size_t i = 0; i < cells.size(); ++i) {
            const bool corner =
                i == 0 || i + 1 == cells.size() ||
                cells[i].column - cells[i - 1].column != cells[i + 1].column - cells[i].column ||
                cells[i].row - cells[i - 1].row != cells[i + 1].row - cells[i].row;
            if (corner)
                m_points.push_back(centre(cells[i]));
        }
        if (m_points.size() >= 2) {
            const Point c = m_points[0], n = m_points[1];
            const double offX = player.x - c.x, offZ = player.z - c.z;
            const bool alongX = n.z == c.z;
            // Off the centre across the first stretch: step to the centre
            // along the axis the player is off on.
            if ((alongX ? std::fabs(offZ) : std::fabs(offX)) > kArrive) {
                const Point from = alongX ? Point{c.x, player.z} : Point{player.x, c.z};
                m_points.insert(m_points.begin(), from);
            }
        }
    }
    bool Done() const { return m_nSegment + 1 >= m_points.size(); }

    Steering Next(double x, double z, double heading) {
        Steering out;
        while (!Done()) {
            const Point a = m_points[m_nSegment], b = m_points[m_nSegment + 1];
            double sx = b.x - a.x, sz = b.z - a.z;
            const double length = std::sqrt(sx * sx + sz * sz);
            if (length < 1e-9) {
                ++m_nSegment;
                continue;
            }
            sx /= length;
            sz /= length;
            if ((x - b.x) * sx + (z - b.z) * sz >= -kArrive) {
                ++m_nSegment;
                continue;
            }
            const double t = (x - a.x) * sx + (z - a.z) * sz;
            const double aimX = a.x + sx * (t + kLookAhead), aimZ = a.z + sz * (t + kLookAhead);
            const double wanted = std::atan2(aimX - x, -(aimZ - z)) * 57.29577951308232;
            double error = WrapDegrees(wanted - heading);
            bool backwards = false;
            if (std::fabs(error) > 90.0) {
                backwards = true;
                error = WrapDegrees(wanted + 180.0 - heading);
            }
            if (std::fabs(error) > kTurnInPlace) {
                out.turn = error > 0 ? TURN_RIGHT : TURN_LEFT;
                return out;
            }
            out.move = backwards ? MOVE_BACKWARD : MOVE_FORWARD;
            if (std::fabs(error) > kAligned)
                out.turn = error > 0 ? TURN_RIGHT : TURN_LEFT;
            return out;
        }
        return out;
    }

private:
    static constexpr double kArrive = 0.05;      // cells short of a corner that count as there
    static constexpr double kLookAhead = 1.0;    // cells
    static constexpr double kTurnInPlace = 10.0; // degrees: more is turned standing
    static constexpr double kAligned = 0.4;      // degrees: less needs no steering
    std::vector<Point> m_points;
    size_t m_nSegment = 0;
};

// ---- Keys ----

// The keys held, and every change made to them, as key script items.
class CKeyRecorder {
public:
    // Makes the keys for frame `frame` hold `steer` (and fire once), queueing
    // them in the headless backend and recording them.
    void Apply(int frame, Steering steer, bool fire) {
        const uint32_t moveKey = KeyFor(steer.move), turnKey = KeyFor(steer.turn);
        // Letting go first: either key of a pair coming up stops its motion.
        if (m_dwMoveKey != 0 && m_dwMoveKey != moveKey)
            Send(frame, WM_KEYUP, m_dwMoveKey);
        if (m_dwTurnKey != 0 && m_dwTurnKey != turnKey)
            Send(frame, WM_KEYUP, m_dwTurnKey);
        if (moveKey != 0 && moveKey != m_dwMoveKey)
            Send(frame, WM_KEYDOWN, moveKey);
        if (turnKey != 0 && turnKey != m_dwTurnKey)
            Send(frame, WM_KEYDOWN, turnKey);
        m_dwMoveKey = moveKey;
        m_dwTurnKey = turnKey;
        if (fire) {
            Send(frame, WM_KEYDOWN, VK_RETURN);
            Send(frame, WM_KEYUP, VK_RETURN);
        }
    }
    // A key script of every key sent: one line a frame.
    const std::string& Script() const { return m_strScript; }
    int Events() const { return m_nEvents; }

private:
    static uint32_t KeyFor(EMove move) {
        return move == MOVE_FORWARD    ? uint32_t(VK_UP)
               : move == MOVE_BACKWARD ? uint32_t(VK_DOWN)
                                       : 0u;
    }
    static uint32_t KeyFor(ETurn turn) {
        return turn == TURN_RIGHT ? uint32_t(VK_RIGHT) : turn == TURN_LEFT ? uint32_t(VK_LEFT) : 0u;
    }
    static const char* Name(uint32_t vk) {
        switch (vk) {
        case VK_UP:
            return "up";
        case VK_DOWN:
            return "down";
        case VK_LEFT:
            return "left";
        case VK_RIGHT:
            return "right";
        default:
            return "fire";
        }
    }
    void Send(int frame, uint32_t message, uint32_t vk) {
        HeadlessAddKey(frame, message, vk);
        ++m_nEvents;
        if (frame != m_nLastFrame) {
            if (m_nLastFrame != 0)
                m_strScript += '\n';
            m_nLastFrame = frame;
        } else {
            m_strScript += ' ';
        }
        m_strScript += std::to_string(frame) + (message == WM_KEYDOWN ? ":+" : ":-") + Name(vk);
    }

    uint32_t m_dwMoveKey = 0;
    uint32_t m_dwTurnKey = 0;
    int m_nLastFrame = 0;
    int m_nEvents = 0;
    std::string m_strScript;
};

// Whether a shot fired now would hit an enemy: the world's own probe, cell
// by cell along the heading for 10 cells, stopped by the first wall; an
// enemy is hit when a probed cell lies in the cell block left of and above
// its own (its sprite must also have been drawn, which the probe cannot
// know here: a shot may still miss).
bool ShotWouldHit(const CWorld& world) {
    const CMaze* maze = world.GetMaze();
    if (maze == nullptr)
        return false;
    const double rad = world.GetCamera().heading * 0.017453292519943295;
    const double stepX = std::sin(rad), stepZ = -std::cos(rad);
    for (int i = 0; i < 10; ++i) {
        const int cx = static_cast<int>(world.GetCamera().x + i * stepX);
        const int cz = static_cast<int>(world.GetCamera().z + i * stepZ);
        if (maze->IsWallAt(cx, cz))
            return false;
        for (int k = 0; k < maze->GetChildCount(); ++k) {
            const CEnemy* enemy = dynamic_cast<const CEnemy*>(maze->GetChild(k));
            if (enemy == nullptr)
                continue;
            const int ex = static_cast<int>(enemy->GetPose().x);
            const int ez = static_cast<int>(enemy->GetPose().z);
            if (cx >= ex - 1 && cx <= ex && cz >= ez - 1 && cz <= ez)
                return true;
        }
    }
    return false;
}

// The game's own command line for a run, so the run here starts as the
// program's does.
std::vector<std::string> CommandWords(const Config& config) {
    std::vector<std::string> words = {"--headless", "--frames", std::to_string(config.maxFrames)};
    if (config.seed != 1) {
        words.push_back("--seed");
        words.push_back(std::to_string(config.seed));
    }
    if (config.invulnerable)
        words.push_back("AlwaysTheWalrus");
    return words;
}

// The application with its idle step wrapped: after each pass it looks at
// the world and queues the next pass's keys.
class CBotApp : public CQuibboApp {
public:
    CBotApp(const Config& config, Result* result) : m_config(config), m_pResult(result) {}

    bool OnIdle(long count) override {
        const int pass = HeadlessIdlePasses();
        const bool more = CQuibboApp::OnIdle(count);
        m_pResult->frames = pass;
        const CMainFrame* frame = dynamic_cast<const CMainFrame*>(m_pMainWnd);
        CWorld* world = frame != nullptr ? frame->m_pWorld : nullptr;
        if (world == nullptr || m_pResult->cleared)
            return more;
        if (const CMaze* maze = world->GetMaze())
            m_pResult->dotsLeft = maze->GetDotsLeft();
        if (g_runStats.m_events[EV_LAST_DOT] > 0) {
            m_pResult->cleared = true;
            m_pResult->clearFrame = pass;
            m_keys.Apply(pass + 1, Steering(), false); // let go of everything
            return more;
        }
        // A life lost puts the player back on the start with every dot back.
        // (With the access word a touch costs nothing and changes nothing.)
        if (m_nLives >= 0 && world->GetLives() < m_nLives) {
            m_pResult->catches += m_nLives - world->GetLives();
            m_bPlanned = false;
            if (m_config.traceEvery > 0)
                std::fprintf(stderr, "frame %d: caught at (%.2f, %.2f) on the way to (%d, %d)\n",
                             pass, m_lastX, m_lastZ, m_target.column, m_target.row);
        }
        m_nLives = world->GetLives();
        if (g_runStats.m_events[EV_GAME_OVER] > 0 || world->IsPaused())
            return more;
        // Caught, the game stands still and forgets the keys held through
        // its hold: a player lets go and presses afresh once it is over.
        if (world->IsHolding()) {
            m_keys.Apply(pass + 1, Steering(), false);
            m_bPlanned = false;
            return more;
        }
        Steer(*world, pass);
        return more;
    }

    const CKeyRecorder& Keys() const { return m_keys; }

private:
    void Steer(CWorld& world, int pass) {
        const CMaze* maze = world.GetMaze();
        if (maze == nullptr)
            return;
        const CPose& pose = world.GetCamera();
        const LevelCell here = {static_cast<int>(pose.x), static_cast<int>(pose.z)};
        // Standing on a dot that will not go: with the access word an enemy
        // can keep touching the player, and a touch wins over the dot. Go
        // elsewhere for a while; the enemies follow, and the dot is free.
        const bool onTarget = m_bPlanned && here.column == m_target.column &&
                              here.row == m_target.row &&
                              IsTarget(maze->GetCell(here.column, here.row));
        m_nOnTarget = onTarget ? m_nOnTarget + 1 : 0;
        if (m_nOnTarget > kBlockedFrames) {
            m_deferred.push_back({m_target, pass + kDeferFrames});
            m_bPlanned = false;
            m_nOnTarget = 0;
        }
        m_deferred.erase(std::remove_if(m_deferred.begin(), m_deferred.end(),
                                        [&](const Deferred& d) { return d.until <= pass; }),
                         m_deferred.end());
        // A new walk when there is none, the last is done, its target has
        // been eaten (or another dot on the way was), or the player has not
        // moved for a while.
        const bool stuck = m_nStill > kStuckFrames;
        // Near enemies the plan is made again as they move.
        const bool threatened = m_config.avoid && pass % kReplanFrames == 0 &&
                                EnemyWithin(*maze, here, kAvoidReach + 3);
        if (!m_bPlanned || m_follower.Done() ||
            (!m_bWander && !IsTarget(maze->GetCell(m_target.column, m_target.row))) || stuck ||
            threatened) {
            const std::vector<int> danger =
                m_config.avoid ? DangerMap(*maze, kAvoidReach) : std::vector<int>();
            const auto deferred = [&](int c, int r) {
                for (const Deferred& d : m_deferred)
                    if (d.cell.column == c && d.cell.row == r)
                        return true;
                return false;
            };
            std::vector<LevelCell> path = PlanLeg(
                *maze, here, pose.heading,
                [&](int c, int r, int) { return IsTarget(maze->GetCell(c, r)) && !deferred(c, r); },
                danger);
            // Every dot left is put off: walk a few cells away meanwhile.
            m_bWander = path.empty() && !m_deferred.empty();
            if (m_bWander)
                path = PlanLeg(*maze, here, pose.heading,
                               [&](int, int, int frames) { return frames >= kWanderFrames; });
            m_bPlanned = !path.empty();
            if (m_bPlanned)
                m_target = path.back();
            m_follower.SetPath(path, {pose.x, pose.z});
            m_nStill = 0;
        }
        Steering steer = m_follower.Next(pose.x, pose.z, pose.heading);
        const bool moved = std::fabs(pose.x - m_lastX) + std::fabs(pose.z - m_lastZ) > 1e-4;
        m_nStill = steer.move != MOVE_STAND && !moved ? m_nStill + 1 : 0;
        m_lastX = pose.x;
        m_lastZ = pose.z;
        const bool fire = m_config.shoot && world.GetShots() > 0 && !world.HasMuzzleFlash() &&
                          ShotWouldHit(world);
        m_keys.Apply(pass + 1, steer, fire);
        if (m_config.traceEvery > 0 && pass % m_config.traceEvery == 0)
            std::fprintf(stderr,
                         "frame %d: at (%.3f, %.3f) heading %.2f, to (%d, %d), %d dots left, "
                         "move %d turn %d\n",
                         pass, pose.x, pose.z, pose.heading, m_target.column, m_target.row,
                         maze->GetDotsLeft(), steer.move, steer.turn);
    }

    static bool EnemyWithin(const CMaze& maze, LevelCell at, int cells) {
        for (int k = 0; k < maze.GetChildCount(); ++k)
            if (const CEnemy* enemy = dynamic_cast<const CEnemy*>(maze.GetChild(k)))
                if (std::fabs(enemy->GetPose().x - at.column) <= cells &&
                    std::fabs(enemy->GetPose().z - at.row) <= cells)
                    return true;
        return false;
    }

    static const int kStuckFrames = 60;
    static const int kReplanFrames = 16;
    static const int kAvoidReach = 3; // cells of an enemy's walk that cost more
    static const int kBlockedFrames = 40;
    static const int kDeferFrames = 1500;             // 24 s
    static const int kWanderFrames = 6 * kCellFrames; // about six cells
    struct Deferred {
        LevelCell cell;
        int until; // the pass from which it is a target again
    };
    std::vector<Deferred> m_deferred;
    int m_nOnTarget = 0;
    bool m_bWander = false; // the walk leads away, not to a dot
    Config m_config;
    Result* m_pResult;
    CKeyRecorder m_keys;
    CFollower m_follower;
    bool m_bPlanned = false;
    LevelCell m_target;
    int m_nStill = 0;
    int m_nLives = -1;
    double m_lastX = -1.0, m_lastZ = -1.0;
};

} // namespace

Result Play(const Config& config) {
    Result result;
    result.words = CommandWords(config);
    std::vector<std::string> words = result.words;
    words.insert(words.begin(), "quibbo");
    words.push_back("--levels");
    words.push_back(config.levelsDir);
    std::vector<const char*> argv;
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    COptions options;
    std::string error;
    if (!options.Parse(static_cast<int>(argv.size()), argv.data(), &error)) {
        std::fprintf(stderr, "levelbot: %s\n", error.c_str());
        return result;
    }
    PlatSeedRand(options.m_bSeed ? options.m_dwSeed : 1u);
    g_nLevel = 0;
    g_runStats.Reset();
    if (PlatStartup(options.m_config, HeadlessMakeBackend)) {
        {
            CBotApp app(config, &result);
            app.m_pszCmdLine = options.m_strCmdLine.c_str();
            app.m_bConfirmQuit = !options.m_bNoConfirm;
            app.m_strLevelsDir = options.m_strLevelsDir;
            app.Run();
            result.score = g_runStats.m_nScore;
            result.enemiesLeft = g_runStats.m_nEnemies;
            result.script = app.Keys().Script();
            result.keyEvents = app.Keys().Events();
        }
        PlatShutdown();
    }
    return result;
}

} // namespace bot
