#include "platform/Wnd.h"
#include "platform/PlatformInternal.h"
#include "platform/WindowSystem.h"

CWnd::~CWnd() {
    // Too late for messages: the derived parts of the owner are gone.
    if (m_hWnd)
        PlatForgetWindow(m_hWnd);
}

bool CWnd::PreTranslateMessage(PlatMsg* /*msg*/) {
    return false;
}

int32_t CWnd::WindowProc(uint32_t message, uint32_t /*wParam*/, int32_t /*lParam*/) {
    switch (message) {
    case WM_CREATE:
        return OnCreate(m_pCreating);
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return 0;
    }
}

int CWnd::OnCreate(PlatCreateStruct* /*cs*/) {
    return 0;
}

void CWnd::OnPaint() {}

void CWnd::OnClose() {
    DestroyWindow();
}

void CWnd::OnDestroy() {}

void CWnd::PostNcDestroy() {}

void CWnd::DestroyWindow() {
    PlatDestroyWindow(m_hWnd);
}
