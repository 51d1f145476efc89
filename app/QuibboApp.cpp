#include "app/QuibboApp.h"
#include "app/LoadingDlg.h"
#include "app/MainFrame.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "platform/WindowSystem.h"
#include "res/ResourceIds.h"

namespace {

// A folder holds a level set when it has the first level file or the first
// of a campaign that follows the built-in level.
bool HoldsLevelSet(const std::string& folder) {
    return !folder.empty() && (IsLevelFilePresent(LevelFileName(folder, 0)) ||
                               IsLevelFilePresent(LevelFileName(folder, 1)));
}

} // namespace

std::vector<std::string> LevelFolders(const std::string& program) {
    // Levels beside the program come first (a build plays its own); then the
    // player's own set in the data folder, which stands in for the installed
    // campaign; then that campaign.
    std::vector<std::string> folders;
    const std::string user = PlatUserDataFolder().empty() ? "" : PlatUserDataFolder() + "levels/";
    const std::string shared =
        PlatSharedDataFolder(program).empty() ? "" : PlatSharedDataFolder(program) + "levels/";
    for (const std::string& folder : {program, user, shared}) {
        if (!folder.empty())
            folders.push_back(folder);
    }
    return folders;
}

std::string FindLevelFolder(const std::string& program) {
    // The set is taken whole from one place.
    for (const std::string& folder : LevelFolders(program)) {
        if (HoldsLevelSet(folder))
            return folder;
    }
    return program;
}

bool CQuibboApp::InitInstance() {
    // The settings are a file of the game's own (app/Settings.h), never the
    // registry: the key only names the maker.
    char text[256];
    PlatLoadString(IDS_MAKER, text, sizeof text);
    SetRegistryKey(text);

    m_strAppDir = m_strLevelsDir.empty() ? FindLevelFolder() : m_strLevelsDir;

    bool created = false;
    {
        // The loading screen stays up while the slow work below runs; its
        // window goes with the object.
        CLoadingDlg loading;
        loading.Create();
        PlatSetWaitCursor(true);

        CMainFrame* frame = new CMainFrame;
        m_pMainWnd = frame;
        PlatRect desktop;
        PlatGetDesktopRect(&desktop);
        PlatLoadString(IDS_TITLE, text, sizeof text);
        // A frame window that fails to be created deletes itself.
        created = frame->Create(text, 0, desktop, nullptr, 0);
        if (!created)
            m_pMainWnd = nullptr;
        PlatSetWaitCursor(false);
    }
    return created;
}

bool CQuibboApp::OnIdle(long count) {
    bool more = CWinApp::OnIdle(count);
    CMainFrame* frame = dynamic_cast<CMainFrame*>(m_pMainWnd);
    bool step = frame != nullptr && frame->IdleTick();
    return more || step;
}
