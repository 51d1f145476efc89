// The Win32 device itself: Windows builds only, run under Wine by
// tests/win/run.sh.
#include "platform/win32/Win32Device.h"
#include <gtest/gtest.h>

namespace {

// The clock is the performance counter, in microseconds from the start.
TEST(Win32Device, ClockRunsWithSleep) {
    CWin32Device device;
    const uint64_t before = device.Microseconds();
    device.Sleep(30);
    const uint64_t slept = device.Microseconds() - before;
    EXPECT_GE(slept, 25000u);
    EXPECT_LT(slept, 2000000u);
}

} // namespace
