// The player's settings: what each one takes, how a settings file is read
// line by line, and --set over it.
#include "app/Settings.h"
#include "app/Options.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

bool ParseArgs(std::vector<const char*> args, COptions* options, std::string* error) {
    args.insert(args.begin(), "quibbo");
    return options->Parse(static_cast<int>(args.size()), args.data(), error);
}

// A refused value says what the setting takes and changes nothing; only the
// turn speed changes the game, and the keys' names are kept for later.
TEST(Settings, EachSettingTakesItsOwnValuesOnly) {
    const struct {
        const char* name;
        const char* value;
        const char* why;
    } refused[] = {
        {"turn_speed", "181", "turn_speed takes a whole number from 40 to 180, not '181'"},
        {"turn_speed", "+90", "turn_speed takes a whole number from 40 to 180, not '+90'"},
        {"mute", "yes", "mute takes off or on, not 'yes'"},
        {"minimap", "huge", "minimap takes small, normal or large, not 'huge'"},
        {"map_colours", "high contrast",
         "map_colours takes standard or high-contrast, not 'high contrast'"},
        {"key.fire", "Space", "unknown setting 'key.fire'"},
    };
    GameSettings s;
    std::string why;
    ASSERT_TRUE(ApplySetting("Turn_Speed", "90", &s, &why));
    for (const auto& c : refused) {
        EXPECT_FALSE(ApplySetting(c.name, c.value, &s, &why)) << c.name;
        EXPECT_EQ(why, c.why);
    }
    EXPECT_EQ(s.turnSpeed, 90);
    for (const std::string& name : SettingNames())
        EXPECT_EQ(SettingChangesTheGame(name), name == "turn_speed") << name;
}

// A file as an editor may leave it: a byte-order mark, Windows' line ends,
// comments, blanks and spaces around the '='. A bad line is named by its
// number and skipped; the other lines hold, and a later line wins.
TEST(Settings, ABadLineIsNamedAndSkippedAndTheOthersHold) {
    const std::string text = "\xEF\xBB\xBF# my settings\r\n"
                             "\r\n"
                             "turn_speed = 90\r\n"
                             "volume=12\n"
                             "; volume = 0\n"
                             "  minimap =  large  \n"
                             "sound = loud\n"
                             "just words\x1b\n"
                             "volume = 3\n"
                             "map_colours\t=\tHigh-Contrast"; // no line end after the last
    GameSettings s;
    std::vector<std::string> problems;
    ReadSettingsText(text, "S", &s, &problems);
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "S line 4: volume takes a whole number from 0 to 10, not '12'; ignored",
                            "S line 7: unknown setting 'sound'; ignored",
                            "S line 8: expected name = value, not 'just words\\x1B'; ignored"}));
    EXPECT_EQ(s.turnSpeed, 90);
    EXPECT_EQ(s.volume, 3);
    EXPECT_EQ(s.look.minimap.size, MINIMAP_LARGE);
    EXPECT_EQ(s.look.minimap.colours, &kHighContrastMinimapColours);
}

// --set may be given again and again, each over the settings file in the
// order given; a replay takes those of the look and the sound (the others:
// command_line_set_* in tests/app/CMakeLists.txt).
TEST(Settings, SetGoesOverTheFileForOneRun) {
    COptions options;
    std::string error;
    ASSERT_TRUE(ParseArgs({"--set", "volume=3", "--set=minimap=small", "--set", "VOLUME=5"},
                          &options, &error))
        << error;
    GameSettings kept;
    kept.volume = 8;
    kept.turnSpeed = 90;
    options.ApplySettings(kept);
    EXPECT_EQ(options.m_settings.volume, 5);
    EXPECT_EQ(options.m_settings.look.minimap.size, MINIMAP_SMALL);
    EXPECT_EQ(options.m_settings.turnSpeed, 90);

    COptions replay;
    EXPECT_TRUE(ParseArgs({"--replay", "r.qrun", "--set", "volume=3", "--set", "mute=on"}, &replay,
                          &error));
}

} // namespace
