// glibc's generator (its TYPE_3 random, which rand calls): 34 words seeded by
// a multiplicative congruential step, then an additive lagged-Fibonacci
// sequence r[i] = r[i-3] + r[i-31] (mod 2^32), the first 310 terms thrown
// away, each result the term shifted right once.
#include "platform/Rand.h"
#include <cstdint>

namespace {

struct CRand {
    uint32_t r[34];
    int i = 0; // r[i] is the oldest of the 34 words kept

    void Seed(unsigned int seed) {
        int32_t word = static_cast<int32_t>(seed == 0 ? 1 : seed);
        r[0] = static_cast<uint32_t>(word);
        for (int k = 1; k < 31; ++k) {
            // 16807 * word mod (2^31 - 1) without overflow (Schrage).
            const int32_t hi = word / 127773, lo = word % 127773;
            word = 16807 * lo - 2836 * hi;
            if (word < 0)
                word += 2147483647;
            r[k] = static_cast<uint32_t>(word);
        }
        for (int k = 31; k < 34; ++k)
            r[k] = r[k - 31];
        i = 0;
        for (int k = 0; k < 310; ++k)
            Next();
    }

    uint32_t Next() {
        // The ring holds r[n-34 .. n-1]; r[n] = r[n-31] + r[n-3].
        const uint32_t next = r[(i + 3) % 34] + r[(i + 31) % 34];
        r[i] = next;
        i = (i + 1) % 34;
        return next;
    }
};

CRand& State() {
    static CRand state = [] {
        CRand s;
        s.Seed(1);
        return s;
    }();
    return state;
}

} // namespace

void PlatSeedRand(unsigned int seed) {
    State().Seed(seed);
}

int PlatRand() {
    return static_cast<int>(State().Next() >> 1);
}
