// The window system's plain operations: windows, focus, the message queue,
// message boxes, styles and the shell's full-screen calls.
#pragma once
#include "platform/PlatformTypes.h"

class CWnd;

// Creates a window for `owner`; WM_CREATE reaches owner->WindowProc before
// this returns. Returns null (and leaves no window) when WM_CREATE answers -1.
HWND PlatCreateWindow(CWnd* owner, const char* title, uint32_t style, uint32_t exStyle,
                      const PlatRect& rect, HWND parent);
// Sends WM_DESTROY to the owner, then forgets the window. Safe on null.
void PlatDestroyWindow(HWND hwnd);
bool PlatIsWindow(HWND hwnd);
CWnd* PlatGetOwner(HWND hwnd);
void PlatSetWindowText(HWND hwnd, const char* text);

void PlatGetDesktopRect(PlatRect* rect);
void PlatGetClientRect(HWND hwnd, PlatRect* rect);       // left = top = 0
void PlatClientToScreen(HWND hwnd, PlatPoint* point);
void PlatShowWindow(HWND hwnd, int32_t cmd);
void PlatCenterWindow(HWND hwnd);
uint32_t PlatGetExStyle(HWND hwnd);
void PlatSetExStyle(HWND hwnd, uint32_t exStyle);

// The window holding the keyboard focus, or null when none of ours has it.
HWND PlatGetFocus();

// Message queue. PlatPeekMessage never waits; PlatGetMessage waits and
// returns false for WM_QUIT (msg->wParam then holds the exit code).
bool PlatPeekMessage(PlatMsg* msg);
bool PlatGetMessage(PlatMsg* msg);
void PlatDispatchMessage(const PlatMsg* msg);
void PlatPostMessage(HWND hwnd, uint32_t message, uint32_t wParam, int32_t lParam);
void PlatSendMessage(HWND hwnd, uint32_t message, uint32_t wParam, int32_t lParam);
void PlatPostQuitMessage(int32_t exitCode);

// Marks the window for repainting; a WM_PAINT follows when the queue is empty.
void PlatInvalidate(HWND hwnd, bool erase);
// The paint path: fills the whole client area with a colour value
// (red in bits 0-7, green 8-15, blue 16-23).
void PlatFillClient(HWND hwnd, uint32_t colour);

// Modal; returns IDOK or IDCANCEL. The box holds the focus while it is up.
int32_t PlatMessageBox(HWND owner, const char* text, const char* caption, uint32_t type);

// The handheld shell. Their effect here: the game owns its whole window.
bool PlatSHFullScreen(HWND hwnd, uint32_t flags);
bool PlatSHInitDialog(const SHINITDLGINFO* info);
bool PlatSipShowIM(uint32_t flags);

void PlatSetWaitCursor(bool on);
