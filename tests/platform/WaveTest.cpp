// The game's waves as the devices get them: the samples found in the RIFF
// file, and the volume applied to them before any device plays them.
#include "platform/Wave.h"
#include "platform/Resources.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A RIFF file of the given chunks after the WAVE tag.
std::vector<unsigned char>
Riff(const std::vector<std::pair<std::string, std::vector<unsigned char>>>& chunks) {
    std::vector<unsigned char> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& chunk : chunks) {
        out.insert(out.end(), chunk.first.begin(), chunk.first.end());
        const uint32_t n = static_cast<uint32_t>(chunk.second.size());
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(n >> (8 * i)));
        out.insert(out.end(), chunk.second.begin(), chunk.second.end());
        if (n & 1)
            out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> Format(int tag, int channels, int rate, int bits) {
    std::vector<unsigned char> f(16, 0);
    f[0] = static_cast<unsigned char>(tag);
    f[2] = static_cast<unsigned char>(channels);
    for (int i = 0; i < 4; ++i)
        f[4 + i] = static_cast<unsigned char>(rate >> (8 * i));
    f[14] = static_cast<unsigned char>(bits);
    return f;
}

TEST(Waves, TheGamesWavesAreFoundWholeAndOddChunksAreSkipped) {
    for (int id : {141, 142, 156, 160, 161}) {
        const unsigned char* data = nullptr;
        size_t size = 0;
        ASSERT_TRUE(PlatFindResource(id, PLAT_RT_WAVE, &data, &size)) << id;
        PlatWave wave;
        ASSERT_TRUE(PlatReadWave(data, size, &wave)) << id;
        EXPECT_EQ(wave.bits, 8) << id;
        EXPECT_EQ(wave.channels, 1) << id;
        EXPECT_GT(wave.bytes, 100u) << id;
        EXPECT_LE(wave.samples + wave.bytes, data + size) << id;
    }
    // A chunk of odd length before the samples is padded; the samples are
    // found after the pad byte.
    const auto file =
        Riff({{"fmt ", Format(1, 1, 22050, 8)}, {"LIST", {1, 2, 3}}, {"data", {10, 20, 30, 40}}});
    PlatWave wave;
    ASSERT_TRUE(PlatReadWave(file.data(), file.size(), &wave));
    EXPECT_EQ(wave.rate, 22050);
    ASSERT_EQ(wave.bytes, 4u);
    EXPECT_EQ(wave.samples[0], 10);
}

TEST(Waves, FilesThatCannotPlayAreRefused) {
    const std::vector<unsigned char> samples = {1, 2, 3, 4};
    const std::vector<std::vector<unsigned char>> bad = {
        Riff({{"fmt ", Format(2, 1, 22050, 4)}, {"data", samples}}), // compressed
        Riff({{"fmt ", Format(1, 1, 22050, 12)}, {"data", samples}}),
        Riff({{"fmt ", Format(1, 6, 22050, 8)}, {"data", samples}}),
        Riff({{"data", samples}, {"fmt ", Format(1, 1, 22050, 8)}}), // samples of no known form
        Riff({{"fmt ", Format(1, 1, 22050, 8)}}),                    // no samples
        Riff({{"fmt ", Format(1, 1, 22050, 8)}, {"data", {}}}),
    };
    PlatWave wave;
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_FALSE(PlatReadWave(bad[i].data(), bad[i].size(), &wave)) << i;
    // Cut short inside the samples, or not a RIFF file at all.
    auto cut = Riff({{"fmt ", Format(1, 1, 22050, 8)}, {"data", samples}});
    EXPECT_TRUE(PlatReadWave(cut.data(), cut.size(), &wave));
    EXPECT_FALSE(PlatReadWave(cut.data(), cut.size() - 1, &wave));
    cut[0] = 'X';
    EXPECT_FALSE(PlatReadWave(cut.data(), cut.size(), &wave));
    EXPECT_FALSE(PlatReadWave(nullptr, 0, &wave));
}

// Every sample moves toward the silent middle by the volume, in both sample
// forms, and nothing but the samples changes.
TEST(Waves, TheVolumeScalesEverySampleAndNothingElse) {
    const auto file8 = Riff({{"fmt ", Format(1, 1, 22050, 8)}, {"data", {0, 64, 128, 200, 255}}});
    // 16-bit: -32768, -1000, 0, 999, 32767
    const auto file16 = Riff({{"fmt ", Format(1, 1, 22050, 16)},
                              {"data", {0x00, 0x80, 0x18, 0xFC, 0, 0, 0xE7, 0x03, 0xFF, 0x7F}}});
    std::vector<uint8_t> scaled;
    ASSERT_TRUE(PlatScaleWave(file8.data(), file8.size(), 3, &scaled));
    std::vector<uint8_t> want(file8.begin(), file8.end());
    std::copy_n(std::vector<uint8_t>{90, 109, 128, 149, 166}.begin(), 5, want.end() - 6);
    EXPECT_EQ(scaled, want);
    ASSERT_TRUE(PlatScaleWave(file16.data(), file16.size(), 5, &scaled));
    want.assign(file16.begin(), file16.end()); // -16384, -500, 0, 499, 16383
    std::copy_n(std::vector<uint8_t>{0x00, 0xC0, 0x0C, 0xFE, 0, 0, 0xF3, 0x01, 0xFF, 0x3F}.begin(),
                10, want.end() - 10);
    EXPECT_EQ(scaled, want);
    const auto compressed = Riff({{"fmt ", Format(2, 1, 22050, 4)}, {"data", {1, 2}}});
    EXPECT_FALSE(PlatScaleWave(compressed.data(), compressed.size(), 5, &scaled));
}

} // namespace
