// Every call the page (web/page.js, web/runs.js) makes into the game about
// levels and runs; the device's own (touch, screenshot, restart) are the
// web backend's. The page packs and unpacks with the browser's own raw
// deflate; the codes' framing, the bodies' every check and the search for a
// run's levels are the game's, here, so the page and the native game agree
// on every bit. Built into the browser's game only.
#include "app/GameRun.h"
#include "app/QuibboApp.h"
#include "app/RunFile.h"
#include "app/RunLevels.h"
#include "platform/Files.h"
#include "platform/LinkCode.h"
#include "res/ResourceIds.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelBudget.h"
#include "scene/LevelCode.h"
#include "scene/LevelText.h"
#include <cstdio>
#include <emscripten.h>
#include <string>
#include <vector>

namespace {

// What WebReadCode is asked to read: the text after "#level=" or "#run=".
enum WebCodeKind { WEB_CODE_LEVEL = 0, WEB_CODE_RUN = 1 };

// A level a run carries is written here when the page checks the run; the
// folder is one of the page's own, so a new set of levels frees it.
const char kCarriedLevelFolder[] = "/levels/run/";
// A run of the built-in level alone names no file: it replays on an empty
// folder of the page's own, which is sure to exist (the first folder the
// game would look in may not, and --levels would refuse it).
const char kNoLevelFolder[] = "/levels/none/";

std::vector<uint8_t> g_codeData; // the deflated data of the last code read
std::vector<uint8_t> g_body;     // the last game's run, as WebRunBody made it
std::string g_levelsDir;         // where the last run checked plays
int g_startLevel = 0;

} // namespace

extern "C" {

// ---- Level files the page is given ----

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

// ---- Links: the page unpacks a code's data with the browser's own raw
// inflate, between WebReadCode and the call that takes the body ----

// The deflated data of a link's code, the text after "#level=" (kind
// WEB_CODE_LEVEL) or "#run=" (WEB_CODE_RUN): "" and the data at
// WebCodeData() for WebCodeSize() bytes, or why the code is refused, in one
// line. All valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* WebReadCode(const char* code, int kind) {
    static std::string why;
    why.clear();
    g_codeData.clear();
    if (kind != WEB_CODE_LEVEL && kind != WEB_CODE_RUN)
        why = "the page asked for a code of no known kind";
    else
        ReadLinkCode(code ? code : "", kind == WEB_CODE_RUN ? kRunCodeFormat : kLevelCodeFormat,
                     &g_codeData, &why);
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
    why.clear();
    LevelGrid grid;
    if (ReadLevelCodeBody(body, size > 0 ? static_cast<size_t>(size) : 0, &grid, &why) &&
        !WriteWholeFile(path, MakeLevelBitmap(grid)))
        why = "the link's level cannot be written in the page's files";
    return why.c_str();
}

// ---- Runs (web/runs.js) ----

// The body of the game that ended last (every game in the page is
// recorded); WebRunBodySize() is its size. Both valid until the next call
// of WebRunBody or the next game.
EMSCRIPTEN_KEEPALIVE const uint8_t* WebRunBody() {
    std::string why;
    if (!MakeRunBody(LastRecordedRun(), &g_body, &why))
        std::fprintf(stderr, "quibbo: the run cannot be kept: %s\n", why.c_str());
    return g_body.data();
}
EMSCRIPTEN_KEEPALIVE int WebRunBodySize() {
    return static_cast<int>(g_body.size());
}

// The code of a run link for the body's raw deflate (`size` bytes at
// `data`): kRunCodeFormat, then base64url. Valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* WebMakeRunCode(const uint8_t* data, int size) {
    static std::string code;
    code = MakeLinkCode(kRunCodeFormat, data, size > 0 ? static_cast<size_t>(size) : 0);
    return code.c_str();
}

// The page's inflate stops past this many bytes, and it reads no larger
// run file: no body is larger.
EMSCRIPTEN_KEEPALIVE double WebMaxRunBodyBytes() {
    return static_cast<double>(kMaxRunBodyBytes);
}

// Why the run file at `path` cannot be replayed, in one line: the body's
// checks, then its levels, looked for in `levelsDir` (the page's own set,
// "" for none) and where the game looks for its own. "" when it can, and
// then WebRunLevelsDir() and WebRunStartLevel() say where the replay plays:
// the page names that folder with --levels, so the replay looks nowhere else.
// Valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* WebCheckRunBody(const char* path, const char* levelsDir) {
    static std::string why;
    why.clear();
    RunRecord run;
    if (!ReadRunBodyFile(path, &run, &why))
        return why.c_str();
    std::vector<std::string> folders = LevelFolders();
    // The page's program folder has no name: it is the current one, where
    // the campaign sits.
    if (FindLevelFolder().empty())
        folders.insert(folders.begin(), "./");
    if (levelsDir && levelsDir[0])
        folders.insert(folders.begin(), levelsDir);
    if (run.levels.files.empty() && run.levels.levelBody.empty()) {
        if (!PlatMakeFolders(kNoLevelFolder))
            return "the page could not make a folder to replay it in";
        folders.insert(folders.begin(), kNoLevelFolder);
    }
    if (!FindRunLevels(run.levels, folders, kCarriedLevelFolder, &g_levelsDir, &why))
        return why.c_str();
    g_startLevel = run.startLevel;
    return "";
}

// The levels and the first level of the run WebCheckRunBody last passed,
// for a game of the player's on them ("Play this level").
EMSCRIPTEN_KEEPALIVE const char* WebRunLevelsDir() {
    return g_levelsDir.c_str();
}
EMSCRIPTEN_KEEPALIVE int WebRunStartLevel() {
    return g_startLevel;
}

} // extern "C"
