#include "platform/win32/Win32Input.h"
#include <algorithm>

// The input map's key for a Windows virtual key, or 0 for a key it drops.
int32_t Win32DesktopKey(const Win32Event& key) {
    const uint32_t vk = key.vk;
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<int32_t>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9')
        return static_cast<int32_t>(vk);
    if (vk >= WVK_F1 && vk <= WVK_F12)
        return DK_F1 + static_cast<int32_t>(vk - WVK_F1);
    switch (vk) {
    case WVK_BACK:
        return DK_BACKSPACE;
    case WVK_TAB:
        return DK_TAB;
    case WVK_RETURN:
        return key.extended ? DK_KP_ENTER : DK_RETURN;
    case WVK_ESCAPE:
        return DK_ESCAPE;
    case WVK_SPACE:
        return DK_SPACE;
    case WVK_PAUSE:
        return DK_PAUSE;
    case WVK_LEFT:
        return DK_LEFT;
    case WVK_RIGHT:
        return DK_RIGHT;
    case WVK_UP:
        return DK_UP;
    case WVK_DOWN:
        return DK_DOWN;
    case WVK_SHIFT:
        return key.extended ? DK_RSHIFT : DK_LSHIFT;
    case WVK_CONTROL:
        return key.extended ? DK_RCTRL : DK_LCTRL;
    case WVK_OEM_COMMA:
        return ',';
    case WVK_OEM_PERIOD:
        return '.';
    default:
        return 0;
    }
}

void Win32FeedKey(CInputMap& map, const Win32Event& key) {
    const int32_t code = Win32DesktopKey(key);
    if (!code)
        return;
    const uint16_t mod = static_cast<uint16_t>(
        (key.shift ? DKMOD_SHIFT : 0) | (key.ctrl ? DKMOD_CTRL : 0) | (key.alt ? DKMOD_ALT : 0));
    map.Key(code, mod, key.down, key.repeat);
}

namespace {

// XInput's buttons as the input map numbers them.
const struct {
    uint16_t bit;
    int button;
} kPadButtons[] = {
    {WPAD_A, PAD_A},
    {WPAD_B, PAD_B},
    {WPAD_X, PAD_X},
    {WPAD_Y, PAD_Y},
    {WPAD_START, PAD_START},
    {WPAD_LEFT_SHOULDER, PAD_LEFTSHOULDER},
    {WPAD_RIGHT_SHOULDER, PAD_RIGHTSHOULDER},
    {WPAD_DPAD_UP, PAD_DPAD_UP},
    {WPAD_DPAD_DOWN, PAD_DPAD_DOWN},
    {WPAD_DPAD_LEFT, PAD_DPAD_LEFT},
    {WPAD_DPAD_RIGHT, PAD_DPAD_RIGHT},
};

int32_t Trigger(uint8_t value) {
    return value * 32767 / 255;
}

} // namespace

void Win32FeedPad(CInputMap& map, int index, const Win32Pad& was, const Win32Pad& now,
                  uint32_t ms) {
    if (was.connected && !now.connected) {
        map.PadRemoved(index);
        return;
    }
    for (const auto& b : kPadButtons) {
        const bool down = (now.buttons & b.bit) != 0;
        if (down != ((was.buttons & b.bit) != 0))
            map.PadButton(index, b.button, down, ms);
    }
    if (now.stickX != was.stickX)
        map.PadAxis(index, PAD_AXIS_LEFTX, now.stickX, ms);
    // XInput counts up as positive; the input map, down.
    if (now.stickY != was.stickY)
        map.PadAxis(index, PAD_AXIS_LEFTY, -1 - now.stickY, ms);
    if (now.leftTrigger != was.leftTrigger)
        map.PadAxis(index, PAD_AXIS_TRIGGERLEFT, Trigger(now.leftTrigger), ms);
    if (now.rightTrigger != was.rightTrigger)
        map.PadAxis(index, PAD_AXIS_TRIGGERRIGHT, Trigger(now.rightTrigger), ms);
}

Win32Fit Win32FitPicture(int clientWidth, int clientHeight, int width, int height) {
    int scale = width > 0 && height > 0 ? std::min(clientWidth / width, clientHeight / height) : 1;
    if (scale < 1)
        scale = 1;
    return {(clientWidth - width * scale) / 2, (clientHeight - height * scale) / 2, scale};
}
