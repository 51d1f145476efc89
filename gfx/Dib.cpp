#include "gfx/Dib.h"
#include "gfx/PixelWords.h"

using namespace gfx;

namespace {

bool Refuse(std::string* why, const std::string& reason) {
    if (why)
        *why = reason;
    return false;
}

std::string Size(int32_t width, int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace

bool ReadDibInfo(const uint8_t* data, size_t size, DibInfo* info, std::string* why) {
    if (!data || size < kDibInfoHeaderBytes)
        return Refuse(why, "the data is shorter than a bitmap information header");
    const uint32_t headerSize = ReadLe32(data);
    if (headerSize < kDibInfoHeaderBytes)
        return Refuse(why, "the information header is smaller than 40 bytes");
    if (headerSize > size)
        return Refuse(why, "the information header runs past the end of the data");
    const int32_t width = int32_t(ReadLe32(data + 4));
    const int32_t height = int32_t(ReadLe32(data + 8));
    if (width <= 0 || height <= 0)
        return Refuse(why, "the bitmap is " + Size(width, height) +
                               "; it needs a positive width and height (bottom-up rows)");
    if (width > kMaxDibSide || height > kMaxDibSide)
        return Refuse(why, "the bitmap is " + Size(width, height) + "; a side may be at most " +
                               std::to_string(kMaxDibSide));
    const uint32_t compression = ReadLe32(data + 16);
    if (compression != 0)
        return Refuse(why, "the bitmap is compressed (" + std::to_string(compression) +
                               "); only plain rows are read");
    const uint32_t used = ReadLe32(data + 32);
    if (used > 256)
        return Refuse(why, "the bitmap claims " + std::to_string(used) + " colours; at most 256");
    info->headerSize = headerSize;
    info->width = width;
    info->height = height;
    info->bitsPerPixel = ReadLe16(data + 14);
    info->coloursUsed = used;
    return true;
}

size_t DibRowStride(int32_t bitsPerPixel, int32_t width) {
    // Sides are capped and depths are 16 bits, so this fits.
    return size_t((uint64_t(bitsPerPixel) * uint64_t(width) + 31) / 32 * 4);
}

bool DibRowsFit(const DibInfo& info, size_t size, size_t offset, uint64_t* needed) {
    const uint64_t lastRow = (uint64_t(info.bitsPerPixel) * uint64_t(info.width) + 7) / 8;
    const uint64_t bytes =
        uint64_t(DibRowStride(info.bitsPerPixel, info.width)) * uint64_t(info.height - 1) + lastRow;
    if (needed)
        *needed = bytes;
    return offset <= size && bytes <= uint64_t(size - offset);
}

bool FindBmpInfoHeader(const uint8_t* file, size_t size, const uint8_t** info, size_t* infoSize,
                       std::string* why) {
    if (!file || size < kBmpFileHeaderBytes)
        return Refuse(why, "the file is shorter than a BMP file header");
    if (file[0] != 0x42 || file[1] != 0x4D)
        return Refuse(why, "the file does not start with \"BM\"");
    *info = file + kBmpFileHeaderBytes;
    *infoSize = size - kBmpFileHeaderBytes;
    return true;
}
