#include "app/GameRun.h"
#include "app/MainFrame.h"
#include "app/ProgressKeeper.h"
#include "app/QuibboApp.h"
#include "app/RunLevels.h"
#include "app/RunStats.h"
#include "platform/Platform.h"
#include "platform/Rand.h"
#include "platform/RunTape.h"
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

RunRecord g_run;
CProgressStorage* g_pProgressStorage = nullptr;

} // namespace

const RunRecord& LastRecordedRun() {
    return g_run;
}

bool PrepareReplay(const RunRecord& run, const std::string& scratch, COptions* options,
                   std::string* why) {
    const std::vector<std::string> folders =
        options->m_strLevelsDir.empty() ? LevelFolders()
                                        : std::vector<std::string>{options->m_strLevelsDir};
    std::string folder;
    if (!FindRunLevels(run.levels, folders, scratch, &folder, why))
        return false;
    options->m_strLevelsDir = folder;
    options->m_bSeed = true;
    options->m_dwSeed = run.seed;
    options->m_nLevel = run.startLevel;
    options->m_strCmdLine = run.words;
    options->m_bNoConfirm = run.noConfirm;
    // Whatever this machine's settings: the game as the run played it.
    options->m_settings.turnSpeed = run.turnSpeed;
    options->m_config.fps = 0;
    return true;
}

namespace {

// Progress keeps a set by its name: the campaign, or a folder of levels by
// its absolute path, so that the same folder is the same set from anywhere.
std::string ProgressSetName(const std::string& levelsDir) {
    if (levelsDir.empty())
        return "campaign";
    std::error_code failure;
    const std::filesystem::path absolute = std::filesystem::absolute(levelsDir, failure);
    return failure ? levelsDir : absolute.lexically_normal().string();
}

// A key script and a frame limit go on where the game before them stopped,
// `played` frames in.
void GoOnFrom(int played, size_t boxes, PlatConfig* config) {
    std::vector<PlatScriptedKey> keys;
    for (PlatScriptedKey key : config->keys) {
        if (key.frame > played) {
            key.frame -= played;
            keys.push_back(key);
        }
    }
    config->keys = keys;
    config->answers.erase(config->answers.begin(),
                          config->answers.begin() + std::min(boxes, config->answers.size()));
    if (config->frames > 0)
        config->frames = std::max(config->frames - played, 1);
}

// One game on a platform of its own, recorded from its first frame. The
// screenshot is taken only of the last (`*next` stays 0); C on the title
// gives in *next the level to continue at.
int PlayOnce(const COptions& options, const PlatConfig& config, PlatBackendMaker make,
             const RunRecord* replay, int* next) {
    // Without a seed the generator starts where an unseeded program's does.
    PlatSeedRand(options.m_bSeed ? options.m_dwSeed : 1u);
    g_nLevel = options.m_nLevel;
    int status = EXIT_STARTUP_FAILED;
    // What the run is played with and on, before anything of it is played.
    g_run = RunRecord();
    g_run.seed = options.m_bSeed ? options.m_dwSeed : 1u;
    g_run.startLevel = options.m_nLevel;
    g_run.noConfirm = options.m_bNoConfirm;
    g_run.words = options.m_strCmdLine;
    g_run.turnSpeed = options.m_settings.turnSpeed;
    g_run.levels = replay
                       ? replay->levels
                       : DescribeRunLevels(options.m_strLevelsDir.empty() ? FindLevelFolder()
                                                                          : options.m_strLevelsDir);
    if (!PlatStartup(config, make))
        return status;
    if (replay)
        PlatReplayRun(&replay->tape, !config.headless);
    else
        PlatRecordRun(&g_run.tape);
    {
        CQuibboApp app;
        app.m_pszCmdLine = options.m_strCmdLine.c_str();
        app.m_bConfirmQuit = !options.m_bNoConfirm;
        app.m_strLevelsDir = options.m_strLevelsDir;
        app.m_settings = options.m_settings;
        // The quit code -1 of a failed level is the process's 255.
        status = app.Run() & 0xFF;
        if (app.m_bChosenLevelFailed)
            status = EXIT_LEVEL_FAILED;
        *next = app.m_nContinueLevel;
    }
    PlatRecordRun(nullptr);
    if (replay)
        g_run.tape = replay->tape;
    PlatReplayRun(nullptr, false);
    if (*next == 0 && !options.m_strScreenshot.empty() &&
        !PlatSaveScreenshot(options.m_strScreenshot.c_str())) {
        std::fprintf(stderr, "quibbo: cannot write the screenshot %s\n",
                     options.m_strScreenshot.c_str());
        // A script that asked for the picture must not read a missing
        // one as success; a failed level keeps its own status.
        if (status == EXIT_NORMAL)
            status = EXIT_SCREENSHOT_FAILED;
    }
    PlatShutdown();
    return status;
}

} // namespace

void UseProgressStorage(CProgressStorage* storage) {
    g_pProgressStorage = storage;
}

RunRecord RecordedRunSoFar() {
    RunRecord run = g_run;
    run.tape.passes = PlatRunPasses();
    return run;
}

int RunGame(const COptions& options, PlatBackendMaker make, CRunStats* stats,
            const RunRecord* replay) {
    g_runStats.Reset();
    // A replay neither reads nor writes progress: its start, its cards and
    // its boxes are the run's own. A headless run reads and shows it, and
    // keeps it only when asked.
    g_progress.Open(replay ? nullptr : g_pProgressStorage, ProgressSetName(options.m_strLevelsDir),
                    !options.m_config.headless || options.m_bKeepProgress, IsAssistedGame(options));
    COptions game = options;
    if (!replay && options.m_bContinue) {
        // The run records the level it starts at, so it replays without
        // the progress that chose it.
        const std::string folder =
            options.m_strLevelsDir.empty() ? FindLevelFolder() : options.m_strLevelsDir;
        const int level = g_progress.ContinueLevel();
        game.m_nLevel = IsLevelFilePresent(LevelFileName(folder, level)) ? level : 0;
    }

    PlatConfig config = options.m_config;
    config.sound = config.sound && !options.m_settings.mute;
    config.volume = options.m_settings.volume;
    if (config.headless) {
        for (const KeyScriptEvent& key : options.m_keys)
            config.keys.push_back({key.frame, key.message, key.vk, 0});
        config.answers = options.m_answers;
    }
    if (replay && config.frames == 0)
        config.frames = static_cast<int>(replay->tape.passes); // the run's own end
    int status = EXIT_STARTUP_FAILED;
    for (;;) {
        int next = 0;
        status = PlayOnce(game, config, make, replay, &next);
        if (next == 0)
            break;
        // C on the title: a new game at that level, a run of its own from
        // its first frame, as --continue would have started it.
        GoOnFrom(static_cast<int>(g_run.tape.passes), g_runStats.m_boxes.size(), &config);
        game.m_nLevel = next;
    }
    g_progress.Close();

    g_runStats.m_nExitCode = status;
    if (options.m_bStats) {
        std::printf("%s\n", g_runStats.ToJson().c_str());
        std::fflush(stdout);
    }
    if (stats != nullptr)
        *stats = g_runStats;
    return status;
}
