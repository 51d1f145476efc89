// The window system on the headless backend: focus, client areas, the
// order of queued messages, painting, the life of windows and the pause.
#include "PlatformTestApp.h"
#include "platform/Dialog.h"
#include "platform/GX.h"
#include "platform/Platform.h"
#include "platform/PlatformInternal.h"
#include "platform/Sound.h"
#include <cstring>
#include <gtest/gtest.h>

namespace {

class CPlainFrame : public CFrameWnd {
public:
    explicit CPlainFrame(bool* deleted = nullptr) : m_pDeleted(deleted) {}
    ~CPlainFrame() override {
        if (m_pDeleted)
            *m_pDeleted = true;
    }

private:
    bool* m_pDeleted;
};

class CIdleApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// Takes every waiting message off the queue: "SETFOCUS@frame" and so on.
std::vector<std::string> Drain(HWND frame, HWND dialog) {
    std::vector<std::string> out;
    PlatMsg msg;
    while (PlatPeekMessage(&msg)) {
        const std::string who = !msg.hwnd            ? "none"
                                : msg.hwnd == frame  ? "frame"
                                : msg.hwnd == dialog ? "dialog"
                                                     : "?";
        out.push_back(plattest::MessageName(msg.message) + "@" + who);
        if (msg.message == WM_QUIT)
            break;
    }
    return out;
}

PlatRect CreateRect() {
    PlatRect desktop;
    PlatGetDesktopRect(&desktop);
    return desktop;
}

} // namespace

TEST(WindowFocus, FollowsCreationShowingBoxesAndDestruction) {
    using Lines = std::vector<std::string>;
    HeadlessReset();
    CIdleApp app;
    CDialog dialog(102);
    ASSERT_TRUE(dialog.Create("Loading...", 160, 185, nullptr));
    EXPECT_EQ(dialog.m_hWnd, PlatGetFocus()); // the first top-level window

    CPlainFrame* frame = new CPlainFrame;
    app.m_pMainWnd = frame;
    ASSERT_TRUE(frame->Create("Quibbo", WS_DLGFRAME, CreateRect(), nullptr, 0));
    HWND hFrame = frame->m_hWnd, hDialog = dialog.m_hWnd;
    EXPECT_EQ(hDialog, PlatGetFocus()); // created, not shown: the dialog keeps it
    PlatShowWindow(hFrame, SW_SHOW);
    EXPECT_EQ(hFrame, PlatGetFocus()); // showing activates
    PlatShowWindow(hDialog, SW_SHOW);
    EXPECT_EQ(hDialog, PlatGetFocus());
    EXPECT_EQ((Lines{"SETFOCUS@dialog", "KILLFOCUS@dialog", "SETFOCUS@frame", "KILLFOCUS@frame",
                     "SETFOCUS@dialog", "PAINT@dialog", "PAINT@frame"}),
              Drain(hFrame, hDialog));

    // A box owned by the frame hands the focus back to the frame.
    PlatMessageBox(hFrame, "box", "Quibbo", MB_OK);
    EXPECT_EQ(hFrame, PlatGetFocus());
    EXPECT_EQ((Lines{"KILLFOCUS@dialog", "SETFOCUS@frame"}), Drain(hFrame, hDialog));

    // Another program takes the keyboard and gives it back.
    HeadlessSetFocus(nullptr);
    EXPECT_EQ(nullptr, PlatGetFocus());
    HeadlessSetFocus(hDialog);
    EXPECT_EQ(hDialog, PlatGetFocus());
    EXPECT_EQ((Lines{"KILLFOCUS@frame", "SETFOCUS@dialog"}), Drain(hFrame, hDialog));

    // The dialog going leaves the focus on the main window.
    dialog.DestroyWindow();
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_EQ(hFrame, PlatGetFocus());
    EXPECT_EQ((Lines{"SETFOCUS@frame"}), Drain(hFrame, nullptr));

    frame->DestroyWindow(); // deletes the frame
    EXPECT_EQ(nullptr, PlatGetFocus());
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ((Lines{"QUIT@none"}), Drain(nullptr, nullptr)); // the main window went
}

TEST(WindowGeometry, ClientAreasOfFrameAndDialog) {
    HeadlessDisplay display;
    display.clientOrigin = {0, 26};
    display.clientWidth = 240;
    display.clientHeight = 294;
    ASSERT_TRUE(HeadlessReset(display));

    CPlainFrame* frame = new CPlainFrame;
    ASSERT_TRUE(frame->Create("Quibbo", 0, CreateRect(), nullptr, 0));
    PlatRect rect;
    PlatGetClientRect(frame->m_hWnd, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(240, rect.right);
    EXPECT_EQ(294, rect.bottom);
    PlatPoint p = {3, 4};
    PlatClientToScreen(frame->m_hWnd, &p);
    EXPECT_EQ(3, p.x);
    EXPECT_EQ(30, p.y);
    // The shell's full-screen set-up leaves the frame's client area alone.
    SHINITDLGINFO info = {SHIDIM_FLAGS, frame->m_hWnd, SHIDIF_FULLSCREENNOMENUBAR};
    PlatSHInitDialog(&info);
    p = {0, 0};
    PlatClientToScreen(frame->m_hWnd, &p);
    EXPECT_EQ(26, p.y);

    CDialog dialog(102);
    ASSERT_TRUE(dialog.Create("Loading...", 160, 185, nullptr));
    PlatCenterWindow(dialog.m_hWnd);
    p = {0, 0};
    PlatClientToScreen(dialog.m_hWnd, &p);
    EXPECT_EQ(40, p.x); // (240 - 160) / 2
    EXPECT_EQ(67, p.y); // (320 - 185) / 2, rounded toward zero
    info.hDlg = dialog.m_hWnd;
    PlatSHInitDialog(&info); // now it covers the screen
    PlatGetClientRect(dialog.m_hWnd, &rect);
    EXPECT_EQ(240, rect.right);
    EXPECT_EQ(320, rect.bottom);
    p = {0, 0};
    PlatClientToScreen(dialog.m_hWnd, &p);
    EXPECT_EQ(0, p.x);
    EXPECT_EQ(0, p.y);
    frame->DestroyWindow();
}

TEST(WindowQueue, PostedFirstThenQuitThenPaint) {
    HeadlessReset();
    CPlainFrame* frame = new CPlainFrame;
    ASSERT_TRUE(frame->Create("Quibbo", 0, CreateRect(), nullptr, 0));
    HWND h = frame->m_hWnd;
    PlatShowWindow(h, SW_SHOW);
    PlatPostQuitMessage(-1);
    PlatPostMessage(h, WM_CLOSE, 0, 0);
    PlatMsg msg;
    ASSERT_TRUE(PlatPeekMessage(&msg));
    EXPECT_EQ(uint32_t(WM_SETFOCUS), msg.message);
    ASSERT_TRUE(PlatPeekMessage(&msg, false)); // a look leaves it queued
    ASSERT_TRUE(PlatGetMessage(&msg));
    EXPECT_EQ(uint32_t(WM_CLOSE), msg.message);
    EXPECT_FALSE(PlatGetMessage(&msg));
    EXPECT_EQ(uint32_t(WM_QUIT), msg.message);
    EXPECT_EQ(-1, static_cast<int32_t>(msg.wParam));
    ASSERT_TRUE(PlatGetMessage(&msg));
    EXPECT_EQ(uint32_t(WM_PAINT), msg.message);
    EXPECT_EQ(h, msg.hwnd);
    EXPECT_FALSE(PlatPeekMessage(&msg)); // painted once, the window is valid

    // Invalidating a shown window asks for one paint more.
    PlatInvalidate(h, false);
    ASSERT_TRUE(PlatPeekMessage(&msg));
    EXPECT_EQ(uint32_t(WM_PAINT), msg.message);
    frame->DestroyWindow();
}

TEST(WindowLife, DestroyingAWindowDropsItsMessages) {
    HeadlessReset();
    bool deleted = false;
    CPlainFrame* frame = new CPlainFrame(&deleted);
    ASSERT_TRUE(frame->Create("Quibbo", 0, CreateRect(), nullptr, 0));
    HWND h = frame->m_hWnd;
    PlatMsg msg;
    while (PlatPeekMessage(&msg)) {
    }
    PlatPostMessage(h, WM_KEYDOWN, VK_UP, 0);
    frame->DestroyWindow();
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(PlatIsWindow(h));
    EXPECT_FALSE(PlatPeekMessage(&msg)); // the key went with the window
    PlatPostMessage(h, WM_CLOSE, 0, 0);  // posting to a dead window does nothing
    EXPECT_FALSE(PlatPeekMessage(&msg));

    // An owner deleted while its window lives takes the window with it,
    // without messages to the half-destroyed object.
    {
        CDialog dialog(102);
        ASSERT_TRUE(dialog.Create("Loading...", 160, 185, nullptr));
        h = dialog.m_hWnd;
    }
    EXPECT_FALSE(PlatIsWindow(h));
    EXPECT_EQ(nullptr, PlatGetFocus());
}

TEST(WindowPaint, FillsTheClientAreaOnTheScreen) {
    HeadlessDisplay display;
    display.clientOrigin = {10, 20};
    display.clientWidth = 100;
    display.clientHeight = 50;
    ASSERT_TRUE(HeadlessReset(display));
    CPlainFrame* frame = new CPlainFrame;
    ASSERT_TRUE(frame->Create("Quibbo", 0, CreateRect(), nullptr, 0));
    PlatFillClient(frame->m_hWnd, 0x000000FF); // pure red

    const uint8_t* fb = HeadlessFramebufferOrigin();
    auto at = [fb](int x, int y) {
        uint16_t v;
        std::memcpy(&v, fb + x * 2 + y * 480, 2);
        return v;
    };
    EXPECT_EQ(0xF800, at(10, 20));
    EXPECT_EQ(0xF800, at(109, 69));
    EXPECT_EQ(0, at(9, 20));
    EXPECT_EQ(0, at(10, 19));
    EXPECT_EQ(0, at(110, 69));
    EXPECT_EQ(0, at(109, 70));
    EXPECT_EQ(0, HeadlessPresentCount()); // a paint is not a GX frame
    frame->DestroyWindow();
}

// PAUSED stands over the picture whenever the game is held for want of the
// keyboard: the pause key, or another program taking it; once each time,
// and not for a box of ours. While held only the pause key, M and (when the
// player paused, so that the keyboard is still ours) Escape are heard.
TEST(WindowPaused, TheSignStandsWhileTheKeyboardIsElsewhere) {
    ASSERT_TRUE(HeadlessReset());
    CIdleApp app;
    CPlainFrame* frame = new CPlainFrame;
    app.m_pMainWnd = frame;
    ASSERT_TRUE(frame->Create("Quibbo", 0, CreateRect(), nullptr, 0));
    const HWND hFrame = frame->m_hWnd;
    PlatShowWindow(hFrame, SW_SHOW);
    const uint8_t* fb = HeadlessFramebufferOrigin();
    // The P's first dot of the plate centred on the 240 x 320 screen.
    auto signShown = [fb]() {
        uint16_t v;
        std::memcpy(&v, fb + 67 * 2 + 149 * 480, 2);
        return v == 0xFFE0;
    };
    auto keysQueued = [&](std::vector<uint32_t> vks) {
        Drain(hFrame, nullptr); // the focus messages
        for (uint32_t vk : vks)
            PlatPostInput(WM_KEYDOWN, vk, 0);
        return Drain(hFrame, nullptr);
    };
    Drain(hFrame, nullptr);

    PlatFillClient(hFrame, 0x00FF00);
    HeadlessSetFocus(nullptr); // another program
    EXPECT_TRUE(signShown());
    EXPECT_EQ(keysQueued({VK_ESCAPE, VK_UP}), std::vector<std::string>{}); // not ours
    HeadlessSetFocus(hFrame);
    Drain(hFrame, nullptr);
    PlatFillClient(hFrame, 0x00FF00); // as the first frame after the resume does
    EXPECT_EQ(keysQueued({VK_UP}), std::vector<std::string>{"KEYDOWN@frame"});

    PlatMessageBox(hFrame, "Quit Quibbo?", "Quibbo", MB_YESNO);
    EXPECT_FALSE(signShown());
    Drain(hFrame, nullptr);

    const bool wasMuted = PlatIsMuted();
    PlatPostInput(WM_KEYDOWN, VK_PAUSE, 0);
    EXPECT_TRUE(signShown());
    EXPECT_EQ(keysQueued({VK_UP, VK_MUTE, VK_ESCAPE}), std::vector<std::string>{"KEYDOWN@frame"});
    EXPECT_NE(PlatIsMuted(), wasMuted);
    PlatFillClient(hFrame, 0x00FF00);
    HeadlessSetFocus(nullptr); // still held: the sign is not drawn again
    EXPECT_FALSE(signShown());
    EXPECT_EQ(keysQueued({VK_ESCAPE, VK_MUTE}), std::vector<std::string>{});
    EXPECT_EQ(PlatIsMuted(), wasMuted);
    frame->DestroyWindow();
    PlatSetMuted(false);
}
