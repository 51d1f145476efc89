// The browser backend. The game's loop blocks, as on the desktop; with
// Asyncify every wait (a frame slot, an empty queue, a sleep, the box) hands
// the browser its thread back, and the page's events come in then.
#include "platform/Backend.h"
#include "platform/InputMap.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/Time.h"
#include "platform/Wave.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"
#include "platform/headless/Headless.h"
#include "platform/web/Web.h"
#include "platform/web/WebKeys.h"
#include <cstdio>
#include <cstring>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <map>
#include <vector>

// ---- The JavaScript half lives in web/page.js as window.Quibbo ----
// clang-format off

EM_JS(int, js_has_page, (), { return typeof window == "object" && !!window.Quibbo; });
EM_JS(void, js_present, (const uint8_t* rgba, int width, int height),
      { Quibbo.present(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height); });
EM_JS(int, js_has_focus, (), { return Quibbo.hasFocus() ? 1 : 0; });
EM_JS(void, js_play_wave, (const uint8_t* samples, int bytes, int rate, int channels, int bits),
      { Quibbo.playWave(HEAPU8.subarray(samples, samples + bytes), rate, channels, bits); });
EM_JS(void, js_toggle_fullscreen, (), { Quibbo.toggleFullscreen(); });
EM_JS(void, js_muted, (int muted), { Quibbo.muted(!!muted); });
EM_JS(void, js_download, (const char* path), { Quibbo.download(UTF8ToString(path)); });
EM_JS(void, js_set_busy, (int on), { Quibbo.setBusy(!!on); });
EM_JS(void, js_game_started, (), { Quibbo.gameStarted(); });
EM_JS(void, js_publish, (int passes, int shows, int focus), {
    Quibbo.state.passes = passes;
    Quibbo.state.shows = shows;
    Quibbo.state.focus = !!focus;
});
// buttons: 0 for OK alone, 1 for OK and Cancel, 2 for Yes and No. Resolves
// to 1 for the first button, 2 for the second.
EM_ASYNC_JS(int, js_ask, (const char* text, const char* caption, int buttons),
            { return await Quibbo.ask(UTF8ToString(text), UTF8ToString(caption), buttons); });
// Resolves when the player starts a new game; the level folder it chose is
// then read with js_levels_dir.
EM_ASYNC_JS(void, js_game_ended, (int status), { await Quibbo.ended(status); });
EM_JS(void, js_levels_dir, (char* buffer, int size),
      { stringToUTF8(String(Quibbo.levelsDir), buffer, size); });
EM_JS(int, js_start_level, (), { return Quibbo.startLevel | 0; });
EM_JS(void, js_replay_path, (char* buffer, int size),
      { stringToUTF8(String(Quibbo.replayPath || ""), buffer, size); });
EM_JS(int, js_in_window, (), { return typeof window == "object" ? 1 : 0; });
// clang-format on

namespace {

// How long an empty queue sleeps before it looks again: short enough that a
// key is never late by a frame.
const int kIdleMs = 8;
// A browser paints once its code returns, so a frame that comes sooner than
// this after the last one is folded into the next.
const uint64_t kRefreshUs = 1000000 / 60;

// The page asked for a new game (levels were dropped) while one was running.
bool g_bRestart = false;

// The frame as the canvas wants it: bytes R, G, B, A.
void ToRgba(const CFramebuffer& framebuffer, std::vector<uint32_t>* rgba) {
    const GXDisplayProperties& props = framebuffer.Properties();
    rgba->resize(static_cast<size_t>(props.cxWidth) * props.cyHeight);
    uint32_t* out = rgba->data();
    if (props.cBPP != 16) {
        for (int32_t y = 0; y < props.cyHeight; ++y)
            for (int32_t x = 0; x < props.cxWidth; ++x)
                *out++ = framebuffer.Colour(x, y) | 0xFF000000u;
        return;
    }
    const EPixelFormat format = PixelFormatOf(props.ffFormat, props.cBPP);
    const uint8_t* row = framebuffer.Origin();
    for (int32_t y = 0; y < props.cyHeight; ++y, row += props.cbyPitch) {
        const uint8_t* p = row;
        for (int32_t x = 0; x < props.cxWidth; ++x, p += props.cbxPitch) {
            uint16_t word;
            std::memcpy(&word, p, 2);
            *out++ = PixelToColour(format, word) | 0xFF000000u;
        }
    }
}

void Present(const CFramebuffer& framebuffer) {
    static std::vector<uint32_t> rgba;
    ToRgba(framebuffer, &rgba);
    const GXDisplayProperties& props = framebuffer.Properties();
    js_present(reinterpret_cast<const uint8_t*>(rgba.data()), props.cxWidth, props.cyHeight);
}

// What the page shows of the run, read by its tests.
void Publish(int shows) {
    js_publish(PlatPasses(), shows, PlatAppHasFocus());
}

// Written in the page's own files, then handed to the browser to download.
void SaveScreenshot() {
    std::string path;
    PlatTakeScreenshot("/tmp/", &path);
    if (!path.empty())
        js_download(path.c_str());
}

class CWebBackend : public CBackend {
public:
    ~CWebBackend() override;
    void Start(const PlatConfig& config);

    void Release() override { delete this; }
    uint64_t Microseconds() override {
        return static_cast<uint64_t>((emscripten_get_now() - m_dStart) * 1000);
    }
    // Every wait hands the browser its thread: the page is painted and its
    // events come in then.
    void Sleep(uint32_t ms) override {
        Publish(PlatPresenter().Shows());
        emscripten_sleep(ms);
    }
    CFramebuffer& Framebuffer() override { return m_framebuffer; }
    void PutPicture() override { Present(m_framebuffer); }
    void PumpEvents() override;
    void WaitEvents() override;
    int32_t MessageBox(const PlatBox& box) override;
    void PlayWave(int id, const unsigned char* data, size_t size) override;
    // The page cuts off the wave that sounds and shows the switch.
    void MuteChanged(bool muted) override { js_muted(muted); }
    void SetWaitCursor(bool on) override { js_set_busy(on); }

    // The page's own events, called back while the game waits.
    void Key(const EmscriptenKeyboardEvent& event, bool down);
    void Touch(int button, bool down) { m_input.Key(WebTouchKey(button), 0, down, false); }
    // The window lost the keyboard (`lost`), or its focus or visibility
    // changed otherwise: the game pauses as it does on the desktop.
    void FocusChanged(bool lost) {
        PlatSetAppFocus(!lost && js_has_focus() != 0);
        PlatFocusChanged();
    }
    bool Asking() const { return m_bAsking; }

private:
    void PollPads();
    void Perform();

    CFramebuffer m_framebuffer;
    CInputMap m_input;
    bool m_bAsking = false;
    bool m_bClosing = false; // this game was asked to end for new levels
    double m_dStart = 0;
    std::map<int, std::vector<bool>> m_padButtons; // by pad index, as last seen
    std::map<int, std::vector<int>> m_padAxes;
};

CWebBackend* g_pWeb = nullptr; // the running one, for the page's callbacks

EM_BOOL OnKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (!g_pWeb || g_pWeb->Asking())
        return EM_FALSE;
    // Alt with an arrow is the browser's Back and Forward: the page's
    // sidestep keys are Q, E, comma and full stop.
    if (event->altKey && (WebKeyCode(event->key, event->code) == DK_LEFT ||
                          WebKeyCode(event->key, event->code) == DK_RIGHT))
        return EM_FALSE;
    g_pWeb->Key(*event, true);
    // The page must not scroll on the arrows or Space, nor open its own
    // tools on F12; shortcuts with Ctrl or Alt and a letter stay the browser's.
    const int32_t key = WebKeyCode(event->key, event->code);
    return key != 0 &&
           !((event->ctrlKey || event->altKey || event->metaKey) && key < 128 && key > ' ');
}

EM_BOOL OnKeyUp(int, const EmscriptenKeyboardEvent* event, void*) {
    if (g_pWeb)
        g_pWeb->Key(*event, false);
    return EM_FALSE;
}

EM_BOOL OnFocus(int type, const EmscriptenFocusEvent*, void*) {
    if (g_pWeb)
        g_pWeb->FocusChanged(type == EMSCRIPTEN_EVENT_BLUR);
    return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent*, void*) {
    if (g_pWeb)
        g_pWeb->FocusChanged(false);
    return EM_FALSE;
}

void ListenToPage(bool on) {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, on ? OnKeyDown : nullptr);
    emscripten_set_keyup_callback(window, nullptr, EM_TRUE, on ? OnKeyUp : nullptr);
    // Not captured: the page's own buttons taking the focus from one another
    // is no focus change of the game's.
    emscripten_set_focus_callback(window, nullptr, EM_FALSE, on ? OnFocus : nullptr);
    emscripten_set_blur_callback(window, nullptr, EM_FALSE, on ? OnFocus : nullptr);
    emscripten_set_visibilitychange_callback(nullptr, EM_TRUE, on ? OnVisibility : nullptr);
}

CWebBackend::~CWebBackend() {
    ListenToPage(false);
    if (g_pWeb == this)
        g_pWeb = nullptr;
}

void CWebBackend::Start(const PlatConfig& config) {
    m_framebuffer.ConfigureScreen();
    m_dStart = emscripten_get_now();
    PlatSetAppFocus(js_has_focus() != 0);
    g_pWeb = this;
    ListenToPage(true);
    js_game_started();
    // The same fixed schedule as the desktop's; the browser gets its thread
    // back every pass all the same, in the presenter's wait.
    PlatPresenter().Start(this, kRefreshUs, config.fps);
    m_framebuffer.MarkShown();
    PlatPresenter().Show();
}

void CWebBackend::PumpEvents() {
    PollPads();
    // The device's own clock: the game's is the run's, recorded and replayed.
    m_input.Tick(static_cast<uint32_t>(Microseconds() / 1000));
    Perform();
    // New levels came: the game ends as its close button would end it, once
    // it has a window to close (a close sent while it starts would be lost
    // with the old game's messages, and the game would play on).
    const CWinApp* app = PlatGetApp();
    if (g_bRestart && !m_bClosing && app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd) {
        m_bClosing = true;
        PlatRequestClose();
    }
}

void CWebBackend::WaitEvents() {
    Sleep(kIdleMs);
    PumpEvents();
}

void CWebBackend::Key(const EmscriptenKeyboardEvent& event, bool down) {
    const int32_t key = WebKeyCode(event.key, event.code);
    if (key == 0)
        return;
    uint16_t mod = 0;
    if (event.shiftKey)
        mod |= DKMOD_SHIFT;
    if (event.ctrlKey)
        mod |= DKMOD_CTRL;
    if (event.altKey)
        mod |= DKMOD_ALT;
    m_input.Key(key, mod, down, event.repeat != 0);
}

void CWebBackend::PollPads() {
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
        return;
    const uint32_t now = static_cast<uint32_t>(Microseconds() / 1000);
    const int count = emscripten_get_num_gamepads();
    for (int pad = 0; pad < count; ++pad) {
        EmscriptenGamepadEvent state;
        const bool connected =
            emscripten_get_gamepad_status(pad, &state) == EMSCRIPTEN_RESULT_SUCCESS &&
            state.connected && std::strcmp(state.mapping, "standard") == 0;
        auto known = m_padButtons.find(pad);
        if (!connected) {
            if (known != m_padButtons.end()) {
                m_input.PadRemoved(pad);
                m_padButtons.erase(known);
                m_padAxes.erase(pad);
            }
            continue;
        }
        std::vector<bool>& buttons = m_padButtons[pad];
        std::vector<int>& axes = m_padAxes[pad];
        buttons.resize(17, false);
        axes.resize(4, 0);
        for (int b = 0; b < state.numButtons && b < 17; ++b) {
            const bool down = state.digitalButton[b] != 0;
            if (down == buttons[b])
                continue;
            buttons[b] = down;
            const int button = WebPadButton(b);
            if (button >= 0)
                m_input.PadButton(pad, button, down, now);
        }
        // The triggers are buttons 6 and 7 here, analogue; the sticks' axes
        // run -1 (left, up) to 1.
        const int values[4] = {
            state.numAxes > 0 ? static_cast<int>(state.axis[0] * 32767) : 0,
            state.numAxes > 1 ? static_cast<int>(state.axis[1] * 32767) : 0,
            state.numButtons > 6 ? static_cast<int>(state.analogButton[6] * 32767) : 0,
            state.numButtons > 7 ? static_cast<int>(state.analogButton[7] * 32767) : 0,
        };
        const int padAxes[4] = {PAD_AXIS_LEFTX, PAD_AXIS_LEFTY, PAD_AXIS_TRIGGERLEFT,
                                PAD_AXIS_TRIGGERRIGHT};
        for (int a = 0; a < 4; ++a) {
            if (values[a] != axes[a]) {
                axes[a] = values[a];
                m_input.PadAxis(pad, padAxes[a], values[a], now);
            }
        }
    }
}

// Carries out what the keys, buttons and pads asked for, in order.
void CWebBackend::Perform() {
    m_input.Perform([] { js_toggle_fullscreen(); }, [] { SaveScreenshot(); });
}

int32_t CWebBackend::MessageBox(const PlatBox& box) {
    // The page numbers the buttons as EBoxButtons does.
    m_bAsking = true;
    const bool first = js_ask(box.text, box.caption, static_cast<int>(box.buttons)) == 1;
    m_bAsking = false;
    return PlatBoxAnswer(box.buttons, first);
}

void CWebBackend::PlayWave(int /*id*/, const unsigned char* data, size_t size) {
    PlatWave wave;
    if (PlatReadWave(data, size, &wave))
        js_play_wave(wave.samples, static_cast<int>(wave.bytes), wave.rate, wave.channels,
                     wave.bits);
}

// A scripted run: the headless backend's exact game, shown on the canvas.
// The page paints only when the run yields, so a picture goes up then (and
// at the end), not at every bracket; the virtual clock does not see it.
class CWebScriptedBackend : public CBackend {
public:
    explicit CWebScriptedBackend(CBackend* headless) : m_headless(*headless) {}

    void Release() override {
        Paint();
        m_headless.Release();
        delete this;
    }
    uint64_t Microseconds() override { return m_headless.Microseconds(); }
    // The presenter waits once a pass: now and then the run yields there,
    // so that it can be watched.
    void Sleep(uint32_t ms) override {
        m_headless.Sleep(ms);
        if (emscripten_get_now() >= m_dNextYield) {
            Paint();
            Publish(m_nShows);
            emscripten_sleep(0);
            m_dNextYield = emscripten_get_now() + kRefreshUs / 1000.0;
        }
    }
    CFramebuffer& Framebuffer() override { return m_headless.Framebuffer(); }
    void PutPicture() override { m_bPending = true; }
    void PumpEvents() override { m_headless.PumpEvents(); }
    void WaitEvents() override { m_headless.WaitEvents(); }
    int32_t MessageBox(const PlatBox& box) override { return m_headless.MessageBox(box); }
    void PlayWave(int id, const unsigned char* data, size_t size) override {
        m_headless.PlayWave(id, data, size);
    }
    void MuteChanged(bool muted) override { m_headless.MuteChanged(muted); }
    void SetWaitCursor(bool on) override { m_headless.SetWaitCursor(on); }

private:
    void Paint() {
        if (!m_bPending)
            return;
        m_bPending = false;
        Present(Framebuffer());
        ++m_nShows;
    }

    CBackend& m_headless;
    bool m_bPending = false;
    int m_nShows = 0;
    double m_dNextYield = 0;
};

} // namespace

CBackend* WebMakeBackend(const PlatConfig& config) {
    if (!js_has_page())
        return nullptr;
    if (config.headless) {
        CWebScriptedBackend* scripted = new CWebScriptedBackend(HeadlessMakeBackend(config));
        // Pictures go to the canvas through it; the headless pace stands.
        PlatPresenter().Start(scripted, 0, 0);
        js_game_started();
        return scripted;
    }
    CWebBackend* backend = new CWebBackend;
    backend->Start(config);
    return backend;
}

bool WebNextGame(int status, std::string* levelsDir, int* startLevel) {
    if (!js_has_page())
        return false;
    if (!g_bRestart)
        js_game_ended(status);
    g_bRestart = false;
    char dir[512];
    js_levels_dir(dir, sizeof dir);
    *levelsDir = dir;
    *startLevel = js_start_level();
    return true;
}

std::string WebNextReplay() {
    char path[512];
    js_replay_path(path, sizeof path);
    return path;
}

std::string WebKeyScriptFolder() {
    // Where the page writes the files it is given (web/page.js).
    return js_in_window() ? "/levels/" : "";
}

// ---- Called by the page ----

extern "C" {

EMSCRIPTEN_KEEPALIVE void WebTouch(int button, int down) {
    // While the box asks, a press is the box's; a finger lifted then still
    // lets go of what it held, as a key let go does.
    if (g_pWeb && (!down || !g_pWeb->Asking()))
        g_pWeb->Touch(button, down != 0);
}

EMSCRIPTEN_KEEPALIVE void WebScreenshot() {
    SaveScreenshot();
}

// New levels are in the folder the page set: the running game ends (as its
// close button would end it) and the next one starts on them. Picks that
// come faster than games start are one restart, on the last folder.
EMSCRIPTEN_KEEPALIVE void WebRestart() {
    g_bRestart = true;
    if (!g_pWeb) // a scripted run: it has no events of its own to wait for
        PlatRequestClose();
}

} // extern "C"
