#include "testkit/SpeedRoute.h"
#include "app/MainFrame.h"
#include "app/PictureLists.h"
#include "platform/FrameWnd.h"
#include "platform/Rand.h"
#include "platform/WindowSystem.h"
#include "res/ResourceIds.h"
#include "scene/Maze.h"
#include "testkit/WorldProbe.h"

namespace speed {

namespace {

const int kTitleMs = 5000;

} // namespace

const std::vector<RouteLeg>& Level130Route() {
    // At 16 ms a frame the player walks 0.016 cells and turns 0.64 degrees.
    static const std::vector<RouteLeg> route = {
        {"stand before the wall ahead", 40, MOVE_STAND, TURN_NONE, false},
        {"walk into the wall", 70, MOVE_FORWARD, TURN_NONE, false},
        {"turn right against the wall", 140, MOVE_STAND, TURN_RIGHT, false},
        {"walk down the corridor", 160, MOVE_FORWARD, TURN_NONE, false},
        {"turn left while walking", 140, MOVE_FORWARD, TURN_LEFT, false},
        {"fire and stand", 30, MOVE_STAND, TURN_NONE, true},
        {"walk on along the walls", 150, MOVE_FORWARD, TURN_NONE, false},
        {"turn right on the spot", 70, MOVE_STAND, TURN_RIGHT, false},
        {"back off", 60, MOVE_BACKWARD, TURN_NONE, false},
    };
    return route;
}

int RouteFrames(const std::vector<RouteLeg>& route) {
    int frames = 0;
    for (const RouteLeg& leg : route)
        frames += leg.frames;
    return frames;
}

CRouteGame::CRouteGame(const HeadlessDisplay& display, uint32_t seed, bool bInvulnerable) {
    HeadlessReset(display);
    PlatSeedRand(seed);
    LoadSharedPictures();
    m_pFrame = new CFrameWnd; // deletes itself with its window
    PlatRect desktop;
    PlatGetDesktopRect(&desktop);
    if (!m_pFrame->Create("route", 0, desktop, nullptr, 0)) {
        m_pFrame = nullptr;
        return;
    }
    m_pWorld = std::make_unique<CWorld>(*m_pFrame, bInvulnerable, SharedPictureTables());
    m_pWorld->LoadHudImages(IDB_GUN, IDB_FLASH, IDB_LIFE);
    m_pWorld->ShowOverlay(IDB_TITLE, kTitleMs);
}

CRouteGame::~CRouteGame() {
    m_pWorld.reset();
    if (m_pFrame != nullptr)
        m_pFrame->DestroyWindow();
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
}

bool CRouteGame::LoadLevelResource(int id) {
    const bool built = m_pWorld->LoadLevelResource(id, IDB_SKY, IDB_FLOOR);
    // As the frame window starts every level: its card after the title.
    m_pWorld->ShowLevelCard(0, m_pWorld->GetMaze()->GetName());
    m_startX = m_pWorld->GetCamera().x;
    m_startZ = m_pWorld->GetCamera().z;
    m_nFrame = 0;
    return built;
}

bool CRouteGame::LoadLevelFile(const std::string& path) {
    const bool built = m_pWorld->LoadLevelFile(path.c_str(), IDB_SKY, IDB_FLOOR);
    // As the frame window starts every level: its card after the title.
    m_pWorld->ShowLevelCard(0, m_pWorld->GetMaze()->GetName());
    m_startX = m_pWorld->GetCamera().x;
    m_startZ = m_pWorld->GetCamera().z;
    m_nFrame = 0;
    return built;
}

void CRouteGame::GiveShots(int count) {
    WorldProbe(*m_pWorld).nShots = count;
}

CScreen& CRouteGame::Screen() {
    return WorldProbe(*m_pWorld).screen;
}

void CRouteGame::Rewind() {
    m_pWorld->SetCamera(m_startX, m_startZ, 0.0);
    m_nFrame = 0;
}

int CRouteGame::NextFrame(const std::vector<RouteLeg>& route) {
    const int total = RouteFrames(route);
    if (total > 0 && m_nFrame >= total)
        Rewind();
    int at = m_nFrame;
    for (const RouteLeg& leg : route) {
        if (at < leg.frames) {
            // The leg's keys are held: its motion pressed, or let go when
            // it has none.
            m_pWorld->OnMoveKey(leg.move, leg.move != MOVE_STAND);
            m_pWorld->OnTurnKey(leg.turn, leg.turn != TURN_NONE);
            if (leg.fire && at == 0)
                m_pWorld->Fire();
            break;
        }
        at -= leg.frames;
    }
    ++m_nFrame;
    return m_pWorld->RunFrame(kRouteFrameMs);
}

uint64_t HashAppend(uint64_t hash, uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (8 * i)) & 0xFF;
        hash *= 1099511628211ull;
    }
    return hash;
}

uint64_t FramebufferHash() {
    uint64_t hash = kFnvOffset;
    for (uint8_t byte : HeadlessFramebufferMemory()) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    return hash;
}

bool MakeTiledLevel(int side, LevelGrid* grid, std::string* error) {
    LevelGrid tile;
    if (!ReadLevelResource(IDB_LEVEL, &tile, error))
        return false;
    if (side < tile.width || side < tile.height) {
        if (error)
            *error = "the level is smaller than one tile";
        return false;
    }
    const int homeX = side / 2 / tile.width, homeZ = side / 2 / tile.height;
    grid->width = side;
    grid->height = side;
    grid->cells.assign(size_t(side) * size_t(side), 0);
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            uint8_t cell = tile.cells[size_t(r % tile.height) * tile.width + c % tile.width];
            const bool home = r / tile.height == homeZ && c / tile.width == homeX;
            if (!home && (cell == CELL_START || IsEnemyStartCell(cell)))
                cell = CELL_CORRIDOR;
            grid->cells[size_t(r) * side + c] = cell;
        }
    }
    return true;
}

} // namespace speed
