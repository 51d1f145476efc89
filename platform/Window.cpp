// The window system: window records, the message queue, focus, painting,
// message boxes and the shell calls. Backends feed input in and decide the
// client areas; everything else is the same for all of them.
#include "platform/Backend.h"
#include "platform/FrameWnd.h"
#include "platform/PausedSign.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/Sound.h"
#include "platform/WinApp.h"
#include "platform/WindowSystem.h"
#include <algorithm>
#include <deque>
#include <string>
#include <vector>

struct PlatWindow {
    CWnd* owner;
    std::string title;
    uint32_t style;
    uint32_t exStyle;
    PlatRect rect;   // screen coordinates
    PlatRect client; // screen coordinates
    HWND parent;
    bool frame;
    bool visible;
    bool invalid;
    bool destroying;
};

namespace {

std::vector<PlatWindow*> g_windows; // in creation order
std::deque<PlatMsg> g_queue;
bool g_bQuit = false;
int32_t g_nQuitCode = 0;
HWND g_active = nullptr;   // takes the keys while the program has the focus
HWND g_reported = nullptr; // the focus the windows were last told about
int g_nBoxesUp = 0;
bool g_bUserPause = false; // the player pressed the pause key
bool g_bSignUp = false;    // PAUSED stands over the picture
uint32_t g_dwShellSettleMs = 0;

PlatWindow* Find(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    auto it = std::find(g_windows.begin(), g_windows.end(), hwnd);
    return it == g_windows.end() ? nullptr : *it;
}

PlatRect DesktopRect() {
    const GXDisplayProperties& props = PlatBackend()->Framebuffer().Properties();
    return {0, 0, props.cxWidth, props.cyHeight};
}

// Where the focus goes when its holder leaves: the main window, else the
// newest top-level window, else nowhere.
HWND NextActive(HWND leaving) {
    CWinApp* app = PlatGetApp();
    if (app && app->m_pMainWnd) {
        PlatWindow* main = Find(app->m_pMainWnd->m_hWnd);
        if (main && main != leaving && !main->destroying)
            return main;
    }
    for (auto it = g_windows.rbegin(); it != g_windows.rend(); ++it) {
        if (*it != leaving && !(*it)->parent && !(*it)->destroying)
            return *it;
    }
    return nullptr;
}

// The game is held for want of the keyboard: the pause key, or another
// program (another tab) has it. Not while a box of ours is up: the box says
// itself why the game waits, and the game-over box stands on black.
bool IsHeld() {
    return (g_bUserPause || !PlatAppHasFocus()) && g_nBoxesUp == 0;
}

// PAUSED over the picture as it stands, once each time the game comes to be
// held; the first frame after the resume paints over it.
void ShowPausedSign() {
    const bool held = IsHeld();
    if (held && !g_bSignUp)
        PlatPutPausedSign();
    g_bSignUp = held;
}

// The mute key: the switch, then word of it to the main window, at once,
// as the pause sign goes up at once, also while the game waits paused.
void ToggleMute() {
    PlatSetMuted(!PlatIsMuted());
    CWinApp* app = PlatGetApp();
    if (app && app->m_pMainWnd)
        PlatSendMessage(app->m_pMainWnd->m_hWnd, WM_MUTECHANGED, PlatIsMuted() ? 1 : 0, 0);
}

void Unlink(PlatWindow* w) {
    g_windows.erase(std::find(g_windows.begin(), g_windows.end(), w));
    g_queue.erase(std::remove_if(g_queue.begin(), g_queue.end(),
                                 [w](const PlatMsg& m) { return m.hwnd == w; }),
                  g_queue.end());
    if (g_reported == w)
        g_reported = nullptr; // a window that is gone is told nothing
    if (g_active == w)
        g_active = NextActive(w);
    if (w->owner)
        w->owner->m_hWnd = nullptr;
    delete w;
}

} // namespace

void PlatResetWindowSystem() {
    for (PlatWindow* w : g_windows) {
        if (w->owner)
            w->owner->m_hWnd = nullptr;
        delete w;
    }
    g_windows.clear();
    g_queue.clear();
    g_bQuit = false;
    g_nQuitCode = 0;
    g_active = nullptr;
    g_reported = nullptr;
    g_nBoxesUp = 0;
    g_bUserPause = false;
    g_bSignUp = false;
    g_dwShellSettleMs = 0;
}

void PlatForgetWindow(HWND hwnd) {
    if (PlatWindow* w = Find(hwnd)) {
        w->owner = nullptr;
        Unlink(w);
        PlatFocusChanged();
    }
}

HWND PlatCreateWindow(CWnd* owner, const char* title, uint32_t style, uint32_t exStyle,
                      const PlatRect& rect, HWND parent) {
    if (!owner)
        return nullptr;
    const bool frame = dynamic_cast<CFrameWnd*>(owner) != nullptr;
    PlatWindow* w = new PlatWindow{owner,        title ? title : "",
                                   style,        exStyle,
                                   rect,         PlatClientArea(rect, frame),
                                   Find(parent), frame,
                                   false,        false,
                                   false};
    g_windows.push_back(w);
    owner->m_hWnd = w;
    if (!g_active && !w->parent)
        g_active = w;
    PlatTrace("CreateWindow %s", w->title.c_str());

    PlatCreateStruct cs = {title, style, exStyle, rect, parent};
    owner->m_pCreating = &cs;
    const int32_t result = owner->WindowProc(WM_CREATE, 0, 0);
    if (Find(w))
        owner->m_pCreating = nullptr;
    if (result == -1) {
        PlatDestroyWindow(w); // may delete the owner (a frame window)
        return nullptr;
    }
    PlatFocusChanged();
    return Find(w) ? w : nullptr;
}

void PlatDestroyWindow(HWND hwnd) {
    PlatWindow* w = Find(hwnd);
    if (!w || w->destroying)
        return;
    w->destroying = true;
    PlatTrace("DestroyWindow %s", w->title.c_str());
    CWnd* owner = w->owner;
    if (owner)
        owner->WindowProc(WM_DESTROY, 0, 0);
    Unlink(w);
    PlatFocusChanged();
    if (owner) {
        CWinApp* app = PlatGetApp();
        if (app && app->m_pMainWnd == owner)
            app->m_pMainWnd = nullptr;
        owner->PostNcDestroy(); // a frame window deletes itself here
    }
}

bool PlatIsWindow(HWND hwnd) {
    return Find(hwnd) != nullptr;
}

void PlatSetWindowText(HWND hwnd, const char* text) {
    if (PlatWindow* w = Find(hwnd))
        w->title = text ? text : "";
}

void PlatGetDesktopRect(PlatRect* rect) {
    if (rect)
        *rect = DesktopRect();
}

void PlatGetClientRect(HWND hwnd, PlatRect* rect) {
    if (!rect)
        return;
    PlatWindow* w = Find(hwnd);
    if (!w) {
        *rect = {0, 0, 0, 0};
        return;
    }
    *rect = {0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
}

void PlatClientToScreen(HWND hwnd, PlatPoint* point) {
    PlatWindow* w = Find(hwnd);
    if (!w || !point)
        return;
    point->x += w->client.left;
    point->y += w->client.top;
}

void PlatShowWindow(HWND hwnd, int32_t cmd) {
    PlatWindow* w = Find(hwnd);
    if (!w)
        return;
    PlatTrace("ShowWindow %d", cmd);
    if (cmd == SW_HIDE) {
        w->visible = false;
        if (g_active == w)
            g_active = NextActive(w);
    } else {
        if (!w->visible)
            w->invalid = true; // newly visible: it needs painting
        w->visible = true;
        g_active = w; // showing activates, as on the device
    }
    PlatFocusChanged();
}

void PlatCenterWindow(HWND hwnd) {
    PlatWindow* w = Find(hwnd);
    if (!w)
        return;
    const PlatRect desk = DesktopRect();
    const int32_t width = w->rect.right - w->rect.left;
    const int32_t height = w->rect.bottom - w->rect.top;
    // Halves round toward zero, so an odd margin leaves the extra pixel below.
    const int32_t left = desk.left + (desk.right - desk.left - width) / 2;
    const int32_t top = desk.top + (desk.bottom - desk.top - height) / 2;
    w->rect = {left, top, left + width, top + height};
    w->client = PlatClientArea(w->rect, w->frame);
}

uint32_t PlatGetExStyle(HWND hwnd) {
    PlatWindow* w = Find(hwnd);
    return w ? w->exStyle : 0;
}

void PlatSetExStyle(HWND hwnd, uint32_t exStyle) {
    PlatWindow* w = Find(hwnd);
    if (!w)
        return;
    PlatTrace("SetExStyle %u", exStyle);
    w->exStyle = exStyle;
}

HWND PlatGetFocus() {
    if (g_nBoxesUp > 0 || g_bUserPause || !PlatAppHasFocus())
        return nullptr;
    return g_active;
}

void PlatSetActiveWindow(HWND hwnd) {
    if (Find(hwnd))
        g_active = hwnd;
}

void PlatFocusChanged() {
    ShowPausedSign();
    HWND now = PlatGetFocus();
    if (now == g_reported)
        return;
    if (g_reported)
        g_queue.push_back({g_reported, WM_KILLFOCUS, 0, 0});
    if (now)
        g_queue.push_back({now, WM_SETFOCUS, 0, 0});
    g_reported = now;
}

void PlatPostInput(uint32_t message, uint32_t wParam, int32_t lParam) {
    // The pause and mute keys must be heard while the player has paused, so
    // they never reach a window: a press toggles, a release is dropped.
    if (PlatTapeTakesKey(message, wParam, lParam))
        return;
    const bool key = message == WM_KEYDOWN || message == WM_KEYUP;
    if (key && (wParam == VK_PAUSE || wParam == VK_MUTE)) {
        if (message == WM_KEYDOWN && lParam == 0 && g_nBoxesUp == 0) {
            if (wParam == VK_PAUSE)
                PlatTogglePause();
            else
                ToggleMute();
        }
        return;
    }
    HWND focus = PlatGetFocus();
    // Paused by the player, the keyboard is still ours: Escape goes to the
    // window that would have it, to ask whether to quit.
    if (!focus && key && wParam == VK_ESCAPE && g_bUserPause && g_nBoxesUp == 0 &&
        PlatAppHasFocus())
        focus = g_active;
    if (!focus) {
        PlatTrace("Input %u %u dropped: no focus", message, wParam);
        return;
    }
    g_queue.push_back({focus, message, wParam, lParam});
}

bool PlatIsPaused() {
    return g_bUserPause;
}

void PlatTogglePause() {
    g_bUserPause = !g_bUserPause;
    PlatTrace("Pause %d", g_bUserPause ? 1 : 0);
    PlatFocusChanged(); // which puts the sign up
}

void PlatPutPausedSign() {
    CWinApp* app = PlatGetApp();
    PlatWindow* main = app && app->m_pMainWnd ? Find(app->m_pMainWnd->m_hWnd) : nullptr;
    CFramebuffer& framebuffer = PlatBackend()->Framebuffer();
    const GXDisplayProperties& props = framebuffer.Properties();
    DrawPausedSign(framebuffer,
                   main ? main->client : PlatRect{0, 0, props.cxWidth, props.cyHeight});
    PlatScreenChanged();
}

void PlatRequestClose() {
    if (PlatTapeTakesClose())
        return;
    CWinApp* app = PlatGetApp();
    HWND target = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
    if (!target)
        target = NextActive(nullptr);
    if (target)
        PlatPostMessage(target, WM_CLOSE, 0, 0);
    else
        PlatPostQuitMessage(0);
}

bool PlatPeekMessage(PlatMsg* msg, bool remove) {
    PlatPresenter().ShowPending();
    PlatBackend()->PumpEvents();
    PlatTapeDeliver();
    if (!g_queue.empty()) {
        *msg = g_queue.front();
        if (remove) {
            g_queue.pop_front();
            PlatTapeTaken();
        }
        return true;
    }
    // As on the device: the quit request comes after every posted message,
    // and painting only when nothing else is waiting.
    if (g_bQuit) {
        *msg = {nullptr, WM_QUIT, static_cast<uint32_t>(g_nQuitCode), 0};
        if (remove)
            g_bQuit = false;
        return true;
    }
    for (PlatWindow* w : g_windows) {
        if (w->visible && w->invalid && !w->destroying) {
            *msg = {w, WM_PAINT, 0, 0};
            if (remove)
                w->invalid = false;
            return true;
        }
    }
    return false;
}

bool PlatGetMessage(PlatMsg* msg) {
    while (!PlatPeekMessage(msg, true)) {
        if (PlatTapeWait())
            continue;
        PlatPresenter().ShowPending();
        PlatBackend()->WaitEvents();
    }
    return msg->message != WM_QUIT;
}

void PlatDispatchMessage(const PlatMsg* msg) {
    PlatWindow* w = msg ? Find(msg->hwnd) : nullptr;
    if (w && w->owner && !w->destroying)
        w->owner->WindowProc(msg->message, msg->wParam, msg->lParam);
}

void PlatPostMessage(HWND hwnd, uint32_t message, uint32_t wParam, int32_t lParam) {
    if (hwnd && !Find(hwnd))
        return; // nobody to deliver it to
    g_queue.push_back({hwnd, message, wParam, lParam});
}

void PlatSendMessage(HWND hwnd, uint32_t message, uint32_t wParam, int32_t lParam) {
    PlatWindow* w = Find(hwnd);
    if (w && w->owner)
        w->owner->WindowProc(message, wParam, lParam);
}

void PlatPostQuitMessage(int32_t exitCode) {
    PlatTrace("PostQuitMessage %d", exitCode);
    g_bQuit = true;
    g_nQuitCode = exitCode;
}

void PlatInvalidate(HWND hwnd, bool /*erase*/) {
    PlatWindow* w = Find(hwnd);
    if (!w)
        return;
    PlatTrace("Invalidate");
    w->invalid = true;
}

void PlatFillClient(HWND hwnd, uint32_t colour) {
    PlatWindow* w = Find(hwnd);
    if (!w)
        return;
    PlatTrace("FillClient 0x%06x", colour & 0xFFFFFF);
    // The windows share the device screen with the direct display, as on
    // the handheld: a paint lands in the same framebuffer.
    PlatBackend()->Framebuffer().Fill(w->client, colour);
    PlatScreenChanged();
}

int32_t PlatMessageBox(HWND owner, const char* text, const char* caption, uint32_t type) {
    PlatTrace("MessageBox %s", text ? text : "");
    ++g_nBoxesUp;                  // the box holds the focus while it is up
    PlatPresenter().ShowPending(); // the box comes up over the picture as it stands
    int32_t answer = 0;
    if (!PlatTapeAnswer(&answer))
        answer = PlatBackend()->MessageBox(PlatDecodeBox(text, caption, type));
    PlatTapeRecordAnswer(answer);
    --g_nBoxesUp;
    if (Find(owner))
        g_active = owner;
    PlatFocusChanged();
    return answer;
}

PlatBox PlatDecodeBox(const char* text, const char* caption, uint32_t type) {
    PlatBox box;
    box.text = text ? text : "";
    box.caption = caption && caption[0] ? caption : "Quibbo";
    // The low four bits name the buttons; the game asks for no others than
    // these, and anything else shows OK alone, as the handheld did.
    const uint32_t buttons = type & 0xF;
    box.buttons = buttons == MB_OKCANCEL ? EBoxButtons::OkCancel
                  : buttons == MB_YESNO  ? EBoxButtons::YesNo
                                         : EBoxButtons::Ok;
    box.sign = type & MB_ICONQUESTION      ? EBoxSign::Question
               : type & MB_ICONINFORMATION ? EBoxSign::Information
                                           : EBoxSign::None;
    return box;
}

int32_t PlatBoxAnswer(EBoxButtons buttons, bool first) {
    switch (buttons) {
    case EBoxButtons::OkCancel:
        return first ? IDOK : IDCANCEL;
    case EBoxButtons::YesNo:
        return first ? IDYES : IDNO;
    default:
        return IDOK;
    }
}

int32_t PlatBoxDismissed(EBoxButtons buttons) {
    return PlatBoxAnswer(buttons, false);
}

uint32_t PlatBoxType(const PlatBox& box) {
    const uint32_t buttons = box.buttons == EBoxButtons::OkCancel ? MB_OKCANCEL
                             : box.buttons == EBoxButtons::YesNo  ? MB_YESNO
                                                                  : MB_OK;
    const uint32_t sign = box.sign == EBoxSign::Question      ? MB_ICONQUESTION
                          : box.sign == EBoxSign::Information ? MB_ICONINFORMATION
                                                              : 0u;
    return buttons | sign;
}

bool PlatSHFullScreen(HWND /*hwnd*/, uint32_t flags) {
    PlatTrace("SHFullScreen %u", flags);
    return true;
}

bool PlatSHInitDialog(const SHINITDLGINFO* info) {
    if (!info)
        return false;
    PlatTrace("SHInitDialog %u %u", info->dwMask, info->dwFlags);
    PlatWindow* w = Find(info->hDlg);
    if (w && (info->dwMask & SHIDIM_FLAGS) && (info->dwFlags & SHIDIF_FULLSCREENNOMENUBAR)) {
        w->rect = DesktopRect();
        w->client = PlatClientArea(w->rect, w->frame);
    }
    return true;
}

bool PlatSipShowIM(uint32_t flags) {
    PlatTrace("SipShowIM %u", flags);
    return true;
}

void PlatSetShellSettle(uint32_t ms) {
    g_dwShellSettleMs = ms;
}

uint32_t PlatShellSettleMs() {
    return g_dwShellSettleMs;
}

void PlatSetWaitCursor(bool on) {
    PlatBackend()->SetWaitCursor(on);
}
