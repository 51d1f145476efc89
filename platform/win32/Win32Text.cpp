// The help and other text, shown where a program started from Explorer can
// be seen: the console it was started from, else a window or a box.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Windows.h"
#include <cstdio>
#include <string>

bool Win32UseParentConsole() {
    // A windowed program has no console of its own. Started from one (for
    // --help, --stats or --headless), it writes to that one, unless its
    // output already goes somewhere (a pipe or a file).
    if (GetStdHandle(STD_OUTPUT_HANDLE))
        return true;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return false;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
    return true;
}

namespace {

LRESULT CALLBACK TextWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        MoveWindow(GetWindow(hwnd, GW_CHILD), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

void Win32ShowText(const char* text, const char* caption, bool problem) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // A line goes in a box. Longer text (the help, some 70 lines laid out in
    // columns) would make a box taller than the screen, wrapped in a
    // proportional font: it gets a window of its own that scrolls, in a
    // fixed-pitch font, 80 columns wide.
    HWND hwnd = nullptr;
    if (!problem && Win32RegisterClass(L"QuibboText", TextWindowProc)) {
        const HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, L"Consolas");
        const HDC dc = GetDC(nullptr);
        const HGDIOBJ was = SelectObject(dc, font);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        // The width of 80 columns as drawn: where Consolas is missing the
        // font Windows picks instead may be wider than its average says.
        const std::wstring columns(80, L'M');
        SIZE extent = {};
        GetTextExtentPoint32W(dc, columns.c_str(), static_cast<int>(columns.size()), &extent);
        SelectObject(dc, was);
        ReleaseDC(nullptr, dc);
        RECT rect = {0, 0, extent.cx + 8 + GetSystemMetrics(SM_CXVSCROLL), metrics.tmHeight * 36};
        AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
        hwnd = CreateWindowExW(0, L"QuibboText", Win32Wide(caption).c_str(),
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                               instance, nullptr);
        std::wstring lines;
        for (const wchar_t c : Win32Wide(text))
            lines += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
        RECT client = {};
        GetClientRect(hwnd, &client);
        const HWND edit =
            hwnd ? CreateWindowExW(0, L"EDIT", lines.c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                       ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                   0, 0, client.right, client.bottom, hwnd, nullptr, instance,
                                   nullptr)
                 : nullptr;
        if (edit) {
            SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            SetForegroundWindow(hwnd);
            SetFocus(edit);
            MSG msg;
            // Escape closes it too, as it does a box.
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
                    DestroyWindow(hwnd);
                else {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
        } else if (hwnd) {
            DestroyWindow(hwnd);
            hwnd = nullptr;
        }
        DeleteObject(font);
    }
    if (!hwnd)
        MessageBoxW(nullptr, Win32Wide(text).c_str(), Win32Wide(caption).c_str(),
                    MB_OK | (problem ? MB_ICONWARNING : MB_ICONINFORMATION) | MB_SETFOREGROUND);
}
