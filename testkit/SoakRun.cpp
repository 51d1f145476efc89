#include "testkit/SoakRun.h"
#include "app/MainFrame.h"
#include "app/QuibboApp.h"
#include "app/RunStats.h"
#include "platform/Platform.h"
#include "platform/PlatformTypes.h"
#include "platform/Rand.h"
#include "platform/headless/Headless.h"
#include "scene/LevelBudget.h"
#include "scene/LevelText.h"
#include "scene/Maze.h"
#include "world/World.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace soak {

std::string CheckFigures(const CWorld& world) {
    char what[160];
    if (world.GetScore() < 0) {
        std::snprintf(what, sizeof what, "score %d is negative", world.GetScore());
        return what;
    }
    if (world.GetLives() < 0 || world.GetLives() > 5) {
        std::snprintf(what, sizeof what, "lives %d outside 0..5", world.GetLives());
        return what;
    }
    if (world.GetShots() < 0) {
        std::snprintf(what, sizeof what, "shots %d are negative", world.GetShots());
        return what;
    }
    if (!std::isfinite(world.GetCamera().x) || !std::isfinite(world.GetCamera().z) ||
        !std::isfinite(world.GetCamera().heading))
        return "the camera is not at a finite place";
    return "";
}

std::string CheckWorld(const CWorld& world) {
    std::string problem = CheckFigures(world);
    if (!problem.empty())
        return problem;
    char what[160];
    const double x = world.GetCamera().x, z = world.GetCamera().z;
    const CMaze* maze = world.GetMaze();
    if (maze == nullptr || maze->GetWidth() == 0)
        return ""; // no level built: the game ends before another frame
    if (x < 0.0 || z < 0.0 || x >= maze->GetWidth() || z >= maze->GetHeight()) {
        std::snprintf(what, sizeof what, "the player at (%.6f, %.6f) is outside the %d x %d grid",
                      x, z, maze->GetWidth(), maze->GetHeight());
        return what;
    }
    const int cx = static_cast<int>(x), cz = static_cast<int>(z);
    // A level without a start marker puts the player in its middle cell,
    // whatever that holds; only there may the player stand in a wall.
    int startX = cx, startZ = cz;
    if (maze->IsWallAt(cx, cz))
        maze->GetStartCell(&startX, &startZ);
    if (startX != cx || startZ != cz) {
        std::snprintf(what, sizeof what, "the player at (%.6f, %.6f) is inside wall cell (%d, %d)",
                      x, z, cx, cz);
        return what;
    }
    return "";
}

// ---- The levels ----

const char* ScenarioName(Scenario s) {
    switch (s) {
    case Scenario::BuiltIn:
        return "builtin";
    case Scenario::NoStart:
        return "nostart";
    case Scenario::EnemiesEverywhere:
        return "enemies";
    case Scenario::DotsOnEdge:
        return "edge";
    case Scenario::Huge:
        return "huge";
    case Scenario::Swarm:
        return "swarm";
    default:
        return "pillars";
    }
}

bool ScenarioByName(const std::string& name, Scenario* s) {
    for (Scenario candidate : kScenarios)
        if (name == ScenarioName(candidate)) {
            *s = candidate;
            return true;
        }
    return false;
}

namespace {

// A small generator of its own, so that runs do not depend on the library's.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
        if (m_state == 0)
            m_state = 1;
    }
    uint32_t Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return static_cast<uint32_t>((m_state * 0x2545F4914F6CDD1Dull) >> 32);
    }
    // 0 <= result < n
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>((uint64_t(Next()) * n) >> 32); }

private:
    uint64_t m_state;
};

LevelGrid EmptyGrid(int width, int height, uint8_t fill) {
    LevelGrid grid;
    grid.width = width;
    grid.height = height;
    grid.cells.assign(size_t(width) * size_t(height), fill);
    return grid;
}
uint8_t& Cell(LevelGrid& grid, int x, int z) {
    return grid.cells[size_t(z) * size_t(grid.width) + size_t(x)];
}

} // namespace

bool MakeScenarioLevel(Scenario s, uint32_t seed, LevelGrid* out) {
    Random random(seed ^ 0x5EEDu);
    switch (s) {
    case Scenario::BuiltIn:
        return false;
    case Scenario::NoStart: {
        // Rooms of corridor between wall pillars, dots and two enemies.
        LevelGrid g = EmptyGrid(33, 21, CELL_CORRIDOR);
        for (int z = 0; z < g.height; ++z)
            for (int x = 0; x < g.width; ++x) {
                if (x == 0 || z == 0 || x == g.width - 1 || z == g.height - 1)
                    Cell(g, x, z) = CELL_WALL;
                else if (x % 4 == 2 && z % 4 == 2)
                    Cell(g, x, z) = CELL_WALL + 1;
                else if ((x + z) % 7 == 0)
                    Cell(g, x, z) = CELL_ITEM + ITEM_DOT;
            }
        Cell(g, g.width / 2, g.height / 2) = CELL_CORRIDOR; // where the player is put
        Cell(g, 3, 3) = CELL_ENEMY_FIRST;
        Cell(g, 29, 17) = CELL_ENEMY_LAST;
        Cell(g, 5, 15) = CELL_ITEM + ITEM_GUN;
        *out = std::move(g);
        return true;
    }
    case Scenario::EnemiesEverywhere: {
        // An enemy start on every open cell but a small clearing round the
        // player's start, where a gun lies: the enemies close in, catch the
        // player, the level restarts with all of them, five catches end the
        // game, and OK starts it again.
        LevelGrid g = EmptyGrid(32, 32, CELL_WALL);
        for (int z = 1; z < g.height - 1; ++z)
            for (int x = 1; x < g.width - 1; ++x) {
                const bool clearing = std::abs(x - 16) <= 3 && std::abs(z - 16) <= 3;
                if (x % 5 == 0 && z % 5 == 0)
                    Cell(g, x, z) = CELL_WALL + 1;
                else
                    Cell(g, x, z) =
                        clearing ? uint8_t(CELL_CORRIDOR) : uint8_t(CELL_ENEMY_FIRST + (x + z) % 3);
            }
        Cell(g, 16, 16) = CELL_START;
        Cell(g, 16, 15) = CELL_ITEM + ITEM_GUN;
        Cell(g, 17, 17) = CELL_ITEM + ITEM_DOT;
        *out = std::move(g);
        return true;
    }
    case Scenario::DotsOnEdge: {
        LevelGrid g = EmptyGrid(30, 20, CELL_CORRIDOR);
        for (int z = 0; z < g.height; ++z)
            for (int x = 0; x < g.width; ++x) {
                if (x == 0 || z == 0 || x == g.width - 1 || z == g.height - 1)
                    Cell(g, x, z) = CELL_ITEM + ITEM_DOT;
                else if ((x % 6 == 3 && z % 5 != 2) || (z == 10 && x % 8 == 1))
                    Cell(g, x, z) = CELL_WALL;
            }
        Cell(g, 15, 10) = CELL_START;
        Cell(g, 0, 0) = CELL_ENEMY_FIRST; // an enemy on the ring itself
        Cell(g, g.width - 1, g.height - 1) = CELL_ITEM + ITEM_GUN;
        *out = std::move(g);
        return true;
    }
    case Scenario::Huge: {
        LevelGrid g = EmptyGrid(512, 512, CELL_CORRIDOR);
        for (uint8_t& cell : g.cells) {
            const uint32_t r = random.Below(1000);
            if (r < 300)
                cell = uint8_t(CELL_WALL + random.Below(4)); // types 2 and 3 have no textures
            else if (r < 340)
                cell = CELL_ITEM + ITEM_DOT;
            else if (r < 345)
                cell = CELL_ITEM + ITEM_GUN;
            else if (r < 355)
                cell = uint8_t(CELL_ITEM + 2 + random.Below(62));
            else if (r < 356)
                cell = uint8_t(CELL_ENEMY_FIRST + random.Below(3));
            else if (r < 380)
                cell = uint8_t(192 + random.Below(64)); // open floor of class 3
            else if (r < 400)
                cell = uint8_t(random.Below(2) ? 0 : 6 + random.Below(58)); // plain markers
        }
        Cell(g, 256, 256) = CELL_START;
        for (int dz = -1; dz <= 1; ++dz) // room to move at the start
            for (int dx = -1; dx <= 1; ++dx)
                if (dx != 0 || dz != 0)
                    Cell(g, 256 + dx, 256 + dz) = CELL_CORRIDOR;
        *out = std::move(g);
        return true;
    }
    case Scenario::Swarm: {
        // An open field of enemy starts round a small clearing at the start:
        // every enemy that comes into the player's row or column sees the
        // player and closes in.
        LevelGrid g = EmptyGrid(kSwarmSide, kSwarmSide, CELL_WALL);
        const int mid = kSwarmSide / 2;
        for (int z = 1; z < g.height - 1; ++z)
            for (int x = 1; x < g.width - 1; ++x)
                Cell(g, x, z) = std::max(std::abs(x - mid), std::abs(z - mid)) <= 2
                                    ? uint8_t(CELL_CORRIDOR)
                                    : uint8_t(CELL_ENEMY_FIRST + (x + z) % 3);
        Cell(g, mid, mid) = CELL_START;
        Cell(g, mid + 1, mid) = CELL_ITEM + ITEM_GUN;
        *out = std::move(g);
        return true;
    }
    case Scenario::Pillars: {
        // A pillar every fifth cell each way, some of the second wall type;
        // dots and guns here and there, no enemies.
        LevelGrid g = EmptyGrid(kMaxLevelSide, kMaxLevelSide, CELL_CORRIDOR);
        for (int z = 0; z < g.height; ++z)
            for (int x = 0; x < g.width; ++x) {
                if (x == 0 || z == 0 || x == g.width - 1 || z == g.height - 1 ||
                    (x % 5 == 0 && z % 5 == 0))
                    Cell(g, x, z) = uint8_t(CELL_WALL + random.Below(2));
                else if (random.Below(2000) == 0)
                    Cell(g, x, z) = CELL_ITEM + uint8_t(random.Below(2));
            }
        Cell(g, 2, 2) = CELL_START;
        *out = std::move(g);
        return true;
    }
    }
    return false;
}

namespace {

// The device screen of a scenario's run: the handheld's for the built-in
// level; for the others each of the other pixel formats and framebuffer
// layouts the game must serve (turned, mirrored, upside down, a client area
// below a title bar).
HeadlessDisplay ScenarioDisplay(Scenario s) {
    HeadlessDisplay d; // 240 x 320, 5-6-5, rows down
    switch (s) {
    case Scenario::BuiltIn:
        break;
    case Scenario::NoStart: // 8-8-8 on a screen turned a quarter
        d.bitsPerPixel = 32;
        d.format = kfDirect888;
        d.xPitch = 320 * 4;
        d.yPitch = -4;
        break;
    case Scenario::EnemiesEverywhere: // 5-5-5, mirrored left to right
        d.format = kfDirect555;
        d.xPitch = -2;
        break;
    case Scenario::DotsOnEdge: // upside down
        d.yPitch = -240 * 2;
        break;
    case Scenario::Huge: // 8-8-8 under a title bar
        d.bitsPerPixel = 32;
        d.format = kfDirect888;
        d.clientOrigin = {0, 26};
        d.clientHeight = 320 - 26;
        break;
    case Scenario::Swarm: // the handheld's own
        break;
    case Scenario::Pillars: // 8-8-8, the largest minimap
        d.bitsPerPixel = 32;
        d.format = kfDirect888;
        break;
    }
    return d;
}

// ---- Keys ----

// The keys one idle pass may bring, like a restless player's: walking on
// for long stretches, turns held for a moment and let go, backing up,
// stopping, firing (Return and the action buttons), and now and then any key
// code or a character.
class KeyStream {
public:
    explicit KeyStream(uint32_t seed) : m_random(uint64_t(seed) << 1 | 1) {}

    struct Key {
        uint32_t message;
        uint32_t vk;
    };

    // The keys for the next pass (often none).
    std::vector<Key> Next() {
        std::vector<Key> keys;
        if (m_nTurnLeft > 0 && --m_nTurnLeft == 0)
            keys.push_back({WM_KEYUP, m_dwTurnKey});
        if (m_bPaused) {
            // A pause lasts one pass: the same key resumes.
            m_bPaused = false;
            keys.push_back({WM_KEYDOWN, VK_PAUSE});
        }
        if (m_bFirst) {
            m_bFirst = false;
            keys.push_back({WM_KEYDOWN, VK_UP});
        }
        if (m_random.Below(16) != 0)
            return keys;
        const uint32_t r = m_random.Below(100);
        if (r < 30) {
            keys.push_back({WM_KEYDOWN, VK_UP});
        } else if (r < 36) {
            keys.push_back({WM_KEYDOWN, VK_DOWN});
        } else if (r < 42) {
            keys.push_back({WM_KEYUP, m_random.Below(2) ? VK_UP : VK_DOWN});
        } else if (r < 70) {
            m_dwTurnKey = m_random.Below(2) ? VK_LEFT : VK_RIGHT;
            m_nTurnLeft = 3 + int(m_random.Below(60)); // 2 to 40 degrees at 16 ms a frame
            keys.push_back({WM_KEYDOWN, m_dwTurnKey});
        } else if (r < 84) {
            static const uint32_t fire[] = {VK_RETURN,   VK_LWIN,     VK_F23,      VK_APP1,
                                            VK_APP1 + 1, VK_APP1 + 2, VK_APP1 + 3, VK_APP1 + 4};
            const uint32_t vk = fire[m_random.Below(8)];
            keys.push_back({WM_KEYDOWN, vk});
            keys.push_back({WM_KEYUP, vk});
        } else if (r < 96) {
            const uint32_t message = m_random.Below(2) ? WM_KEYDOWN : WM_KEYUP;
            uint32_t vk = 1 + m_random.Below(255);
            // Escape would ask to quit, and the answer kept waiting for a
            // game-over box would say yes; the question has tests of its own.
            if (vk == VK_ESCAPE)
                vk = VK_SPACE;
            m_bPaused = message == WM_KEYDOWN && vk == VK_PAUSE;
            keys.push_back({message, vk});
        } else {
            keys.push_back({WM_CHAR, 32 + m_random.Below(95)});
        }
        return keys;
    }

private:
    Random m_random;
    bool m_bFirst = true;
    bool m_bPaused = false; // the last pass pressed the pause key
    int m_nTurnLeft = 0;    // passes until the held turn key is let go
    uint32_t m_dwTurnKey = VK_LEFT;
};

// ---- A run ----

// Processor time of the calling thread, in microseconds.
long ThreadMicros() {
    timespec t = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return long(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// The process's resident high-water mark starts again from what it holds
// now; false where the system cannot.
bool ResetPeakResident() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (f == nullptr)
        return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

// A figure of the process's status in kilobytes ("VmHWM", "VmRSS"), 0 when
// unknown: the kernel gives it in kilobytes, whatever its page size, and a
// system without /proc gives none.
long StatusKb(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return 0;
    const std::string format = std::string(field) + ": %ld kB";
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, format.c_str(), &kb) == 1)
            break;
    std::fclose(f);
    return kb;
}

// The application with its idle step wrapped.
class CSoakApp : public CQuibboApp {
public:
    CSoakApp(const Config& config, Report* report)
        : m_config(config), m_pReport(report), m_keys(config.seed), m_nStart(ThreadMicros()) {}

    bool OnIdle(long count) override {
        const int pass = HeadlessIdlePasses();
        const long before = ThreadMicros();
        if (m_nStart >= 0) {
            m_pReport->startMicros = before - m_nStart;
            m_nStart = -1;
        }
        const int loads = Loads();
        // One answer is always waiting, so every game-over box gets OK.
        if (m_nAnswersQueued == 0) {
            HeadlessAddAnswer(IDOK);
            m_nAnswersQueued = 1;
        }
        const bool more = CQuibboApp::OnIdle(count);
        const long spent = ThreadMicros() - before;
        long& longest =
            Loads() != loads ? m_pReport->longestLoadMicros : m_pReport->longestFrameMicros;
        longest = std::max(longest, spent);
        Observe(pass);
        // The next pass's keys. A pass that asks for no more (a paused world)
        // also gets one, a harmless release, so the run waits for it rather
        // than ending for want of input.
        std::vector<KeyStream::Key> keys = m_keys.Next();
        if (keys.empty() && !more)
            keys.push_back({WM_KEYUP, VK_UP});
        for (const KeyStream::Key& key : keys)
            HeadlessAddKey(pass + 1, key.message, key.vk);
        m_pReport->keys += int(keys.size());
        return more;
    }

private:
    // Events after which the frame window loads a level: a catch restarts
    // it, a last dot brings the next, game over a new game.
    static int Loads() {
        return g_runStats.m_events[EV_CAUGHT] + g_runStats.m_events[EV_LAST_DOT] +
               g_runStats.m_events[EV_GAME_OVER];
    }

    void Observe(int pass) {
        Report& report = *m_pReport;
        report.passes = pass;
        // The call record and the run's list of boxes would grow with the
        // run; what they hold is looked at here, then dropped.
        if ((pass & 1023) == 0)
            HeadlessClearLog();
        const std::vector<HeadlessBox>& boxes = HeadlessMessageBoxes();
        for (; m_nBoxesSeen < boxes.size(); ++m_nBoxesSeen) {
            const HeadlessBox& box = boxes[m_nBoxesSeen];
            if ((box.type & 0xF) == MB_OKCANCEL) {
                m_nAnswersQueued = 0;
                ++report.gameOvers;
                if (box.answer != IDOK && report.failure.empty()) {
                    report.failure = "a game-over box was not answered OK";
                    report.failedPass = pass;
                }
            }
        }
        g_runStats.m_boxes.clear();
        report.frames = g_runStats.m_nFrames;
        report.catches = g_runStats.m_events[EV_CAUGHT] + g_runStats.m_events[EV_GAME_OVER];
        report.dotsEaten = g_runStats.m_events[EV_DOT] + g_runStats.m_events[EV_LAST_DOT];
        report.levelsWon = g_runStats.m_events[EV_LAST_DOT];

        const CMainFrame* frame = dynamic_cast<const CMainFrame*>(m_pMainWnd);
        if (frame != nullptr && frame->m_pWorld != nullptr)
            if (const CMaze* maze = frame->m_pWorld->GetMaze()) {
                report.mazeWidth = maze->GetWidth();
                report.mazeHeight = maze->GetHeight();
            }
        if (frame != nullptr && frame->m_pWorld != nullptr && report.failure.empty()) {
            report.failure = CheckWorld(*frame->m_pWorld);
            if (!report.failure.empty())
                report.failedPass = pass;
        }
        if (m_config.rssEvery > 0 && pass % m_config.rssEvery == 0)
            report.rss.push_back({pass, ResidentKb()});
    }

    Config m_config;
    Report* m_pReport;
    KeyStream m_keys;
    int m_nAnswersQueued = 0;
    size_t m_nBoxesSeen = 0;
    long m_nStart; // until the first pass
};

// A folder of its own for one run's level file.
std::string ScratchLevels(const Config& config) {
    static int counter = 0;
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("quibbo-soak-" + std::to_string(getpid()) + "-" +
                                 std::to_string(counter++) + "-" + ScenarioName(config.scenario));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

} // namespace

long ResidentKb() {
    return StatusKb("VmRSS");
}

Report Run(const Config& config) {
    Report report;
    const bool scratch = config.levelsDir.empty();
    std::string dir = scratch ? ScratchLevels(config) : config.levelsDir;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    LevelGrid grid;
    if (MakeScenarioLevel(config.scenario, config.seed, &grid) &&
        !WriteWholeFile((dir + "QB00.BMP").c_str(), MakeLevelBitmap(grid))) {
        report.failure = "cannot write the level file in " + dir;
        return report;
    }

    // As the game's own run does it: seeded generator, fresh level number
    // and figures, the headless platform with its frame limit and step, here
    // on the scenario's screen.
    const bool bPeak = ResetPeakResident();
    PlatSeedRand(config.seed);
    g_nLevel = 0;
    g_runStats.Reset();
    PlatConfig platform;
    platform.headless = true;
    platform.dtMs = config.dtMs;
    platform.frames = config.frames;
    if (PlatStartup(platform, HeadlessMakeBackend)) {
        HeadlessReset(ScenarioDisplay(config.scenario));
        HeadlessSetStep(config.dtMs);
        HeadlessSetFrameLimit(config.frames);
        {
            CSoakApp app(config, &report);
            app.m_strLevelsDir = dir;
            app.m_pszCmdLine = "";
            report.exitCode = app.Run() & 0xFF;
        }
        // The world recorded its figures as it was destroyed.
        report.x = g_runStats.m_x;
        report.z = g_runStats.m_z;
        report.heading = g_runStats.m_heading;
        report.score = g_runStats.m_nScore;
        report.lives = g_runStats.m_nLives;
        PlatShutdown();
    }
    if (bPeak)
        report.peakRssKb = StatusKb("VmHWM");
    if (scratch)
        std::filesystem::remove_all(dir);
    return report;
}

} // namespace soak
