#include "platform/Sound.h"
#include "platform/Backend.h"
#include "platform/PlatformInternal.h"
#include "platform/Resources.h"
#include "platform/Wave.h"
#include <map>
#include <utility>
#include <vector>

namespace {
bool g_bMuted = false;
int g_nVolume = kMaxVolume;
// The waves scaled to each volume they were played at, by id and volume.
// A wave that cannot be read is kept as is, and plays (silently) as it did.
std::map<std::pair<int, int>, std::vector<uint8_t>> g_scaled;
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
    if (data != nullptr && g_nVolume != kMaxVolume) {
        auto scaled = g_scaled.find({id, g_nVolume});
        if (scaled == g_scaled.end()) {
            std::vector<uint8_t> copy;
            if (!PlatScaleWave(data, size, g_nVolume, &copy))
                copy.assign(data, data + size);
            scaled = g_scaled.emplace(std::make_pair(id, g_nVolume), std::move(copy)).first;
        }
        data = scaled->second.data();
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

void PlatSetVolume(int volume) {
    g_nVolume = volume < 0 ? 0 : volume > kMaxVolume ? kMaxVolume : volume;
}

int PlatGetVolume() {
    return g_nVolume;
}
