// The one image type: a block of pixels in the display's own format, so that
// drawing one picture onto another is a copy of raw pixel words. Colour values
// cross this boundary only one pixel at a time (GetPixel/SetPixel) and when a
// picture is loaded.
#pragma once
#include <cstddef>
#include <cstdint>

#include "gfx/Dib.h"
#include "platform/GX.h"

// Colour value: red in bits 0-7, green 8-15, blue 16-23; bits 24-31 are
// ignored on input and zero on output. 0x000000FF is pure red, the colour key.
class CSurface {
public:
    // Address of pixel (0, 0); null for an empty surface.
    uint8_t* pixels = nullptr;
    // The next six fields have the layout and order of GXDisplayProperties and
    // are filled from it as one block. All zero for an empty surface.
    int32_t width = 0;
    int32_t height = 0;
    int32_t xPitch = 0;       // bytes to the right-hand neighbour; may be negative
    int32_t yPitch = 0;       // bytes to the pixel below; may be negative
    int32_t bitsPerPixel = 0; // 16 or 32 for the supported formats
    uint32_t formatFlags = 0; // kfDirect555 / kfDirect565 / kfDirect888, others carried along

    // Pixel (x, y) lives at pixels + x * xPitch + y * yPitch. Every operation
    // assumes the fields describe memory the surface may read and write.

    // The largest side a loader accepts.
    enum { MaxLoadSide = kMaxDibSide };

    CSurface() = default;
    virtual ~CSurface(); // calls Free
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    // An all-black surface in the display's current format, rows top first
    // and contiguous. False, with the surface empty and nothing allocated,
    // when a side is not positive or the byte count or a pitch does not fit;
    // false with pixels null (format fields set) when the allocation fails.
    bool Create(int32_t width, int32_t height);
    // Releases the buffer Create made (never borrowed memory) and empties the
    // surface; a surface without pixels is left as it is.
    void Free();

    // 0 <= x < width, 0 <= y < height (not checked). Unsupported formats read
    // 0 and write nothing. Expanded channels keep their low bits zero.
    uint32_t GetPixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t colour);

    // Fills the surface from a bottom-up, uncompressed 8- or 24-bit DIB of
    // `size` bytes starting at its information header (colour table of 256
    // entries for 8 bits, then the rows padded to 4 bytes; the last row may
    // lack its padding). Data that ReadDibInfo refuses or that is truncated
    // fails without reading past `size`, as does any depth but 8 and 24 bits;
    // a failure allocates nothing and leaves the surface empty.
    bool LoadDib(const uint8_t* header, size_t size);
    // Bitmap resource `id`: 24-bit data through LoadDib, anything else
    // through LoadBitmapGdi. False when there is no such resource.
    bool LoadBitmapResource(int id);
    // Decodes a palettised (1-, 4- or 8-bit) or 24-bit bitmap resource into
    // exact palette colours, as LoadDibGdi. The surface is untouched when the resource
    // is missing or its header is unusable.
    bool LoadBitmapGdi(int id);
    // The decoder behind LoadBitmapGdi, on a DIB of `size` bytes starting at
    // its information header: 1-, 4- and 8-bit palettised (colour table of
    // the header's colour count, or 2^bits when 0) and 24-bit, uncompressed,
    // bottom-up. Indices past the table read black. Data it cannot decode
    // fails before the surface is touched.
    bool LoadDibGdi(const uint8_t* header, size_t size);
    // A .BMP file held in memory: the 14-byte file header ("BM"), then a
    // DIB for LoadDib. Failure before LoadDib leaves the surface as it was.
    bool LoadBmp(const uint8_t* file, size_t size);
    // LoadBmp on the file at `path`, read whole.
    bool LoadBitmapFile(const char* path);
    // An all-new width x height surface (as Create) whose pixel (x, y) is
    // colours[indices[y * width + x]]: `indices` holds width * height bytes,
    // `colours` 256 colour values. False as Create.
    bool CreateIndexed(const uint8_t* indices, int32_t width, int32_t height,
                       const uint32_t* colours);
    // Makes this surface a copy of `source` with each channel scaled by a
    // percentage (clamped at 255). 100/100/100 is one block copy. Fails,
    // leaving this surface empty, when the source is empty.
    bool CopyTinted(const CSurface& source, int32_t redPercent, int32_t greenPercent,
                    int32_t bluePercent);

    // ---- Drawing onto this surface (the destination) ----
    // Results: false when the destination or the source has no pixels, else
    // true, also when nothing lands inside. Everything is clipped to the
    // destination (0, 0, width, height) and to the source.
    //
    // Surfaces with equal format flags and depth are copied as raw words of
    // the destination's depth (16 or 32; other depths copy nothing); others
    // are converted pixel by pixel through GetPixel/SetPixel.
    //
    // Colour key (useKey): raw 16-bit word 0xF800 (on 5-5-5 surfaces their
    // own pure red, 0x7C00), raw 32-bit word 0x00FF0000; through GetPixel a
    // colour value 248..255.

    // Every pixel of `rect` that lies on the surface becomes `colour`.
    bool Fill(const PlatRect& rect, uint32_t colour);
    // All of `source` with its top-left at (x, y).
    bool Blit(const CSurface& source, int32_t x, int32_t y, bool useKey);
    // One pixel; nothing unless both (sx, sy) and (dx, dy) are inside.
    void CopyPixel(const CSurface& source, int32_t sx, int32_t sy, int32_t dx, int32_t dy,
                   bool useKey);
    // One raw word of this surface's depth (16 or 32; other depths copy nothing).
    void CopyRawPixel(const uint8_t* from, uint8_t* to, bool useKey) const;
    // `source` scaled (nearest, rounding down) to w x h with its top-left at
    // (x, y). The source is read raw with this surface's depth, so it must have
    // the same depth; a source of another depth draws nothing.
    bool StretchBlit(const CSurface& source, int32_t x, int32_t y, int32_t w, int32_t h,
                     bool useKey);
    // Source pixel (sx, sy), if it exists, as a raw word to `to`.
    void CopySample(const CSurface& source, int32_t sx, int32_t sy, uint8_t* to, bool useKey) const;
    // percent of the source mixed with 100 - percent of the destination.
    bool BlendBlit(const CSurface& source, int32_t x, int32_t y, bool useKey, int32_t percent);
    // Maps `source` onto the quad with vertical sides at columns left and
    // right, from topLeft..bottomLeft and topRight..bottomRight. No key. False
    // when the destination is empty or a top lies below its bottom.
    bool StretchToTrapezoid(const CSurface& source, int32_t left, int32_t right, int32_t topLeft,
                            int32_t topRight, int32_t bottomLeft, int32_t bottomRight);
    // `value` in decimal, zero-padded to at least `digits` characters, drawn
    // from (x, y) rightwards with `glyphs` (keyed): ten pictures, entry d the
    // digit d, each moving the pen by its width. A minus sign is not drawn.
    // False when the destination is empty, or glyphs is null or its glyph 0
    // is empty.
    bool DrawNumber(const CSurface* glyphs, int32_t value, int32_t x, int32_t y, int32_t digits);
    // The glyph table of the game's words: entry c - FirstGlyph is the
    // picture of printable ASCII character c (' ' to '~').
    enum { FirstGlyph = ' ', GlyphCount = 95 };
    // `text` drawn from (x, y) rightwards with `glyphs` (keyed, GlyphCount
    // entries), each glyph moving the pen by its width; a character outside
    // the table is drawn as '?'. False when the destination is empty, or
    // glyphs or text is null.
    bool DrawWords(const CSurface* glyphs, const char* text, int32_t x, int32_t y);
    // How far DrawWords moves the pen over `text`; 0 without glyphs or text.
    static int64_t WordsWidth(const CSurface* glyphs, const char* text);

    // The six format fields as the platform's record, and setting them as
    // one block (for a surface that borrows a framebuffer).
    GXDisplayProperties Format() const;
    void SetFormat(const GXDisplayProperties& format);

private:
    // The buffer Create allocated, if any. Free releases this one only, so a
    // surface whose pixels point at borrowed memory never releases it.
    uint8_t* m_pBuffer = nullptr;

    // Moves other's picture (and buffer) into this surface; other ends empty.
    void TakeOver(CSurface& other);
};
