// Runs in the page: what web/runs.js asks of the game. The page packs and
// unpacks with the browser's own raw deflate; the code's framing, the
// body's every check and the search for the run's levels are the game's,
// here, so the page and the native game agree on every bit.
#include "app/WebRun.h"
#include "app/GameRun.h"
#include "app/QuibboApp.h"
#include "app/RunLevels.h"
#include "platform/Files.h"
#include "platform/LinkCode.h"
#include "platform/WholeFile.h"
#include <cstdio>
#include <emscripten.h>

// clang-format off
EM_JS(void, js_replay_path, (char* buffer, int size),
      { stringToUTF8(String(Quibbo.replayPath || ""), buffer, size); });
// clang-format on

bool WebReadRunFile(const std::string& path, RunRecord* run, std::string* why) {
    std::vector<uint8_t> body;
    return ReadWholeFile(path.c_str(), kMaxRunBodyBytes, &body, why, true) &&
           ReadRunBody(body.data(), body.size(), run, why);
}

std::string WebNextReplay() {
    char path[512];
    js_replay_path(path, sizeof path);
    return path;
}

namespace {

// A level a run carries is written here when the page checks the run; the
// folder is one of the page's own, so a new set of levels frees it.
const char kCarriedLevelFolder[] = "/levels/run/";
// A run of the built-in level alone names no file: it replays on an empty
// folder of the page's own, which is sure to exist (the first folder the
// game would look in may not, and --levels would refuse it).
const char kNoLevelFolder[] = "/levels/none/";

std::vector<uint8_t> g_body;     // the last game's run, as WebRunBody made it
std::vector<uint8_t> g_codeData; // a run code's deflated data
std::string g_levelsDir;         // where the last run checked plays
int g_startLevel = 0;

} // namespace

extern "C" {

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

// The deflated data of a run link's code (the text after "#run="): "" and
// the data at WebRunCodeData() for WebRunCodeSize() bytes, or why the code
// is refused, in one line. All valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* WebReadRunCode(const char* code) {
    static std::string why;
    why.clear();
    ReadLinkCode(code ? code : "", kRunCodeFormat, &g_codeData, &why);
    return why.c_str();
}
EMSCRIPTEN_KEEPALIVE uint8_t* WebRunCodeData() {
    return g_codeData.data();
}
EMSCRIPTEN_KEEPALIVE int WebRunCodeSize() {
    return static_cast<int>(g_codeData.size());
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
    if (!WebReadRunFile(path, &run, &why))
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
