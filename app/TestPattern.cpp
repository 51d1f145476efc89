// TEMPORARY (see TestPattern.h): colour bars, grey and channel ramps and a
// border, drawn straight into the framebuffer through GXBeginDraw/GXEndDraw
// on every idle pass while the frame window has the focus, like the game.
// The arrow keys move a white marker; Escape closes the window.
#include "app/TestPattern.h"
#include "platform/FrameWnd.h"
#include "platform/GX.h"
#include "platform/Time.h"
#include "platform/WindowSystem.h"
#include <cstddef>
#include <cstring>

namespace {

// The framebuffer as the pattern sees it, clipped to the client area.
struct Target {
    uint8_t* pixels;
    GXDisplayProperties props;
    PlatRect clip;     // screen coordinates
    PlatPoint origin;  // client (0, 0) on the screen
};

uint32_t Encode(const GXDisplayProperties& p, uint32_t r, uint32_t g, uint32_t b) {
    if ((p.ffFormat & kfDirect555) && p.cBPP == 16)
        return ((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3);
    if ((p.ffFormat & kfDirect565) && p.cBPP == 16)
        return ((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3);
    return (r << 16) | (g << 8) | b;
}

// A rectangle in client coordinates, clipped first, then stepped.
void Fill(const Target& t, int32_t left, int32_t top, int32_t right, int32_t bottom,
          uint32_t word) {
    left += t.origin.x, right += t.origin.x, top += t.origin.y, bottom += t.origin.y;
    if (left < t.clip.left)
        left = t.clip.left;
    if (top < t.clip.top)
        top = t.clip.top;
    if (right > t.clip.right)
        right = t.clip.right;
    if (bottom > t.clip.bottom)
        bottom = t.clip.bottom;
    if (left >= right || top >= bottom)
        return;
    const int32_t xp = t.props.cbxPitch, yp = t.props.cbyPitch, count = right - left;
    uint8_t* row = t.pixels + static_cast<ptrdiff_t>(top) * yp + static_cast<ptrdiff_t>(left) * xp;
    for (int32_t y = top; y < bottom; ++y, row += yp) {
        uint8_t* p = row;
        if (t.props.cBPP == 16) {
            const uint16_t w16 = static_cast<uint16_t>(word);
            for (int32_t n = count; n > 0; --n, p += xp)
                std::memcpy(p, &w16, 2);
        } else {
            for (int32_t n = count; n > 0; --n, p += xp)
                std::memcpy(p, &word, 4);
        }
    }
}

class CTestPatternFrame : public CFrameWnd {
public:
    int OnCreate(PlatCreateStruct* cs) override;
    void OnPaint() override { PlatFillClient(m_hWnd, 0); }
    void OnDestroy() override;
    bool PreTranslateMessage(PlatMsg* msg) override;
    void Draw();

private:
    int32_t m_nMarkerX = 114;
    int32_t m_nMarkerY = 90;
};

int CTestPatternFrame::OnCreate(PlatCreateStruct* /*cs*/) {
    GXOpenDisplay(m_hWnd, 0);
    GXOpenInput();
    PlatShowWindow(m_hWnd, SW_SHOW);
    return 0;
}

void CTestPatternFrame::OnDestroy() {
    GXCloseInput();
    GXCloseDisplay();
    CFrameWnd::OnDestroy();
}

bool CTestPatternFrame::PreTranslateMessage(PlatMsg* msg) {
    if (msg->message != WM_KEYDOWN)
        return false;
    switch (msg->wParam) {
    case VK_ESCAPE:
        PlatPostMessage(m_hWnd, WM_CLOSE, 0, 0);
        return true;
    case VK_LEFT:
        m_nMarkerX -= 4;
        return true;
    case VK_RIGHT:
        m_nMarkerX += 4;
        return true;
    case VK_UP:
        m_nMarkerY -= 4;
        return true;
    case VK_DOWN:
        m_nMarkerY += 4;
        return true;
    default:
        return false;
    }
}

void CTestPatternFrame::Draw() {
    PlatRect client;
    PlatGetClientRect(m_hWnd, &client);
    PlatPoint origin = {0, 0};
    PlatClientToScreen(m_hWnd, &origin);
    Target t;
    t.pixels = static_cast<uint8_t*>(GXBeginDraw());
    t.props = GXGetDisplayProperties();
    if (!t.pixels || !(t.props.cBPP == 16 || t.props.cBPP == 32)) {
        GXEndDraw();
        return;
    }
    t.origin = origin;
    t.clip = {origin.x > 0 ? origin.x : 0, origin.y > 0 ? origin.y : 0,
              origin.x + client.right, origin.y + client.bottom};
    if (t.clip.right > t.props.cxWidth)
        t.clip.right = t.props.cxWidth;
    if (t.clip.bottom > t.props.cyHeight)
        t.clip.bottom = t.props.cyHeight;

    const int32_t w = client.right, h = client.bottom;
    const int32_t barsBottom = h * 6 / 10, greyBottom = h * 8 / 10;

    static const uint8_t kBars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255},
                                        {0, 255, 0},     {255, 0, 255}, {255, 0, 0},
                                        {0, 0, 255},     {0, 0, 0}};
    for (int i = 0; i < 8; ++i)
        Fill(t, w * i / 8, 0, w * (i + 1) / 8, barsBottom,
             Encode(t.props, kBars[i][0], kBars[i][1], kBars[i][2]));

    // Ramps: grey across the whole width, then red, green and blue.
    const int32_t rampHeight = (h - greyBottom) / 3;
    for (int32_t x = 0; x < w; ++x) {
        const uint32_t v = w > 1 ? static_cast<uint32_t>(x * 255 / (w - 1)) : 0;
        Fill(t, x, barsBottom, x + 1, greyBottom, Encode(t.props, v, v, v));
        Fill(t, x, greyBottom, x + 1, greyBottom + rampHeight, Encode(t.props, v, 0, 0));
        Fill(t, x, greyBottom + rampHeight, x + 1, greyBottom + 2 * rampHeight,
             Encode(t.props, 0, v, 0));
        Fill(t, x, greyBottom + 2 * rampHeight, x + 1, h, Encode(t.props, 0, 0, v));
    }

    // The marker, and a tick mark that walks along the grey ramp with time
    // to show that frames keep coming.
    const uint32_t white = Encode(t.props, 255, 255, 255);
    const uint32_t black = Encode(t.props, 0, 0, 0);
    Fill(t, m_nMarkerX - 1, m_nMarkerY - 1, m_nMarkerX + 13, m_nMarkerY + 13, black);
    Fill(t, m_nMarkerX, m_nMarkerY, m_nMarkerX + 12, m_nMarkerY + 12, white);
    const int32_t tick = w > 0 ? static_cast<int32_t>((PlatGetTickCount() / 16) % w) : 0;
    Fill(t, tick, barsBottom, tick + 2, barsBottom + 8, Encode(t.props, 255, 0, 0));

    // A two-pixel white border shows where the client area ends.
    Fill(t, 0, 0, w, 2, white);
    Fill(t, 0, h - 2, w, h, white);
    Fill(t, 0, 0, 2, h, white);
    Fill(t, w - 2, 0, w, h, white);
    GXEndDraw();
}

} // namespace

bool CTestPatternApp::InitInstance() {
    PlatRect desktop;
    PlatGetDesktopRect(&desktop);
    CTestPatternFrame* frame = new CTestPatternFrame;
    m_pMainWnd = frame;
    return frame->Create("Quibbo", WS_DLGFRAME, desktop, nullptr, 0);
}

bool CTestPatternApp::OnIdle(long count) {
    CWinApp::OnIdle(count);
    CTestPatternFrame* frame = static_cast<CTestPatternFrame*>(m_pMainWnd);
    // Like the game: frames only while the window has the focus, otherwise
    // wait for a message.
    if (!frame || PlatGetFocus() != frame->m_hWnd)
        return false;
    frame->Draw();
    return true;
}
