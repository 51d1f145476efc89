#include "platform/headless/HeadlessBackend.h"
#include "platform/PlatformInternal.h"
#include "platform/WindowSystem.h"
#include <algorithm>

namespace {
// A long scripted run would otherwise grow the record without end.
const size_t kMaxLogLines = 1000000;
} // namespace

CHeadlessBackend::CHeadlessBackend() {
    Reset(HeadlessDisplay());
}

bool CHeadlessBackend::Reset(const HeadlessDisplay& display) {
    bool ok = m_framebuffer.Configure(display.width, display.height, display.bitsPerPixel,
                                      display.format, display.xPitch, display.yPitch);
    m_display = display;
    if (!ok) {
        m_display = HeadlessDisplay();
        m_framebuffer.Configure(m_display.width, m_display.height, m_display.bitsPerPixel,
                                m_display.format, m_display.xPitch, m_display.yPitch);
    }
    m_dwClock = 0;
    m_dwStep = 16;
    m_script.clear();
    m_answers.clear();
    m_log.clear();
    m_boxes.clear();
    m_nLastWave = 0;
    return ok;
}

void CHeadlessBackend::Configure(const PlatConfig& config) {
    m_dwStep = config.dtMs;
    PlatSetFrameLimit(config.frames);
    // Collected, then sorted once: a long script must not cost a search and
    // an insertion for every key. Equal frames keep the script's order.
    m_script.clear();
    for (const PlatScriptedKey& key : config.keys)
        m_script.push_back({key.frame, key.message, key.vk, key.lParam});
    std::stable_sort(m_script.begin(), m_script.end(),
                     [](const ScriptedKey& a, const ScriptedKey& b) { return a.frame < b.frame; });
    m_answers.assign(config.answers.begin(), config.answers.end());
}

void CHeadlessBackend::AddKey(int frame, uint32_t message, uint32_t vk, int32_t lParam) {
    auto at = std::upper_bound(m_script.begin(), m_script.end(), frame,
                               [](int f, const ScriptedKey& k) { return f < k.frame; });
    m_script.insert(at, {frame, message, vk, lParam});
}

void CHeadlessBackend::Record(const std::string& line) {
    if (m_log.size() < kMaxLogLines)
        m_log.push_back(line);
}

PlatRect CHeadlessBackend::FrameClient() const {
    const PlatPoint o = m_display.clientOrigin;
    return {o.x, o.y, o.x + m_display.clientWidth, o.y + m_display.clientHeight};
}

bool CHeadlessBackend::QueueThrough(int frame) {
    bool any = false;
    while (!m_script.empty() && m_script.front().frame <= frame) {
        const ScriptedKey key = m_script.front();
        m_script.pop_front();
        PlatPostInput(key.message, key.vk, key.lParam);
        any = true;
    }
    return any;
}

void CHeadlessBackend::WaitEvents() {
    // Only the script can send anything here. Waiting lets the passes up to
    // its next frame go by; with nothing scripted (or only beyond the frame
    // limit) the wait would never end, so the run ends instead.
    if (!m_script.empty()) {
        const int frame = m_script.front().frame;
        if (PlatFrameLimit() == 0 || frame <= PlatFrameLimit()) {
            if (frame - 1 > PlatPasses()) {
                m_dwClock += static_cast<uint32_t>(frame - 1 - PlatPasses()) * m_dwStep;
                PlatSkipPasses(frame - 1);
            }
            QueueThrough(frame);
            return;
        }
    }
    PlatPostQuitMessage(0);
}

int32_t CHeadlessBackend::MessageBox(const PlatBox& box) {
    int32_t answer = IDOK;
    if (box.buttons != EBoxButtons::Ok) {
        // Out of answers, a box is left the way that changes nothing.
        answer = PlatBoxDismissed(box.buttons);
        if (!m_answers.empty()) {
            // The list speaks of going on or not, whatever the buttons say.
            const int32_t goOn = m_answers.front();
            m_answers.pop_front();
            answer = PlatBoxAnswer(box.buttons, goOn == IDOK || goOn == IDYES);
        }
    }
    m_boxes.push_back({box.text, box.caption, PlatBoxType(box), answer});
    return answer;
}

void CHeadlessBackend::PlayWave(int id, const unsigned char* /*data*/, size_t /*size*/) {
    m_nLastWave = id;
}
