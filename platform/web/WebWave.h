// The game's waves are RIFF files; the page's audio wants bare samples.
#pragma once
#include <cstddef>
#include <cstdint>

struct WebWave {
    const uint8_t* samples; // inside the file's bytes
    size_t bytes;
    int rate;     // samples a second
    int channels; // 1 or 2, interleaved
    int bits;     // 8 (unsigned) or 16 (signed, little-endian)
};

// Finds the PCM samples of a RIFF/WAVE file. False for anything else (a
// compressed format, a truncated chunk, no data), which then plays silent.
bool WebReadWave(const unsigned char* data, size_t size, WebWave* wave);
