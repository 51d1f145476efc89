// A level file from the input, played for a few frames with keys from the
// input, through the game's own frame window and world on the headless
// platform. The file is both QB00.BMP and QB01.BMP, so winning it loads it
// again as the next level, and a game over restarts it.
//
// Input: the whole input is the level file. Its last byte gives the number
// of frames (1 + byte % 4); the bytes before it, one a frame, the keys
// (bits 0-4, see PressKeys) and in bits 5-7 the frame's milliseconds: 16, 16,
// 16, 33, 100, 250, 1000, 0.
// Bytes at the end of a level file are never read as cells, so the keys do
// not get in the way of the picture.
//
// Kept fast, so that a run tries many inputs: levels of more than
// kMaxCells cells are passed over (the loaders' limits are fuzz_bmp's, the
// budget's the soak's), a few frames are played, and a file the game
// refuses is not followed by the built-in level the game falls back on,
// which plays the same every time (fuzz_view looks at it from anywhere).
#include "FuzzGame.h"
#include "platform/Rand.h"
#include <cerrno>
#include <unistd.h>

namespace {

const int kMaxFrames = 4;
// 32 x 32 cells: room for every kind of cell, its neighbours and the edges.
const uint64_t kMaxCells = 1024;
const uint32_t kFrameMs[8] = {16, 16, 16, 33, 100, 250, 1000, 0};

// A much smaller screen than the handheld's keeps frames fast (a catch fades
// the whole screen out in eleven steps); the HUD and the title then hang
// over its edges.
HeadlessDisplay Screen() {
    HeadlessDisplay display;
    display.width = display.clientWidth = 32;
    display.height = display.clientHeight = 40;
    return display;
}

// What an input built goes with it (the sky and floor stay): the leak
// checker then finds each input's blocks freed by its end, and has no cause
// to run it again to look.
void EndInput(CWorld* world) {
    if (CMaze* maze = world->GetMaze()) {
        maze->Clear();
        maze->GetMinimap().Free();
    }
    fuzz::Settle();
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

    const uint8_t* info = nullptr;
    size_t infoSize = 0;
    DibInfo dib;
    if (FindBmpInfoHeader(data, size, &info, &infoSize, nullptr) &&
        ReadDibInfo(info, infoSize, &dib, nullptr) &&
        uint64_t(dib.width) * uint64_t(dib.height) > kMaxCells)
        return 0;

    const std::string first = LevelFileName(game.folder, 0);
    FUZZ_CHECK(fuzz::WriteFile(first, data, size), "the level file can be written");
    // The second level is the first under another name: one write an input.
    static const bool bLinked =
        symlink(first.c_str(), LevelFileName(game.folder, 1).c_str()) == 0 || errno == EEXIST;
    FUZZ_CHECK(bLinked, "the second level file can be made");

    // As the game starts: the file when it is present and builds. A file
    // refused leaves the maze empty, for the built-in level to take over.
    PlatSeedRand(1);
    g_nLevel = 0;
    if (!IsLevelFilePresent(first)) {
        Settle();
        return 0; // too small to count: the game does not even try it
    }
    if (!world->ReloadLevelFile(first.c_str(), true)) {
        const CMaze* maze = world->GetMaze();
        FUZZ_CHECK(maze != nullptr && maze->GetDrawables().empty() && maze->GetChildCount() == 0,
                   "a refused level builds nothing");
        EndInput(world);
        return 0;
    }
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
    EndInput(world);
    return 0;
}
