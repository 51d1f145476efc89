// TEMPORARY: a stand-in application that shows a test pattern until the game
// has its own application object. Delete this file, TestPattern.cpp and the
// fallback in main.cpp once it does.
#pragma once
#include "platform/WinApp.h"

class CTestPatternApp : public CWinApp {
public:
    bool InitInstance() override;
    bool OnIdle(long count) override;
};
