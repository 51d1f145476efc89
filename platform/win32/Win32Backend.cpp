// The Win32 backend: what the device (Win32Device.cpp) reports becomes the
// game's input here, and the framebuffer goes to the window.
#include "platform/Backend.h"
#include "platform/Files.h"
#include "platform/InputMap.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Device.h"
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int kScreenWidth = 240;
const int kScreenHeight = 320;

// The input map's key for a Windows virtual key, or 0 for a key it drops.
int32_t DesktopKey(const Win32Event& key) {
    const uint32_t vk = key.vk;
    if (vk >= 'A' && vk <= 'Z')
        return static_cast<int32_t>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9')
        return static_cast<int32_t>(vk);
    if (vk >= WVK_F1 && vk <= WVK_F12)
        return DK_F1 + static_cast<int32_t>(vk - WVK_F1);
    switch (vk) {
    case WVK_BACK: return DK_BACKSPACE;
    case WVK_TAB: return DK_TAB;
    case WVK_RETURN: return key.extended ? DK_KP_ENTER : DK_RETURN;
    case WVK_ESCAPE: return DK_ESCAPE;
    case WVK_SPACE: return DK_SPACE;
    case WVK_PAUSE: return DK_PAUSE;
    case WVK_LEFT: return DK_LEFT;
    case WVK_RIGHT: return DK_RIGHT;
    case WVK_UP: return DK_UP;
    case WVK_DOWN: return DK_DOWN;
    case WVK_SHIFT: return key.extended ? DK_RSHIFT : DK_LSHIFT;
    case WVK_CONTROL: return key.extended ? DK_RCTRL : DK_LCTRL;
    default: return 0;
    }
}

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
    {WPAD_DPAD_UP, PAD_DPAD_UP},
    {WPAD_DPAD_DOWN, PAD_DPAD_DOWN},
    {WPAD_DPAD_LEFT, PAD_DPAD_LEFT},
    {WPAD_DPAD_RIGHT, PAD_DPAD_RIGHT},
};

int32_t Trigger(uint8_t value) {
    return value * 32767 / 255;
}

class CWin32Backend : public CBackend {
public:
    bool Start(const PlatConfig& config);

    void Release() override { delete this; }
    uint64_t Microseconds() override { return m_device.Microseconds(); }
    void Sleep(uint32_t ms) override {
        if (ms > 0)
            m_device.Sleep(ms);
    }
    CFramebuffer& Framebuffer() override { return m_framebuffer; }
    void PutPicture() override {
        m_device.Put(m_framebuffer.Origin(), m_framebuffer.Properties().cbyPitch);
    }
    void PumpEvents() override { Pump(false); }
    void WaitEvents() override { Pump(true); }
    int32_t MessageBox(const char* text, const char* caption, uint32_t type) override {
        return m_device.Ask(text, caption, type);
    }
    void PlayWave(int, const unsigned char* data, size_t size) override {
        m_device.PlayWave(data, size);
    }
    void MuteChanged(bool muted) override;
    void SetWaitCursor(bool on) override { m_device.SetWaitCursor(on); }

private:
    void Pump(bool wait);
    void Pads(uint32_t now);
    void SaveScreenshot();

    CWin32Device m_device;
    CFramebuffer m_framebuffer;
    CInputMap m_input;
    Win32Pad m_pads[CWin32Device::kPads];
    std::vector<Win32Event> m_events;
};

bool CWin32Backend::Start(const PlatConfig& config) {
    m_framebuffer.Configure(kScreenWidth, kScreenHeight, 16, kfDirect565, 0, 0);
    if (!m_device.Open(kScreenWidth, kScreenHeight, config.scale, config.fullscreen))
        return false;
    PlatPresenter().Start(this, 1000000u / static_cast<uint64_t>(m_device.RefreshHz()),
                          config.fps);
    m_framebuffer.MarkShown();
    PlatPresenter().Show();
    // The game runs only while it has the keyboard.
    PlatSetAppFocus(m_device.HasFocus());
    // Started muted (--nosound), the audio device is left alone until M
    // asks for sound.
    if (config.sound)
        m_device.OpenSound();
    return true;
}

void CWin32Backend::MuteChanged(bool muted) {
    if (muted)
        m_device.StopSound();
    else
        m_device.OpenSound();
}

void CWin32Backend::Pump(bool wait) {
    m_events.clear();
    m_device.Pump(wait, &m_events);
    const uint32_t now = static_cast<uint32_t>(m_device.Microseconds() / 1000);
    for (const Win32Event& event : m_events) {
        switch (event.kind) {
        case Win32Event::CLOSE:
            PlatRequestClose();
            break;
        case Win32Event::FOCUS:
            PlatSetAppFocus(event.down);
            PlatFocusChanged();
            break;
        case Win32Event::KEY:
            if (const int32_t key = DesktopKey(event)) {
                const uint16_t mod = static_cast<uint16_t>(
                    (event.shift ? DKMOD_SHIFT : 0) | (event.ctrl ? DKMOD_CTRL : 0) |
                    (event.alt ? DKMOD_ALT : 0));
                m_input.Key(key, mod, event.down, event.repeat);
            }
            break;
        }
    }
    Pads(now);
    m_input.Tick(now);
    m_input.Perform([this] { m_device.ToggleFullscreen(); }, [this] { SaveScreenshot(); });
}

// Hands the input map what changed on each pad since it was last looked at.
void CWin32Backend::Pads(uint32_t now) {
    Win32Pad was[CWin32Device::kPads];
    std::copy(m_pads, m_pads + CWin32Device::kPads, was);
    m_device.PollPads(m_pads);
    for (int i = 0; i < CWin32Device::kPads; ++i) {
        const Win32Pad& pad = m_pads[i];
        if (was[i].connected && !pad.connected) {
            m_input.PadRemoved(i);
            continue;
        }
        for (const auto& b : kPadButtons) {
            const bool down = (pad.buttons & b.bit) != 0;
            if (down != ((was[i].buttons & b.bit) != 0))
                m_input.PadButton(i, b.button, down, now);
        }
        if (pad.stickX != was[i].stickX)
            m_input.PadAxis(i, PAD_AXIS_LEFTX, pad.stickX, now);
        // XInput counts up as positive; the input map, down.
        if (pad.stickY != was[i].stickY)
            m_input.PadAxis(i, PAD_AXIS_LEFTY, -1 - pad.stickY, now);
        if (pad.leftTrigger != was[i].leftTrigger)
            m_input.PadAxis(i, PAD_AXIS_TRIGGERLEFT, Trigger(pad.leftTrigger), now);
        if (pad.rightTrigger != was[i].rightTrigger)
            m_input.PadAxis(i, PAD_AXIS_TRIGGERRIGHT, Trigger(pad.rightTrigger), now);
    }
}

void CWin32Backend::SaveScreenshot() {
    const std::string folder = PlatScreenshotFolder();
    std::string path;
    if (!folder.empty() && PlatSaveNumberedScreenshot(folder, &path))
        std::fprintf(stderr, "quibbo: screenshot saved as %s\n", PlatPrintablePath(path).c_str());
    else
        std::fprintf(stderr, "quibbo: cannot write a screenshot in the pictures folder\n");
}

} // namespace

CBackend* Win32MakeBackend(const PlatConfig& config) {
    CWin32Backend* backend = new CWin32Backend;
    if (!backend->Start(config)) {
        delete backend;
        return nullptr;
    }
    return backend;
}
