#include "scene/LevelBitmap.h"
#include "platform/Resources.h"
#include "platform/WholeFile.h"
#include "res/ResourceIds.h"
#include <cstring>

namespace {

struct PaletteEntry {
    int index;
    uint8_t red, green, blue;
};

// The built-in level's colours: corridors and enemy starts are pure red so
// the minimap shows them see-through. After them the walls and decorations
// that have pictures: stone grey, brick brown (far from the see-through red),
// hedge green (darker than the player's start), crate wood, lamp orange.
const PaletteEntry kDefaultColours[] = {
    {1, 255, 0, 0},       {2, 3, 171, 3},      {3, 255, 0, 0},     {64, 255, 255, 63},
    {65, 255, 255, 255},  {66, 255, 191, 127}, {128, 91, 3, 211},  {129, 128, 64, 0},
    {130, 140, 140, 132}, {131, 168, 76, 52},  {132, 36, 112, 44}, {67, 196, 148, 84},
    {68, 255, 150, 40},
};

bool Fail(LevelGrid* grid, std::string* error, const std::string& why) {
    grid->width = 0;
    grid->height = 0;
    std::vector<uint8_t>().swap(grid->cells);
    grid->colours.clear();
    grid->name.clear();
    if (error)
        *error = why;
    return false;
}

// The name kept after the rows that end at `rowsEnd`, or "" when the data
// holds none there (a resource, a file of another writer, one cut short).
std::string NameAfterRows(const uint8_t* data, size_t size, uint64_t rowsEnd) {
    const size_t markBytes = sizeof kLevelNameMark;
    if (rowsEnd > size || size - rowsEnd < markBytes + 1)
        return "";
    const uint8_t* p = data + rowsEnd;
    const size_t length = p[markBytes];
    if (std::memcmp(p, kLevelNameMark, markBytes) != 0 || length > size - rowsEnd - markBytes - 1)
        return "";
    return CleanLevelName(std::string(reinterpret_cast<const char*>(p) + markBytes + 1, length));
}

} // namespace

bool ReadLevelDib(const uint8_t* data, size_t size, LevelGrid* grid, std::string* error) {
    DibInfo info;
    std::string why;
    if (!ReadDibInfo(data, size, &info, &why))
        return Fail(grid, error, why);
    const int width = info.width;
    const int height = info.height;
    if (info.bitsPerPixel != 8)
        return Fail(grid, error,
                    "the bitmap has " + std::to_string(info.bitsPerPixel) +
                        " bits per pixel; a level must have 8");
    if (width > kMaxLevelSide || height > kMaxLevelSide)
        return Fail(grid, error,
                    "the bitmap is " + std::to_string(width) + " x " + std::to_string(height) +
                        "; a level side may have at most " + std::to_string(kMaxLevelSide) +
                        " cells");
    // The header lies inside the data, so this sum cannot wrap.
    const size_t rowsStart = info.headerSize + kLevelColourTableBytes;
    if (rowsStart > size)
        return Fail(grid, error, "the 256-entry colour table runs past the end of the data");
    uint64_t needed = 0;
    if (!DibRowsFit(info, size, rowsStart, &needed))
        return Fail(grid, error,
                    "the pixel rows need " + std::to_string(needed) + " bytes but only " +
                        std::to_string(size - rowsStart) + " follow the colour table");

    const size_t stride = LevelRowStride(width);
    grid->width = width;
    grid->height = height;
    grid->cells.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    grid->colours.clear();
    const uint8_t* table = data + info.headerSize; // blue, green, red, unused
    for (int i = 0; i < 256; ++i) {
        uint8_t red, green, blue;
        LevelPaletteColour(i, &red, &green, &blue);
        const uint8_t* entry = table + 4 * i;
        if (entry[2] != red || entry[1] != green || entry[0] != blue)
            grid->colours.push_back({static_cast<uint8_t>(i), entry[2], entry[1], entry[0]});
    }
    const uint8_t* rows = data + rowsStart;
    for (int r = 0; r < height; ++r) {
        const uint8_t* src = rows + static_cast<size_t>(height - 1 - r) * stride;
        uint8_t* dst = grid->cells.data() + static_cast<size_t>(r) * width;
        for (int c = 0; c < width; ++c)
            dst[c] = src[c];
    }
    grid->name = NameAfterRows(data, size, rowsStart + uint64_t(stride) * uint64_t(height));
    if (error)
        error->clear();
    return true;
}

std::string CleanLevelName(const std::string& name) {
    std::string clean;
    for (char ch : name)
        if (ch >= ' ' && ch <= '~' && (ch != ' ' || !clean.empty()))
            clean += ch;
    if (clean.size() > kMaxLevelNameChars)
        clean.resize(kMaxLevelNameChars);
    while (!clean.empty() && clean.back() == ' ')
        clean.pop_back();
    return clean;
}

bool TrimLevelName(const std::string& typed, std::string* name) {
    const size_t first = typed.find_first_not_of(" \t");
    const std::string trimmed =
        first == std::string::npos ? ""
                                   : typed.substr(first, typed.find_last_not_of(" \t") + 1 - first);
    if (CleanLevelName(trimmed) != trimmed)
        return false;
    *name = trimmed;
    return true;
}

std::string ResourceLevelName(int id) {
    return id == IDB_LEVEL ? "The Old Maze" : "";
}

void LevelPaletteColour(int index, uint8_t* red, uint8_t* green, uint8_t* blue) {
    for (const PaletteEntry& e : kDefaultColours)
        if (e.index == index) {
            *red = e.red;
            *green = e.green;
            *blue = e.blue;
            return;
        }
    switch (CellClass(static_cast<uint8_t>(index))) {
    case CELL_CLASS_ITEM:
        *red = 255, *green = 191, *blue = 127;
        break;
    case CELL_CLASS_WALL:
        *red = 160, *green = 160, *blue = 160;
        break;
    default:
        *red = 255, *green = 0, *blue = 0;
        break;
    }
}

bool ReadLevelBytes(const char* path, LevelBytes* bytes, std::string* error) {
    bytes->info = nullptr;
    bytes->size = 0;
    return ReadWholeFile(path, kMaxLevelFileBytes, &bytes->file, error) &&
           FindBmpInfoHeader(bytes->file.data(), bytes->file.size(), &bytes->info, &bytes->size,
                             error);
}

bool FindLevelBytes(int id, LevelBytes* bytes, std::string* error) {
    std::vector<uint8_t>().swap(bytes->file);
    bytes->info = nullptr;
    bytes->size = 0;
    if (PlatFindResource(id, PLAT_RT_BITMAP, &bytes->info, &bytes->size) && bytes->info)
        return true;
    if (error)
        *error = "there is no bitmap resource " + std::to_string(id);
    return false;
}

bool ReadLevelResource(int id, LevelGrid* grid, std::string* error) {
    LevelBytes bytes;
    std::string why;
    if (!FindLevelBytes(id, &bytes, &why))
        return Fail(grid, error, why);
    if (!ReadLevelDib(bytes.info, bytes.size, grid, error))
        return false;
    grid->name = ResourceLevelName(id);
    return true;
}

bool ReadLevelFile(const char* path, LevelGrid* grid, std::string* error) {
    LevelBytes bytes;
    std::string why;
    if (!ReadLevelBytes(path, &bytes, &why))
        return Fail(grid, error, why);
    return ReadLevelDib(bytes.info, bytes.size, grid, error);
}
