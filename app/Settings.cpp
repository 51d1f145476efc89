#include "app/Settings.h"
#include "platform/Files.h"
#include "platform/Numbers.h"
#include "platform/WholeFile.h"
#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <system_error>

namespace {

// A settings file of a few lines: anything larger is no settings file.
const size_t kMaxSettingsBytes = 64 * 1024;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    const char* const blanks = " \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// One of `words` (in any letter case): *index is its place. False with
// what the setting takes in *why.
bool PickWord(const std::string& value, std::initializer_list<const char*> words, int* index,
              std::string* why) {
    const std::string lower = Lower(value);
    int i = 0;
    std::string choices;
    for (const char* word : words) {
        if (lower == word) {
            *index = i;
            return true;
        }
        choices += (i == 0 ? "" : i + 1 == int(words.size()) ? " or " : ", ") + std::string(word);
        ++i;
    }
    *why = choices;
    return false;
}

bool PickSwitch(const std::string& value, bool* on, std::string* why) {
    int index = 0;
    if (!PickWord(value, {"off", "on"}, &index, why))
        return false;
    *on = index == 1;
    return true;
}

bool PickNumber(const std::string& value, int min, int max, int* number, std::string* why) {
    int64_t n = 0;
    if (!ParseInteger(value, min, max, &n)) {
        *why = "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
        return false;
    }
    *number = static_cast<int>(n);
    return true;
}

// One setting: its name, whether it changes the game, and how a value is
// set (false with what it takes in *why).
struct SettingRule {
    const char* name;
    bool changesGame;
    bool (*apply)(const std::string& value, GameSettings* settings, std::string* why);
};

const SettingRule kRules[] = {
    {"turn_speed", true,
     [](const std::string& value, GameSettings* s, std::string* why) {
         return PickNumber(value, kDesignTurnSpeed, kMaxTurnSpeed, &s->turnSpeed, why);
     }},
    {"volume", false,
     [](const std::string& value, GameSettings* s, std::string* why) {
         return PickNumber(value, 0, kMaxVolume, &s->volume, why);
     }},
    {"mute", false,
     [](const std::string& value, GameSettings* s, std::string* why) {
         return PickSwitch(value, &s->mute, why);
     }},
    {"minimap", false,
     [](const std::string& value, GameSettings* s, std::string* why) {
         int index = 0;
         if (!PickWord(value, {"small", "normal", "large"}, &index, why))
             return false;
         s->look.minimap.size = static_cast<EMinimapSize>(MINIMAP_SMALL + index);
         return true;
     }},
    {"reduce_flashes", false,
     [](const std::string& value, GameSettings* s, std::string* why) {
         return PickSwitch(value, &s->look.reduceFlashes, why);
     }},
    {"map_colours", false,
     [](const std::string& value, GameSettings* s, std::string* why) {
         int index = 0;
         if (!PickWord(value, {"standard", "high-contrast"}, &index, why))
             return false;
         s->look.minimap.colours =
             index == 0 ? &kStandardMinimapColours : &kHighContrastMinimapColours;
         return true;
     }},
};

const SettingRule* FindRule(const std::string& name) {
    const std::string lower = Lower(name);
    for (const SettingRule& rule : kRules) {
        if (lower == rule.name)
            return &rule;
    }
    // key.ACTION names the keys of an action once they can be chosen.
    return nullptr;
}

} // namespace

bool ApplySetting(const std::string& name, const std::string& value, GameSettings* settings,
                  std::string* why) {
    const SettingRule* rule = FindRule(name);
    if (rule == nullptr) {
        *why = "unknown setting '" + name + "'";
        return false;
    }
    GameSettings changed = *settings;
    std::string takes;
    if (!rule->apply(value, &changed, &takes)) {
        *why = std::string(rule->name) + " takes " + takes + ", not '" + value + "'";
        return false;
    }
    *settings = changed;
    return true;
}

bool SettingChangesTheGame(const std::string& name) {
    const SettingRule* rule = FindRule(name);
    return rule != nullptr && rule->changesGame;
}

std::vector<std::string> SettingNames() {
    std::vector<std::string> names;
    for (const SettingRule& rule : kRules)
        names.push_back(rule.name);
    return names;
}

void ReadSettingsText(const std::string& text, const std::string& source, GameSettings* settings,
                      std::vector<std::string>* problems) {
    size_t start = 0;
    // A byte-order mark, as some editors on Windows write one.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    for (int number = 1; start <= text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        const std::string where = source + " line " + std::to_string(number) + ": ";
        const size_t equals = line.find('=');
        std::string why;
        if (equals == std::string::npos)
            problems->push_back(where + "expected name = value, not '" + PlatPrintablePath(line) +
                                "'; ignored");
        else if (!ApplySetting(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)),
                               settings, &why))
            problems->push_back(where + PlatPrintablePath(why) + "; ignored");
    }
}

CSettingsFile::CSettingsFile(const std::string& path) : m_strPath(path) {
    if (m_strPath.empty() && !PlatUserConfigFolder().empty())
        m_strPath = PlatUserConfigFolder() + "settings.ini";
}

bool CSettingsFile::Read(std::string* text, std::string* why) const {
    text->clear();
    std::error_code failure;
    // No file is the first run's settings: the defaults, said to no one.
    if (m_strPath.empty() || std::filesystem::symlink_status(m_strPath, failure).type() ==
                                 std::filesystem::file_type::not_found)
        return true;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(m_strPath.c_str(), kMaxSettingsBytes, &bytes, why, true)) {
        *why = PlatPrintablePath(*why);
        return false;
    }
    text->assign(bytes.begin(), bytes.end());
    return true;
}

std::string CSettingsFile::Name() const {
    return PlatPrintablePath(m_strPath);
}

GameSettings LoadSettings(const CSettingsStore& store, std::vector<std::string>* problems) {
    GameSettings settings;
    std::string text, why;
    if (!store.Read(&text, &why))
        problems->push_back("the settings are not read: " + why);
    else
        ReadSettingsText(text, store.Name(), &settings, problems);
    return settings;
}
