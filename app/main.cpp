// The program: the command line, then one run of the game.
#include "app/GameRun.h"
#include "app/Options.h"
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    COptions options;
    std::string error;
    if (!options.Parse(argc, argv, &error)) {
        std::fprintf(stderr, "quibbo: %s\n\n%s", error.c_str(), UsageText().c_str());
        return EXIT_BAD_COMMAND_LINE;
    }
    if (options.m_bHelp) {
        std::fputs(UsageText().c_str(), stdout);
        return EXIT_NORMAL;
    }
    return RunGame(options);
}
