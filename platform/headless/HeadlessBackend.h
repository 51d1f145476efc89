// The headless backend: an in-memory screen, a virtual clock, scripted keys
// and scripted message-box answers, and a record of the platform calls.
#pragma once
#include "platform/Backend.h"
#include "platform/headless/Headless.h"
#include <deque>
#include <string>
#include <vector>

class CHeadlessBackend : public CBackend {
public:
    CHeadlessBackend();

    // See HeadlessReset.
    bool Reset(const HeadlessDisplay& display);
    void AddKey(int frame, uint32_t message, uint32_t vk, int32_t lParam);

    // Step, script and answers of a run (see HeadlessMakeBackend).
    void Configure(const PlatConfig& config);

    void Release() override {}
    uint64_t Microseconds() override { return static_cast<uint64_t>(m_dwClock) * 1000; }
    void Sleep(uint32_t ms) override { m_dwClock += ms; }
    CFramebuffer& Framebuffer() override { return m_framebuffer; }
    void PutPicture() override {} // every picture stays in the framebuffer
    void PumpEvents() override {} // input comes before passes (QueueBeforePass)
    void WaitEvents() override;
    int32_t MessageBox(const PlatBox& box) override;
    void PlayWave(int id, const unsigned char* data, size_t size) override;
    void MuteChanged(bool /*muted*/) override {}
    void SetWaitCursor(bool /*on*/) override {}

    // ---- The run loop's script hooks (PlatScriptHooks) ----
    // Queues the scripted input of pass `pass`; true when any was queued.
    bool QueueBeforePass(int pass) { return QueueThrough(pass); }
    void PassStarted() { m_dwClock += m_dwStep; }
    void Record(const std::string& line);
    // The frame windows' client area, as the display lays it out.
    PlatRect FrameClient() const;

    struct ScriptedKey {
        int frame;
        uint32_t message;
        uint32_t vk;
        int32_t lParam;
    };

    CFramebuffer m_framebuffer;
    HeadlessDisplay m_display;
    uint32_t m_dwClock = 0;
    uint32_t m_dwStep = 16;
    std::deque<ScriptedKey> m_script; // by frame; in the order added within a frame
    std::deque<int32_t> m_answers;
    std::vector<std::string> m_log;
    std::vector<HeadlessBox> m_boxes;
    int m_nLastWave = 0;

private:
    // Queues the scripted keys of every frame up to `frame`; true when any
    // were taken from the script.
    bool QueueThrough(int frame);
};
