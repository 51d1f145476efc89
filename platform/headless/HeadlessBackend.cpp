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

int32_t CHeadlessBackend::MessageBox(const char* text, const char* caption, uint32_t type) {
    int32_t answer = IDOK;
    const uint32_t buttons = type & 0xF;
    if (buttons == MB_OKCANCEL || buttons == MB_YESNO) {
        // Out of answers, a box is left the way that changes nothing.
        answer = buttons == MB_YESNO ? IDNO : IDCANCEL;
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        }
        // The list speaks of going on or not, whatever the buttons say.
        if (buttons == MB_YESNO)
            answer = answer == IDOK || answer == IDYES ? IDYES : IDNO;
        else
            answer = answer == IDOK || answer == IDYES ? IDOK : IDCANCEL;
    }
    m_boxes.push_back({text, caption, type, answer});
    return answer;
}

void CHeadlessBackend::PlayWave(int id, const unsigned char* /*data*/, size_t /*size*/) {
    m_nLastWave = id;
}
