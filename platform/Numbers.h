// Whole numbers read from text: the command line, key scripts, text maps and
// the tools all read them here, so "+3", " 3" or "3x" mean the same
// everywhere (nothing: they are refused).
#pragma once
#include <cstdint>
#include <string_view>

// True with *value when `text` is a decimal number from min to max: decimal
// digits with an optional leading '-', nothing else (no '+', no blanks, no
// suffix). Numbers too large for 64 bits are refused, not wrapped. On false
// *value is left as it was.
bool ParseInteger(std::string_view text, int64_t min, int64_t max, int64_t* value);
