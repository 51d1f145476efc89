// Writes the seed corpora of the fuzz targets: valid pictures and levels and
// broken ones (truncated, huge or negative sizes, wrong depths, compressed,
// colour counts above 256, headers too small or too large), inputs for every
// blit, and key scripts. Run from the fuzz folder: fuzz_seeds [corpus folder].
#include "platform/Resources.h"
#include "res/ResourceIds.h"
#include "scene/LevelText.h"
#include "testkit/Pictures.h"
#if QUIBBO_WITH_ZLIB
#include "app/RunFileIo.h"
#include "platform/LinkCode.h"
#include "platform/zlib/RawDeflate.h"
#include "scene/LevelCode.h"
#include "testkit/RunRecords.h"
#endif
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using gfxtest::Put16;
using gfxtest::Put32;

// A valid .BMP file of w x h pixels at `bits` per pixel (a full colour
// table below 24 bits, entry 0 pure red), to be broken by the callers.
Bytes Picture(int32_t w, int32_t h, int bits, size_t tableEntries = 0, uint32_t colours = 0) {
    std::vector<gfxtest::Rgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back({uint8_t(i == 0 ? 255 : i * 37), uint8_t(i * 91), uint8_t(i * 53)});
    if (bits <= 8 && tableEntries == 0)
        tableEntries = size_t(1) << bits;
    return gfxtest::MakeBmpFile(
        gfxtest::MakeDib(w, h, bits, palette, tableEntries, colours, [](int32_t x, int32_t y) {
            return uint32_t(x * 7 + y * 13) * 0x010305u;
        }));
}

// Offsets of the information header's fields in a file.
const size_t kHeaderSize = 14, kWidth = 18, kHeight = 22, kBits = 28, kCompression = 30,
             kColours = 46;

Bytes Patched(Bytes b, size_t at, uint32_t value, bool wide = true) {
    if (wide)
        Put32(b, at, value);
    else
        Put16(b, at, value);
    return b;
}

Bytes Truncated(Bytes b, size_t size) {
    b.resize(size);
    return b;
}

bool Write(const std::filesystem::path& dir, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(dir);
    const std::string path = (dir / name).string();
    if (!WriteWholeFile(path.c_str(), bytes)) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// A bitmap resource of the program with a file header in front.
Bytes ResourceFile(int id) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PlatFindResource(id, PLAT_RT_BITMAP, &data, &size) || data == nullptr) {
        std::fprintf(stderr, "fuzz_seeds: no bitmap resource %d\n", id);
        return Bytes();
    }
    return gfxtest::MakeBmpFile(Bytes(data, data + size));
}

bool PictureSeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, const Bytes& b) { ok = Write(dir, name, b) && ok; };
    const Bytes eight = Picture(4, 3, 8), rgb = Picture(3, 2, 24);
    seed("valid-8bit", eight);
    seed("valid-24bit-padded-rows", rgb);
    seed("valid-4bit", Picture(5, 3, 4));
    seed("valid-1bit", Picture(9, 2, 1));
    seed("8bit-16-colours", Picture(4, 3, 8, 16, 16));
    seed("truncated-24bit-rows", Truncated(rgb, rgb.size() - 5));
    // 5 wide: the last row's 3 bytes of padding left out, its pixels all there.
    const Bytes five = Picture(5, 3, 8);
    seed("8bit-last-row-unpadded", Truncated(five, five.size() - 3));
    seed("truncated-in-header", Truncated(rgb, 14 + 20));
    seed("file-header-only", Truncated(rgb, 14));
    seed("no-bm-magic", Patched(rgb, 0, 0x424D, false));
    seed("colours-257", Patched(eight, kColours, 257));
    seed("colours-4294967295", Patched(eight, kColours, 0xFFFFFFFF));
    seed("header-12", Patched(eight, kHeaderSize, 12));
    seed("header-124", [&] {
        Bytes b = eight;
        b.insert(b.begin() + 14 + 40, 124 - 40, 0); // a larger header, zeros after the known fields
        return Patched(b, kHeaderSize, 124);
    }());
    seed("header-size-huge", Patched(eight, kHeaderSize, 0xFFFFFFF0u));
    const int32_t sides[][2] = {{16384, 16384}, {16385, 1}, {1, 16385}, {0x7FFFFFFF, 2},
                                {0, 3},         {-1, 3},    {4, -3},    {4, INT32_MIN}};
    for (const auto& side : sides)
        seed("size-" + std::to_string(side[0]) + "x" + std::to_string(side[1]),
             Patched(Patched(eight, kWidth, uint32_t(side[0])), kHeight, uint32_t(side[1])));
    for (uint32_t bits : {0u, 2u, 16u, 32u, 65535u})
        seed("depth-" + std::to_string(bits), Patched(rgb, kBits, bits, false));
    for (uint32_t compression : {1u, 2u, 3u, 4u}) {
        // Run-length pairs and an end marker where the rows would be.
        Bytes b = Patched(compression == 2 ? Picture(8, 3, 4) : eight, kCompression, compression);
        const uint8_t runs[] = {3, 1, 0, 2, 5, 5, 0, 0, 2, 7, 0, 1};
        std::copy(runs, runs + sizeof runs, b.end() - sizeof runs);
        seed("compressed-" + std::to_string(compression), b);
    }
    seed("empty", Bytes());
    seed("one-byte", Bytes{'B'});
    seed("digit-glyph-resource", ResourceFile(IDB_DIGIT0));
    seed("life-icon-resource", ResourceFile(IDB_LIFE));
    return ok;
}

// Key bytes and the frame count that the level target reads from the end.
Bytes WithKeys(Bytes level, const Bytes& keys) {
    level.insert(level.end(), keys.rbegin(), keys.rend()); // frame 0's byte last but one
    level.push_back(uint8_t(keys.size() > 0 ? keys.size() - 1 : 0));
    return level;
}

Bytes LevelFile(const std::string& text) {
    LevelGrid grid;
    std::string error;
    if (!ParseLevelText(text, &grid, &error)) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
        return Bytes();
    }
    return MakeLevelBitmap(grid);
}

bool LevelSeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, const Bytes& b) { ok = Write(dir, name, b) && ok; };
    // Walk up, turn, fire, with some long frames.
    const Bytes walk = {1, 1, 0, 0, 4, 0, 1 | 0xA0, 16, 0, 8 | 0xC0, 3, 1};
    const Bytes still = {0};
    seed("builtin-level", WithKeys(ResourceFile(IDB_LEVEL), walk));
    seed("one-dot", WithKeys(LevelFile("#####\n#...#\n#.o.#\n#.P.#\n#####\n"),
                             {1, 0, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,
                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xC0, 0xC0}));
    seed("chased", WithKeys(LevelFile("#########\n#P....E.#\n#########\n#o.....o#\n#########\n"),
                            {0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0, 0xC0}));
    seed("gun-and-enemy", WithKeys(LevelFile("#######\n#..E..#\n#.....#\n#..G..#\n#..P..#\n"
                                             "#o....#\n#######\n"),
                                   {1, 0xA0, 16, 16, 16, 0}));
    seed("no-start", WithKeys(LevelFile(".....\n.o.E.\n.....\n.E.o.\n.....\n"), walk));
    seed("no-start-wall-middle", WithKeys(LevelFile("o.....\n.###..\n.###..\n.###.E\n"), walk));
    seed("enemies-everywhere",
         WithKeys(LevelFile("######\n#EEEE#\n#EPEE#\n#EEEE#\n######\n"), still));
    seed("dots-on-edge", WithKeys(LevelFile("oooooo\no....o\no.P..o\no....o\noooooo\n"),
                                  {1, 1, 1, 1, 8 | 0xC0, 1 | 0xC0, 1 | 0xC0, 1 | 0xC0}));
    seed("open-edge-tunnel", WithKeys(LevelFile("........\n.######.\n....P...\n.######.\n"
                                                "........\n"),
                                      {4 | 0xA0, 1 | 0xC0, 1 | 0xC0, 1 | 0xC0, 1 | 0xC0}));
    seed("untextured-walls", WithKeys(LevelFile("ZZZZZ\nY.o.Y\nY.P.Y\nZZZZZ\n"), walk));
    seed("class-3-floor", WithKeys(LevelFile(",,,,,\n,,o,,\n,,P,,\n,,,,,\n"), walk));
    seed("one-cell", WithKeys(LevelFile("P\n"), walk));
    seed("one-row", WithKeys(LevelFile("P.o.E.o.G\n"), walk));
    seed("one-column", WithKeys(LevelFile("P\n.\no\nE\n"), walk));

    // Broken files: the first level falls back to the built-in one.
    const Bytes good = LevelFile("#####\n#.o.#\n#.P.#\n#####\n");
    auto patched = [&](size_t at, uint32_t value, bool wide = true) {
        return WithKeys(Patched(good, at, value, wide), walk);
    };
    seed("depth-4", patched(kBits, 4, false));
    seed("depth-24", patched(kBits, 24, false));
    seed("height-negative", patched(kHeight, uint32_t(-4)));
    seed("width-zero", patched(kWidth, 0));
    seed("width-4097", patched(kWidth, 4097));
    seed("height-huge", patched(kHeight, 0x7FFFFFFF));
    seed("header-39", patched(kHeaderSize, 39));
    seed("header-past-end", patched(kHeaderSize, 0x10000));
    seed("compressed", patched(kCompression, 1));
    seed("colours-300", patched(kColours, 300));
    seed("rows-truncated", Truncated(good, good.size() - 9));
    seed("last-row-unpadded", Truncated(good, good.size() - 3));
    seed("short-99-bytes", Truncated(good, 99));
    seed("garbage-100-bytes", Bytes(100, 0xA5));
    return ok;
}

// The blit target's inputs: operation, formats, sizes, layouts, key, six
// coordinates, two numbers; pixel bytes follow (zeros past the end).
Bytes BlitInput(uint8_t op, uint8_t destFormat, uint8_t srcFormat, uint8_t dw, uint8_t dh,
                uint8_t destLayout, uint8_t sw, uint8_t sh, uint8_t srcLayout, bool key,
                const std::vector<int32_t>& coords, int32_t n0 = 0, int32_t n1 = 0) {
    Bytes b = {op,         destFormat,      srcFormat,       uint8_t(dw - 1), uint8_t(dh - 1),
               destLayout, uint8_t(sw - 1), uint8_t(sh - 1), srcLayout,       uint8_t(key)};
    for (size_t i = 0; i < 6; ++i) {
        const int32_t v = i < coords.size() ? coords[i] : 0;
        if (v >= -128 && v <= 127) {
            b.push_back(0);
            b.push_back(uint8_t(v));
        } else {
            b.push_back(3);
            for (int k = 0; k < 4; ++k)
                b.push_back(uint8_t(uint32_t(v) >> (8 * k)));
        }
    }
    for (int32_t n : {n0, n1})
        for (int k = 0; k < 4; ++k)
            b.push_back(uint8_t(uint32_t(n) >> (8 * k)));
    for (int i = 0; i < int(dw) * dh + int(sw) * sh; ++i)
        b.push_back(uint8_t(i * 5 + i / 7));
    return b;
}

bool BlitSeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, const Bytes& b) { ok = Write(dir, name, b) && ok; };
    const int32_t kMin = INT32_MIN, kMax = INT32_MAX;
    seed("blit-inside", BlitInput(0, 0, 0, 16, 12, 0, 5, 4, 0, true, {3, 2}));
    seed("blit-half-outside", BlitInput(0, 2, 2, 16, 12, 1, 9, 9, 2, true, {-4, 8}));
    seed("blit-converting", BlitInput(0, 0, 2, 16, 12, 3, 7, 5, 1, true, {2, -1}));
    seed("blit-555-key", BlitInput(0, 1, 1, 8, 8, 0, 8, 8, 0, true, {0, 0}));
    seed("blit-far-away", BlitInput(0, 0, 0, 8, 8, 0, 8, 8, 0, false, {kMax, kMin}));
    seed("blit-self-overlap", BlitInput(1, 0, 0, 16, 10, 0, 1, 1, 0, false, {3, 0}));
    seed("blit-self-mirrored", BlitInput(1, 2, 2, 16, 10, 1, 1, 1, 0, true, {-2, 1}));
    seed("stretch-down", BlitInput(2, 0, 0, 20, 20, 0, 10, 20, 0, true, {0, 0, 5, 10}));
    seed("stretch-up", BlitInput(2, 2, 2, 40, 40, 2, 10, 20, 4, false, {-3, -7, 20, 40}));
    seed("stretch-huge",
         BlitInput(2, 0, 0, 16, 16, 0, 16, 16, 0, true, {kMin + 1, kMin + 1, kMax, kMax}));
    seed("stretch-zero", BlitInput(2, 0, 0, 16, 16, 0, 16, 16, 0, true, {0, 0, 0, 9}));
    seed("stretch-other-depth", BlitInput(2, 0, 2, 16, 16, 0, 4, 4, 0, true, {0, 0, 8, 8}));
    seed("blend-40", BlitInput(3, 2, 2, 12, 12, 0, 6, 6, 0, true, {2, 3}, 40));
    seed("blend-odd-percent",
         BlitInput(3, 0, 1, 12, 12, 4, 6, 6, 1, false, {-1, 4}, 0x100, -12345));
    seed("trapezoid-square", BlitInput(4, 0, 0, 8, 8, 0, 4, 4, 0, false, {0, 3, 0, 0, 3, 3}));
    seed("trapezoid-wall",
         BlitInput(4, 2, 2, 40, 30, 1, 16, 16, 0, false, {-5, 50, -10, 5, 40, 20}));
    seed("trapezoid-extreme",
         BlitInput(4, 0, 0, 16, 16, 2, 8, 8, 7, false, {kMin, kMax, kMin, kMin, kMax, kMax}));
    seed("trapezoid-upside-down",
         BlitInput(4, 0, 0, 16, 16, 0, 8, 8, 0, false, {0, 8, 10, 0, 2, 8}));
    seed("trapezoid-one-column", BlitInput(4, 0, 0, 16, 16, 0, 8, 8, 0, false, {5, 5, 0, 0, 8, 8}));
    seed("copy-pixel", BlitInput(5, 0, 2, 8, 8, 0, 4, 4, 0, true, {1, 2, 7, 7}));
    seed("copy-pixel-outside", BlitInput(5, 0, 0, 8, 8, 0, 4, 4, 0, true, {4, 0, -1, 8}));
    seed("copy-sample", BlitInput(6, 2, 2, 8, 8, 0, 4, 4, 1, true, {3, 3}));
    seed("digits", BlitInput(7, 0, 0, 40, 24, 0, 1, 1, 0, false, {5, 2}, 1234, 3));
    seed("digits-negative-wide",
         BlitInput(7, 2, 0, 40, 24, 2, 1, 1, 0, false, {-15, -3}, kMin, 0x100 | 0x7FFF0000));
    return ok;
}

// The view target's inputs on the built-in level (76 x 48 cells): the
// camera, enemies moved, then frames of keys and milliseconds.
struct Placed {
    double x, z, heading;
};
Bytes ViewInput(const Placed& camera, const std::vector<Placed>& enemies, const Bytes& frames) {
    Bytes b;
    auto put16 = [&](uint32_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    };
    // The inverse of the target's spread over -1 .. side + 1.
    auto spread = [](double v, int side) {
        return uint32_t(std::min(65535.0, std::max(0.0, (v + 1.0) * 65536.0 / (side + 2))));
    };
    put16(spread(camera.x, 76));
    put16(spread(camera.z, 48));
    const uint32_t heading = uint32_t(int32_t(camera.heading * 4096.0));
    put16(heading & 0xFFFF);
    put16(heading >> 16);
    b.push_back(uint8_t(enemies.size()));
    for (const Placed& e : enemies) {
        put16(spread(e.x, 76));
        put16(spread(e.z, 48));
        put16(uint32_t(int32_t(e.heading)) & 0xFFFF);
    }
    b.push_back(uint8_t(frames.size() / 2 - 1));
    b.insert(b.end(), frames.begin(), frames.end());
    return b;
}

bool ViewSeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, const Bytes& b) { ok = Write(dir, name, b) && ok; };
    const Bytes still = {0, 4}, walk = {1, 4, 1, 4, 4 | 16, 25, 16, 4};
    seed("start", ViewInput({38.5, 35.5, 0}, {}, still));
    seed("inside-a-wall", ViewInput({1.5, 2.5, 30}, {}, walk));
    seed("on-a-wall-face", ViewInput({3.0, 4.5, 90}, {}, walk));
    seed("on-a-corner", ViewInput({3.0, 4.0, 45}, {}, still));
    seed("grid-corner-outside", ViewInput({-0.5, -0.5, 135}, {}, walk));
    seed("far-edge", ViewInput({76.5, 48.5, 315}, {}, walk));
    seed("huge-heading", ViewInput({38.5, 35.5, 500000.25}, {}, walk));
    seed("enemy-point-blank", ViewInput({38.5, 35.5, 0}, {{38.0, 34.9, 0}}, {16, 4, 0, 4}));
    seed("enemy-at-the-eye", ViewInput({38.5, 35.5, 0}, {{38.0, 35.0, 0}}, still));
    seed("enemies-behind-and-beside",
         ViewInput({20.5, 10.5, 270}, {{21, 10, 0}, {19, 10, 0}, {20, 11, 0}, {20, 9, 0}}, walk));
    seed("enemies-outside", ViewInput({0.5, 0.5, 315}, {{-1, -1, 0}, {77, 49, 0}}, walk));
    return ok;
}

// The text target's inputs: a kind byte (0 map, 1 key script, 2 answers,
// 3 command line) and the text.
Bytes TextInput(uint8_t kind, const std::string& text) {
    Bytes b = {kind};
    b.insert(b.end(), text.begin(), text.end());
    return b;
}

bool TextSeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, const Bytes& b) { ok = Write(dir, name, b) && ok; };
    seed("map-legend", TextInput(0, "; every character of the legend\n#####XYZ\n#.P_,EoG\n"
                                    "#BoE.,_#\n########\n"));
    seed("map-definitions", TextInput(0, "=a 200\n=b 7\n\tab\nba\n"));
    seed("map-colours", TextInput(0, "=o 64 40 200 255\n=q 200 1 2 3\n=k 100 255 0 0\n"
                                     "#####\n#oPq#\n#HCL#\n"));
    seed("map-bad-colour", TextInput(0, "=q 1 250 3 7\n=r 2 1 2\n###\n"));
    seed("map-crlf", TextInput(0, "###\r\n#P#\r\n###\r\n"));
    seed("map-ragged", TextInput(0, "####\n#P#\n####\n"));
    seed("map-bad-definition", TextInput(0, "=x 256\n=y\n= 1\n"));
    seed("map-unknown-character", TextInput(0, "#?#\n"));
    seed("keys", TextInput(1, "1:+up,94:-up,100:fire,120:LEFT,130:-left,140:13"));
    seed("keys-file", TextInput(1, "# a file\n1:+up\n  5:+Right\t9:-right # turn\n"));
    seed("keys-bad", TextInput(1, "0:up,5:jump,x:up,9:256,,:"));
    seed("answers", TextInput(2, "ok,Cancel,OK,cancel"));
    seed("answers-bad", TextInput(2, "ok,,maybe"));
    seed("command-line", TextInput(3, "--headless\n--frames\n100\n--keys\n1:+up\n--answers\n"
                                      "ok\n--seed\n42\nAlwaysTheWalrus"));
    seed("command-line-nul", TextInput(3, std::string("--dt\0"
                                                      "7\0--stats",
                                                      14)));
    seed("command-line-bad", TextInput(3, "--frames\n-3\n--scale\n99\n--bogus"));
    return ok;
}

// The key-script target's inputs: scripts as they are, one of them long and
// out of frame order, each key landing among those before it.
bool KeySeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, const std::string& text) {
        ok = Write(dir, name, Bytes(text.begin(), text.end())) && ok;
    };
    seed("keys", "1:+up,94:-up,100:fire,120:LEFT,130:-left,140:13");
    seed("keys-file", "# a file\n1:+up\n  5:+Right\t9:-right # turn\n3:fire\n");
    seed("keys-bad", "0:up,5:jump,x:up,9:256,,:");
    std::string interleaved;
    for (int i = 1; i <= 10000; ++i)
        interleaved += std::to_string(i) + ":up " + std::to_string(100000000 - i) + ":-down\n";
    seed("keys-interleaved", interleaved);
    return ok;
}

#if QUIBBO_WITH_ZLIB
// A kind byte in front of the rest, in one block of its final size: growing
// a 1-byte vector by the rest had g++ -O3 see the copy run past its end
// (-Warray-bounds).
Bytes Tagged(uint8_t kind, const Bytes& rest) {
    Bytes input(1 + rest.size());
    input[0] = kind;
    std::copy(rest.begin(), rest.end(), input.begin() + 1);
    return input;
}

// The link target's inputs: a kind byte (0 link or code text, 1 raw deflate
// stream, 2 body without its check sum) and the rest. Whole codes of real
// levels, and each broken the ways a chat or a hand breaks them.
bool CodeSeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, uint8_t kind, const Bytes& b) {
        ok = Write(dir, name, Tagged(kind, b)) && ok;
    };
    auto text = [](const std::string& t) { return Bytes(t.begin(), t.end()); };
    std::string error;
    LevelGrid builtin, coloured;
    if (!ReadLevelResource(IDB_LEVEL, &builtin, &error) ||
        !ParseLevelText("=a 7 10 20 30\n=b 200 1 2 3\n#####\n#P.o#\n#abE#\n#####\n", &coloured,
                        &error)) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
        return false;
    }
    for (const auto& [name, grid] :
         {std::pair<const char*, const LevelGrid&>{"builtin", builtin}, {"coloured", coloured}}) {
        Bytes body;
        if (!MakeLevelCodeBody(grid, &body, &error)) {
            std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
            return false;
        }
        const Bytes deflated = RawDeflate(body.data(), body.size());
        const std::string code = MakeLinkCode(kLevelCodeFormat, deflated.data(), deflated.size());
        const std::string n = name;
        seed(n + "-code", 0, text(code));
        seed(n + "-link", 0, text("http://127.0.0.1:8000/#level=" + code));
        seed(n + "-code-cut", 0, text(code.substr(0, code.size() * 2 / 3)));
        seed(n + "-code-newer", 0, text("2" + code.substr(1)));
        seed(n + "-deflated", 1, deflated);
        seed(n + "-body", 2, Bytes(body.begin(), body.end() - 4));
    }
    seed("plain-base64", 0, text("1ab+/cd=="));
    seed("body-colours-out-of-order", 2, {1, 0, 1, 0, 2, 0, 9, 1, 2, 3, 7, 1, 2, 3, 1});
    seed("body-too-wide", 2, {1, 16, 1, 0, 0, 0, 1});
    return ok;
}

// The run target's inputs: a kind byte (0 link or code text, 1 file, 2 raw
// deflate stream, 3 body fields without tag, version and check sum) and the
// rest. Runs of every shape of level set, in every form, and some broken.
bool RunSeeds(const std::filesystem::path& dir) {
    bool ok = true;
    auto seed = [&](const std::string& name, uint8_t kind, const Bytes& b) {
        ok = Write(dir, name, Tagged(kind, b)) && ok;
    };
    auto text = [](const std::string& t) { return Bytes(t.begin(), t.end()); };
    LevelGrid grid;
    Bytes levelBody;
    std::string error;
    if (!ReadLevelResource(IDB_LEVEL, &grid, &error) ||
        !MakeLevelCodeBody(grid, &levelBody, &error)) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
        return false;
    }
    RunRecord carried = runtest::SmallRun();
    carried.levels = RunLevels();
    carried.levels.levelBody = levelBody;
    RunRecord bare;
    bare.levels.builtinFirst = true;
    const RunRecord small = runtest::SmallRun();
    // A run at a turn speed of its own: the settings after the words.
    RunRecord turning = runtest::SmallRun();
    turning.turnSpeed = 90;
    for (const auto& [name, run] : {std::pair<const char*, const RunRecord&>{"small", small},
                                    {"carried", carried},
                                    {"bare", bare},
                                    {"turning", turning}}) {
        Bytes body;
        if (!MakeRunBody(run, &body, &error)) {
            std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
            return false;
        }
        const Bytes deflated = RawDeflate(body.data(), body.size());
        const std::string code = MakeRunCode(run);
        Bytes file(kRunFileMagic, kRunFileMagic + sizeof kRunFileMagic);
        file.insert(file.end(), deflated.begin(), deflated.end());
        const std::string n = name;
        seed(n + "-code", 0, text(code));
        seed(n + "-link", 0, text("http://127.0.0.1:8000/#run=" + code + "\n"));
        seed(n + "-code-cut", 0, text(code.substr(0, code.size() * 2 / 3)));
        seed(n + "-file", 1, file);
        seed(n + "-file-bare", 1, body);
        seed(n + "-file-text", 1, text(" " + code + "\r\n"));
        seed(n + "-deflated", 2, deflated);
        seed(n + "-body", 3, Bytes(body.begin() + 5, body.end() - 4));
    }
    Bytes longBody;
    if (!MakeRunBody(runtest::LongRun(), &longBody, &error)) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
        return false;
    }
    seed("long-deflated", 2, RawDeflate(longBody.data(), longBody.size()));
    // Counts larger than the bytes, and a look written long.
    seed("body-inputs-too-many", 3, {1, 0, 2, 0, 1, 2, 3, 4, 0, 0, 0, 0, 0xFF, 0x7F});
    seed("body-clock-huge", 3, {1, 0, 2, 0, 1, 2, 3, 4, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x03, 16, 0});
    seed("body-clock-long", 3, {1, 0, 2, 0, 1, 2, 3, 4, 0, 0, 0, 2, 16, 0xFF, 17, 0, 0, 0, 0});
    return ok;
}
#endif

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path root = argc > 1 ? argv[1] : "corpus";
    bool ok = PictureSeeds(root / "bmp") && LevelSeeds(root / "level") &&
              ViewSeeds(root / "view") && BlitSeeds(root / "blit") && TextSeeds(root / "text") &&
              KeySeeds(root / "keys");
#if QUIBBO_WITH_ZLIB
    ok = CodeSeeds(root / "code") && ok;
    ok = RunSeeds(root / "run") && ok;
#endif
    std::printf("fuzz_seeds: %s %s\n", ok ? "wrote" : "failed writing", root.string().c_str());
    return ok ? 0 : 1;
}
