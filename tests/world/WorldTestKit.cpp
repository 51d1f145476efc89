#include "WorldTestKit.h"
#include "app/MainFrame.h"
#include "app/PictureLists.h"
#include "platform/FrameWnd.h"
#include "platform/headless/Headless.h"
#include "platform/WindowSystem.h"
#include "scene/LevelText.h"
#include "scene/Maze.h"
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

const char* const kOneDotLevel = "#####\n"
                                 "#...#\n"
                                 "#.o.#\n"
                                 "#.P.#\n"
                                 "#####\n";

std::string ScratchFolder() {
    static std::atomic<int> counter{0};
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("quibbo-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

std::string WriteLevelFile(const std::string& folder, const std::string& name,
                           const std::string& text) {
    LevelGrid grid;
    std::string error;
    EXPECT_TRUE(ParseLevelText(text, &grid, &error)) << error;
    std::string path = folder + name;
    EXPECT_TRUE(WriteWholeFile(path.c_str(), MakeLevelBitmap(grid)));
    return path;
}

std::string WriteBytes(const std::string& folder, const std::string& name, size_t count,
                       unsigned char fill) {
    std::string path = folder + name;
    EXPECT_TRUE(WriteWholeFile(path.c_str(), std::vector<uint8_t>(count, fill)));
    return path;
}

void WorldTest::SetUp() {
    HeadlessReset();
    LoadSharedPictures();
    m_strFolder = ScratchFolder();
    m_pFrame = new CFrameWnd; // deletes itself with its window
    PlatRect desktop;
    PlatGetDesktopRect(&desktop);
    ASSERT_TRUE(m_pFrame->Create("test frame", 0, desktop, nullptr, 0));
    MakeWorld(false);
}

void WorldTest::TearDown() {
    m_pWorld.reset();
    if (m_pFrame != nullptr)
        m_pFrame->DestroyWindow();
    FreeWallTextures();
    FreeItemImages();
    FreeEnemyImages();
    std::filesystem::remove_all(m_strFolder);
}

void WorldTest::MakeWorld(bool bInvulnerable) {
    m_pWorld.reset();
    m_pWorld = std::make_unique<CWorld>(*m_pFrame, bInvulnerable, SharedPictureTables());
}

bool WorldTest::StartLevel(const std::string& text) {
    m_strLevel = WriteLevelFile(m_strFolder, "level.bmp", text);
    if (m_pWorld->GetMaze() == nullptr)
        Probe().root.AddChild(new CMaze(&Probe().root, 1));
    return m_pWorld->ReloadLevelFile(m_strLevel.c_str(), true);
}

int WorldTest::Frames(int count, int dt) {
    int event = EV_NONE;
    for (int i = 0; i < count; ++i)
        event = m_pWorld->RunFrame(dt);
    return event;
}
