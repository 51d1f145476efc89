// A level file from the input, played for a few frames with keys from the
// input, through the game's own frame window and world on the headless
// platform. The file is both QB00.BMP and QB01.BMP, so winning it loads it
// again as the next level, and a game over restarts it.
//
// Input: the whole input is the level file. Its last byte gives the number
// of frames (1 + byte % 16); the bytes before it, one a frame, the keys:
//   bits 0-1  0 none, 1 press up, 2 press down, 3 release up
//   bits 2-3  0 none, 1 press right, 2 press left, 3 release left
//   bit  4    press Return (fire)
//   bits 5-7  the frame's milliseconds: 16, 16, 16, 33, 100, 250, 1000, 0
// Bytes at the end of a level file are never read as cells, so the keys do
// not get in the way of the picture.
#include "../tests/soak/SoakRun.h"
#include "FuzzSupport.h"
#include "platform/Time.h"
#include "platform/WindowSystem.h"
#include <filesystem>
#include <memory>

namespace {

const int kMaxFrames = 16;
const uint32_t kFrameMs[8] = {16, 16, 16, 33, 100, 250, 1000, 0};
const int kBuiltInLevel = 130;

// The application started once, on the built-in level, in a folder that
// holds the input's level files.
struct Game {
    std::string folder;
    std::unique_ptr<CQuibboApp> app;
    CMainFrame* frame = nullptr;
};

Game& TheGame() {
    static Game game;
    return game;
}

// At exit the game goes as it would at its end: the frame window takes the
// world and the shared pictures with it.
void Shutdown() {
    Game& game = TheGame();
    if (game.frame != nullptr && game.frame->m_hWnd != nullptr)
        game.frame->DestroyWindow();
    game.frame = nullptr;
    game.app.reset();
    std::error_code error;
    std::filesystem::remove_all(game.folder, error);
}

void Key(CMainFrame* frame, uint32_t message, uint32_t vk) {
    PlatMsg msg = {frame->m_hWnd, message, vk, 0};
    frame->PreTranslateMessage(&msg);
}

// One answer always waits, so that a game over starts a new game.
void AnswerOk() {
    static size_t seen = 0;
    static bool waiting = false;
    const std::vector<HeadlessBox>& boxes = HeadlessMessageBoxes();
    for (; seen < boxes.size(); ++seen)
        if ((boxes[seen].type & 0xF) == MB_OKCANCEL)
            waiting = false;
    if (!waiting) {
        HeadlessAddAnswer(IDOK);
        waiting = true;
    }
}

// Whether this input's frames ended with "Can't load level.".
bool LevelFailed() {
    for (const CRunStats::Box& box : g_runStats.m_boxes)
        if (box.text == "Can't load level.")
            return true;
    return false;
}

// Queued messages of one input do not reach the next.
void Settle() {
    PlatMsg msg;
    for (int i = 0; i < 64 && PlatPeekMessage(&msg, true); ++i) {
    }
    HeadlessClearLog();
    g_runStats.m_boxes.clear();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Game& game = TheGame();
    game.folder = fuzz::ScratchPath("levels/");
    std::filesystem::create_directories(game.folder);

    // A much smaller screen than the handheld's: faster frames (a catch
    // fades the whole screen out in eleven steps), and the HUD and the title
    // then hang over its edges.
    HeadlessDisplay display;
    display.width = display.clientWidth = 64;
    display.height = display.clientHeight = 80;
    HeadlessReset(display);
    g_nLevel = 0;
    g_runStats.Reset();
    game.app = std::make_unique<CQuibboApp>();
    game.app->m_strLevelsDir = game.folder;
    FUZZ_CHECK(game.app->InitInstance(), "the game starts on the built-in level");
    game.frame = dynamic_cast<CMainFrame*>(game.app->m_pMainWnd);
    FUZZ_CHECK(game.frame != nullptr && game.frame->m_pWorld != nullptr, "the world exists");
    // Registered last, so that it runs before the platform's own objects,
    // made above, are destroyed.
    std::atexit(Shutdown);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Game& game = TheGame();
    if (game.frame == nullptr)
        LLVMFuzzerInitialize(nullptr, nullptr);
    CMainFrame* frame = game.frame;
    CWorld* world = frame->m_pWorld;

    const std::string first = LevelFileName(game.folder, 0);
    FUZZ_CHECK(fuzz::WriteFile(first, data, size), "the level file can be written");
    FUZZ_CHECK(fuzz::WriteFile(LevelFileName(game.folder, 1), data, size),
               "the second level file can be written");

    // As the game starts: the file when it is present and builds, else the
    // built-in level, which always builds.
    std::srand(1);
    g_nLevel = 0;
    if (!(IsLevelFilePresent(first) && world->ReloadLevelFile(first.c_str(), true)))
        FUZZ_CHECK(world->ReloadLevelResource(kBuiltInLevel, true),
                   "the built-in level builds after a broken file");
    std::string problem = soak::CheckWorld(*world);
    FUZZ_CHECK(problem.empty(), problem.c_str());

    const int frames = size > 0 ? 1 + data[size - 1] % kMaxFrames : 1;
    for (int i = 0; i < frames; ++i) {
        const size_t at = size_t(i) + 2;
        const uint8_t keys = at <= size ? data[size - at] : 0;
        static const uint32_t moves[4][2] = {
            {0, 0}, {WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_UP}};
        static const uint32_t turns[4][2] = {
            {0, 0}, {WM_KEYDOWN, VK_RIGHT}, {WM_KEYDOWN, VK_LEFT}, {WM_KEYUP, VK_LEFT}};
        if (keys & 3)
            Key(frame, moves[keys & 3][0], moves[keys & 3][1]);
        if ((keys >> 2) & 3)
            Key(frame, turns[(keys >> 2) & 3][0], turns[(keys >> 2) & 3][1]);
        if (keys & 16)
            Key(frame, WM_KEYDOWN, VK_RETURN);

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
