// The Win32 backend: a window drawn through GDI, the keyboard and XInput
// pads as the device's buttons, Windows' message boxes and sound.
#pragma once
#include "platform/Platform.h"

// Null, after one line on standard error, when no window can be opened.
CBackend* Win32MakeBackend(const PlatConfig& config);

// Sends standard output and error to the console the program was started
// from, if any, when they go nowhere else. First thing in main.
void Win32UseParentConsole();
