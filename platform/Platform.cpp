#include "platform/Platform.h"
#include "platform/Backend.h"
#include "platform/Headless.h"
#include "platform/PlatformInternal.h"
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
CBackend* g_pBackend = nullptr; // null: the headless one
CBackend* g_pOwned = nullptr;   // a backend PlatStartup created and PlatShutdown deletes
} // namespace

CBackend* PlatBackend() {
    return g_pBackend ? g_pBackend : PlatHeadlessBackend();
}

void PlatSetBackend(CBackend* backend) {
    g_pBackend = backend;
}

void PlatTrace(const char* format, ...) {
    CBackend* backend = PlatBackend();
    if (!backend->Records())
        return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    backend->Record(line);
}

bool PlatStartup(const PlatConfig& config) {
    PlatShutdown();
    if (config.headless) {
        HeadlessReset();
        HeadlessSetStep(config.dtMs);
        HeadlessSetFrameLimit(config.frames);
        return true;
    }
#ifdef QUIBBO_HAVE_SDL
    CBackend* backend = PlatCreateSdlBackend(config);
    if (!backend)
        return false;
    PlatResetWindowSystem();
    PlatResetDisplayState();
    backend->m_nFrameLimit = config.frames;
    g_pOwned = backend;
    PlatSetBackend(backend);
    return true;
#else
    std::fprintf(stderr, "quibbo: this build has no window backend; run it with --headless\n");
    return false;
#endif
}

void PlatShutdown() {
    PlatResetWindowSystem();
    PlatResetDisplayState();
    PlatSetBackend(nullptr);
    delete g_pOwned;
    g_pOwned = nullptr;
}

bool PlatIsHeadless() {
    return PlatBackend()->IsHeadless();
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
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
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
