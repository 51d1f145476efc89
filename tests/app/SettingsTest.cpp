// The player's settings: what each one takes, how a settings file is read
// line by line, where the file is found, and --set over it.
#include "app/Settings.h"
#include "../platform/PlatformTestApp.h"
#include "../world/WorldTestKit.h"
#include "app/Options.h"
#include "platform/Files.h"
#include "scene/LevelText.h"
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

bool Same(const GameSettings& a, const GameSettings& b) {
    return a.turnSpeed == b.turnSpeed && a.volume == b.volume && a.mute == b.mute &&
           a.look.reduceFlashes == b.look.reduceFlashes &&
           a.look.minimap.size == b.look.minimap.size &&
           a.look.minimap.colours == b.look.minimap.colours;
}

bool ParseArgs(std::vector<const char*> args, COptions* options, std::string* error) {
    args.insert(args.begin(), "quibbo");
    return options->Parse(static_cast<int>(args.size()), args.data(), error);
}

void Write(const std::string& path, const std::string& text) {
    ASSERT_TRUE(WriteWholeFile(path.c_str(), std::vector<uint8_t>(text.begin(), text.end())));
}

// Each setting takes the values it names, in any letter case, and nothing
// else; a refused value leaves every setting as it was and says what the
// setting takes.
TEST(Settings, EachSettingTakesItsOwnValuesOnly) {
    GameSettings s;
    std::string why;
    ASSERT_TRUE(ApplySetting("turn_speed", "90", &s, &why));
    ASSERT_TRUE(ApplySetting("VOLUME", "3", &s, &why));
    ASSERT_TRUE(ApplySetting("mute", "On", &s, &why));
    ASSERT_TRUE(ApplySetting("minimap", "large", &s, &why));
    ASSERT_TRUE(ApplySetting("reduce_flashes", "on", &s, &why));
    ASSERT_TRUE(ApplySetting("map_colours", "High-Contrast", &s, &why));
    EXPECT_EQ(s.turnSpeed, 90);
    EXPECT_EQ(s.volume, 3);
    EXPECT_TRUE(s.mute);
    EXPECT_EQ(s.look.minimap.size, MINIMAP_LARGE);
    EXPECT_TRUE(s.look.reduceFlashes);
    EXPECT_EQ(s.look.minimap.colours, &kHighContrastMinimapColours);
    ASSERT_TRUE(ApplySetting("minimap", "small", &s, &why));
    EXPECT_EQ(s.look.minimap.size, MINIMAP_SMALL);
    ASSERT_TRUE(ApplySetting("turn_speed", "40", &s, &why));
    ASSERT_TRUE(ApplySetting("turn_speed", "180", &s, &why));

    const struct {
        const char* name;
        const char* value;
        const char* why;
    } refused[] = {
        {"turn_speed", "39", "turn_speed takes a whole number from 40 to 180, not '39'"},
        {"turn_speed", "181", "turn_speed takes a whole number from 40 to 180, not '181'"},
        {"turn_speed", "+90", "turn_speed takes a whole number from 40 to 180, not '+90'"},
        {"volume", "11", "volume takes a whole number from 0 to 10, not '11'"},
        {"mute", "yes", "mute takes off or on, not 'yes'"},
        {"minimap", "huge", "minimap takes small, normal or large, not 'huge'"},
        {"reduce_flashes", "", "reduce_flashes takes off or on, not ''"},
        {"map_colours", "high contrast",
         "map_colours takes standard or high-contrast, not 'high contrast'"},
        // The keys' names are kept for when keys can be chosen.
        {"key.fire", "Space", "unknown setting 'key.fire'"},
        {"no_such_setting", "1", "unknown setting 'no_such_setting'"},
    };
    for (const auto& c : refused) {
        const GameSettings before = s;
        EXPECT_FALSE(ApplySetting(c.name, c.value, &s, &why)) << c.name;
        EXPECT_EQ(why, c.why);
        EXPECT_TRUE(Same(s, before)) << c.name;
    }
}

// Only the turn speed changes the game; every other setting, and every name
// that is no setting, leaves a replay alone.
TEST(Settings, OnlyTheTurnSpeedChangesTheGame) {
    const std::vector<std::string> names = SettingNames();
    EXPECT_EQ(names, (std::vector<std::string>{"turn_speed", "volume", "mute", "minimap",
                                               "reduce_flashes", "map_colours"}));
    for (const std::string& name : names)
        EXPECT_EQ(SettingChangesTheGame(name), name == "turn_speed") << name;
    EXPECT_TRUE(SettingChangesTheGame("Turn_Speed"));
    EXPECT_FALSE(SettingChangesTheGame("key.left"));
}

// A file as an editor may leave it: a byte-order mark, Windows' line ends,
// comments, blanks and spaces around the '='. A bad line is named by its
// number and skipped; the lines around it hold, and a later line of the same
// name wins.
TEST(Settings, ABadLineIsNamedAndSkippedAndTheOthersHold) {
    const std::string text = "\xEF\xBB\xBF# my settings\r\n"
                             "\r\n"
                             "turn_speed = 90\r\n"
                             "volume=12\n"
                             "; volume = 0\n"
                             "  minimap =  large  \n"
                             "sound = loud\n"
                             "just words\n"
                             "volume = 3\n"
                             "reduce_flashes\t=\ton"; // no line end after the last
    GameSettings s;
    std::vector<std::string> problems;
    ReadSettingsText(text, "S", &s, &problems);
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "S line 4: volume takes a whole number from 0 to 10, not '12'; ignored",
                            "S line 7: unknown setting 'sound'; ignored",
                            "S line 8: expected name = value, not 'just words'; ignored"}));
    EXPECT_EQ(s.turnSpeed, 90);
    EXPECT_EQ(s.volume, 3);
    EXPECT_EQ(s.look.minimap.size, MINIMAP_LARGE);
    EXPECT_TRUE(s.look.reduceFlashes);
    EXPECT_FALSE(s.mute);

    // A control character in a line cannot break the message's one line.
    problems.clear();
    ReadSettingsText("minimap = big\x1b[2J\n", "S", &s, &problems);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].find('\x1b'), std::string::npos) << problems[0];
}

// settings.ini is looked for in the user's settings folder: none there is the
// defaults, said to no one; one there is read; one that is not a file to
// read is one line, and the game plays on the defaults.
TEST(Settings, TheFileIsFoundInTheUsersSettingsFolder) {
    const std::string home = ScratchFolder();
    plattest::ScopedEnv env;
    env.Set("HOME", home.c_str());
    env.Set("XDG_CONFIG_HOME", (home + "config").c_str());
    const CSettingsFile file;
    EXPECT_EQ(file.Path(), home + "config/quibbo/settings.ini");
    std::vector<std::string> problems;
    EXPECT_TRUE(Same(LoadSettings(file, &problems), GameSettings()));
    EXPECT_TRUE(problems.empty());

    ASSERT_TRUE(PlatMakeFolders(home + "config/quibbo/"));
    Write(file.Path(), "turn_speed = 90\nturn_speed = fast\n");
    const GameSettings read = LoadSettings(file, &problems);
    EXPECT_EQ(read.turnSpeed, 90);
    EXPECT_EQ(problems,
              std::vector<std::string>{
                  file.Path() + " line 2: turn_speed takes a whole number from 40 to 180, not "
                                "'fast'; ignored"});

    const struct {
        const char* kind;
        std::string path;
        bool folder;
    } unreadable[] = {
        {"a folder", home + "folder.ini", true},
        {"over 64 KB", home + "large.ini", false},
    };
    for (const auto& u : unreadable) {
        if (u.folder)
            ASSERT_TRUE(PlatMakeFolders(u.path));
        else
            Write(u.path, std::string(65 * 1024, '#'));
        problems.clear();
        EXPECT_TRUE(Same(LoadSettings(CSettingsFile(u.path), &problems), GameSettings()));
        ASSERT_EQ(problems.size(), 1u) << u.kind;
        EXPECT_EQ(problems[0].rfind("the settings are not read: ", 0), 0u) << problems[0];
    }

    env.Set("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(CSettingsFile().Path(), home + ".config/quibbo/settings.ini");
    std::filesystem::remove_all(home);
}

// --set may be given again and again; each goes over the settings file, in
// the order given. Each is checked as the file's lines are, and a replay
// takes none that changes the game.
TEST(Settings, SetGoesOverTheFileForOneRun) {
    COptions options;
    std::string error;
    ASSERT_TRUE(ParseArgs({"--set", "volume=3", "--set=minimap=small", "--set", "VOLUME=5"},
                          &options, &error))
        << error;
    EXPECT_EQ(options.m_sets.size(), 3u);
    EXPECT_TRUE(Same(options.m_settings, GameSettings())) << "the file comes first";
    GameSettings kept;
    kept.volume = 8;
    kept.turnSpeed = 90;
    options.ApplySettings(kept);
    EXPECT_EQ(options.m_settings.volume, 5);
    EXPECT_EQ(options.m_settings.look.minimap.size, MINIMAP_SMALL);
    EXPECT_EQ(options.m_settings.turnSpeed, 90);

    const struct {
        std::vector<const char*> args;
        const char* error;
    } bad[] = {
        {{"--set", "volume"}, "--set volume: expected NAME=VALUE"},
        {{"--set", "no_such_setting=1"},
         "--set no_such_setting=1: unknown setting 'no_such_setting'"},
        {{"--set", "volume=loud"},
         "--set volume=loud: volume takes a whole number from 0 to 10, not 'loud'"},
        {{"--set", ""}, "--set needs a non-empty NAME=VALUE"},
        {{"--replay", "r.qrun", "--set", "volume=3", "--set", "turn_speed=90"},
         "--set turn_speed=90: the run holds its own turn_speed; with --replay only settings "
         "of the look and the sound are taken"},
    };
    for (const auto& b : bad) {
        COptions refused;
        EXPECT_FALSE(ParseArgs(b.args, &refused, &error)) << b.error;
        EXPECT_EQ(error, b.error);
    }
    COptions replay;
    EXPECT_TRUE(
        ParseArgs({"--replay", "r.qrun", "--set", "volume=3", "--set",
                   "map_colours=high-"
                   "contrast",
                   "--set", "minimap=large", "--set", "mute=on", "--set", "reduce_flashes=on"},
                  &replay, &error))
        << error;
}

} // namespace
