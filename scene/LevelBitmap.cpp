#include "scene/LevelBitmap.h"
#include "platform/Resources.h"
#include <cstdio>

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool Fail(LevelGrid* grid, std::string* error, const std::string& why) {
    grid->width = 0;
    grid->height = 0;
    std::vector<uint8_t>().swap(grid->cells);
    if (error)
        *error = why;
    return false;
}

// The smallest information header whose width, height and depth sit at the
// offsets the reader uses (the older 12-byte header has 16-bit sizes).
const uint32_t kMinInfoHeader = 40;

} // namespace

bool ReadLevelDib(const uint8_t* data, size_t size, LevelGrid* grid, std::string* error) {
    if (!data || size < kMinInfoHeader)
        return Fail(grid, error, "the data is shorter than a bitmap information header");
    const uint32_t headerSize = ReadU32(data);
    if (headerSize < kMinInfoHeader)
        return Fail(grid, error, "the information header is smaller than 40 bytes");
    if (headerSize > size)
        return Fail(grid, error, "the information header runs past the end of the data");
    const int32_t width = static_cast<int32_t>(ReadU32(data + 4));
    const int32_t height = static_cast<int32_t>(ReadU32(data + 8));
    const uint16_t bitsPerPixel = ReadU16(data + 14);
    if (bitsPerPixel != 8)
        return Fail(grid, error,
                    "the bitmap has " + std::to_string(bitsPerPixel) +
                        " bits per pixel; a level must have 8");
    if (width <= 0 || height <= 0)
        return Fail(grid, error,
                    "the bitmap is " + std::to_string(width) + " x " + std::to_string(height) +
                        "; a level needs a positive width and height (bottom-up rows)");
    if (width > kMaxLevelSide || height > kMaxLevelSide)
        return Fail(grid, error,
                    "the bitmap is " + std::to_string(width) + " x " + std::to_string(height) +
                        "; a level side may have at most " + std::to_string(kMaxLevelSide) +
                        " cells");
    // All sizes are far below 2^40 here, so plain size_t sums cannot wrap.
    const size_t rowsStart = static_cast<size_t>(headerSize) + kLevelColourTableBytes;
    if (rowsStart > size)
        return Fail(grid, error, "the 256-entry colour table runs past the end of the data");
    const size_t stride = LevelRowStride(width);
    // The last stored row is read only as far as its pixels go; its padding
    // may be missing.
    const size_t needed = stride * static_cast<size_t>(height - 1) + static_cast<size_t>(width);
    if (needed > size - rowsStart)
        return Fail(grid, error,
                    "the pixel rows need " + std::to_string(needed) + " bytes but only " +
                        std::to_string(size - rowsStart) + " follow the colour table");

    grid->width = width;
    grid->height = height;
    grid->cells.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    const uint8_t* rows = data + rowsStart;
    for (int r = 0; r < height; ++r) {
        const uint8_t* src = rows + static_cast<size_t>(height - 1 - r) * stride;
        uint8_t* dst = grid->cells.data() + static_cast<size_t>(r) * width;
        for (int c = 0; c < width; ++c)
            dst[c] = src[c];
    }
    if (error)
        error->clear();
    return true;
}

bool ReadLevelResource(int id, LevelGrid* grid, std::string* error) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!PlatFindResource(id, PLAT_RT_BITMAP, &data, &size))
        return Fail(grid, error, "there is no bitmap resource " + std::to_string(id));
    return ReadLevelDib(data, size, grid, error);
}

bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error) {
    bytes->clear();
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        if (error)
            *error = std::string("cannot open ") + (path ? path : "(no path)");
        return false;
    }
    // Read in pieces up to the cap rather than trusting a reported length,
    // so a file that changes while it is read cannot overrun anything.
    bool ok = true;
    uint8_t chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got > maxBytes - bytes->size()) {
            ok = false;
            if (error)
                *error =
                    std::string(path) + " is larger than " + std::to_string(maxBytes) + " bytes";
            break;
        }
        bytes->insert(bytes->end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            if (std::ferror(file)) {
                ok = false;
                if (error)
                    *error = std::string("cannot read ") + path;
            }
            break;
        }
    }
    std::fclose(file);
    if (!ok)
        std::vector<uint8_t>().swap(*bytes);
    return ok;
}

bool ReadLevelFile(const char* path, LevelGrid* grid, std::string* error) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(path, kMaxLevelFileBytes, &bytes, &why))
        return Fail(grid, error, why);
    if (bytes.size() < kBmpFileHeaderBytes)
        return Fail(grid, error, "the file is shorter than a BMP file header");
    return ReadLevelDib(bytes.data() + kBmpFileHeaderBytes, bytes.size() - kBmpFileHeaderBytes,
                        grid, error);
}
