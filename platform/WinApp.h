// The framework's application base and its run loop.
#pragma once
#include "platform/PlatformTypes.h"

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    virtual bool InitInstance() = 0;
    // One idle pass; true asks for another before waiting for a message.
    // The base does the framework's own idle work and returns false.
    virtual bool OnIdle(long count);

    // InitInstance, then the loop: each waiting message goes to the main
    // window's PreTranslateMessage and, unless consumed, to its window; with
    // the queue empty, OnIdle runs with a growing count while it returns
    // true, then the loop waits. Any message but WM_PAINT starts the count
    // again from 0. When the loop ends, a main window still alive is
    // destroyed. Returns the quit message's exit code, or 1 when
    // InitInstance failed.
    int Run();

    void SetRegistryKey(const char* key);

    CWnd* m_pMainWnd = nullptr;    // cleared when its window is destroyed
    const char* m_pszCmdLine = ""; // the command line after the program name

private:
    int RunLoop();
};

// The application object: the CWinApp constructed last and still alive.

CWinApp* PlatGetApp();
