// The picture loaders on one input, taken as a .BMP file: the file loader
// (through a scratch file), the DIB loader and the palettised decoder on the
// bytes after the 14-byte file header (a bitmap resource has that layout),
// and the level reader from memory and from the file.
//
// Besides staying inside their data, the loaders must agree with each
// other where their formats overlap, and a failed file load must leave the
// picture it was given alone.
#include "FuzzSupport.h"
#include "gfx/Surface.h"
#include "scene/LevelBitmap.h"
#include <cstring>
#include <memory>
#include <string>

namespace {

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool SamePixels(const CSurface& a, const CSurface& b) {
    if (a.width != b.width || a.height != b.height || !a.pixels || !b.pixels)
        return false;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x < a.width; ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y))
                return false;
    return true;
}

// The colour a loader gives palette entry `index` of the DIB at `dib`, as
// the surface stores it.
uint32_t PaletteColour(const uint8_t* dib, size_t headerSize, uint8_t index, CSurface& probe) {
    const uint8_t* e = dib + headerSize + 4 * size_t(index);
    probe.SetPixel(0, 0, uint32_t(e[2]) | uint32_t(e[1]) << 8 | uint32_t(e[0]) << 16);
    return probe.GetPixel(0, 0);
}

const std::string& FilePath() {
    static const std::string path = fuzz::ScratchPath("input.bmp");
    return path;
}

void RemoveScratch() {
    std::remove(FilePath().c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FilePath(); // built first, so it is destroyed after RemoveScratch has run
    std::atexit(RemoveScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::UseDisplayFormat(int(size % 3));

    // The file route. A picture that is already there must survive a load
    // that fails before the DIB is read.
    CSurface fromFile;
    FUZZ_CHECK(fromFile.Create(3, 2), "a small surface can be made");
    fromFile.SetPixel(2, 1, 0x00123456);
    const uint32_t marker = fromFile.GetPixel(2, 1);
    FUZZ_CHECK(fuzz::WriteFile(FilePath(), data, size), "the scratch file can be written");
    const bool fileOk = fromFile.LoadBitmapFile(FilePath().c_str());
    const bool isBm = size >= kBmpFileHeaderBytes && data[0] == 'B' && data[1] == 'M';
    if (!isBm) {
        FUZZ_CHECK(!fileOk, "a file without the BM header does not load");
        FUZZ_CHECK(fromFile.width == 3 && fromFile.height == 2 && fromFile.GetPixel(2, 1) == marker,
                   "a refused file leaves the picture as it was");
    }
    if (!fileOk && isBm)
        FUZZ_CHECK(fromFile.pixels == nullptr, "a refused picture allocates nothing");

    LevelGrid levelFromFile;
    const bool levelFileOk = ReadLevelFile(FilePath().c_str(), &levelFromFile, nullptr);

    if (size < kBmpFileHeaderBytes) {
        FUZZ_CHECK(!levelFileOk, "a file shorter than its file header is no level");
        return 0;
    }
    // What follows the file header, in a block of its own exact size.
    const size_t dibSize = size - kBmpFileHeaderBytes;
    std::unique_ptr<uint8_t[]> dib(new uint8_t[dibSize ? dibSize : 1]);
    std::memcpy(dib.get(), data + kBmpFileHeaderBytes, dibSize);

    CSurface plain;
    const bool plainOk = plain.LoadDib(dib.get(), dibSize);
    if (isBm) {
        FUZZ_CHECK(fileOk == plainOk, "the file and memory routes agree");
        if (plainOk)
            FUZZ_CHECK(SamePixels(fromFile, plain), "the file and memory routes give one picture");
    }
    if (!plainOk)
        plain.Free();

    CSurface decoded;
    const bool decodedOk = decoded.LoadDibGdi(dib.get(), dibSize);

    LevelGrid level;
    std::string why;
    const bool levelOk = ReadLevelDib(dib.get(), dibSize, &level, &why);
    FUZZ_CHECK(levelFileOk == (isBm && levelOk), "the level file and memory readers agree");
    FUZZ_CHECK(levelOk ? level.cells.size() == size_t(level.width) * size_t(level.height)
                       : level.cells.empty() && !why.empty(),
               "a level read gives a full grid, or nothing and a reason");
    // A level file must start with "BM"; the DIB alone has no such mark.
    if (levelFileOk)
        FUZZ_CHECK(levelFromFile.cells == level.cells, "both level readers read the same cells");
    // The minimap is loaded from the level's own bytes: whatever makes a
    // level must load as a picture too.
    if (levelOk)
        FUZZ_CHECK(plainOk, "a level is also a picture");

    if (dibSize < 40)
        return 0;
    const size_t headerSize = ReadLe32(dib.get());
    const uint32_t bits = uint32_t(dib[14] | dib[15] << 8);
    const uint32_t colours = ReadLe32(dib.get() + 32);
    // Where both decoders claim the same layout they must agree: 24-bit
    // data, and 8-bit data with a full table (a colour count of 0 or 256).
    const bool sameLayout = bits == 24 || (bits == 8 && (colours == 0 || colours == 256));
    if (sameLayout) {
        FUZZ_CHECK(plainOk == decodedOk, "the two DIB decoders agree on what they accept");
        if (plainOk)
            FUZZ_CHECK(SamePixels(plain, decoded), "the two DIB decoders give one picture");
    }
    // An 8-bit picture and the level read from it: every cell's palette
    // entry is the picture's pixel.
    if (plainOk && bits == 8 && plain.width <= kMaxLevelSide && plain.height <= kMaxLevelSide) {
        FUZZ_CHECK(levelOk, "a bitmap the picture loader takes is also a level");
        CSurface probe;
        FUZZ_CHECK(probe.Create(1, 1), "a one-pixel surface can be made");
        for (int r = 0; r < level.height; ++r)
            for (int c = 0; c < level.width; ++c)
                FUZZ_CHECK(plain.GetPixel(c, r) ==
                               PaletteColour(dib.get(), headerSize,
                                             level.cells[size_t(r) * level.width + c], probe),
                           "a level cell and its minimap pixel agree");
    }
    return 0;
}
