// A level file from the input, played for a few frames with keys from the
// input, through the game's own frame window and world on the headless
// platform. The file is both QB00.BMP and QB01.BMP, so winning it loads it
// again as the next level, and a game over restarts it.
//
// Input: the whole input is the level file. Its last byte gives the number
// of frames (1 + byte % 16); the bytes before it, one a frame, the keys
// (bits 0-4, see PressKeys) and in bits 5-7 the frame's milliseconds: 16, 16,
// 16, 33, 100, 250, 1000, 0.
// Bytes at the end of a level file are never read as cells, so the keys do
// not get in the way of the picture.
#include "FuzzGame.h"

namespace {

const int kMaxFrames = 16;
const uint32_t kFrameMs[8] = {16, 16, 16, 33, 100, 250, 1000, 0};

// A much smaller screen than the handheld's keeps frames fast (a catch fades
// the whole screen out in eleven steps); the HUD and the title then hang
// over its edges.
HeadlessDisplay Screen() {
    HeadlessDisplay display;
    display.width = display.clientWidth = 64;
    display.height = display.clientHeight = 80;
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

    const std::string first = LevelFileName(game.folder, 0);
    FUZZ_CHECK(fuzz::WriteFile(first, data, size), "the level file can be written");
    FUZZ_CHECK(fuzz::WriteFile(LevelFileName(game.folder, 1), data, size),
               "the second level file can be written");

    // As the game starts: the file when it is present and builds, else the
    // built-in level, which always builds.
    std::srand(1);
    g_nLevel = 0;
    if (!(IsLevelFilePresent(first) && world->ReloadLevelFile(first.c_str(), true)))
        FUZZ_CHECK(world->ReloadLevelResource(IDB_LEVEL, true),
                   "the built-in level builds after a broken file");
    std::string problem = soak::CheckWorld(*world);
    FUZZ_CHECK(problem.empty(), problem.c_str());

    const int frames = size > 0 ? 1 + data[size - 1] % kMaxFrames : 1;
    for (int i = 0; i < frames; ++i) {
        const size_t at = size_t(i) + 2;
        const uint8_t keys = at <= size ? data[size - at] : 0;
        PressKeys(frame, keys);
        AnswerOk();
        HeadlessSetClock(PlatGetTickCount() + kFrameMs[keys >> 5]);
        frame->IdleTick();
        if (LevelFailed())
            break; // the game ends here, and its maze must not be drawn again
        problem = soak::CheckWorld(*world);
        FUZZ_CHECK(problem.empty(), problem.c_str());
    }
    Settle();
    return 0;
}
