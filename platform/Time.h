// Time: a 32-bit millisecond tick count that wraps, and sleeping.
#pragma once
#include <cstdint>

uint32_t PlatGetTickCount();
void PlatSleep(uint32_t ms);
