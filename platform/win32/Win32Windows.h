// What the Win32 device's windows share (Win32Device.cpp and Win32Text.cpp).
#pragma once
#include <string>
#include <windows.h>

// UTF-8 `text` in Windows' wide characters; "" when it cannot be read.
std::wstring Win32Wide(const char* text);
// A window class with the program's icon (platform/win32/quibbo.rc.in), and
// its 16-pixel picture for the title bar rather than the large one shrunk.
// False when Windows refuses it; a class already there is no refusal.
bool Win32RegisterClass(const wchar_t* name, WNDPROC procedure);
