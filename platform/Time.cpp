#include "platform/Time.h"
#include "platform/Backend.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"

uint32_t PlatGetTickCount() {
    const uint64_t now = PlatPresenter().FrameTime(PlatBackend()->Microseconds());
    return PlatTapeClock(static_cast<uint32_t>(now / 1000));
}

void PlatSleep(uint32_t ms) {
    PlatTrace("Sleep %u", ms);
    PlatPresenter().ShowPending();
    PlatBackend()->Sleep(ms);
}
