#include "app/GameRun.h"
#include "app/MainFrame.h"
#include "app/QuibboApp.h"
#include "app/RunStats.h"
#include "platform/Platform.h"
#include "platform/Rand.h"
#include <cstdio>

int RunGame(const COptions& options, PlatBackendMaker make, CRunStats* stats) {
    // Without a seed the generator starts where an unseeded program's does.
    PlatSeedRand(options.m_bSeed ? options.m_dwSeed : 1u);
    g_nLevel = options.m_nLevel;
    g_runStats.Reset();

    int status = EXIT_STARTUP_FAILED;
    PlatConfig config = options.m_config;
    if (config.headless) {
        for (const KeyScriptEvent& key : options.m_keys)
            config.keys.push_back({key.frame, key.message, key.vk, 0});
        config.answers = options.m_answers;
    }
    if (PlatStartup(config, make)) {
        {
            CQuibboApp app;
            app.m_pszCmdLine = options.m_strCmdLine.c_str();
            app.m_bConfirmQuit = !options.m_bNoConfirm;
            app.m_strLevelsDir = options.m_strLevelsDir;
            // The quit code -1 of a failed level is the process's 255.
            status = app.Run() & 0xFF;
            if (app.m_bChosenLevelFailed)
                status = EXIT_LEVEL_FAILED;
        }
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
