// The window system's plain operations: windows, focus, the message queue,
// message boxes, styles and the shell's full-screen calls.
#pragma once
#include "platform/PlatformTypes.h"

class CWnd;

// Creates a window for `owner`; WM_CREATE reaches owner->WindowProc before
// this returns. Returns null (and leaves no window) when WM_CREATE answers -1.
HWND PlatCreateWindow(CWnd* owner, const char* title, uint32_t style, uint32_t exStyle,
                      const PlatRect& rect, HWND parent);
// Sends WM_DESTROY to the owner, forgets the window (with its queued
// messages), then calls the owner's PostNcDestroy. Safe on null.
void PlatDestroyWindow(HWND hwnd);
bool PlatIsWindow(HWND hwnd);
void PlatSetWindowText(HWND hwnd, const char* text);

void PlatGetDesktopRect(PlatRect* rect);
void PlatGetClientRect(HWND hwnd, PlatRect* rect); // left = top = 0
void PlatClientToScreen(HWND hwnd, PlatPoint* point);
void PlatShowWindow(HWND hwnd, int32_t cmd);
void PlatCenterWindow(HWND hwnd);
uint32_t PlatGetExStyle(HWND hwnd);
void PlatSetExStyle(HWND hwnd, uint32_t exStyle);

// The window holding the keyboard focus, or null when none of ours has it
// (another program has it, or a message box is up). The focus goes to the
// first top-level window created, to a window when it is shown, back to a
// box's owner when the box closes, and to the main window when its holder
// is hidden or destroyed.
HWND PlatGetFocus();

// Message queue. Posted and input messages come in order, then the quit
// request (WM_QUIT, wParam = exit code), then WM_PAINT for a visible window
// that was invalidated or newly shown. PlatPeekMessage never waits and
// leaves the message queued when `remove` is false; PlatGetMessage waits and
// returns false for WM_QUIT (msg->wParam then holds the exit code).
// Focus changes are posted as WM_KILLFOCUS / WM_SETFOCUS, so a loop waiting
// for messages wakes when the focus comes back.
bool PlatPeekMessage(PlatMsg* msg, bool remove = true);
bool PlatGetMessage(PlatMsg* msg);
void PlatDispatchMessage(const PlatMsg* msg);
void PlatPostMessage(HWND hwnd, uint32_t message, uint32_t wParam, int32_t lParam);
void PlatSendMessage(HWND hwnd, uint32_t message, uint32_t wParam, int32_t lParam);
void PlatPostQuitMessage(int32_t exitCode);

// Marks the window for repainting; a WM_PAINT follows when the queue is empty.
void PlatInvalidate(HWND hwnd, bool erase);
// The paint path: fills the whole client area with a colour value
// (red in bits 0-7, green 8-15, blue 16-23). The windows share the device
// screen with the direct display: the fill lands in the framebuffer and is
// shown at once.
void PlatFillClient(HWND hwnd, uint32_t colour);

// Modal; returns IDOK or IDCANCEL. The box holds the focus while it is up.
int32_t PlatMessageBox(HWND owner, const char* text, const char* caption, uint32_t type);

// The handheld shell. Their effect here: the game owns its whole window.
// SHInitDialog with the full-screen flag makes the window cover the screen.
bool PlatSHFullScreen(HWND hwnd, uint32_t flags);
bool PlatSHInitDialog(const SHINITDLGINFO* info);
bool PlatSipShowIM(uint32_t flags);
// How long the shell needs, once the input panel is away, before it takes
// the full-screen calls: the device's to say (PlatSetShellSettle). 0, no
// wait, on every device here: none has the handheld's shell, and a wait on
// every resume is a freeze the player feels.
uint32_t PlatShellSettleMs();

void PlatSetWaitCursor(bool on);
