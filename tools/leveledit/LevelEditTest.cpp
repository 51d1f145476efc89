// The editor module's calls, as the page makes them.
#include "tools/leveledit/LevelEdit.h"
#include "app/MainFrame.h"
#include "app/PictureLists.h"
#include "gfx/Surface.h"
#include "platform/WholeFile.h"
#include "platform/headless/Headless.h"
#include "scene/LevelBitmap.h"
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

// Just enough of a JSON reader to hold EditCheck's answer to what the page's
// JSON.parse accepts: a raw control character, an unknown escape or a
// missing bracket fails the read. true reads as the number 1.
struct Json {
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;
    const Json& operator[](const char* name) const { return fields.at(name); }
};

bool ReadJson(const std::string& s, size_t& i, Json* v) {
    const auto eat = [&](char ch) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        return i < s.size() && s[i] == ch && ++i;
    };
    const auto string = [&](std::string* out) {
        for (; i < s.size() && s[i] != '"'; ++i) {
            if (static_cast<unsigned char>(s[i]) < 0x20)
                return false;
            const size_t k = s[i] == '\\' ? std::string("\"\\/bfnrtu").find(s[++i]) : 9;
            if (k == std::string::npos)
                return false;
            *out += k == 9  ? s[i]
                    : k < 8 ? "\"\\/\b\f\n\r\t"[k]
                            : char(std::stoi(s.substr(i + 1, 4), nullptr, 16));
            i += k == 8 ? 4 : 0;
        }
        return eat('"');
    };
    if (eat('"'))
        return string(&v->text);
    if (eat('{') || eat('[')) {
        const char close = s[i - 1] == '{' ? '}' : ']';
        if (eat(close))
            return true;
        do {
            std::string name;
            Json item;
            if ((close == '}' && !(eat('"') && string(&name) && eat(':'))) ||
                !ReadJson(s, i, &item))
                return false;
            close == '}' ? void(v->fields[name] = item) : v->items.push_back(item);
        } while (eat(','));
        return eat(close);
    }
    for (const char* word : {"true", "false"})
        if (s.compare(i, std::strlen(word), word) == 0)
            return v->number = word[0] == 't', i += std::strlen(word), true;
    size_t used = 0;
    v->number = std::stod(s.substr(i), &used);
    return i += used, true;
}

// The whole current grid as one value: sides, cells and colours.
std::vector<int> Current() {
    std::vector<int> all = {EditWidth(), EditHeight()};
    all.insert(all.end(), EditCells(), EditCells() + EditWidth() * EditHeight());
    all.insert(all.end(), EditColours(), EditColours() + 4 * EditColourCount());
    return all;
}

std::vector<uint8_t> Output(int size) {
    return std::vector<uint8_t>(EditOutput(), EditOutput() + size);
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    ReadWholeFile(path.c_str(), kMaxLevelFileBytes, &bytes, nullptr);
    return bytes;
}

} // namespace

TEST(LevelEdit, CheckAnswersInJsonThatNamesEachFailure) {
    // Two dots walled off in the east, an enemy three cells from the start.
    ASSERT_STREQ(
        "", EditReadText("#########\n#...#.###\n#...#o#o#\n#...#####\n#P..E...#\n#########\n"));
    Json check;
    size_t end = 0;
    const std::string text = EditCheck();
    ASSERT_TRUE(ReadJson(text, end, &check) && end == text.size()) << text;
    const double figures[] = {9, 6, 2, 0, 0, 1, 1, 1};
    const char* names[] = {"width", "height", "dots", "guns", "decorations", "enemies", "fits"};
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(figures[k], check[names[k]].number) << names[k];
    EXPECT_EQ(1, check["start"].items.at(0).number);
    EXPECT_EQ(4, check["start"].items.at(1).number);
    const struct {
        const char* text;
        int column, row;
    } named[] = {{"the dot at (5, 2) cannot be reached", 5, 2},
                 {"the dot at (7, 2) cannot be reached", 7, 2},
                 {"the enemy at (4, 4) starts 3 cells' walk", 4, 4}};
    const std::vector<Json>& failures = check["failures"].items;
    ASSERT_EQ(3u, failures.size()) << check["report"].text;
    for (size_t i = 0; i < failures.size(); ++i) {
        EXPECT_EQ(0u, failures[i]["text"].text.find(named[i].text)) << failures[i]["text"].text;
        const std::vector<Json>& cells = failures[i]["cells"].items;
        ASSERT_EQ(1u, cells.size()) << named[i].text;
        EXPECT_EQ(named[i].column, cells[0].items.at(0).number) << named[i].text;
        EXPECT_EQ(named[i].row, cells[0].items.at(1).number) << named[i].text;
        // The report is the tool's, every failure on its own line.
        EXPECT_NE(std::string::npos,
                  check["report"].text.find("fail: " + failures[i]["text"].text + "\n"));
    }
    EXPECT_NE(std::string::npos, check["report"].text.find("verdict: 3 problems\n"));
}

TEST(LevelEdit, CheckListsTheFirstProblemsAndCountsTheRest) {
    // 1,000 player starts (one problem that marks them all) and as many
    // walled-in dots: far more to list and mark than the page shows.
    uint8_t* cells = EditSetGrid(100, 40);
    ASSERT_NE(nullptr, cells);
    for (int i = 0; i < 4000; ++i)
        cells[i] = i % 4 == 1 ? CELL_START : i % 4 == 3 ? CELL_ITEM + ITEM_DOT : CELL_WALL;
    Json check;
    size_t end = 0;
    const std::string text = EditCheck();
    ASSERT_TRUE(ReadJson(text, end, &check) && end == text.size());
    const std::vector<Json>& failures = check["failures"].items;
    EXPECT_EQ(100u, failures.size());
    EXPECT_LT(1000, check["count"].number);
    size_t marked = 0;
    for (const Json& failure : failures)
        marked += failure["cells"].items.size();
    EXPECT_EQ(1000u, marked);
    EXPECT_NE(std::string::npos, check["report"].text.find(" more\n"));
}

TEST(LevelEdit, SavesTheLevelToolsBytesAndReadsThemBack) {
    int compared = 0;
    for (int n = 0; n < 100; ++n) {
        char name[8];
        std::snprintf(name, sizeof name, "QB%02d", n);
        const std::vector<uint8_t> map =
            FileBytes(std::string(QUIBBO_CAMPAIGN_MAPS) + "/" + name + ".txt");
        if (map.empty())
            break;
        ASSERT_STREQ("", EditReadText(std::string(map.begin(), map.end()).c_str())) << name;
        const std::vector<int> drawn = Current();
        const std::string level = EditName();
        EXPECT_NE("", level) << name << " has no name";
        // What `leveltool make` wrote for the build.
        const std::vector<uint8_t> made =
            FileBytes(std::string(QUIBBO_CAMPAIGN_LEVELS) + "/" + name + ".BMP");
        ASSERT_EQ(Output(EditMakeBitmap()), made) << name;
        // The file and the text map both give the same grid back.
        EditSetGrid(3, 3);
        ASSERT_STREQ("", EditReadBitmap(made.data(), int(made.size()))) << name;
        EXPECT_EQ(drawn, Current()) << name << " read from its file";
        EXPECT_EQ(level, EditName()) << name << " read from its file";
        const std::vector<uint8_t> text = Output(EditFormatText());
        EditSetGrid(3, 3);
        ASSERT_STREQ("", EditReadText(std::string(text.begin(), text.end()).c_str())) << name;
        EXPECT_EQ(drawn, Current()) << name << " read from its text";
        ++compared;
    }
    if (compared == 0)
        GTEST_SKIP() << "no campaign maps in " << QUIBBO_CAMPAIGN_MAPS;
    // Colours given out of order, one index twice (the last counts), one the
    // display would make see-through and one the default are kept as the
    // level file keeps them.
    EditSetGrid(2, 1)[1] = 200;
    const uint8_t given[] = {200, 1, 2, 3, 64, 9, 9, 9, 7, 250, 0, 0, 64, 4, 5, 6, 2, 3, 171, 3};
    std::copy(given, given + sizeof given, EditSetColours(5));
    const std::vector<int> kept = {2, 1, 1, 200, 64, 4, 5, 6, 200, 1, 2, 3};
    EXPECT_EQ(kept, Current());
    const std::vector<uint8_t> file = Output(EditMakeBitmap());
    EditSetGrid(1, 1);
    ASSERT_STREQ("", EditReadBitmap(file.data(), int(file.size())));
    EXPECT_EQ(kept, Current());
}

TEST(LevelEdit, KeepsTheNameTheEditorSetsAndSavesIt) {
    ASSERT_STREQ("", EditReadText("=name Old\n#####\n#P.o#\n#####\n"));
    EXPECT_STREQ("Old", EditName());
    // The page pushes its grid before every call: the name stays.
    EditSetGrid(5, 3);
    EXPECT_STREQ("Old", EditName());
    EXPECT_STREQ("", EditSetName("  New name\t"));
    EXPECT_STREQ("New name", EditName());
    for (const char* bad : {"Two\nlines", "Caf\xc3\xa9", "Longer than the screen holds"}) {
        EXPECT_STRNE("", EditSetName(bad)) << bad;
        EXPECT_STREQ("New name", EditName());
    }
    // In the file, the text and the link's body; gone once set to nothing.
    const std::vector<uint8_t> file = Output(EditMakeBitmap());
    const std::vector<uint8_t> text = Output(EditFormatText());
    EXPECT_EQ(0u, std::string(text.begin(), text.end()).find("=name New name\n"));
    const std::vector<uint8_t> body = Output(EditCodeBody());
    EXPECT_STREQ("", EditSetName(""));
    ASSERT_STREQ("", EditReadBitmap(file.data(), int(file.size())));
    EXPECT_STREQ("New name", EditName());
    EXPECT_STREQ("", EditSetName(nullptr));
    ASSERT_STREQ("", EditReadCodeBody(body.data(), int(body.size())));
    EXPECT_STREQ("New name", EditName());
    EXPECT_STREQ("", EditSetName(""));
    const std::vector<uint8_t> unnamed = Output(EditFormatText());
    EXPECT_EQ(std::string::npos, std::string(unnamed.begin(), unnamed.end()).find("=name"));
}

TEST(LevelEdit, RefusedInputLeavesTheGridAsItWas) {
    ASSERT_STREQ("", EditReadText("=q 9 10 20 30\n#####\n#P.q#\n#oEG#\n#####\n"));
    const std::vector<int> before = Current();
    EXPECT_EQ(nullptr, EditSetGrid(0, 4));
    EXPECT_EQ(nullptr, EditSetGrid(5, EditMaxSide() + 1));
    EXPECT_EQ(nullptr, EditSetColours(257));
    EXPECT_EQ(before, Current());

    const std::vector<uint8_t> file = Output(EditMakeBitmap());
    std::vector<uint8_t> cut(file.begin(), file.end() - 10), deep = file, wide = file;
    deep[28] = 24;                    // bits per pixel
    wide[18] = 0x01, wide[19] = 0x10; // 4097 wide
    for (const std::vector<uint8_t>& bad :
         {cut, deep, wide, std::vector<uint8_t>{'B', 'M', 0, 0}}) {
        EXPECT_STRNE("", EditReadBitmap(bad.data(), int(bad.size())));
        EXPECT_EQ(before, Current()) << bad.size() << " bytes";
    }
    for (const char* text : {"", "#####\n#P.#\n", "#####\n#P.x#\n", "=q 9 250 0 0\n#q#\n"}) {
        EXPECT_STRNE("", EditReadText(text));
        EXPECT_EQ(before, Current()) << text;
    }

    // The page deflates a link's body; whatever bytes it makes go through
    // the code unchanged, from the code alone or from a whole link.
    std::vector<uint8_t> body = Output(EditCodeBody());
    EXPECT_LE(double(body.size()), EditMaxCodeBodyBytes());
    const std::string code = EditMakeLinkCode(body.data(), int(body.size()));
    ASSERT_STREQ("", EditReadLinkCode(("http://127.0.0.1:8000/#level=" + code).c_str()));
    EXPECT_EQ(body, Output(EditOutputSize()));
    EXPECT_STREQ("", EditReadLinkCode(code.c_str()));
    EXPECT_STRNE("", EditReadLinkCode((code + "*").c_str()));
    EXPECT_STRNE("", EditReadLinkCode(("7" + code.substr(1)).c_str()));
    EditSetGrid(2, 2);
    ASSERT_STREQ("", EditReadCodeBody(body.data(), int(body.size())));
    EXPECT_EQ(before, Current());
    body[12] ^= 1; // a cell
    EXPECT_STRNE("", EditReadCodeBody(body.data(), int(body.size())));
    EXPECT_STRNE("", EditReadCodeBody(body.data(), int(body.size()) - 1));
    EXPECT_EQ(before, Current());
}

TEST(LevelEdit, SwatchesShowTheGamesPictures) {
    ASSERT_TRUE(HeadlessReset());
    LoadSharedPictures();
    EditSetGrid(1, 1);
    // Compared as the display holds colours: through a surface of its format.
    CSurface pixel;
    ASSERT_TRUE(pixel.Create(1, 1));
    const int size = 48;
    const auto shown = [&](const uint8_t* rgba, int x, int y) {
        const uint8_t* p = rgba + 4 * (size_t(y) * size + x);
        pixel.SetPixel(0, 0, uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
        return p[3] == 255 ? pixel.GetPixel(0, 0) : 1;
    };
    for (int type = 0; type < 5; ++type) {
        const CSurface& texture = *g_wallTextures[2 * type];
        const uint8_t* swatch = EditSwatch(CELL_WALL + type, size);
        ASSERT_NE(nullptr, swatch);
        for (int k = 0; k < size; k += 7)
            EXPECT_EQ(
                texture.GetPixel(k * texture.width / size, (size - 1 - k) * texture.height / size),
                shown(swatch, k, size - 1 - k))
                << "wall type " << type << " at " << k;
    }
    // An item stands on the floor: its picture in the middle, the corridor's
    // colour in the corner, where the picture (taller than wide) is not.
    const uint8_t* floor = EditSwatch(CELL_CORRIDOR, 1);
    const std::vector<uint8_t> corridor(floor, floor + 4);
    const uint8_t* dot = EditSwatch(CELL_ITEM + ITEM_DOT, size);
    const CSurface& picture = *g_itemImages[ITEM_DOT];
    const int wide = picture.width * size / picture.height, left = (size - wide) / 2;
    EXPECT_EQ(picture.GetPixel((size / 2 - left) * picture.width / wide, picture.height / 2),
              shown(dot, size / 2, size / 2));
    EXPECT_EQ(std::vector<uint8_t>(dot, dot + 4), corridor);
    // The see-through red has stand-ins; the player start keeps its green.
    for (const auto& flat :
         {std::vector<int>{CELL_ENEMY_FIRST, 224, 48, 160}, {CELL_START, 3, 171, 3}}) {
        const uint8_t* swatch = EditSwatch(flat[0], 1);
        EXPECT_EQ(std::vector<int>(flat.begin() + 1, flat.end()),
                  std::vector<int>(swatch, swatch + 3));
    }
    EXPECT_NE(255, corridor[0]);
    EXPECT_EQ(nullptr, EditSwatch(256, size));
    EXPECT_EQ(nullptr, EditSwatch(CELL_WALL, 0));
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
}
