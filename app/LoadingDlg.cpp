#include "app/LoadingDlg.h"
#include "gfx/Display.h"
#include "gfx/Surface.h"
#include "platform/GX.h"
#include "platform/Resources.h"
#include "platform/WindowSystem.h"
#include "res/ResourceIds.h"

namespace {

const int IDD_LOADING = 102;
const uint32_t kPureRed = 0x000000FF; // the title picture's own ground
// The dialog's size on the handheld's screen; the shell then stretches it
// over the whole screen.
const int32_t kWidth = 240;
const int32_t kHeight = 300;

// The title picture, drawn where a static picture control would show it:
// at the client area's top-left corner.
void DrawTitle(HWND hwnd) {
    CSurface title;
    if (!title.LoadBitmapResource(IDB_TITLE))
        return;
    PlatPoint origin = {0, 0};
    PlatClientToScreen(hwnd, &origin);
    // The windows share the device screen: paint through the direct display
    // for the moment the picture takes.
    GXOpenDisplay(hwnd, 0);
    CSurface screen;
    BeginScreenDraw(screen);
    if (screen.pixels != nullptr)
        screen.Blit(title, origin.x, origin.y, false);
    EndScreenDraw(screen);
    GXCloseDisplay();
}

} // namespace

CLoadingDlg::CLoadingDlg() : CDialog(IDD_LOADING) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (PlatFindResource(IDI_PROGRAM, PLAT_RT_ICON, &data, &size))
        m_nIcon = IDI_PROGRAM;
}

CLoadingDlg::~CLoadingDlg() {
    if (m_hWnd != nullptr)
        DestroyWindow();
}

bool CLoadingDlg::Create() {
    return CDialog::Create("Loading...", kWidth, kHeight, nullptr);
}

bool CLoadingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    PlatSendMessage(m_hWnd, WM_SETICON, 1, m_nIcon);
    PlatSendMessage(m_hWnd, WM_SETICON, 0, m_nIcon);
    PlatCenterWindow(m_hWnd);
    PlatShowWindow(m_hWnd, SW_SHOW);
    EnterFullScreen(m_hWnd);
    // Let the dialog paint itself completely before the slow loading starts.
    PlatMsg msg;
    while (PlatPeekMessage(&msg))
        PlatDispatchMessage(&msg);
    return true;
}

void CLoadingDlg::OnPaint() {
    PlatFillClient(m_hWnd, kPureRed);
    DrawTitle(m_hWnd);
}
