// A device for the core's shared services to work on without one: its clock
// moves only when it sleeps or a test moves it, and it keeps what it was
// asked to show and play (the times pictures went up, the boxes, the waves).
#pragma once
#include "platform/Backend.h"
#include <string>
#include <vector>

namespace plattest {

struct SeenBox {
    std::string text, caption;
    EBoxButtons buttons;
    EBoxSign sign;
};

class CFakeDevice : public CBackend {
public:
    void Release() override {}
    uint64_t Microseconds() override { return now; }
    void Sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms * 1000ull;
    }
    CFramebuffer& Framebuffer() override { return framebuffer; }
    void PutPicture() override { shownAt.push_back(now); }
    void PumpEvents() override {}
    void WaitEvents() override {}
    int32_t MessageBox(const PlatBox& box) override {
        boxes.push_back({box.text, box.caption, box.buttons, box.sign});
        return answer;
    }
    void PlayWave(int, const unsigned char* data, size_t size) override {
        waves.push_back({data, size});
    }
    void MuteChanged(bool) override {}
    void SetWaitCursor(bool) override {}

    uint64_t now = 1000000;
    std::vector<uint64_t> shownAt;
    std::vector<uint32_t> sleeps;
    CFramebuffer framebuffer;
    std::vector<SeenBox> boxes;
    int32_t answer = IDOK;
    struct Wave {
        const unsigned char* data;
        size_t size;
    };
    std::vector<Wave> waves; // as the device was handed them
};

} // namespace plattest
