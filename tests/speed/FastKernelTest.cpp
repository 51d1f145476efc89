// The fast drawing kernels against the plain rules, on many random cases:
// every format and layout, sizes wide enough for the whole-row and
// many-words-at-once paths and their leftovers, clipping on every side, keys
// on and off, pixel words with stray bits, and sources that share memory
// with the destination. Raw words are compared, so not a bit may differ,
// and the guard bytes around every surface must stay untouched. The kernels
// with a wider form for some machines are tried at every level this
// machine has.
#include "gfx/KernelLevel.h"
#include "speed/PlainKernels.h"
#include "testkit/Pictures.h"
#include "testkit/SpeedRoute.h"
#include "world/World.h"
#include <gtest/gtest.h>
#include <memory>

using namespace gfxtest;

namespace {

const Format kFormats[] = {k555, k565, k888};

// Runs `test` at each kernel level the machine has, from the portable
// kernels up, then goes back to the best.
template <typename Test> void AtEveryKernelLevel(Test test) {
    for (KernelLevel level : {KernelLevel::Portable, KernelLevel::Avx2, KernelLevel::Avx512}) {
        if (SetKernelLevel(level) != level)
            continue;
        SCOPED_TRACE("kernel level " + std::to_string(int(level)));
        test();
    }
    SetKernelLevel(BestKernelLevel());
}

// Random raw words, a share of them key words of either route (raw 16- and
// 32-bit keys and the reds that read back as 248..255) or reds just off the
// key, with the bits the format does not use set at random too.
void FillRawWords(CSurface& s, std::mt19937& rng) {
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x) {
            uint32_t word = rng();
            switch (rng() % 10) {
            case 0:
                word = s.bitsPerPixel == 32 ? 0x00FF0000u : 0xF800u;
                break;
            case 1:
                word = s.bitsPerPixel == 32 ? (0xF8u + rng() % 8) << 16 : 0x7C00u;
                break;
            case 2:
                // Red with one bit of green or blue: no key on any route.
                word = s.bitsPerPixel == 32 ? 0x00FF0000u | 1u << (rng() % 16)
                                            : (rng() % 2 ? 0xF800u : 0x7C00u) | 1u << (rng() % 10);
                break;
            default:
                break;
            }
            SetRawWord(s, x, y, word);
        }
}

// A surface laid out mostly as Create lays it out (the packed rows the fast
// paths look for), otherwise mirrored, upside down or turned.
GuardedSurface* RandomSurface(std::mt19937& rng, const Format& f, int32_t maxW, int32_t maxH) {
    const int32_t w = 1 + int32_t(rng() % uint32_t(maxW)), h = 1 + int32_t(rng() % uint32_t(maxH));
    GuardedSurface* s = MakeLayout(f, w, h, rng() % 5 < 3 ? 0 : rng());
    FillRawWords(s->s, rng);
    return s;
}

// The destination twice: the one the fast kernel draws on, and a copy (in
// the plain layout, same raw words) for the plain rule.
struct Target {
    Target(std::mt19937& rng, const Format& f, int32_t maxW, int32_t maxH)
        : fast(RandomSurface(rng, f, maxW, maxH)),
          plain(new GuardedSurface(f, fast->s.width, fast->s.height)) {
        for (int32_t y = 0; y < fast->s.height; ++y)
            for (int32_t x = 0; x < fast->s.width; ++x)
                SetRawWord(plain->s, x, y, RawWord(fast->s, x, y));
    }
    // "" when both hold the same raw words and the guards are whole.
    std::string Difference() const {
        if (!fast->GuardsIntact())
            return "a write outside the destination";
        for (int32_t y = 0; y < fast->s.height; ++y)
            for (int32_t x = 0; x < fast->s.width; ++x)
                if (RawWord(fast->s, x, y) != RawWord(plain->s, x, y))
                    return "pixel " + std::to_string(x) + "," + std::to_string(y);
        return "";
    }
    std::unique_ptr<GuardedSurface> fast, plain;
};

// Two views into one block of memory, so that drawing one onto the other
// reads pixels the same call writes: `whole` is the block's surface, the
// views are rectangles of it (they may overlap).
struct SharedBlock {
    SharedBlock(const Format& f, int32_t w, int32_t h, unsigned layout)
        : whole(MakeLayout(f, w, h, layout)) {}
    void View(CSurface& view, int32_t x, int32_t y, int32_t w, int32_t h) const {
        const CSurface& s = whole->s;
        view.pixels = s.pixels + ptrdiff_t(x) * s.xPitch + ptrdiff_t(y) * s.yPitch;
        view.width = w;
        view.height = h;
        view.xPitch = s.xPitch;
        view.yPitch = s.yPitch;
        view.bitsPerPixel = s.bitsPerPixel;
        view.formatFlags = s.formatFlags;
    }
    std::unique_ptr<GuardedSurface> whole;
};

// Runs `draw(dest, source, plainRule)` on one block and its twin, with
// random overlapping views, and compares the blocks; `what` names the case.
template <typename Draw> void ExpectSameOnSharedMemory(std::mt19937& rng, int rounds, Draw draw) {
    for (int round = 0; round < rounds; ++round) {
        const Format& f = kFormats[rng() % 3];
        const int32_t w = 8 + int32_t(rng() % 60), h = 4 + int32_t(rng() % 30);
        const unsigned layout = rng() % 2 ? 0 : rng();
        SharedBlock fast(f, w, h, layout), plain(f, w, h, layout);
        FillRawWords(fast.whole->s, rng);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                SetRawWord(plain.whole->s, x, y, RawWord(fast.whole->s, x, y));
        const int32_t sx = int32_t(rng() % uint32_t(w)), sy = int32_t(rng() % uint32_t(h));
        const int32_t dx = int32_t(rng() % uint32_t(w)), dy = int32_t(rng() % uint32_t(h));
        const int32_t sw = 1 + int32_t(rng() % uint32_t(w - sx)),
                      sh = 1 + int32_t(rng() % uint32_t(h - sy));
        const int32_t dw = 1 + int32_t(rng() % uint32_t(w - dx)),
                      dh = 1 + int32_t(rng() % uint32_t(h - dy));
        CSurface fastSource, fastDest, plainSource, plainDest;
        fast.View(fastSource, sx, sy, sw, sh);
        fast.View(fastDest, dx, dy, dw, dh);
        plain.View(plainSource, sx, sy, sw, sh);
        plain.View(plainDest, dx, dy, dw, dh);
        const uint32_t seed = rng();
        std::mt19937 a(seed), b(seed);
        draw(fastDest, fastSource, false, a);
        draw(plainDest, plainSource, true, b);
        fastSource.pixels = fastDest.pixels = plainSource.pixels = plainDest.pixels = nullptr;
        ASSERT_TRUE(fast.whole->GuardsIntact()) << "round " << round;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(RawWord(fast.whole->s, x, y), RawWord(plain.whole->s, x, y))
                    << "round " << round << " " << f.name << " at " << x << "," << y;
    }
}

int32_t Between(std::mt19937& rng, int32_t lo, int32_t hi) {
    return lo + int32_t(rng() % uint32_t(hi - lo + 1));
}

} // namespace

TEST(FastKernels, BlitMatchesThePlainRule) {
    std::mt19937 rng(101);
    AtEveryKernelLevel([&] {
        for (int round = 0; round < 1500; ++round) {
            const Format& fd = kFormats[rng() % 3];
            const Format& fs = rng() % 5 ? fd : kFormats[rng() % 3];
            Target t(rng, fd, 90, 40);
            // Now and then a whole surface onto one of its size, as a present
            // copies the back buffer, or moved up or down a few rows.
            const bool whole = round % 10 == 0;
            std::unique_ptr<GuardedSurface> src(
                whole ? new GuardedSurface(fs, t.fast->s.width, t.fast->s.height)
                      : RandomSurface(rng, fs, 70, 30));
            if (whole)
                FillRawWords(src->s, rng);
            const int32_t x = whole ? 0 : Between(rng, -80, 95);
            const int32_t y = whole ? Between(rng, -3, 3) : Between(rng, -35, 45);
            const bool useKey = rng() % 2;
            ASSERT_EQ(t.fast->s.Blit(src->s, x, y, useKey),
                      plain::Blit(t.plain->s, src->s, x, y, useKey));
            ASSERT_EQ(t.Difference(), "") << "round " << round << " " << fs.name << "->" << fd.name
                                          << " at " << x << "," << y << " key " << useKey;
        }
    });
}

TEST(FastKernels, StretchBlitMatchesThePlainRule) {
    std::mt19937 rng(202);
    for (int round = 0; round < 1500; ++round) {
        const Format& fd = kFormats[rng() % 3];
        // Mostly the same format; another of the same or another depth too.
        const Format& fs = rng() % 6 ? fd : kFormats[rng() % 3];
        // Now and then wider than the blocks of columns the kernel handles
        // at once.
        const bool wide = round % 8 == 0;
        Target t(rng, fd, wide ? 700 : 90, wide ? 6 : 50);
        std::unique_ptr<GuardedSurface> src(RandomSurface(rng, fs, 40, 40));
        const int32_t x = Between(rng, -100, 100), y = Between(rng, -60, 60);
        const int32_t w = Between(rng, -3, wide ? 900 : 160), h = Between(rng, -3, 120);
        const bool useKey = rng() % 2;
        ASSERT_EQ(t.fast->s.StretchBlit(src->s, x, y, w, h, useKey),
                  plain::StretchBlit(t.plain->s, src->s, x, y, w, h, useKey));
        ASSERT_EQ(t.Difference(), "") << "round " << round << " " << fs.name << "->" << fd.name
                                      << " " << x << "," << y << " " << w << "x" << h;
    }
}

TEST(FastKernels, WallFillMatchesThePlainRule) {
    std::mt19937 rng(303);
    AtEveryKernelLevel([&] {
        for (int round = 0; round < 1500; ++round) {
            const Format& f = kFormats[rng() % 3];
            const bool wide = round % 8 == 0;
            // Far walls: a wide texture squeezed into few columns, so that
            // neighbouring columns read words far apart.
            const bool squeezed = round % 8 == 1;
            Target t(rng, f, wide ? 700 : 100, wide ? 8 : 80);
            std::unique_ptr<GuardedSurface> src(RandomSurface(
                rng, rng() % 8 ? f : kFormats[rng() % 3], squeezed ? 400 : 64, squeezed ? 16 : 64));
            // Walls near and far: columns of 1 to several hundred rows, edges
            // rising and falling, sides beyond the destination.
            int32_t left = Between(rng, -60, 110), right = Between(rng, -20, wide ? 800 : 200);
            if (squeezed)
                right = left + Between(rng, 1, 150);
            if (rng() % 4 == 0)
                std::swap(left, right);
            int32_t tl = Between(rng, -250, 90), tr = Between(rng, -250, 90);
            int32_t bl = tl + Between(rng, -2, 400), br = tr + Between(rng, -2, 400);
            if (rng() % 4 == 0) {
                // Seen straight on: every column alike, or nearly.
                tr = tl + Between(rng, -2, 2);
                br = bl + Between(rng, -2, 2);
            }
            if (rng() % 10 == 0) {
                // Far outside: the edge products need more than 32 bits.
                tl = Between(rng, -2000000000, -1000000000);
                br = Between(rng, 1000000000, 2000000000);
            } else if (rng() % 10 == 0) {
                // Columns around 65536 rows, where the stepping changes method.
                bl = tl + Between(rng, 65500, 65570);
                br = tr + Between(rng, 65500, 65570);
            }
            ASSERT_EQ(t.fast->s.StretchToTrapezoid(src->s, left, right, tl, tr, bl, br),
                      plain::StretchToTrapezoid(t.plain->s, src->s, left, right, tl, tr, bl, br));
            ASSERT_EQ(t.Difference(), "")
                << "round " << round << " " << f.name << ": " << left << " " << right << " " << tl
                << " " << tr << " " << bl << " " << br;
        }
    });
}

TEST(FastKernels, BlendBlitMatchesThePlainRuleBetweenAnyFormats) {
    std::mt19937 rng(404);
    // An unsupported format reads as 0 and writes nothing.
    const Format odd = {"24-bit", 32, 0};
    for (int round = 0; round < 1200; ++round) {
        const Format& fd = rng() % 12 ? kFormats[rng() % 3] : odd;
        const Format& fs = rng() % 12 ? kFormats[rng() % 3] : odd;
        Target t(rng, fd, 80, 40);
        std::unique_ptr<GuardedSurface> src(RandomSurface(rng, fs, 60, 30));
        const int32_t x = Between(rng, -70, 85), y = Between(rng, -35, 45);
        const int32_t percents[] = {0, 40, 100, 101, -1, -300, 1000, INT32_MAX, INT32_MIN};
        const int32_t percent = rng() % 2 ? Between(rng, 0, 100) : percents[rng() % 9];
        const bool useKey = rng() % 2;
        ASSERT_EQ(t.fast->s.BlendBlit(src->s, x, y, useKey, percent),
                  plain::BlendBlit(t.plain->s, src->s, x, y, useKey, percent));
        ASSERT_EQ(t.Difference(), "") << "round " << round << " " << fs.name << "->" << fd.name
                                      << " at " << x << "," << y << " " << percent << "%";
    }
}

TEST(FastKernels, SourcesSharingTheDestinationsMemoryDrawAsThePlainRules) {
    std::mt19937 rng(505);
    AtEveryKernelLevel([&] {
        ExpectSameOnSharedMemory(
            rng, 500, [](CSurface& d, const CSurface& s, bool usePlain, std::mt19937& r) {
                const int32_t x = Between(r, -10, 20), y = Between(r, -10, 20);
                const bool key = r() % 2;
                usePlain ? plain::Blit(d, s, x, y, key) : d.Blit(s, x, y, key);
            });
        ExpectSameOnSharedMemory(
            rng, 500, [](CSurface& d, const CSurface& s, bool usePlain, std::mt19937& r) {
                const int32_t x = Between(r, -10, 20), y = Between(r, -10, 20);
                const int32_t w = Between(r, 1, 90), h = Between(r, 1, 50);
                const bool key = r() % 2;
                usePlain ? plain::StretchBlit(d, s, x, y, w, h, key)
                         : d.StretchBlit(s, x, y, w, h, key);
            });
        ExpectSameOnSharedMemory(
            rng, 500, [](CSurface& d, const CSurface& s, bool usePlain, std::mt19937& r) {
                const int32_t left = Between(r, -10, 40), right = Between(r, -10, 80);
                const int32_t tl = Between(r, -30, 20), tr = Between(r, -30, 20);
                const int32_t bl = tl + Between(r, 0, 60), br = tr + Between(r, 0, 60);
                usePlain ? plain::StretchToTrapezoid(d, s, left, right, tl, tr, bl, br)
                         : d.StretchToTrapezoid(s, left, right, tl, tr, bl, br);
            });
        ExpectSameOnSharedMemory(
            rng, 500, [](CSurface& d, const CSurface& s, bool usePlain, std::mt19937& r) {
                const int32_t x = Between(r, -10, 20), y = Between(r, -10, 20);
                const int32_t percent = Between(r, -20, 120);
                const bool key = r() % 2;
                usePlain ? plain::BlendBlit(d, s, x, y, key, percent)
                         : d.BlendBlit(s, x, y, key, percent);
            });
    });
}

TEST(FastKernels, FadeFramesAreTheTintedCopiesOfTheBackBuffer) {
    std::mt19937 rng(606);
    for (const Format& f : kFormats) {
        HeadlessDisplay display;
        display.bitsPerPixel = f.bitsPerPixel;
        display.format = f.flags;
        speed::CRouteGame game(display, 1, true);
        ASSERT_TRUE(game.IsReady());
        CScreen& screen = game.Screen();
        FillRawWords(screen.backBuffer, rng);
        const int32_t percents[] = {0, 1, 9, 10, 33, 50, 67, 90, 99, 100, -5, 250};
        for (int32_t percent : percents) {
            CSurface fast, plain;
            ASSERT_TRUE(screen.TintBackBuffer(fast, percent));
            ASSERT_TRUE(plain.CopyTinted(screen.backBuffer, percent, percent, percent));
            ASSERT_EQ(fast.width, plain.width);
            ASSERT_EQ(fast.height, plain.height);
            ASSERT_EQ(fast.yPitch, plain.yPitch);
            for (int32_t y = 0; y < plain.height; ++y)
                for (int32_t x = 0; x < plain.width; ++x)
                    ASSERT_EQ(RawWord(fast, x, y), RawWord(plain, x, y))
                        << f.name << " " << percent << "% at " << x << "," << y;
        }
    }
}
