#include "testkit/RunRecords.h"
#include "platform/PlatformTypes.h"
#include <random>

namespace runtest {

RunInput Key(uint32_t pass, uint32_t taken, uint32_t message, uint32_t key, int32_t lParam) {
    RunInput in;
    in.pass = pass;
    in.taken = taken;
    in.kind = RunInput::kKey;
    in.message = message;
    in.wParam = key;
    in.lParam = lParam;
    return in;
}

RunInput Other(uint32_t pass, uint32_t taken, uint8_t kind, uint32_t message) {
    RunInput in;
    in.pass = pass;
    in.taken = taken;
    in.kind = kind;
    in.message = message;
    return in;
}

RunRecord SmallRun() {
    RunRecord run;
    run.seed = 0xDEADBEEF;
    run.startLevel = 2;
    run.noConfirm = true;
    run.words = "some free words";
    run.levels.files = {{0, 5000, 0x12345678}, {1, 70000, 0xFFFFFFFF}, {2, 100, 0}};
    run.tape.clock = {123456789, 16, 17, 17, 16, 17, 17, 0, 0, 250};
    run.tape.passes = 40;
    run.tape.inputs = {Key(3, 1, WM_KEYDOWN, VK_UP, 0),   Key(3, 1, WM_CHAR, 'w', 1),
                       Key(9, 4, WM_KEYUP, VK_UP, -7),    Other(12, 4, RunInput::kFocus, 0),
                       Other(20, 6, RunInput::kFocus, 1), Other(30, 9, RunInput::kAnswer, IDCANCEL),
                       Other(40, 12, RunInput::kClose, 0)};
    return run;
}

RunRecord LongRun() {
    std::mt19937 random(25); // the same numbers on every system
    RunRecord run;
    run.seed = 7;
    run.words = "play on";
    run.levels.builtinFirst = true;
    run.levels.builtinCrc = 0x0BADF00D;
    for (uint8_t n = 1; n <= 16; ++n)
        run.levels.files.push_back({n, uint32_t(4000 + random() % 60000), uint32_t(random())});
    for (int i = 0; i < 72000; ++i) {
        const uint32_t roll = random() % 10;
        run.tape.clock.push_back(roll < 4 ? 16 : roll < 9 ? 17 : 18);
    }
    const uint32_t keys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_APP1};
    uint32_t pass = 0, taken = 0;
    while (run.tape.inputs.size() < 5000) {
        pass += random() % 28;
        taken += 1 + random() % 3;
        const uint32_t roll = random() % 100;
        if (roll < 2) {
            run.tape.inputs.push_back(Other(pass, taken, RunInput::kFocus, roll));
        } else if (roll < 3) {
            run.tape.inputs.push_back(Other(pass, taken, RunInput::kAnswer, IDOK));
        } else {
            const uint32_t key = keys[random() % 5];
            const bool repeat = roll < 20;
            run.tape.inputs.push_back(Key(pass, taken, WM_KEYDOWN, key, repeat ? 1 : 0));
            if (roll < 25)
                run.tape.inputs.push_back(Key(pass, taken, WM_CHAR, 'A' + roll, repeat ? 1 : 0));
            pass += random() % 40;
            taken += 1;
            run.tape.inputs.push_back(Key(pass, taken, WM_KEYUP, key));
        }
    }
    run.tape.inputs.push_back(Other(pass + 5, taken + 1, RunInput::kClose, 0));
    run.tape.passes = pass + 60;
    return run;
}

} // namespace runtest
