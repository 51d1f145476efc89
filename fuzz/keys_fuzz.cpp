// A key script of any size, the whole way a run takes it: read as the
// command line reads --keys, then handed to the headless platform with its
// configuration, where the keys are collected and put in frame order once.
// What this target is for is cost: a script of megabytes must take time in
// proportion to its length. It runs with a large -max_len and a short
// -timeout, so a search and an insertion for every key (once 39 s for 3 MB)
// shows as a timeout.
//
// Input: the script's text.
#include "FuzzSupport.h"
#include "app/Options.h"
#include "platform/PlatformTypes.h"
#include "platform/headless/Headless.h"
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    std::vector<KeyScriptEvent> events;
    std::string error;
    if (!ParseKeyScript(script, &events, &error)) {
        FUZZ_CHECK(!error.empty() && events.empty(), "a refused script says why and adds nothing");
        return 0;
    }
    // Each item gives one event or two (down, then up) of one frame.
    size_t downs = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        const KeyScriptEvent& e = events[i];
        FUZZ_CHECK(e.frame >= 1 && e.vk >= 1 && e.vk <= 255 &&
                       (e.message == WM_KEYDOWN || e.message == WM_KEYUP),
                   "a script's events have a frame, a key message and a key code");
        downs += e.message == WM_KEYDOWN;
    }
    FUZZ_CHECK(downs <= events.size(), "events are counted once");

    PlatConfig config;
    config.headless = true;
    config.frames = 1;
    for (const KeyScriptEvent& e : events)
        config.keys.push_back({e.frame, e.message, e.vk, 0});
    FUZZ_CHECK(PlatStartup(config, HeadlessMakeBackend), "the headless platform starts");
    PlatShutdown();
    return 0;
}
