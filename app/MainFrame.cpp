#include "app/MainFrame.h"
#include "app/GameRun.h"
#include "app/PictureLists.h"
#include "app/ProgressKeeper.h"
#include "app/QuibboApp.h"
#include "app/RunStats.h"
#include "gfx/Surface.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "platform/WinApp.h"
#include "platform/WindowSystem.h"
#include "res/ResourceIds.h"
#include "scene/Maze.h"
#include "world/World.h"
#include <cctype>
#include <cstdio>
#include <cstring>

int g_nLevel = 0;

namespace {

const int kTitleShowMs = 5000;
const uint64_t kMinLevelFileBytes = 100;

const char kAccessWord[] = "AlwaysTheWalrus";

std::string LoadString(int id) {
    char buf[256];
    PlatLoadString(id, buf, sizeof buf);
    return buf;
}

// Every box the game shows goes through here, so a run can report them.
int32_t AskUser(HWND owner, const std::string& text, uint32_t type) {
    int32_t answer = PlatMessageBox(owner, text.c_str(), LoadString(IDS_TITLE).c_str(), type);
    g_runStats.m_boxes.push_back({text, answer});
    return answer;
}

const std::string& LevelFolder() {
    static const std::string none;
    CQuibboApp* app = dynamic_cast<CQuibboApp*>(PlatGetApp());
    return app != nullptr ? app->m_strAppDir : none;
}

bool ChosenLevelFailed() {
    CQuibboApp* app = dynamic_cast<CQuibboApp*>(PlatGetApp());
    return app != nullptr && app->m_bChosenLevelFailed;
}

const GameSettings& Settings() {
    static const GameSettings defaults;
    CQuibboApp* app = dynamic_cast<CQuibboApp*>(PlatGetApp());
    return app != nullptr ? app->m_settings : defaults;
}

bool ConfirmsQuit() {
    CQuibboApp* app = dynamic_cast<CQuibboApp*>(PlatGetApp());
    return app == nullptr || app->m_bConfirmQuit;
}

const char* CommandLine() {
    CWinApp* app = PlatGetApp();
    return app != nullptr && app->m_pszCmdLine != nullptr ? app->m_pszCmdLine : "";
}

bool IsFireKey(uint32_t vk) {
    return vk == VK_RETURN || vk == VK_LWIN || vk == VK_F23 || (vk >= VK_APP1 && vk <= VK_APP5);
}

// The keys that walk, turn, sidestep and fire.
bool IsPlayKey(uint32_t vk) {
    return (vk >= VK_LEFT && vk <= VK_DOWN) || vk == VK_STRAFELEFT || vk == VK_STRAFERIGHT ||
           IsFireKey(vk);
}

} // namespace

bool HasAccessWord(const char* cmdLine) {
    // Upper-case both sides: the word is written in mixed case, and a player
    // should not have to match it letter for letter.
    std::string text = cmdLine != nullptr ? cmdLine : "";
    std::string word = kAccessWord;
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : word)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text.find(word) != std::string::npos;
}

std::string LevelFileName(const std::string& folder, int level) {
    char name[32];
    std::snprintf(name, sizeof name, "QB%02d.BMP", level);
    return folder + name;
}

bool IsLevelFilePresent(const std::string& path) {
    uint64_t size = 0;
    return PlatGetFileSize(path.c_str(), &size) && size >= kMinLevelFileBytes;
}

CMainFrame::~CMainFrame() {
    DestroyWorld();
}

bool CMainFrame::PreCreateWindow(PlatCreateStruct& cs) {
    PlatSipShowIM(SIPF_OFF);
    cs.style |= WS_DLGFRAME;
    return CFrameWnd::PreCreateWindow(cs);
}

bool CMainFrame::PreTranslateMessage(PlatMsg* msg) {
    if (m_pWorld == nullptr)
        return CFrameWnd::PreTranslateMessage(msg);
    // A key that arrives with the focus back acts on the frame that resumes,
    // as it would one frame later: the resume must not swallow it.
    const bool key = msg->message == WM_KEYDOWN || msg->message == WM_KEYUP;
    if (key && m_pWorld->IsPaused() && PlatGetFocus() == m_hWnd)
        m_pWorld->SetPaused(false);
    // Paused by the player, the window still hears Escape: quitting is
    // asked about as in play, and No leaves the game paused.
    if (m_pWorld->IsPaused()) {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
            AskToQuit();
            return true;
        }
        return CFrameWnd::PreTranslateMessage(msg);
    }

    if (msg->message == WM_KEYDOWN && msg->wParam == VK_CONTINUE && m_nContinueOffer > 0 &&
        m_pWorld->GetOverlayTime() > 0) {
        if (CQuibboApp* app = dynamic_cast<CQuibboApp*>(PlatGetApp())) {
            app->m_nContinueLevel = m_nContinueOffer;
            PlatPostMessage(m_hWnd, WM_CLOSE, 0, 0);
            return true;
        }
    }

    if (key && IsPlayKey(msg->wParam)) {
        const bool bPress = msg->message == WM_KEYDOWN && msg->lParam == 0;
        // No input through a catch's hold; a press ends the end card.
        if (m_pWorld->IsStill()) {
            if (bPress)
                m_pWorld->SkipEndCard();
            return true;
        }
        const bool bStale = msg->wParam < m_staleKeys.size() && m_staleKeys[msg->wParam];
        if (bStale && msg->message == WM_KEYDOWN && !bPress)
            return true; // a key held through the stop must be pressed again
        if (bStale)
            m_staleKeys[msg->wParam] = false;
    }

    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        const bool bDown = msg->message == WM_KEYDOWN;
        switch (msg->wParam) {
        case VK_UP:
            m_pWorld->OnMoveKey(MOVE_FORWARD, bDown);
            return true;
        case VK_DOWN:
            m_pWorld->OnMoveKey(MOVE_BACKWARD, bDown);
            return true;
        case VK_RIGHT:
            m_pWorld->OnTurnKey(TURN_RIGHT, bDown);
            return true;
        case VK_LEFT:
            m_pWorld->OnTurnKey(TURN_LEFT, bDown);
            return true;
        case VK_STRAFERIGHT:
            m_pWorld->OnStrafeKey(STRAFE_RIGHT, bDown);
            return true;
        case VK_STRAFELEFT:
            m_pWorld->OnStrafeKey(STRAFE_LEFT, bDown);
            return true;
        case VK_ESCAPE:
            if (bDown)
                AskToQuit();
            return true;
        default:
            // Only the press fires, and each repeat of a held key again.
            if (bDown && IsFireKey(msg->wParam)) {
                m_pWorld->Fire();
                return true;
            }
            break;
        }
        break;
    }
    case WM_CHAR:
        return true;
    default:
        break;
    }
    return CFrameWnd::PreTranslateMessage(msg);
}

int32_t CMainFrame::WindowProc(uint32_t message, uint32_t wParam, int32_t lParam) {
    if (message == WM_MUTECHANGED) {
        if (m_pWorld != nullptr)
            m_pWorld->ShowSoundSign(wParam != 0);
        return 0;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

bool CMainFrame::CardIfBuilt(bool built) {
    if (!built)
        return false;
    m_pWorld->ShowLevelCard(g_nLevel, m_pWorld->GetMaze()->GetName());
    std::string file;
    uint32_t crc = 0;
    if (g_progress.IsOpen() && LevelOfSet(LastRecordedRun().levels, g_nLevel, &file, &crc))
        m_pWorld->SetLevelBest(g_progress.BestTimeMs(file, crc));
    return true;
}

void CMainFrame::OfferContinue() {
    m_nLevelsWon = 0;
    const int level = g_progress.IsOpen() ? g_progress.ContinueLevel() : 0;
    m_nContinueOffer =
        g_nLevel == 0 && level > 0 && IsLevelFilePresent(LevelFileName(LevelFolder(), level))
            ? level
            : 0;
    m_pWorld->SetTitleLine(
        m_nContinueOffer > 0 ? "C: continue at level " + std::to_string(m_nContinueOffer) : "");
}

void CMainFrame::KeepLevelWon() {
    ++m_nLevelsWon;
    std::string file;
    uint32_t crc = 0;
    if (!g_progress.IsOpen() || !LevelOfSet(LastRecordedRun().levels, g_nLevel, &file, &crc))
        return;
    const bool last = !IsLevelFilePresent(LevelFileName(LevelFolder(), g_nLevel + 1));
    g_progress.LevelWon(file, crc, m_pWorld->GetLevelTime(), m_pWorld->GetLevelScore(),
                        last ? "" : LevelFileName("", g_nLevel + 1), RecordedRunSoFar());
}

void CMainFrame::AskToQuit() {
    if (ConfirmsQuit()) {
        // Paused, so that the time the box is up is not game time; the
        // next idle pass resumes when the focus is back.
        m_pWorld->SetPaused(true);
        if (AskUser(m_hWnd, "Quit Quibbo?", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    PlatPostMessage(m_hWnd, WM_CLOSE, 0, 0);
}

int CMainFrame::OnCreate(PlatCreateStruct* cs) {
    if (CFrameWnd::OnCreate(cs) == -1)
        return -1;
    PlatSetWindowText(m_hWnd, LoadString(IDS_TITLE).c_str());
    if (!CreateWorld()) {
        // A chosen level that failed has said why on the terminal the
        // player typed it in.
        if (!ChosenLevelFailed())
            AskUser(m_hWnd, "Cannot create world!", MB_OK);
        return -1;
    }
    return 0;
}

void CMainFrame::OnPaint() {
    // Only seen while the display is suspended, as under the game-over box:
    // the game's pictures go straight to the framebuffer.
    PlatFillClient(m_hWnd, 0x000000);
}

void CMainFrame::OnDestroy() {
    DestroyWorld();
    CFrameWnd::OnDestroy();
}

void CMainFrame::DestroyWorld() {
    if (m_pWorld != nullptr) {
        g_runStats.Capture(*m_pWorld, g_nLevel);
        delete m_pWorld;
        m_pWorld = nullptr;
    }
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
}

bool CMainFrame::IdleTick() {
    if (m_pWorld == nullptr)
        return false;
    if (m_pWorld->IsPaused() && PlatGetFocus() != nullptr)
        m_pWorld->SetPaused(false);

    HWND focus = PlatGetFocus();
    if (focus == nullptr || focus != m_hWnd) {
        m_pWorld->SetPaused(true);
        return false;
    }

    int event = EV_NONE;
    if (m_pWorld->Tick(&event)) {
        ++g_runStats.m_nFrames;
        if (event >= EV_CAUGHT && event <= EV_GAME_OVER)
            ++g_runStats.m_events[event];
    }
    if (event == EV_LAST_DOT)
        KeepLevelWon();
    // The world has let go of every motion; what is held stays let go.
    if (event == EV_CAUGHT || event == EV_LAST_DOT)
        m_staleKeys.set();
    bool loaded = true;
    if (event == EV_GAME_OVER)
        loaded = ChangeLevel(false);
    else if (event == EV_LEVEL_DONE)
        loaded = ChangeLevel(true);
    if (loaded)
        return true;

    AskUser(m_hWnd, LoadString(IDS_CANT_LOAD), MB_OK);
    PlatPostQuitMessage(-1);
    return false;
}

void LoadSharedPictures() {
    LoadDigitGlyphs();
    LoadFontGlyphs();
    // Wall type t is entries 2t and 2t + 1, item type t entry t: the order
    // is the level legend's (tiles, wood, stone, brick, hedge; dot, gun,
    // barrel, crate, lamp).
    AddWallTexture(IDB_WALL_TILES, true);
    AddWallTexture(IDB_WALL_WOOD, true);
    AddWallTexture(IDB_WALL_STONE, true);
    AddWallTexture(IDB_WALL_BRICK, true);
    AddWallTexture(IDB_WALL_HEDGE, true);
    AddItemImage(IDB_DOT);
    AddItemImage(IDB_GUN_PICKUP);
    AddItemImage(IDB_BARREL);
    AddItemImage(IDB_CRATE);
    AddItemImage(IDB_LAMP);
    AddEnemyImage(IDB_ENEMY);
}

// One line on stderr naming a level file that is not played and why, with
// `instead` saying what happens in its place (or "").
static void SayRefused(const std::string& path, const CWorld& world, const char* instead) {
    std::fprintf(stderr, "quibbo: %s refused (%s)%s\n", PlatPrintablePath(path).c_str(),
                 PlatPrintablePath(world.GetLevelRefusal()).c_str(), instead);
}

bool CMainFrame::CreateWorld() {
    LoadSharedPictures();
    m_pWorld = new CWorld(*this, HasAccessWord(CommandLine()), SharedPictureTables());
    m_pWorld->SetTurnSpeed(Settings().turnSpeed);
    m_pWorld->SetLook(Settings().look);
    m_pWorld->LoadHudImages(IDB_GUN, IDB_FLASH, IDB_LIFE);
    m_pWorld->ShowOverlay(IDB_TITLE, kTitleShowMs);
    OfferContinue();

    if (g_nLevel > 0)
        return StartChosenLevel();
    // A first level file that is present but does not build falls back to
    // the built-in level; the failed maze is replaced.
    std::string first = LevelFileName(LevelFolder(), 0);
    if (IsLevelFilePresent(first)) {
        if (CardIfBuilt(m_pWorld->LoadLevelFile(first.c_str(), IDB_SKY, IDB_FLOOR)))
            return true;
        SayRefused(first, *m_pWorld, "; playing the built-in level");
    }
    return CardIfBuilt(m_pWorld->LoadLevelResource(IDB_LEVEL, IDB_SKY, IDB_FLOOR));
}

bool CMainFrame::StartChosenLevel() {
    // No fallback here: the player asked for this level and no other.
    const std::string chosen = LevelFileName(LevelFolder(), g_nLevel);
    std::string why = "there is no such level file";
    if (IsLevelFilePresent(chosen)) {
        if (CardIfBuilt(m_pWorld->LoadLevelFile(chosen.c_str(), IDB_SKY, IDB_FLOOR)))
            return true;
        why = "refused (" + m_pWorld->GetLevelRefusal() + ")";
    }
    std::fprintf(stderr, "quibbo: --level %d: %s: %s\n", g_nLevel,
                 PlatPrintablePath(chosen).c_str(), PlatPrintablePath(why).c_str());
    if (CQuibboApp* app = dynamic_cast<CQuibboApp*>(PlatGetApp()))
        app->m_bChosenLevelFailed = true;
    return false;
}

bool CMainFrame::ChangeLevel(bool bAdvance) {
    std::string next;
    if (bAdvance) {
        ++g_nLevel;
        next = LevelFileName(LevelFolder(), g_nLevel);
    }
    if (!bAdvance || !IsLevelFilePresent(next))
        g_nLevel = 0;
    if (g_nLevel != 0) {
        if (CardIfBuilt(m_pWorld->ReloadLevelFile(next.c_str(), false))) // score, lives carry over
            return true;
        SayRefused(next, *m_pWorld, ""); // before "Can't load level."
        return false;
    }

    // The game is over: lost the last life, or won the last level.
    m_pWorld->SetPaused(true);
    PlatInvalidate(m_hWnd, false);
    char text[256];
    std::snprintf(text, sizeof text, LoadString(IDS_GAME_OVER).c_str(), m_pWorld->GetScore());
    std::string box = text;
    const int place = g_progress.GameOver(m_pWorld->GetScore(), m_nLevelsWon, TodayUtc());
    if (place > 0)
        box += "\nPlace " + std::to_string(place) + " of the ten best" +
               (g_progress.IsAssisted() ? " (assisted)." : ".");
    if (AskUser(m_hWnd, box, MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL) {
        PlatPostMessage(m_hWnd, WM_CLOSE, 0, 0);
        return true;
    }
    m_pWorld->ShowOverlay(IDB_TITLE, kTitleShowMs);
    OfferContinue();
    std::string first = LevelFileName(LevelFolder(), g_nLevel);
    if (IsLevelFilePresent(first)) {
        if (CardIfBuilt(m_pWorld->ReloadLevelFile(first.c_str(), true)))
            return true;
        SayRefused(first, *m_pWorld, ""); // before "Can't load level."
        return false;
    }
    return CardIfBuilt(m_pWorld->ReloadLevelResource(IDB_LEVEL, true));
}
