// The application object: start-up with the loading screen, and the idle
// processing that runs the game loop.
#pragma once
#include "app/Settings.h"
#include "platform/Files.h"
#include "platform/WinApp.h"
#include <string>
#include <vector>

class CQuibboApp : public CWinApp {
public:
    CQuibboApp() = default;
    ~CQuibboApp() override = default;

    // Shows the loading screen while the frame window and its world are
    // created. True when the frame window exists afterwards.
    bool InitInstance() override;
    // The framework's idle work, then one game-loop step; true while either
    // wants another pass.
    bool OnIdle(long count) override;

    // The folder the level files are looked up in, ending with '/' unless
    // it is empty. Set by InitInstance.
    std::string m_strAppDir;
    // When not empty, InitInstance uses this folder instead of FindLevelFolder().
    std::string m_strLevelsDir;
    // Escape asks "Quit Quibbo?" before the game closes; false closes at once.
    bool m_bConfirmQuit = true;
    // What the world is played and drawn with.
    GameSettings m_settings;
    // Set when the level chosen with --level could not be started: the run
    // ends as one whose level failed to load.
    bool m_bChosenLevelFailed = false;
    // Set when C on the title asked to continue: the game ends and a new
    // one, recorded afresh, starts at this level (RunGame).
    int m_nContinueLevel = 0;
};

// Where the level files are looked for without --levels: the first of the
// program's folder `program`, levels/ in the user's data folder and the
// installed campaign's share/quibbo/levels/ (found from `program`) that holds
// a level set (QB00.BMP or QB01.BMP), else `program` (whose missing files
// mean the built-in level alone).
std::string FindLevelFolder(const std::string& program = PlatGetProgramFolder());
// Those three folders in that order (those that can be named), for a search
// of a set of its own (a replay looking for the levels its run played).
std::vector<std::string> LevelFolders(const std::string& program = PlatGetProgramFolder());
