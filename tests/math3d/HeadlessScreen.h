// A 240 x 320 screen on the headless display, 32 bits per pixel so that
// colours read back exactly, for tests that project and draw.
#pragma once
#include "gfx/Screen.h"
#include "platform/headless/Headless.h"
#include "platform/WindowSystem.h"
#include "platform/Wnd.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

class CHeadlessScreen {
public:
    CHeadlessScreen() {
        HeadlessDisplay d;
        d.bitsPerPixel = 32;
        d.format = kfDirect888;
        HeadlessReset(d);
        const PlatRect rect = {0, 0, 240, 320};
        m_hWnd = PlatCreateWindow(&m_wnd, "screen", 0, 0, rect, nullptr);
        m_pScreen = std::make_unique<CScreen>(m_hWnd);
    }
    ~CHeadlessScreen() {
        m_pScreen.reset();
        PlatDestroyWindow(m_hWnd);
    }

    CScreen& operator*() { return *m_pScreen; }
    CScreen* operator->() { return m_pScreen.get(); }

    // Fills the whole back buffer with one colour value.
    void Clear(uint32_t colour) {
        for (int32_t y = 0; y < m_pScreen->height; ++y)
            for (int32_t x = 0; x < m_pScreen->width; ++x)
                m_pScreen->SetPixel(x, y, colour);
    }
    // The smallest rectangle (right and bottom exclusive) holding every pixel
    // that is not `background`; all zero when there is none.
    PlatRect Changed(uint32_t background) {
        PlatRect r = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int32_t y = 0; y < m_pScreen->height; ++y)
            for (int32_t x = 0; x < m_pScreen->width; ++x)
                if (m_pScreen->GetPixel(x, y) != background) {
                    r.left = x < r.left ? x : r.left;
                    r.top = y < r.top ? y : r.top;
                    r.right = x + 1 > r.right ? x + 1 : r.right;
                    r.bottom = y + 1 > r.bottom ? y + 1 : r.bottom;
                }
        if (r.left == INT32_MAX)
            r = {0, 0, 0, 0};
        return r;
    }

private:
    CWnd m_wnd;
    HWND m_hWnd = nullptr;
    std::unique_ptr<CScreen> m_pScreen;
};

// The rectangle as text, for readable comparisons.
inline std::string RectText(const PlatRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}
