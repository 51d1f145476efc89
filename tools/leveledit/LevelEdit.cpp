#include "tools/leveledit/LevelEdit.h"
#include "gfx/Dib.h"
#include "platform/LinkCode.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelCheck.h"
#include "scene/LevelCode.h"
#include "scene/LevelText.h"
#include "tools/leveledit/LevelSwatch.h"
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

static_assert(sizeof(LevelColour) == 4, "EditColours hands out the colours as bytes");

namespace {

const int kMaxColours = 256;
// What the editor's check hands out: the first problems and the cells to
// mark, however many the map has (a random map has one every few cells).
const size_t kListedProblems = 100;
const size_t kMarkedCells = 1000;

struct EditState {
    LevelGrid grid;
    std::vector<uint8_t> output;
    std::string error;
    std::string text; // the last string handed out
    std::vector<uint8_t> swatch;
    EditState() {
        // Every call has a grid to work on, even before the first is set.
        grid.width = grid.height = 1;
        grid.cells.assign(1, CELL_CORRIDOR);
        // The colours' storage never moves: EditSetColours hands it out.
        grid.colours.reserve(kMaxColours);
    }
};

EditState& State() {
    static EditState state;
    return state;
}

// The colours as the game would read them back from the grid's level file.
void SettleColours(LevelGrid* grid) {
    std::vector<LevelColour>& colours = grid->colours;
    std::stable_sort(colours.begin(), colours.end(),
                     [](const LevelColour& a, const LevelColour& b) { return a.index < b.index; });
    std::vector<LevelColour> kept;
    for (size_t i = 0; i < colours.size(); ++i) {
        const LevelColour& c = colours[i];
        if (i + 1 < colours.size() && colours[i + 1].index == c.index)
            continue; // a later colour for the same index wins
        uint8_t red, green, blue;
        LevelPaletteColour(c.index, &red, &green, &blue);
        if (IsNearColourKey(c.red, c.green, c.blue) ||
            (c.red == red && c.green == green && c.blue == blue))
            continue;
        kept.push_back(c);
    }
    colours.assign(kept.begin(), kept.end()); // keeps the reserved storage
}

// Makes `grid` the current one, keeping the colours' storage in place.
void Replace(LevelGrid& grid) {
    LevelGrid& current = State().grid;
    current.width = grid.width;
    current.height = grid.height;
    current.cells.swap(grid.cells);
    current.colours.assign(grid.colours.begin(), grid.colours.end());
    current.name = grid.name;
    SettleColours(&current);
}

const char* Hand(const std::string& text) {
    State().text = text;
    return State().text.c_str();
}

const LevelGrid& Grid() {
    SettleColours(&State().grid);
    return State().grid;
}

void JsonString(std::string* out, const std::string& text) {
    *out += '"';
    for (const char ch : text) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            *out += '\\';
            *out += ch;
        } else if (ch == '\n') {
            *out += "\\n";
        } else if (u < 0x20 || u == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            *out += escaped;
        } else {
            *out += ch;
        }
    }
    *out += '"';
}

void JsonCell(std::string* out, LevelCell cell) {
    *out += "[" + std::to_string(cell.column) + "," + std::to_string(cell.row) + "]";
}

void JsonField(std::string* out, const char* name, long long value) {
    *out += std::string("\"") + name + "\":" + std::to_string(value) + ",";
}

} // namespace

extern "C" {

uint8_t* EditSetGrid(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxLevelSide || height > kMaxLevelSide)
        return nullptr;
    LevelGrid& grid = State().grid;
    grid.width = width;
    grid.height = height;
    grid.cells.assign(size_t(width) * size_t(height), CELL_CORRIDOR);
    grid.colours.clear();
    return grid.cells.data();
}

const char* EditName() {
    return Hand(State().grid.name);
}

const char* EditSetName(const char* name) {
    // Anything a name may not hold is refused rather than dropped, so the
    // editor shows the name it keeps.
    std::string text;
    if (!TrimLevelName(name ? name : "", &text))
        return Hand("a level's name is at most " + std::to_string(kMaxLevelNameChars) +
                    " printable ASCII characters");
    State().grid.name = text;
    return Hand("");
}

uint8_t* EditSetColours(int count) {
    if (count < 0 || count > kMaxColours)
        return nullptr;
    std::vector<LevelColour>& colours = State().grid.colours;
    colours.assign(size_t(count), LevelColour{0, 0, 0, 0});
    return reinterpret_cast<uint8_t*>(colours.data());
}

int EditWidth() {
    return State().grid.width;
}

int EditHeight() {
    return State().grid.height;
}

uint8_t* EditCells() {
    return State().grid.cells.data();
}

int EditColourCount() {
    return static_cast<int>(Grid().colours.size());
}

uint8_t* EditColours() {
    SettleColours(&State().grid);
    return reinterpret_cast<uint8_t*>(State().grid.colours.data());
}

const char* EditCheck() {
    const LevelCheck check = CheckLevel(Grid(), kListedProblems);
    std::string json = "{";
    JsonField(&json, "width", check.width);
    JsonField(&json, "height", check.height);
    JsonField(&json, "dots", check.dots);
    JsonField(&json, "guns", check.guns);
    JsonField(&json, "decorations", check.decorations);
    JsonField(&json, "enemies", check.enemies);
    json += "\"start\":";
    JsonCell(&json, check.start);
    json += std::string(",\"fits\":") + (check.fitsBudget ? "true" : "false") + ",\"budget\":";
    JsonString(&json, check.budget);
    json += ",";
    JsonField(&json, "tour", check.tour.length);
    JsonField(&json, "count", static_cast<long long>(check.failureCount));
    json += "\"failures\":[";
    size_t marks = kMarkedCells;
    for (size_t i = 0; i < check.failures.size(); ++i) {
        json += i ? ",{\"text\":" : "{\"text\":";
        JsonString(&json, check.failures[i].text);
        json += ",\"cells\":[";
        const size_t cells = std::min(marks, check.failures[i].cells.size());
        marks -= cells;
        for (size_t k = 0; k < cells; ++k) {
            json += k ? "," : "";
            JsonCell(&json, check.failures[i].cells[k]);
        }
        json += "]}";
    }
    json += "],\"report\":";
    JsonString(&json, FormatLevelCheck(check));
    json += "}";
    return Hand(json);
}

int EditMakeBitmap() {
    State().output = MakeLevelBitmap(Grid());
    return static_cast<int>(State().output.size());
}

int EditFormatText() {
    std::string text;
    if (!FormatLevelText(Grid(), &text, &State().error)) {
        State().output.clear();
        return -1;
    }
    State().output.assign(text.begin(), text.end());
    return static_cast<int>(text.size());
}

uint8_t* EditOutput() {
    return State().output.data();
}

int EditOutputSize() {
    return static_cast<int>(State().output.size());
}

const char* EditError() {
    return State().error.c_str();
}

const char* EditReadBitmap(const uint8_t* bytes, int size) {
    const uint8_t* info = nullptr;
    size_t infoSize = 0;
    std::string why;
    LevelGrid grid;
    if (!bytes || size < 0)
        return Hand("there is no file");
    if (uint64_t(size) > kMaxLevelFileBytes)
        return Hand("the file is larger than the " + std::to_string(kMaxLevelFileBytes) +
                    " bytes a level may have");
    if (!FindBmpInfoHeader(bytes, size_t(size), &info, &infoSize, &why) ||
        !ReadLevelDib(info, infoSize, &grid, &why))
        return Hand(why);
    Replace(grid);
    return Hand("");
}

const char* EditReadText(const char* text) {
    LevelGrid grid;
    std::string why;
    if (!ParseLevelText(text ? text : "", &grid, &why))
        return Hand(why);
    Replace(grid);
    return Hand("");
}

int EditCodeBody() {
    EditState& state = State();
    if (!MakeLevelCodeBody(Grid(), &state.output, &state.error))
        return -1;
    return static_cast<int>(state.output.size());
}

const char* EditReadCodeBody(const uint8_t* body, int size) {
    LevelGrid grid;
    std::string why;
    if (!body || size < 0)
        return Hand("there is no level in the link");
    if (!ReadLevelCodeBody(body, size_t(size), &grid, &why))
        return Hand(why);
    Replace(grid);
    return Hand("");
}

const char* EditReadLinkCode(const char* code) {
    std::string why;
    if (!ReadLinkCode(LevelCodeOfLink(code ? code : ""), kLevelCodeFormat, &State().output, &why))
        return Hand(why);
    return Hand("");
}

const char* EditMakeLinkCode(const uint8_t* deflated, int size) {
    return Hand(MakeLinkCode(kLevelCodeFormat, deflated, deflated && size > 0 ? size_t(size) : 0));
}

double EditMaxCodeBodyBytes() {
    return static_cast<double>(kMaxLevelCodeBodyBytes);
}

uint8_t* EditSwatch(int cell, int size) {
    if (cell < 0 || cell > 255 ||
        !MakeCellSwatch(static_cast<uint8_t>(cell), size, Grid(), &State().swatch))
        return nullptr;
    return State().swatch.data();
}

int EditMaxSide() {
    return kMaxLevelSide;
}

} // extern "C"
