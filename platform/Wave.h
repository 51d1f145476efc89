// The game's waves are RIFF files of PCM samples: read here for a device
// that wants bare samples (the page's audio) and for the volume, which
// scales them before any device sees them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct PlatWave {
    const uint8_t* samples; // inside the file's bytes
    size_t bytes;
    int rate;     // samples a second
    int channels; // 1 or 2, interleaved
    int bits;     // 8 (unsigned) or 16 (signed, little-endian)
};

// Finds the PCM samples of a RIFF/WAVE file. False for anything else (a
// compressed format, a truncated chunk, no data), which then plays silent.
bool PlatReadWave(const unsigned char* data, size_t size, PlatWave* wave);

// The loudest volume, the waves as they were made; 0 is silence.
const int kMaxVolume = 10;

// A copy of the wave file `data` with every sample scaled by
// volume / kMaxVolume (0 <= volume <= kMaxVolume), toward the silent
// middle: integer, rounding toward silence, so kMaxVolume keeps every
// byte. False, with *scaled left alone, for a file PlatReadWave refuses.
bool PlatScaleWave(const unsigned char* data, size_t size, int volume,
                   std::vector<uint8_t>* scaled);
