// DrawNumber with digit glyphs of the test's own: zero padding, the skipped
// minus sign, glyph advance, and what happens without glyphs.
#include "testkit/Pictures.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace gfxtest;

namespace {

// A distinct solid colour per digit, on a red (transparent) border.
uint32_t DigitColour(int d) {
    return uint32_t(0x00200000 + 0x1800 * d + 0x10);
}

class DigitGlyphs : public testing::Test {
protected:
    void SetUp() override { UseFormat(k565); }
    CSurface m_glyphs[10];
    // Glyphs of `w` x 20 pixels: red border one pixel wide, digit colour inside.
    void MakeGlyphs(int32_t w = 10) {
        for (int d = 0; d < 10; ++d) {
            CSurface& g = m_glyphs[d];
            ASSERT_TRUE(g.Create(w, 20));
            for (int32_t y = 0; y < 20; ++y)
                for (int32_t x = 0; x < w; ++x)
                    g.SetPixel(x, y,
                               (x == 0 || y == 0 || x == w - 1 || y == 19) ? 0x000000FFu
                                                                           : DigitColour(d));
        }
    }
    // The digits drawn in a row of cells `w` wide starting at x, read back by
    // the colour in each cell's middle; stops at the first empty cell.
    static std::string ReadDigits(const CSurface& screen, int32_t x, int32_t y, int32_t w = 10) {
        std::string out;
        for (int32_t cx = x; cx + w / 2 < screen.width; cx += w) {
            const uint32_t c = screen.GetPixel(cx + w / 2, y + 10);
            int found = -1;
            for (int d = 0; d < 10; ++d)
                if (c == (DigitColour(d) & 0x00F8FCF8))
                    found = d;
            if (found < 0)
                break;
            out += char('0' + found);
        }
        return out;
    }
};

} // namespace

TEST_F(DigitGlyphs, PadsWithZerosAndSkipsTheSign) {
    MakeGlyphs();
    CSurface screen;
    ASSERT_TRUE(screen.Create(240, 40));
    ASSERT_TRUE(screen.DrawNumber(m_glyphs, 7, 5, 5, 3));
    EXPECT_EQ(ReadDigits(screen, 5, 5), "007");
    // The red border stayed transparent.
    EXPECT_EQ(screen.GetPixel(5, 5), 0u);
    EXPECT_EQ(screen.GetPixel(15, 10), 0u);

    CSurface minus;
    ASSERT_TRUE(minus.Create(240, 40));
    ASSERT_TRUE(minus.DrawNumber(m_glyphs, -5, 0, 0, 1));
    EXPECT_EQ(ReadDigits(minus, 0, 0), "5") << "the minus sign takes no room";
}

TEST_F(DigitGlyphs, SameCharactersAsZeroPaddedFormatting) {
    MakeGlyphs();
    const int32_t values[] = {0, 7, -7, 42, -42, 1234567, INT32_MAX, INT32_MIN, -1, 100};
    for (int32_t value : values) {
        for (int32_t digits = -3; digits <= 14; ++digits) {
            char format[32], text[64];
            std::snprintf(format, sizeof format, "%%0%dd", digits);
            std::snprintf(text, sizeof text, format, value);
            std::string expect;
            for (const char* p = text; *p; ++p)
                if (*p >= '0' && *p <= '9')
                    expect += *p;
            CSurface screen;
            ASSERT_TRUE(screen.Create(200, 20));
            ASSERT_TRUE(screen.DrawNumber(m_glyphs, value, 0, 0, digits));
            EXPECT_EQ(ReadDigits(screen, 0, 0), expect) << value << " with " << digits;
        }
    }
}

TEST_F(DigitGlyphs, GlyphWidthsMoveThePen) {
    MakeGlyphs(6);
    CSurface screen;
    ASSERT_TRUE(screen.Create(100, 30));
    ASSERT_TRUE(screen.DrawNumber(m_glyphs, 908, 3, 2, 4));
    EXPECT_EQ(ReadDigits(screen, 3, 2, 6), "0908");

    // A glyph that failed to load draws nothing and has no width to move by.
    m_glyphs[5].Free();
    CSurface gap;
    ASSERT_TRUE(gap.Create(100, 30));
    ASSERT_TRUE(gap.DrawNumber(m_glyphs, 353, 0, 0, 1));
    EXPECT_EQ(ReadDigits(gap, 0, 0, 6), "33");
}

TEST_F(DigitGlyphs, ClipsAndBoundsTheWork) {
    MakeGlyphs();
    CSurface screen;
    ASSERT_TRUE(screen.Create(50, 30));
    // Starting left of the screen: the part that lands inside is drawn.
    ASSERT_TRUE(screen.DrawNumber(m_glyphs, 12345, -20, 0, 1));
    EXPECT_EQ(ReadDigits(screen, 0, 0), "345");
    // A huge width fills the visible row with zeros and returns at once.
    CSurface wide;
    ASSERT_TRUE(wide.Create(50, 30));
    ASSERT_TRUE(wide.DrawNumber(m_glyphs, 9, 0, 0, INT32_MAX));
    EXPECT_EQ(ReadDigits(wide, 0, 0), "00000");
    // Far right or far down: nothing, but still a success.
    CSurface off;
    ASSERT_TRUE(off.Create(50, 30));
    EXPECT_TRUE(off.DrawNumber(m_glyphs, 5, INT32_MAX, 0, 3));
    EXPECT_TRUE(off.DrawNumber(m_glyphs, 5, 0, INT32_MAX, 3));
    EXPECT_TRUE(off.DrawNumber(m_glyphs, 5, INT32_MIN, INT32_MIN, 3));
    EXPECT_EQ(Colours(off), std::vector<uint32_t>(50 * 30, 0u));
}

TEST_F(DigitGlyphs, NothingWithoutGlyphs) {
    CSurface screen, empty;
    ASSERT_TRUE(screen.Create(40, 30));
    EXPECT_FALSE(screen.DrawNumber(m_glyphs, 7, 0, 0, 3));
    EXPECT_EQ(Colours(screen), std::vector<uint32_t>(40 * 30, 0u));
    MakeGlyphs();
    EXPECT_FALSE(screen.DrawNumber(nullptr, 7, 0, 0, 3)) << "no glyphs";
    EXPECT_EQ(Colours(screen), std::vector<uint32_t>(40 * 30, 0u));
    EXPECT_FALSE(empty.DrawNumber(m_glyphs, 7, 0, 0, 3)) << "no destination";
    // Only glyph 0 decides.
    m_glyphs[0].Free();
    EXPECT_FALSE(screen.DrawNumber(m_glyphs, 111, 0, 0, 1));
}

TEST_F(DigitGlyphs, ZerosReachingInFromFarLeft) {
    MakeGlyphs();
    CSurface screen;
    ASSERT_TRUE(screen.Create(50, 30));
    // Two billion zeros starting far to the left: the last ones and the
    // number land inside, and the call does not walk through the rest.
    const int32_t x = -2000000003;
    ASSERT_TRUE(screen.DrawNumber(m_glyphs, 42, x, 0, 200000002));
    // The zeros end at x + 200000000 * 10 = -3, so "42" sits at -3 and 7.
    EXPECT_EQ(ReadDigits(screen, 7, 0), "2");
    EXPECT_EQ(screen.GetPixel(3, 10), DigitColour(4) & 0x00F8FCF8);
    // Glyphs of no width never move the pen.
    for (CSurface& g : m_glyphs) {
        g.width = 0;
    }
    CSurface other;
    ASSERT_TRUE(other.Create(50, 30));
    EXPECT_TRUE(other.DrawNumber(m_glyphs, 7, 0, 0, INT32_MAX));
    EXPECT_EQ(Colours(other), std::vector<uint32_t>(50 * 30, 0u));
}

// The words' table with the digits where '0'..'9' go and each other
// character a plain glyph of its own colour: the words draw what DrawNumber
// draws, wherever the line stands against the screen's edges.
TEST_F(DigitGlyphs, WordsDrawWhatTheDigitsDrawUpToTheEdges) {
    MakeGlyphs(10);
    CSurface font[CSurface::GlyphCount];
    for (int n = 0; n < CSurface::GlyphCount; ++n) {
        const int c = CSurface::FirstGlyph + n;
        if (c >= '0' && c <= '9') {
            ASSERT_TRUE(font[n].CopyTinted(m_glyphs[c - '0'], 100, 100, 100));
        } else {
            ASSERT_TRUE(font[n].Create(7, 20));
            for (int32_t y = 0; y < 20; ++y)
                for (int32_t x = 0; x < 7; ++x)
                    font[n].SetPixel(x, y, uint32_t(0x00400000 + n));
        }
    }
    EXPECT_EQ(CSurface::WordsWidth(font, "0123456789"), 100);
    EXPECT_EQ(CSurface::WordsWidth(font, "A\x01"), 14);
    for (int32_t x : {-1000, -95, -37, 0, 3, 150, 235, 239, 240, 5000}) {
        for (int32_t y : {-19, 0, 150, 310}) {
            CSurface number, words;
            ASSERT_TRUE(number.Create(240, 320));
            ASSERT_TRUE(words.Create(240, 320));
            ASSERT_TRUE(number.DrawNumber(m_glyphs, 123456789, x, y, 10));
            ASSERT_TRUE(words.DrawWords(font, "0123456789", x, y));
            for (int32_t py = 0; py < 320; ++py)
                for (int32_t px = 0; px < 240; ++px)
                    ASSERT_EQ(words.GetPixel(px, py), number.GetPixel(px, py))
                        << "line at " << x << ", " << y << ": pixel " << px << ", " << py;
        }
    }
    // A character past the table is drawn as a question mark.
    CSurface odd, asked;
    ASSERT_TRUE(odd.Create(20, 20));
    ASSERT_TRUE(asked.Create(20, 20));
    odd.DrawWords(font, "\x01\xC3", 2, 0);
    asked.DrawWords(font, "??", 2, 0);
    for (int32_t x = 0; x < 20; ++x)
        EXPECT_EQ(odd.GetPixel(x, 5), asked.GetPixel(x, 5)) << x;
    EXPECT_FALSE(odd.DrawWords(nullptr, "A", 0, 0));
    EXPECT_FALSE(odd.DrawWords(font, nullptr, 0, 0));
}
