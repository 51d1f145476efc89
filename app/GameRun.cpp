#include "app/GameRun.h"
#include "app/MainFrame.h"
#include "app/QuibboApp.h"
#include "app/RunLevels.h"
#include "app/RunStats.h"
#include "platform/Platform.h"
#include "platform/Rand.h"
#include <cstdio>

namespace {

RunRecord g_run;

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

int RunGame(const COptions& options, PlatBackendMaker make, CRunStats* stats,
            const RunRecord* replay) {
    // Without a seed the generator starts where an unseeded program's does.
    PlatSeedRand(options.m_bSeed ? options.m_dwSeed : 1u);
    g_nLevel = options.m_nLevel;
    g_runStats.Reset();

    int status = EXIT_STARTUP_FAILED;
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
    if (PlatStartup(config, make)) {
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
        }
        PlatRecordRun(nullptr);
        if (replay)
            g_run.tape = replay->tape;
        PlatReplayRun(nullptr, false);
        if (!options.m_strScreenshot.empty() &&
            !PlatSaveScreenshot(options.m_strScreenshot.c_str())) {
            std::fprintf(stderr, "quibbo: cannot write the screenshot %s\n",
                         options.m_strScreenshot.c_str());
            // A script that asked for the picture must not read a missing
            // one as success; a failed level keeps its own status.
            if (status == EXIT_NORMAL)
                status = EXIT_SCREENSHOT_FAILED;
        }
        PlatShutdown();
    }

    g_runStats.m_nExitCode = status;
    if (options.m_bStats) {
        std::printf("%s\n", g_runStats.ToJson().c_str());
        std::fflush(stdout);
    }
    if (stats != nullptr)
        *stats = g_runStats;
    return status;
}
