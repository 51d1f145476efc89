#include "platform/Time.h"
#include "platform/Backend.h"
#include "platform/PlatformInternal.h"

uint32_t PlatGetTickCount() {
    return PlatBackend()->TickCount();
}

void PlatSleep(uint32_t ms) {
    PlatTrace("Sleep %u", ms);
    PlatBackend()->Sleep(ms);
}
