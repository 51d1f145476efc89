// The program's own resources, read back the way the game finds them: every
// picture at its size and depth with a full colour table, the transparent
// pure-red ground where the game keys it, no visible colour that a 5-6-5
// display would turn into the key, seamless wrapping textures, well-formed
// waves of their exact sizes, the strings, the icon, and the built-in level
// cell for cell against its text map.
#include "platform/Resources.h"
#include "res/ResourceIds.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

const Rgb kKey = {255, 0, 0};

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// A palettised picture as the resource holds it, from the information header on.
struct Picture {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<Rgb> table;     // 256 entries
    std::vector<uint8_t> index; // row-major, row 0 at the top
    Rgb At(int x, int y) const { return table[index[size_t(y) * width + x]]; }
    int IndexAt(int x, int y) const { return index[size_t(y) * width + x]; }
};

// Reads an 8-bit uncompressed DIB with its rows straight after a 256-entry
// table; anything else is reported as a failure with the reason.
::testing::AssertionResult ReadPicture(const unsigned char* p, size_t size, Picture* out) {
    if (size < 40)
        return ::testing::AssertionFailure() << "shorter than an information header";
    const uint32_t header = Le32(p);
    if (header != 40)
        return ::testing::AssertionFailure() << "header size " << header;
    out->width = int32_t(Le32(p + 4));
    out->height = int32_t(Le32(p + 8));
    out->bitsPerPixel = Le16(p + 14);
    if (Le16(p + 12) != 1 || out->bitsPerPixel != 8)
        return ::testing::AssertionFailure()
               << "planes/depth " << Le16(p + 12) << "/" << out->bitsPerPixel;
    if (Le32(p + 16) != 0)
        return ::testing::AssertionFailure() << "compressed";
    const uint32_t used = Le32(p + 32);
    if (used != 0 && used != 256)
        return ::testing::AssertionFailure() << "colour table of " << used << " entries";
    if (out->width <= 0 || out->height <= 0 || out->width > 4096 || out->height > 4096)
        return ::testing::AssertionFailure() << "size " << out->width << "x" << out->height;
    const size_t stride = (size_t(out->width) + 3) & ~size_t(3);
    const size_t need = 40 + 1024 + stride * size_t(out->height);
    if (size != need)
        return ::testing::AssertionFailure() << size << " bytes, rows end at " << need;
    out->table.clear();
    for (int i = 0; i < 256; ++i) {
        const unsigned char* e = p + 40 + 4 * i;
        out->table.push_back({e[2], e[1], e[0]});
    }
    out->index.assign(size_t(out->width) * size_t(out->height), 0);
    for (int y = 0; y < out->height; ++y) {
        const unsigned char* row = p + 40 + 1024 + stride * size_t(out->height - 1 - y);
        for (int x = 0; x < out->width; ++x)
            out->index[size_t(y) * out->width + x] = row[x];
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult LoadPicture(int id, Picture* out) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PlatFindResource(id, PLAT_RT_BITMAP, &data, &size))
        return ::testing::AssertionFailure() << "bitmap " << id << " is missing";
    ::testing::AssertionResult r = ReadPicture(data, size, out);
    if (!r)
        return ::testing::AssertionFailure() << "bitmap " << id << ": " << r.message();
    return r;
}

// What a 5-6-5 display keeps of a colour is pure red exactly when the colour
// is nearly pure red: such a colour would vanish from keyed copies.
bool TurnsIntoKey(const Rgb& c) {
    return c.r >= 248 && c.g < 4 && c.b < 8;
}

struct PictureSpec {
    int id;
    int width, height;
    bool keyed; // drawn with pure red left out
};

const PictureSpec kPictures[] = {
    {IDB_WALL_TILES, 315, 211, false}, {IDB_SKY, 800, 160, false},
    {IDB_FLOOR, 240, 160, false},      {IDB_DOT, 85, 120, true},
    {IDB_ENEMY, 130, 159, true},       {IDB_GUN, 150, 100, true},
    {IDB_FLASH, 107, 108, true},       {IDB_DIGIT0, 10, 20, true},
    {IDB_DIGIT1, 10, 20, true},        {IDB_DIGIT2, 10, 20, true},
    {IDB_DIGIT3, 10, 20, true},        {IDB_DIGIT4, 10, 20, true},
    {IDB_DIGIT5, 10, 20, true},        {IDB_DIGIT6, 10, 20, true},
    {IDB_DIGIT7, 10, 20, true},        {IDB_DIGIT8, 10, 20, true},
    {IDB_DIGIT9, 10, 20, true},        {IDB_GUN_PICKUP, 120, 100, true},
    {IDB_BARREL, 120, 134, true},      {IDB_LIFE, 20, 20, true},
    {IDB_TITLE, 240, 300, true},       {IDB_WALL_WOOD, 228, 287, false},
    {IDB_WALL_STONE, 288, 224, false}, {IDB_WALL_BRICK, 256, 256, false},
    {IDB_WALL_HEDGE, 240, 240, false}, {IDB_CRATE, 120, 120, true},
    {IDB_LAMP, 72, 134, true},
};

// Bounds of the non-key pixels: left, top, right, bottom (inclusive).
struct Extent {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Extent Opaque(const Picture& p) {
    Extent e;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (!(p.At(x, y) == kKey)) {
                e.left = std::min(e.left, x);
                e.right = std::max(e.right, x);
                e.top = std::min(e.top, y);
                e.bottom = std::max(e.bottom, y);
            }
    return e;
}

int Difference(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

} // namespace

TEST(ResourcePictures, EachHasItsSizeAnd8BitFullColourTable) {
    for (const PictureSpec& s : kPictures) {
        Picture p;
        ASSERT_TRUE(LoadPicture(s.id, &p));
        EXPECT_EQ(p.width, s.width) << "bitmap " << s.id;
        EXPECT_EQ(p.height, s.height) << "bitmap " << s.id;
    }
}

TEST(ResourcePictures, KeyedOnesStandOnPureRedAndOpaqueOnesHaveNone) {
    for (const PictureSpec& s : kPictures) {
        Picture p;
        ASSERT_TRUE(LoadPicture(s.id, &p));
        const int w = p.width - 1, h = p.height - 1;
        const Rgb corners[] = {p.At(0, 0), p.At(w, 0), p.At(0, h), p.At(w, h)};
        int red = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                red += p.At(x, y) == kKey;
        if (s.keyed) {
            for (const Rgb& c : corners)
                EXPECT_EQ(c, kKey) << "bitmap " << s.id << " corner";
            EXPECT_GT(red, 0) << "bitmap " << s.id;
            EXPECT_LT(red, p.width * p.height * 9 / 10) << "bitmap " << s.id << " is nearly empty";
        } else {
            EXPECT_EQ(red, 0) << "bitmap " << s.id << " would show holes";
        }
    }
}

TEST(ResourcePictures, NoShownColourBecomesTheKeyOn565) {
    for (const PictureSpec& s : kPictures) {
        Picture p;
        ASSERT_TRUE(LoadPicture(s.id, &p));
        std::vector<bool> used(256, false);
        for (uint8_t i : p.index)
            used[i] = true;
        for (int i = 0; i < 256; ++i) {
            if (used[i] && !(p.table[i] == kKey)) {
                EXPECT_FALSE(TurnsIntoKey(p.table[i]))
                    << "bitmap " << s.id << " entry " << i << " (" << p.table[i].r << ","
                    << p.table[i].g << "," << p.table[i].b << ")";
            }
        }
    }
}

TEST(ResourcePictures, TitleLeavesTheHeadUpDisplayClear) {
    // The title is shown centred over the live game for its first seconds,
    // so where the score and the spare lives stand (screen rows 5 to 24) and
    // where the built-in level's minimap starts (row 272) it must be all
    // ground: a player must never see a second score or set of lives.
    Picture p;
    ASSERT_TRUE(LoadPicture(IDB_TITLE, &p));
    const int top = (320 - p.height) / 2;
    int covered = 0;
    for (int y = 0; y < p.height; ++y) {
        const int screenY = top + y;
        if (screenY >= 25 && screenY < 272)
            continue;
        for (int x = 0; x < p.width; ++x)
            if (!(p.At(x, y) == kKey) && ++covered <= 3)
                ADD_FAILURE() << "title pixel " << x << "," << y << " covers screen row "
                              << screenY;
    }
    EXPECT_EQ(covered, 0);
}

TEST(ResourcePictures, ItemsAndEnemyStandOnTheFloor) {
    // A sprite's picture ends at the floor, so its lowest painted row (feet,
    // shadow) must reach the bottom or the item floats.
    for (int id : {IDB_DOT, IDB_ENEMY, IDB_GUN_PICKUP, IDB_BARREL, IDB_CRATE, IDB_LAMP}) {
        Picture p;
        ASSERT_TRUE(LoadPicture(id, &p));
        const Extent e = Opaque(p);
        EXPECT_GE(e.bottom, p.height - 6) << "bitmap " << id;
        EXPECT_GE(e.right - e.left, p.width / 2) << "bitmap " << id << " is too thin to read";
    }
}

TEST(ResourcePictures, HeldGunPointsFromTheCornerToItsMuzzleAtTheTopLeft) {
    Picture gun;
    ASSERT_TRUE(LoadPicture(IDB_GUN, &gun));
    const Extent e = Opaque(gun);
    // The gun is drawn into the screen's bottom-right corner and the flash
    // (107 x 108) centred on the picture's top-left corner: the muzzle must
    // lie well inside the flash.
    EXPECT_EQ(e.bottom, gun.height - 1);
    EXPECT_LE(e.left, 20);
    EXPECT_LE(e.top, 12);
    int nearMuzzle = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            nearMuzzle += !(gun.At(x, y) == kKey);
    EXPECT_GT(nearMuzzle, 40);
    // The minimap (76 x 48, bottom centre of the 240 x 320 screen) covers the
    // picture from x 0 to 67 and y 52 down; the gun keeps out of it.
    int underMap = 0;
    for (int y = 52; y < gun.height; ++y)
        for (int x = 0; x < 68; ++x)
            underMap += !(gun.At(x, y) == kKey);
    EXPECT_EQ(underMap, 0);
}

TEST(ResourcePictures, DigitsAreDistinctAndInkedAgainstAnyBackground) {
    std::vector<std::vector<uint8_t>> shapes;
    for (int d = 0; d < 10; ++d) {
        Picture p;
        ASSERT_TRUE(LoadPicture(IDB_DIGIT0 + d, &p));
        int light = 0, dark = 0;
        std::vector<uint8_t> shape;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const Rgb c = p.At(x, y);
                const bool key = c == kKey;
                const int sum = c.r + c.g + c.b;
                light += !key && sum > 600;
                dark += !key && sum < 150;
                shape.push_back(key ? 0 : sum > 600 ? 2 : 1);
            }
        // Light strokes ringed with dark ink read on sky, floor and walls alike.
        EXPECT_GE(light, 20) << "digit " << d;
        EXPECT_GE(dark, light / 2) << "digit " << d;
        for (size_t k = 0; k < shapes.size(); ++k)
            EXPECT_NE(shapes[k], shape) << "digits " << k << " and " << d << " look the same";
        shapes.push_back(shape);
    }
}

TEST(ResourcePictures, WallsAndSkyWrapFromRightEdgeToLeft) {
    // Neighbouring wall faces and the two copies of the sky meet at the
    // edges: the last column must continue into the first as smoothly as any
    // column continues into the next.
    for (int id :
         {IDB_WALL_TILES, IDB_SKY, IDB_WALL_WOOD, IDB_WALL_STONE, IDB_WALL_BRICK, IDB_WALL_HEDGE}) {
        Picture p;
        ASSERT_TRUE(LoadPicture(id, &p));
        long seam = 0, inner = 0;
        for (int y = 0; y < p.height; ++y) {
            seam += Difference(p.At(p.width - 1, y), p.At(0, y));
            for (int x = 0; x + 1 < p.width; ++x)
                inner += Difference(p.At(x, y), p.At(x + 1, y));
        }
        const double seamMean = double(seam) / p.height;
        const double innerMean = double(inner) / (double(p.height) * (p.width - 1));
        EXPECT_LE(seamMean, 2.0 * innerMean + 6.0) << "bitmap " << id;
    }
}

TEST(ResourcePictures, FloorIsGreyAndDarkestAtTheHorizon) {
    Picture floor;
    ASSERT_TRUE(LoadPicture(IDB_FLOOR, &floor));
    double previous = -1.0;
    double first = 0.0, last = 0.0;
    for (int band = 0; band < floor.height / 8; ++band) {
        double sum = 0.0;
        for (int y = band * 8; y < band * 8 + 8; ++y)
            for (int x = 0; x < floor.width; ++x) {
                const Rgb c = floor.At(x, y);
                ASSERT_TRUE(c.r == c.g && c.g == c.b) << x << "," << y;
                sum += c.r;
            }
        const double mean = sum / (8.0 * floor.width);
        EXPECT_GE(mean, previous) << "band " << band;
        previous = mean;
        if (band == 0)
            first = mean;
        last = mean;
    }
    EXPECT_GT(last - first, 60.0);
}

TEST(ResourceWaves, EachIsAPcmWaveOfItsExactSize) {
    const struct {
        int id;
        size_t size;
    } waves[] = {{IDW_SHOT, 15190},
                 {IDW_HIT, 21222},
                 {IDW_CAUGHT, 17008},
                 {IDW_GUN_PICKUP, 4236},
                 {IDW_DOT, 9354}};
    for (const auto& w : waves) {
        SCOPED_TRACE("wave " + std::to_string(w.id));
        const unsigned char* p = nullptr;
        size_t size = 0;
        ASSERT_TRUE(PlatFindResource(w.id, PLAT_RT_WAVE, &p, &size));
        ASSERT_EQ(size, w.size);
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(p), 4), "RIFF");
        EXPECT_EQ(Le32(p + 4), size - 8);
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(p + 8), 8), "WAVEfmt ");
        const uint32_t fmtSize = Le32(p + 16);
        ASSERT_GE(fmtSize, 16u);
        const unsigned char* fmt = p + 20;
        const int channels = Le16(fmt + 2), bits = Le16(fmt + 14);
        const uint32_t rate = Le32(fmt + 4);
        EXPECT_EQ(Le16(fmt), 1) << "PCM";
        EXPECT_TRUE(channels == 1 || channels == 2);
        EXPECT_TRUE(bits == 8 || bits == 16);
        EXPECT_GE(rate, 8000u);
        EXPECT_EQ(Le16(fmt + 12), channels * bits / 8) << "block align";
        EXPECT_EQ(Le32(fmt + 8), rate * channels * bits / 8) << "bytes a second";
        const size_t dataAt = 20 + fmtSize;
        ASSERT_LE(dataAt + 8, size);
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(p + dataAt), 4), "data");
        const size_t n = Le32(p + dataAt + 4);
        EXPECT_EQ(dataAt + 8 + n + (n & 1), size) << "the data fills the file";
        ASSERT_EQ(bits, 8) << "the checks below read 8-bit samples";
        const unsigned char* s = p + dataAt + 8;
        int peak = 0;
        for (size_t i = 0; i < n; ++i)
            peak = std::max(peak, std::abs(int(s[i]) - 128));
        EXPECT_GE(peak, 90) << "loud enough to hear";
        EXPECT_LE(std::abs(int(s[0]) - 128), 8) << "starts without a click";
        EXPECT_LE(std::abs(int(s[n - 1]) - 128), 2) << "ends without a click";
    }
}

TEST(ResourceStrings, TheProgramsTexts) {
    const std::map<int, std::string> texts = {{IDS_TITLE, "Quibbo"},
                                              {IDS_MAKER, "Vornack"},
                                              {IDS_GAME_OVER, "GAME OVER\nScore: %d"},
                                              {IDS_CANT_LOAD, "Can't load level."}};
    for (const auto& t : texts) {
        char buf[64];
        EXPECT_EQ(PlatLoadString(t.first, buf, sizeof buf), int(t.second.size()));
        EXPECT_EQ(std::string(buf), t.second) << "string " << t.first;
    }
}

TEST(ResourceIcon, IsAWholeSmallBitmapFile) {
    const unsigned char* p = nullptr;
    size_t size = 0;
    ASSERT_TRUE(PlatFindResource(IDI_PROGRAM, PLAT_RT_ICON, &p, &size));
    ASSERT_GT(size, 14u);
    ASSERT_EQ(p[0], 'B');
    ASSERT_EQ(p[1], 'M');
    EXPECT_EQ(Le32(p + 2), size);
    EXPECT_EQ(Le32(p + 10), 14u + 40u + 1024u) << "rows follow the colour table";
    Picture icon;
    ASSERT_TRUE(ReadPicture(p + 14, size - 14, &icon));
    EXPECT_EQ(icon.width, 32);
    EXPECT_EQ(icon.height, 32);
}

namespace {

// A file of the project's tree, by its path from the top.
std::string ProjectPath(const std::string& file) {
    std::string path = __FILE__;
    const size_t at = path.rfind("tests/res/");
    return at == std::string::npos ? "" : path.substr(0, at) + file;
}

// The built-in level as text, kept next to the generator that writes it.
std::vector<std::string> ReadLevelText() {
    std::ifstream in(ProjectPath("tools/art/level130.txt"));
    std::vector<std::string> rows;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            rows.push_back(line);
    return rows;
}

} // namespace

TEST(BuiltInLevel, MatchesItsTextMapCellForCell) {
    const std::vector<std::string> text = ReadLevelText();
    ASSERT_EQ(text.size(), 48u) << "tools/art/level130.txt";
    Picture level;
    ASSERT_TRUE(LoadPicture(IDB_LEVEL, &level));
    ASSERT_EQ(level.width, 76);
    ASSERT_EQ(level.height, 48);
    const std::map<char, int> index = {{'.', 1},  {'P', 2},  {'E', 3},   {'o', 64},
                                       {'G', 65}, {'B', 66}, {'#', 128}, {'X', 129}};
    for (int r = 0; r < 48; ++r) {
        ASSERT_EQ(text[r].size(), 76u) << "row " << r;
        for (int c = 0; c < 76; ++c) {
            ASSERT_EQ(index.count(text[r][c]), 1u) << "cell " << c << "," << r;
            EXPECT_EQ(level.IndexAt(c, r), index.at(text[r][c])) << "cell " << c << "," << r;
        }
    }
}

TEST(BuiltInLevel, JoinsTheCampaignCellForCell) {
    // The campaign's map that carries the built-in level's name is that
    // level: the game plays the same grid whether it starts from the
    // program or reaches it as a file.
    LevelGrid builtIn;
    std::string error;
    ASSERT_TRUE(ReadLevelResource(IDB_LEVEL, &builtIn, &error)) << error;
    ASSERT_FALSE(builtIn.name.empty());
    int found = 0;
    for (int n = 0; n < 100; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "levels/QB%02d.txt", n);
        std::ifstream in(ProjectPath(name));
        if (!in)
            continue;
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        LevelGrid map;
        ASSERT_TRUE(ParseLevelText(text, &map, &error)) << name << ": " << error;
        if (map.name != builtIn.name)
            continue;
        ++found;
        EXPECT_EQ(builtIn.width, map.width) << name;
        EXPECT_EQ(builtIn.height, map.height) << name;
        EXPECT_TRUE(builtIn.cells == map.cells) << name << " differs from resource " << IDB_LEVEL;
    }
    EXPECT_EQ(1, found) << "maps in levels/ named \"" << builtIn.name << "\"";
}

TEST(BuiltInLevel, HasItsPaletteCountsAndStart) {
    Picture level;
    ASSERT_TRUE(LoadPicture(IDB_LEVEL, &level));
    const std::map<int, Rgb> colours = {
        {1, {255, 0, 0}},      {2, {3, 171, 3}},      {3, {255, 0, 0}},    {64, {255, 255, 63}},
        {65, {255, 255, 255}}, {66, {255, 191, 127}}, {128, {91, 3, 211}}, {129, {128, 64, 0}}};
    // The other entries are the default palette every level starts from,
    // so the level tool prints the built-in level without colour lines.
    for (int i = 0; i < 256; ++i) {
        uint8_t r, g, b;
        LevelPaletteColour(i, &r, &g, &b);
        const Rgb want = colours.count(i) ? colours.at(i) : Rgb{r, g, b};
        EXPECT_EQ(level.table[i], want) << "palette entry " << i;
        EXPECT_EQ(level.table[i], (Rgb{r, g, b})) << "palette entry " << i;
    }
    const std::map<int, int> counts = {{1, 1753}, {2, 1},   {3, 14},     {64, 38},
                                       {65, 8},   {66, 14}, {128, 1704}, {129, 116}};
    std::map<int, int> seen;
    for (uint8_t i : level.index)
        ++seen[i];
    EXPECT_EQ(seen, counts);
    EXPECT_EQ(level.IndexAt(38, 35), 2) << "the player starts at (38, 35)";
    // The open ring outside the outer wall.
    for (int c = 0; c < 76; ++c)
        for (int r : {0, 1, 46, 47})
            EXPECT_EQ(level.IndexAt(c, r), 1) << c << "," << r;
}
