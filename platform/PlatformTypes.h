// Plain types shared by the game and the platform layer. Nothing here names
// a backend: the game sees handles, rectangles, messages and key codes only.
#pragma once
#include <cstdint>

struct PlatWindow;        // opaque; owned by the platform
typedef PlatWindow* HWND; // null means "no window"

struct PlatRect {
    int32_t left, top, right, bottom; // right and bottom are exclusive
};

struct PlatPoint {
    int32_t x, y;
};

// A queued window message, as the framework's run loop sees it.
struct PlatMsg {
    HWND hwnd;
    uint32_t message;
    uint32_t wParam; // key messages: the virtual-key code
    int32_t lParam;  // key messages: 1 for a repeat, else 0
};

// Messages. Values follow the handheld's window system, so recorded traces
// and tests read the same as on the device.
enum : uint32_t {
    WM_CREATE = 0x0001,
    WM_DESTROY = 0x0002,
    WM_SETFOCUS = 0x0007,  // posted to the window that gained the keyboard focus
    WM_KILLFOCUS = 0x0008, // posted to the window that lost it
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_SETICON = 0x0080,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    // Ours, sent to the main window when the mute key turned the sound off
    // (wParam 1) or on (wParam 0), so that the game can say so; never
    // queued, so it takes no place in a run's count of messages.
    WM_MUTECHANGED = 0x8001,
};

// Virtual-key codes the game and the backends agree on.
enum : uint32_t {
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_LWIN = 91,
    VK_F11 = 122,
    VK_F12 = 123,
    VK_F23 = 134,
    // The handheld's application buttons have no standard names.
    VK_APP1 = 209,
    VK_APP2 = 210,
    VK_APP3 = 211,
    VK_APP4 = 212,
    VK_APP5 = 213,
    // Pauses and resumes the game; the window system keeps it for itself.
    VK_PAUSE = 19,
    // The M key: mutes and unmutes the sound, also kept by the window system.
    VK_MUTE = 'M',
    // The C key: on the title, continues at the furthest level reached.
    VK_CONTINUE = 'C',
    // Sidestep, which the handheld had no button for: two codes Windows
    // leaves unassigned, so no device key is ever mistaken for them.
    VK_STRAFELEFT = 0x88,
    VK_STRAFERIGHT = 0x89,
};

// Message box types and answers.
enum : uint32_t {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNO = 0x4,
    MB_ICONQUESTION = 0x20,
    MB_ICONINFORMATION = 0x40,
};
enum : int32_t {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// Window styles the game sets.
enum : uint32_t {
    WS_DLGFRAME = 0x00400000,
    WS_EX_TOPMOST = 0x00000008,
};

// ShowWindow commands.
enum : int32_t {
    SW_HIDE = 0,
    SW_SHOW = 5,
};

// The shell's full-screen flags.
enum : uint32_t {
    SHFS_SHOWTASKBAR = 0x0001,
    SHFS_HIDETASKBAR = 0x0002,
    SHFS_SHOWSIPBUTTON = 0x0004,
    SHFS_HIDESIPBUTTON = 0x0008,
    SHFS_SHOWSTARTICON = 0x0010,
    SHFS_HIDESTARTICON = 0x0020,
};

// The shell's dialog initialisation record and flags.
struct SHINITDLGINFO {
    uint32_t dwMask;
    HWND hDlg;
    uint32_t dwFlags;
};
enum : uint32_t {
    SHIDIM_FLAGS = 0x0001,
    SHIDIF_FULLSCREENNOMENUBAR = 0x0010,
};

// Software input panel.
enum : uint32_t {
    SIPF_OFF = 0,
    SIPF_ON = 1,
};
