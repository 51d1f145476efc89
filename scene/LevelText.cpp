#include "scene/LevelText.h"
#include "platform/Numbers.h"
#include <cstdio>
#include <string_view>

namespace {

struct LegendEntry {
    char ch;
    uint8_t cell;
};

const LegendEntry kLegend[] = {
    {'.', 1},   {'P', 2},   {'E', 3},   {'o', 64},  {'G', 65},  {'B', 66}, {'C', 67},  {'L', 68},
    {'#', 128}, {'X', 129}, {'Y', 130}, {'Z', 131}, {'H', 132}, {'_', 0},  {',', 192},
};

// Characters handed to bytes the legend lacks, in this order. ';' and '='
// would start a comment or a definition at the start of a row, and blanks
// would vanish in editors, so none of them is ever used.
bool IsFreeChar(char ch) {
    if (ch <= ' ' || ch > '~' || ch == ';' || ch == '=')
        return false;
    uint8_t cell;
    return !LegendCellForChar(ch, &cell);
}

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// Splits the blank-separated numbers after a definition's character into
// `values`. Returns how many there are (at most 4; more count as 5), or -1
// when one is not a number from 0 to 255.
int SplitNumbers(const char* p, int64_t values[4]) {
    int count = 0;
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (!*p)
            return count;
        const char* start = p;
        while (*p && *p != ' ' && *p != '\t')
            ++p;
        if (count == 4)
            return 5;
        if (!ParseInteger(std::string_view(start, size_t(p - start)), 0, 255, &values[count]))
            return -1;
        ++count;
    }
}

std::string LineRef(int line) {
    return "line " + std::to_string(line) + ": ";
}

} // namespace

char LegendCharForCell(uint8_t cell) {
    for (const LegendEntry& e : kLegend)
        if (e.cell == cell)
            return e.ch;
    return 0;
}

bool LegendCellForChar(char ch, uint8_t* cell) {
    for (const LegendEntry& e : kLegend)
        if (e.ch == ch) {
            *cell = e.cell;
            return true;
        }
    return false;
}

bool ParseLevelText(const std::string& text, LevelGrid* grid, std::string* error) {
    int16_t defined[256];
    for (int i = 0; i < 256; ++i) {
        uint8_t cell;
        defined[i] = LegendCellForChar(static_cast<char>(i), &cell) ? cell : -1;
    }
    LevelColour colours[256];
    bool coloured[256] = {};
    LevelGrid result;
    std::string why;
    size_t pos = 0;
    int lineNo = 0;
    while (pos <= text.size() && why.empty()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line.compare(0, 6, "=name ") == 0 || line.compare(0, 6, "=name\t") == 0) {
            std::string name;
            if (!TrimLevelName(line.substr(6), &name) || name.empty()) {
                why = LineRef(lineNo) + "a level's name is 1 to " +
                      std::to_string(kMaxLevelNameChars) + " printable ASCII characters";
                break;
            }
            result.name = name;
            continue;
        }
        if (line[0] == '=') {
            // "=C N" or "=C N R G B"
            const char* p = line.c_str() + 1;
            const unsigned char ch = static_cast<unsigned char>(*p);
            if (ch <= ' ') {
                why = LineRef(lineNo) + "a definition needs a character right after '='";
                break;
            }
            ++p;
            if (*p != ' ' && *p != '\t') {
                why = LineRef(lineNo) + "write a definition as \"=C N\"";
                break;
            }
            int64_t values[4];
            const int count = SplitNumbers(p, values);
            if (count != 1 && count != 4) {
                why = LineRef(lineNo) + (count < 0
                                             ? "a definition's numbers must each be from 0 to 255"
                                             : "write a definition as \"=C N\" or \"=C N R G B\"");
                break;
            }
            defined[ch] = static_cast<int16_t>(values[0]);
            if (count == 4) {
                if (IsNearColourKey(int(values[1]), int(values[2]), int(values[3]))) {
                    why = LineRef(lineNo) +
                          "this colour is so near the see-through red (255 0 0) that the "
                          "minimap would leave it out: give it some green or blue";
                    break;
                }
                colours[values[0]] = {
                    static_cast<uint8_t>(values[0]), static_cast<uint8_t>(values[1]),
                    static_cast<uint8_t>(values[2]), static_cast<uint8_t>(values[3])};
                coloured[values[0]] = true;
            }
            continue;
        }
        if (result.height == 0) {
            result.width = static_cast<int>(line.size());
            if (result.width > kMaxLevelSide) {
                why = LineRef(lineNo) + "a row may have at most " + std::to_string(kMaxLevelSide) +
                      " cells";
                break;
            }
        } else if (static_cast<int>(line.size()) != result.width) {
            why = LineRef(lineNo) + "this row has " + std::to_string(line.size()) +
                  " cells, the first row " + std::to_string(result.width);
            break;
        }
        if (result.height == kMaxLevelSide) {
            why = LineRef(lineNo) + "a map may have at most " + std::to_string(kMaxLevelSide) +
                  " rows";
            break;
        }
        for (size_t c = 0; c < line.size(); ++c) {
            const int16_t cell = defined[static_cast<unsigned char>(line[c])];
            if (cell < 0) {
                why = LineRef(lineNo) + "column " + std::to_string(c) + ": '" +
                      std::string(1, line[c]) + "' is not in the legend";
                break;
            }
            result.cells.push_back(static_cast<uint8_t>(cell));
        }
        ++result.height;
    }
    if (why.empty() && result.height == 0)
        why = "the text holds no map rows";
    if (!why.empty()) {
        if (error)
            *error = why;
        return false;
    }
    for (int i = 0; i < 256; ++i) {
        uint8_t red, green, blue;
        LevelPaletteColour(i, &red, &green, &blue);
        const LevelColour& c = colours[i];
        if (coloured[i] && (c.red != red || c.green != green || c.blue != blue))
            result.colours.push_back(c);
    }
    *grid = std::move(result);
    if (error)
        error->clear();
    return true;
}

bool FormatLevelText(const LevelGrid& grid, std::string* text, std::string* error) {
    char chars[256];
    bool used[256] = {};
    for (uint8_t cell : grid.cells)
        used[cell] = true;
    const LevelColour* colour[256] = {};
    for (const LevelColour& c : grid.colours)
        colour[c.index] = &c;
    bool taken[128] = {};
    int nextFree = '!';
    for (int b = 0; b < 256; ++b) {
        chars[b] = LegendCharForCell(static_cast<uint8_t>(b));
        if (!used[b])
            continue;
        if (!chars[b]) {
            while (nextFree <= '~' && !IsFreeChar(static_cast<char>(nextFree)))
                ++nextFree;
            if (nextFree > '~') {
                if (error)
                    *error = "the level uses more distinct cell values than there are characters";
                return false;
            }
            chars[b] = static_cast<char>(nextFree++);
        }
        taken[static_cast<unsigned char>(chars[b])] = true;
    }
    // Colours of bytes no cell uses still need a character to stand on: one
    // the rows do not use, a free one first. When every character is taken,
    // the one borrowed is defined again for its own byte afterwards.
    char spare = 0;
    for (int pass = 0; pass < 2 && !spare; ++pass)
        for (int ch = '!'; ch <= '~' && !spare; ++ch)
            if (!taken[ch] && ch != ';' && ch != '=' && (pass == 1 || IsFreeChar(char(ch))))
                spare = static_cast<char>(ch);
    bool borrowed = false;
    if (!spare)
        spare = '!';
    std::string out;
    if (!grid.name.empty())
        out += "=name " + grid.name + "\n";
    const auto define = [&out](char ch, int b, const LevelColour* c) {
        out += "=" + std::string(1, ch) + " " + std::to_string(b);
        if (c)
            out += " " + std::to_string(c->red) + " " + std::to_string(c->green) + " " +
                   std::to_string(c->blue);
        out += "\n";
    };
    for (int b = 0; b < 256; ++b)
        if (!used[b] && colour[b]) {
            define(spare, b, colour[b]);
            borrowed = true;
        }
    for (int b = 0; b < 256; ++b)
        if (used[b] && (colour[b] || chars[b] != LegendCharForCell(static_cast<uint8_t>(b)) ||
                        (borrowed && chars[b] == spare)))
            define(chars[b], b, colour[b]);
    out.reserve(out.size() + grid.cells.size() + static_cast<size_t>(grid.height));
    for (int r = 0; r < grid.height; ++r) {
        for (int c = 0; c < grid.width; ++c)
            out += chars[grid.cells[static_cast<size_t>(r) * grid.width + c]];
        out += '\n';
    }
    *text = std::move(out);
    return true;
}

std::vector<uint8_t> MakeLevelBitmap(const LevelGrid& grid, bool withFileHeader) {
    const size_t stride = LevelRowStride(grid.width);
    const size_t rowBytes = stride * static_cast<size_t>(grid.height);
    const uint32_t infoBytes = 40;
    const size_t pixelOffset = kBmpFileHeaderBytes + infoBytes + kLevelColourTableBytes;
    std::vector<uint8_t> out;
    out.reserve(pixelOffset + rowBytes);
    if (withFileHeader) {
        out.push_back('B');
        out.push_back('M');
        PutU32(out, static_cast<uint32_t>(pixelOffset + rowBytes));
        PutU32(out, 0);
        PutU32(out, static_cast<uint32_t>(pixelOffset));
    }
    PutU32(out, infoBytes);
    PutU32(out, static_cast<uint32_t>(grid.width));
    PutU32(out, static_cast<uint32_t>(grid.height));
    PutU16(out, 1); // planes
    PutU16(out, 8); // bits per pixel
    PutU32(out, 0); // uncompressed
    PutU32(out, static_cast<uint32_t>(rowBytes));
    PutU32(out, 2835); // 72 dots per inch
    PutU32(out, 2835);
    PutU32(out, 256); // colours used
    PutU32(out, 0);
    uint8_t palette[256][3];
    for (int i = 0; i < 256; ++i)
        LevelPaletteColour(i, &palette[i][0], &palette[i][1], &palette[i][2]);
    for (const LevelColour& c : grid.colours) {
        palette[c.index][0] = c.red;
        palette[c.index][1] = c.green;
        palette[c.index][2] = c.blue;
    }
    for (int i = 0; i < 256; ++i) {
        const uint8_t r = palette[i][0], g = palette[i][1], b = palette[i][2];
        out.push_back(b);
        out.push_back(g);
        out.push_back(r);
        out.push_back(0);
    }
    for (int row = grid.height - 1; row >= 0; --row) {
        const uint8_t* src = grid.cells.data() + static_cast<size_t>(row) * grid.width;
        out.insert(out.end(), src, src + grid.width);
        out.insert(out.end(), stride - static_cast<size_t>(grid.width), 0);
    }
    const std::string name = CleanLevelName(grid.name);
    if (!name.empty()) {
        out.insert(out.end(), kLevelNameMark, kLevelNameMark + sizeof kLevelNameMark);
        out.push_back(static_cast<uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        if (withFileHeader) // the file's size covers the name
            for (int i = 0; i < 4; ++i)
                out[2 + i] = static_cast<uint8_t>(out.size() >> (8 * i));
    }
    return out;
}

bool WriteWholeFile(const char* path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
