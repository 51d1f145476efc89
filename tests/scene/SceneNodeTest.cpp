// The scene node base: child management, traversal order, culling and the
// matrices handed to the drawables.
#include "scene/SceneNode.h"
#include "math3d/Drawable.h"
#include "math3d/HeadlessScreen.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// A drawable that writes what is done to it into a log.
class CLoggedDrawable : public CDrawable {
public:
    CLoggedDrawable(Log* log, std::string name, bool inRegion = true)
        : m_pLog(log), m_name(std::move(name)), m_bInRegion(inRegion) {}

    void ResetFrame() override {
        m_pLog->push_back("reset " + m_name);
        m_bTransformed = false;
    }
    bool IsInRegion(const PlatRect&) const override { return m_bInRegion; }
    bool IsVisible() const override { return m_bTransformed; }
    int GetKind() const override { return 7; }
    double GetDepthKey() const override { return -1.0; }
    void Transform(const CMatrix& toView) override {
        m_pLog->push_back("transform " + m_name);
        m_bTransformed = true;
        m_toView = toView;
    }
    void Project(const CScreen&) override { m_pLog->push_back("project " + m_name); }
    void Draw(CScreen&) override {}

    Log* m_pLog;
    std::string m_name;
    bool m_bInRegion;
    bool m_bTransformed = false;
    CMatrix m_toView;
};

// A node whose answers the tests choose; it logs the operations it sees and
// then runs the base traversal.
class CLoggedNode : public CSceneNode {
public:
    CLoggedNode(CSceneNode* parent, uint32_t id, Log* log) : CSceneNode(parent, id), m_pLog(log) {}
    ~CLoggedNode() override {
        m_pLog->push_back("delete " + std::to_string(GetId()));
        for (CDrawable* d : m_drawables)
            delete d;
    }

    // Creates a child of this node and adds it.
    CLoggedNode* Child(uint32_t id) {
        return static_cast<CLoggedNode*>(AddChild(new CLoggedNode(this, id, m_pLog)));
    }
    CLoggedDrawable* Drawable(const std::string& name, bool inRegion = true) {
        m_drawables.push_back(new CLoggedDrawable(m_pLog, name, inRegion));
        return static_cast<CLoggedDrawable*>(m_drawables.back());
    }
    void SetMatrix(const CMatrix& m) { m_matrix = m; }
    void SetNoCull(bool on) { m_bNoCull = on; }

    void Update(int ms, const CPose& viewer) override {
        Note("update");
        CSceneNode::Update(ms, viewer);
    }
    bool IsInRegion(const PlatRect&) const override { return m_bInRegion; }
    void Collide(CPose& viewer) override {
        Note("collide");
        viewer.x += 1.0;
        CSceneNode::Collide(viewer);
    }
    void DrawBackground(CScreen& screen, const CPose& viewer) override {
        Note("background");
        m_pSeenViewer = &viewer;
        CSceneNode::DrawBackground(screen, viewer);
    }
    void DrawOverlay(CScreen& screen, const CPose& viewer) override {
        Note("overlay");
        m_pSeenOverlayViewer = &viewer;
        CSceneNode::DrawOverlay(screen, viewer);
    }
    int Interact(const CPose& viewer, CSceneNode** hit) override {
        Note("interact");
        if (m_nAnswer != 0) {
            *hit = this;
            return m_nAnswer;
        }
        return CSceneNode::Interact(viewer, hit);
    }
    CSceneNode* Probe(const PlatPoint& cell, CScreen* screen) override {
        Note("probe");
        m_pSeenScreen = screen;
        return m_bProbeHit ? this : CSceneNode::Probe(cell, screen);
    }

    void Note(const char* what) {
        m_pLog->push_back(std::string(what) + " " + std::to_string(GetId()));
    }

    Log* m_pLog;
    bool m_bInRegion = true;
    int m_nAnswer = 0;
    bool m_bProbeHit = false;
    // What the last DrawBackground and Probe were handed.
    const CPose* m_pSeenViewer = nullptr;
    const CPose* m_pSeenOverlayViewer = nullptr;
    const CScreen* m_pSeenScreen = nullptr;
};

const PlatRect kRegion = {0, 0, 10, 10};

} // namespace

TEST(SceneNode, FindChildSearchesDirectChildrenFirstThenEachSubtreeInOrder) {
    Log log;
    CLoggedNode root(nullptr, 0, &log);
    CLoggedNode* maze = root.Child(1);
    CLoggedNode* enemy = maze->Child(100000);
    maze->Child(100001);
    EXPECT_EQ(maze->GetParent(), &root);
    EXPECT_EQ(root.GetParent(), nullptr);
    EXPECT_EQ(root.FindChild(1, false), maze);
    EXPECT_EQ(root.FindChild(100000, false), nullptr);
    EXPECT_EQ(root.FindChild(100000, true), enemy);
    EXPECT_EQ(root.FindChild(42, true), nullptr);

    // Depth first: a deep match in the first subtree beats a direct child of
    // the second.
    CLoggedNode* a = root.Child(2);
    CLoggedNode* deep = a->Child(3)->Child(7);
    root.Child(4)->Child(7);
    EXPECT_EQ(root.FindChild(7, true), deep);
    EXPECT_EQ(root.AddChild(nullptr), nullptr);
    EXPECT_EQ(root.GetChildCount(), 3);
}

TEST(SceneNode, RemovingChildrenDeletesThemAndKeepsTheOrder) {
    Log log;
    CLoggedNode root(nullptr, 0, &log);
    CLoggedNode* first = root.Child(5);
    first->Child(50);
    CLoggedNode* second = root.Child(5);
    CLoggedNode* other = root.Child(6);

    EXPECT_TRUE(root.RemoveChildById(5));
    EXPECT_EQ(log, (Log{"delete 5", "delete 50"}));
    ASSERT_EQ(root.GetChildCount(), 2);
    EXPECT_EQ(root.GetChild(0), second);
    EXPECT_EQ(root.GetChild(1), other);

    log.clear();
    EXPECT_FALSE(root.RemoveChildById(50)); // grandchildren are not searched
    CLoggedNode stranger(nullptr, 6, &log);
    EXPECT_FALSE(root.RemoveChild(&stranger)); // same id, other node
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(root.GetChildCount(), 2);

    EXPECT_TRUE(root.RemoveChild(second));
    EXPECT_EQ(log, (Log{"delete 5"}));
    ASSERT_EQ(root.GetChildCount(), 1);
    EXPECT_EQ(root.GetChild(0), other);

    log.clear();
    root.Child(8)->Child(80);
    root.Child(9);
    root.DeleteChildren();
    EXPECT_EQ(log, (Log{"delete 6", "delete 8", "delete 80", "delete 9"}));
    EXPECT_EQ(root.GetChildCount(), 0);
}

TEST(SceneNode, TraversalsVisitChildrenInListOrder) {
    Log log;
    CLoggedNode root(nullptr, 0, &log);
    CLoggedNode* a = root.Child(1);
    a->Child(11);
    root.Child(2);

    CPose viewer;
    root.Update(16, viewer);
    root.Collide(viewer);
    EXPECT_EQ(viewer.x, 4.0); // every node pushed once
    EXPECT_EQ(log, (Log{"update 0", "update 1", "update 11", "update 2", "collide 0", "collide 1",
                        "collide 11", "collide 2"}));
}

TEST(SceneNode, ScreenTraversalsRunChildrenFirst) {
    CHeadlessScreen screen;
    Log log;
    CLoggedNode root(nullptr, 0, &log);
    root.Drawable("r1");
    root.Drawable("r2");
    CLoggedNode* a = root.Child(1);
    a->Drawable("a");
    a->Child(11)->Drawable("aa");
    root.Child(2);

    root.ProjectTree(*screen);
    EXPECT_EQ(log, (Log{"project aa", "project a", "project r1", "project r2"}));
    log.clear();
    const CPose viewer;
    root.DrawBackground(*screen, viewer);
    root.DrawOverlay(*screen, viewer);
    EXPECT_EQ(log, (Log{"background 0", "background 1", "background 11", "background 2",
                        "overlay 0", "overlay 1", "overlay 11", "overlay 2"}));
    EXPECT_EQ(static_cast<CLoggedNode*>(a->GetChild(0))->m_pSeenViewer, &viewer);
    EXPECT_EQ(static_cast<CLoggedNode*>(a->GetChild(0))->m_pSeenOverlayViewer, &viewer);
}

TEST(SceneNode, InteractAndProbeStopAtTheFirstAnswer) {
    Log log;
    CLoggedNode root(nullptr, 0, &log);
    CLoggedNode* quiet = root.Child(1);
    CLoggedNode* caught = root.Child(2);
    CLoggedNode* eaten = root.Child(3);
    CPose viewer;
    CSceneNode* hit = nullptr;

    EXPECT_EQ(root.Interact(viewer, &hit), 0);
    EXPECT_EQ(hit, nullptr);
    EXPECT_EQ(root.Probe({1, 1}, nullptr), nullptr);

    caught->m_nAnswer = 1;
    eaten->m_nAnswer = 3;
    log.clear();
    EXPECT_EQ(root.Interact(viewer, &hit), 1);
    EXPECT_EQ(hit, caught);
    EXPECT_EQ(log, (Log{"interact 0", "interact 1", "interact 2"}));

    quiet->Child(10)->m_bProbeHit = true;
    eaten->m_bProbeHit = true;
    log.clear();
    CHeadlessScreen screen;
    EXPECT_EQ(root.Probe({1, 1}, &*screen), quiet->GetChild(0));
    EXPECT_EQ(log, (Log{"probe 0", "probe 1", "probe 10"}));
    // The screen for the shot's trace reaches every node asked.
    EXPECT_EQ(static_cast<CLoggedNode*>(quiet->GetChild(0))->m_pSeenScreen, &*screen);
}

TEST(SceneNode, TransformTreeResetsCullsAndTransformsChildrenFirst) {
    Log log;
    CLoggedNode root(nullptr, 0, &log);
    root.Drawable("r");
    CLoggedNode* culled = root.Child(1);
    culled->Drawable("c");
    culled->m_bInRegion = false;
    culled->Child(2)->Drawable("g");
    CLoggedNode* mixed = root.Child(3);
    mixed->Drawable("in");
    mixed->Drawable("out", false);

    root.TransformTree(CMatrix(), kRegion);
    // The culled node still resets its drawable, and its child is handled.
    EXPECT_EQ(log, (Log{"reset g", "transform g", "reset c", "reset in", "reset out",
                        "transform in", "reset r", "transform r"}));

    std::vector<CDrawable*> list;
    EXPECT_EQ(root.CollectVisible(list), 3);
    ASSERT_EQ(list.size(), 3u);
    // Depth first: a node's children's drawables come before its own.
    EXPECT_EQ(static_cast<CLoggedDrawable*>(list[0])->m_name, "g");
    EXPECT_EQ(static_cast<CLoggedDrawable*>(list[1])->m_name, "in");
    EXPECT_EQ(static_cast<CLoggedDrawable*>(list[2])->m_name, "r");
    // The list is appended to, not replaced.
    EXPECT_EQ(root.CollectVisible(list), 6);

    // No-cull: the drawables' own region tests are skipped while the node
    // passes its own, and nothing is transformed when it fails.
    mixed->SetNoCull(true);
    log.clear();
    root.TransformTree(CMatrix(), kRegion);
    EXPECT_EQ(log, (Log{"reset g", "transform g", "reset c", "reset in", "reset out",
                        "transform in", "transform out", "reset r", "transform r"}));
    culled->SetNoCull(true);
    log.clear();
    root.TransformTree(CMatrix(), kRegion);
    EXPECT_EQ(log[2], "reset c");
    EXPECT_EQ(log[3], "reset in");

    CLoggedNode empty(nullptr, 0, &log);
    std::vector<CDrawable*> none;
    EXPECT_EQ(empty.CollectVisible(none), 0);
    EXPECT_TRUE(none.empty());
}

TEST(SceneNode, DrawablesGetTheViewTimesTheirAncestorsMatricesButNotTheRoots) {
    Log log;
    CLoggedNode root(nullptr, 0, &log);
    CLoggedNode* maze = root.Child(1);
    CLoggedNode* enemy = maze->Child(100000);
    CLoggedDrawable* rootDrawable = root.Drawable("root");
    CLoggedDrawable* mazeDrawable = maze->Drawable("maze");
    CLoggedDrawable* enemyDrawable = enemy->Drawable("enemy");

    CMatrix rootMatrix, mazeMatrix, enemyMatrix, view;
    rootMatrix.SetTranslation(100, 0, 0);
    mazeMatrix.SetRotationY(30);
    enemyMatrix.SetTranslation(2.5, 0, 4.5);
    view.SetView(1.5, 0.5, 7.5, 75.0);
    root.SetMatrix(rootMatrix);
    maze->SetMatrix(mazeMatrix);
    enemy->SetMatrix(enemyMatrix);
    EXPECT_EQ(enemy->GetMatrix().m[0][3], 2.5);

    root.TransformTree(view, kRegion);
    const CMatrix expected[3] = {view * rootMatrix, view * mazeMatrix,
                                 view * (enemyMatrix * mazeMatrix)};
    const CLoggedDrawable* got[3] = {rootDrawable, mazeDrawable, enemyDrawable};
    for (int i = 0; i < 3; ++i)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(got[i]->m_toView.m[r][c], expected[i].m[r][c])
                    << got[i]->m_name << " " << r << "," << c;
}
