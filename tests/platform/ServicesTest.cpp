// Resources, files and the command line.
#include "PlatformTestApp.h"
#include "platform/CommandLine.h"
#include "platform/Files.h"
#include "platform/Resources.h"
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <unistd.h>

TEST(Resources, TheFourStringsAndAMissingOne) {
    char buf[64];
    EXPECT_EQ(6, PlatLoadString(1, buf, sizeof buf));
    EXPECT_STREQ("Quibbo", buf);
    EXPECT_EQ(7, PlatLoadString(2, buf, sizeof buf));
    EXPECT_STREQ("Vornack", buf);
    PlatLoadString(3, buf, sizeof buf);
    EXPECT_STREQ("GAME OVER\nScore: %d", buf);
    PlatLoadString(4, buf, sizeof buf);
    EXPECT_STREQ("Can't load level.", buf);

    EXPECT_EQ(0, PlatLoadString(5, buf, sizeof buf));
    EXPECT_STREQ("", buf);
    EXPECT_EQ(0, PlatLoadString(1, buf, 0)); // no room at all: nothing written
    EXPECT_EQ(3, PlatLoadString(1, buf, 4)); // cut, and still ended
    EXPECT_STREQ("Qui", buf);

    const unsigned char* data = nullptr;
    size_t size = 0;
    EXPECT_FALSE(PlatFindResource(1, PLAT_RT_BITMAP, &data, &size)); // right id, wrong type
    EXPECT_FALSE(PlatFindResource(31999, PLAT_RT_WAVE, &data, &size));
}

TEST(Resources, BitmapsStartAtTheirInformationHeader) {
    int checked = 0;
    for (const PlatResourceEntry* e = g_resourceTable; e->data; ++e) {
        if (e->type != PLAT_RT_BITMAP)
            continue;
        const unsigned char* data = nullptr;
        size_t size = 0;
        ASSERT_TRUE(PlatFindResource(e->id, PLAT_RT_BITMAP, &data, &size)) << e->id;
        EXPECT_EQ(e->data + 14, data);
        EXPECT_EQ(e->size - 14, size);
        EXPECT_GE(data[0], 12); // the information header's own size comes first
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "no bitmap resources yet";
}

TEST(Files, SizeOfReadableRegularFilesOnly) {
    const std::string path = testing::TempDir() + "quibbo_platform_size.bin";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite("0123456789", 1, 10, f);
    std::fclose(f);
    uint64_t size = 0;
    EXPECT_TRUE(PlatGetFileSize(path.c_str(), &size));
    EXPECT_EQ(10u, size);
    std::remove(path.c_str());
    EXPECT_FALSE(PlatGetFileSize(path.c_str(), &size));
    EXPECT_FALSE(PlatGetFileSize(testing::TempDir().c_str(), &size)); // a folder
    EXPECT_FALSE(PlatGetFileSize(nullptr, &size));
}

TEST(Files, AReplacedFileIsWholeOrTheOldOneStays) {
    const std::string folder = testing::TempDir() + "quibbo_replace/";
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(PlatMakeFolders(folder));
    const std::string path = folder + "run.qrun";
    const auto contents = [](const std::string& p) {
        std::vector<uint8_t> bytes;
        if (FILE* f = std::fopen(p.c_str(), "rb")) {
            for (int c; (c = std::fgetc(f)) != EOF;)
                bytes.push_back(uint8_t(c));
            std::fclose(f);
        }
        return bytes;
    };
    const auto leftovers = [&folder] {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            n += entry.path().filename() != "run.qrun";
        return n;
    };
    std::string why;
    EXPECT_TRUE(PlatReplaceFile(path, {1, 2, 3}, &why)) << why;
    EXPECT_TRUE(PlatReplaceFile(path, {4, 5}, &why)) << why; // over the old one
    EXPECT_EQ(contents(path), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(leftovers(), 0);

    // Not a regular file, no such folder: refused before anything is made.
    EXPECT_FALSE(PlatCanReplaceFile(folder, &why));
    EXPECT_EQ(why, folder + " is not a regular file");
    EXPECT_FALSE(PlatReplaceFile(folder + "none/run.qrun", {1}, &why));
    EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;
    EXPECT_TRUE(PlatCanReplaceFile(path, &why)) << why;
    EXPECT_EQ(contents(path), (std::vector<uint8_t>{4, 5})) << "the check leaves it alone";

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__) // no file-size limit in either
    // The disk fills halfway through: the old file is still the old file.
    // (A process may write no more than its file-size limit.)
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit was;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    struct rlimit small = was;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = PlatReplaceFile(path, std::vector<uint8_t>(1 << 20, 7), &why);
    setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, ignored);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(why.rfind("cannot write " + path + ": ", 0), 0u) << why;
    EXPECT_EQ(contents(path), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(leftovers(), 0);
#endif
    std::filesystem::remove_all(folder);
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__) // no processes to ask about in either
TEST(Files, ScratchFoldersOfProcessesGoneAreSweptAway) {
    // A process that has ended: its folder is a leftover, as a replay
    // stopped by a signal leaves one.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    const std::string prefix = "quibbo-test-scratch-";
    const auto make = [&](long pid) {
        const auto folder = temp / (prefix + std::to_string(pid) + "-1");
        std::filesystem::create_directories(folder);
        std::fclose(std::fopen((folder / "QB00.BMP").string().c_str(), "wb"));
        return folder;
    };
    const auto left = make(gone), ours = make(getpid());
    const std::string name = PlatScratchFolderName(prefix);
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_TRUE(std::filesystem::exists(ours / "QB00.BMP")) << "a living process's folder stays";
    EXPECT_EQ(name.rfind((temp / (prefix + std::to_string(getpid()) + "-")).string(), 0), 0u)
        << name;
    EXPECT_EQ(name.back(), '/');
    std::filesystem::remove_all(ours);
}
#endif

TEST(Files, ProgramFolderHoldsTheRunningProgram) {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "under node the running program is node itself, not the test program";
#endif
    const std::string folder = PlatGetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ('/', folder.back());
    struct stat st;
#ifdef _WIN32
    EXPECT_EQ(0, stat((folder + "quibbo_tests.exe").c_str(), &st));
#else
    EXPECT_EQ(0, stat((folder + "quibbo_tests").c_str(), &st));
#endif
}

namespace {

CCommandLine::Result Parse(std::vector<const char*> args, PlatConfig* config, std::string* shot,
                           CCommandLine* line) {
    args.insert(args.begin(), "quibbo");
    line->AddPlatformOptions(config, shot);
    return line->Parse(static_cast<int>(args.size()), args.data());
}

} // namespace

TEST(CommandLine, ReadsThePlatformOptionsAndKeepsTheRest) {
    PlatConfig config;
    std::string shot;
    CCommandLine line;
    ASSERT_EQ(CCommandLine::PARSE_OK,
              Parse({"--headless", "--frames", "120", "--dt=20", "AlwaysTheWalrus", "--scale", "3",
                     "--fullscreen", "--fps", "0", "--nosound", "--screenshot", "out.bmp", "--",
                     "--frames"},
                    &config, &shot, &line));
    EXPECT_TRUE(config.headless);
    EXPECT_EQ(120, config.frames);
    EXPECT_EQ(20u, config.dtMs);
    EXPECT_EQ(3, config.scale);
    EXPECT_TRUE(config.fullscreen);
    EXPECT_EQ(0, config.fps);
    EXPECT_FALSE(config.sound);
    EXPECT_EQ("out.bmp", shot);
    EXPECT_EQ("AlwaysTheWalrus --frames", line.m_strRest); // after "--" all is words
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},    {"--frames"},     {"--scale", "0"},
        {"--fps=1001"}, {"--headless=1"}, {"--screenshot", ""},
    };
    for (const auto& args : bad) {
        PlatConfig config;
        std::string shot;
        CCommandLine line;
        EXPECT_EQ(CCommandLine::PARSE_ERROR, Parse(args, &config, &shot, &line)) << args[0];
        EXPECT_FALSE(line.m_strError.empty());
    }
    PlatConfig config;
    std::string shot;
    CCommandLine line;
    EXPECT_EQ(CCommandLine::PARSE_HELP, Parse({"--frames", "3", "--help"}, &config, &shot, &line));
    const std::string usage = line.Usage("quibbo");
    for (const char* option : {"--help", "--headless", "--frames N", "--dt MS", "--screenshot FILE",
                               "--scale N", "--fullscreen", "--fps N", "--nosound"})
        EXPECT_NE(std::string::npos, usage.find(option)) << option;
}

#ifndef _WIN32
// Screenshots and the player's levels go where the desktop says, worked out
// from a scratch home.
TEST(UserFolders, FollowTheXdgVariablesAndThePicturesFolder) {
    char pattern[] = "/tmp/quibbo-home-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string home = pattern;
    plattest::ScopedEnv env;
    env.Set("HOME", home.c_str());
    env.Set("XDG_DATA_HOME", nullptr);
    env.Set("XDG_CONFIG_HOME", nullptr);
    env.Set("XDG_PICTURES_DIR", nullptr);

    EXPECT_EQ(PlatUserDataFolder(), home + "/.local/share/quibbo/");
    EXPECT_EQ(PlatScreenshotFolder(), home + "/.local/share/quibbo/screenshots/");
    struct stat st;
    EXPECT_EQ(stat((home + "/.local/share/quibbo/screenshots").c_str(), &st), 0) << "made";

    env.Set("XDG_DATA_HOME", "relative/data"); // not absolute: ignored
    EXPECT_EQ(PlatUserDataFolder(), home + "/.local/share/quibbo/");
    env.Set("XDG_DATA_HOME", (home + "/data").c_str());
    EXPECT_EQ(PlatUserDataFolder(), home + "/data/quibbo/");
    // The settings have a folder of their own, by the same rules.
    EXPECT_EQ(PlatUserConfigFolder(), home + "/.config/quibbo/");
    env.Set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(PlatUserConfigFolder(), home + "/.config/quibbo/");
    env.Set("XDG_CONFIG_HOME", (home + "/config/").c_str());
    EXPECT_EQ(PlatUserConfigFolder(), home + "/config/quibbo/");
    env.Set("XDG_CONFIG_HOME", nullptr);

    // The pictures folder named in user-dirs.dirs counts once it exists.
    ASSERT_TRUE(PlatMakeFolders(home + "/.config"));
    FILE* dirs = std::fopen((home + "/.config/user-dirs.dirs").c_str(), "w");
    ASSERT_NE(dirs, nullptr);
    std::fputs("# written by a test\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n", dirs);
    std::fclose(dirs);
    EXPECT_EQ(PlatScreenshotFolder(), home + "/data/quibbo/screenshots/");
    ASSERT_TRUE(PlatMakeFolders(home + "/Bilder"));
    EXPECT_EQ(PlatScreenshotFolder(), home + "/Bilder/Quibbo/");
    env.Set("XDG_PICTURES_DIR", (home + "/data").c_str()); // the variable wins
    EXPECT_EQ(PlatScreenshotFolder(), home + "/data/Quibbo/");

    env.Set("HOME", nullptr);
    env.Set("XDG_DATA_HOME", nullptr);
    env.Set("XDG_PICTURES_DIR", nullptr);
    EXPECT_EQ(PlatUserDataFolder(), "");
    EXPECT_EQ(PlatUserConfigFolder(), "");
    EXPECT_EQ(PlatScreenshotFolder(), "");
    std::filesystem::remove_all(home);
}

// A user-dirs.dirs that is not a small regular file counts as absent. Each
// lookup runs in a child on an alarm, so a lookup that blocks on a FIFO or
// reads a device without end fails the case instead of hanging the suite.
TEST(UserFolders, ReadOnlyASmallRegularUserDirsFile) {
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "under node a test cannot fork the child that guards against a hang";
#endif
    char pattern[] = "/tmp/quibbo-home-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string home = pattern;
    const std::string config = home + "/.config", dirs = config + "/user-dirs.dirs";
    plattest::ScopedEnv env;
    env.Set("HOME", home.c_str());
    env.Set("XDG_DATA_HOME", nullptr);
    env.Set("XDG_CONFIG_HOME", config.c_str());
    env.Set("XDG_PICTURES_DIR", nullptr);
    ASSERT_TRUE(PlatMakeFolders(home + "/Bilder"));
    ASSERT_TRUE(PlatMakeFolders(config));
    const std::string line = "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    const std::string fallback = home + "/.local/share/quibbo/screenshots/";
    const struct {
        const char* kind;
        std::function<bool()> make;
    } cases[] = {
        {"link to /dev/zero", [&] { return symlink("/dev/zero", dirs.c_str()) == 0; }},
        {"FIFO", [&] { return mkfifo(dirs.c_str(), 0600) == 0; }},
        {"over 64 KB",
         [&] {
             FILE* f = std::fopen(dirs.c_str(), "w");
             if (!f)
                 return false;
             std::fputs((std::string(70 * 1024, '#') + "\n" + line).c_str(), f);
             return std::fclose(f) == 0;
         }},
    };
    for (const auto& c : cases) {
        std::remove(dirs.c_str());
        ASSERT_TRUE(c.make()) << c.kind;
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(3);
            _exit(PlatScreenshotFolder() == fallback ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status))
            << c.kind << ": ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << c.kind;
    }
    // The same line in a small regular file still counts.
    std::remove(dirs.c_str());
    FILE* f = std::fopen(dirs.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(line.c_str(), f);
    std::fclose(f);
    EXPECT_EQ(PlatScreenshotFolder(), home + "/Bilder/Quibbo/");

    // A pictures folder whose name holds control characters is used as
    // named, and printed on one line.
    const std::string odd = home + "/Pic\ntures\t\x1b";
    env.Set("XDG_PICTURES_DIR", odd.c_str());
    ASSERT_TRUE(PlatMakeFolders(odd));
    EXPECT_EQ(PlatScreenshotFolder(), odd + "/Quibbo/");
    EXPECT_EQ(PlatPrintablePath(PlatScreenshotFolder()), home + "/Pic\\ntures\\t\\x1B/Quibbo/");
    std::filesystem::remove_all(home);
}
#else
// On Windows the player's files go under the local application data, and
// screenshots into Pictures of the user's profile once it exists; paths
// are spelled with forward slashes, as the game's own are.
TEST(UserFolders, FollowLocalAppDataAndTheProfilesPictures) {
    std::string home = testing::TempDir() + "quibbo-home-" + std::to_string(getpid());
    for (char& c : home)
        if (c == '\\')
            c = '/';
    ASSERT_TRUE(PlatMakeFolders(home + "/Local"));
    plattest::ScopedEnv env;
    env.Set("LOCALAPPDATA", (home + "/Local").c_str());
    env.Set("USERPROFILE", home.c_str());
    EXPECT_EQ(PlatUserDataFolder(), home + "/Local/Quibbo/");
    EXPECT_EQ(PlatScreenshotFolder(), home + "/Local/Quibbo/screenshots/");
    struct stat st;
    EXPECT_EQ(stat((home + "/Local/Quibbo/screenshots").c_str(), &st), 0) << "made";
    ASSERT_TRUE(PlatMakeFolders(home + "/Pictures"));
    EXPECT_EQ(PlatScreenshotFolder(), home + "/Pictures/Quibbo/");
    env.Set("LOCALAPPDATA", "relative\\data"); // not absolute: ignored
    EXPECT_EQ(PlatUserDataFolder(), "");
    // The settings roam with the profile, spelled the game's way.
    env.Set("APPDATA", "C:\\Users\\Ann\\AppData\\Roaming");
    EXPECT_EQ(PlatUserConfigFolder(), "C:/Users/Ann/AppData/Roaming/Quibbo/");
    env.Set("APPDATA", "Roaming");
    EXPECT_EQ(PlatUserConfigFolder(), "");
    env.Set("USERPROFILE", nullptr);
    EXPECT_EQ(PlatScreenshotFolder(), "");
    std::filesystem::remove_all(home);
}
#endif
