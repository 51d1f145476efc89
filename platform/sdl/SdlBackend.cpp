// The SDL2 backend: one window showing the device screen scaled up sharp,
// keys and gamepads as the device's buttons, SDL's message boxes and one
// audio device.
#include "platform/Backend.h"
#include "platform/Files.h"
#include "platform/InputMap.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/Resources.h"
#include "platform/sdl/QuietStderr.h"
#include "platform/sdl/Sdl.h"
#include "platform/sdl/SdlPads.h"
#include "platform/sdl/SdlSound.h"
#include "res/ResourceIds.h"
#include <SDL.h>
#include <cstdio>

namespace {

const int kIconId = IDI_PROGRAM;
static_assert(kScreenFormat == kfDirect565 && kScreenBitsPerPixel == 16,
              "the screen goes up as it is, into an RGB 565 texture");

// Two enumerations compared as numbers.
constexpr bool Same(long a, long b) {
    return a == b;
}

// The input map names keys with SDL's own values.
static_assert(Same(DK_BACKSPACE, SDLK_BACKSPACE) && Same(DK_TAB, SDLK_TAB) &&
                  Same(DK_RETURN, SDLK_RETURN) && Same(DK_ESCAPE, SDLK_ESCAPE) &&
                  Same(DK_SPACE, SDLK_SPACE),
              "keys that type");
static_assert(Same(DK_PAUSE, SDLK_PAUSE), "pause");
static_assert(Same(DK_F1, SDLK_F1) && Same(DK_F10, SDLK_F10) && Same(DK_F11, SDLK_F11) &&
                  Same(DK_F12, SDLK_F12),
              "function keys");
static_assert(Same(DK_RIGHT, SDLK_RIGHT) && Same(DK_LEFT, SDLK_LEFT) && Same(DK_DOWN, SDLK_DOWN) &&
                  Same(DK_UP, SDLK_UP) && Same(DK_KP_ENTER, SDLK_KP_ENTER),
              "arrows and Enter");
static_assert(Same(DK_LCTRL, SDLK_LCTRL) && Same(DK_RCTRL, SDLK_RCTRL) &&
                  Same(DK_LSHIFT, SDLK_LSHIFT) && Same(DK_RSHIFT, SDLK_RSHIFT),
              "modifier keys");
static_assert(Same(SDLK_a, 'a') && Same(SDLK_z, 'z') && Same(SDLK_0, '0') && Same(SDLK_9, '9') &&
                  Same(SDLK_COMMA, ',') && Same(SDLK_PERIOD, '.'),
              "letters, digits, the sidestep's punctuation");
static_assert(Same(DKMOD_SHIFT, KMOD_SHIFT) && Same(DKMOD_CTRL, KMOD_CTRL) &&
                  Same(DKMOD_ALT, KMOD_ALT),
              "modifier bits");

class CSdlBackend : public CBackend {
public:
    ~CSdlBackend() override;
    bool Start(const PlatConfig& config);

    void Release() override { delete this; }
    uint64_t Microseconds() override;
    void Sleep(uint32_t ms) override {
        if (ms > 0)
            SDL_Delay(ms);
    }
    CFramebuffer& Framebuffer() override { return m_framebuffer; }
    void PutPicture() override {
        Upload();
        Render();
    }
    void PumpEvents() override;
    void WaitEvents() override;
    int32_t MessageBox(const PlatBox& box) override;
    void PlayWave(int id, const unsigned char* data, size_t size) override {
        m_sound.Play(id, data, size);
    }
    void MuteChanged(bool muted) override;
    void SetWaitCursor(bool on) override;

private:
    void Handle(const SDL_Event& event);
    void Perform();
    void Upload();
    void Render();
    void SetIcon();
    void ToggleFullscreen();
    void OpenSound();

    SDL_Window* m_pWindow = nullptr;
    SDL_Renderer* m_pRenderer = nullptr;
    SDL_Texture* m_pTexture = nullptr;
    SDL_Cursor* m_pWaitCursor = nullptr;
    CFramebuffer m_framebuffer;
    CSdlSound m_sound;
    CSdlPads m_pads;
    CInputMap m_input;
    bool m_bSoundTried = false; // the audio device was asked for, once at most
    Uint64 m_qwStart = 0;       // the performance counter when the window opened
};

CSdlBackend::~CSdlBackend() {
    m_sound.Close();
    m_pads.Close();
    if (m_pWaitCursor)
        SDL_FreeCursor(m_pWaitCursor);
    if (m_pTexture)
        SDL_DestroyTexture(m_pTexture);
    if (m_pRenderer)
        SDL_DestroyRenderer(m_pRenderer);
    if (m_pWindow)
        SDL_DestroyWindow(m_pWindow);
    SDL_Quit();
}

bool CSdlBackend::Start(const PlatConfig& config) {
    // The close button and Ctrl+C both ask the main window to close, so that
    // the game shuts down in order; SDL must not quit behind its back.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    int started;
    {
        CQuietStderr quiet;
        started = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }
    if (started != 0) {
        std::fprintf(stderr, "quibbo: cannot open a window (%s); run with --headless instead\n",
                     SDL_GetError());
        return false;
    }
    // With no display SDL falls back to drivers that show nothing and never
    // give a window the focus: the game would wait for ever, unseen.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr,
                     "quibbo: no display to open a window on; run with --headless instead\n");
        return false;
    }
    m_framebuffer.ConfigureScreen();
    m_qwStart = SDL_GetPerformanceCounter();

    // Whole-number scale, no larger than the desktop allows.
    int scale = config.scale > 0 ? config.scale : 1;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        while (scale > 1 && (kScreenWidth * scale > usable.w || kScreenHeight * scale > usable.h))
            --scale;
    }
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (config.fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    m_pWindow = SDL_CreateWindow("Quibbo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 kScreenWidth * scale, kScreenHeight * scale, flags);
    if (!m_pWindow) {
        std::fprintf(stderr, "quibbo: cannot open a window (%s); run with --headless instead\n",
                     SDL_GetError());
        return false;
    }
    SDL_SetWindowMinimumSize(m_pWindow, kScreenWidth, kScreenHeight);
    SetIcon();

    // No vsync: a present that waited for the display would make every
    // direct-drawing bracket (each cell of a shot's trace) cost a frame.
    // The run loop keeps the pace instead, once per pass.
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, 0);
    if (!m_pRenderer)
        m_pRenderer = SDL_CreateRenderer(m_pWindow, -1, SDL_RENDERER_SOFTWARE);
    if (m_pRenderer)
        m_pTexture = SDL_CreateTexture(m_pRenderer, SDL_PIXELFORMAT_RGB565,
                                       SDL_TEXTUREACCESS_STREAMING, kScreenWidth, kScreenHeight);
    if (!m_pTexture) {
        std::fprintf(stderr,
                     "quibbo: cannot draw in the window (%s); run with --headless instead\n",
                     SDL_GetError());
        return false;
    }
    SDL_SetTextureScaleMode(m_pTexture, SDL_ScaleModeNearest);
    // Letterboxed to the device's aspect, in whole multiples, never below 1:1.
    SDL_RenderSetLogicalSize(m_pRenderer, kScreenWidth, kScreenHeight);
    SDL_RenderSetIntegerScale(m_pRenderer, SDL_TRUE);

    SDL_DisplayMode mode;
    const int hz =
        SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
    PlatPresenter().Start(this, 1000000u / static_cast<uint64_t>(hz), config.fps);
    m_framebuffer.MarkShown();
    PlatPresenter().Show();
    // Ask for the keyboard: the game only runs while it has the focus, and
    // without a window manager nobody else would hand it over.
    SDL_RaiseWindow(m_pWindow);
    SDL_SetWindowInputFocus(m_pWindow);
    PlatSetAppFocus((SDL_GetWindowFlags(m_pWindow) & SDL_WINDOW_INPUT_FOCUS) != 0);

    // Pads are a bonus: without SDL's controller support the keys still play.
    m_pads.Open();
    // Started muted (--nosound), the device is left alone until M asks
    // for sound.
    if (config.sound)
        OpenSound();
    return true;
}

void CSdlBackend::OpenSound() {
    if (m_bSoundTried)
        return;
    m_bSoundTried = true;
    if (!m_sound.Open())
        std::fprintf(stderr, "quibbo: no audio device (%s); playing on without sound\n",
                     m_sound.Problem().c_str());
}

void CSdlBackend::MuteChanged(bool muted) {
    if (muted)
        m_sound.Stop();
    else
        OpenSound();
}

void CSdlBackend::SetIcon() {
    const unsigned char* data;
    size_t size;
    if (!PlatFindResource(kIconId, PLAT_RT_ICON, &data, &size) || size > 0x7FFFFFFF)
        return;
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(data, static_cast<int>(size)), 1);
    if (!icon)
        return;
    // Pure red is the game's transparent ground; only key it when the
    // picture really holds it (a palette may map red to a neighbour).
    const Uint32 red = SDL_MapRGB(icon->format, 255, 0, 0);
    Uint8 r, g, b;
    SDL_GetRGB(red, icon->format, &r, &g, &b);
    if (r == 255 && g == 0 && b == 0)
        SDL_SetColorKey(icon, SDL_TRUE, red);
    SDL_SetWindowIcon(m_pWindow, icon);
    SDL_FreeSurface(icon);
}

void CSdlBackend::Upload() {
    // The framebuffer is the frame itself: it goes up as it is, with no
    // copy of ours on the way.
    const GXDisplayProperties& props = m_framebuffer.Properties();
    SDL_UpdateTexture(m_pTexture, nullptr, m_framebuffer.Origin(), props.cbyPitch);
}

void CSdlBackend::Render() {
    SDL_SetRenderDrawColor(m_pRenderer, 0, 0, 0, 255);
    SDL_RenderClear(m_pRenderer);
    SDL_RenderCopy(m_pRenderer, m_pTexture, nullptr, nullptr);
    SDL_RenderPresent(m_pRenderer);
}

uint64_t CSdlBackend::Microseconds() {
    const Uint64 ticks = SDL_GetPerformanceCounter() - m_qwStart;
    const Uint64 frequency = SDL_GetPerformanceFrequency();
    return ticks / frequency * 1000000u + ticks % frequency * 1000000u / frequency;
}

void CSdlBackend::SetWaitCursor(bool on) {
    if (on && !m_pWaitCursor)
        m_pWaitCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    SDL_SetCursor(on && m_pWaitCursor ? m_pWaitCursor : SDL_GetDefaultCursor());
}

void CSdlBackend::PumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Handle(event);
    m_input.Tick(SDL_GetTicks());
    Perform();
}

void CSdlBackend::WaitEvents() {
    SDL_Event event;
    if (SDL_WaitEvent(&event))
        Handle(event);
    Perform();
}

void CSdlBackend::Handle(const SDL_Event& event) {
    if (m_pads.Handle(event, m_input, SDL_GetTicks()))
        return;
    switch (event.type) {
    case SDL_QUIT:
        PlatRequestClose();
        break;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PlatRequestClose();
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            PlatSetAppFocus(true);
            PlatFocusChanged();
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            PlatSetAppFocus(false);
            PlatFocusChanged();
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // The minimum size is only a hint: a window made smaller anyway
            // would crop the picture, so it grows back to one whole scale.
            if (event.window.data1 < kScreenWidth || event.window.data2 < kScreenHeight) {
                SDL_SetWindowSize(m_pWindow, SDL_max(event.window.data1, kScreenWidth),
                                  SDL_max(event.window.data2, kScreenHeight));
            }
            Render();
            break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
            Render();
            break;
        default:
            break;
        }
        break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
        PlatPresenter().Show();
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        m_input.Key(event.key.keysym.sym, event.key.keysym.mod, event.type == SDL_KEYDOWN,
                    event.key.repeat != 0);
        break;
    default:
        break;
    }
    Perform();
}

// Carries out what the keys and pads asked for, in the order they asked.
void CSdlBackend::Perform() {
    m_input.Perform([this] { ToggleFullscreen(); },
                    [] { PlatTakeScreenshot(PlatScreenshotFolder()); });
}

void CSdlBackend::ToggleFullscreen() {
    const bool full = (SDL_GetWindowFlags(m_pWindow) & SDL_WINDOW_FULLSCREEN) != 0;
    SDL_SetWindowFullscreen(m_pWindow, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

int32_t CSdlBackend::MessageBox(const PlatBox& asked) {
    const bool choice = asked.buttons == EBoxButtons::OkCancel;
    const bool question = asked.buttons == EBoxButtons::YesNo;
    const SDL_MessageBoxButtonData okCancel[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
             (choice ? 0u : static_cast<Uint32>(SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)),
         IDOK, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
    };
    // Asked with Escape, answered Yes with a second Escape; Return, a fire
    // key, keeps the game going.
    const SDL_MessageBoxButtonData yesNo[2] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDNO, "No"},
    };
    SDL_MessageBoxData box;
    SDL_zero(box);
    box.flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    if (asked.sign != EBoxSign::None)
        box.flags |= SDL_MESSAGEBOX_INFORMATION;
    // A window manager keeps the box over the game window it belongs to.
    // Without one (no frame around the window, or full screen) SDL would
    // place a box with a parent away from it, and centred on the display it
    // stands over the game, which starts there.
    int top = 0;
    const bool framed =
        SDL_GetWindowBordersSize(m_pWindow, &top, nullptr, nullptr, nullptr) == 0 && top > 0;
    box.window = framed ? m_pWindow : nullptr;
    box.title = asked.caption;
    box.message = asked.text;
    box.numbuttons = choice || question ? 2 : 1;
    box.buttons = question ? yesNo : okCancel;
    int hit = -1;
    if (SDL_ShowMessageBox(&box, &hit) != 0) {
        // No box can be shown: say it where it can still be read.
        std::fprintf(stderr, "%s: %s\n", asked.caption, asked.text);
        return IDOK;
    }
    if (hit != IDOK && hit != IDCANCEL && hit != IDYES && hit != IDNO) // closed without a button
        return PlatBoxDismissed(asked.buttons);
    return hit;
}

} // namespace

CBackend* SdlMakeBackend(const PlatConfig& config) {
    return PlatStartDevice<CSdlBackend>(config);
}
