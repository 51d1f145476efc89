// The display device and the screen on the headless platform: the order of
// the platform and shell calls, presenting through any pitches, the fade,
// suspend and resume, and the bracket around direct drawing.
#include "gfx/Screen.h"
#include "platform/FrameWnd.h"
#include "platform/GX.h"
#include "platform/PlatformInternal.h"
#include "platform/Time.h"
#include "platform/WindowSystem.h"
#include "testkit/Pictures.h"

#include <gtest/gtest.h>

using namespace gfxtest;

namespace {

// The platform calls of the log, without the property queries that every
// surface creation and bracket makes.
std::vector<std::string> Calls() {
    std::vector<std::string> out;
    for (const std::string& line : HeadlessCallLog())
        if (line != "GXGetDisplayProperties")
            out.push_back(line);
    return out;
}

int Count(const std::vector<std::string>& calls, const std::string& line) {
    int n = 0;
    for (const std::string& c : calls)
        n += c == line;
    return n;
}

const std::vector<std::string> kOpenInput = {
    "ShowWindow 5",      "GXOpenInput",    "SipShowIM 0",     "SetExStyle 8",
    "SHInitDialog 1 16", "SHFullScreen 2", "SHFullScreen 32", "SHFullScreen 8"};

// A view of the headless framebuffer as the platform describes it.
struct FramebufferView {
    FramebufferView() {
        s.pixels = const_cast<uint8_t*>(HeadlessFramebufferOrigin());
        s.SetFormat(GXGetDisplayProperties());
    }
    ~FramebufferView() { s.pixels = nullptr; }
    CSurface s;
};

class DisplayTest : public testing::Test {
protected:
    // Starts the headless display and a frame window whose client area is
    // placed as `d` says.
    void Start(const HeadlessDisplay& d) {
        Stop(); // a reset forgets windows without deleting their owners
        ASSERT_TRUE(HeadlessReset(d));
        CFrameWnd* frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create("Quibbo", 0, PlatRect{0, 0, d.width, d.height}, nullptr, 0));
        m_hWnd = frame->GetSafeHwnd();
        HeadlessClearLog();
    }
    static HeadlessDisplay Display(const Format& f, PlatPoint origin = {0, 0},
                                   int32_t clientW = 240, int32_t clientH = 320) {
        HeadlessDisplay d;
        d.bitsPerPixel = f.bitsPerPixel;
        d.format = f.flags;
        d.clientOrigin = origin;
        d.clientWidth = clientW;
        d.clientHeight = clientH;
        return d;
    }
    void Stop() {
        if (PlatIsWindow(m_hWnd))
            PlatDestroyWindow(m_hWnd); // the frame window deletes itself
        m_hWnd = nullptr;
    }
    void TearDown() override { Stop(); }
    HWND m_hWnd = nullptr;
};

} // namespace

TEST_F(DisplayTest, OpensInputFullScreenAndDisplayThenMakesTheBackBuffer) {
    Start(Display(k565, {0, 26}, 240, 294));
    {
        CScreen screen(m_hWnd);
        std::vector<std::string> expect = kOpenInput;
        expect.push_back("GXOpenDisplay 0");
        EXPECT_EQ(Calls(), expect);

        EXPECT_EQ(screen.window, m_hWnd);
        EXPECT_EQ(screen.backBuffer.width, 240);
        EXPECT_EQ(screen.backBuffer.height, 294);
        EXPECT_EQ(screen.backBuffer.formatFlags, uint32_t(kfDirect565));
        // The screen surface borrows the back buffer.
        EXPECT_EQ(screen.pixels, screen.backBuffer.pixels);
        EXPECT_EQ(screen.width, 240);
        EXPECT_EQ(screen.height, 294);
        EXPECT_EQ(screen.xPitch, screen.backBuffer.xPitch);
        EXPECT_EQ(screen.yPitch, screen.backBuffer.yPitch);
        EXPECT_EQ(screen.bitsPerPixel, 16);
        EXPECT_EQ(screen.projectionScale, 144.0);
        HeadlessClearLog();
    }
    // Closing: display, input, and the shell gets its bars back.
    const std::vector<std::string> expect = {"GXCloseDisplay", "GXCloseInput",   "SetExStyle 0",
                                             "Invalidate",     "SHFullScreen 1", "SHFullScreen 16",
                                             "SHFullScreen 4"};
    EXPECT_EQ(Calls(), expect);
}

TEST_F(DisplayTest, ProjectionScaleFollowsTheClientWidth) {
    Start(Display(k888, {0, 0}, 100, 50));
    CScreen screen(m_hWnd);
    EXPECT_DOUBLE_EQ(screen.projectionScale, 60.0);
}

TEST_F(DisplayTest, PresentPutsRowZeroAtTheClientOriginInEveryFormat) {
    for (const Format& f : AllFormats()) {
        // The client area runs 6 rows past the bottom of the screen.
        Start(Display(f, {0, 26}, 240, 300));
        CScreen screen(m_hWnd);
        std::mt19937 rng(11);
        FillRandom(screen.backBuffer, rng, 0);
        const int before = HeadlessPresentCount();
        ASSERT_TRUE(screen.Present()) << f.name;
        EXPECT_EQ(HeadlessPresentCount(), before + 1);
        FramebufferView fb;
        for (int32_t y = 0; y < 320; ++y)
            for (int32_t x = 0; x < 240; ++x) {
                const uint32_t expect = y < 26 ? 0u : screen.backBuffer.GetPixel(x, y - 26);
                ASSERT_EQ(fb.s.GetPixel(x, y), expect) << f.name << " " << x << "," << y;
            }
        // Back in the back buffer afterwards.
        EXPECT_EQ(screen.pixels, screen.backBuffer.pixels);
        EXPECT_EQ(screen.height, 300);
    }
}

TEST_F(DisplayTest, PresentServesRotatedAndMirroredFramebuffers) {
    struct Layout {
        int32_t xPitch, yPitch;
    } layouts[] = {{-2, 0}, {2, -480}, {-320 * 2, 2}, {320 * 2, -2}, {-2, -480}};
    for (const Layout& l : layouts) {
        HeadlessDisplay d = Display(k565, {10, 20}, 200, 280);
        d.xPitch = l.xPitch;
        d.yPitch = l.yPitch;
        Start(d);
        ASSERT_EQ(GXGetDisplayProperties().cbxPitch, l.xPitch);
        CScreen screen(m_hWnd);
        std::mt19937 rng(l.xPitch * 31 + l.yPitch);
        FillRandom(screen.backBuffer, rng, 30);
        ASSERT_TRUE(screen.Present());
        FramebufferView fb;
        for (int32_t y = 0; y < 320; ++y)
            for (int32_t x = 0; x < 240; ++x) {
                const bool inside = x >= 10 && x < 210 && y >= 20 && y < 300;
                const uint32_t expect = inside ? screen.backBuffer.GetPixel(x - 10, y - 20) : 0u;
                ASSERT_EQ(fb.s.GetPixel(x, y), expect)
                    << l.xPitch << "/" << l.yPitch << " at " << x << "," << y;
            }
    }
}

TEST_F(DisplayTest, DrawingGoesToTheBackBufferOutsideTheBracket) {
    Start(Display(k888, {0, 26}, 240, 294));
    CScreen screen(m_hWnd);
    FramebufferView fb;
    screen.SetPixel(3, 4, 0x00112233);
    EXPECT_EQ(screen.backBuffer.GetPixel(3, 4), 0x00112233u);
    EXPECT_EQ(fb.s.GetPixel(3, 4 + 26), 0u);

    int32_t x = -1, y = -1;
    screen.BeginDraw(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 26);
    EXPECT_EQ(screen.pixels, HeadlessFramebufferOrigin());
    EXPECT_EQ(screen.height, 320) << "the framebuffer's own geometry";
    screen.SetPixel(5 + x, 6 + y, 0x00445566);
    EXPECT_EQ(fb.s.GetPixel(5, 32), 0x00445566u) << "the display changes at once";
    EXPECT_EQ(screen.backBuffer.GetPixel(5, 6), 0u);
    screen.EndDraw();
    EXPECT_EQ(screen.pixels, screen.backBuffer.pixels);
    EXPECT_EQ(screen.height, 294);
}

// Eleven frames down to black, or to the lowest brightness asked for (a
// softer fade, for reduced flashes).
TEST_F(DisplayTest, FadeOutShowsElevenFramesAndKeepsTheBackBuffer) {
    for (const Format& f : AllFormats()) {
        for (const int32_t lowest : {0, 50}) {
            Start(Display(f, {0, 26}, 240, 294));
            CScreen screen(m_hWnd);
            std::mt19937 rng(4);
            FillRandom(screen.backBuffer, rng, 0);
            const std::vector<uint32_t> picture = Colours(screen.backBuffer);
            HeadlessClearLog();
            const int before = HeadlessPresentCount();
            ASSERT_TRUE(screen.FadeOut(lowest)) << f.name;
            EXPECT_EQ(HeadlessPresentCount() - before, 11) << f.name;
            const std::vector<std::string> calls = Calls();
            EXPECT_EQ(Count(calls, "GXBeginDraw"), 11);
            EXPECT_EQ(Count(calls, "GXEndDraw"), 11);
            EXPECT_EQ(Count(calls, "Sleep 500"), 0) << "no waits between the steps";
            // Each step is held on the display for a refresh, so a window that
            // folds fast pictures still shows all eleven.
            for (size_t i = 0; i + 2 < calls.size(); i += 3) {
                EXPECT_EQ(calls[i], "GXBeginDraw");
                EXPECT_EQ(calls[i + 1], "GXEndDraw");
                EXPECT_EQ(calls[i + 2], "HoldPicture");
            }
            EXPECT_EQ(Colours(screen.backBuffer), picture) << f.name;
            EXPECT_EQ(screen.pixels, screen.backBuffer.pixels);
            // The last frame is the picture at the lowest brightness (all black
            // for 0) over the client area.
            CSurface last;
            ASSERT_TRUE(screen.TintBackBuffer(last, lowest));
            FramebufferView fb;
            for (int32_t y = 26; y < 320; ++y)
                for (int32_t x = 0; x < 240; ++x)
                    ASSERT_EQ(fb.s.GetPixel(x, y), lowest ? last.GetPixel(x, y - 26) : 0u)
                        << f.name;
            // Presenting again shows the unchanged picture.
            ASSERT_TRUE(screen.Present());
            EXPECT_EQ(fb.s.GetPixel(17, 26 + 9), screen.backBuffer.GetPixel(17, 9));
            EXPECT_NE(screen.backBuffer.GetPixel(17, 9), 0u);
        }
    }
}

TEST_F(DisplayTest, SuspendAndResumeRepeatTheFullScreenEntry) {
    Start(Display(k565));
    CScreen screen(m_hWnd);
    screen.backBuffer.SetPixel(0, 0, 0x00FFFFFF);
    HeadlessClearLog();
    screen.Suspend();
    EXPECT_EQ(Calls(), std::vector<std::string>{"GXSuspend"});

    // Suspended, the platform gives no framebuffer: the present fails,
    // changes nothing, and still closes its bracket.
    HeadlessClearLog();
    EXPECT_FALSE(screen.Present());
    EXPECT_EQ(Calls(), (std::vector<std::string>{"GXBeginDraw", "GXEndDraw"}));
    FramebufferView fb;
    EXPECT_EQ(fb.s.GetPixel(0, 0), 0u);
    EXPECT_EQ(screen.pixels, screen.backBuffer.pixels);
    EXPECT_EQ(screen.GetPixel(0, 0), 0x00F8FCF8u);

    // No device here has a shell to wait for: the resume takes no time.
    HeadlessClearLog();
    const uint32_t before = PlatGetTickCount();
    screen.Resume();
    std::vector<std::string> expect = kOpenInput;
    expect.push_back("GXResume");
    EXPECT_EQ(Calls(), expect);
    EXPECT_EQ(PlatGetTickCount(), before);
    EXPECT_TRUE(screen.Present());
    EXPECT_EQ(fb.s.GetPixel(0, 0), 0x00F8FCF8u);

    // A device whose shell needs a moment is given it, after the input
    // panel goes and before the full-screen calls.
    PlatSetShellSettle(120);
    screen.Suspend();
    HeadlessClearLog();
    screen.Resume();
    expect.insert(expect.begin() + 3, "Sleep 120");
    EXPECT_EQ(Calls(), expect);
    EXPECT_EQ(PlatGetTickCount(), before + 120);
    PlatSetShellSettle(0);
}

TEST_F(DisplayTest, WallQuadsDrawIntoTheBackBuffer) {
    Start(Display(k565));
    CScreen screen(m_hWnd);
    CSurface texture, expect;
    ASSERT_TRUE(texture.Create(16, 16));
    std::mt19937 rng(8);
    FillRandom(texture, rng, 0);
    ASSERT_TRUE(expect.Create(240, 320));
    ASSERT_TRUE(expect.StretchToTrapezoid(texture, 30, 120, 40, 80, 200, 160));
    ASSERT_TRUE(screen.DrawWallQuad(texture, 30, 120, 40, 80, 200, 160));
    EXPECT_EQ(Colours(screen.backBuffer), Colours(expect));
    EXPECT_FALSE(screen.DrawWallQuad(texture, 30, 120, 201, 80, 200, 160));
}

TEST_F(DisplayTest, WithoutABackBufferNothingIsDrawn) {
    Start(Display(k565, {0, 0}, 0, 0));
    CScreen screen(m_hWnd);
    EXPECT_EQ(screen.pixels, nullptr);
    EXPECT_EQ(screen.projectionScale, 0.0);
    CSurface picture;
    ASSERT_TRUE(picture.Create(4, 4));
    EXPECT_FALSE(screen.Blit(picture, 0, 0, false));
    EXPECT_FALSE(screen.Present());
    EXPECT_FALSE(screen.FadeOut());
    EXPECT_EQ(screen.pixels, nullptr);
}
