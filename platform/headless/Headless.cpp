// The controls of Headless.h, on the one headless backend.
#include "platform/headless/Headless.h"
#include "platform/PlatformInternal.h"
#include "platform/Presenter.h"
#include "platform/Sound.h"
#include "platform/headless/HeadlessBackend.h"

namespace {
// Built on first use, so that nothing depends on the order of static
// construction across files.
CHeadlessBackend& Headless() {
    static CHeadlessBackend backend;
    return backend;
}

// The run loop reaches the script and the record through these.
bool QueueBeforePass(int pass) {
    return Headless().QueueBeforePass(pass);
}
void PassStarted() {
    Headless().PassStarted();
}
void Record(const char* line) {
    Headless().Record(line);
}
} // namespace

CBackend* HeadlessMakeBackend(const PlatConfig& config) {
    HeadlessReset();
    Headless().Configure(config);
    return &Headless();
}

bool HeadlessReset(const HeadlessDisplay& display) {
    PlatSetBackend(&Headless());
    PlatResetWindowSystem();
    PlatResetDisplayState();
    PlatSetMuted(false);
    PlatResetRun();
    const bool ok = Headless().Reset(display);
    PlatScriptHooks hooks;
    hooks.queueBeforePass = QueueBeforePass;
    hooks.passStarted = PassStarted;
    hooks.record = Record;
    hooks.fixedFrameClient = true;
    hooks.frameClient = Headless().FrameClient();
    PlatSetScriptHooks(hooks);
    // Every picture is kept and nothing is paced: the clock is the script's.
    PlatPresenter().Start(&Headless(), 0, 0);
    return ok;
}

void HeadlessAddKey(int frame, uint32_t message, uint32_t vk, int32_t lParam) {
    Headless().AddKey(frame, message, vk, lParam);
}

void HeadlessAddAnswer(int32_t answer) {
    Headless().m_answers.push_back(answer);
}

void HeadlessSetStep(uint32_t ms) {
    Headless().m_dwStep = ms;
}

void HeadlessSetFrameLimit(int frames) {
    PlatSetFrameLimit(frames);
}

void HeadlessSetClock(uint32_t ms) {
    Headless().m_dwClock = ms;
}

int HeadlessIdlePasses() {
    return PlatPasses();
}

void HeadlessSetFocus(HWND hwnd) {
    PlatSetAppFocus(hwnd != nullptr);
    if (hwnd)
        PlatSetActiveWindow(hwnd);
    PlatFocusChanged();
}

const std::vector<HeadlessBox>& HeadlessMessageBoxes() {
    return Headless().m_boxes;
}

const std::vector<std::string>& HeadlessCallLog() {
    return Headless().m_log;
}

void HeadlessClearMessageBoxes() {
    std::vector<HeadlessBox>().swap(Headless().m_boxes);
}

void HeadlessClearLog() {
    Headless().m_log.clear();
}

const std::vector<uint8_t>& HeadlessFramebufferMemory() {
    return Headless().m_framebuffer.Memory();
}

const uint8_t* HeadlessFramebufferOrigin() {
    return Headless().m_framebuffer.Origin();
}

int HeadlessPresentCount() {
    return PlatPresentCount();
}

int HeadlessFrameWaits() {
    return PlatPresenter().FrameWaits();
}

int HeadlessLastWave() {
    return Headless().m_nLastWave;
}
