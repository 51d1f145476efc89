// The Win32 backend: a window drawn through GDI, the keyboard and XInput
// pads as the device's buttons, Windows' message boxes and sound.
#pragma once
#include "platform/Platform.h"

// Null, after one line on standard error, when no window can be opened.
CBackend* Win32MakeBackend(const PlatConfig& config);

// Sends standard output and error to the console the program was started
// from, if any, when they go nowhere else. First thing in main. False when
// nothing the program writes can be read: it was started from Explorer or
// a shortcut, with no console and no file or pipe to write to.
bool Win32UseParentConsole();

// `text` (UTF-8) for a program started without a console, which would
// otherwise say it to nobody: a problem in Windows' own box with the warning
// sign, anything else (the help) in a window of its own that scrolls.
// Returns once it is closed.
void Win32ShowText(const char* text, const char* caption, bool problem);
