#include "platform/Platform.h"
#include "platform/Backend.h"
#include "platform/Headless.h"
#include "platform/PlatformInternal.h"
#include <cstdarg>
#include <cstdio>

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
