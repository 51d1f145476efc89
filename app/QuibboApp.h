// The application object: start-up with the loading screen, and the idle
// processing that runs the game loop.
#pragma once
#include "platform/WinApp.h"
#include <string>

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
    // When not empty, InitInstance uses this folder instead of the program's.
    std::string m_strLevelsDir;
};
