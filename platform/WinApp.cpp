#include "platform/WinApp.h"
#include "platform/PlatformInternal.h"
#include "platform/WindowSystem.h"
#include "platform/Wnd.h"
#include <string>

namespace {
CWinApp* g_pApp = nullptr;
std::string g_strRegistryKey;
} // namespace

CWinApp* PlatGetApp() {
    return g_pApp;
}

CWinApp::CWinApp() {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

bool CWinApp::OnIdle(long /*count*/) {
    return false;
}

void CWinApp::SetRegistryKey(const char* key) {
    // Nothing is ever stored under it; kept for the record.
    g_strRegistryKey = key ? key : "";
}

int CWinApp::Run() {
    int exitCode = 1;
    if (InitInstance()) {
        exitCode = RunLoop();
    }
    // However the loop ended, the main window goes in order (its OnDestroy
    // releases what it holds).
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->DestroyWindow();
    return exitCode;
}

int CWinApp::RunLoop() {
    bool idle = true;
    long count = 0;
    PlatMsg msg;
    for (;;) {
        while (idle && !PlatPeekMessage(&msg, false)) {
            if (PlatBeginPass()) // input that belongs ahead of the pass came in
                continue;
            if (!OnIdle(count++))
                idle = false;
            PlatEndPass();
        }
        do {
            if (!PlatGetMessage(&msg))
                return static_cast<int32_t>(msg.wParam);
            if (!m_pMainWnd || !m_pMainWnd->m_hWnd || !m_pMainWnd->PreTranslateMessage(&msg))
                PlatDispatchMessage(&msg);
            // A paint does not restart idle processing: repainting is not
            // news the application has to react to.
            if (msg.message != WM_PAINT) {
                idle = true;
                count = 0;
            }
        } while (PlatPeekMessage(&msg, false));
    }
}
