// Enemies looking for the player along their row: a level one corridor of
// 4,093 enemies long with the player at its end, every enemy in the
// player's row each frame. Arg 0 asks the maze (the open run round the
// player, found once); arg 1 walks the cells between each enemy and the
// player, as every enemy once did every frame. The last benchmark is the
// whole update of those enemies, sighting, choosing and stepping.
#include "scene/Enemy.h"
#include "scene/LevelText.h"
#include "scene/Maze.h"
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

const int kWidth = 4096;

std::unique_ptr<CMaze> CorridorOfEnemies() {
    const std::string row(kWidth, '#');
    const std::string text = row + "\n#P" + std::string(kWidth - 3, 'E') + "#\n" + row + "\n";
    LevelGrid grid;
    std::string error;
    std::unique_ptr<CMaze> maze(new CMaze(nullptr, 1));
    if (!ParseLevelText(text, &grid, &error))
        return nullptr;
    const std::vector<uint8_t> dib = MakeLevelBitmap(grid, false);
    if (!maze->ReadGrid(dib.data(), dib.size()) || !maze->Build(PictureTables()))
        return nullptr;
    return maze;
}

void BM_SightAlongRow(benchmark::State& state) {
    std::unique_ptr<CMaze> maze = CorridorOfEnemies();
    if (!maze) {
        state.SkipWithError("the corridor did not build");
        return;
    }
    const bool bScan = state.range(0) == 1;
    state.SetLabel(bScan ? "cell by cell" : "open run");
    const int player = 1;
    int seen = 0;
    for (auto _ : state) {
        for (int i = 0; i < maze->GetChildCount(); ++i) {
            const int e = static_cast<CEnemy*>(maze->GetChild(i))->GetCell().x;
            bool bClear = true;
            if (bScan) {
                for (int c = std::min(e, player); c < std::max(e, player) && bClear; ++c)
                    bClear = !maze->IsWallAt(c, 1);
            } else {
                bClear = maze->IsClearAlong(true, 1, e, player);
            }
            seen += bClear;
        }
        benchmark::DoNotOptimize(seen);
    }
    state.counters["enemies"] = maze->GetChildCount();
}
BENCHMARK(BM_SightAlongRow)->Arg(0)->Arg(1);

void BM_UpdateCorridorOfEnemies(benchmark::State& state) {
    std::unique_ptr<CMaze> maze = CorridorOfEnemies();
    if (!maze) {
        state.SkipWithError("the corridor did not build");
        return;
    }
    CPose player;
    player.x = 1.5;
    player.z = 1.5;
    for (auto _ : state)
        maze->Update(16, player);
    state.counters["enemies"] = maze->GetChildCount();
}
BENCHMARK(BM_UpdateCorridorOfEnemies);

} // namespace
