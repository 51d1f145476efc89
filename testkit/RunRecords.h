// Recorded runs for the tests of run bodies, files and links and for the
// run fuzzer's seeds: a small one with an input of every kind, and the
// largest a 20-minute game makes.
#pragma once
#include "app/RunFile.h"
#include <cstdint>

namespace runtest {

// One input of the tape: a key message (with its lParam), or one of the
// other kinds (`RunInput::kFocus`, `kAnswer`, `kClose`) with its value.
RunInput Key(uint32_t pass, uint32_t taken, uint32_t message, uint32_t key, int32_t lParam = 0);
RunInput Other(uint32_t pass, uint32_t taken, uint8_t kind, uint32_t message);

// A few seconds on a folder of three levels, one input of every kind.
RunRecord SmallRun();

// 20 minutes at 60 frames a second: 72,000 clock looks of 16, 17 or 18 ms
// as a busy machine gives them, and 5,000 inputs, the keys held and let go,
// repeated and typed, some focus changes and a box answered, the campaign's
// 16 levels after the built-in one.
RunRecord LongRun();

} // namespace runtest
