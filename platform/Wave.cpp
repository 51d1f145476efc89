#include "platform/Wave.h"
#include <cstring>

namespace {
uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
} // namespace

bool PlatReadWave(const unsigned char* data, size_t size, PlatWave* wave) {
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

bool PlatScaleWave(const unsigned char* data, size_t size, int volume,
                   std::vector<uint8_t>* scaled) {
    PlatWave wave;
    if (!PlatReadWave(data, size, &wave))
        return false;
    scaled->assign(data, data + size);
    uint8_t* at = scaled->data() + (wave.samples - data);
    const uint8_t* const end = at + wave.bytes;
    if (wave.bits == 8) {
        // Unsigned: 128 is the silent middle.
        for (; at < end; ++at)
            *at = static_cast<uint8_t>(128 + (int32_t(*at) - 128) * volume / kMaxVolume);
        return true;
    }
    // A last odd byte is no sample; it stays as it was.
    for (; end - at >= 2; at += 2) {
        const int32_t sample = int16_t(uint16_t(at[0] | at[1] << 8)) * volume / kMaxVolume;
        at[0] = static_cast<uint8_t>(sample & 0xFF);
        at[1] = static_cast<uint8_t>((sample >> 8) & 0xFF);
    }
    return true;
}
