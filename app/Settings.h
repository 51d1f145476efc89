// The player's settings: what each one is, how a line of settings.ini or a
// --set names it, and which of them change the game itself. A setting that
// changes the game travels in every run played with it (app/RunFile.h); the
// others only change what is seen and heard, and never reach the rules.
#pragma once
#include "platform/Wave.h"
#include "world/World.h"
#include <string>
#include <vector>

struct GameSettings {
    int turnSpeed = kDesignTurnSpeed; // turn_speed: changes the game
    int volume = kMaxVolume;          // volume, 0 (silent) to kMaxVolume
    bool mute = false;                // mute: the game starts with the sound off
    WorldLook look;                   // minimap, map_colours, reduce_flashes
};

// Sets the setting `name` (in any letter case) to `value` in *settings.
// False, with *settings as it was and the problem in *why (one line, naming
// the setting and what it takes), for a name that is no setting or a value
// it does not take. Names of the form key.ACTION are kept for the keys and
// are refused as unknown until the keys can be chosen.
bool ApplySetting(const std::string& name, const std::string& value, GameSettings* settings,
                  std::string* why);
// Whether the setting `name` changes the game (so a run keeps its own
// value); false for the cosmetic ones and for names that are no setting.
bool SettingChangesTheGame(const std::string& name);
// The names of the settings, in the order --help lists them.
std::vector<std::string> SettingNames();

// Reads the text of a settings file over *settings: one "name = value" a
// line, blank lines and lines starting with '#' or ';' ignored, the names
// as ApplySetting takes them; a line's last value of a name wins. A line
// that is not a setting or whose value is refused is ignored, and one line
// naming it ("<source> line N: ...") goes to *problems; the other lines
// still hold.
void ReadSettingsText(const std::string& text, const std::string& source, GameSettings* settings,
                      std::vector<std::string>* problems);

// Where the settings are kept: a file on the desktop and on Windows; the
// page will keep them in its own storage.
class CSettingsStore {
public:
    virtual ~CSettingsStore() = default;
    // The text kept, "" when nothing is kept yet. False, with the reason
    // in one line in *why, when something is there but cannot be read.
    virtual bool Read(std::string* text, std::string* why) const = 0;
    // How a message names the store.
    virtual std::string Name() const = 0;
};

// settings.ini in PlatUserConfigFolder(). Never written: the game has no
// way to change its settings yet.
class CSettingsFile : public CSettingsStore {
public:
    // `path` "" for the user's own settings.ini.
    explicit CSettingsFile(const std::string& path = "");
    bool Read(std::string* text, std::string* why) const override;
    std::string Name() const override;
    // "" when the system names no folder for settings.
    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// The settings `store` keeps, over the defaults; every problem (a store
// that cannot be read, a line refused) as one line in *problems.
GameSettings LoadSettings(const CSettingsStore& store, std::vector<std::string>* problems);
