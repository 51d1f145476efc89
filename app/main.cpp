// The program: the command line, then one run of the game.
#include "app/GameRun.h"
#include "app/Options.h"
#include "app/RunFile.h"
#include "app/Settings.h"
#include "platform/Files.h"
#ifndef __EMSCRIPTEN__
#include "app/ProgressFiles.h"
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
#include "platform/Sound.h"
#include "platform/web/Web.h"
#include "scene/LevelText.h"
#endif
#include <cstdio>
#include <string>
#include <vector>

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
    return ReadRunBodyFile(path, run, why);
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

int main(int argc, char** argv) {
#ifdef _WIN32
    g_bOutputSeen = Win32UseParentConsole();
#endif
    COptions options;
#ifdef __EMSCRIPTEN__
    options.m_strKeyScriptFolder = WebKeyScriptFolder();
#endif
    std::string error;
    if (!options.Parse(argc, argv, &error)) {
        SayFailure(error + "\ntry 'quibbo --help'");
        return EXIT_BAD_COMMAND_LINE;
    }
    if (options.m_bHelp) {
        Say(UsageText(), false);
        return EXIT_NORMAL;
    }
    // A bad line costs its own setting, never the game: it is said on
    // standard error only, with no box to stop the start.
    std::vector<std::string> problems;
    const GameSettings kept = LoadSettings(CSettingsFile(), &problems);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "quibbo: %s\n", problem.c_str());
    options.ApplySettings(kept);
    if (!options.CheckContinue(&error)) {
        SayFailure(error);
        return EXIT_BAD_COMMAND_LINE;
    }
#ifndef __EMSCRIPTEN__
    // The page will keep its progress in its own storage.
    CProgressFiles progress(PlatUserDataFolder());
    UseProgressStorage(&progress);
#endif
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
