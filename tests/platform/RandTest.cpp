// The game's generator is glibc's rand, seed for seed, wherever it runs: a
// seed plays the same game on Linux, in the browser and on Windows.
#include "platform/Rand.h"
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// What glibc 2.36's rand gave on Linux after srand(seed): the first three
// numbers and the 10,000th.
TEST(Rand, GivesGlibcsSequenceForEachSeed) {
    const struct {
        unsigned seed;
        int first[3];
        int tenThousandth;
    } cases[] = {
        {1, {1804289383, 846930886, 1681692777}, 1908609430},
        {0, {1804289383, 846930886, 1681692777}, 1908609430}, // 0 seeds as 1
        {5, {590011675, 99788765, 2131925610}, 1716686462},
        {7, {1045618677, 1863967299, 1272579899}, 287199247},
        {2147483653u, {902410239, 292943431, 1491539546}, 687204046},
        {4294967295u, {254925627, 1205188300, 366127624}, 1100600380},
    };
    for (const auto& c : cases) {
        PlatSeedRand(c.seed);
        for (int expected : c.first)
            EXPECT_EQ(PlatRand(), expected) << c.seed;
        for (int i = 3; i < 9999; ++i) {
            const int r = PlatRand();
            ASSERT_TRUE(r >= 0 && r <= PLAT_RAND_MAX) << r;
        }
        EXPECT_EQ(PlatRand(), c.tenThousandth) << c.seed;
    }
}

#ifdef __GLIBC__
// On Linux the C library's own rand is there to ask, for any seed.
TEST(Rand, IsTheCLibrarysOnLinux) {
    for (unsigned seed : {2u, 3u, 42u, 12345u, 0x80000000u, 0xDEADBEEFu}) {
        std::srand(seed);
        PlatSeedRand(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(PlatRand(), std::rand()) << seed << ", number " << i;
    }
}
#endif

} // namespace
