#include "platform/Sound.h"
#include "platform/Backend.h"
#include "platform/PlatformInternal.h"
#include "platform/Resources.h"

void PlatPlayWave(int id) {
    PlatTrace("PlayWave %d", id);
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PlatFindResource(id, PLAT_RT_WAVE, &data, &size)) {
        data = nullptr;
        size = 0;
    }
    PlatBackend()->PlayWave(id, data, size);
}
