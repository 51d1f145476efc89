#include "platform/web/WebWave.h"
#include <cstring>

namespace {
uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
} // namespace

bool WebReadWave(const unsigned char* data, size_t size, WebWave* wave) {
    if (!data || size < 12 || std::memcmp(data, "RIFF", 4) != 0 ||
        std::memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    size_t at = 12;
    while (size - at >= 8) {
        const unsigned char* chunk = data + at;
        const size_t length = Le32(chunk + 4);
        if (length > size - at - 8)
            return false;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && length >= 16) {
            if (Le16(chunk + 8) != 1) // PCM only
                return false;
            wave->channels = Le16(chunk + 10);
            wave->rate = static_cast<int>(Le32(chunk + 12));
            wave->bits = Le16(chunk + 22);
            haveFormat = (wave->channels == 1 || wave->channels == 2) &&
                         (wave->bits == 8 || wave->bits == 16) && wave->rate >= 3000 &&
                         wave->rate <= 192000;
            if (!haveFormat)
                return false;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat || length == 0)
                return false;
            wave->samples = chunk + 8;
            wave->bytes = length;
            return true;
        }
        // Chunks are padded to an even length.
        at += 8 + length + (length & 1);
    }
    return false;
}
