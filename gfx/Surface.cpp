#include "gfx/Surface.h"

CSurface CSurface::DigitGlyphs[10];

CSurface::~CSurface() {
    Free();
}
bool CSurface::Create(int32_t, int32_t) {
    return false;
}
void CSurface::Free() {}
uint32_t CSurface::GetPixel(int32_t, int32_t) const {
    return 0;
}
void CSurface::SetPixel(int32_t, int32_t, uint32_t) {}
bool CSurface::LoadDib(const uint8_t*, size_t) {
    return false;
}
bool CSurface::LoadBitmapResource(int) {
    return false;
}
bool CSurface::LoadBitmapGdi(int) {
    return false;
}
bool CSurface::LoadBitmapFile(const char*) {
    return false;
}
bool CSurface::CopyTinted(const CSurface&, int32_t, int32_t, int32_t) {
    return false;
}
bool CSurface::Blit(const CSurface&, int32_t, int32_t, bool) {
    return false;
}
void CSurface::CopyPixel(const CSurface&, int32_t, int32_t, int32_t, int32_t, bool) {}
void CSurface::CopyRawPixel(const uint8_t*, uint8_t*, bool) const {}
bool CSurface::StretchBlit(const CSurface&, int32_t, int32_t, int32_t, int32_t, bool) {
    return false;
}
void CSurface::CopySample(const CSurface&, int32_t, int32_t, uint8_t*, bool) const {}
bool CSurface::BlendBlit(const CSurface&, int32_t, int32_t, bool, int32_t) {
    return false;
}
bool CSurface::StretchToTrapezoid(const CSurface&, int32_t, int32_t, int32_t, int32_t, int32_t,
                                  int32_t) {
    return false;
}
bool CSurface::DrawNumber(int32_t, int32_t, int32_t, int32_t) {
    return false;
}
void CSurface::LoadDigitGlyphs() {}
