// Whole frames: the fixed walk through the built-in level (the one the
// picture guard hashes), the same walk in larger levels tiled from it, and
// the load of the largest. The view is the same in every level; only the
// minimap grows, up to the whole screen (a level more than 320 cells high
// covers it all).
//
// Each repetition is exactly one pass over the walk (its frame count as the
// iterations), after one pass to warm up, so every repetition averages the
// same frames: standing, walking and turning in corridors and against walls.
#include "gfx/KernelLevel.h"
#include "platform/RunTape.h"
#include "platform/Time.h"
#include "res/ResourceIds.h"
#include "scene/LevelText.h"
#include "testkit/SoakRun.h"
#include "testkit/SpeedRoute.h"
#include "world/World.h"
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace speed;

namespace {

const uint32_t kSeed = 1;

struct DisplayFormat {
    const char* name;
    int32_t bitsPerPixel;
    uint32_t flags;
};
const DisplayFormat kFormats[] = {
    {"565", 16, kfDirect565}, {"555", 16, kfDirect555}, {"888", 32, kfDirect888}};

HeadlessDisplay DisplayOf(int64_t format) {
    HeadlessDisplay d;
    d.bitsPerPixel = kFormats[format].bitsPerPixel;
    d.format = kFormats[format].flags;
    return d;
}

// The walk until the timer stops; frames a second go with the figures.
void RunWalk(benchmark::State& state, CRouteGame& game) {
    const std::vector<RouteLeg>& route = Level130Route();
    game.GiveShots(1000000); // the gun is held all the way
    for (int i = 0; i < RouteFrames(route); ++i)
        game.NextFrame(route);
    game.Rewind();
    for (auto _ : state)
        benchmark::DoNotOptimize(game.NextFrame(route));
    state.counters["fps"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_FrameLevel130(benchmark::State& state) {
    CRouteGame game(DisplayOf(state.range(0)), kSeed, true);
    if (!game.IsReady() || !game.LoadLevelResource(IDB_LEVEL)) {
        state.SkipWithError("the built-in level did not load");
        return;
    }
    state.SetLabel(kFormats[state.range(0)].name);
    RunWalk(state, game);
}
BENCHMARK(BM_FrameLevel130)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(RouteFrames(Level130Route()))
    ->Unit(benchmark::kMicrosecond);

// What recording adds to a frame: the frame's one look at the clock, kept on
// the run's tape (inputs come far less often than frames, and cost the same
// push). Against BM_FrameLevel130, measured in the same run.
void BM_FrameClockLookRecorded(benchmark::State& state) {
    CRouteGame game(DisplayOf(0), kSeed, true); // the headless platform, started
    RunTape tape;
    tape.clock.reserve(static_cast<size_t>(state.max_iterations));
    PlatRecordRun(&tape);
    for (auto _ : state)
        benchmark::DoNotOptimize(PlatGetTickCount());
    PlatRecordRun(nullptr);
    if (tape.clock.size() != static_cast<size_t>(state.iterations()))
        state.SkipWithError("the looks were not recorded");
}
BENCHMARK(BM_FrameClockLookRecorded)->Iterations(1000000)->Unit(benchmark::kNanosecond);

// The same frames with the portable kernels only, as a machine without
// AVX2 or AVX-512 (or the browser) draws them.
void BM_FrameLevel130Portable(benchmark::State& state) {
    const KernelLevel level = GetKernelLevel();
    SetKernelLevel(KernelLevel::Portable);
    BM_FrameLevel130(state);
    SetKernelLevel(level);
}
BENCHMARK(BM_FrameLevel130Portable)
    ->Arg(0)
    ->Arg(2)
    ->Iterations(RouteFrames(Level130Route()))
    ->Unit(benchmark::kMicrosecond);

// A level file named `name`, written once by `make` (which fills the grid
// or says why not).
template <typename Make> std::string LevelFile(const std::string& name, Make make) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("quibbo-bench-" + std::to_string(getpid()) + "-" + name + ".bmp"))
                                 .string();
    if (!std::filesystem::exists(path)) {
        LevelGrid grid;
        std::string error;
        if (!make(&grid, &error) || !WriteWholeFile(path.c_str(), MakeLevelBitmap(grid))) {
            std::fprintf(stderr, "cannot make the %s level: %s\n", name.c_str(), error.c_str());
            return "";
        }
        // Gone when the program ends.
        static std::vector<std::string> s_files;
        if (s_files.empty())
            std::atexit([] {
                for (const std::string& f : s_files)
                    std::filesystem::remove(f);
            });
        s_files.push_back(path);
    }
    return path;
}

// The tiled level of `side` cells as a level file.
std::string TiledLevelFile(int side) {
    return LevelFile("tiled-" + std::to_string(side), [side](LevelGrid* grid, std::string* error) {
        return MakeTiledLevel(side, grid, error);
    });
}

// The soak's pillar level: the largest side, the most wall faces an honest
// level has.
std::string PillarLevelFile() {
    return LevelFile("pillars", [](LevelGrid* grid, std::string* error) {
        *error = "the soak made no grid";
        return soak::MakeScenarioLevel(soak::Scenario::Pillars, 1, grid);
    });
}

void BM_FrameTiled(benchmark::State& state) {
    const int side = int(state.range(0));
    CRouteGame game(HeadlessDisplay(), kSeed, true);
    const std::string path = TiledLevelFile(side);
    if (!game.IsReady() || path.empty() || !game.LoadLevelFile(path)) {
        state.SkipWithError("the tiled level did not load");
        return;
    }
    RunWalk(state, game);
}
BENCHMARK(BM_FrameTiled)
    ->Arg(256)
    ->Arg(512)
    ->Arg(1024)
    ->Iterations(RouteFrames(Level130Route()))
    ->Unit(benchmark::kMicrosecond);

// Loading a level into a fresh world: reading the file, the grid, the
// minimap picture and building every wall, item and enemy.
void LoadLevel(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            CRouteGame game(HeadlessDisplay(), kSeed, true);
            state.ResumeTiming();
            const bool built = !path.empty() && game.IsReady() && game.LoadLevelFile(path);
            state.PauseTiming();
            if (!built) {
                state.SkipWithError("the level did not load");
                break;
            }
        }
        state.ResumeTiming();
    }
}

void BM_LoadTiled(benchmark::State& state) {
    LoadLevel(state, TiledLevelFile(int(state.range(0))));
}
BENCHMARK(BM_LoadTiled)->Arg(1024)->Iterations(2)->Unit(benchmark::kMillisecond);

// 4096 x 4096 cells, 2.7 million wall faces.
void BM_LoadPillars(benchmark::State& state) {
    LoadLevel(state, PillarLevelFile());
}
BENCHMARK(BM_LoadPillars)->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace
