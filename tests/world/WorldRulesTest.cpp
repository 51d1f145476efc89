// The rules: dots, guns, being caught, shooting, and what the head-up display
// draws.
#include "WorldTestKit.h"
#include "app/PictureLists.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/Maze.h"
#include <algorithm>
#include <string>

namespace {

// P (4, 4) with two dots and a gun above it; an enemy walled in at (1, 1).
const char* const kRulesLevel = "#########\n"
                                "#E#.....#\n"
                                "###.G...#\n"
                                "#...o.o.#\n"
                                "#...P...#\n"
                                "#########\n";

// A corridor running up from the player at (2, 13); `enemyRow` puts an
// enemy in the player's column, `wallRow` a wall.
std::string Corridor(int enemyRow, int wallRow = -1) {
    std::string text = "#####\n";
    for (int row = 1; row <= 13; ++row) {
        std::string line = "#...#";
        if (row == enemyRow)
            line[2] = 'E';
        if (row == wallRow)
            line[2] = '#';
        if (row == 13)
            line[2] = 'P';
        text += line + "\n";
    }
    return text + "#####\n";
}

int LogCount(const std::string& line) {
    const auto& log = HeadlessCallLog();
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}

// A colour value as the screen's format stores and gives it back.
uint32_t OnScreen(uint32_t colour) {
    CSurface one;
    one.Create(1, 1);
    one.SetPixel(0, 0, colour);
    return one.GetPixel(0, 0);
}

void Fill(CSurface& surface, int32_t w, int32_t h, uint32_t colour) {
    ASSERT_TRUE(surface.Create(w, h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            surface.SetPixel(x, y, colour);
}

const uint32_t kGreen = 0x00FF00, kWhite = 0xFFFFFF, kBlue = 0xFF0000;

// The back buffer all black again.
void Clear(CScreen& screen) {
    for (int32_t y = 0; y < screen.height; ++y)
        for (int32_t x = 0; x < screen.width; ++x)
            screen.SetPixel(x, y, 0);
}

} // namespace

TEST_F(WorldTest, DotsAndGunsScoreAndSound) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    ASSERT_EQ(Maze()->GetDotsLeft(), 2);

    m_pWorld->SetCamera(4.5, 2.5, 0.0);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_GUN);
    EXPECT_EQ(m_pWorld->GetShots(), 2);
    EXPECT_EQ(HeadlessLastWave(), IDW_GUN_PICKUP);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_NONE); // taken

    m_pWorld->SetCamera(4.5, 3.5, 0.0);
    int presents = HeadlessPresentCount();
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_DOT);
    EXPECT_EQ(m_pWorld->GetScore(), 10);
    EXPECT_EQ(HeadlessLastWave(), IDW_DOT);
    EXPECT_EQ(HeadlessPresentCount(), presents); // no fade for a dot

    // The last dot puts the end card up; the picture fades out (eleven
    // frames) when the card has stood its time.
    m_pWorld->SetCamera(6.5, 3.5, 0.0);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_LAST_DOT);
    EXPECT_EQ(m_pWorld->GetScore(), 20);
    EXPECT_EQ(HeadlessLastWave(), IDW_DOT);
    EXPECT_EQ(HeadlessPresentCount(), presents);
    EXPECT_TRUE(m_pWorld->IsEndCardUp());
    EXPECT_EQ(m_pWorld->RunFrame(kEndCardMs), EV_LEVEL_DONE);
    EXPECT_EQ(HeadlessPresentCount(), presents + 1 + 11);
    EXPECT_EQ(m_pWorld->GetLives(), 5);
}

// A level's time, which bests are raced on, is play alone: the title and
// the level's card (though the player may walk under them) and the end card
// add nothing, nor does a paused world.
TEST_F(WorldTest, TheLevelTimeCountsPlayAlone) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    ASSERT_TRUE(m_pWorld->ShowOverlay(IDB_TITLE, 160));
    m_pWorld->ShowLevelCard(1, "");
    EXPECT_EQ(Frames(10, 16), EV_NONE); // the title
    EXPECT_EQ(m_pWorld->GetLevelCardTime(), kLevelCardMs);
    EXPECT_EQ(Frames(kLevelCardMs / 16, 16), EV_NONE);
    EXPECT_EQ(m_pWorld->GetLevelCardTime(), 0);
    EXPECT_EQ(m_pWorld->GetLevelTime(), 0);
    EXPECT_EQ(Frames(10, 16), EV_NONE);
    EXPECT_EQ(m_pWorld->GetLevelTime(), 160);

    m_pWorld->SetPaused(true);
    int event = EV_NONE;
    EXPECT_FALSE(m_pWorld->Tick(&event));
    m_pWorld->SetPaused(false);
    EXPECT_EQ(m_pWorld->GetLevelTime(), 160);

    m_pWorld->SetCamera(4.5, 3.5, 0.0);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_DOT);
    m_pWorld->SetCamera(6.5, 3.5, 0.0);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_LAST_DOT);
    EXPECT_EQ(Frames(kEndCardMs / 16 - 1, 16), EV_NONE);
    EXPECT_EQ(m_pWorld->GetLevelTime(), 160);
}

TEST_F(WorldTest, WalkingOntoADotReportsItFromTheFrame) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    // 0.1 a frame from z = 4.5: the dot's row is entered on the sixth frame.
    EXPECT_EQ(Frames(5, 100), EV_NONE);
    EXPECT_EQ(m_pWorld->RunFrame(100), EV_DOT);
    EXPECT_EQ(m_pWorld->GetScore(), 10);
}

TEST_F(WorldTest, CaughtWithLivesToSpareRestartsTheLevel) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    m_pWorld->SetCamera(4.5, 2.5, 0.0);
    m_pWorld->CheckEvents(); // the gun
    m_pWorld->SetCamera(4.5, 3.5, 0.0);
    m_pWorld->CheckEvents(); // a dot
    ASSERT_EQ(Maze()->GetDotsLeft(), 1);

    m_pWorld->SetCamera(1.3, 1.3, 45.0); // in the enemy's cell, 0.42 from it
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    int presents = HeadlessPresentCount();
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_CAUGHT);
    EXPECT_EQ(m_pWorld->GetLives(), 4);
    EXPECT_EQ(HeadlessLastWave(), IDW_CAUGHT);
    EXPECT_EQ(m_pWorld->GetMove(), MOVE_STAND); // the held key is let go

    // A second of frames stands still where the player was caught, a key
    // pressed in it moves nothing and a shot does not go off; the last
    // frame fades out and puts the player back on the start.
    const int holdFrames = (kCaughtHoldMs + 15) / 16;
    m_pWorld->OnTurnKey(TURN_RIGHT, true);
    EXPECT_FALSE(m_pWorld->Fire());
    EXPECT_EQ(Frames(holdFrames - 1, 16), EV_NONE);
    EXPECT_TRUE(m_pWorld->IsHolding());
    EXPECT_EQ(m_pWorld->GetCamera().x, 1.3);
    EXPECT_EQ(m_pWorld->GetCamera().heading, 45.0);
    EXPECT_EQ(m_pWorld->GetLevelTime(), 0);
    EXPECT_EQ(m_pWorld->RunFrame(16), EV_NONE);
    EXPECT_FALSE(m_pWorld->IsHolding());
    EXPECT_EQ(HeadlessPresentCount(), presents + holdFrames + 11);
    EXPECT_EQ(m_pWorld->GetTurn(), TURN_NONE); // pressed in the hold: pressed again
    EXPECT_EQ(m_pWorld->GetCamera().x, 4.5);
    EXPECT_EQ(m_pWorld->GetCamera().z, 4.5);
    EXPECT_EQ(m_pWorld->GetCamera().heading, 0.0);
    // The whole level is back; what was earned stays.
    EXPECT_EQ(Maze()->GetDotsLeft(), 2);
    EXPECT_EQ(Maze()->GetCell(4, 3), CELL_ITEM + ITEM_DOT);
    EXPECT_EQ(Maze()->GetCell(4, 2), CELL_ITEM + ITEM_GUN);
    EXPECT_EQ(m_pWorld->GetScore(), 10);
    EXPECT_EQ(m_pWorld->GetShots(), 2);
}

TEST_F(WorldTest, CaughtAfterTheLevelFileChangedPlaysOnInAWholeMaze) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    auto caught = [&] {
        m_pWorld->SetCamera(1.3, 1.3, 45.0); // in the enemy's cell
        const int event = m_pWorld->CheckEvents();
        m_pWorld->RunFrame(kCaughtHoldMs);
        return event;
    };
    // Junk: the level as loaded, never an empty maze with nothing to win.
    WriteBytes(m_strFolder, "level.bmp", 4096, 0x5A);
    m_pWorld->SetCamera(4.5, 3.5, 0.0);
    m_pWorld->CheckEvents(); // a dot
    EXPECT_EQ(caught(), EV_CAUGHT);
    EXPECT_EQ(Maze()->GetDotsLeft(), 2);
    EXPECT_EQ(Maze()->GetChildCount(), 1);
    EXPECT_EQ(m_pWorld->GetCamera().x, 4.5);
    EXPECT_EQ(m_pWorld->GetCamera().z, 4.5);
    // A smaller level: its own start, not the old one outside it.
    WriteLevelFile(m_strFolder, "level.bmp",
                   "#####\n"
                   "#E..#\n"
                   "#.P.#\n"
                   "#####\n");
    EXPECT_EQ(caught(), EV_CAUGHT);
    EXPECT_EQ(Maze()->GetWidth(), 5);
    EXPECT_EQ(Maze()->GetDotsLeft(), 0);
    EXPECT_EQ(m_pWorld->GetCamera().x, 2.5);
    EXPECT_EQ(m_pWorld->GetCamera().z, 2.5);
    EXPECT_FALSE(Maze()->IsWallAt(2, 2));
}

TEST_F(WorldTest, CaughtWithTheLastLifeEndsTheGameWhereItStands) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    m_pWorld->SetCamera(4.5, 3.5, 0.0);
    m_pWorld->CheckEvents();
    Probe().nLives = 1;
    m_pWorld->SetCamera(1.3, 1.3, 45.0);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_CAUGHT);
    EXPECT_EQ(m_pWorld->GetLives(), 0);
    EXPECT_EQ(HeadlessLastWave(), IDW_CAUGHT);
    // The hold comes first, then the game is over.
    int presents = HeadlessPresentCount();
    EXPECT_EQ(m_pWorld->RunFrame(kCaughtHoldMs), EV_GAME_OVER);
    EXPECT_EQ(HeadlessPresentCount(), presents + 1 + 11);
    EXPECT_EQ(m_pWorld->GetCamera().x, 1.3);
    EXPECT_EQ(m_pWorld->GetCamera().heading, 45.0);
    EXPECT_EQ(Maze()->GetDotsLeft(), 1); // not rebuilt
}

TEST_F(WorldTest, InvulnerablePlayersAreCaughtWithoutConsequence) {
    MakeWorld(true);
    ASSERT_TRUE(StartLevel(kRulesLevel));
    m_pWorld->SetCamera(4.5, 3.5, 0.0);
    m_pWorld->CheckEvents();
    Probe().nLives = 1;
    m_pWorld->SetCamera(1.3, 1.3, 45.0);
    HeadlessClearLog();
    int presents = HeadlessPresentCount();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(m_pWorld->CheckEvents(), EV_CAUGHT);
    EXPECT_EQ(m_pWorld->GetLives(), 1);
    EXPECT_EQ(LogCount("PlayWave " + std::to_string(IDW_CAUGHT)), 0);
    EXPECT_EQ(HeadlessPresentCount(), presents);
    EXPECT_EQ(m_pWorld->GetCamera().x, 1.3);
    EXPECT_EQ(Maze()->GetDotsLeft(), 1);
}

TEST_F(WorldTest, FiringNeedsShotsAndOneFrameBetweenShots) {
    ASSERT_TRUE(StartLevel(Corridor(4)));
    m_pWorld->RunFrame(0);
    EXPECT_FALSE(m_pWorld->Fire());
    EXPECT_EQ(HeadlessLastWave(), 0);
    EXPECT_FALSE(m_pWorld->HasMuzzleFlash());

    Probe().nShots = 3;
    EXPECT_TRUE(m_pWorld->Fire()); // nine cells up: the last sample
    EXPECT_EQ(m_pWorld->GetShots(), 2);
    EXPECT_TRUE(m_pWorld->HasMuzzleFlash());
    EXPECT_EQ(m_pWorld->GetScore(), 50);
    EXPECT_EQ(LogCount("Sleep 300"), 1);
    EXPECT_EQ(LogCount("PlayWave " + std::to_string(IDW_SHOT)), 1);
    EXPECT_EQ(HeadlessLastWave(), IDW_HIT);
    EXPECT_EQ(Maze()->GetChildCount(), 0); // the enemy is gone

    EXPECT_FALSE(m_pWorld->Fire()); // the flash has not been shown yet
    EXPECT_EQ(m_pWorld->GetShots(), 2);
    m_pWorld->RunFrame(0);
    EXPECT_FALSE(m_pWorld->HasMuzzleFlash());
    EXPECT_FALSE(m_pWorld->Fire()); // nothing left to hit, but the shot is spent
    EXPECT_EQ(m_pWorld->GetShots(), 1);
}

TEST_F(WorldTest, ShotsReachTenCellsAndStopAtWalls) {
    // Ten cells up is out of reach although the enemy is on screen.
    ASSERT_TRUE(StartLevel(Corridor(3)));
    m_pWorld->RunFrame(0);
    Probe().nShots = 1;
    EXPECT_FALSE(m_pWorld->Fire());
    EXPECT_EQ(m_pWorld->GetShots(), 0);
    EXPECT_EQ(Maze()->GetChildCount(), 1);
    EXPECT_EQ(m_pWorld->GetScore(), 0);

    // A wall between the two stops the shot.
    ASSERT_TRUE(StartLevel(Corridor(6, 9)));
    m_pWorld->RunFrame(0);
    Probe().nShots = 1;
    EXPECT_FALSE(m_pWorld->Fire());
    EXPECT_EQ(m_pWorld->GetShots(), 0);
    EXPECT_EQ(Maze()->GetChildCount(), 1);
    EXPECT_EQ(HeadlessLastWave(), IDW_SHOT);
    // Its trace is on the screen's minimap at once, up to the wall: the
    // cells' squares at three pixels a cell.
    const uint32_t kYellow = 0x00FCF8; // as a 565 pixel reads back
    const MinimapView& v = Maze()->GetMinimapView();
    ASSERT_EQ(3, v.scale);
    int32_t ox = 0, oy = 0;
    CScreen& screen = Probe().screen;
    screen.BeginDraw(&ox, &oy);
    const uint32_t traced = screen.GetPixel(ox + v.origin.x + 2 * 3, oy + v.origin.y + 10 * 3);
    const uint32_t wall = screen.GetPixel(ox + v.origin.x + 2 * 3, oy + v.origin.y + 9 * 3 + 2);
    screen.EndDraw();
    EXPECT_EQ(traced, kYellow);
    EXPECT_NE(wall, kYellow);
}

TEST_F(WorldTest, AnEnemyInThePlayersCellIsHitFirst) {
    ASSERT_TRUE(StartLevel(Corridor(12)));
    // In the enemy's cell, behind and beside it: too far to be caught.
    m_pWorld->SetCamera(2.8, 12.9, 0.0);
    ASSERT_EQ(m_pWorld->RunFrame(0), EV_NONE);
    Probe().nShots = 1;
    EXPECT_TRUE(m_pWorld->Fire());
    EXPECT_EQ(Maze()->GetChildCount(), 0);
}

TEST_F(WorldTest, GunShowsWhileThereAreShotsAndFlashesForOneFrame) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    CScreen& screen = Probe().screen;
    Fill(Probe().gun, 10, 8, kGreen);
    Fill(Probe().flash, 6, 4, kWhite);

    Clear(screen);
    m_pWorld->DrawGun(screen); // no shots, no flash: nothing
    EXPECT_EQ(screen.GetPixel(235, 315), 0u);

    // The last shot: the flash centred on the gun's top-left corner, 40 %
    // over black, for this frame only; the gun over it in the bottom-right
    // corner.
    Probe().nShots = 0;
    Probe().bMuzzleFlash = true;
    m_pWorld->DrawGun(screen);
    EXPECT_EQ(screen.GetPixel(230, 312), OnScreen(kGreen));
    EXPECT_EQ(screen.GetPixel(239, 319), OnScreen(kGreen));
    EXPECT_EQ(screen.GetPixel(229, 319), 0u);
    uint32_t flash = screen.GetPixel(227, 310);
    EXPECT_NE(flash, 0u);
    EXPECT_NE(flash, OnScreen(kWhite));
    EXPECT_EQ(screen.GetPixel(226, 310), 0u);
    EXPECT_EQ(screen.GetPixel(227, 309), 0u);
    EXPECT_FALSE(m_pWorld->HasMuzzleFlash());
    Clear(screen);
    m_pWorld->DrawGun(screen);
    EXPECT_EQ(screen.GetPixel(230, 312), 0u); // no shots: no gun

    // With shots the gun stays, and their count stands over its right end,
    // clear of the minimap at the bottom: the score's digits, right-aligned
    // as far in as the score is from the left.
    for (int shots : {3, 12}) {
        Clear(screen);
        Probe().nShots = shots;
        m_pWorld->DrawGun(screen);
        EXPECT_EQ(screen.GetPixel(230, 312), OnScreen(kGreen));
        CSurface expected;
        ASSERT_TRUE(expected.Create(screen.width, screen.height));
        const CSurface* digits = SharedPictureTables().digits;
        const int32_t across = digits[0].width * (shots < 10 ? 1 : 2);
        expected.DrawNumber(digits, shots, screen.width - 5 - across, 312 - digits[0].height - 5,
                            1);
        for (int32_t y = 250; y < 312; ++y)
            for (int32_t x = 180; x < screen.width; ++x)
                ASSERT_EQ(screen.GetPixel(x, y), expected.GetPixel(x, y)) << shots << " at " << x;
    }
}

// Reduced flashes: the gun's flash fainter, no fade after a catch's hold,
// and the level's end fading to half brightness, not to black. What the
// world plays is the same: the hold stands as long and the level ends alike.
TEST_F(WorldTest, ReducedFlashesSoftenTheFlashAndTheFadesOnly) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    CScreen& screen = Probe().screen;
    Fill(Probe().gun, 10, 8, kGreen);
    Fill(Probe().flash, 6, 4, kWhite);
    uint32_t flash[2];
    for (const bool reduced : {false, true}) {
        WorldLook look;
        look.reduceFlashes = reduced;
        m_pWorld->SetLook(look);
        Clear(screen);
        Probe().bMuzzleFlash = true;
        m_pWorld->DrawGun(screen);
        flash[reduced] = screen.GetPixel(227, 310);
    }
    EXPECT_NE(flash[1], 0u);
    EXPECT_LT(flash[1], flash[0]); // grey over black: every channel lower

    m_pWorld->SetCamera(1.3, 1.3, 45.0); // in the enemy's cell
    int presents = HeadlessPresentCount();
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_CAUGHT);
    const int holdFrames = (kCaughtHoldMs + 15) / 16;
    EXPECT_EQ(Frames(holdFrames, 16), EV_NONE);
    EXPECT_FALSE(m_pWorld->IsHolding());
    EXPECT_EQ(HeadlessPresentCount(), presents + holdFrames); // no fade
    EXPECT_EQ(m_pWorld->GetCamera().x, 4.5);

    m_pWorld->SetCamera(4.5, 3.5, 0.0);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_DOT);
    m_pWorld->SetCamera(6.5, 3.5, 0.0);
    EXPECT_EQ(m_pWorld->CheckEvents(), EV_LAST_DOT);
    presents = HeadlessPresentCount();
    EXPECT_EQ(m_pWorld->RunFrame(kEndCardMs), EV_LEVEL_DONE);
    EXPECT_EQ(HeadlessPresentCount(), presents + 1 + 11);
    const std::vector<uint8_t> last = HeadlessFramebufferMemory();
    EXPECT_NE(std::count(last.begin(), last.end(), 0), std::ptrdiff_t(last.size()))
        << "the last step is not black";
}

TEST_F(WorldTest, HudShowsThePlayerSpareLivesAndTheOverlay) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    CScreen& screen = Probe().screen;
    Fill(Probe().lifeIcon, 4, 3, kWhite);
    Fill(Probe().overlay, 20, 10, kBlue);

    // Four spare lives of five, at the top right.
    Clear(screen);
    // The player's arrow is the minimap's, drawn with it: the hud leaves
    // that place alone.
    Probe().root.DrawOverlay(screen, m_pWorld->GetCamera());
    const MinimapView& v = Maze()->GetMinimapView();
    EXPECT_EQ(v.box.left, (240 - 27) / 2);
    EXPECT_EQ(v.box.top, 320 - 18);
    EXPECT_EQ(screen.GetPixel(v.origin.x + 13, v.origin.y + 13), OnScreen(kMinimapPlayer));
    Clear(screen);
    m_pWorld->DrawHud(screen);
    EXPECT_EQ(screen.GetPixel(v.origin.x + 13, v.origin.y + 13), 0u);
    EXPECT_EQ(screen.GetPixel(224, 5), OnScreen(kWhite));
    EXPECT_EQ(screen.GetPixel(239, 7), OnScreen(kWhite));
    EXPECT_EQ(screen.GetPixel(223, 5), 0u);
    EXPECT_EQ(screen.GetPixel(239, 8), 0u);
    EXPECT_EQ(screen.GetPixel(110, 155), 0u); // no overlay time

    // One life: no icon; the overlay centred while its time runs.
    Clear(screen);
    Probe().nLives = 1;
    Probe().nOverlayTime = 1;
    m_pWorld->DrawHud(screen);
    EXPECT_EQ(screen.GetPixel(236, 5), 0u);
    EXPECT_EQ(screen.GetPixel(110, 155), OnScreen(kBlue));
    EXPECT_EQ(screen.GetPixel(129, 164), OnScreen(kBlue));
    EXPECT_EQ(screen.GetPixel(130, 164), 0u);
    EXPECT_EQ(screen.GetPixel(109, 155), 0u);

    // Two lives: one icon, flush with the right edge.
    Clear(screen);
    Probe().nLives = 2;
    Probe().nOverlayTime = 0;
    m_pWorld->DrawHud(screen);
    EXPECT_EQ(screen.GetPixel(236, 5), OnScreen(kWhite));
    EXPECT_EQ(screen.GetPixel(235, 5), 0u);
    EXPECT_EQ(screen.GetPixel(110, 155), 0u);
}

TEST_F(WorldTest, PicturesThatDoNotLoadStayHidden) {
    EXPECT_FALSE(m_pWorld->LoadHudImages(9001, 9002, 9003));
    EXPECT_EQ(Probe().gun.pixels, nullptr);
    EXPECT_EQ(Probe().flash.pixels, nullptr);
    EXPECT_EQ(Probe().lifeIcon.pixels, nullptr);
    Probe().nOverlayTime = 300;
    EXPECT_FALSE(m_pWorld->ShowOverlay(9004, 5000));
    EXPECT_EQ(m_pWorld->GetOverlayTime(), 0);
}

TEST_F(WorldTest, AMissingGunPictureDoesNotBlockLaterShots) {
    ASSERT_TRUE(StartLevel(Corridor(4)));
    ASSERT_EQ(Probe().gun.pixels, nullptr);
    Probe().nShots = 2;
    m_pWorld->SetCamera(2.5, 13.5, 90.0); // at the wall: the shots hit nothing
    EXPECT_FALSE(m_pWorld->Fire());
    m_pWorld->RunFrame(0);
    EXPECT_FALSE(m_pWorld->HasMuzzleFlash());
    EXPECT_FALSE(m_pWorld->Fire());
    EXPECT_EQ(m_pWorld->GetShots(), 0);
}

TEST_F(WorldTest, TheOverlayPictureIsLoadedOnceAndShownForItsTime) {
    ASSERT_TRUE(m_pWorld->ShowOverlay(IDB_TITLE, 5000));
    EXPECT_EQ(m_pWorld->GetOverlayTime(), 5000);
    ASSERT_EQ(Probe().overlay.width, 240);
    ASSERT_EQ(Probe().overlay.height, 300);
    uint32_t original = Probe().overlay.GetPixel(0, 0);
    uint32_t marked = OnScreen(original == OnScreen(kGreen) ? kWhite : kGreen);
    Probe().overlay.SetPixel(0, 0, marked);

    // The same picture again: kept as it is, time restarted.
    Probe().nOverlayTime = -3;
    ASSERT_TRUE(m_pWorld->ShowOverlay(IDB_TITLE, 5000));
    EXPECT_EQ(m_pWorld->GetOverlayTime(), 5000);
    EXPECT_EQ(Probe().overlay.GetPixel(0, 0), marked);

    // A picture that is not there hides the overlay; the title then loads anew.
    EXPECT_FALSE(m_pWorld->ShowOverlay(9004, 5000));
    EXPECT_EQ(m_pWorld->GetOverlayTime(), 0);
    ASSERT_TRUE(m_pWorld->ShowOverlay(IDB_TITLE, 1000));
    EXPECT_EQ(Probe().overlay.GetPixel(0, 0), original);
    EXPECT_EQ(m_pWorld->GetOverlayTime(), 1000);
}

TEST_F(WorldTest, TheScoreIsDrawnAtTheTopLeft) {
    ASSERT_TRUE(StartLevel(kRulesLevel));
    ASSERT_NE(g_digitGlyphs[1].pixels, nullptr);
    CScreen& screen = Probe().screen;
    auto inked = [&](int32_t x0, int32_t x1) {
        int n = 0;
        for (int32_t y = 5; y < 25; ++y)
            for (int32_t x = x0; x < x1; ++x)
                n += screen.GetPixel(x, y) != 0;
        return n;
    };
    Clear(screen);
    Probe().nScore = 0;
    m_pWorld->DrawHud(screen);
    EXPECT_GT(inked(5, 15), 0);
    EXPECT_EQ(inked(15, 45), 0); // one digit, no leading zeros
    Clear(screen);
    Probe().nScore = 150;
    m_pWorld->DrawHud(screen);
    EXPECT_GT(inked(25, 35), 0);
    EXPECT_EQ(inked(35, 45), 0);
}
