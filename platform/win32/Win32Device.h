// The Windows side of the Win32 backend, behind a header that includes
// neither <windows.h> nor the game's own window types (whose names Windows
// also uses): the window, the clock, message boxes, sound and the pads. The
// backend (Win32Backend.cpp) turns what it reports into the game's input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Windows' virtual-key codes the backend maps; Win32Device.cpp checks them
// against <windows.h> at compile time.
enum : uint32_t {
    WVK_BACK = 0x08,
    WVK_TAB = 0x09,
    WVK_RETURN = 0x0D,
    WVK_SHIFT = 0x10,
    WVK_CONTROL = 0x11,
    WVK_PAUSE = 0x13,
    WVK_ESCAPE = 0x1B,
    WVK_SPACE = 0x20,
    WVK_LEFT = 0x25,
    WVK_UP = 0x26,
    WVK_RIGHT = 0x27,
    WVK_DOWN = 0x28,
    WVK_F1 = 0x70,
    WVK_F12 = 0x7B,
    WVK_OEM_COMMA = 0xBC,
    WVK_OEM_PERIOD = 0xBE,
};

// XInput's button bits, checked the same way.
enum : uint16_t {
    WPAD_DPAD_UP = 0x0001,
    WPAD_DPAD_DOWN = 0x0002,
    WPAD_DPAD_LEFT = 0x0004,
    WPAD_DPAD_RIGHT = 0x0008,
    WPAD_START = 0x0010,
    WPAD_LEFT_SHOULDER = 0x0100,
    WPAD_RIGHT_SHOULDER = 0x0200,
    WPAD_A = 0x1000,
    WPAD_B = 0x2000,
    WPAD_X = 0x4000,
    WPAD_Y = 0x8000,
};

// What the window heard.
struct Win32Event {
    enum Kind { KEY, CLOSE, FOCUS };
    Kind kind;
    uint32_t vk = 0;       // KEY: the virtual key
    bool extended = false; // KEY: the right-hand Ctrl or Shift, the keypad's Enter
    bool down = false;     // KEY: pressed; FOCUS: gained
    bool repeat = false;   // KEY: held down, the keyboard repeats it
    bool shift = false, ctrl = false, alt = false; // KEY: modifiers held with it
};

// One pad as XInput last reported it.
struct Win32Pad {
    bool connected = false;
    uint16_t buttons = 0;
    int16_t stickX = 0; // -32768 (left) ... 32767 (right)
    int16_t stickY = 0; // -32768 (down) ... 32767 (up), as XInput has it
    uint8_t leftTrigger = 0, rightTrigger = 0;
};

// A box's buttons and sign as the core decoded them (PlatBox), in names of
// this header's own.
enum Win32BoxButtons { WBOX_OK, WBOX_OK_CANCEL, WBOX_YES_NO };
enum Win32BoxSign { WBOX_PLAIN, WBOX_INFORMATION, WBOX_QUESTION };

// The picture of `width` x `height` in a client area of `clientWidth` x
// `clientHeight`: the largest whole multiple that fits, never below 1:1,
// in the middle (an offset is negative where a picture at 1:1 is cropped).
struct Win32Fit {
    int x, y, scale;
};
Win32Fit Win32FitPicture(int clientWidth, int clientHeight, int width, int height);

class CWin32Device {
public:
    static const int kPads = 4;

    CWin32Device();
    ~CWin32Device();
    CWin32Device(const CWin32Device&) = delete;
    CWin32Device& operator=(const CWin32Device&) = delete;

    // Opens a window whose client area is `width` x `height` times `scale`
    // (less if the desktop is smaller), full screen when asked. False, with
    // the reason on standard error, when it cannot.
    bool Open(int width, int height, int scale, bool fullscreen);

    // Microseconds since the device was made, from the performance counter.
    uint64_t Microseconds() const;
    // The display's refresh rate in Hz (60 when Windows does not say).
    int RefreshHz() const;
    void Sleep(uint32_t ms) const;

    // Shows `pixels` (RGB 565, `pitch` bytes a row, width x height of Open)
    // now; the pointer is kept, to paint the window again when Windows asks.
    void Put(const void* pixels, int pitch);
    // Reads every message waiting; `wait`: first block until one arrives (or,
    // with pads plugged in, until they are due to be looked at again). A
    // FOCUS event reports a change of HasFocus().
    void Pump(bool wait, std::vector<Win32Event>* events);
    // The pads as they are now.
    void PollPads(Win32Pad pads[kPads]);
    bool HasFocus() const { return m_bFocus; }
    void ToggleFullscreen();
    void SetWaitCursor(bool on);
    // `text` (UTF-8) after the name in the title bar for a few seconds, then
    // the name alone: word of what a key did (F12's screenshot) that must
    // not stop the game as a box would.
    void ShowNote(const char* text);

    // Windows' own box, over the middle of the game window. The answer is
    // Windows' ID value; texts are UTF-8.
    int Ask(const char* text, const char* caption, Win32BoxButtons buttons, Win32BoxSign sign);

    // False (once, with a line on standard error) when there is no audio
    // device: then playing is silent.
    bool OpenSound();
    // A wave file in memory, played while the game goes on; it cuts off
    // whatever played. The data must stay where it is (resources do).
    void PlayWave(const unsigned char* data, size_t size);
    void StopSound();

    // Called by the window procedure.
    intptr_t Handle(void* hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam);

private:
    void Paint(void* dc);
    void ClientSize(int* width, int* height) const;

    void* m_hwnd = nullptr;
    void* m_hWaitCursor = nullptr;
    bool m_bWaitCursor = false;
    int m_nWidth = 0, m_nHeight = 0;
    const void* m_pPixels = nullptr;
    int m_nPitch = 0;
    bool m_bFocus = false;
    bool m_bCloseAsked = false;
    bool m_bFullscreen = false;
    long m_windowedStyle = 0;
    int m_windowed[4] = {}; // left, top, right, bottom before full screen
    int64_t m_qwStart = 0, m_qwFrequency = 1;
    int m_nSound = -1; // -1: not tried; 0: no device; 1: ready
    std::vector<Win32Event>* m_pEvents = nullptr;
    // XInput, when one of its DLLs is there.
    void* m_pXInputGetState = nullptr;
    bool m_bXInputTried = false;
    uint32_t m_dwNextPadLook = 0;
    bool m_bAnyPad = false;
};
