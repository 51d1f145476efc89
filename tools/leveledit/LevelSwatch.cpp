#include "tools/leveledit/LevelSwatch.h"
#include "gfx/Dib.h"
#include "platform/Resources.h"
#include "res/ResourceIds.h"
#include <map>

// The same lists, in the same order, as the game's shared pictures
// (LoadSharedPictures); the module's test holds the two together.
const int kSwatchWalls[5] = {IDB_WALL_TILES, IDB_WALL_WOOD, IDB_WALL_STONE, IDB_WALL_BRICK,
                             IDB_WALL_HEDGE};
const int kSwatchItems[5] = {IDB_DOT, IDB_GUN_PICKUP, IDB_BARREL, IDB_CRATE, IDB_LAMP};
const int kSwatchFloor = IDB_FLOOR;

namespace {

// A picture decoded to exact colours: red, green, blue per pixel, rows top
// first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// A bitmap resource decoded as the game's loader does (8-bit with its
// colour table, or 24-bit; bottom-up rows padded to 4 bytes), once.
const Picture* FindPicture(int id) {
    static std::map<int, Picture> decoded;
    const auto found = decoded.find(id);
    if (found != decoded.end())
        return &found->second;
    const unsigned char* data = nullptr;
    size_t size = 0;
    DibInfo info;
    if (!PlatFindResource(id, PLAT_RT_BITMAP, &data, &size) ||
        !ReadDibInfo(data, size, &info, nullptr))
        return nullptr;
    const int bpp = info.bitsPerPixel;
    const size_t entries = bpp == 8 ? (info.coloursUsed ? info.coloursUsed : 256) : 0;
    if ((bpp != 8 && bpp != 24) || entries * 4 > size - info.headerSize)
        return nullptr;
    const size_t rowsStart = info.headerSize + entries * 4;
    if (!DibRowsFit(info, size, rowsStart))
        return nullptr;
    Picture picture;
    picture.width = info.width;
    picture.height = info.height;
    picture.rgb.resize(size_t(info.width) * size_t(info.height) * 3);
    const size_t stride = DibRowStride(bpp, info.width);
    const uint8_t* table = data + info.headerSize; // blue, green, red, unused
    uint8_t* out = picture.rgb.data();
    for (int y = 0; y < info.height; ++y) {
        const uint8_t* row = data + rowsStart + size_t(info.height - 1 - y) * stride;
        for (int x = 0; x < info.width; ++x, out += 3) {
            const uint8_t* p =
                bpp == 8 ? (row[x] < entries ? table + 4 * row[x] : nullptr) : row + 3 * size_t(x);
            // An index past the table reads black, as in the game.
            out[0] = p ? p[2] : 0;
            out[1] = p ? p[1] : 0;
            out[2] = p ? p[0] : 0;
        }
    }
    return &(decoded[id] = std::move(picture));
}

// The colour key as a 5-6-5 display sees it: pure red and every colour that
// becomes it.
bool IsKeyed(const uint8_t* rgb) {
    return rgb[0] >= 248 && rgb[1] < 4 && rgb[2] < 8;
}

void Fill(std::vector<uint8_t>* rgba, int size, const uint8_t* rgb) {
    rgba->resize(size_t(size) * size_t(size) * 4);
    for (size_t i = 0; i < rgba->size(); i += 4) {
        (*rgba)[i] = rgb[0];
        (*rgba)[i + 1] = rgb[1];
        (*rgba)[i + 2] = rgb[2];
        (*rgba)[i + 3] = 255;
    }
}

// The flat colour a cell shows on the minimap, with the see-through red
// replaced by its stand-in.
bool FlatColour(uint8_t cell, const LevelGrid& grid, uint8_t* rgb) {
    LevelPaletteColour(cell, &rgb[0], &rgb[1], &rgb[2]);
    for (const LevelColour& c : grid.colours)
        if (c.index == cell)
            rgb[0] = c.red, rgb[1] = c.green, rgb[2] = c.blue;
    if (!IsKeyed(rgb))
        return true;
    if (IsEnemyStartCell(cell)) {
        for (int k = 0; k < 3; ++k)
            rgb[k] = kEnemyStartSwatch[k];
        return true;
    }
    const Picture* floor = FindPicture(kSwatchFloor);
    if (!floor)
        return false;
    const size_t pixels = floor->rgb.size() / 3;
    for (int k = 0; k < 3; ++k) {
        uint64_t sum = 0;
        for (size_t i = 0; i < pixels; ++i)
            sum += floor->rgb[3 * i + size_t(k)];
        rgb[k] = static_cast<uint8_t>(sum / pixels);
    }
    return true;
}

} // namespace

bool MakeCellSwatch(uint8_t cell, int size, const LevelGrid& grid, std::vector<uint8_t>* rgba) {
    if (size < 1 || size > kMaxSwatchSide)
        return false;
    const int type = CellType(cell);
    const int cls = CellClass(cell);
    const Picture* picture = nullptr;
    if (cls == CELL_CLASS_WALL && type < 5)
        picture = FindPicture(kSwatchWalls[type]);
    else if (cls == CELL_CLASS_ITEM && type < 5)
        picture = FindPicture(kSwatchItems[type]);
    uint8_t floor[3];
    // An item stands on the floor, whatever its own minimap colour.
    const uint8_t shownCell = picture && cls == CELL_CLASS_ITEM ? uint8_t(CELL_CORRIDOR) : cell;
    if (!FlatColour(shownCell, grid, floor))
        return false;
    std::vector<uint8_t> out;
    Fill(&out, size, floor);
    if (picture && cls == CELL_CLASS_WALL) {
        // A wall face is square: the texture stretches over it.
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const int sx = x * picture->width / size, sy = y * picture->height / size;
                const uint8_t* p = &picture->rgb[(size_t(sy) * picture->width + sx) * 3];
                uint8_t* q = &out[(size_t(y) * size + x) * 4];
                q[0] = p[0], q[1] = p[1], q[2] = p[2];
            }
    } else if (picture) {
        // A sprite keeps its shape: the longer side fills the swatch, the
        // picture centred, its see-through pixels showing the floor.
        const int longer = picture->width > picture->height ? picture->width : picture->height;
        const int w = picture->width * size / longer, h = picture->height * size / longer;
        const int left = (size - w) / 2, top = (size - h) / 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int sx = x * picture->width / w, sy = y * picture->height / h;
                const uint8_t* p = &picture->rgb[(size_t(sy) * picture->width + sx) * 3];
                if (IsKeyed(p))
                    continue;
                uint8_t* q = &out[(size_t(top + y) * size + size_t(left + x)) * 4];
                q[0] = p[0], q[1] = p[1], q[2] = p[2];
            }
    }
    rgba->swap(out);
    return true;
}
