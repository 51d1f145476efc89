#include "scene/Maze.h"
#include "gfx/Screen.h"
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

// 0.3 x 1.4: more than the player's largest step (0.4), so one push always
// brings the player back before a wall cell can be reached.
const double kPushRadius = 0.42;
const double kSkyDriftPerMs = 0.003;
const uint32_t kColourRed = 0x000000FF;    // the minimap's see-through colour
const uint32_t kColourYellow = 0x0000FFFF; // the shot's trace
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
    // One read of the level, one header reader: the grid and the minimap
    // come from the same bytes, so they cannot disagree on what is a level.
    // The minimap takes the 8-bit route of the grid (a full colour table,
    // rows right after it) for a resource too.
    m_strRefusal.clear();
    if (!ReadGrid(bytes.info, bytes.size, &m_strRefusal))
        return false;
    if (m_minimap.LoadDib(bytes.info, bytes.size))
        return true;
    m_strRefusal = "its picture cannot be read as a minimap";
    return false;
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

template <typename List, typename Make, typename Skip>
void CMaze::VisitRegion(const PlatRect& region, List& list, Make make, Skip skip) const {
    const int left = std::max(region.left, 0), right = std::min(region.right, m_nWidth);
    const int top = std::max(region.top, 0), bottom = std::min(region.bottom, m_nHeight);
    if (left >= right)
        return;
    for (int z = top; z < bottom; ++z) {
        const size_t first = static_cast<size_t>(z) * m_nWidth + left;
        const size_t last = static_cast<size_t>(z) * m_nWidth + right;
        auto it = std::lower_bound(m_indexKeys.begin(), m_indexKeys.end(), first);
        size_t cell = SIZE_MAX;
        bool skipped = false;
        for (; it != m_indexKeys.end() && *it < last; ++it) {
            if (*it != cell) {
                cell = *it;
                skipped = skip(int(cell - static_cast<size_t>(z) * m_nWidth), z);
            }
            const size_t i = static_cast<size_t>(it - m_indexKeys.begin());
            if (m_indexed[i] && !(skipped && IsFace(m_indexed[i])))
                list.push_back(make(i));
        }
    }
}

void CMaze::CollectInRegion(const PlatRect& region, std::vector<CDrawable*>& list) const {
    VisitRegion(
        region, list, [this](size_t i) { return m_indexed[i]; }, [](int, int) { return false; });
    for (const Placed& p : m_unplaced)
        if (p.pDrawable->IsInRegion(region))
            list.push_back(p.pDrawable);
}

void CMaze::ForgetFlagged(const CDrawable* pDrawable) {
    for (std::vector<Placed>* pList : {&m_flagged, &m_unplaced, &m_visibleScratch})
        pList->erase(
            std::remove_if(pList->begin(), pList->end(),
                           [pDrawable](const Placed& p) { return p.pDrawable == pDrawable; }),
            pList->end());
}

// ---- The frame passes ----

void CMaze::TransformTree(const CMatrix& view, const PlatRect& region, double reach) {
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->TransformTree(view, region, reach);
    // Every drawable that can carry last frame's flags is reset; the others
    // have none to lose. The faces among them keep their quads until this
    // frame's are transformed, so that a face seen again reuses its own.
    const bool bWereAll = m_bAllFlagged;
    if (m_bAllFlagged) {
        for (CDrawable* pDrawable : m_drawables)
            pDrawable->ResetFrame();
        m_bAllFlagged = false;
    } else {
        for (const Placed& p : m_flagged)
            p.pDrawable->ResetFrame();
    }
    m_lastFlagged.swap(m_flagged);
    m_flagged.clear();
    TransformInRegion(view, region, reach);
    const auto returnIdle = [](CDrawable* pDrawable) {
        if (pDrawable->GetKind() == CDrawable::KindMazeWall)
            static_cast<CMazeWall*>(pDrawable)->ReturnIdleQuad();
    };
    if (bWereAll) {
        for (CDrawable* pDrawable : m_drawables)
            returnIdle(pDrawable);
    } else {
        for (const Placed& p : m_lastFlagged)
            returnIdle(p.pDrawable);
    }
    m_lastFlagged.clear();
}

void CMaze::TransformInRegion(const CMatrix& view, const PlatRect& region, double reach) {
    if (!IsInRegion(region))
        return;
    const CMatrix toView = DrawableToView(view);
    if (m_bNoCull) {
        for (CDrawable* pDrawable : m_drawables)
            pDrawable->Transform(toView);
        m_bAllFlagged = true;
        return;
    }
    for (const Placed& p : m_unplaced) {
        m_flagged.push_back(p);
        if (p.pDrawable->IsInRegion(region))
            p.pDrawable->Transform(toView);
    }
    // The index yields exactly the drawables whose region test passes.
    const size_t firstIndexed = m_flagged.size();
    // The faces of cells the view surely leaves undrawn are passed over
    // whole: a face is indexed by the cell of corner 0, a corner of the cell
    // square it stands on, so it lies within one cell of that corner.
    const CUprightCull cull(toView, reach);
    VisitRegion(
        region, m_flagged,
        [this](size_t i) {
            return Placed{m_indexOrder[i], m_indexed[i]};
        },
        [&cull](int x, int z) { return cull.HidesFacesAt(x, z); });
    // A face left untransformed stays flagged: it gives its quad back below.
    for (size_t i = firstIndexed; i < m_flagged.size(); ++i) {
        CDrawable* pDrawable = m_flagged[i].pDrawable;
        if (IsFace(pDrawable) && static_cast<const CMazeWall*>(pDrawable)->IsHidden(cull))
            continue;
        pDrawable->Transform(toView);
    }
}

void CMaze::ProjectTree(const CScreen& screen) {
    CSceneNode::ProjectTree(screen);
    m_bAllFlagged = true;
}

int CMaze::CollectVisible(std::vector<CDrawable*>& list) {
    if (m_bAllFlagged)
        return CSceneNode::CollectVisible(list);
    for (size_t i = 0; i < m_children.size(); ++i)
        m_children[i]->CollectVisible(list);
    // Only a drawable transformed this frame can be visible.
    m_visibleScratch.clear();
    for (const Placed& p : m_flagged)
        if (p.pDrawable->IsVisible())
            m_visibleScratch.push_back(p);
    std::sort(m_visibleScratch.begin(), m_visibleScratch.end(),
              [](const Placed& a, const Placed& b) { return a.order < b.order; });
    for (const Placed& p : m_visibleScratch)
        list.push_back(p.pDrawable);
    return static_cast<int>(list.size());
}

void CMaze::GetStartCell(int* column, int* row) const {
    for (int r = 0; r < m_nHeight; ++r)
        for (int c = 0; c < m_nWidth; ++c)
            if (m_grid[static_cast<size_t>(r) * m_nWidth + c] == CELL_START) {
                *column = c;
                *row = r;
                return;
            }
    *column = m_nWidth / 2;
    *row = m_nHeight / 2;
}

bool CMaze::IsClearAlong(bool bRow, int line, int from, int to) const {
    if (from == to)
        return true;
    SightRun& run = m_sightRuns[bRow ? 1 : 0];
    if (!run.bValid || run.line != line || run.to != to) {
        // 64 bits: `to` may be any int, and stepping past it must not wrap.
        auto isWall = [&](int64_t at) {
            if (at < INT32_MIN || at > INT32_MAX)
                return true;
            const int a = static_cast<int>(at);
            return bRow ? IsWallAt(a, line) : IsWallAt(line, a);
        };
        run.bValid = true;
        run.line = line;
        run.to = to;
        run.first = to;
        while (!isWall(run.first - 1))
            --run.first;
        run.last = to;
        while (!isWall(run.last))
            ++run.last;
    }
    return from < to ? from >= run.first : from <= run.last;
}

uint8_t CMaze::GetCell(int x, int z, uint8_t outside) const {
    if (!IsInGrid(x, z))
        return outside;
    return m_grid[static_cast<size_t>(z) * m_nWidth + x];
}

// ---- Drawing ----

void CMaze::Update(int elapsedMs, const CPose& viewer) {
    m_dSkyDrift = m_dSkyDrift + elapsedMs * kSkyDriftPerMs;
    CSceneNode::Update(elapsedMs, viewer);
}

void CMaze::DrawBackground(CScreen& screen, const CPose& viewer) {
    const double angle = viewer.heading + m_dSkyDrift;
    const double a = std::fmod(std::fabs(angle), 360.0);
    const int32_t skyWidth = m_sky.width;
    const int32_t off = TruncateToInt32(skyWidth * a * (1.0 / 360.0));
    // A growing heading (turning right) moves the panorama to the left; the
    // two copies tile x0 - W .. x0 + W, which covers any screen no wider
    // than the sky.
    const int32_t x0 = skyWidth - off - 1;
    if (x0 < screen.width)
        screen.Blit(m_sky, x0, 0, false);
    screen.Blit(m_sky, x0 - skyWidth, 0, false);
    const int32_t half = screen.height / 2;
    const int32_t floorTop = m_sky.height < half ? m_sky.height : half;
    screen.Blit(m_floor, 0, floorTop, false);
}

void CMaze::DrawOverlay(CScreen& screen) {
    const int32_t left = (screen.width - m_minimap.width) / 2;
    const int32_t top = screen.height - m_minimap.height;
    m_minimapOrigin = PlatPoint{left, top};
    screen.Blit(m_minimap, left, top, true);
    CSceneNode::DrawOverlay(screen);
}

// ---- Game rules ----

void CMaze::Collide(CPose& viewer) {
    CSceneNode::Collide(viewer);
    const double r = kPushRadius;
    const int32_t cx = TruncateToInt32(viewer.x);
    const int32_t cz = TruncateToInt32(viewer.z);
    const double fx = viewer.x - cx, fz = viewer.z - cz;
    const double gx = 1.0 - fx, gz = 1.0 - fz;
    bool bMoved = false;
    if (IsWallAt(cx - 1, cz) && fx < r) {
        viewer.x = viewer.x + (r - fx);
        bMoved = true;
    } else if (IsWallAt(cx + 1, cz) && gx < r) {
        viewer.x = viewer.x - (r - gx);
        bMoved = true;
    }
    if (IsWallAt(cx, cz - 1) && fz < r) {
        viewer.z = viewer.z + (r - fz);
        bMoved = true;
    } else if (IsWallAt(cx, cz + 1) && gz < r) {
        viewer.z = viewer.z - (r - gz);
        bMoved = true;
    }
    if (bMoved)
        return;
    // Corners: only the first wall corner that the player's square overlaps
    // counts, and there the player is a circle round the corner point, pushed
    // straight away from it. Pushing along one axis instead would hold a
    // player sliding past the far corner of a side opening against it.
    const double dx[4] = {fx, -gx, fx, -gx}; // player minus corner point
    const double dz[4] = {fz, fz, -gz, -gz};
    const int32_t wx[4] = {cx - 1, cx + 1, cx - 1, cx + 1};
    const int32_t wz[4] = {cz - 1, cz - 1, cz + 1, cz + 1};
    for (int i = 0; i < 4; ++i) {
        if (!IsWallAt(wx[i], wz[i]) || std::fabs(dx[i]) >= r || std::fabs(dz[i]) >= r)
            continue;
        const double d = std::sqrt(dx[i] * dx[i] + dz[i] * dz[i]);
        if (d >= r)
            return;
        if (d == 0.0) {
            // Exactly on the corner: away from the wall cell, along the diagonal.
            const double away = r * 0.7071067811865476;
            viewer.x = viewer.x + (wx[i] < cx ? away : -away);
            viewer.z = viewer.z + (wz[i] < cz ? away : -away);
            return;
        }
        viewer.x = viewer.x + dx[i] * (r / d - 1.0);
        viewer.z = viewer.z + dz[i] * (r / d - 1.0);
        return;
    }
}

void CMaze::RemoveItemSprite(int x, int z) {
    // Found through the cell index, not by walking the list: a level may
    // have millions of faces ahead of its items.
    const double bx = x + 0.5, bz = z + 0.5;
    const size_t key = static_cast<size_t>(z) * m_nWidth + x;
    auto it = std::lower_bound(m_indexKeys.begin(), m_indexKeys.end(), key);
    for (; it != m_indexKeys.end() && *it == key; ++it) {
        const size_t i = static_cast<size_t>(it - m_indexKeys.begin());
        CDrawable* pDrawable = m_indexed[i];
        if (!pDrawable || pDrawable->GetKind() != CDrawable::KindSprite)
            continue;
        const CSprite* pSprite = static_cast<const CSprite*>(pDrawable);
        if (pSprite->m_base.x != bx || pSprite->m_base.z != bz)
            continue;
        // Its place in the list can only have moved down, by one for each
        // item taken before it.
        size_t at = std::min(m_indexOrder[i], m_drawables.size() - 1);
        while (m_drawables[at] != pDrawable)
            --at;
        m_drawables.erase(m_drawables.begin() + static_cast<std::ptrdiff_t>(at));
        ForgetFlagged(pDrawable);
        m_indexed[i] = nullptr;
        delete pDrawable;
        return;
    }
}

int CMaze::Interact(const CPose& viewer, CSceneNode** hit) {
    if (const int code = CSceneNode::Interact(viewer, hit))
        return code;
    const int32_t cx = TruncateToInt32(viewer.x);
    const int32_t cz = TruncateToInt32(viewer.z);
    const uint8_t cell = GetCell(cx, cz);
    if (CellClass(cell) != CELL_CLASS_ITEM)
        return EV_NONE;
    const int t = CellType(cell);
    if (t != ITEM_DOT && t != ITEM_GUN)
        return EV_NONE; // decorations stay
    if (m_minimap.pixels && cx < m_minimap.width && cz < m_minimap.height)
        m_minimap.SetPixel(cx, cz, kColourRed);
    m_grid[static_cast<size_t>(cz) * m_nWidth + cx] = CELL_CORRIDOR;
    RemoveItemSprite(cx, cz);
    if (hit)
        *hit = this;
    if (t == ITEM_GUN)
        return EV_GUN;
    --m_nDotsLeft;
    return m_nDotsLeft > 0 ? EV_DOT : EV_LAST_DOT;
}

CSceneNode* CMaze::Probe(const PlatPoint& cell, CScreen* pScreen) {
    if (IsWallAt(cell.x, cell.y))
        return this;
    // The trace goes straight to the framebuffer, so it shows on the minimap
    // at once, before the next frame; it is not part of the back buffer.
    if (pScreen) {
        int32_t ox = 0, oy = 0;
        pScreen->BeginDraw(&ox, &oy);
        const int64_t x = int64_t(m_minimapOrigin.x) + cell.x + ox;
        const int64_t y = int64_t(m_minimapOrigin.y) + cell.y + oy;
        if (pScreen->pixels && x >= 0 && y >= 0 && x < pScreen->width && y < pScreen->height)
            pScreen->SetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y), kColourYellow);
        pScreen->EndDraw();
    }
    return CSceneNode::Probe(cell, pScreen);
}
