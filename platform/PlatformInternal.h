// What the platform's own files share among themselves; game code never
// includes this.
#pragma once
#include "platform/PlatformTypes.h"

// One line in the call record, when the backend keeps one (headless).
void PlatTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Forgets every window (their owners' handles are cleared, no messages are
// sent), every queued message, the quit request and the focus.
void PlatResetWindowSystem();
// Removes a window without sending it anything: for an owner that is being
// deleted and can no longer take messages.
void PlatForgetWindow(HWND hwnd);
// Queues input for the window with the keyboard focus; dropped when none of
// ours has it. The pause key and the mute key (VK_MUTE) are kept here.
void PlatPostInput(uint32_t message, uint32_t wParam, int32_t lParam);
// Makes `hwnd` the window that takes the focus while the program has it.
void PlatSetActiveWindow(HWND hwnd);
// Looks at the focus again and tells the windows about a change
// (WM_KILLFOCUS to the old holder, WM_SETFOCUS to the new one); puts PAUSED
// over the picture when the game has just come to be held (the pause key,
// or the program lost the keyboard), unless a box of ours is up.
void PlatFocusChanged();
// The window close button: WM_CLOSE to the main window (or a quit when
// there is no window left to ask).
void PlatRequestClose();
// The pause key (VK_PAUSE through PlatPostInput): while paused no window has
// the focus, as when another program has it, so the game stops and forgets
// its keys; only Escape still reaches the active window. The word PAUSED is
// drawn over the picture, here as whenever the program loses the keyboard
// (PlatFocusChanged).
void PlatTogglePause();
bool PlatIsPaused();

// GX state: display closed, input closed, not suspended, no frames presented.
void PlatResetDisplayState();
int PlatPresentCount();
