// The world's frame: level starts, steering, the clock, pausing, and the
// order in which a frame updates, draws, presents and asks for events.
#include "WorldTestKit.h"
#include "app/PictureLists.h"
#include "math3d/Drawable.h"
#include "math3d/Sprite.h"
#include "math3d/WallQuad.h"
#include "platform/Time.h"
#include "platform/headless/Headless.h"
#include "res/ResourceIds.h"
#include "scene/Enemy.h"
#include "scene/Maze.h"
#include <algorithm>
#include <string>
#include <vector>

namespace {

const char* const kOpenRoom = "###########\n"
                              "#.........#\n"
                              "#.........#\n"
                              "#.........#\n"
                              "#.........#\n"
                              "#....P....#\n"
                              "#.........#\n"
                              "###########\n";

void ExpectSameMatrix(const CMatrix& a, const CMatrix& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(a.m[r][c], b.m[r][c]) << "element " << r << "," << c;
}

bool LogHas(const std::string& line) {
    const auto& log = HeadlessCallLog();
    return std::find(log.begin(), log.end(), line) != log.end();
}

// A drawable that records when it is projected and drawn.
class CLoggingDrawable : public CDrawable {
public:
    CLoggingDrawable(double key, std::string name, std::vector<std::string>* log)
        : m_key(key), m_name(std::move(name)), m_log(log) {}
    bool IsVisible() const override { return true; }
    int GetKind() const override { return KindWallQuad; }
    double GetDepthKey() const override { return m_key; }
    void Transform(const CMatrix&) override {}
    void Project(const CScreen&) override { m_log->push_back("project " + m_name); }
    void Draw(CScreen&) override { m_log->push_back("draw " + m_name); }

private:
    double m_key;
    std::string m_name;
    std::vector<std::string>* m_log;
};

// A node beside the maze that records each call of the frame, with the
// number of frames presented so far.
class CLoggingNode : public CSceneNode {
public:
    CLoggingNode(CSceneNode* parent, std::vector<std::string>* log)
        : CSceneNode(parent, 7), m_log(log) {}
    ~CLoggingNode() override {
        for (CDrawable* d : m_drawables)
            delete d;
    }
    void Add(CDrawable* d) { m_drawables.push_back(d); }
    void Note(const std::string& what) {
        m_log->push_back(what + " " + std::to_string(HeadlessPresentCount()));
    }
    void Update(int dt, const CPose&) override { Note("update dt=" + std::to_string(dt)); }
    void TransformTree(const CMatrix& view, const PlatRect& region, double reach) override {
        Note("transform " + std::to_string(region.left) + "," + std::to_string(region.top) + "," +
             std::to_string(region.right) + "," + std::to_string(region.bottom));
        CSceneNode::TransformTree(view, region, reach);
    }
    void DrawBackground(CScreen&, const CPose&) override { Note("background"); }
    int CollectVisible(std::vector<CDrawable*>& list) override {
        Note("collect");
        return CSceneNode::CollectVisible(list);
    }
    void DrawOverlay(CScreen&, const CPose&) override { Note("overlay"); }
    void Collide(CPose&) override { Note("collide"); }
    int Interact(const CPose&, CSceneNode**) override {
        Note("interact");
        return 0;
    }

private:
    std::vector<std::string>* m_log;
};

} // namespace

TEST_F(WorldTest, LevelStartsPlaceThePlayerAndSetTheCounters) {
    EXPECT_TRUE(m_pWorld->IsPaused()); // a new world waits for its first level
    ASSERT_TRUE(StartLevel(kOpenRoom));
    EXPECT_EQ(m_pWorld->GetCamera().x, 5.5);
    EXPECT_EQ(m_pWorld->GetCamera().y, 0.5);
    EXPECT_EQ(m_pWorld->GetCamera().z, 5.5);
    EXPECT_EQ(m_pWorld->GetCamera().heading, 0.0);
    ExpectSameMatrix(m_pWorld->GetView(), m_pWorld->GetCamera().GetViewMatrix());
    EXPECT_EQ(m_pWorld->GetLives(), 5);
    EXPECT_EQ(m_pWorld->GetScore(), 0);
    EXPECT_EQ(m_pWorld->GetShots(), 0);
    EXPECT_FALSE(m_pWorld->IsPaused());

    // The next level keeps score and lives; shots never carry over.
    Probe().nScore = 30;
    Probe().nLives = 2;
    Probe().nShots = 3;
    m_pWorld->SetCamera(2.5, 3.5, 90.0);
    EXPECT_TRUE(m_pWorld->ReloadLevelFile(m_strLevel.c_str(), false));
    EXPECT_EQ(m_pWorld->GetCamera().x, 5.5);
    EXPECT_EQ(m_pWorld->GetCamera().z, 5.5);
    EXPECT_EQ(m_pWorld->GetCamera().heading, 0.0);
    EXPECT_EQ(m_pWorld->GetScore(), 30);
    EXPECT_EQ(m_pWorld->GetLives(), 2);
    EXPECT_EQ(m_pWorld->GetShots(), 0);

    // A level that does not build still starts: counters set, world running.
    Probe().nShots = 3;
    m_pWorld->SetPaused(true);
    std::string missing = m_strFolder + "missing.bmp";
    EXPECT_FALSE(m_pWorld->ReloadLevelFile(missing.c_str(), true));
    EXPECT_EQ(m_pWorld->GetShots(), 0);
    EXPECT_EQ(m_pWorld->GetLives(), 5);
    EXPECT_EQ(m_pWorld->GetScore(), 0);
    EXPECT_FALSE(m_pWorld->IsPaused());
    EXPECT_EQ(m_pWorld->GetCamera().heading, 0.0);
}

TEST_F(WorldTest, LevelLoadsReplaceTheMaze) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    std::string missing = m_strFolder + "missing.bmp";
    EXPECT_FALSE(m_pWorld->LoadLevelFile(missing.c_str(), IDB_SKY, IDB_FLOOR));
    ASSERT_NE(Maze(), nullptr);
    EXPECT_EQ(Probe().root.GetChildCount(), 1); // the old maze is gone, not kept beside
    EXPECT_EQ(Maze()->GetWidth(), 0);
    EXPECT_FALSE(m_pWorld->IsPaused());
}

TEST_F(WorldTest, SteeringMovesAndTurnsWithCaps) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    const CPose& cam = m_pWorld->GetCamera();

    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    m_pWorld->Steer(5000); // a stall moves at most 0.4 of a cell
    EXPECT_DOUBLE_EQ(cam.z, 5.1);
    EXPECT_EQ(cam.x, 5.5);
    m_pWorld->OnMoveKey(MOVE_BACKWARD, true);
    m_pWorld->Steer(100);
    EXPECT_DOUBLE_EQ(cam.z, 5.2);
    m_pWorld->Steer(5000);
    EXPECT_DOUBLE_EQ(cam.z, 5.6);

    m_pWorld->OnMoveKey(MOVE_FORWARD, false);
    m_pWorld->OnTurnKey(TURN_RIGHT, true);
    m_pWorld->Steer(100);
    EXPECT_DOUBLE_EQ(cam.heading, 4.0);
    m_pWorld->Steer(20000); // at most one whole turn
    EXPECT_DOUBLE_EQ(cam.heading, 4.0);
    m_pWorld->OnTurnKey(TURN_LEFT, true);
    m_pWorld->Steer(50);
    EXPECT_DOUBLE_EQ(cam.heading, 2.0);
    m_pWorld->Steer(20000);
    EXPECT_DOUBLE_EQ(cam.heading, 2.0);
    EXPECT_DOUBLE_EQ(cam.z, 5.6);
    ExpectSameMatrix(m_pWorld->GetView(), cam.GetViewMatrix());
}

TEST_F(WorldTest, StepComesBeforeTheTurnAndAnyKeyRebuildsTheView) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    CPose& cam = Probe().camera; // turned by hand below
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    m_pWorld->OnTurnKey(TURN_RIGHT, true);
    m_pWorld->Steer(100);
    EXPECT_EQ(cam.x, 5.5); // walked along heading 0, turned afterwards
    EXPECT_DOUBLE_EQ(cam.z, 5.4);
    EXPECT_DOUBLE_EQ(cam.heading, 4.0);
    ExpectSameMatrix(m_pWorld->GetView(), cam.GetViewMatrix());

    // Without a key nothing is rebuilt; with one, even a zero step rebuilds.
    CMatrix before = m_pWorld->GetView();
    cam.heading = 90.0;
    m_pWorld->OnMoveKey(MOVE_FORWARD, false);
    m_pWorld->OnTurnKey(TURN_RIGHT, false);
    m_pWorld->Steer(16);
    ExpectSameMatrix(m_pWorld->GetView(), before);
    m_pWorld->OnTurnKey(TURN_LEFT, true);
    m_pWorld->Steer(0);
    EXPECT_EQ(cam.heading, 90.0);
    ExpectSameMatrix(m_pWorld->GetView(), cam.GetViewMatrix());
}

TEST_F(WorldTest, WallsPushThePlayerBackAfterEveryStep) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    for (int i = 0; i < 20; ++i)
        m_pWorld->Steer(400);
    EXPECT_NEAR(m_pWorld->GetCamera().z, 1.42, 1e-9);
    EXPECT_EQ(m_pWorld->GetCamera().x, 5.5);
    m_pWorld->OnMoveKey(MOVE_FORWARD, false);
    m_pWorld->OnTurnKey(TURN_RIGHT, true);
    m_pWorld->Steer(1000); // turning never collides
    EXPECT_NEAR(m_pWorld->GetCamera().z, 1.42, 1e-9);
}

TEST_F(WorldTest, SidestepGoesAcrossTheHeadingAtWalkingPaceAndIsPushedOut) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    CPose& cam = Probe().camera;
    m_pWorld->OnStrafeKey(STRAFE_RIGHT, true);
    m_pWorld->Steer(100);
    EXPECT_DOUBLE_EQ(cam.x, 5.6); // heading 0 looks up the picture: right is +x
    EXPECT_EQ(cam.z, 5.5);
    m_pWorld->Steer(5000); // capped as a walk is
    EXPECT_DOUBLE_EQ(cam.x, 6.0);
    // Facing +x, right is +z; walking and sidestepping add up.
    cam.heading = 90.0;
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    m_pWorld->Steer(100);
    EXPECT_DOUBLE_EQ(cam.x, 6.1);
    EXPECT_DOUBLE_EQ(cam.z, 5.6);
    EXPECT_EQ(cam.heading, 90.0);
    ExpectSameMatrix(m_pWorld->GetView(), cam.GetViewMatrix());
    // Into the wall on the left: pushed out as a walk into it is.
    m_pWorld->OnMoveKey(MOVE_FORWARD, false);
    m_pWorld->OnStrafeKey(STRAFE_LEFT, true);
    for (int i = 0; i < 20; ++i)
        m_pWorld->Steer(400);
    EXPECT_NEAR(cam.z, 1.42, 1e-9);
    m_pWorld->OnStrafeKey(STRAFE_LEFT, false);
    EXPECT_EQ(m_pWorld->GetStrafe(), STRAFE_NONE);
}

TEST_F(WorldTest, TickRunsFramesByTheClock) {
    int event = 7;
    EXPECT_FALSE(m_pWorld->Tick(&event)); // paused before the first level
    EXPECT_EQ(event, 7);
    EXPECT_EQ(HeadlessPresentCount(), 0);

    ASSERT_TRUE(StartLevel(kOpenRoom));
    EXPECT_EQ(m_pWorld->GetLastTick(), PlatGetTickCount());
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    HeadlessSetClock(m_pWorld->GetLastTick() + 100);
    EXPECT_TRUE(m_pWorld->Tick(&event));
    EXPECT_EQ(event, EV_NONE);
    EXPECT_DOUBLE_EQ(m_pWorld->GetCamera().z, 5.4);
    EXPECT_EQ(m_pWorld->GetLastTick(), PlatGetTickCount());
    EXPECT_EQ(HeadlessPresentCount(), 1);

    // The tick count wraps; the step is still the 96 ms that went by.
    m_pWorld->SetPaused(true);
    HeadlessSetClock(0xFFFFFFF0u);
    m_pWorld->SetPaused(false); // restarts the clock, without a wait
    EXPECT_EQ(m_pWorld->GetLastTick(), 0xFFFFFFF0u);
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    HeadlessSetClock(0x50);
    EXPECT_TRUE(m_pWorld->Tick(&event));
    EXPECT_DOUBLE_EQ(m_pWorld->GetCamera().z, 5.4 - 0.096);

    m_pWorld->SetPaused(true);
    event = 3;
    EXPECT_FALSE(m_pWorld->Tick(&event));
    EXPECT_EQ(event, 3);
}

TEST_F(WorldTest, PauseSuspendsAndForgetsKeysResumeRestartsTheClock) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    m_pWorld->OnTurnKey(TURN_LEFT, true);
    m_pWorld->OnStrafeKey(STRAFE_RIGHT, true);
    HeadlessClearLog();
    m_pWorld->SetPaused(true);
    EXPECT_TRUE(m_pWorld->IsPaused());
    EXPECT_TRUE(LogHas("GXSuspend"));
    EXPECT_EQ(m_pWorld->GetMove(), MOVE_STAND);
    EXPECT_EQ(m_pWorld->GetTurn(), TURN_NONE);
    EXPECT_EQ(m_pWorld->GetStrafe(), STRAFE_NONE);

    // A minute away, then back: the pause is not game time.
    // Coming back costs no time at all: no frame of play is lost to a wait.
    HeadlessSetClock(PlatGetTickCount() + 60000);
    const uint32_t back = PlatGetTickCount();
    HeadlessClearLog();
    m_pWorld->SetPaused(false);
    EXPECT_TRUE(LogHas("GXResume"));
    EXPECT_EQ(PlatGetTickCount(), back);
    EXPECT_EQ(m_pWorld->GetLastTick(), back);
    EXPECT_EQ(m_pWorld->GetMove(), MOVE_STAND); // still not walking although up was held
    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    HeadlessSetClock(PlatGetTickCount() + 16);
    int event = 0;
    EXPECT_TRUE(m_pWorld->Tick(&event));
    EXPECT_DOUBLE_EQ(m_pWorld->GetCamera().z, 5.5 - 0.016);
}

TEST_F(WorldTest, FrameRunsItsStepsInOrderAndPaintsFarthestFirst) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    std::vector<std::string> log;
    CLoggingNode* node = new CLoggingNode(&Probe().root, &log);
    Probe().root.AddChild(node);
    node->Add(new CLoggingDrawable(-1.0, "near", &log));
    node->Add(new CLoggingDrawable(-5.0, "far", &log));
    node->Add(new CLoggingDrawable(-3.0, "middle", &log));
    node->Add(new CLoggingDrawable(-3.0, "middle2", &log));

    m_pWorld->OnMoveKey(MOVE_FORWARD, true);
    int presents = HeadlessPresentCount();
    std::string p = std::to_string(presents);
    EXPECT_EQ(m_pWorld->RunFrame(100), EV_NONE);
    // The region is the player's cell (5, 5) after the step, 11 cells each way.
    std::vector<std::string> want = {
        "collide " + p,    "update dt=100 " + p, "transform -6,-6,16,16 " + p,
        "background " + p, "collect " + p,       "project far",
        "draw far",        "project middle",     "draw middle",
        "project middle2", "draw middle2",       "project near",
        "draw near",       "overlay " + p,       "interact " + std::to_string(presents + 1),
    };
    EXPECT_EQ(log, want);
    EXPECT_EQ(HeadlessPresentCount(), presents + 1);
}

TEST_F(WorldTest, OverlayTimeCountsDownByFrameTime) {
    ASSERT_TRUE(StartLevel(kOpenRoom));
    Probe().nOverlayTime = 5000;
    m_pWorld->RunFrame(16);
    EXPECT_EQ(m_pWorld->GetOverlayTime(), 4984);
    m_pWorld->RunFrame(4000);
    EXPECT_EQ(m_pWorld->GetOverlayTime(), 984);
    m_pWorld->RunFrame(1000);
    EXPECT_EQ(m_pWorld->GetOverlayTime(), -16); // it may fall below zero once
    m_pWorld->RunFrame(1000);
    EXPECT_EQ(m_pWorld->GetOverlayTime(), -16);
}

TEST_F(WorldTest, MazesAreBuiltWithTheWorldsPictures) {
    ASSERT_TRUE(StartLevel("#####\n"
                           "#oGE#\n"
                           "#.P.#\n"
                           "#####\n"));
    const PictureTables pictures = SharedPictureTables();
    std::vector<const CSurface*> seen;
    for (CDrawable* d : Maze()->GetDrawables())
        seen.push_back(d->GetKind() == CDrawable::KindSprite
                           ? static_cast<CSprite*>(d)->m_pImage
                           : static_cast<CMazeWall*>(d)->GetTexture());
    auto saw = [&](const CSurface* p) { return std::count(seen.begin(), seen.end(), p) > 0; };
    EXPECT_TRUE(saw(pictures.walls[0]));
    EXPECT_TRUE(saw(pictures.walls[1]));
    EXPECT_TRUE(saw(pictures.items[0]));
    EXPECT_TRUE(saw(pictures.items[1]));
    ASSERT_EQ(Maze()->GetChildCount(), 1);
    EXPECT_EQ(static_cast<CEnemy*>(Maze()->GetChild(0))->CurrentImage(), pictures.enemies[0]);
    // A rebuild after a lost life keeps them.
    ASSERT_TRUE(Maze()->Restart());
    EXPECT_EQ(static_cast<CEnemy*>(Maze()->GetChild(0))->CurrentImage(), pictures.enemies[0]);
}
