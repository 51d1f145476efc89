// The drawing kernels one at a time, on a 240 x 320 destination in each
// display format (argument 0: 5-6-5, 1: 5-5-5, 2: 8-8-8), with the game's
// own pictures and the sizes and places a frame gives them.
#include "res/ResourceIds.h"
#include "testkit/SpeedRoute.h"
#include "world/World.h"
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>

using namespace speed;

namespace {

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

// The headless display in the benchmark's format, a screen-sized
// destination with a picture in it, and one source picture.
struct Canvas {
    Canvas(benchmark::State& state, int sourceId) {
        HeadlessReset(DisplayOf(state.range(0)));
        state.SetLabel(kFormats[state.range(0)].name);
        ok = dest.Create(240, 320) && source.LoadBitmapResource(sourceId);
        CSurface sky;
        if (ok && sky.LoadBitmapResource(IDB_SKY))
            dest.Blit(sky, -100, 0, false);
        if (!ok)
            state.SkipWithError("a picture did not load");
    }
    CSurface dest, source;
    bool ok = false;
};

void FormatArgs(benchmark::internal::Benchmark* b) {
    for (int f = 0; f < 3; ++f)
        b->Arg(f);
}

// Walls as a frame draws them: the face straight ahead at half a cell (wider
// than the screen), a side wall running away from the viewer, a far face.
void BM_StretchToTrapezoid(benchmark::State& state) {
    Canvas c(state, IDB_WALL_TILES);
    static const int32_t quads[][6] = {
        {-24, 264, 16, 16, 304, 304},
        {0, 119, -120, 100, 440, 220},
        {90, 150, 136, 144, 184, 176},
    };
    const int32_t* q = quads[state.range(1)];
    for (auto _ : state) {
        c.dest.StretchToTrapezoid(c.source, q[0], q[1], q[2], q[3], q[4], q[5]);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StretchToTrapezoid)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->ArgNames({"format", "wall"});

// An enemy sprite close up (keyed), and one further off.
void BM_StretchBlit(benchmark::State& state) {
    Canvas c(state, IDB_ENEMY);
    const int32_t h = state.range(1) == 0 ? 240 : 60;
    const int32_t w = c.source.width * h / c.source.height;
    for (auto _ : state) {
        c.dest.StretchBlit(c.source, 120 - w / 2, 100, w, h, true);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StretchBlit)->ArgsProduct({{0, 1, 2}, {0, 1}})->ArgNames({"format", "far"});

// The sky (a raw copy of 240 x 160 out of a wider picture), the minimap
// (keyed) and the held gun (keyed).
void BM_Blit(benchmark::State& state) {
    static const int ids[] = {IDB_SKY, IDB_LEVEL, IDB_GUN};
    Canvas c(state, ids[state.range(1)]);
    const int32_t x = state.range(1) == 0 ? -300 : (240 - c.source.width) / 2;
    const int32_t y = 320 - c.source.height;
    const bool useKey = state.range(1) != 0;
    for (auto _ : state) {
        c.dest.Blit(c.source, x, state.range(1) == 0 ? 0 : y, useKey);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Blit)->ArgsProduct({{0, 1, 2}, {0, 1, 2}})->ArgNames({"format", "picture"});

// The minimap of a level 1024 cells on a side (the built-in level's picture
// tiled), which covers the whole screen: the keyed copy a frame on the
// largest levels adds.
void BM_BlitLargeMinimap(benchmark::State& state) {
    Canvas c(state, IDB_LEVEL);
    CSurface minimap;
    if (!c.ok || !minimap.Create(1024, 1024)) {
        state.SkipWithError("no minimap");
        return;
    }
    for (int32_t y = 0; y < minimap.height; y += c.source.height)
        for (int32_t x = 0; x < minimap.width; x += c.source.width)
            minimap.Blit(c.source, x, y, false);
    for (auto _ : state) {
        c.dest.Blit(minimap, (240 - minimap.width) / 2, 320 - minimap.height, true);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlitLargeMinimap)->Apply(FormatArgs);

// The muzzle flash at 40 percent, keyed.
void BM_BlendBlit(benchmark::State& state) {
    Canvas c(state, IDB_FLASH);
    for (auto _ : state) {
        c.dest.BlendBlit(c.source, 90 - c.source.width / 2, 220 - c.source.height / 2, true, 40);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BlendBlit)->Apply(FormatArgs);

// The floor every frame benchmark is measured against: the whole screen
// filled in row order from the wall texture, one texture read and one store
// a pixel, the texture stepped in 16.16 fixed point. Nothing the game draws
// can cost less a pixel, so a frame's ratio to it is what is left to win.
template <typename Word> void FillScreenInRows(CSurface& dest, const CSurface& texture) {
    const uint32_t du = (uint32_t(texture.width) << 16) / uint32_t(dest.width);
    const uint32_t dv = (uint32_t(texture.height) << 16) / uint32_t(dest.height);
    uint32_t v = 0;
    for (int32_t y = 0; y < dest.height; ++y, v += dv) {
        const uint8_t* from = texture.pixels + ptrdiff_t(v >> 16) * texture.yPitch;
        Word* to = reinterpret_cast<Word*>(dest.pixels + ptrdiff_t(y) * dest.yPitch);
        uint32_t u = 0;
        for (int32_t x = 0; x < dest.width; ++x, u += du) {
            Word word;
            std::memcpy(&word, from + (u >> 16) * sizeof(Word), sizeof word);
            to[x] = word;
        }
    }
}

void BM_FloorRowFill(benchmark::State& state) {
    Canvas c(state, IDB_WALL_TILES);
    for (auto _ : state) {
        if (c.dest.bitsPerPixel == 32)
            FillScreenInRows<uint32_t>(c.dest, c.source);
        else
            FillScreenInRows<uint16_t>(c.dest, c.source);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FloorRowFill)->Apply(FormatArgs);

// The screen's present and fade, on a screen holding a frame of the game.
std::unique_ptr<CRouteGame> GameWithAFrame(benchmark::State& state) {
    auto game = std::make_unique<CRouteGame>(DisplayOf(state.range(0)), 1, true);
    state.SetLabel(kFormats[state.range(0)].name);
    if (!game->IsReady() || !game->LoadLevelResource(IDB_LEVEL)) {
        state.SkipWithError("the built-in level did not load");
        return nullptr;
    }
    game->NextFrame(Level130Route());
    return game;
}

void BM_Present(benchmark::State& state) {
    std::unique_ptr<CRouteGame> game = GameWithAFrame(state);
    if (!game)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(game->Screen().Present());
}
BENCHMARK(BM_Present)->Apply(FormatArgs);

void BM_FadeOut(benchmark::State& state) {
    std::unique_ptr<CRouteGame> game = GameWithAFrame(state);
    if (!game)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(game->Screen().FadeOut());
}
BENCHMARK(BM_FadeOut)->Apply(FormatArgs)->Unit(benchmark::kMicrosecond);

} // namespace
