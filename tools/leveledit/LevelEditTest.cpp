// The editor module's calls, as the page makes them.
#include "tools/leveledit/LevelEdit.h"
#include "app/MainFrame.h"
#include "app/PictureLists.h"
#include "gfx/Surface.h"
#include "platform/WholeFile.h"
#include "platform/headless/Headless.h"
#include "scene/LevelBitmap.h"
#include <gtest/gtest.h>
#include <dirent.h>
#include <map>
#include <string>
#include <vector>

namespace {

// Just enough of a JSON reader to hold EditCheck's answer to what the page's
// JSON.parse accepts: anything else (a raw control character, a bad escape,
// text after the value) fails the read.
struct Json {
    char kind = 0; // one of n b d s [ {
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;
    const Json& operator[](const char* name) const { return fields.at(name); }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : m_s(text) {}
    bool Read(Json* value) { return Value(value) && (Space(), m_i == m_s.size()); }

private:
    void Space() {
        while (m_i < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_i])))
            ++m_i;
    }
    bool Eat(char ch) {
        Space();
        return m_i < m_s.size() && m_s[m_i] == ch && (++m_i, true);
    }
    bool Word(const char* word, Json* value, char kind) {
        const std::string w(word);
        if (m_s.compare(m_i, w.size(), w) != 0)
            return false;
        m_i += w.size();
        value->kind = kind;
        value->number = w == "true";
        return true;
    }
    bool String(std::string* out) {
        if (!Eat('"'))
            return false;
        while (m_i < m_s.size() && m_s[m_i] != '"') {
            const unsigned char ch = static_cast<unsigned char>(m_s[m_i++]);
            if (ch < 0x20)
                return false;
            if (ch != '\\') {
                *out += char(ch);
                continue;
            }
            if (m_i >= m_s.size())
                return false;
            const char e = m_s[m_i++];
            const std::string from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
            if (e == 'u' && m_i + 4 <= m_s.size()) {
                *out += char(std::stoi(m_s.substr(m_i, 4), nullptr, 16)); // ASCII here
                m_i += 4;
            } else if (from.find(e) != std::string::npos) {
                *out += to[from.find(e)];
            } else {
                return false;
            }
        }
        return Eat('"');
    }
    bool Value(Json* value) {
        Space();
        if (m_i >= m_s.size())
            return false;
        const char ch = m_s[m_i];
        if (ch == '"')
            return value->kind = 's', String(&value->text);
        if (ch == 't' || ch == 'f')
            return Word(ch == 't' ? "true" : "false", value, 'b');
        if (ch == 'n')
            return Word("null", value, 'n');
        if (ch == '[' || ch == '{') {
            value->kind = ch;
            ++m_i;
            if (Eat(ch == '[' ? ']' : '}'))
                return true;
            do {
                std::string name;
                if (ch == '{' && !(String(&name) && Eat(':')))
                    return false;
                Json item;
                if (!Value(&item))
                    return false;
                if (ch == '[')
                    value->items.push_back(item);
                else
                    value->fields[name] = item;
            } while (Eat(','));
            return Eat(ch == '[' ? ']' : '}');
        }
        size_t used = 0;
        value->kind = 'd';
        value->number = std::stod(m_s.substr(m_i), &used);
        m_i += used;
        return used > 0;
    }
    const std::string& m_s;
    size_t m_i = 0;
};

struct Snapshot {
    int width, height;
    std::vector<uint8_t> cells, colours;
};

Snapshot Current() {
    const size_t cells = size_t(EditWidth()) * size_t(EditHeight());
    const int colours = EditColourCount();
    return {EditWidth(), EditHeight(), std::vector<uint8_t>(EditCells(), EditCells() + cells),
            std::vector<uint8_t>(EditColours(), EditColours() + 4 * colours)};
}

void ExpectSame(const Snapshot& a, const Snapshot& b, const std::string& what) {
    EXPECT_EQ(a.width, b.width) << what;
    EXPECT_EQ(a.height, b.height) << what;
    EXPECT_EQ(a.cells, b.cells) << what;
    EXPECT_EQ(a.colours, b.colours) << what;
}

std::vector<std::string> CampaignMaps() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(QUIBBO_CAMPAIGN_MAPS)) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 6 && name.compare(0, 2, "QB") == 0 &&
                name.compare(name.size() - 4, 4, ".txt") == 0)
                names.push_back(name.substr(0, name.size() - 4));
        }
        closedir(dir);
    }
    return names;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path.c_str(), kMaxLevelFileBytes, &bytes, nullptr)) << path;
    return bytes;
}

} // namespace

TEST(LevelEdit, CheckAnswersInJsonThatNamesEachFailure) {
    // A dot walled off in the east, an enemy four cells from the start.
    ASSERT_STREQ("", EditReadText("#########\n"
                                  "#...#.###\n"
                                  "#...#o#o#\n"
                                  "#...#####\n"
                                  "#P..E...#\n"
                                  "#########\n"));
    Json check;
    const std::string text = EditCheck();
    ASSERT_TRUE(JsonReader(text).Read(&check)) << text;
    EXPECT_EQ(9, check["width"].number);
    EXPECT_EQ(6, check["height"].number);
    EXPECT_EQ(2, check["dots"].number);
    EXPECT_EQ(1, check["enemies"].number);
    EXPECT_EQ(1, check["start"].items[0].number);
    EXPECT_EQ(4, check["start"].items[1].number);
    EXPECT_EQ('b', check["fits"].kind);
    EXPECT_EQ("", check["budget"].text);
    const std::vector<Json>& failures = check["failures"].items;
    ASSERT_EQ(3u, failures.size()) << check["report"].text;
    EXPECT_EQ("the dot at (5, 2) cannot be reached from the start", failures[0]["text"].text);
    // Each failure carries the cells the editor marks.
    const std::vector<Json>& marked = failures[0]["cells"].items;
    ASSERT_EQ(1u, marked.size());
    EXPECT_EQ(5, marked[0].items[0].number);
    EXPECT_EQ(2, marked[0].items[1].number);
    EXPECT_NE(std::string::npos, failures[2]["text"].text.find("the enemy at (4, 4) starts 3"));
    // The report is the tool's, every failure on its own line.
    const std::string& report = check["report"].text;
    for (const Json& failure : failures)
        EXPECT_NE(std::string::npos, report.find("fail: " + failure["text"].text + "\n"));
    EXPECT_NE(std::string::npos, report.find("verdict: 3 problems\n")) << report;
}

TEST(LevelEdit, SavesTheLevelToolsBytesAndReadsThemBack) {
    const std::vector<std::string> maps = CampaignMaps();
    if (maps.empty())
        GTEST_SKIP() << "no campaign maps in " << QUIBBO_CAMPAIGN_MAPS;
    for (const std::string& name : maps) {
        const std::vector<uint8_t> map = FileBytes(std::string(QUIBBO_CAMPAIGN_MAPS) + "/" + name + ".txt");
        ASSERT_STREQ("", EditReadText(std::string(map.begin(), map.end()).c_str())) << name;
        const Snapshot drawn = Current();
        // What `leveltool make` wrote for the build.
        const std::vector<uint8_t> made =
            FileBytes(std::string(QUIBBO_CAMPAIGN_LEVELS) + "/" + name + ".BMP");
        const int size = EditMakeBitmap();
        ASSERT_EQ(std::vector<uint8_t>(EditOutput(), EditOutput() + size), made) << name;
        // The file and the text map both give the same grid back.
        EditSetGrid(3, 3);
        ASSERT_STREQ("", EditReadBitmap(made.data(), int(made.size()))) << name;
        ExpectSame(drawn, Current(), name + " read from its file");
        const int length = EditFormatText();
        ASSERT_GT(length, 0) << EditError();
        const std::string text(EditOutput(), EditOutput() + length);
        EditSetGrid(3, 3);
        ASSERT_STREQ("", EditReadText(text.c_str())) << name;
        ExpectSame(drawn, Current(), name + " read from its text");
    }
}

TEST(LevelEdit, ColoursAreKeptAsTheLevelFileHasThem) {
    uint8_t* cells = EditSetGrid(2, 1);
    cells[0] = 64, cells[1] = 200;
    // Out of order, one index twice (the last counts), one the display
    // would make see-through, one the default.
    const uint8_t given[] = {200, 1, 2, 3, 64, 9, 9, 9, 7, 250, 0, 0, 64, 4, 5, 6, 2, 3, 171, 3};
    std::copy(given, given + sizeof given, EditSetColours(5));
    ASSERT_EQ(2, EditColourCount());
    const std::vector<uint8_t> kept = {64, 4, 5, 6, 200, 1, 2, 3};
    EXPECT_EQ(kept, std::vector<uint8_t>(EditColours(), EditColours() + 8));
    const int size = EditMakeBitmap();
    const std::vector<uint8_t> file(EditOutput(), EditOutput() + size);
    EditSetGrid(1, 1);
    ASSERT_STREQ("", EditReadBitmap(file.data(), size));
    EXPECT_EQ(kept, std::vector<uint8_t>(EditColours(), EditColours() + 4 * EditColourCount()));
}

TEST(LevelEdit, RefusedInputLeavesTheGridAsItWas) {
    ASSERT_STREQ("", EditReadText("=q 9 10 20 30\n#####\n#P.q#\n#####\n"));
    const Snapshot before = Current();
    ASSERT_EQ(1, EditColourCount());
    const int size = EditMakeBitmap();
    std::vector<uint8_t> file(EditOutput(), EditOutput() + size);

    EXPECT_EQ(nullptr, EditSetGrid(0, 4));
    EXPECT_EQ(nullptr, EditSetGrid(5, EditMaxSide() + 1));
    EXPECT_EQ(nullptr, EditSetColours(257));
    ExpectSame(before, Current(), "a bad size");

    std::vector<uint8_t> cut(file.begin(), file.end() - 10), deep = file, wide = file;
    deep[28] = 24;                                          // bits per pixel
    wide[18] = 0x01, wide[19] = 0x10;                       // 4097 wide
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } files[] = {{"cut short", cut},
                 {"24 bits", deep},
                 {"too wide", wide},
                 {"no header", {'B', 'M', 0, 0}},
                 {"not a bitmap", {'P', 'K', 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}}};
    for (const auto& bad : files) {
        EXPECT_STRNE("", EditReadBitmap(bad.bytes.data(), int(bad.bytes.size()))) << bad.what;
        ExpectSame(before, Current(), bad.what);
    }
    for (const char* text : {"", "#####\n#P.#\n", "#####\n#P.x#\n", "=q 9 250 0 0\n#q#\n"}) {
        EXPECT_STRNE("", EditReadText(text)) << text;
        ExpectSame(before, Current(), text);
    }
}

TEST(LevelEdit, LinksCarryTheGridAndRefuseChangedOnes) {
    ASSERT_STREQ("", EditReadText("=q 9 10 20 30\n#####\n#P.q#\n#oEG#\n#####\n"));
    const Snapshot drawn = Current();
    const int size = EditCodeBody();
    ASSERT_GT(size, 0) << EditError();
    std::vector<uint8_t> body(EditOutput(), EditOutput() + size);
    // The page deflates the body; whatever bytes it makes go through the
    // code unchanged, from the code alone or from a whole link.
    const std::string code = EditMakeLinkCode(body.data(), size);
    EXPECT_EQ('1', code[0]);
    ASSERT_STREQ("", EditReadLinkCode(("http://127.0.0.1:8000/#level=" + code).c_str()));
    EXPECT_EQ(body, std::vector<uint8_t>(EditOutput(), EditOutput() + EditOutputSize()));
    EXPECT_STREQ("", EditReadLinkCode(code.c_str()));
    EXPECT_STRNE("", EditReadLinkCode((code + "*").c_str()));
    EXPECT_STRNE("", EditReadLinkCode(("7" + code.substr(1)).c_str()));
    EditSetGrid(2, 2);
    ASSERT_STREQ("", EditReadCodeBody(body.data(), size));
    ExpectSame(drawn, Current(), "from its body");
    body[12] ^= 1; // a cell
    EXPECT_STRNE("", EditReadCodeBody(body.data(), size));
    EXPECT_STRNE("", EditReadCodeBody(body.data(), size - 1));
    ExpectSame(drawn, Current(), "a changed body");
    EXPECT_LE(double(size), EditMaxCodeBodyBytes());
}

TEST(LevelEdit, SwatchesShowTheGamesPictures) {
    ASSERT_TRUE(HeadlessReset());
    LoadSharedPictures();
    EditSetGrid(1, 1);
    // Compared as the display holds colours: through a surface of its format.
    CSurface pixel;
    ASSERT_TRUE(pixel.Create(1, 1));
    const auto shown = [&](const uint8_t* rgba, int size, int x, int y) {
        const uint8_t* p = rgba + 4 * (size_t(y) * size + x);
        EXPECT_EQ(255, p[3]);
        pixel.SetPixel(0, 0, uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
        return pixel.GetPixel(0, 0);
    };
    const int size = 48;
    for (int type = 0; type < 5; ++type) {
        const CSurface& texture = *g_wallTextures[2 * type];
        const uint8_t* swatch = EditSwatch(CELL_WALL + type, size);
        ASSERT_NE(nullptr, swatch);
        for (int k = 0; k < size; k += 7)
            EXPECT_EQ(texture.GetPixel(k * texture.width / size, (size - 1 - k) * texture.height / size),
                      shown(swatch, size, k, size - 1 - k))
                << "wall type " << type << " at " << k;
    }
    // An item stands on the floor: its picture's middle, and the corridor's
    // colour in the corner where the picture is see-through.
    const uint8_t* floor = EditSwatch(CELL_CORRIDOR, size);
    const std::vector<uint8_t> corridor(floor, floor + 4);
    const uint8_t* dot = EditSwatch(CELL_ITEM + ITEM_DOT, size);
    const CSurface& picture = *g_itemImages[ITEM_DOT];
    const int middle = size / 2, left = (size - picture.width * size / picture.height) / 2;
    EXPECT_EQ(picture.GetPixel((middle - left) * picture.width / (size - 2 * left), picture.height / 2),
              shown(dot, size, middle, middle));
    EXPECT_EQ(std::vector<uint8_t>(dot, dot + 4), corridor);
    // The see-through red has stand-ins; the player start keeps its green.
    const uint8_t* enemy = EditSwatch(CELL_ENEMY_FIRST, 1);
    EXPECT_EQ(std::vector<uint8_t>({224, 48, 160, 255}), std::vector<uint8_t>(enemy, enemy + 4));
    EXPECT_NE(255, corridor[0]);
    const uint8_t* start = EditSwatch(CELL_START, 1);
    EXPECT_EQ(std::vector<uint8_t>({3, 171, 3, 255}), std::vector<uint8_t>(start, start + 4));
    EXPECT_EQ(nullptr, EditSwatch(256, size));
    EXPECT_EQ(nullptr, EditSwatch(CELL_WALL, 0));
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
}
