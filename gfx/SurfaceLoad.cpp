// The loaders. Headers go through ReadDibInfo, which checks every field
// against the data's length, so no input can make them read outside it.
#include "gfx/Dib.h"
#include "gfx/PixelWords.h"
#include "gfx/Surface.h"
#include "platform/Resources.h"
#include "platform/WholeFile.h"

#include <vector>

using namespace gfx;

namespace {

const size_t kFullColourTable = 1024; // 256 entries of blue, green, red, reserved

// Far more than a picture of MaxLoadSide a side at 32 bits takes, so no file
// the loaders could use is refused; a device that never ends is.
const size_t kMaxBitmapFileBytes = size_t(1) << 31;

} // namespace

bool CSurface::LoadDib(const uint8_t* header, size_t size) {
    Free();
    DibInfo info;
    if (!ReadDibInfo(header, size, &info, nullptr))
        return false;
    const int32_t bpp = info.bitsPerPixel;
    const bool supported = bpp == 8 || bpp == 24;
    // The 8-bit colour table is always taken to be 256 entries long, whatever
    // the header says about the colours used.
    const size_t rowsStart = info.headerSize + (bpp == 8 ? kFullColourTable : 0);
    const size_t rowLength = DibRowStride(bpp, info.width);
    // Refused before Create: a 40-byte header may ask for a gigabyte.
    if (!supported || !DibRowsFit(info, size, rowsStart))
        return false;
    if (!Create(info.width, info.height))
        return false;

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
    if (!ReadDibInfo(data, size, &info, nullptr))
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
    const size_t rowLength = DibRowStride(bpp, info.width);
    if (!DibRowsFit(info, size, rowsStart))
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

bool CSurface::LoadBmp(const uint8_t* file, size_t size) {
    const uint8_t* info = nullptr;
    size_t infoSize = 0;
    if (!FindBmpInfoHeader(file, size, &info, &infoSize, nullptr))
        return false;
    return LoadDib(info, infoSize);
}

bool CSurface::LoadBitmapFile(const char* path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxBitmapFileBytes, &bytes, nullptr))
        return false;
    return LoadBmp(bytes.data(), bytes.size());
}
