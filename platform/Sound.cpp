#include "platform/Sound.h"
#include "platform/Backend.h"
#include "platform/PlatformInternal.h"
#include "platform/Resources.h"

namespace {
bool g_bMuted = false;
} // namespace

void PlatPlayWave(int id) {
    if (g_bMuted) {
        PlatTrace("PlayWave %d muted", id);
        return;
    }
    PlatTrace("PlayWave %d", id);
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PlatFindResource(id, PLAT_RT_WAVE, &data, &size)) {
        data = nullptr;
        size = 0;
    }
    PlatBackend()->PlayWave(id, data, size);
}

void PlatSetMuted(bool muted) {
    g_bMuted = muted;
    PlatBackend()->MuteChanged(muted);
}

bool PlatIsMuted() {
    return g_bMuted;
}
