#include "scene/SceneNode.h"

#include "math3d/Drawable.h"
#include <cstddef>

CSceneNode::CSceneNode(CSceneNode* parent, uint32_t id) : m_pParent(parent), m_dwId(id) {}

CSceneNode::~CSceneNode() {
    DeleteChildren();
}

CSceneNode* CSceneNode::AddChild(CSceneNode* node) {
    if (node == nullptr)
        return nullptr; // a null entry would break every traversal
    m_children.push_back(node);
    return node;
}

CSceneNode* CSceneNode::FindChild(uint32_t id, bool recursive) const {
    for (CSceneNode* child : m_children)
        if (child->m_dwId == id)
            return child;
    if (recursive) {
        for (CSceneNode* child : m_children)
            if (CSceneNode* found = child->FindChild(id, true))
                return found;
    }
    return nullptr;
}

bool CSceneNode::RemoveChildById(uint32_t id) {
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i]->m_dwId == id) {
            CSceneNode* child = m_children[i];
            // Out of the list first, so a destructor that looks at its parent
            // never sees itself there.
            m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(i));
            delete child;
            return true;
        }
    }
    return false;
}

bool CSceneNode::RemoveChild(CSceneNode* node) {
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        if (m_children[i] == node) {
            m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(i));
            delete node;
            return true;
        }
    }
    return false;
}

void CSceneNode::DeleteChildren() {
    // Taken out of the member first, so nothing reaches a deleted child
    // through this list while the destructors run.
    std::vector<CSceneNode*> children;
    children.swap(m_children);
    for (CSceneNode* child : children)
        delete child;
}

// The traversals index the lists afresh on every step, so an operation that
// removes a node or a drawable on the way cannot leave a loop reading freed
// storage.
void CSceneNode::Update(int elapsedMs, const CPose& viewer) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->Update(elapsedMs, viewer);
}

bool CSceneNode::IsInRegion(const PlatRect&) const {
    return true;
}

void CSceneNode::TransformTree(const CMatrix& view, const PlatRect& region, double reach) {
    // Children first, so a culled node's subtree is still handled.
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->TransformTree(view, region, reach);
    // Reset even when culled, so nothing carries last frame's flags.
    for (std::size_t i = 0; i < m_drawables.size(); ++i)
        m_drawables[i]->ResetFrame();
    if (!IsInRegion(region))
        return;
    const CMatrix toView = DrawableToView(view);
    for (std::size_t i = 0; i < m_drawables.size(); ++i)
        if (m_bNoCull || m_drawables[i]->IsInRegion(region))
            m_drawables[i]->Transform(toView);
}

CMatrix CSceneNode::DrawableToView(const CMatrix& view) const {
    // The ancestors' matrices go on the right, and the topmost node's is
    // never applied to its descendants.
    CMatrix world = m_matrix;
    for (const CSceneNode* a = m_pParent; a != nullptr && a->m_pParent != nullptr; a = a->m_pParent)
        world = world * a->m_matrix;
    return view * world;
}

void CSceneNode::ProjectTree(const CScreen& screen) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->ProjectTree(screen);
    for (std::size_t i = 0; i < m_drawables.size(); ++i)
        m_drawables[i]->Project(screen);
}

int CSceneNode::CollectVisible(std::vector<CDrawable*>& list) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->CollectVisible(list);
    for (std::size_t i = 0; i < m_drawables.size(); ++i)
        if (m_drawables[i]->IsVisible())
            list.push_back(m_drawables[i]);
    return static_cast<int>(list.size());
}

void CSceneNode::DrawBackground(CScreen& screen, const CPose& viewer) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->DrawBackground(screen, viewer);
}

void CSceneNode::DrawOverlay(CScreen& screen, const CPose& viewer) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->DrawOverlay(screen, viewer);
}

void CSceneNode::Collide(CPose& viewer) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->Collide(viewer);
}

int CSceneNode::Interact(const CPose& viewer, CSceneNode** hit) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (int code = m_children[i]->Interact(viewer, hit))
            return code;
    return EV_NONE;
}

CSceneNode* CSceneNode::Probe(const PlatPoint& cell, CScreen* screen) {
    for (std::size_t i = 0; i < m_children.size(); ++i)
        if (CSceneNode* node = m_children[i]->Probe(cell, screen))
            return node;
    return nullptr;
}
