// The maze's loading (the level's grid, minimap, sky and floor) and
// building (its faces, items, enemies and the index of its cells). The
// frame passes are in MazePasses.cpp, the rules in MazeRules.cpp.
#include "scene/Maze.h"
#include "math3d/Math3d.h"
#include "math3d/Sprite.h"
#include "math3d/WallQuad.h"
#include "scene/Enemy.h"
#include "scene/LevelBudget.h"
#include "scene/MazeWall.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace {

const int kEnemyPeriodMs = 1000;

// The cell a drawable's region test reads: an upright quad's first corner,
// a sprite's base point. False for drawables whose test is not one cell.
bool RegionCellOf(const CDrawable* pDrawable, int32_t* x, int32_t* z) {
    if (pDrawable->GetKind() == CDrawable::KindMazeWall) {
        const CMazeWall* pWall = static_cast<const CMazeWall*>(pDrawable);
        *x = pWall->GetRegionColumn();
        *z = pWall->GetRegionRow();
        return true;
    }
    if (pDrawable->GetKind() == CDrawable::KindWallQuad) {
        const CWallQuad* pQuad = static_cast<const CWallQuad*>(pDrawable);
        if (!pQuad->IsUpright())
            return false;
        const CVector& corner = pQuad->GetCorner(0);
        *x = TruncateToInt32(corner.x);
        *z = TruncateToInt32(corner.z);
        return true;
    }
    if (pDrawable->GetKind() == CDrawable::KindSprite) {
        const CVector& base = static_cast<const CSprite*>(pDrawable)->m_base;
        *x = TruncateToInt32(base.x);
        *z = TruncateToInt32(base.z);
        return true;
    }
    return false;
}

} // namespace

CMaze::CMaze(CSceneNode* parent, uint32_t id) : CSceneNode(parent, id) {}

CMaze::~CMaze() {
    Clear();
}

// ---- Loading ----

bool CMaze::AdoptGrid(bool bRead, LevelGrid& grid) {
    // A failed read leaves an empty grid: every cell then reads as a wall.
    m_grid.swap(grid.cells);
    m_sightRuns[0].bValid = false;
    m_sightRuns[1].bValid = false;
    m_nWidth = grid.width;
    m_nHeight = grid.height;
    m_strName.swap(grid.name);
    return bRead;
}

bool CMaze::ReadGrid(const uint8_t* infoHeader, size_t size, std::string* error) {
    LevelGrid grid;
    return AdoptGrid(ReadLevelDib(infoHeader, size, &grid, error), grid);
}

bool CMaze::ReadGridFromResource(int id, std::string* error) {
    LevelGrid grid;
    return AdoptGrid(ReadLevelResource(id, &grid, error), grid);
}

bool CMaze::ReadGridFromFile(const char* path, std::string* error) {
    LevelGrid grid;
    return AdoptGrid(ReadLevelFile(path, &grid, error), grid);
}

bool CMaze::LoadCommon(const char* path, int levelId, bool bBackground, int skyId, int floorId,
                       const PictureTables& pictures) {
    // Copied first: `path` may be the stored level path itself.
    const std::string strPath = path ? path : "";
    m_strLevelPath = strPath;
    m_nLevelResourceId = path ? 0 : levelId;
    Clear();
    m_strRefusal.clear();
    LevelBytes bytes;
    const bool bFound = path ? ReadLevelBytes(strPath.c_str(), &bytes, &m_strRefusal)
                             : FindLevelBytes(levelId, &bytes, &m_strRefusal);
    if (!bFound || !ReadGridAndMinimap(bytes))
        return false;
    if (bBackground && (!m_sky.LoadBitmapResource(skyId) || !m_floor.LoadBitmapResource(floorId)))
        return false;
    if (!Build(pictures))
        return false;
    KeepBytes(bytes);
    return true;
}

bool CMaze::ReadGridAndMinimap(const LevelBytes& bytes) {
    // The minimap is painted from the grid, so the two cannot disagree; the
    // level's own palette is not read (see MinimapCellColour).
    m_strRefusal.clear();
    if (!ReadGrid(bytes.info, bytes.size, &m_strRefusal))
        return false;
    if (m_nLevelResourceId != 0)
        m_strName = ResourceLevelName(m_nLevelResourceId);
    if (PaintMinimap())
        return true;
    m_strRefusal = "there is no memory for its minimap";
    return false;
}

bool CMaze::PaintMinimap() {
    uint32_t colours[256];
    for (int cell = 0; cell < 256; ++cell)
        colours[cell] = MinimapCellColour(static_cast<uint8_t>(cell), *m_minimapLook.colours);
    return m_minimap.CreateIndexed(m_grid.data(), m_nWidth, m_nHeight, colours);
}

void CMaze::SetMinimapLook(const MinimapLook& look) {
    const bool repaint = look.colours != m_minimapLook.colours && m_minimap.pixels != nullptr;
    m_minimapLook = look;
    // The grid has every taken item as corridor already, so the picture
    // comes out as the one it replaces, in the new colours.
    if (repaint)
        PaintMinimap();
}

void CMaze::KeepBytes(LevelBytes& bytes) {
    // Swapping the vectors keeps their blocks, so `info` still points into
    // the file's bytes.
    m_kept.file.swap(bytes.file);
    m_kept.info = bytes.info;
    m_kept.size = bytes.size;
}

bool CMaze::LoadFromResource(int levelId, int skyId, int floorId, const PictureTables& pictures) {
    return LoadCommon(nullptr, levelId, true, skyId, floorId, pictures);
}

bool CMaze::LoadFromFile(const char* path, int skyId, int floorId, const PictureTables& pictures) {
    return LoadCommon(path ? path : "", 0, true, skyId, floorId, pictures);
}

bool CMaze::LoadNextFromResource(int levelId, const PictureTables& pictures) {
    return LoadCommon(nullptr, levelId, false, 0, 0, pictures);
}

bool CMaze::LoadNextFromFile(const char* path, const PictureTables& pictures) {
    return LoadCommon(path ? path : "", 0, false, 0, 0, pictures);
}

bool CMaze::Restart() {
    LevelBytes fresh;
    const bool bFound = m_nLevelResourceId != 0
                            ? FindLevelBytes(m_nLevelResourceId, &fresh, nullptr)
                            : ReadLevelBytes(m_strLevelPath.c_str(), &fresh, nullptr);
    // Clear forgets the kept bytes; they are held here until a build stands.
    LevelBytes kept;
    kept.file.swap(m_kept.file);
    kept.info = m_kept.info;
    kept.size = m_kept.size;
    Clear();
    if (bFound && ReadGridAndMinimap(fresh) && Build(m_pictures)) {
        KeepBytes(fresh);
        return true;
    }
    // The file was changed or removed during play: rather than an empty maze
    // that can be neither won nor lost, the level as it was loaded.
    Clear();
    if (kept.info != nullptr && ReadGridAndMinimap(kept) && Build(m_pictures))
        KeepBytes(kept);
    return false;
}

void CMaze::DeleteDrawables() {
    std::vector<CDrawable*> drawables;
    drawables.swap(m_drawables);
    for (CDrawable* pDrawable : drawables)
        if (pDrawable->GetKind() != CDrawable::KindMazeWall)
            delete pDrawable; // the faces go with their block
    m_walls.reset();
    std::vector<CDrawable*>().swap(m_indexed);
    std::vector<size_t>().swap(m_indexKeys);
    std::vector<size_t>().swap(m_indexOrder);
    std::vector<Placed>().swap(m_unplaced);
    std::vector<Placed>().swap(m_flagged);
    std::vector<Placed>().swap(m_visibleScratch);
    m_bAllFlagged = false;
}

void CMaze::Clear() {
    DeleteChildren();
    std::vector<uint8_t>().swap(m_grid);
    m_sightRuns[0].bValid = false;
    m_sightRuns[1].bValid = false;
    std::vector<uint8_t>().swap(m_kept.file);
    m_kept.info = nullptr;
    m_kept.size = 0;
    m_nWidth = 0;
    m_nHeight = 0;
    DeleteDrawables();
}

// ---- Building ----

bool CMaze::Build(const PictureTables& pictures) {
    m_pictures = pictures;
    m_strRefusal.clear();
    const int wallCount = pictures.walls ? pictures.wallCount : 0;
    const int itemCount = pictures.items ? pictures.itemCount : 0;
    const int enemyCount = pictures.enemies ? pictures.enemyCount : 0;
    // Weighed before anything is allocated, so a level beyond the budget
    // fails cleanly instead of exhausting memory or time halfway through.
    const LevelCounts counts =
        CountLevelBuild(m_grid.data(), m_nWidth, m_nHeight, wallCount, itemCount);
    if (!FitsLevelBudget(EstimateLevelCost(counts), &m_strRefusal))
        return false;
    m_drawables.reserve(counts.faces + counts.items);
    BuildWalls(pictures.walls, wallCount, counts.faces);
    BuildItems(pictures.items, itemCount);
    BuildEnemies(pictures.enemies, enemyCount);
    BuildCellIndex();
    return true;
}

void CMaze::BuildWalls(CSurface* const* wallTable, int wallCount, size_t faceCount) {
    // One block for every face: a level may have millions of them.
    m_walls.reset(faceCount > 0 ? new CMazeWall[faceCount] : nullptr);
    m_nWalls = faceCount;
    size_t n = 0;
    const int w = m_nWidth, h = m_nHeight;
    for (int r = 1; r <= h - 2; ++r) {
        for (int c = 1; c <= w - 2; ++c) {
            if (IsWallCell(m_grid[static_cast<size_t>(r) * w + c]))
                continue;
            // Above, right, below, left; faces above and to the right of the
            // open cell take the darker copy, which shades walls by direction.
            const int dc[4] = {0, 1, 0, -1};
            const int dr[4] = {-1, 0, 1, 0};
            for (int k = 0; k < 4; ++k) {
                const uint8_t cell = m_grid[static_cast<size_t>(r + dr[k]) * w + c + dc[k]];
                if (!IsWallCell(cell))
                    continue;
                const int index = 2 * CellType(cell) + (k < 2 ? 1 : 0);
                if (index >= wallCount)
                    continue; // a wall type without textures: solid but invisible
                m_walls[n].Set(c, r, k, wallTable[index], &m_quadPool);
                m_drawables.push_back(&m_walls[n]);
                ++n;
            }
        }
    }
}

void CMaze::BuildItems(CSurface* const* itemTable, int itemCount) {
    m_nDotsLeft = 0;
    const int w = m_nWidth, h = m_nHeight;
    // Row 0 and column 0 are skipped (the last row and column are not): an
    // item there stays in the grid but gets no sprite and is not counted.
    for (int r = 1; r <= h - 1; ++r) {
        for (int c = 1; c <= w - 1; ++c) {
            const uint8_t cell = m_grid[static_cast<size_t>(r) * w + c];
            if (CellClass(cell) != CELL_CLASS_ITEM)
                continue;
            const int t = CellType(cell);
            if (t >= itemCount)
                continue;
            CSprite* pSprite = new CSprite;
            pSprite->m_base.Set(c + 0.5, 0.0, r + 0.5);
            pSprite->m_top.Set(c + 0.5, 0.5, r + 0.5);
            pSprite->m_pImage = itemTable[t];
            m_drawables.push_back(pSprite);
            if (t == ITEM_DOT)
                ++m_nDotsLeft;
        }
    }
}

void CMaze::BuildEnemies(CSurface* const* enemyTable, int enemyCount) {
    uint32_t n = 0;
    // Every enemy shows the first picture only.
    const int imageCount = std::min(1, enemyCount);
    for (int r = 0; r < m_nHeight; ++r) {
        for (int c = 0; c < m_nWidth; ++c) {
            if (!IsEnemyStartCell(m_grid[static_cast<size_t>(r) * m_nWidth + c]))
                continue;
            CEnemy* pEnemy = new CEnemy(this, kEnemyIdBase + n);
            AddChild(pEnemy);
            pEnemy->SetImages(enemyTable, imageCount, kEnemyPeriodMs);
            pEnemy->SetPosition(c, r, 0.0);
            ++n;
        }
    }
}

void CMaze::BuildCellIndex() {
    // Each placed drawable with its cell's key and its place in the list,
    // ordered by cell and then by place: counted out row by row, then each
    // row column by column; the counting keeps the list order within a cell.
    const size_t n = m_drawables.size();
    const size_t width = static_cast<size_t>(m_nWidth);
    std::vector<size_t> keys(n);
    std::vector<size_t> rowStart(static_cast<size_t>(m_nHeight) + 1, 0);
    const size_t kUnplaced = SIZE_MAX;
    m_unplaced.clear();
    for (size_t i = 0; i < n; ++i) {
        int32_t x = 0, z = 0;
        if (RegionCellOf(m_drawables[i], &x, &z) && IsInGrid(x, z)) {
            keys[i] = static_cast<size_t>(z) * width + static_cast<size_t>(x);
            ++rowStart[static_cast<size_t>(z) + 1];
        } else {
            keys[i] = kUnplaced;
            m_unplaced.push_back(Placed{i, m_drawables[i]});
        }
    }
    for (size_t r = 1; r < rowStart.size(); ++r)
        rowStart[r] += rowStart[r - 1];
    std::vector<size_t> byRow(rowStart.back());
    std::vector<size_t> next(rowStart.begin(), rowStart.end() - 1);
    for (size_t i = 0; i < n; ++i)
        if (keys[i] != kUnplaced)
            byRow[next[keys[i] / width]++] = i;
    m_indexed.resize(byRow.size());
    m_indexKeys.resize(byRow.size());
    m_indexOrder.resize(byRow.size());
    std::vector<size_t> columnStart(width + 1);
    for (size_t r = 0; r + 1 < rowStart.size(); ++r) {
        const size_t first = rowStart[r], last = rowStart[r + 1];
        if (first == last)
            continue;
        std::fill(columnStart.begin(), columnStart.end(), 0);
        for (size_t k = first; k < last; ++k)
            ++columnStart[keys[byRow[k]] % width + 1];
        for (size_t c = 1; c <= width; ++c)
            columnStart[c] += columnStart[c - 1];
        for (size_t k = first; k < last; ++k) {
            const size_t i = byRow[k];
            const size_t at = first + columnStart[keys[i] % width]++;
            m_indexKeys[at] = keys[i];
            m_indexOrder[at] = i;
            m_indexed[at] = m_drawables[i];
        }
    }
}

void CMaze::ForgetFlagged(const CDrawable* pDrawable) {
    for (std::vector<Placed>* pList : {&m_flagged, &m_unplaced, &m_visibleScratch})
        pList->erase(
            std::remove_if(pList->begin(), pList->end(),
                           [pDrawable](const Placed& p) { return p.pDrawable == pDrawable; }),
            pList->end());
}
