// One enemy: a child node of the maze that roams the grid and chases the
// player. It shows as a billboard one cell high, as a square on the minimap,
// catches the player when both stand in one cell close together, and can be
// shot while it is on screen.
//
// Directions: 0 toward -x (left on the level picture), 1 toward -z (up),
// 2 toward +x (right), 3 toward +z (down).
#pragma once
#include "scene/SceneNode.h"
#include <cstdint>
#include <vector>

class CMaze;
class CSprite;
class CSurface;

enum {
    DIR_LEFT = 0,  // -x
    DIR_UP = 1,    // -z
    DIR_RIGHT = 2, // +x
    DIR_DOWN = 3,  // +z
};

class CEnemy : public CSceneNode {
public:
    // `parent` is the maze whose grid the enemy walks (any other node, or
    // none, gives a grid of walls only); the creator calls AddChild.
    CEnemy(CSceneNode* parent, uint32_t id);
    // Deletes its sprite; the pictures belong to their list.
    ~CEnemy() override;

    // The first `count` entries of `table` become the animation pictures
    // (not owned), `periodMs` the length of one cycle (1 or more is used), and
    // the clock starts at a random phase. Creates the sprite, a picture one
    // cell high standing in the middle of the enemy's cell. Always true.
    bool SetImages(CSurface* const* table, int count, int periodMs);
    // The picture for the clock's place in the cycle; null without pictures.
    const CSurface* CurrentImage() const;
    // Sets the pose (x, z the cell's corner) and the node's translation.
    void SetPosition(double x, double z, double heading);
    // The direction to take now: straight at a player seen along a clear row
    // or column, else onward until blocked or until 10 s of animation time
    // since the last forced turn, then a random open direction.
    int ChooseDirection(const CPose& viewer);

    // Animates, chooses a direction and slides at most 0.4 cells that way.
    void Update(int elapsedMs, const CPose& viewer) override;
    // The enemy's cell (x and z truncated) lies in the region.
    bool IsInRegion(const PlatRect& region) const override;
    // A square on the maze's last minimap (a cell's size, at least 2
    // pixels), with its top-left corner where the pose lies.
    void DrawOverlay(CScreen& screen, const CPose& viewer) override;
    // EV_CAUGHT with *hit set when the viewer stands in the enemy's cell
    // closer than 0.8; else EV_NONE.
    int Interact(const CPose& viewer, CSceneNode** hit) override;
    // This enemy when its sprite was projected in the last frame and `cell`
    // lies in the two-by-two block of cells ending at the enemy's own cell
    // (its column and the one left of it, its row and the one above). An
    // enemy leaves no trace.
    CSceneNode* Probe(const PlatPoint& cell, CScreen* screen) override;

    const CPose& GetPose() const { return m_pose; }
    // The cell the pose lies in (x and z truncated).
    PlatPoint GetCell() const;
    int GetDirection() const { return m_nDirection; }
    void SetDirection(int direction) { m_nDirection = direction & 3; }
    int64_t GetClock() const { return m_nClock; }
    void SetClock(int64_t clockMs) { m_nClock = clockMs; }
    int64_t GetLastForcedTurn() const { return m_nLastForcedTurn; }
    int GetPeriod() const { return m_nPeriod; }
    // The sprite (null before SetImages).
    CSprite* GetSprite() const;

private:
    bool IsBlocked(int x, int z) const;
    bool IsClearAlong(bool bRow, int line, int from, int to) const;

    CMaze* m_pMaze;                        // the parent, when it is a maze
    std::vector<const CSurface*> m_images; // not owned
    CPose m_pose;
    int m_nPeriod = 0;
    // Milliseconds; 64 bits so a game left running for weeks cannot overflow.
    int64_t m_nClock = 0;
    int64_t m_nLastForcedTurn = 0;
    int m_nDirection = DIR_UP;
};
