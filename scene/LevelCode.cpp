#include "scene/LevelCode.h"
#include "platform/LinkCode.h"

namespace {

const size_t kFixedBytes = 6; // width, height, colour count
const size_t kCrcBytes = 4;

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint32_t GetU16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

// Why a level cannot have this colour at this index, or "" when it can.
// `previous` is the index listed before it, -1 for the first.
std::string ColourProblem(const LevelColour& c, int previous) {
    const std::string index = "colour " + std::to_string(c.index);
    if (c.index <= previous)
        return index + " is not listed after colour " + std::to_string(previous);
    uint8_t red, green, blue;
    LevelPaletteColour(c.index, &red, &green, &blue);
    if (c.red == red && c.green == green && c.blue == blue)
        return index + " is listed but is the default colour";
    if (IsNearColourKey(c.red, c.green, c.blue))
        return index + " is so near the see-through red (255 0 0) that the minimap would "
                       "leave it out";
    return "";
}

std::string SideProblem(int width, int height) {
    if (width >= 1 && height >= 1 && width <= kMaxLevelSide && height <= kMaxLevelSide)
        return "";
    return std::to_string(width) + " x " + std::to_string(height) +
           " cells; a level side has 1 to " + std::to_string(kMaxLevelSide);
}

bool Refuse(LevelGrid* grid, std::string* error, const std::string& why) {
    *grid = LevelGrid();
    if (error)
        *error = "the link's level is wrong: " + why;
    return false;
}

} // namespace

bool MakeLevelCodeBody(const LevelGrid& grid, std::vector<uint8_t>* body, std::string* error) {
    body->clear();
    std::string why = SideProblem(grid.width, grid.height);
    if (why.empty() && grid.cells.size() != size_t(grid.width) * size_t(grid.height))
        why = "the grid has " + std::to_string(grid.cells.size()) + " cells, not width x height";
    if (why.empty() && CleanLevelName(grid.name) != grid.name)
        why = "its name is not 1 to " + std::to_string(kMaxLevelNameChars) +
              " printable ASCII characters";
    if (why.empty() && grid.colours.size() > 256)
        why = "the grid has more than 256 colours";
    int previous = -1;
    for (size_t i = 0; i < grid.colours.size() && why.empty(); ++i) {
        why = ColourProblem(grid.colours[i], previous);
        previous = grid.colours[i].index;
    }
    if (!why.empty()) {
        if (error)
            *error = "no link can carry this level: " + why;
        return false;
    }
    body->reserve(kFixedBytes + 4 * grid.colours.size() + grid.cells.size() + 1 + grid.name.size() +
                  kCrcBytes);
    PutU16(*body, uint32_t(grid.width));
    PutU16(*body, uint32_t(grid.height));
    PutU16(*body, uint32_t(grid.colours.size()));
    for (const LevelColour& c : grid.colours)
        body->insert(body->end(), {c.index, c.red, c.green, c.blue});
    body->insert(body->end(), grid.cells.begin(), grid.cells.end());
    if (!grid.name.empty()) {
        body->push_back(uint8_t(grid.name.size()));
        body->insert(body->end(), grid.name.begin(), grid.name.end());
    }
    const uint32_t crc = Crc32(body->data(), body->size());
    PutU16(*body, crc & 0xFFFF);
    PutU16(*body, crc >> 16);
    if (error)
        error->clear();
    return true;
}

bool ReadLevelCodeBody(const uint8_t* body, size_t size, LevelGrid* grid, std::string* error) {
    if (size < kFixedBytes + kCrcBytes) {
        *grid = LevelGrid();
        if (error)
            *error = "the link's code is cut short";
        return false;
    }
    const size_t summed = size - kCrcBytes;
    const uint32_t crc = GetU16(body + summed) | GetU16(body + summed + 2) << 16;
    if (Crc32(body, summed) != crc) {
        *grid = LevelGrid();
        if (error)
            *error = "the link's checksum does not match: it was changed or cut";
        return false;
    }
    const int width = int(GetU16(body));
    const int height = int(GetU16(body + 2));
    const size_t count = GetU16(body + 4);
    std::string why = SideProblem(width, height);
    if (!why.empty())
        return Refuse(grid, error, why);
    if (count > 256)
        return Refuse(grid, error, std::to_string(count) + " colours; a level has at most 256");
    const size_t cells = size_t(width) * size_t(height);
    const size_t expected = kFixedBytes + 4 * count + cells + kCrcBytes;
    // Past the cells: nothing, or a name's length and the name.
    const size_t nameBytes = size > expected + 1 ? size - expected - 1 : 0;
    const uint8_t* named = body + (nameBytes > 0 ? expected - kCrcBytes : 0);
    if (size != expected && (nameBytes == 0 || *named != nameBytes))
        return Refuse(grid, error,
                      std::to_string(size) + " bytes where a level of its size has " +
                          std::to_string(expected) + " (more with a name)");
    const std::string name(reinterpret_cast<const char*>(named) + 1, nameBytes);
    if (CleanLevelName(name) != name)
        return Refuse(grid, error,
                      "its name is not 1 to " + std::to_string(kMaxLevelNameChars) +
                          " printable ASCII characters");
    LevelGrid result;
    result.width = width;
    result.height = height;
    const uint8_t* p = body + kFixedBytes;
    int previous = -1;
    for (size_t i = 0; i < count; ++i, p += 4) {
        const LevelColour c = {p[0], p[1], p[2], p[3]};
        why = ColourProblem(c, previous);
        if (!why.empty())
            return Refuse(grid, error, why);
        result.colours.push_back(c);
        previous = c.index;
    }
    result.cells.assign(p, p + cells);
    result.name = name;
    *grid = std::move(result);
    if (error)
        error->clear();
    return true;
}

std::string_view LevelCodeOfLink(std::string_view link) {
    const size_t mark = link.find(kLevelLinkMark);
    if (mark == std::string_view::npos)
        return link;
    return link.substr(mark + sizeof kLevelLinkMark - 1);
}
