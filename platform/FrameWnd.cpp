#include "platform/FrameWnd.h"
#include "platform/WinApp.h"
#include "platform/WindowSystem.h"

bool CFrameWnd::Create(const char* title, uint32_t style, const PlatRect& rect, HWND parent,
                       uint32_t exStyle) {
    PlatCreateStruct cs = {title, style, exStyle, rect, parent};
    if (!PreCreateWindow(cs)) {
        PostNcDestroy();
        return false;
    }
    return PlatCreateWindow(this, cs.title, cs.style, cs.exStyle, cs.rect, cs.parent) != nullptr;
}

bool CFrameWnd::PreCreateWindow(PlatCreateStruct& /*cs*/) {
    return true;
}

void CFrameWnd::OnDestroy() {
    CWinApp* app = PlatGetApp();
    if (app && app->m_pMainWnd == this)
        PlatPostQuitMessage(0);
}

void CFrameWnd::PostNcDestroy() {
    delete this;
}
