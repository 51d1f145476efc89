// The program: the command line, then one run of the game.
#include "app/GameRun.h"
#include "app/Options.h"
#include "platform/headless/Headless.h"
#ifdef QUIBBO_WITH_SDL
#include "platform/sdl/Sdl.h"
#endif
#ifdef __EMSCRIPTEN__
#include "platform/Sound.h"
#include "platform/web/Web.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelBudget.h"
#include "scene/LevelReport.h"
#include <emscripten.h>
#endif
#include <cstdio>
#include <string>

namespace {

// The one place where a backend is chosen. A new backend adds its line here.
CBackend* MakeBackend(const PlatConfig& config) {
#ifdef __EMSCRIPTEN__
    if (CBackend* page = WebMakeBackend(config))
        return page;
#endif
    if (config.headless)
        return HeadlessMakeBackend(config);
#ifdef QUIBBO_WITH_SDL
    return SdlMakeBackend(config);
#else
    std::fprintf(stderr, "quibbo: this build has no window backend; run it with --headless\n");
    return nullptr;
#endif
}

} // namespace

#ifdef __EMSCRIPTEN__
// ---- Asked by the page about the level files it is given ----
extern "C" {

// The largest level file the game reads: the page refuses a larger one by
// its size, without reading it.
EMSCRIPTEN_KEEPALIVE double WebMaxLevelFileBytes() {
    return static_cast<double>(kMaxLevelFileBytes);
}

// Why the game would not play the level file at `path`, in one line, as its
// load would find it (the file, then the level budget with the program's
// pictures); "" when it would. Valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* WebLevelRefusal(const char* path) {
    static std::string why;
    why.clear();
    LevelGrid grid;
    if (ReadLevelFile(path, &grid, &why)) {
        const LevelCounts counts = CountLevelBuild(grid.cells.data(), grid.width, grid.height,
                                                   kProgramWallTextures, kProgramItemImages);
        FitsLevelBudget(EstimateLevelCost(counts), &why);
    } else if (why.empty()) {
        why = "it cannot be read as a level";
    }
    return why.c_str();
}

} // extern "C"
#endif

int main(int argc, char** argv) {
    COptions options;
    std::string error;
    if (!options.Parse(argc, argv, &error)) {
        std::fprintf(stderr, "quibbo: %s\ntry 'quibbo --help'\n", error.c_str());
        return EXIT_BAD_COMMAND_LINE;
    }
    if (options.m_bHelp) {
        std::fputs(UsageText().c_str(), stdout);
        return EXIT_NORMAL;
    }
    int status = RunGame(options, MakeBackend);
#ifdef __EMSCRIPTEN__
    // A page outlives its games: the player may start another, on levels of
    // their own or at a level of their choice.
    while (WebNextGame(status, &options.m_strLevelsDir, &options.m_nLevel)) {
        // Sound muted with M stays muted in the next game on the page.
        options.m_config.sound = !PlatIsMuted();
        status = RunGame(options, MakeBackend);
    }
#endif
    return status;
}
