// What the maze draws: the sky and floor behind the view, the minimap with
// the enemies' dots, and the shot's trace straight on the framebuffer; and
// the rules that need a screen (the shot's hit box, a restart from a file).
#include "MazeTestLevels.h"
#include "gfx/Screen.h"
#include "math3d/Sprite.h"
#include "platform/FrameWnd.h"
#include "platform/WindowSystem.h"
#include "platform/headless/Headless.h"
#include "scene/Enemy.h"
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// A colour every column of a 565 picture keeps apart (up to 2048 columns).
uint32_t ColumnColour(int x) {
    return static_cast<uint32_t>(((x & 31) << 3) | (((x >> 5) & 63) << 2) << 8);
}

void FillColumns(CSurface& surface, int width, int height) {
    ASSERT_TRUE(surface.Create(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.SetPixel(x, y, ColumnColour(x));
}

void Fill(CSurface& surface, int width, int height, uint32_t colour) {
    ASSERT_TRUE(surface.Create(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.SetPixel(x, y, colour);
}

const uint32_t kRed = 0x0000F8;    // pure red as a 565 pixel reads back
const uint32_t kYellow = 0x00FCF8; // yellow likewise
const uint32_t kGrey = 0x404040;

class MazeDraw : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessDisplay display;
        display.clientOrigin = {0, 0};
        HeadlessReset(display);
        m_pFrame = new CFrameWnd; // deletes itself with its window
        PlatRect desktop;
        PlatGetDesktopRect(&desktop);
        ASSERT_TRUE(m_pFrame->Create("maze test", 0, desktop, nullptr, 0));
        m_pScreen.reset(new CScreen(m_pFrame->GetSafeHwnd()));
        ASSERT_EQ(240, m_pScreen->width);
        ASSERT_EQ(320, m_pScreen->height);
    }
    void TearDown() override {
        m_pScreen.reset();
        if (m_pFrame)
            m_pFrame->DestroyWindow();
    }

    // Clears the back buffer to one colour.
    void Clear(uint32_t colour) {
        for (int y = 0; y < m_pScreen->height; ++y)
            for (int x = 0; x < m_pScreen->width; ++x)
                m_pScreen->SetPixel(x, y, colour);
    }

    // A maze loaded from a level file as the game loads its next levels
    // (grid, minimap picture, build).
    std::unique_ptr<CMaze> LoadFromText(const std::string& text, const std::string& name) {
        m_strPath = ScratchPath(name);
        EXPECT_TRUE(WriteWholeFile(m_strPath.c_str(), MakeLevelBitmap(GridFromText(text))));
        std::unique_ptr<CMaze> maze(new CMaze(nullptr, 1));
        EXPECT_TRUE(maze->LoadNextFromFile(m_strPath.c_str(), m_tables.Pictures()));
        std::remove(m_strPath.c_str());
        return maze;
    }

    CFrameWnd* m_pFrame = nullptr;
    std::unique_ptr<CScreen> m_pScreen;
    CPose m_camera;
    TestTables m_tables;
    std::string m_strPath;
};

} // namespace

TEST_F(MazeDraw, SkyIsTwoCopiesTurnedByHeadingAndDrift) {
    CMaze maze(nullptr, 1);
    FillColumns(maze.GetSky(), 800, 160);
    Fill(maze.GetFloor(), 240, 160, kGrey);
    // Heading 0, no drift: x0 = 799, so only the second copy shows, at -1.
    maze.DrawBackground(*m_pScreen, m_camera);
    for (int x : {0, 1, 100, 239})
        for (int y : {0, 159})
            EXPECT_EQ(ColumnColour(x + 1), m_pScreen->GetPixel(x, y)) << x;
    // 315.1 degrees: off = trunc(800 x 315.1 / 360) = 700, x0 = 99. The first
    // copy starts at column 99, the second ends just left of it.
    m_camera.heading = 315.1;
    maze.DrawBackground(*m_pScreen, m_camera);
    EXPECT_EQ(ColumnColour(0), m_pScreen->GetPixel(99, 10));
    EXPECT_EQ(ColumnColour(140), m_pScreen->GetPixel(239, 10));
    EXPECT_EQ(ColumnColour(799), m_pScreen->GetPixel(98, 10));
    EXPECT_EQ(ColumnColour(701), m_pScreen->GetPixel(0, 10));
    // The drift adds 0.003 degrees a millisecond: 1000 ms turn the sky 3
    // degrees (off 6, x0 793); a frame of 0 ms does not move it.
    m_camera.heading = 0.0;
    maze.Update(1000, m_camera);
    maze.Update(0, m_camera);
    EXPECT_DOUBLE_EQ(3.0, maze.GetSkyDrift());
    maze.DrawBackground(*m_pScreen, m_camera);
    EXPECT_EQ(ColumnColour(7), m_pScreen->GetPixel(0, 50));
    EXPECT_EQ(ColumnColour(246), m_pScreen->GetPixel(239, 50));
    // The floor fills the rows below the sky.
    EXPECT_EQ(ColumnColour(7), m_pScreen->GetPixel(0, 159));
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(0, 160));
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(239, 319));
}

TEST_F(MazeDraw, FloorStartsAtTheSkysBottomOrHalfTheScreen) {
    CMaze maze(nullptr, 1);
    Fill(maze.GetFloor(), 240, 300, kGrey);
    // A low sky: the floor starts right below it.
    Fill(maze.GetSky(), 800, 100, kYellow);
    Clear(0);
    maze.DrawBackground(*m_pScreen, m_camera);
    EXPECT_EQ(kYellow, m_pScreen->GetPixel(120, 99));
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(120, 100));
    // A tall sky: the floor covers it from half the screen down.
    Fill(maze.GetSky(), 800, 250, kYellow);
    maze.DrawBackground(*m_pScreen, m_camera);
    EXPECT_EQ(kYellow, m_pScreen->GetPixel(120, 159));
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(120, 160));
    // Without pictures nothing is drawn and nothing breaks.
    CMaze empty(nullptr, 1);
    Clear(kRed);
    empty.DrawBackground(*m_pScreen, m_camera);
    EXPECT_EQ(kRed, m_pScreen->GetPixel(0, 0));
}

TEST_F(MazeDraw, MinimapSitsAtTheBottomCentreWithTheEnemiesDots) {
    std::unique_ptr<CMaze> maze = LoadFromText(kBuiltInLevelText, "minimap.bmp");
    ASSERT_EQ(76, maze->GetMinimap().width);
    ASSERT_EQ(48, maze->GetMinimap().height);
    Clear(kGrey);
    maze->DrawOverlay(*m_pScreen);
    int32_t left = -1, top = -1;
    maze->GetMinimapOrigin(&left, &top);
    EXPECT_EQ(82, left);
    EXPECT_EQ(272, top);
    // Walls and items show in their palette colours; corridors are see-through.
    EXPECT_EQ(maze->GetMinimap().GetPixel(1, 2), m_pScreen->GetPixel(83, 274)); // wall
    EXPECT_NE(kGrey, m_pScreen->GetPixel(83, 274));
    EXPECT_EQ(maze->GetMinimap().GetPixel(3, 4), m_pScreen->GetPixel(85, 276)); // gun
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(82, 272));                             // corridor
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(81, 300));                             // beside it
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(158, 300));
    // Each enemy's dot: pure red at (int(left + x), int(top + z)).
    ASSERT_EQ(14, maze->GetChildCount());
    for (int i = 0; i < maze->GetChildCount(); ++i) {
        const CPose& pose = static_cast<const CEnemy*>(maze->GetChild(i))->GetPose();
        EXPECT_EQ(kRed, m_pScreen->GetPixel(82 + int(pose.x), 272 + int(pose.z))) << i;
    }
    // A dot follows the pose, truncated: at (20.9, 30.99) it is pixel (102, 302).
    static_cast<CEnemy*>(maze->GetChild(0))->SetPosition(20.9, 30.99, 0);
    Clear(kGrey);
    maze->DrawOverlay(*m_pScreen);
    EXPECT_EQ(kRed, m_pScreen->GetPixel(102, 302));
}

TEST_F(MazeDraw, WideMinimapIsClippedAndDotsOffScreenAreSkipped) {
    std::string text;
    for (int r = 0; r < 3; ++r)
        text += std::string(r == 1 ? "E" : ".") + std::string(298, '#') + "E\n";
    std::unique_ptr<CMaze> maze = LoadFromText(text, "wide.bmp");
    ASSERT_EQ(300, maze->GetMinimap().width);
    Clear(kGrey);
    maze->DrawOverlay(*m_pScreen);
    int32_t left = 0, top = 0;
    maze->GetMinimapOrigin(&left, &top);
    EXPECT_EQ(-30, left);
    EXPECT_EQ(317, top);
    EXPECT_EQ(maze->GetMinimap().GetPixel(30, 0), m_pScreen->GetPixel(0, 317));
    // The enemy at column 0 would sit at x = -30 and those at column 299 at
    // x = 269, off the screen's sides: in the back buffer's memory they would
    // land on pixels of the rows before and after, which keep the minimap.
    const CSurface& minimap = maze->GetMinimap();
    EXPECT_EQ(minimap.GetPixel(240, 0), m_pScreen->GetPixel(210, 317));
    EXPECT_EQ(minimap.GetPixel(59, 1), m_pScreen->GetPixel(29, 318));
    EXPECT_EQ(minimap.GetPixel(59, 2), m_pScreen->GetPixel(29, 319));
    EXPECT_NE(kRed, m_pScreen->GetPixel(210, 317));
}

TEST_F(MazeDraw, ShotTraceGoesStraightToTheFramebuffer) {
    std::unique_ptr<CMaze> maze = LoadFromText("######\n"
                                               "#....#\n"
                                               "######\n",
                                               "trace.bmp");
    Clear(0);
    maze->DrawOverlay(*m_pScreen);
    ASSERT_TRUE(m_pScreen->Present());
    int32_t left = 0, top = 0;
    maze->GetMinimapOrigin(&left, &top);
    EXPECT_EQ(nullptr, maze->Probe(PlatPoint{2, 1}, m_pScreen.get()));
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{0, 1}, m_pScreen.get()));
    int32_t ox = 0, oy = 0;
    m_pScreen->BeginDraw(&ox, &oy);
    const uint32_t traced = m_pScreen->GetPixel(left + 2 + ox, top + 1 + oy);
    const uint32_t wall = m_pScreen->GetPixel(left + 0 + ox, top + 1 + oy);
    m_pScreen->EndDraw();
    EXPECT_EQ(kYellow, traced);
    EXPECT_NE(kYellow, wall); // a wall cell draws no trace
    // The back buffer is untouched.
    EXPECT_EQ(0u, m_pScreen->GetPixel(left + 2, top + 1));
    // Without a screen there is nowhere to draw, and the answer is the same.
    EXPECT_EQ(nullptr, maze->Probe(PlatPoint{3, 1}, nullptr));
}

TEST_F(MazeDraw, ShotTraceIsPlacedByTheWindowsOriginAndClipped) {
    TearDown();
    HeadlessDisplay display;
    display.width = 260;
    display.height = 340;
    display.clientOrigin = {10, 15};
    HeadlessReset(display);
    m_pFrame = new CFrameWnd;
    PlatRect rect = {10, 15, 250, 335};
    ASSERT_TRUE(m_pFrame->Create("maze test", 0, rect, nullptr, 0));
    m_pScreen.reset(new CScreen(m_pFrame->GetSafeHwnd()));
    std::unique_ptr<CMaze> maze = LoadFromText("######\n"
                                               "#....#\n"
                                               "######\n",
                                               "origin.bmp");
    maze->DrawOverlay(*m_pScreen);
    int32_t left = 0, top = 0;
    maze->GetMinimapOrigin(&left, &top);
    int32_t ox = 0, oy = 0;
    m_pScreen->BeginDraw(&ox, &oy);
    m_pScreen->EndDraw();
    maze->Probe(PlatPoint{4, 1}, m_pScreen.get());
    m_pScreen->BeginDraw(&ox, &oy);
    EXPECT_EQ(kYellow, m_pScreen->GetPixel(left + 4 + ox, top + 1 + oy));
    m_pScreen->EndDraw();
    // A trace far below the framebuffer is not drawn (and nothing breaks).
    CMaze tall(nullptr, 1);
    std::string text = "#.#\n";
    for (int i = 0; i < 400; ++i)
        text += "#.#\n";
    const std::vector<uint8_t> dib = MakeLevelBitmap(GridFromText(text), false);
    ASSERT_TRUE(tall.ReadGrid(dib.data(), dib.size()));
    EXPECT_EQ(nullptr, tall.Probe(PlatPoint{1, 399}, m_pScreen.get()));
}

TEST_F(MazeDraw, ShotHitsAProjectedEnemyInItsTwoByTwoBox) {
    std::unique_ptr<CMaze> maze = LoadFromText("##########\n"
                                               "#........#\n"
                                               "#........#\n"
                                               "#........#\n"
                                               "#........#\n"
                                               "#....E...#\n"
                                               "#........#\n"
                                               "##########\n",
                                               "hitbox.bmp");
    CEnemy* enemy = static_cast<CEnemy*>(maze->GetChild(0));
    enemy->SetPosition(5.3, 5.6, 0); // cell (5, 5)
    // Not drawn yet: cannot be hit.
    EXPECT_EQ(nullptr, maze->Probe(PlatPoint{5, 5}, m_pScreen.get()));
    // The player below it at (5.5, 6.9), looking up the map.
    m_camera.x = 5.5;
    m_camera.y = 0.5;
    m_camera.z = 6.9;
    m_camera.heading = 0;
    const PlatRect region = {5 - 11, 6 - 11, 5 + 11, 6 + 11};
    maze->TransformTree(m_camera.GetViewMatrix(), region);
    std::vector<CDrawable*> visible;
    maze->CollectVisible(visible);
    for (CDrawable* d : visible)
        d->Project(*m_pScreen);
    ASSERT_TRUE(enemy->GetSprite()->IsProjected());
    for (const PlatPoint p : {PlatPoint{4, 4}, PlatPoint{5, 4}, PlatPoint{4, 5}, PlatPoint{5, 5}})
        EXPECT_EQ(enemy, maze->Probe(p, m_pScreen.get())) << p.x << "," << p.y;
    for (const PlatPoint p :
         {PlatPoint{6, 5}, PlatPoint{5, 6}, PlatPoint{3, 5}, PlatPoint{5, 3}, PlatPoint{6, 6}})
        EXPECT_EQ(nullptr, maze->Probe(p, m_pScreen.get())) << p.x << "," << p.y;
    // Outside the view region the sprite is not transformed or projected.
    const PlatRect far = {30, 30, 52, 52};
    maze->TransformTree(m_camera.GetViewMatrix(), far);
    EXPECT_FALSE(enemy->GetSprite()->IsProjected());
    EXPECT_EQ(nullptr, maze->Probe(PlatPoint{5, 5}, m_pScreen.get()));
}

TEST_F(MazeDraw, RestartBringsBackTheWholeLevelFromItsFile) {
    m_strPath = ScratchPath("restart.bmp");
    ASSERT_TRUE(WriteWholeFile(m_strPath.c_str(), MakeLevelBitmap(GridFromText("#######\n"
                                                                               "#oG.Eo#\n"
                                                                               "#######\n"))));
    CMaze maze(nullptr, 1);
    ASSERT_TRUE(maze.LoadNextFromFile(m_strPath.c_str(), m_tables.Pictures()));
    const size_t drawables = maze.GetDrawables().size();
    const uint32_t dotColour = maze.GetMinimap().GetPixel(1, 1);
    CSceneNode* hit = nullptr;
    EXPECT_EQ(EV_DOT, maze.Interact(PoseAt(1.5, 1.5), &hit));
    EXPECT_EQ(EV_GUN, maze.Interact(PoseAt(2.5, 1.5), &hit));
    // A taken item turns see-through on the minimap.
    EXPECT_EQ(kRed, maze.GetMinimap().GetPixel(1, 1));
    maze.RemoveChild(maze.GetChild(0));
    EXPECT_EQ(1, maze.GetDotsLeft());
    ASSERT_TRUE(maze.Restart());
    EXPECT_EQ(2, maze.GetDotsLeft());
    EXPECT_EQ(drawables, maze.GetDrawables().size());
    EXPECT_EQ(64, maze.GetCell(1, 1));
    EXPECT_EQ(dotColour, maze.GetMinimap().GetPixel(1, 1));
    ASSERT_EQ(1, maze.GetChildCount());
    EXPECT_EQ(4.0, static_cast<CEnemy*>(maze.GetChild(0))->GetPose().x);
    EXPECT_EQ(m_strPath, maze.GetLevelPath());

    // A file made junk or removed during play once restarted into an empty
    // maze that could be neither won nor lost: the level stands as loaded.
    auto expectAsLoaded = [&](const char* how) {
        EXPECT_EQ(2, maze.GetDotsLeft()) << how;
        EXPECT_EQ(drawables, maze.GetDrawables().size()) << how;
        EXPECT_EQ(64, maze.GetCell(1, 1)) << how;
        EXPECT_EQ(dotColour, maze.GetMinimap().GetPixel(1, 1)) << how;
        EXPECT_EQ(1, maze.GetChildCount()) << how;
    };
    EXPECT_EQ(EV_DOT, maze.Interact(PoseAt(1.5, 1.5), &hit));
    ASSERT_TRUE(WriteWholeFile(m_strPath.c_str(), std::vector<uint8_t>(4096, 0x5A)));
    EXPECT_FALSE(maze.Restart());
    expectAsLoaded("junk");
    EXPECT_EQ(EV_DOT, maze.Interact(PoseAt(1.5, 1.5), &hit));
    std::remove(m_strPath.c_str());
    EXPECT_FALSE(maze.Restart());
    expectAsLoaded("removed");
    EXPECT_FALSE(maze.Restart()); // the kept copy is kept again
    expectAsLoaded("removed, twice");
    // A different level that builds is the level from now on.
    ASSERT_TRUE(WriteWholeFile(m_strPath.c_str(), MakeLevelBitmap(GridFromText("#####\n"
                                                                               "#.P.#\n"
                                                                               "#####\n"))));
    EXPECT_TRUE(maze.Restart());
    EXPECT_EQ(5, maze.GetWidth());
    EXPECT_EQ(0, maze.GetDotsLeft());
    EXPECT_EQ(0, maze.GetChildCount());
    std::remove(m_strPath.c_str());
    EXPECT_FALSE(maze.Restart());
    EXPECT_EQ(5, maze.GetWidth());
}
