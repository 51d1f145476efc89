// The maze: a level's cell grid and everything built from it. It reads a
// level bitmap into the grid, paints the minimap picture from the grid,
// owns the sky and floor pictures, builds one wall quad for every wall face
// that borders an open cell, one sprite for every item and one enemy child
// for every enemy start, draws the sky, floor and minimap, and answers the
// game's questions about walls, pick-ups and shots.
//
// World units: cell (column c, row r) is the square c <= x <= c + 1,
// r <= z <= r + 1 of the floor; walls stand from y = 0 to y = 1.
#pragma once
#include "gfx/Surface.h"
#include "scene/LevelBitmap.h"
#include "scene/LevelBudget.h"
#include "scene/MazeWall.h"
#include "scene/Minimap.h"
#include "scene/PictureTables.h"
#include "scene/SceneNode.h"
#include <memory>
#include <string>
#include <vector>

class CDrawable;

// The first enemy's id; enemy n of a build has id kEnemyIdBase + n. Nodes
// with smaller ids (the maze) stop a shot.
const uint32_t kEnemyIdBase = 100000;
class CMaze : public CSceneNode {
public:
    // The world passes its root and id 1, then calls the root's AddChild.
    CMaze(CSceneNode* parent, uint32_t id);
    ~CMaze() override;

    // Each load builds with `pictures` (none by default: the walls stand
    // unseen, and there are no item sprites and no dots to count).

    // Clears the maze, then reads the grid from bitmap resource `levelId`,
    // paints the minimap picture from it, loads the sky and floor pictures,
    // and builds. False at the first failure; the maze is then partly or
    // wholly empty and must not be drawn.
    bool LoadFromResource(int levelId, int skyId, int floorId,
                          const PictureTables& pictures = PictureTables());
    // The same from a level .BMP file.
    bool LoadFromFile(const char* path, int skyId, int floorId,
                      const PictureTables& pictures = PictureTables());
    // As above, keeping the sky and floor pictures.
    bool LoadNextFromResource(int levelId, const PictureTables& pictures = PictureTables());
    bool LoadNextFromFile(const char* path, const PictureTables& pictures = PictureTables());
    // Stores the tables, then builds walls, items and enemies from the grid.
    // False, with nothing built and the reason in GetRefusal, when the level
    // does not fit the level budget (scene/LevelBudget.h).
    bool Build(const PictureTables& pictures);
    // Why the last load or Build refused the level (the file cannot be
    // read, is not a level picture, or is over the budget); empty when it
    // built.
    const std::string& GetRefusal() const { return m_strRefusal; }
    // Reloads the level from where it last came from, with the stored tables;
    // eaten dots, taken guns and shot enemies all come back. True when the
    // source built; then the level may differ from the one played (a file
    // changed during play). When the source no longer reads or builds, the
    // level is rebuilt as it was last loaded, from its bytes kept in memory,
    // and the result is false.
    bool Restart();
    // Deletes the enemies, the grid, the kept level bytes and every
    // drawable. Dots left stays.
    void Clear();

    // Reading the grid alone (the old grid is freed first). On failure the
    // grid is empty and *error (if given) says why.
    bool ReadGrid(const uint8_t* infoHeader, size_t size, std::string* error = nullptr);
    bool ReadGridFromResource(int id, std::string* error = nullptr);
    bool ReadGridFromFile(const char* path, std::string* error = nullptr);

    // The first cell (row-major) holding exactly the start marker, else the
    // grid's middle (width / 2, height / 2).
    void GetStartCell(int* column, int* row) const;

    // Advances the sky drift (0.003 degrees a millisecond), then the enemies.
    void Update(int elapsedMs, const CPose& viewer) override;
    // The sky, turned by the viewer's heading plus the drift, and the floor
    // below it. Nothing else clears the back buffer.
    void DrawBackground(CScreen& screen, const CPose& viewer) override;
    // The minimap placed by PlaceMinimap for the viewer, the dashes where
    // it goes on, each enemy's dot, and last the viewer's arrow. Stores the
    // placement for the enemies and the shot's trace.
    void DrawOverlay(CScreen& screen, const CPose& viewer) override;
    // The enemies (nothing), then pushes the viewer at least 0.42 away from
    // the walls around its cell: x and z axes first; only when neither axis
    // moved, straight away from the first wall corner closer than 0.42.
    void Collide(CPose& viewer) override;
    // An enemy in contact first (EV_CAUGHT); else a dot (EV_DOT, or
    // EV_LAST_DOT for the last) or a gun (EV_GUN) in the viewer's cell is
    // taken out of the maze and *hit set to the maze. Decorations stay
    // (EV_NONE).
    int Interact(const CPose& viewer, CSceneNode** hit) override;
    // A wall cell stops the shot (the maze itself). Otherwise the cell's
    // trace is drawn straight onto `screen`'s framebuffer (when there is a
    // screen), on the cell's square of the last minimap, clipped to it, and
    // the enemies are asked.
    CSceneNode* Probe(const PlatPoint& cell, CScreen* screen) override;

    // The base's frame passes with the base's results, but over the maze's
    // own drawables they visit only those near the region, through the cell
    // index: the drawables the last pass transformed are reset, those the
    // region holds transformed, and the visible ones among them collected
    // in the order of the drawable list. This rests on the maze's drawables
    // getting frame flags only from these passes and from the projection of
    // the collected ones; ProjectTree, which flags every drawable, makes the
    // next TransformTree reset them all.
    // Faces the view surely leaves undrawn (see CUprightCull) are not
    // transformed, unless the no-cull flag is set.
    void TransformTree(const CMatrix& view, const PlatRect& region,
                       double reach = kUnboundedReach) override;
    void ProjectTree(const CScreen& screen) override;
    int CollectVisible(std::vector<CDrawable*>& list) override;

    // ---- The grid ----
    int GetWidth() const { return m_nWidth; }
    // The wall quads made for the faces: the most ever lent at once.
    size_t GetQuadsMade() const { return m_quadPool.GetMade(); }
    int GetHeight() const { return m_nHeight; }
    bool IsInGrid(int x, int z) const { return x >= 0 && z >= 0 && x < m_nWidth && z < m_nHeight; }
    // The cell byte; cells outside the grid read as `outside`.
    uint8_t GetCell(int x, int z, uint8_t outside = CELL_WALL) const;
    // Cells outside the grid count as walls, so nothing can leave it.
    bool IsWallAt(int x, int z) const { return IsWallCell(GetCell(x, z)); }

    // Whether the cells of row `line` (bRow) or column `line` from
    // min(from, to) up to max(from, to), the larger excluded, are all open;
    // cells outside the grid are walls. O(1) for every `from` once `line` and
    // `to` have been asked about: the run of open cells around `to` is found
    // once and kept until the grid is read again, as walls never change in
    // play.
    bool IsClearAlong(bool bRow, int line, int from, int to) const;

    int GetDotsLeft() const { return m_nDotsLeft; }
    double GetSkyDrift() const { return m_dSkyDrift; }
    // Where the last DrawOverlay drew the minimap; scale 0 before the first.
    const MinimapView& GetMinimapView() const { return m_minimapView; }
    // The minimap's size and colours from now on: a minimap already painted
    // is painted again from the grid. Nothing but the drawing reads it.
    void SetMinimapLook(const MinimapLook& look);
    const MinimapLook& GetMinimapLook() const { return m_minimapLook; }
    // The maze's own pictures; a caller may also fill them itself (a tool
    // drawing with pictures of its own). The minimap holds a pixel a cell,
    // in MinimapCellColour of the look's colours; a taken item turns to
    // ground.
    const CSurface& GetSky() const { return m_sky; }
    const CSurface& GetFloor() const { return m_floor; }
    const CSurface& GetMinimap() const { return m_minimap; }
    CSurface& GetSky() { return m_sky; }
    CSurface& GetFloor() { return m_floor; }
    CSurface& GetMinimap() { return m_minimap; }
    const std::string& GetLevelPath() const { return m_strLevelPath; }
    // The name of the level last read (clean, at most kMaxLevelNameChars;
    // "" when it has none).
    const std::string& GetName() const { return m_strName; }
    int GetLevelResourceId() const { return m_nLevelResourceId; }

    // Appends the maze's own drawables whose cell (the cell their region test
    // looks at) lies in `region`, row by row: exactly those whose IsInRegion
    // is true, found without visiting the others.
    void CollectInRegion(const PlatRect& region, std::vector<CDrawable*>& list) const;

private:
    bool AdoptGrid(bool bRead, LevelGrid& grid);
    bool LoadCommon(const char* path, int levelId, bool bBackground, int skyId, int floorId,
                    const PictureTables& pictures);
    bool ReadGridAndMinimap(const LevelBytes& bytes);
    // Paints m_minimap from the grid; false when it cannot be allocated.
    bool PaintMinimap();
    // Takes over the bytes of the level just built (`bytes` is left empty).
    void KeepBytes(LevelBytes& bytes);
    void BuildWalls(CSurface* const* wallTable, int wallCount, size_t faceCount);
    void BuildItems(CSurface* const* itemTable, int itemCount);
    void BuildEnemies(CSurface* const* enemyTable, int enemyCount);
    void BuildCellIndex();
    void RemoveItemSprite(int x, int z);
    void DeleteDrawables();

    CSurface m_sky;
    CSurface m_floor;
    CSurface m_minimap;
    std::vector<uint8_t> m_grid; // row-major, row 0 the top of the picture
    MinimapView m_minimapView;
    MinimapLook m_minimapLook;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nDotsLeft = 0;
    double m_dSkyDrift = 0.0;
    std::string m_strLevelPath;
    std::string m_strName;
    int m_nLevelResourceId = 0;
    PictureTables m_pictures; // of the last build, for Restart
    // The bytes of the level last built, for a Restart whose source fails.
    LevelBytes m_kept;
    std::string m_strRefusal;
    // A run of the grid around cell `to` of row or column `line`: from any
    // `first` <= c < `to`, the cells c .. to - 1 are open; for any to < c <=
    // `last`, the cells to .. c - 1 are.
    struct SightRun {
        bool bValid = false;
        int64_t line = 0, to = 0, first = 0, last = 0;
    };
    mutable SightRun m_sightRuns[2]; // [0] along a column, [1] along a row
    // The faces' quads outlive the faces, which give them back.
    CWallQuadPool m_quadPool;
    std::unique_ptr<CMazeWall[]> m_walls; // in the drawable list, walls first
    size_t m_nWalls = 0;                  // of m_walls
    // Whether the drawable is one of m_walls, without asking it.
    bool IsFace(const CDrawable* pDrawable) const {
        const uintptr_t first = reinterpret_cast<uintptr_t>(m_walls.get());
        return reinterpret_cast<uintptr_t>(pDrawable) - first < m_nWalls * sizeof(CMazeWall);
    }

    // The drawables again, ordered by the cell their region test reads (row,
    // then column, then creation): m_indexKeys[i] is row * width + column of
    // m_indexed[i]. A taken item leaves a null entry.
    std::vector<CDrawable*> m_indexed;
    std::vector<size_t> m_indexKeys;

    // A drawable with its place in the drawable list as built (taken items
    // leave the others' order as it was).
    struct Placed {
        size_t order;
        CDrawable* pDrawable;
    };
    // m_indexed[i]'s place in the drawable list.
    std::vector<size_t> m_indexOrder;
    // Drawables the index cannot place (a region test that is not a cell of
    // the grid): every pass visits them.
    std::vector<Placed> m_unplaced;
    // The drawables that may carry frame flags: those of the last
    // TransformTree, or all of them when m_bAllFlagged.
    // TransformTree's second half: transforms the drawables in `region`
    // and lists them in m_flagged.
    void TransformInRegion(const CMatrix& view, const PlatRect& region, double reach);
    std::vector<Placed> m_flagged;
    std::vector<Placed> m_lastFlagged; // TransformTree's, kept to spare allocations
    bool m_bAllFlagged = false;
    std::vector<Placed> m_visibleScratch; // CollectVisible's, kept to spare allocations

    // Appends the indexed drawables whose cell lies in `region` to `list`.
    // Appends the indexed drawables whose cell lies in `region` to `list`,
    // but for the faces of the cells where `skip(x, z)` says so.
    template <typename List, typename Make, typename Skip>
    void VisitRegion(const PlatRect& region, List& list, Make make, Skip skip) const;
    // Takes the drawable out of the frame lists before it is deleted.
    void ForgetFlagged(const CDrawable* pDrawable);
};
