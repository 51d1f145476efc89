#include "app/QuibboApp.h"
#include "app/LoadingDlg.h"
#include "app/MainFrame.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include "platform/WindowSystem.h"
#include "res/ResourceIds.h"

std::string FindLevelFolder() {
    // Levels beside the program come first; an installed game's player keeps
    // his own in the data folder. The set is taken whole from one place.
    const std::string program = PlatGetProgramFolder();
    const std::string user = PlatUserDataFolder() + "levels/";
    if (!IsLevelFilePresent(program + "QB00.BMP") && !PlatUserDataFolder().empty() &&
        IsLevelFilePresent(user + "QB00.BMP"))
        return user;
    return program;
}

bool CQuibboApp::InitInstance() {
    // The game keeps no settings; the key only names the maker.
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
