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
    bool IsHeadless() const override { return true; }
    bool Records() const override { return true; }
    void Record(const std::string& line) override;
    uint32_t TickCount() override { return m_dwClock; }
    void Sleep(uint32_t ms) override { m_dwClock += ms; }
    CFramebuffer& Framebuffer() override { return m_framebuffer; }
    PlatRect ClientArea(const PlatRect& rect, bool frame) override;
    void WaitEvents() override;
    bool AppHasFocus() override { return m_bAppFocus; }
    int32_t MessageBox(const char* text, const char* caption, uint32_t type) override;
    void PlayWave(int id, const unsigned char* data, size_t size) override;

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
    bool m_bAppFocus = true;
    std::deque<ScriptedKey> m_script; // by frame; in the order added within a frame
    std::deque<int32_t> m_answers;
    std::vector<std::string> m_log;
    std::vector<HeadlessBox> m_boxes;
    int m_nLastWave = 0;
    int m_nFrameWaits = 0;

protected:
    bool QueueBeforePass(int pass) override;
    void PassStarted() override { m_dwClock += m_dwStep; }
    void WaitForFrameSlot() override { ++m_nFrameWaits; }

private:
    // Queues the scripted keys of every frame up to `frame`; true when any
    // were taken from the script.
    bool QueueThrough(int frame);
};
