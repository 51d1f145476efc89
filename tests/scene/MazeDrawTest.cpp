// What the maze draws: the sky and floor behind the view, the minimap (its
// scale, window, colours and the player's arrow) with the enemies, and the
// shot's trace straight on the framebuffer; and
// the rules that need a screen (the shot's hit box, a restart from a file).
#include "MazeTestLevels.h"
#include "gfx/Screen.h"
#include "math3d/Sprite.h"
#include "platform/FrameWnd.h"
#include "platform/WindowSystem.h"
#include "platform/headless/Headless.h"
#include "scene/Enemy.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>

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

// A colour value as the screen's 565 pixels read it back.
uint32_t OnScreen(uint32_t colour) {
    CSurface probe;
    probe.Create(1, 1);
    probe.SetPixel(0, 0, colour);
    return probe.GetPixel(0, 0);
}

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

TEST(Minimap, TheLargestScaleThatFitsOrAWindowNeverBeyond144By72) {
    struct Case {
        int width, height, scale, boxWidth, boxHeight;
    } cases[] = {
        {10, 8, 3, 30, 24},     // small: three pixels a cell
        {48, 24, 3, 144, 72},   // exactly the bound at three
        {40, 30, 2, 80, 60},    // 90 rows at three would not fit
        {76, 48, 1, 76, 48},    // the built-in level: 152 columns at two do not fit
        {128, 128, 1, 128, 72}, // taller than the bound: a window
        {300, 3, 1, 144, 3},    // wider than the bound
        {1024, 1024, 1, 144, 72},
    };
    for (const Case& c : cases) {
        const MinimapView v = PlaceMinimap(c.width, c.height, 240, 320, 0.5, 0.5);
        EXPECT_EQ(c.scale, v.scale) << c.width << " x " << c.height;
        EXPECT_EQ(c.boxWidth, v.box.right - v.box.left) << c.width << " x " << c.height;
        EXPECT_EQ(c.boxHeight, v.box.bottom - v.box.top) << c.width << " x " << c.height;
        // At the bottom centre, as the one-pixel minimap always was.
        EXPECT_EQ((240 - c.boxWidth) / 2, v.box.left);
        EXPECT_EQ(320, v.box.bottom);
    }
    // A small screen bounds it too; an empty level has none.
    EXPECT_EQ(1, PlaceMinimap(76, 48, 100, 60, 0, 0).scale);
    EXPECT_EQ(60, PlaceMinimap(76, 48, 100, 60, 0, 0).box.bottom - 0);
    EXPECT_EQ(0, PlaceMinimap(0, 0, 240, 320, 0, 0).scale);
}

// The player's sizes are the normal bounds times 2/3 and 3/2, box and
// largest scale alike, and never above half the screen's height.
TEST(Minimap, SmallAndLargeScaleTheNormalBounds) {
    struct Case {
        EMinimapSize size;
        int width, height, screenHeight, scale, boxWidth, boxHeight;
    } cases[] = {
        {MINIMAP_SMALL, 10, 8, 320, 2, 20, 16},        {MINIMAP_SMALL, 1024, 1024, 320, 1, 96, 48},
        {MINIMAP_LARGE, 10, 8, 320, 4, 40, 32},        {MINIMAP_LARGE, 76, 48, 320, 2, 152, 96},
        {MINIMAP_LARGE, 1024, 1024, 320, 1, 216, 108}, {MINIMAP_LARGE, 1024, 1024, 180, 1, 216, 90},
    };
    for (const Case& c : cases) {
        const MinimapView v =
            PlaceMinimap(c.width, c.height, 240, c.screenHeight, 0.5, 0.5, c.size);
        EXPECT_EQ(c.scale, v.scale) << c.size << ": " << c.width << " x " << c.screenHeight;
        EXPECT_EQ(c.boxWidth, v.box.right - v.box.left) << c.size << ": " << c.width;
        EXPECT_EQ(c.boxHeight, v.box.bottom - v.box.top) << c.size << ": " << c.screenHeight;
    }
}

TEST(Minimap, TheWindowFollowsThePlayerAndKeepsTheArrowInside) {
    struct Case {
        double x, z;
        bool goesOn[4]; // left, top, right, bottom
    } cases[] = {
        {0.2, 0.9, {false, false, true, true}},         {512.3, 700.8, {true, true, true, true}},
        {1023.99, 1023.99, {true, true, false, false}}, {60.0, 900.0, {false, true, true, true}},
        {60.0, 1000.0, {false, true, true, false}}, // the window stops at the bottom
    };
    for (const Case& c : cases) {
        const MinimapView v = PlaceMinimap(1024, 1024, 240, 320, c.x, c.z);
        for (int side = 0; side < 4; ++side)
            EXPECT_EQ(c.goesOn[side], v.goesOn[side]) << c.x << ", " << c.z << " side " << side;
        // The player's pixel is in the box, and the whole arrow with it.
        const int32_t px = v.origin.x + int32_t(c.x), pz = v.origin.y + int32_t(c.z);
        EXPECT_TRUE(px >= v.box.left && px < v.box.right && pz >= v.box.top && pz < v.box.bottom);
        const PlatPoint a = ArrowCentre(v, c.x, c.z);
        EXPECT_GE(a.x - kArrowSide / 2, v.box.left);
        EXPECT_LE(a.x + kArrowSide / 2, v.box.right - 1);
        EXPECT_GE(a.y - kArrowSide / 2, v.box.top);
        EXPECT_LE(a.y + kArrowSide / 2, v.box.bottom - 1);
    }
    // Away from the level's edges the window centres the player, and the
    // arrow sits on the player's own pixel.
    const MinimapView v = PlaceMinimap(1024, 1024, 240, 320, 512.3, 700.8);
    EXPECT_EQ(v.box.left + 72, v.origin.x + 512);
    EXPECT_EQ(v.box.top + 36, v.origin.y + 700);
    EXPECT_EQ(v.box.left + 72, ArrowCentre(v, 512.3, 700.8).x);
}

TEST(Minimap, TheArrowPointsAlongTheHeading) {
    // The heading's eighth of a turn: 0 looks toward -z, up the map.
    const std::pair<double, int> headings[] = {{0, 0},   {22.4, 0}, {22.6, 1},  {90, 2},
                                               {180, 4}, {-90, 6},  {359.9, 0}, {-0.1, 0},
                                               {315, 7}, {1e300, 0}};
    for (const auto& h : headings)
        EXPECT_EQ(h.second, ArrowDirection(h.first)) << h.first;
    // Each of the eight arrows: at least 5 x 5 pixels, the mirror image of
    // itself across its direction, and widest on the head's side: wider
    // there than anywhere behind its centre.
    const int dirX[8] = {0, 1, 1, 1, 0, -1, -1, -1}, dirY[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
    for (int d = 0; d < 8; ++d) {
        const int norm = dirX[d] * dirX[d] + dirY[d] * dirY[d];
        int minX = 9, maxX = -9, minY = 9, maxY = -9;
        std::map<int, int> slices; // pixels at each distance along the direction
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx) {
                if (!ArrowCovers(d, dx, dy))
                    continue;
                minX = std::min(minX, dx), maxX = std::max(maxX, dx);
                minY = std::min(minY, dy), maxY = std::max(maxY, dy);
                const int along = dx * dirX[d] + dy * dirY[d];
                ++slices[along];
                const int mx = (2 * along * dirX[d] - norm * dx) / norm;
                const int my = (2 * along * dirY[d] - norm * dy) / norm;
                EXPECT_TRUE(ArrowCovers(d, mx, my)) << d << ": " << dx << ", " << dy;
            }
        EXPECT_GE(maxX - minX + 1, 5) << d;
        EXPECT_GE(maxY - minY + 1, 5) << d;
        int widestAhead = 0, widestBehind = 0;
        for (const auto& slice : slices) {
            int& widest = slice.first >= 0 ? widestAhead : widestBehind;
            widest = std::max(widest, slice.second);
        }
        EXPECT_GT(widestAhead, widestBehind) << d;
        EXPECT_TRUE(ArrowCovers(d, 0, 0)) << d;
        EXPECT_TRUE(ArrowCovers(d, 3 * dirX[d], 3 * dirY[d])) << d << ": the tip";
    }
}

namespace {

// Channel `i` (0 red, 1 green, 2 blue) of a colour value as linear light.
double Linear(uint32_t c, int i) {
    const double s = ((c >> (8 * i)) & 0xFF) / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}

// Relative luminance, as contrast ratios use it.
double Luminance(uint32_t c) {
    return 0.2126 * Linear(c, 0) + 0.7152 * Linear(c, 1) + 0.0722 * Linear(c, 2);
}

double Contrast(uint32_t a, uint32_t b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour as a player without green cones sees it (the same simulation
// as tools/deutan.py), as red, green and blue 0..255.
std::array<double, 3> Deutan(uint32_t c) {
    const double m[3][3] = {{0.367322, 0.860646, -0.227968},
                            {0.280085, 0.672501, 0.047413},
                            {-0.011820, 0.042940, 0.968881}};
    const double lin[3] = {Linear(c, 0), Linear(c, 1), Linear(c, 2)};
    std::array<double, 3> out;
    for (int i = 0; i < 3; ++i) {
        const double v =
            std::min(1.0, std::max(0.0, m[i][0] * lin[0] + m[i][1] * lin[1] + m[i][2] * lin[2]));
        out[i] = 255.0 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
    }
    return out;
}

} // namespace

// Both colour sets keep their marks apart for deuteranopes; the
// high-contrast one further, with every mark at 4.5 : 1 or more against its
// ground and the walls at 7 : 1 or more.
TEST(Minimap, TheGamesColoursStayApartAlsoWithoutGreenCones) {
    const struct {
        const MinimapColours* colours;
        double apart;
    } sets[] = {{&kStandardMinimapColours, 60.0}, {&kHighContrastMinimapColours, 100.0}};
    for (const auto& set : sets) {
        const MinimapColours& c = *set.colours;
        const uint32_t marks[] = {c.ground, c.wall, c.dot, c.gun, c.enemy, c.player, c.trace};
        for (uint32_t a : marks) {
            for (uint32_t b : marks) {
                if (a == b)
                    continue;
                const std::array<double, 3> sa = Deutan(a), sb = Deutan(b);
                const double d = std::sqrt((sa[0] - sb[0]) * (sa[0] - sb[0]) +
                                           (sa[1] - sb[1]) * (sa[1] - sb[1]) +
                                           (sa[2] - sb[2]) * (sa[2] - sb[2]));
                EXPECT_GT(d, set.apart) << std::hex << a << " against " << b;
            }
        }
        EXPECT_GT(Contrast(c.wall, c.ground), set.apart > 60.0 ? 7.0 : 3.0);
    }
    const MinimapColours& high = kHighContrastMinimapColours;
    for (uint32_t mark :
         {high.wall, high.dot, high.gun, high.enemy, high.player, high.trace, high.edge})
        EXPECT_GE(Contrast(mark, high.ground), 4.5) << std::hex << mark;
}

TEST_F(MazeDraw, EveryWallTypeStandsOutWhateverTheLevelsPalette) {
    // Every wall type, a dot, a gun and the start, under a palette that
    // paints the walls the ground's colour, the dots yellow and the start
    // the player's white: the level's palette is not the minimap's.
    LevelGrid grid;
    grid.width = 64;
    grid.height = 3;
    grid.cells.assign(64 * 3, CELL_CORRIDOR);
    for (int t = 0; t < 64; ++t)
        grid.cells[t] = uint8_t(CELL_WALL + t);
    grid.cells[64 + 1] = CELL_ITEM + ITEM_DOT;
    grid.cells[64 + 2] = CELL_ITEM + ITEM_GUN;
    grid.cells[64 + 3] = CELL_START;
    for (int t = 0; t < 64; ++t)
        grid.colours.push_back(LevelColour{uint8_t(CELL_WALL + t), 12, 14, 32});
    grid.colours.insert(grid.colours.begin(), {LevelColour{CELL_START, 255, 255, 255},
                                               LevelColour{CELL_ITEM + ITEM_DOT, 255, 255, 0}});
    std::sort(grid.colours.begin(), grid.colours.end(),
              [](const LevelColour& a, const LevelColour& b) { return a.index < b.index; });
    m_strPath = ScratchPath("hostile.bmp");
    ASSERT_TRUE(WriteWholeFile(m_strPath.c_str(), MakeLevelBitmap(grid)));
    CMaze maze(nullptr, 1);
    ASSERT_TRUE(maze.LoadNextFromFile(m_strPath.c_str(), m_tables.Pictures()));
    std::remove(m_strPath.c_str());
    m_camera = PoseAt(30.5, 2.5);
    maze.DrawOverlay(*m_pScreen, m_camera);
    const MinimapView& v = maze.GetMinimapView();
    ASSERT_EQ(2, v.scale); // 64 x 3 at two pixels a cell: 128 x 6
    const uint32_t ground = m_pScreen->GetPixel(v.origin.x + 2 * 10, v.origin.y + 2 * 1);
    EXPECT_EQ(OnScreen(kMinimapGround), ground);
    for (int t = 0; t < 64; ++t) {
        const uint32_t wall = m_pScreen->GetPixel(v.origin.x + 2 * t + 1, v.origin.y + 1);
        EXPECT_GE(Contrast(wall, ground), 3.0) << "wall type " << t;
    }
    EXPECT_EQ(OnScreen(kMinimapDot), m_pScreen->GetPixel(v.origin.x + 2, v.origin.y + 2));
    EXPECT_EQ(OnScreen(kMinimapGun), m_pScreen->GetPixel(v.origin.x + 4, v.origin.y + 2));
    // The start is ground: nothing there looks like the player.
    EXPECT_EQ(ground, m_pScreen->GetPixel(v.origin.x + 6, v.origin.y + 2));
}

TEST_F(MazeDraw, MinimapIsOpaqueWithEnemiesUnderThePlayersArrow) {
    std::unique_ptr<CMaze> maze = LoadFromText(kBuiltInLevelText, "minimap.bmp");
    ASSERT_EQ(76, maze->GetMinimap().width);
    ASSERT_EQ(48, maze->GetMinimap().height);
    Clear(kGrey);
    m_camera = PoseAt(40.5, 20.5);
    maze->DrawOverlay(*m_pScreen, m_camera);
    const MinimapView& v = maze->GetMinimapView();
    // One pixel a cell at the bottom centre, the place it always had.
    EXPECT_EQ(1, v.scale);
    EXPECT_EQ(82, v.box.left);
    EXPECT_EQ(272, v.box.top);
    EXPECT_EQ(OnScreen(kMinimapWall), m_pScreen->GetPixel(83, 274));   // wall (1, 2)
    EXPECT_EQ(OnScreen(kMinimapGun), m_pScreen->GetPixel(85, 276));    // gun (3, 4)
    EXPECT_EQ(OnScreen(kMinimapGround), m_pScreen->GetPixel(82, 272)); // corridor: opaque
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(81, 300));                    // beside it
    EXPECT_EQ(kGrey, m_pScreen->GetPixel(158, 300));
    EXPECT_EQ(OnScreen(kMinimapPlayer), m_pScreen->GetPixel(82 + 40, 272 + 20));
    // Each enemy: a 2 x 2 square from (int(left + x), int(top + z)).
    ASSERT_EQ(14, maze->GetChildCount());
    for (int i = 1; i < maze->GetChildCount(); ++i) {
        const CPose& pose = static_cast<const CEnemy*>(maze->GetChild(i))->GetPose();
        for (int d : {0, 1})
            EXPECT_EQ(OnScreen(kMinimapEnemy),
                      m_pScreen->GetPixel(82 + int(pose.x) + d, 272 + int(pose.z) + d))
                << i;
    }
    // An enemy on the player is drawn under the arrow.
    static_cast<CEnemy*>(maze->GetChild(0))->SetPosition(41.9, 20.2, 0);
    maze->DrawOverlay(*m_pScreen, m_camera);
    EXPECT_EQ(OnScreen(kMinimapPlayer), m_pScreen->GetPixel(123, 292));
    EXPECT_EQ(OnScreen(kMinimapEnemy), m_pScreen->GetPixel(124, 293)); // beside the arrow's shaft
}

TEST_F(MazeDraw, MinimapWindowHasDashesWhereTheLevelGoesOnAndClipsEnemies) {
    std::string text;
    for (int r = 0; r < 3; ++r)
        text += std::string(r == 1 ? "E" : ".") + std::string(298, '#') + "E\n";
    std::unique_ptr<CMaze> maze = LoadFromText(text, "wide.bmp");
    ASSERT_EQ(300, maze->GetMinimap().width);
    Clear(kGrey);
    m_camera = PoseAt(150.5, 1.5);
    maze->DrawOverlay(*m_pScreen, m_camera);
    const MinimapView& v = maze->GetMinimapView();
    EXPECT_EQ(48, v.box.left);
    EXPECT_EQ(317, v.box.top);
    EXPECT_EQ(192, v.box.right);
    // Dashes down both sides (the level goes on there), two on, two off;
    // none along the top and bottom.
    EXPECT_EQ(OnScreen(kMinimapEdge), m_pScreen->GetPixel(48, 317));
    EXPECT_EQ(OnScreen(kMinimapEdge), m_pScreen->GetPixel(191, 318));
    EXPECT_EQ(OnScreen(kMinimapWall), m_pScreen->GetPixel(48, 319));
    EXPECT_EQ(OnScreen(kMinimapWall), m_pScreen->GetPixel(60, 317));
    // The enemies at columns 0 and 299 lie outside the window: not drawn,
    // and nothing of theirs wraps onto the rows next to the box.
    for (int y = 317; y < 320; ++y) {
        EXPECT_EQ(kGrey, m_pScreen->GetPixel(47, y));
        EXPECT_EQ(kGrey, m_pScreen->GetPixel(192, y));
        for (int x = 48; x < 192; ++x)
            EXPECT_NE(OnScreen(kMinimapEnemy), m_pScreen->GetPixel(x, y)) << x << ", " << y;
    }
    // At the level's left end the window stops there: no dashes on the left.
    m_camera = PoseAt(0.5, 1.5);
    maze->DrawOverlay(*m_pScreen, m_camera);
    EXPECT_FALSE(maze->GetMinimapView().goesOn[0]);
    EXPECT_EQ(OnScreen(kMinimapEnemy), m_pScreen->GetPixel(48, 318));
}

TEST_F(MazeDraw, ShotTraceGoesStraightToTheFramebuffer) {
    std::unique_ptr<CMaze> maze = LoadFromText("######\n"
                                               "#....#\n"
                                               "######\n",
                                               "trace.bmp");
    Clear(0);
    maze->DrawOverlay(*m_pScreen, PoseAt(4.5, 1.5));
    ASSERT_TRUE(m_pScreen->Present());
    const MinimapView v = maze->GetMinimapView();
    ASSERT_EQ(3, v.scale);
    EXPECT_EQ(nullptr, maze->Probe(PlatPoint{2, 1}, m_pScreen.get()));
    EXPECT_EQ(maze.get(), maze->Probe(PlatPoint{0, 1}, m_pScreen.get()));
    int32_t ox = 0, oy = 0;
    m_pScreen->BeginDraw(&ox, &oy);
    // The cell's whole square, three pixels a side, and nothing beyond it.
    for (int d : {0, 2})
        EXPECT_EQ(kYellow, m_pScreen->GetPixel(v.origin.x + 6 + d + ox, v.origin.y + 3 + d + oy));
    EXPECT_NE(kYellow, m_pScreen->GetPixel(v.origin.x + 9 + ox, v.origin.y + 3 + oy));
    EXPECT_NE(kYellow, m_pScreen->GetPixel(v.origin.x + 0 + ox, v.origin.y + 3 + oy)); // a wall
    m_pScreen->EndDraw();
    // The back buffer is untouched.
    EXPECT_EQ(OnScreen(kMinimapGround), m_pScreen->GetPixel(v.origin.x + 6, v.origin.y + 3));
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
    maze->DrawOverlay(*m_pScreen, PoseAt(1.5, 1.5));
    const MinimapView v = maze->GetMinimapView();
    int32_t ox = 0, oy = 0;
    maze->Probe(PlatPoint{4, 1}, m_pScreen.get());
    m_pScreen->BeginDraw(&ox, &oy);
    EXPECT_EQ(kYellow, m_pScreen->GetPixel(v.origin.x + 12 + ox, v.origin.y + 3 + oy));
    m_pScreen->EndDraw();
    // A trace outside the window is not drawn (and nothing breaks).
    std::string text = "#.#\n";
    for (int i = 0; i < 400; ++i)
        text += "#.#\n";
    std::unique_ptr<CMaze> pTall = LoadFromText(text, "tall.bmp");
    CMaze& tall = *pTall;
    tall.DrawOverlay(*m_pScreen, PoseAt(1.5, 10.5));
    const MinimapView t = tall.GetMinimapView();
    ASSERT_TRUE(t.goesOn[3]);
    m_pScreen->BeginDraw(&ox, &oy);
    const uint32_t below = m_pScreen->GetPixel(t.box.left + 1 + ox, t.box.top - 1 + oy);
    m_pScreen->EndDraw();
    EXPECT_EQ(nullptr, tall.Probe(PlatPoint{1, 399}, m_pScreen.get()));
    m_pScreen->BeginDraw(&ox, &oy);
    EXPECT_EQ(below, m_pScreen->GetPixel(t.box.left + 1 + ox, t.box.top - 1 + oy));
    for (int y = t.box.top; y < t.box.bottom; ++y)
        EXPECT_NE(kYellow, m_pScreen->GetPixel(t.box.left + 1 + ox, y + oy)) << y;
    m_pScreen->EndDraw();
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

// A look set on a maze in play paints its minimap again from the grid (an
// item taken stays taken), and the enemies and the arrow are drawn in its
// colours, at its size.
TEST_F(MazeDraw, TheLookPaintsTheMinimapInItsColoursAndSize) {
    m_strPath = ScratchPath("look.bmp");
    ASSERT_TRUE(WriteWholeFile(m_strPath.c_str(),
                               MakeLevelBitmap(GridFromText("#######\n#oG.Eo#\n#######\n"))));
    CMaze maze(nullptr, 1);
    ASSERT_TRUE(maze.LoadNextFromFile(m_strPath.c_str(), m_tables.Pictures()));
    std::remove(m_strPath.c_str());
    CSceneNode* hit = nullptr;
    EXPECT_EQ(EV_DOT, maze.Interact(PoseAt(1.5, 1.5), &hit));
    const MinimapColours& high = kHighContrastMinimapColours;
    maze.SetMinimapLook(MinimapLook{MINIMAP_LARGE, &high});
    EXPECT_EQ(OnScreen(high.ground), maze.GetMinimap().GetPixel(1, 1)); // taken
    EXPECT_EQ(OnScreen(high.gun), maze.GetMinimap().GetPixel(2, 1));
    maze.DrawOverlay(*m_pScreen, PoseAt(1.5, 1.5));
    const MinimapView& v = maze.GetMinimapView();
    ASSERT_EQ(4, v.scale); // three at the normal size
    EXPECT_EQ(OnScreen(high.wall), m_pScreen->GetPixel(v.origin.x, v.origin.y));
    const PlatPoint arrow = ArrowCentre(v, 1.5, 1.5);
    EXPECT_EQ(OnScreen(high.player), m_pScreen->GetPixel(arrow.x, arrow.y));
    const CPose& enemy = static_cast<CEnemy*>(maze.GetChild(0))->GetPose();
    const PlatRect square = v.Square(enemy.x, enemy.z, v.scale);
    EXPECT_EQ(OnScreen(high.enemy), m_pScreen->GetPixel(square.left, square.top));
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
    // A taken item turns to ground on the minimap.
    EXPECT_EQ(OnScreen(kMinimapGround), maze.GetMinimap().GetPixel(1, 1));
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
