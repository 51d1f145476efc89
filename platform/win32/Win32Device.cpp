// The Windows side of the Win32 backend: the window, its pads, boxes and
// sound (Win32Text.cpp shows the help without a console).
#include "platform/win32/Win32Device.h"
#include "platform/win32/Win32Windows.h"
#include <algorithm>
#include <cstdio>
#include <string>
#include <windows.h>
// After <windows.h>, whose types it uses.
#include <mmsystem.h>

static_assert(WVK_BACK == VK_BACK && WVK_TAB == VK_TAB && WVK_RETURN == VK_RETURN &&
                  WVK_SHIFT == VK_SHIFT && WVK_CONTROL == VK_CONTROL && WVK_PAUSE == VK_PAUSE &&
                  WVK_ESCAPE == VK_ESCAPE && WVK_SPACE == VK_SPACE,
              "keys that type and modifiers");
static_assert(WVK_LEFT == VK_LEFT && WVK_UP == VK_UP && WVK_RIGHT == VK_RIGHT &&
                  WVK_DOWN == VK_DOWN && WVK_F1 == VK_F1 && WVK_F12 == VK_F12,
              "arrows and function keys");
static_assert(WVK_OEM_COMMA == VK_OEM_COMMA && WVK_OEM_PERIOD == VK_OEM_PERIOD,
              "the sidestep's punctuation keys");

namespace {

// XInput's state record, as its header lays it out (mingw's copy of the
// header is not needed: the DLL is looked for when the program runs).
struct PadGamepad {
    WORD wButtons;
    BYTE bLeftTrigger;
    BYTE bRightTrigger;
    SHORT sThumbLX;
    SHORT sThumbLY;
    SHORT sThumbRX;
    SHORT sThumbRY;
};
struct PadState {
    DWORD dwPacketNumber;
    PadGamepad Gamepad;
};
typedef DWORD(WINAPI* PadGetState)(DWORD, PadState*);

const wchar_t kClassName[] = L"QuibboWindow";
const wchar_t kTitle[] = L"Quibbo";
// A note stays in the title bar this long (the timer that takes it away).
const UINT_PTR kNoteTimer = 1;
const UINT kNoteMs = 4000;
// Pads are looked at this often while the game waits for input.
const DWORD kPadLookMs = 16;
// A pad slot found empty is looked at again only this often: asking XInput
// about an empty slot is slow.
const DWORD kEmptyPadLookMs = 2000;

CWin32Device* g_pDevice = nullptr;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_pDevice)
        return g_pDevice->Handle(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The box of a MessageBox call comes up over the middle of the game window
// rather than wherever Windows would put it: a hook moves it as it is
// activated.
HWND g_hBoxOwner = nullptr;
HHOOK g_hBoxHook = nullptr;
HWND g_hBox = nullptr;
// A question ("Quit Quibbo?") is asked with Escape and answered Yes with a
// second Escape, as in the game's other windows; Windows' own Yes/No box
// would ignore it.
HHOOK g_hEscapeHook = nullptr;

LRESULT CALLBACK EscapeSaysYes(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && g_hBox && msg->message == WM_KEYDOWN &&
        msg->wParam == VK_ESCAPE) {
        PostMessageW(g_hBox, WM_COMMAND, IDYES, 0);
        return TRUE;
    }
    return CallNextHookEx(g_hEscapeHook, code, wParam, lParam);
}

LRESULT CALLBACK CentreBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        g_hBox = box;
        RECT owner, rect;
        if (g_hBoxOwner && GetWindowRect(g_hBoxOwner, &owner) && GetWindowRect(box, &rect)) {
            const int w = rect.right - rect.left, h = rect.bottom - rect.top;
            SetWindowPos(box, nullptr, (owner.left + owner.right - w) / 2,
                         (owner.top + owner.bottom - h) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        UnhookWindowsHookEx(g_hBoxHook);
        g_hBoxHook = nullptr;
        return 0;
    }
    return CallNextHookEx(g_hBoxHook, code, wParam, lParam);
}

// Per-monitor DPI awareness, where Windows offers it (10, version 1703 on):
// the window is then measured in real pixels and the picture stays sharp.
// Older Windows, and Wine, keep their default.
void BecomeDpiAware() {
    typedef BOOL(WINAPI * SetContext)(HANDLE);
    const HMODULE user = GetModuleHandleW(L"user32.dll");
    const auto set = user ? reinterpret_cast<SetContext>(reinterpret_cast<void*>(
                                GetProcAddress(user, "SetProcessDpiAwarenessContext")))
                          : nullptr;
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (set)
        set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)));
}

} // namespace

CWin32Device::CWin32Device() {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    m_qwFrequency = value.QuadPart > 0 ? value.QuadPart : 1;
    QueryPerformanceCounter(&value);
    m_qwStart = value.QuadPart;
    // Windows sleeps to its 15.6 ms tick unless asked for a finer one: a
    // 16 ms frame slot would then last one tick or two.
    timeBeginPeriod(1);
}

CWin32Device::~CWin32Device() {
    timeEndPeriod(1);
    if (m_nSound == 1)
        StopSound();
    if (m_hwnd)
        DestroyWindow(static_cast<HWND>(m_hwnd));
    if (g_pDevice == this)
        g_pDevice = nullptr;
}

bool CWin32Device::Open(int width, int height, int scale, bool fullscreen) {
    m_nWidth = width;
    m_nHeight = height;
    BecomeDpiAware();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!Win32RegisterClass(kClassName, WindowProc)) {
        std::fprintf(stderr,
                     "quibbo: cannot open a window (error %lu); run with --headless instead\n",
                     GetLastError());
        return false;
    }
    // Whole-number scale, no larger than the desktop's work area allows.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT work;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        work = RECT{0, 0, width * scale, height * scale};
    RECT rect;
    for (scale = scale > 0 ? scale : 1;; --scale) {
        rect = RECT{0, 0, width * scale, height * scale};
        AdjustWindowRectEx(&rect, style, FALSE, 0);
        if (scale == 1 || (rect.right - rect.left <= work.right - work.left &&
                           rect.bottom - rect.top <= work.bottom - work.top))
            break;
    }
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    g_pDevice = this;
    const HWND hwnd = CreateWindowExW(
        0, kClassName, kTitle, style, work.left + (work.right - work.left - w) / 2,
        work.top + (work.bottom - work.top - h) / 2, w, h, nullptr, nullptr, instance, nullptr);
    if (!hwnd) {
        std::fprintf(stderr,
                     "quibbo: cannot open a window (error %lu); run with --headless instead\n",
                     GetLastError());
        return false;
    }
    m_hwnd = hwnd;
    ShowWindow(hwnd, SW_SHOW);
    if (fullscreen)
        ToggleFullscreen();
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    m_bFocus = GetForegroundWindow() == hwnd || GetFocus() == hwnd;
    return true;
}

uint64_t CWin32Device::Microseconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // In two steps, so that neither overflows nor loses the fraction.
    const uint64_t ticks = static_cast<uint64_t>(now.QuadPart - m_qwStart);
    const uint64_t frequency = static_cast<uint64_t>(m_qwFrequency);
    return ticks / frequency * 1000000u + ticks % frequency * 1000000u / frequency;
}

int CWin32Device::RefreshHz() const {
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        return static_cast<int>(mode.dmDisplayFrequency);
    return 60;
}

void CWin32Device::Sleep(uint32_t ms) const {
    ::Sleep(ms);
}

void CWin32Device::ClientSize(int* width, int* height) const {
    RECT client = {};
    GetClientRect(static_cast<HWND>(m_hwnd), &client);
    *width = client.right;
    *height = client.bottom;
}

void CWin32Device::Put(const void* pixels, int pitch) {
    m_pPixels = pixels;
    m_nPitch = pitch;
    const HWND hwnd = static_cast<HWND>(m_hwnd);
    if (!hwnd)
        return;
    const HDC dc = GetDC(hwnd);
    Paint(dc);
    ReleaseDC(hwnd, dc);
}

void CWin32Device::Paint(void* context) {
    const HDC dc = static_cast<HDC>(context);
    int cw, ch;
    ClientSize(&cw, &ch);
    // The rest of the client area is black.
    const Win32Fit fit = Win32FitPicture(cw, ch, m_nWidth, m_nHeight);
    const int w = m_nWidth * fit.scale, h = m_nHeight * fit.scale;
    const int x = fit.x, y = fit.y;
    const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT borders[4] = {
        {0, 0, cw, y}, {0, y + h, cw, ch}, {0, y, x, y + h}, {x + w, y, cw, y + h}};
    for (const RECT& r : borders)
        if (r.right > r.left && r.bottom > r.top)
            FillRect(dc, &r, black);
    if (!m_pPixels) {
        const RECT all = {x, y, x + w, y + h};
        FillRect(dc, &all, black);
        return;
    }
    // RGB 565 as three bit fields; a negative height lays the rows out top
    // down, as the framebuffer has them.
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = m_nPitch / 2;
    info.header.biHeight = -m_nHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = 16;
    info.header.biCompression = BI_BITFIELDS;
    info.masks[0] = 0xF800;
    info.masks[1] = 0x07E0;
    info.masks[2] = 0x001F;
    StretchDIBits(dc, x, y, w, h, 0, 0, m_nWidth, m_nHeight, m_pPixels,
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
}

void CWin32Device::Pump(bool wait, std::vector<Win32Event>* events) {
    m_pEvents = events;
    if (wait) {
        // Pads send no messages: with one plugged in, wake to look at it.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, m_bAnyPad ? kPadLookMs : INFINITE,
                                  QS_ALLINPUT);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            events->push_back(Win32Event{Win32Event::CLOSE});
            continue;
        }
        // No TranslateMessage: the input map makes the game's characters.
        DispatchMessageW(&msg);
    }
    if (m_bCloseAsked)
        events->push_back(Win32Event{Win32Event::CLOSE});
    m_bCloseAsked = false;
    m_pEvents = nullptr;
}

void CWin32Device::PollPads(Win32Pad pads[kPads]) {
    if (!m_bXInputTried) {
        m_bXInputTried = true;
        // Windows 8 and later have the first; the second is on every
        // Windows since Vista. Without either the keys still play.
        HMODULE dll = LoadLibraryW(L"xinput1_4.dll");
        if (!dll)
            dll = LoadLibraryW(L"xinput9_1_0.dll");
        if (dll)
            m_pXInputGetState = reinterpret_cast<void*>(GetProcAddress(dll, "XInputGetState"));
    }
    const auto get = reinterpret_cast<PadGetState>(m_pXInputGetState);
    if (!get)
        return;
    const DWORD now = GetTickCount();
    const bool lookAtEmpty = static_cast<int32_t>(now - m_dwNextPadLook) >= 0;
    if (lookAtEmpty)
        m_dwNextPadLook = now + kEmptyPadLookMs;
    m_bAnyPad = false;
    for (int i = 0; i < kPads; ++i) {
        if (!pads[i].connected && !lookAtEmpty)
            continue;
        PadState state = {};
        if (get(static_cast<DWORD>(i), &state) != ERROR_SUCCESS) {
            pads[i] = Win32Pad();
            continue;
        }
        m_bAnyPad = true;
        pads[i].connected = true;
        pads[i].buttons = state.Gamepad.wButtons;
        pads[i].stickX = state.Gamepad.sThumbLX;
        pads[i].stickY = state.Gamepad.sThumbLY;
        pads[i].leftTrigger = state.Gamepad.bLeftTrigger;
        pads[i].rightTrigger = state.Gamepad.bRightTrigger;
    }
}

void CWin32Device::ToggleFullscreen() {
    const HWND hwnd = static_cast<HWND>(m_hwnd);
    if (!hwnd)
        return;
    if (!m_bFullscreen) {
        // Borderless over the whole monitor the window stands on.
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        RECT rect;
        if (!GetWindowRect(hwnd, &rect) ||
            !GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor))
            return;
        m_windowed[0] = rect.left;
        m_windowed[1] = rect.top;
        m_windowed[2] = rect.right;
        m_windowed[3] = rect.bottom;
        m_windowedStyle = GetWindowLongW(hwnd, GWL_STYLE);
        SetWindowLongW(hwnd, GWL_STYLE, (m_windowedStyle & ~WS_OVERLAPPEDWINDOW) | WS_POPUP);
        const RECT& m = monitor.rcMonitor;
        SetWindowPos(hwnd, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top,
                     SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
        m_bFullscreen = true;
    } else {
        SetWindowLongW(hwnd, GWL_STYLE, m_windowedStyle);
        SetWindowPos(hwnd, nullptr, m_windowed[0], m_windowed[1], m_windowed[2] - m_windowed[0],
                     m_windowed[3] - m_windowed[1],
                     SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOOWNERZORDER);
        m_bFullscreen = false;
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

void CWin32Device::SetWaitCursor(bool on) {
    m_bWaitCursor = on;
    if (on && !m_hWaitCursor)
        m_hWaitCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    SetCursor(on && m_hWaitCursor ? static_cast<HCURSOR>(m_hWaitCursor)
                                  : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

void CWin32Device::ShowNote(const char* text) {
    const HWND hwnd = static_cast<HWND>(m_hwnd);
    if (!hwnd)
        return;
    SetWindowTextW(hwnd, (std::wstring(kTitle) + L" - " + Win32Wide(text)).c_str());
    // A second note starts the time again.
    SetTimer(hwnd, kNoteTimer, kNoteMs, nullptr);
}

int CWin32Device::Ask(const char* text, const char* caption, Win32BoxButtons buttons,
                      Win32BoxSign sign) {
    const HWND owner = static_cast<HWND>(m_hwnd);
    g_hBoxOwner = owner;
    g_hBoxHook = SetWindowsHookExW(WH_CBT, CentreBox, nullptr, GetCurrentThreadId());
    g_hBox = nullptr;
    UINT type = buttons == WBOX_OK_CANCEL ? MB_OKCANCEL : buttons == WBOX_YES_NO ? MB_YESNO : MB_OK;
    if (sign == WBOX_QUESTION)
        type |= MB_ICONQUESTION;
    else if (sign == WBOX_INFORMATION)
        type |= MB_ICONINFORMATION;
    // Return, a fire key, keeps the game going: No is the default.
    if (buttons == WBOX_YES_NO) {
        type |= MB_DEFBUTTON2;
        g_hEscapeHook =
            SetWindowsHookExW(WH_MSGFILTER, EscapeSaysYes, nullptr, GetCurrentThreadId());
    }
    const int answer = MessageBoxW(owner, Win32Wide(text).c_str(), Win32Wide(caption).c_str(),
                                   type | MB_SETFOREGROUND);
    if (g_hBoxHook) { // the box never came up
        UnhookWindowsHookEx(g_hBoxHook);
        g_hBoxHook = nullptr;
    }
    if (g_hEscapeHook) {
        UnhookWindowsHookEx(g_hEscapeHook);
        g_hEscapeHook = nullptr;
    }
    g_hBox = nullptr;
    if (answer == 0) {
        // No box can be shown: say it where it can still be read.
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return IDOK;
    }
    return answer;
}

bool CWin32Device::OpenSound() {
    if (m_nSound < 0) {
        m_nSound = waveOutGetNumDevs() > 0 ? 1 : 0;
        if (!m_nSound)
            std::fprintf(stderr, "quibbo: no audio device; playing on without sound\n");
    }
    return m_nSound == 1;
}

void CWin32Device::PlayWave(const unsigned char* data, size_t size) {
    if (m_nSound != 1 || !data || size < 44)
        return;
    // From memory, while the game goes on; a new wave cuts off the last, as
    // on the handheld. SND_NODEFAULT: a wave Windows cannot read is silent.
    PlaySoundW(reinterpret_cast<LPCWSTR>(data), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

void CWin32Device::StopSound() {
    PlaySoundW(nullptr, nullptr, 0);
}

intptr_t CWin32Device::Handle(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const HWND hwnd = static_cast<HWND>(window);
    switch (message) {
    case WM_CLOSE:
        // The game shuts down in order: it is asked, and destroys nothing
        // yet. (A close while a box is up is heard once the box is gone.)
        m_bCloseAsked = true;
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        m_bFocus = message == WM_SETFOCUS;
        Win32Event event{Win32Event::FOCUS};
        event.down = m_bFocus;
        if (m_pEvents)
            m_pEvents->push_back(event);
        return 0;
    }
    case WM_GETMINMAXINFO: {
        // Never smaller than the picture at 1:1.
        RECT rect = {0, 0, m_nWidth, m_nHeight};
        AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE, 0);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = rect.right - rect.left;
        info->ptMinTrackSize.y = rect.bottom - rect.top;
        return 0;
    }
    case 0x02E0: { // WM_DPICHANGED: the size Windows suggests for the new monitor
        const RECT* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SIZE:
        // The minimum size holds only for the player's dragging: a window
        // made smaller some other way would crop the picture, so it grows
        // back to the picture at 1:1.
        if (wParam != SIZE_MINIMIZED && (LOWORD(lParam) < m_nWidth || HIWORD(lParam) < m_nHeight)) {
            RECT rect = {0, 0, std::max<int>(LOWORD(lParam), m_nWidth),
                         std::max<int>(HIWORD(lParam), m_nHeight)};
            AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                               0);
            SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the picture and its borders cover everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd, &ps);
        Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETCURSOR:
        if (m_bWaitCursor && LOWORD(lParam) == HTCLIENT) {
            SetCursor(static_cast<HCURSOR>(m_hWaitCursor));
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        const bool alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
        // Alt+F4 closes the window as everywhere on Windows.
        if (wParam == VK_F4 && alt)
            break;
        Win32Event event{Win32Event::KEY};
        event.vk = static_cast<uint32_t>(wParam);
        event.down = down;
        event.repeat = down && (lParam & (1 << 30)) != 0;
        event.extended = (lParam & (1 << 24)) != 0;
        // The right Shift has no extended bit: its scan code tells it.
        if (wParam == VK_SHIFT)
            event.extended = ((lParam >> 16) & 0xFF) == 0x36;
        event.shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        event.ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        event.alt = alt;
        if (m_pEvents)
            m_pEvents->push_back(event);
        // Not to DefWindowProc: F10 and Alt would open the (absent) menu.
        return 0;
    }
    case WM_SYSCHAR:
        return 0; // no beep for Alt+Return
    case WM_TIMER:
        if (wParam != kNoteTimer)
            break;
        KillTimer(hwnd, kNoteTimer);
        SetWindowTextW(hwnd, kTitle);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
