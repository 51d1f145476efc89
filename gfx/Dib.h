// Reading the headers of device-independent bitmaps: the one reader every
// picture and level loader goes through, so they all accept the same data.
// Every field is checked against the data's length before it is used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Bytes of the file header that precedes the information header in a .BMP
// file ("BM", the file size, two reserved words, the pixel offset).
const size_t kBmpFileHeaderBytes = 14;
// The smallest information header whose fields sit where the loaders read
// them (the older 12-byte header has 16-bit sizes).
const size_t kDibInfoHeaderBytes = 40;
// The largest side a loader accepts.
const int32_t kMaxDibSide = 16384;

// The information header's fields the loaders use.
struct DibInfo {
    size_t headerSize = 0; // the colour table (or the rows) start here
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0; // not checked: each loader knows its depths
    uint32_t coloursUsed = 0; // 0 means all the depth allows
};

// Reads the information header at the start of `size` bytes. False, with a
// one-line reason in *why (if given), unless: the header fits the data and
// is at least 40 bytes; width and height are 1..kMaxDibSide (a negative
// height, a top-down bitmap, is refused); the rows are not compressed; at
// most 256 colours are used.
bool ReadDibInfo(const uint8_t* data, size_t size, DibInfo* info, std::string* why);

// Bytes of one stored row: rows are padded to a multiple of 4 bytes.
size_t DibRowStride(int32_t bitsPerPixel, int32_t width);

// Whether `size` bytes hold the pixel rows starting at `offset`, bottom row
// first. The last stored row (the picture's top row) needs only the bytes of
// its pixels: a bitmap whose writer left out that row's padding still holds
// every pixel, and the loaders never read the padding. *needed (if given)
// is the byte count the rows take.
bool DibRowsFit(const DibInfo& info, size_t size, size_t offset, uint64_t* needed = nullptr);

// The information header of a .BMP file held in memory: false with a reason
// unless the data holds the file header and starts with "BM". The file
// header's pixel offset is not used: the rows follow the information header
// (and an 8-bit colour table) directly.
bool FindBmpInfoHeader(const uint8_t* file, size_t size, const uint8_t** info, size_t* infoSize,
                       std::string* why);
