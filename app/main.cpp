// The program: the command line, then one run of the game.
#include "app/GameRun.h"
#include "app/Options.h"
#include "app/RunFile.h"
#include "platform/Files.h"
#ifndef __EMSCRIPTEN__
#include "app/RunFileIo.h"
#include <chrono>
#include <filesystem>
#include <system_error>
#endif
#include "platform/headless/Headless.h"
#ifdef QUIBBO_WITH_SDL
#include "platform/sdl/Sdl.h"
#endif
#ifdef _WIN32
#include "platform/win32/Win32.h"
#endif
#ifdef __EMSCRIPTEN__
#include "app/WebRun.h"
#include "platform/LinkCode.h"
#include "platform/Sound.h"
#include "platform/web/Web.h"
#include "res/ResourceIds.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelBudget.h"
#include "scene/LevelCode.h"
#include "scene/LevelReport.h"
#include "scene/LevelText.h"
#include <emscripten.h>
#endif
#include <cstdio>
#include <string>

namespace {

#ifdef _WIN32
// False when the program was started without a console (from Explorer):
// what it says then goes to a box as well, or no one reads it.
bool g_bOutputSeen = true;
#endif

// The help on standard output, or a failure in one line on standard error;
// where no one reads them, in a box as well.
void Say(const std::string& text, bool failure) {
    std::fputs(text.c_str(), failure ? stderr : stdout);
#ifdef _WIN32
    if (!g_bOutputSeen)
        Win32ShowText(text.c_str(), failure ? "Quibbo" : "Quibbo: help", failure);
#endif
}

void SayFailure(const std::string& line) {
    Say("quibbo: " + line + "\n", true);
}

// The one place where a backend is chosen. A new backend adds its line here.
CBackend* MakeBackend(const PlatConfig& config) {
#ifdef __EMSCRIPTEN__
    if (CBackend* page = WebMakeBackend(config))
        return page;
#endif
    if (config.headless)
        return HeadlessMakeBackend(config);
#if defined(_WIN32)
    return Win32MakeBackend(config);
#elif defined(QUIBBO_WITH_SDL)
    return SdlMakeBackend(config);
#else
    std::fprintf(stderr, "quibbo: this build has no window backend; run it with --headless\n");
    return nullptr;
#endif
}

// The run in `path`: a run file, a run's link or code (native), or the bare
// body the page writes after unpacking a link.
bool LoadRun(const std::string& path, RunRecord* run, std::string* why) {
#ifdef __EMSCRIPTEN__
    return WebReadRunFile(path, run, why);
#else
    return ReadRunFile(path, run, why);
#endif
}

// Where a level the run carries is written for the game to read.
std::string ReplayScratchFolder() {
#ifdef __EMSCRIPTEN__
    return "/runs/level/";
#else
    return PlatScratchFolderName("quibbo-replay-");
#endif
}

// Plays the run of --replay, or says in one line why it cannot.
int Replay(COptions options) {
    RunRecord run;
    std::string why;
    const std::string scratch = ReplayScratchFolder();
    int status = EXIT_BAD_COMMAND_LINE;
    if (LoadRun(options.m_strReplay, &run, &why) && PrepareReplay(run, scratch, &options, &why))
        status = RunGame(options, MakeBackend, nullptr, &run);
    else
        SayFailure("cannot replay " + options.m_strReplay + ": " + why);
#ifndef __EMSCRIPTEN__
    std::error_code failure;
    if (!scratch.empty())
        std::filesystem::remove_all(scratch, failure);
#endif
    return status;
}

// The game, then its run written where --record asks.
int PlayAndRecord(const COptions& options) {
    if (!options.m_strReplay.empty())
        return Replay(options);
#ifndef __EMSCRIPTEN__
    // Before the game, not after it: a run that cannot be kept is said at
    // once, not when the player has played it.
    std::string cannot;
    if (!options.m_strRecord.empty() && !PlatCanReplaceFile(options.m_strRecord, &cannot)) {
        SayFailure("--record " + options.m_strRecord + ": " + cannot);
        return EXIT_BAD_COMMAND_LINE;
    }
#endif
    int status = RunGame(options, MakeBackend);
    if (!options.m_strRecord.empty()) {
        std::string why;
#ifdef __EMSCRIPTEN__
        std::vector<uint8_t> body;
        const bool written = MakeRunBody(LastRecordedRun(), &body, &why) &&
                             WriteWholeFile(options.m_strRecord.c_str(), body);
        if (!written && why.empty())
            why = "it cannot be written";
#else
        const bool written = WriteRunFile(options.m_strRecord, LastRecordedRun(), &why);
#endif
        if (!written) {
            SayFailure("cannot write the run " + options.m_strRecord + ": " + why);
            if (status == EXIT_NORMAL)
                status = EXIT_SCREENSHOT_FAILED; // a run asked for and not kept is no success
        }
    }
    return status;
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
        FitsProgramBudget(grid.cells.data(), grid.width, grid.height, &why);
    } else if (why.empty()) {
        why = "it cannot be read as a level";
    }
    return why.c_str();
}

// The name of the level file at `path`, as the game would show it on the
// level's card; for no file, the built-in level's, which the game plays in
// its place when it is the first. "" for a level without a name. Valid
// until the next call.
EMSCRIPTEN_KEEPALIVE const char* WebLevelName(const char* path) {
    static std::string name;
    LevelGrid grid;
    std::string why;
    uint64_t size = 0;
    if (!PlatGetFileSize(path, &size))
        name = ResourceLevelName(IDB_LEVEL);
    else
        name = ReadLevelFile(path, &grid, &why) ? grid.name : "";
    return name.c_str();
}

// ---- Links that carry a level: the page unpacks the code's data with the
// browser's own raw inflate, between these two calls ----

// The deflated data of a level link's code (the text after "#level="): ""
// and the data at WebCodeData() for WebCodeSize() bytes, or why the code is
// refused, in one line. Both valid until the next call.
static std::vector<uint8_t> g_codeData;
EMSCRIPTEN_KEEPALIVE const char* WebReadLinkCode(const char* code) {
    static std::string why;
    ReadLinkCode(code ? code : "", kLevelCodeFormat, &g_codeData, &why);
    return why.c_str();
}
EMSCRIPTEN_KEEPALIVE uint8_t* WebCodeData() {
    return g_codeData.data();
}
EMSCRIPTEN_KEEPALIVE int WebCodeSize() {
    return static_cast<int>(g_codeData.size());
}

// The page's inflate stops past this many bytes: no level's body is larger.
EMSCRIPTEN_KEEPALIVE double WebMaxCodeBodyBytes() {
    return static_cast<double>(kMaxLevelCodeBodyBytes);
}

// Writes the level file of a link's unpacked body at `path` (the bytes
// `leveltool make` writes for the same map): "" when written, else why not
// in one line, and nothing is written. Valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* WebLevelFromCodeBody(const uint8_t* body, int size,
                                                      const char* path) {
    static std::string why;
    LevelGrid grid;
    if (ReadLevelCodeBody(body, size > 0 ? static_cast<size_t>(size) : 0, &grid, &why) &&
        !WriteWholeFile(path, MakeLevelBitmap(grid)))
        why = "the link's level cannot be written in the page's files";
    return why.c_str();
}

} // extern "C"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    g_bOutputSeen = Win32UseParentConsole();
#endif
    COptions options;
    std::string error;
    if (!options.Parse(argc, argv, &error)) {
        SayFailure(error + "\ntry 'quibbo --help'");
        return EXIT_BAD_COMMAND_LINE;
    }
    if (options.m_bHelp) {
        Say(UsageText(), false);
        return EXIT_NORMAL;
    }
    int status = PlayAndRecord(options);
#ifdef __EMSCRIPTEN__
    // A page outlives its games: the player may start another, on levels of
    // their own or at a level of their choice.
    while (WebNextGame(status, &options.m_strLevelsDir, &options.m_nLevel)) {
        // Sound muted with M stays muted in the next game on the page.
        options.m_config.sound = !PlatIsMuted();
        // The page may ask for a replay (a run's link, a run file dropped);
        // otherwise the next game is the player's.
        options.m_strReplay = WebNextReplay();
        options.m_strRecord.clear();
        status = PlayAndRecord(options);
    }
#endif
    return status;
}
