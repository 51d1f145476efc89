// The base of everything in the 3D scene. A node owns its children, carries a
// local matrix and holds its drawables; the world drives the whole tree once
// a frame through the virtual operations below. The base implements each as a
// plain traversal of the children (and, where it applies, its own drawables),
// always in the order the children were added.
#pragma once
#include "math3d/Matrix.h"
#include "math3d/Pose.h"
#include "math3d/Vector.h"
#include "platform/PlatformTypes.h"
#include <cstdint>
#include <vector>

class CDrawable;
class CScreen;

// What Interact reports the player touched. The world's frame reports the
// same codes, and one more of its own.
enum : int {
    EV_NONE = 0,
    EV_CAUGHT = 1,   // an enemy caught the player
    EV_GUN = 2,      // a gun was picked up
    EV_DOT = 3,      // a dot was eaten and others remain
    EV_LAST_DOT = 4, // the level's last dot was eaten
};

class CSceneNode {
public:
    // Ids: root 0, maze 1, enemies 100000 and up. The node is not inserted
    // into `parent`; the creator calls parent->AddChild. `parent` is not owned
    // and is null for the root.
    CSceneNode(CSceneNode* parent, uint32_t id);
    // Deletes the children. The drawables are not deleted here: each derived
    // kind deletes its own, exactly once.
    virtual ~CSceneNode();
    CSceneNode(const CSceneNode&) = delete;
    CSceneNode& operator=(const CSceneNode&) = delete;

    // Appends `node` (not yet in any list) and takes ownership. Returns
    // `node`; a null node is not added.
    CSceneNode* AddChild(CSceneNode* node);
    // The first direct child with this id; failing that and if `recursive`,
    // the first hit of the same search in each child in turn. Null if none.
    CSceneNode* FindChild(uint32_t id, bool recursive) const;
    // Deletes the first direct child with this id and closes the gap, keeping
    // the order. False, with nothing changed, when there is none.
    bool RemoveChildById(uint32_t id);
    // The same, matching the pointer among the direct children.
    bool RemoveChild(CSceneNode* node);
    // Deletes every child in list order and empties the list.
    void DeleteChildren();

    // ---- The per-frame operations ----
    // Advances by `elapsedMs`; the base updates each child.
    virtual void Update(int elapsedMs, const CPose& viewer);
    // Whether the node stands in the view region; the base always does.
    virtual bool IsInRegion(const PlatRect& region) const;
    // Transforms the subtree's drawables into view space, children first.
    // This node's drawables are reset, then, unless the node fails its region
    // test, transformed with view * W, where W is the node's matrix times its
    // ancestors' matrices on the right, the topmost node's excluded. With the
    // no-cull flag the drawables skip their own region tests. `reach` is
    // the SideReach of the screen the frame projects onto; a node may leave
    // untransformed what it can tell no screen that narrow would show (the
    // base does not).
    virtual void TransformTree(const CMatrix& view, const PlatRect& region,
                               double reach = kUnboundedReach);
    // Projects the subtree's drawables, children first.
    virtual void ProjectTree(const CScreen& screen);
    // Appends the subtree's visible drawables, depth first (children before
    // this node's own); returns the list's size afterwards.
    virtual int CollectVisible(std::vector<CDrawable*>& list);
    // What lies behind the drawables, turned as `viewer` looks.
    virtual void DrawBackground(CScreen& screen, const CPose& viewer);
    // Over the scene, for a frame seen by `viewer`.
    virtual void DrawOverlay(CScreen& screen, const CPose& viewer);
    // Pushes the viewer out of walls; the base asks each child.
    virtual void Collide(CPose& viewer);
    // The first child answering non-zero (an EV_ code) ends the search; that
    // child has set *hit. 0 when no child answers. The base never writes
    // *hit itself.
    virtual int Interact(const CPose& viewer, CSceneNode** hit);
    // The first child answering non-null ends the search. Null if none.
    // A shot's trace goes straight onto `screen`, when one is given.
    virtual CSceneNode* Probe(const PlatPoint& cell, CScreen* screen);

    uint32_t GetId() const { return m_dwId; }
    CSceneNode* GetParent() const { return m_pParent; }
    const CMatrix& GetMatrix() const { return m_matrix; }
    bool IsNoCull() const { return m_bNoCull; }
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    CSceneNode* GetChild(int index) const { return m_children[index]; } // 0 <= index < count
    const std::vector<CDrawable*>& GetDrawables() const { return m_drawables; }

protected:
    // view * W, with W as TransformTree forms it: what takes this node's
    // drawables to view space.
    CMatrix DrawableToView(const CMatrix& view) const;

    std::vector<CSceneNode*> m_children; // owned, in insertion order
    CMatrix m_matrix;                    // local transform; identity at first
    CSceneNode* m_pParent;               // not owned; null for the root
    uint32_t m_dwId;
    bool m_bNoCull = false;              // drawables skip their region tests
    std::vector<CDrawable*> m_drawables; // not deleted by the base (see above)
};
