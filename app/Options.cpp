#include "app/Options.h"
#include "platform/CommandLine.h"
#include "platform/Files.h"
#include "platform/Numbers.h"
#include "platform/PlatformTypes.h"
#include "platform/WholeFile.h"
#include <cctype>
#include <filesystem>
#include <sstream>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool ParseKeyName(const std::string& name, uint32_t* vk) {
    static const struct {
        const char* name;
        uint32_t vk;
    } kNames[] = {
        {"up", VK_UP},
        {"down", VK_DOWN},
        {"left", VK_LEFT},
        {"right", VK_RIGHT},
        {"fire", VK_RETURN},
        {"escape", VK_ESCAPE},
        {"pause", VK_PAUSE},
        {"mute", VK_MUTE},
        {"continue", VK_CONTINUE},
        {"strafeleft", VK_STRAFELEFT},
        {"straferight", VK_STRAFERIGHT},
    };
    std::string lower = Lower(name);
    for (const auto& entry : kNames) {
        if (lower == entry.name) {
            *vk = entry.vk;
            return true;
        }
    }
    int64_t code = 0;
    if (!ParseInteger(name, 1, 255, &code))
        return false;
    *vk = static_cast<uint32_t>(code);
    return true;
}

bool ParseKeyItem(const std::string& item, std::vector<KeyScriptEvent>* out, std::string* error) {
    size_t colon = item.find(':');
    int64_t frame = 0;
    if (colon == std::string::npos ||
        !ParseInteger(std::string_view(item).substr(0, colon), 1, 100000000, &frame)) {
        *error = "bad key event '" + item + "': expected FRAME:EVENT with FRAME 1 or more";
        return false;
    }
    std::string event = item.substr(colon + 1);
    bool down = true, up = true;
    if (!event.empty() && event[0] == '+') {
        up = false;
        event.erase(0, 1);
    } else if (!event.empty() && event[0] == '-') {
        down = false;
        event.erase(0, 1);
    }
    uint32_t vk = 0;
    if (!ParseKeyName(event, &vk)) {
        *error = "bad key in '" + item +
                 "': expected up, down, left, right, strafeleft, straferight, fire, escape, pause, "
                 "mute, continue or a key code 1..255";
        return false;
    }
    int f = static_cast<int>(frame);
    if (down)
        out->push_back({f, WM_KEYDOWN, vk});
    if (up)
        out->push_back({f, WM_KEYUP, vk});
    return true;
}

// Far more than any script needs; a device or a file that never ends (such
// as /dev/zero) is refused instead of filling the memory.
const size_t kMaxKeyScriptBytes = size_t(16) << 20;

// False with the reason when the file is not under `folder` ("" for
// anywhere), cannot be opened or read (a folder opens but cannot be read) or
// is larger than kMaxKeyScriptBytes.
bool ReadFile(const std::string& path, const std::string& folder, std::string* text,
              std::string* why) {
    const std::string normal = std::filesystem::path(path).lexically_normal().string();
    if (!folder.empty() && normal.rfind(folder, 0) != 0) {
        *why = path + ": key scripts are read only from the files under " + folder;
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path.c_str(), kMaxKeyScriptBytes, &bytes, why))
        return false;
    text->assign(bytes.begin(), bytes.end());
    return true;
}

} // namespace

bool ParseKeyScript(const std::string& script, std::vector<KeyScriptEvent>* events,
                    std::string* error) {
    std::vector<KeyScriptEvent> parsed;
    std::string item;
    bool comment = false;
    auto flush = [&]() {
        if (item.empty())
            return true;
        bool ok = ParseKeyItem(item, &parsed, error);
        item.clear();
        return ok;
    };
    for (char c : script) {
        if (comment) {
            comment = c != '\n';
            continue;
        }
        if (c == '#') {
            comment = true;
            if (!flush())
                return false;
        } else if (c == ',' || std::isspace(static_cast<unsigned char>(c))) {
            if (!flush())
                return false;
        } else {
            item += c;
        }
    }
    if (!flush())
        return false;
    events->insert(events->end(), parsed.begin(), parsed.end());
    return true;
}

bool ParseAnswers(const std::string& list, std::vector<int32_t>* answers, std::string* error) {
    std::vector<int32_t> parsed;
    std::stringstream in(list);
    std::string word;
    while (std::getline(in, word, ',')) {
        std::string lower = Lower(word);
        if (lower == "ok") {
            parsed.push_back(IDOK);
        } else if (lower == "cancel") {
            parsed.push_back(IDCANCEL);
        } else if (lower == "yes") {
            parsed.push_back(IDYES);
        } else if (lower == "no") {
            parsed.push_back(IDNO);
        } else {
            *error = "bad answer '" + word + "': expected ok, cancel, yes or no";
            return false;
        }
    }
    answers->insert(answers->end(), parsed.begin(), parsed.end());
    return true;
}

namespace {

// Far beyond any set of levels; QB9999.BMP is still a name the game forms.
const int kMaxLevelNumber = 9999;

// The table of options: the platform's own, then the game's.
void AddOptions(CCommandLine& line, COptions& options, std::string* keys, std::string* answers,
                std::string* seed) {
    line.AddPlatformOptions(&options.m_config, &options.m_strScreenshot);
    line.AddString("--keys", "SCRIPT", "headless: scripted keys, FRAME:EVENT,... or @FILE", keys);
    line.AddString("--answers", "LIST", "headless: answers to message boxes, ok/cancel,...",
                   answers);
    line.AddSwitch("--stats", "at the end, print the game's figures as one line of JSON",
                   &options.m_bStats);
    line.AddString("--seed", "N", "seed the pseudo-random generator", seed);
    line.AddString("--levels", "DIR", "look for QB00.BMP, QB01.BMP, ... in DIR",
                   &options.m_strLevelsDir);
    line.AddInt("--level", "N", "start at level N: 0 the first, N >= 1 the file QBnn.BMP",
                &options.m_nLevel, 0, kMaxLevelNumber);
    line.AddSwitch("--no-confirm", "Escape quits at once, without asking", &options.m_bNoConfirm);
    line.AddString("--record", "FILE", "when the game ends, write the run to FILE",
                   &options.m_strRecord);
    line.AddString("--replay", "FILE", "play the run in FILE again (P pauses, 1/2/4 speed)",
                   &options.m_strReplay);
    line.AddSwitch("--continue", "a new game at the furthest level reached in the set",
                   &options.m_bContinue);
    line.AddSwitch("--keep-progress", "headless: keep progress as a window does",
                   &options.m_bKeepProgress);
    line.AddList("--set", "NAME=VALUE", "this run only: a setting, as in settings.ini",
                 &options.m_sets);
}

// Why a --set item cannot be taken, or "": it must be NAME=VALUE of a
// setting and a value it takes, and a replay keeps the run's own settings
// that change the game.
std::string SetProblem(const std::string& item, bool replay) {
    const size_t equals = item.find('=');
    if (equals == std::string::npos)
        return "expected NAME=VALUE";
    const std::string name = item.substr(0, equals);
    GameSettings scratch;
    std::string why;
    if (!ApplySetting(name, item.substr(equals + 1), &scratch, &why))
        return why;
    if (replay && SettingChangesTheGame(name))
        return "the run holds its own " + name +
               "; with --replay only settings of the look and the sound are taken";
    return "";
}

} // namespace

bool COptions::Parse(int argc, const char* const* argv, std::string* error) {
    std::string keys, answers, seed;
    CCommandLine line;
    AddOptions(line, *this, &keys, &answers, &seed);
    switch (line.Parse(argc, argv)) {
    case CCommandLine::PARSE_HELP:
        m_bHelp = true;
        return true;
    case CCommandLine::PARSE_ERROR:
        *error = line.m_strError;
        return false;
    case CCommandLine::PARSE_OK:
        break;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (arg == "--level" || arg.substr(0, 8) == "--level=")
            m_bLevelGiven = true;
    }
    // Only the words that are not options or their values: a folder or a
    // file named after the access word must not switch it on.
    m_strCmdLine = line.m_strRest;

    if (!keys.empty()) {
        std::string script = keys;
        std::string why;
        if (script[0] == '@' && !ReadFile(script.substr(1), m_strKeyScriptFolder, &script, &why)) {
            *error = "--keys: " + why;
            return false;
        }
        std::string problem;
        if (!ParseKeyScript(script, &m_keys, &problem)) {
            *error = "--keys: " + problem;
            return false;
        }
    }
    if (!answers.empty()) {
        std::string problem;
        if (!ParseAnswers(answers, &m_answers, &problem)) {
            *error = "--answers: " + problem;
            return false;
        }
    }
    if (!seed.empty()) {
        int64_t n = 0;
        if (!ParseInteger(seed, 0, 0xFFFFFFFF, &n)) {
            *error = CCommandLine::NumberError("--seed", 0, 0xFFFFFFFF, seed);
            return false;
        }
        m_bSeed = true;
        m_dwSeed = static_cast<uint32_t>(n);
    }
    if (!m_strLevelsDir.empty()) {
        // Otherwise a mistyped folder would quietly play the built-in level.
        std::error_code failure;
        if (!std::filesystem::is_directory(m_strLevelsDir, failure)) {
            *error = "--levels: " + m_strLevelsDir +
                     (std::filesystem::exists(m_strLevelsDir, failure) ? " is not a folder"
                                                                       : " does not exist");
            return false;
        }
        if (m_strLevelsDir.back() != '/')
            m_strLevelsDir += '/';
    }
    if (!m_config.headless && (!m_keys.empty() || !m_answers.empty())) {
        *error = "--keys and --answers need --headless";
        return false;
    }
    for (const std::string& item : m_sets) {
        const std::string why = SetProblem(item, !m_strReplay.empty());
        if (!why.empty()) {
            *error = "--set " + item + ": " + why;
            return false;
        }
    }
    // A replay's input, seed, words and levels are all the run's own.
    if (!m_strReplay.empty() &&
        (!m_keys.empty() || !m_answers.empty() || m_bSeed || !m_strRecord.empty() ||
         m_nLevel != 0 || m_bNoConfirm || !m_strCmdLine.empty())) {
        *error = "--replay takes the run's own keys, answers, seed, level and words: "
                 "give none of --keys, --answers, --seed, --level, --no-confirm, --record "
                 "or words with it";
        return false;
    }
    return true;
}

void COptions::ApplySettings(const GameSettings& kept) {
    m_settings = kept;
    for (const std::string& item : m_sets) {
        const size_t equals = item.find('=');
        std::string why; // Parse has refused every item that would fail
        ApplySetting(item.substr(0, equals), item.substr(equals + 1), &m_settings, &why);
    }
}

bool COptions::CheckContinue(std::string* error) const {
    if (m_bContinue && (m_bLevelGiven || !m_strReplay.empty())) {
        *error = "--continue starts where the progress kept says: give neither --level nor "
                 "--replay with it";
        return false;
    }
    return true;
}

std::string UsageText() {
    COptions options;
    std::string keys, answers, seed;
    CCommandLine line;
    AddOptions(line, options, &keys, &answers, &seed);
    return line.Usage("quibbo") +
           "\n"
           "Play: the arrow keys or W, A, S and D walk and turn; Q and E, comma and\n"
           "full stop, or Alt with Left and Right sidestep; Space, Ctrl or Return\n"
           "fires (so do the handheld's action buttons, key codes 91, 134 and 209 to\n"
           "213). A gamepad's D-pad or left stick walks and turns, its shoulder\n"
           "buttons sidestep, and its A, B, X and Y buttons and its triggers fire.\n"
           "P, Pause or a gamepad's Start pauses and\n"
           "resumes; the game also pauses while another window has the keyboard.\n"
           "M turns the sound off and on, also while paused. Escape asks \"Quit\n"
           "Quibbo?\" (Escape again says yes; --no-confirm quits at once), also while\n"
           "paused. F11 or Alt+Return switches full screen on and off; F12 saves the\n"
           "screen as quibbo-001.bmp, quibbo-002.bmp, ... in Quibbo/ of your pictures\n" +
           PlatScreenshotFolderHelp() + "\n" + PlatLevelFoldersHelp() +
           "Without QB00.BMP the built-in level comes first and QB01.BMP follows it.\n"
           "With --level N a new game (score 0, five lives) starts at level N; a level\n"
           "N that is missing or does not build ends the run with status 255.\n"
           "\n"
           "Progress: for each set of levels (the campaign, or a --levels folder by\n"
           "its path) the game keeps the furthest level reached, each level's best\n"
           "time and score with the run that made the best time (while the level's\n"
           "bytes stay the same), and the ten best games, in progress.json in\n" +
           PlatUserDataFolderHelp() +
           "A level's time is the game's clock in play: not the title, the cards,\n"
           "the holds after a catch or a pause. Results with the access word are\n"
           "kept apart, marked assisted. It is written when a level is won or a game\n"
           "ends; never by a replay, and with --headless only with --keep-progress.\n"
           "A damaged file is said in one line and, at the next write, kept beside\n"
           "it as progress-damaged-N.json. --continue starts a new game (score 0,\n"
           "five lives) at the furthest level reached; with nothing kept, or once\n"
           "the whole set was won, at the first. C on the title does the same.\n"
           "--continue with --level or --replay exits with status 2.\n"
           "\n"
           "Runs: every game is recorded as it goes: its seed, its levels, every key\n"
           "and the time of every frame, a few kilobytes for ten minutes. --record\n"
           "FILE writes it to FILE when the game ends. --replay FILE plays it again,\n"
           "frame for frame: in a window at its own speed (P, Pause or Space stop\n"
           "and go on, 1, 2 and 4 set the speed, Escape or Q end it), or with\n"
           "--headless at full speed, where --stats gives the figures the game\n"
           "ended with. A run plays on the levels it was played on, looked for in\n"
           "--levels DIR, else where the game looks; when they are not there it\n"
           "says which file is missing and exits with status 2. A file downloaded\n"
           "from the page, or a text file holding a run's link, replays too.\n"
           "\n"
           "Settings: settings.ini in " +
           std::string(PlatSettingsFolderHelp()) +
           ", one\n"
           "name = value a line; lines that start with # or ; are comments. A line\n"
           "that is no setting is said on standard error and skipped; the other\n"
           "lines hold. --set NAME=VALUE (given again for more) sets one for this\n"
           "run only, without keeping it.\n"
           "  turn_speed      degrees a second turned: 40 (the default) to 180\n"
           "  volume          0 (silent) to 10 (the default)\n"
           "  mute            on or off (the default): start with the sound off\n"
           "  minimap         small, normal (the default) or large\n"
           "  reduce_flashes  on or off (the default): a fainter gun flash, a fade\n"
           "                  to half brightness only, and no fade after a catch\n"
           "  map_colours     standard (the default) or high-contrast\n"
           "A run keeps the turn speed it was played at, and its replay turns so\n"
           "whatever the settings say; --replay takes a --set of the others only.\n"
           "\n"
           "Key scripts: comma-separated FRAME:EVENT items. EVENT is +KEY (down),\n"
           "-KEY (up) or KEY (down, then up); KEY is up, down, left, right,\n"
           "strafeleft, straferight, fire (Return), escape, pause, mute (M), continue\n"
           "(C) or a key code 1 to 255. The events of\n"
           "frame F arrive, in order, before frame F runs; frames count from 1. A\n"
           "script file may also separate items with white space and hold # comments.\n"
           "Answers: ok or cancel (yes or no) for each message box in turn; cancel (no)\n"
           "once they run out.\n"
           "Figures (--stats): frames, level, score, lives, shots, dots_left, enemies,\n"
           "x, z, heading, events (frames that ended with each event code, \"1\" to \"5\"),\n"
           "message_boxes (text and answer), exit_code, fps (frames a second the\n"
           "game's own work ran at, timed inside the program).\n"
           "\n"
           "Exit status: 0 normal end, 1 start-up failed or the screenshot could not\n"
           "be written, 2 bad command line, 255 a level could not be loaded.\n";
}
