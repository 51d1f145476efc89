// levelbot: plays a level in the real game, headless, with a bot that walks
// a planned tour of its dots and guns by pressing the game's own keys.
//
//   levelbot route LEVEL [SCRIPT] [--frames N] [--trace N]
//   levelbot rate LEVEL [--seeds N] [--avoid] [--frames N] [--trace N]
//
// route plays with the access word (the player cannot be caught) and writes
// the keys it pressed as a key script (to SCRIPT, else standard output) that
// `quibbo --headless --levels DIR --keys @SCRIPT --stats AlwaysTheWalrus`
// replays with the level as DIR/QB00.BMP; it prints the frame that ate the
// last dot. rate plays without the access word, seeds 1 to N, firing at
// enemies straight ahead and planning again after each life lost (with
// --avoid also keeping away from them), and says how many seeds cleared the
// level before the game was over.
//
// LEVEL is a level bitmap (`leveltool make` turns a text map into one; the
// build makes the campaign's beside the program) or "builtin".
// Exit status: 0 cleared (route) or rated (rate), 1 not cleared, 2 usage or
// an unreadable level.
#include "platform/Numbers.h"
#include "platform/WholeFile.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelText.h" // WriteWholeFile
#include "testkit/RouteBot.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kUsage =
    "usage: levelbot route LEVEL [SCRIPT] [--frames N] [--trace N]\n"
    "       levelbot rate LEVEL [--seeds N] [--avoid] [--frames N] [--trace N]\n"
    "LEVEL: a level bitmap or builtin. --frames bounds each game (default\n"
    "2000000 idle passes); --seeds defaults to 20; --avoid keeps the rating bot\n"
    "away from enemies; --trace N prints where the bot is every N frames and\n"
    "where it is caught.\n";

int Usage(const char* problem) {
    if (problem != nullptr)
        std::fprintf(stderr, "levelbot: %s\n", problem);
    std::fputs(kUsage, problem != nullptr ? stderr : stdout);
    return problem != nullptr ? 2 : 0;
}

// A folder of its own holding the level as QB00.BMP (empty for the built-in
// level); "" with a message when the level cannot be read or written.
std::string StageLevel(const std::string& level) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("quibbo-levelbot-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    if (level == "builtin")
        return dir.string();
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadWholeFile(level.c_str(), kMaxLevelFileBytes, &bytes, &error)) {
        std::fprintf(stderr, "levelbot: %s\n", error.c_str());
        return "";
    }
    const std::string file = (dir / "QB00.BMP").string();
    if (!WriteWholeFile(file.c_str(), bytes)) {
        std::fprintf(stderr, "levelbot: cannot write %s\n", file.c_str());
        return "";
    }
    // The game would play the built-in level in place of one it cannot read,
    // and the bot would then report on the wrong level.
    LevelGrid grid;
    if (!ReadLevelFile(file.c_str(), &grid, &error)) {
        std::fprintf(stderr, "levelbot: %s: %s\n", level.c_str(), error.c_str());
        std::filesystem::remove_all(dir);
        return "";
    }
    return dir.string();
}

int Route(const std::string& level, const char* scriptPath, int frames, int trace) {
    bot::Config config;
    config.traceEvery = trace;
    config.levelsDir = StageLevel(level);
    if (config.levelsDir.empty())
        return 2;
    config.maxFrames = frames;
    const bot::Result result = bot::Play(config);
    std::filesystem::remove_all(config.levelsDir);
    if (!result.cleared) {
        std::fprintf(stderr, "levelbot: %s not cleared: %d dots left after %d frames\n",
                     level.c_str(), result.dotsLeft, result.frames);
        return 1;
    }
    std::string script = "# levelbot route of " + level + ": the last dot at frame " +
                         std::to_string(result.clearFrame) + "\n# replay: quibbo --levels DIR";
    for (const std::string& word : result.words)
        script += " " + word;
    script += " --keys @SCRIPT --stats, with the level as DIR/QB00.BMP\n" + result.script + "\n";
    if (scriptPath != nullptr) {
        if (!WriteWholeFile(scriptPath, std::vector<uint8_t>(script.begin(), script.end()))) {
            std::fprintf(stderr, "levelbot: cannot write %s\n", scriptPath);
            return 2;
        }
    } else {
        std::fputs(script.c_str(), stdout);
    }
    std::fprintf(scriptPath != nullptr ? stdout : stderr, "frames: %d\nkey events: %d\n",
                 result.clearFrame, result.keyEvents);
    return 0;
}

int Rate(const std::string& level, int seeds, int frames, bool avoid, int trace) {
    const std::string dir = StageLevel(level);
    if (dir.empty())
        return 2;
    std::vector<int> clearFrames;
    for (int seed = 1; seed <= seeds; ++seed) {
        bot::Config config;
        config.levelsDir = dir;
        config.invulnerable = false;
        config.shoot = true;
        config.avoid = avoid;
        config.traceEvery = trace;
        config.seed = static_cast<uint32_t>(seed);
        config.maxFrames = frames;
        const bot::Result result = bot::Play(config);
        if (result.cleared) {
            clearFrames.push_back(result.clearFrame);
            std::printf("seed %d: cleared at frame %d, %d lives lost\n", seed, result.clearFrame,
                        result.catches);
        } else {
            std::printf("seed %d: not cleared after %d frames, %d lives lost, %d dots left\n", seed,
                        result.frames, result.catches, result.dotsLeft);
        }
        std::fflush(stdout);
    }
    std::filesystem::remove_all(dir);
    std::sort(clearFrames.begin(), clearFrames.end());
    std::printf("%s: cleared %zu of %d seeds", level.c_str(), clearFrames.size(), seeds);
    if (!clearFrames.empty()) {
        const size_t n = clearFrames.size();
        const int median =
            n % 2 ? clearFrames[n / 2] : (clearFrames[n / 2 - 1] + clearFrames[n / 2]) / 2;
        std::printf(", median %d frames (%.0f s of play)", median, median * 0.016);
    }
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")))
        return Usage(nullptr);
    if (argc < 3)
        return Usage("a verb and a level are needed");
    const std::string verb = argv[1], level = argv[2];
    const char* scriptPath = nullptr;
    int64_t frames = 2000000, seeds = 20, trace = 0;
    bool avoid = false;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--frames" && value != nullptr) {
            if (!ParseInteger(value, 1, 2000000000, &frames))
                return Usage("--frames needs a whole number from 1 to 2000000000");
            ++i;
        } else if (arg == "--avoid" && verb == "rate") {
            avoid = true;
        } else if (arg == "--trace" && value != nullptr) {
            if (!ParseInteger(value, 1, 2000000000, &trace))
                return Usage("--trace needs a whole number of frames");
            ++i;
        } else if (arg == "--seeds" && value != nullptr && verb == "rate") {
            if (!ParseInteger(value, 1, 100000, &seeds))
                return Usage("--seeds needs a whole number from 1 to 100000");
            ++i;
        } else if (verb == "route" && scriptPath == nullptr && arg.rfind("--", 0) != 0) {
            scriptPath = argv[i];
        } else {
            return Usage(("unknown or incomplete option " + arg).c_str());
        }
    }
    if (verb == "route")
        return Route(level, scriptPath, static_cast<int>(frames), static_cast<int>(trace));
    if (verb == "rate")
        return Rate(level, static_cast<int>(seeds), static_cast<int>(frames), avoid,
                    static_cast<int>(trace));
    return Usage(("unknown verb " + verb).c_str());
}
