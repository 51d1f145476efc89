// The program: options, the platform, the application object's run loop.
#include "app/TestPattern.h"
#include "platform/CommandLine.h"
#include "platform/Platform.h"
#include "platform/WinApp.h"
#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    PlatConfig config;
    std::string screenshot;
    CCommandLine commandLine;
    commandLine.AddPlatformOptions(&config, &screenshot);
    switch (commandLine.Parse(argc, argv)) {
    case CCommandLine::PARSE_HELP:
        std::fputs(commandLine.Usage("quibbo").c_str(), stdout);
        return 0;
    case CCommandLine::PARSE_ERROR:
        std::fprintf(stderr, "quibbo: %s (see --help)\n", commandLine.m_strError.c_str());
        return 2;
    case CCommandLine::PARSE_OK:
        break;
    }

    if (!PlatStartup(config))
        return 1;
    // TEMPORARY: until the game's application object exists, show the test
    // pattern.
    std::unique_ptr<CTestPatternApp> testPattern;
    if (!PlatGetApp())
        testPattern.reset(new CTestPatternApp);
    CWinApp* app = PlatGetApp();
    app->m_pszCmdLine = commandLine.m_strRest.c_str();
    int exitCode = app->Run();
    if (!screenshot.empty() && !PlatSaveScreenshot(screenshot.c_str())) {
        std::fprintf(stderr, "quibbo: cannot write the screenshot %s\n", screenshot.c_str());
        if (exitCode == 0)
            exitCode = 1;
    }
    PlatShutdown();
    return exitCode;
}
