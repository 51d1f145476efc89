#include "platform/Numbers.h"

bool ParseInteger(std::string_view text, int64_t min, int64_t max, int64_t* value) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return false;
    // The magnitude is gathered unsigned, so INT64_MIN, whose magnitude no
    // int64_t holds, still reads.
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    uint64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        const uint64_t digit = uint64_t(c - '0');
        if (magnitude > (limit - digit) / 10)
            return false;
        magnitude = magnitude * 10 + digit;
    }
    int64_t v;
    if (!negative)
        v = int64_t(magnitude);
    else if (magnitude == uint64_t(INT64_MAX) + 1)
        v = INT64_MIN;
    else
        v = -int64_t(magnitude);
    if (v < min || v > max)
        return false;
    *value = v;
    return true;
}
