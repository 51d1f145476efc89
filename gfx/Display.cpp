#include "gfx/Display.h"

CDisplay::CDisplay(HWND hwnd) : window(hwnd) {}
CDisplay::~CDisplay() {
    pixels = nullptr;
}
void CDisplay::BeginDraw(int32_t* x, int32_t* y) {
    *x = *y = 0;
}
void CDisplay::EndDraw() {}
bool CDisplay::Present() {
    return false;
}
bool CDisplay::FadeOut() {
    return false;
}
void CDisplay::Suspend() {}
void CDisplay::Resume() {}
void CDisplay::OpenInput() {}
void CDisplay::CloseInput() {}
void CDisplay::PointAtBackBuffer() {}
void CDisplay::GetClientOrigin(int32_t* x, int32_t* y) const {
    *x = *y = 0;
}
