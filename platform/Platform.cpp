#include "platform/Platform.h"
#include "platform/Backend.h"
#include "platform/Files.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/Sound.h"
#include "platform/WindowSystem.h"
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#ifndef O_BINARY
#define O_BINARY 0 // only Windows tells text files from others
#endif

namespace {

// What runs before any backend is started, and after: it shows and hears
// nothing, its clock stands still, and a loop that waits on it ends.
class CQuietBackend : public CBackend {
public:
    CQuietBackend() { m_framebuffer.ConfigureScreen(); }
    void Release() override {}
    uint64_t Microseconds() override { return 0; }
    void Sleep(uint32_t) override {}
    CFramebuffer& Framebuffer() override { return m_framebuffer; }
    void PutPicture() override {}
    void PumpEvents() override {}
    void WaitEvents() override { PlatPostQuitMessage(0); }
    int32_t MessageBox(const PlatBox&) override { return IDCANCEL; }
    void PlayWave(int, const unsigned char*, size_t) override {}
    void MuteChanged(bool) override {}
    void SetWaitCursor(bool) override {}

private:
    CFramebuffer m_framebuffer;
};

CQuietBackend& Quiet() {
    static CQuietBackend backend;
    return backend;
}

CBackend* g_pBackend = nullptr; // null: the quiet one
CBackend* g_pStarted = nullptr; // the one PlatStartup started; PlatShutdown releases it
PlatScriptHooks g_hooks;
int g_nPasses = 0;
int g_nFrameLimit = 0;
bool g_bAppFocus = true;

} // namespace

CBackend* PlatBackend() {
    return g_pBackend ? g_pBackend : &Quiet();
}

void PlatSetBackend(CBackend* backend) {
    g_pBackend = backend;
}

void PlatSetScriptHooks(const PlatScriptHooks& hooks) {
    g_hooks = hooks;
}

PlatRect PlatClientArea(const PlatRect& rect, bool frame) {
    return frame && g_hooks.fixedFrameClient ? g_hooks.frameClient : rect;
}

void PlatSetAppFocus(bool has) {
    if (PlatTapeTakesFocus(has))
        return;
    g_bAppFocus = has;
}

bool PlatAppHasFocus() {
    return g_bAppFocus;
}

bool PlatBeginPass() {
    if (g_nPasses == 0 && PlatTapeFirstPass())
        return true;
    if (g_hooks.queueBeforePass && g_hooks.queueBeforePass(g_nPasses + 1))
        return true;
    ++g_nPasses;
    if (g_hooks.passStarted)
        g_hooks.passStarted();
    return false;
}

void PlatEndPass() {
    PlatPresenter().WaitForFrameSlot();
    if (g_nFrameLimit > 0 && g_nPasses >= g_nFrameLimit)
        PlatPostQuitMessage(0);
}

int PlatPasses() {
    return g_nPasses;
}

void PlatSkipPasses(int passes) {
    if (passes > g_nPasses)
        g_nPasses = passes;
}

void PlatSetFrameLimit(int frames) {
    g_nFrameLimit = frames > 0 ? frames : 0;
}

int PlatFrameLimit() {
    return g_nFrameLimit;
}

void PlatTrace(const char* format, ...) {
    if (!g_hooks.record)
        return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_hooks.record(line);
}

void PlatResetRun() {
    g_hooks = PlatScriptHooks();
    g_nPasses = 0;
    g_nFrameLimit = 0;
    g_bAppFocus = true;
    PlatPresenter().Start(nullptr, 0, 0);
}

bool PlatStartup(const PlatConfig& config, PlatBackendMaker make) {
    PlatShutdown();
    PlatResetRun();
    CBackend* backend = make ? make(config) : nullptr;
    if (!backend)
        return false;
    // The backend's own records start with it; the windows of an earlier run
    // are forgotten after it is made, so a backend that resets them itself
    // finds them in the same state.
    PlatSetBackend(backend);
    PlatResetWindowSystem();
    PlatResetDisplayState();
    PlatSetFrameLimit(config.frames);
    g_pStarted = backend;
    PlatSetMuted(!config.sound);
    PlatSetVolume(config.volume);
    return true;
}

void PlatShutdown() {
    // The display's state (its present count) stays for a headless caller to
    // read; the next start resets it.
    PlatResetWindowSystem();
    PlatSetBackend(nullptr);
    if (g_pStarted) {
        // What the run counted stays to be read, as the headless backend's
        // own records do; nothing goes to the device any more.
        g_hooks = PlatScriptHooks();
        g_bAppFocus = true;
        PlatPresenter().Stop();
        g_pStarted->Release();
    }
    g_pStarted = nullptr;
}

bool PlatIsHeadless() {
    return g_hooks.record || PlatBackend() == &Quiet();
}

bool PlatSaveScreenshot(const char* path) {
    return PlatBackend()->Framebuffer().SaveShown(path);
}

bool PlatSaveNumberedScreenshot(const std::string& folder, std::string* path) {
    CFramebuffer& framebuffer = PlatBackend()->Framebuffer();
    if (!framebuffer.HasShown())
        return false;
    for (int n = 1; n <= 9999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "quibbo-%03d.bmp", n);
        const std::string candidate = folder + name;
        // Claiming the name first means a file that appears between the
        // look and the write is never overwritten.
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        close(fd);
        if (!framebuffer.SaveShown(candidate.c_str())) {
            unlink(candidate.c_str());
            return false;
        }
        if (path)
            *path = candidate;
        return true;
    }
    return false;
}

std::string PlatTakeScreenshot(const std::string& folder, std::string* path) {
    std::string written;
    std::string line;
    if (!folder.empty() && PlatSaveNumberedScreenshot(folder, &written)) {
        // Said in full: the game may have been started from anywhere.
        std::error_code failure;
        const std::filesystem::path full = std::filesystem::absolute(written, failure);
        if (!failure)
            written = full.lexically_normal().string();
        line = "screenshot saved as " + PlatPrintablePath(written);
    } else {
        written.clear();
        line = "cannot write a screenshot in " + (folder.empty()
                                                      ? std::string("the pictures or data folder")
                                                      : PlatPrintablePath(folder));
    }
    std::fprintf(stderr, "quibbo: %s\n", line.c_str());
    if (path)
        *path = written;
    return line;
}
