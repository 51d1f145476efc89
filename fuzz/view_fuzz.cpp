// The renderer from anywhere: the built-in level on a turned 8-8-8 screen,
// the camera and some enemies put where the input says (in walls, on the
// grid's edge, a cell beyond it, at any heading), then a few frames of
// walking, turning and firing from there. Walls are seen from edge on and
// from inside, sprites from point-blank: nothing may be drawn outside the
// screen or read outside a picture, and the figures stay sound.
//
// Input, in order: camera x and z (16 bits each, spread over the grid and a
// cell around it), heading (32 bits, 1/4096 degree), the number of enemies
// to move (byte % 15) and for each its x, z (as the camera's) and heading
// (16 bits, degrees), the number of frames (1 + byte % 4), and per frame a
// key byte (as fuzz_level's, bits 0-4) and its milliseconds (byte * 4).
#include "FuzzGame.h"
#include "platform/Rand.h"
#include "scene/Enemy.h"

namespace {

// 0 .. 65535 spread over -1 .. side + 1.
double Spread(uint16_t v, int side) {
    return -1.0 + double(v) * (side + 2) / 65536.0;
}

// The handheld's screen size, but 8-8-8, turned a quarter, with the frame's
// client area set in from the edges: the shot's trace and the present go
// straight to this framebuffer.
HeadlessDisplay Screen() {
    HeadlessDisplay display;
    display.bitsPerPixel = 32;
    display.format = kfDirect888;
    display.xPitch = -320 * 4;
    display.yPitch = 4;
    display.clientOrigin = {5, 10};
    display.clientWidth = 230;
    display.clientHeight = 300;
    return display;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartGame(Screen());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fuzz;
    Game& game = StartGame(Screen());
    CMainFrame* frame = game.frame;
    CWorld* world = game.World();
    PlatSeedRand(1);
    g_nLevel = 0;
    FUZZ_CHECK(world->ReloadLevelResource(IDB_LEVEL, true), "the built-in level builds");
    CMaze* maze = world->GetMaze();
    const int w = maze->GetWidth(), h = maze->GetHeight();

    ByteReader in(data, size);
    const double x = Spread(in.U16(), w), z = Spread(in.U16(), h);
    world->SetCamera(x, z, in.I32() / 4096.0);
    const int moved = in.U8() % 15;
    for (int i = 0; i < moved && i < maze->GetChildCount(); ++i) {
        if (CEnemy* enemy = dynamic_cast<CEnemy*>(maze->GetChild(i))) {
            const double ex = Spread(in.U16(), w), ez = Spread(in.U16(), h);
            enemy->SetPosition(ex, ez, int16_t(in.U16()));
        }
    }

    const int frames = 1 + in.U8() % 4;
    for (int i = 0; i < frames; ++i) {
        PressKeys(frame, in.U8());
        AnswerOk();
        HeadlessSetClock(PlatGetTickCount() + 4u * in.U8());
        frame->IdleTick();
        if (LevelFailed())
            break;
        const std::string problem = soak::CheckFigures(*world);
        FUZZ_CHECK(problem.empty(), problem.c_str());
    }
    Settle();
    return 0;
}
