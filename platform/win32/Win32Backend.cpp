// The Win32 backend: what the device (Win32Device.cpp) reports becomes the
// game's input here, and the framebuffer goes to the window.
#include "platform/Backend.h"
#include "platform/Files.h"
#include "platform/InputMap.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Device.h"
#include "platform/win32/Win32Input.h"
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

static_assert(kScreenFormat == kfDirect565 && kScreenBitsPerPixel == 16,
              "the device paints the screen as it is, in RGB 565");

static_assert(WBOX_OK == int(EBoxButtons::Ok) && WBOX_OK_CANCEL == int(EBoxButtons::OkCancel) &&
                  WBOX_YES_NO == int(EBoxButtons::YesNo),
              "the device's buttons are the core's");
static_assert(WBOX_PLAIN == int(EBoxSign::None) && WBOX_INFORMATION == int(EBoxSign::Information) &&
                  WBOX_QUESTION == int(EBoxSign::Question),
              "the device's signs are the core's");

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
    int32_t MessageBox(const PlatBox& box) override {
        return m_device.Ask(box.text, box.caption, static_cast<Win32BoxButtons>(box.buttons),
                            static_cast<Win32BoxSign>(box.sign));
    }
    void PlayWave(int, const unsigned char* data, size_t size) override {
        m_device.PlayWave(data, size);
    }
    void MuteChanged(bool muted) override;
    void SetWaitCursor(bool on) override { m_device.SetWaitCursor(on); }

private:
    void Pump(bool wait);
    void Pads(uint32_t now);

    CWin32Device m_device;
    CFramebuffer m_framebuffer;
    CInputMap m_input;
    Win32Pad m_pads[CWin32Device::kPads];
    std::vector<Win32Event> m_events;
};

bool CWin32Backend::Start(const PlatConfig& config) {
    m_framebuffer.ConfigureScreen();
    if (!m_device.Open(kScreenWidth, kScreenHeight, config.scale, config.fullscreen))
        return false;
    PlatPresenter().Start(this, 1000000u / static_cast<uint64_t>(m_device.RefreshHz()), config.fps);
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
            Win32FeedKey(m_input, event);
            break;
        }
    }
    Pads(now);
    m_input.Tick(now);
    // The screenshot's word also goes in the title bar, for a player who
    // started the game from Explorer and has no console to read it in.
    m_input.Perform(
        [this] { m_device.ToggleFullscreen(); },
        [this] { m_device.ShowNote(PlatTakeScreenshot(PlatScreenshotFolder()).c_str()); });
}

// Hands the input map what changed on each pad since it was last looked at.
void CWin32Backend::Pads(uint32_t now) {
    Win32Pad was[CWin32Device::kPads];
    std::copy(m_pads, m_pads + CWin32Device::kPads, was);
    m_device.PollPads(m_pads);
    for (int i = 0; i < CWin32Device::kPads; ++i)
        Win32FeedPad(m_input, i, was[i], m_pads[i], now);
}

} // namespace

CBackend* Win32MakeBackend(const PlatConfig& config) {
    return PlatStartDevice<CWin32Backend>(config);
}
