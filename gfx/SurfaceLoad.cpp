// The loaders. Every field of the data is checked against the data's length
// before it is used, so no input can make them read outside it.
#include "gfx/PixelWords.h"
#include "gfx/Surface.h"
#include "platform/Resources.h"

#include <cstdio>
#include <memory>
#include <new>

using namespace gfx;

namespace {

const size_t kInfoHeaderSize = 40;    // the standard information header
const size_t kFullColourTable = 1024; // 256 entries of blue, green, red, reserved

// The fields of an information header that the loaders use, already checked:
// header inside the data, sides 1..MaxLoadSide, no compression, at most 256
// colours.
struct DibInfo {
    size_t headerSize;
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    uint32_t coloursUsed;
};

bool ReadDibInfo(const uint8_t* data, size_t size, DibInfo* info) {
    if (!data || size < kInfoHeaderSize)
        return false;
    const uint32_t headerSize = ReadLe32(data);
    if (headerSize < kInfoHeaderSize || headerSize > size)
        return false;
    const int32_t w = int32_t(ReadLe32(data + 4));
    const int32_t h = int32_t(ReadLe32(data + 8)); // negative: top-down, not accepted
    if (w <= 0 || h <= 0 || w > CSurface::MaxLoadSide || h > CSurface::MaxLoadSide)
        return false;
    if (ReadLe32(data + 16) != 0) // compression: only plain rows are decoded
        return false;
    const uint32_t used = ReadLe32(data + 32);
    if (used > 256)
        return false;
    info->headerSize = headerSize;
    info->width = w;
    info->height = h;
    info->bitsPerPixel = ReadLe16(data + 14);
    info->coloursUsed = used;
    return true;
}

// Rows are padded to a multiple of 4 bytes. Sides are capped, so this fits.
size_t RowLength(int32_t bitsPerPixel, int32_t width) {
    return size_t((uint64_t(bitsPerPixel) * uint64_t(width) + 31) / 32 * 4);
}

// Whether `size` bytes hold `rows` rows of `rowLength` bytes starting at `offset`.
bool RowsFit(size_t size, size_t offset, size_t rowLength, int32_t rows) {
    return offset <= size && uint64_t(rowLength) * uint64_t(rows) <= uint64_t(size - offset);
}

} // namespace

bool CSurface::LoadDib(const uint8_t* header, size_t size) {
    Free();
    DibInfo info;
    if (!ReadDibInfo(header, size, &info))
        return false;
    const int32_t bpp = info.bitsPerPixel;
    const bool supported = bpp == 8 || bpp == 24;
    // The 8-bit colour table is always taken to be 256 entries long, whatever
    // the header says about the colours used.
    const size_t rowsStart = info.headerSize + (bpp == 8 ? kFullColourTable : 0);
    const size_t rowLength = RowLength(bpp, info.width);
    if (supported && !RowsFit(size, rowsStart, rowLength, info.height))
        return false;
    if (!Create(info.width, info.height))
        return false;
    if (!supported)
        return false; // created, black, at the bitmap's size

    const uint8_t* table = header + info.headerSize;
    const uint8_t* rows = header + rowsStart;
    const size_t bytesPerPixel = size_t(bpp / 8);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = rows + size_t(height - 1 - y) * rowLength; // bottom row first
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * bytesPerPixel;
            if (bpp == 8)
                p = table + 4 * size_t(*p);
            SetPixel(x, y, MakeColour(p[2], p[1], p[0]));
        }
    }
    return true;
}

bool CSurface::LoadBitmapResource(int id) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PlatFindResource(id, PLAT_RT_BITMAP, &data, &size) || !data)
        return false;
    if (size < 16)
        return false; // too short to tell its depth
    if (ReadLe16(data + 14) == 24)
        return LoadDib(data, size);
    return LoadBitmapGdi(id);
}

bool CSurface::LoadBitmapGdi(int id) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PlatFindResource(id, PLAT_RT_BITMAP, &data, &size) || !data)
        return false;
    return LoadDibGdi(data, size);
}

bool CSurface::LoadDibGdi(const uint8_t* data, size_t size) {
    DibInfo info;
    if (!ReadDibInfo(data, size, &info))
        return false;
    const int32_t bpp = info.bitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
        return false;

    // Palette entries past the table read as black, as do indices past the
    // colours the table holds: the palette is a zero-filled 256 entries.
    uint32_t palette[256] = {};
    size_t tableEntries = 0;
    if (bpp <= 8) {
        tableEntries = info.coloursUsed ? info.coloursUsed : (size_t(1) << bpp);
        if (tableEntries * 4 > size - info.headerSize)
            return false;
        const uint8_t* t = data + info.headerSize;
        for (size_t i = 0; i < tableEntries; ++i)
            palette[i] = MakeColour(t[4 * i + 2], t[4 * i + 1], t[4 * i]);
    }
    const size_t rowsStart = info.headerSize + tableEntries * 4;
    const size_t rowLength = RowLength(bpp, info.width);
    if (!RowsFit(size, rowsStart, rowLength, info.height))
        return false;
    if (!Create(info.width, info.height))
        return false;

    const uint8_t* rows = data + rowsStart;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = rows + size_t(height - 1 - y) * rowLength;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t c;
            switch (bpp) {
            case 1: // most significant bit first
                c = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4: // high nibble first
                c = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                c = palette[row[x]];
                break;
            default: {
                const uint8_t* p = row + 3 * size_t(x);
                c = MakeColour(p[2], p[1], p[0]);
            }
            }
            SetPixel(x, y, c);
        }
    }
    return true;
}

bool CSurface::LoadBitmapFile(const char* path) {
    if (!path)
        return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, std::fclose);

    uint8_t fileHeader[14];
    if (std::fread(fileHeader, 1, sizeof fileHeader, file) != sizeof fileHeader)
        return false;
    if (fileHeader[0] != 0x42 || fileHeader[1] != 0x4D) // "BM"
        return false;
    // The pixel-data offset of the file header is not used: the rows follow
    // the information header (and the 8-bit colour table) directly.
    if (std::fseek(file, 0, SEEK_END) != 0)
        return false;
    const long length = std::ftell(file);
    if (length < 14 || std::fseek(file, 14, SEEK_SET) != 0)
        return false;
    const size_t rest = size_t(length - 14);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[rest ? rest : 1]);
    if (!buffer)
        return false;
    if (std::fread(buffer.get(), 1, rest, file) != rest)
        return false;
    closer.reset();
    return LoadDib(buffer.get(), rest);
}
