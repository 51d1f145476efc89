#include "app/Options.h"
#include "platform/PlatformTypes.h"
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Whole-string decimal number within [lo, hi]; no sign, no blanks, no suffix.
bool ParseNumber(const std::string& text, long long lo, long long hi, long long* value) {
    if (text.empty() || text.size() > 12)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v < lo || v > hi)
        return false;
    *value = v;
    return true;
}

bool ParseKeyName(const std::string& name, uint32_t* vk) {
    static const struct {
        const char* name;
        uint32_t vk;
    } kNames[] = {
        {"up", VK_UP}, {"down", VK_DOWN}, {"left", VK_LEFT}, {"right", VK_RIGHT}, {"fire", VK_RETURN},
    };
    std::string lower = Lower(name);
    for (const auto& entry : kNames) {
        if (lower == entry.name) {
            *vk = entry.vk;
            return true;
        }
    }
    long long code = 0;
    if (!ParseNumber(name, 1, 255, &code))
        return false;
    *vk = static_cast<uint32_t>(code);
    return true;
}

bool ParseKeyItem(const std::string& item, std::vector<KeyScriptEvent>* out, std::string* error) {
    size_t colon = item.find(':');
    long long frame = 0;
    if (colon == std::string::npos || !ParseNumber(item.substr(0, colon), 1, 100000000, &frame)) {
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
                 "': expected up, down, left, right, fire or a key code 1..255";
        return false;
    }
    int f = static_cast<int>(frame);
    if (down)
        out->push_back({f, WM_KEYDOWN, vk});
    if (up)
        out->push_back({f, WM_KEYUP, vk});
    return true;
}

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *text = buffer.str();
    return !in.bad();
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
        } else {
            *error = "bad answer '" + word + "': expected ok or cancel";
            return false;
        }
    }
    answers->insert(answers->end(), parsed.begin(), parsed.end());
    return true;
}

bool COptions::Parse(int argc, const char* const* argv, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        if (!m_strCmdLine.empty())
            m_strCmdLine += ' ';
        m_strCmdLine += argv[i];
    }

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.size() < 2 || arg[0] != '-')
            continue; // free text: the access word may stand here
        std::string name = arg, value;
        bool inlineValue = false;
        size_t eq = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        auto flag = [&]() {
            if (inlineValue)
                *error = name + " takes no value";
            return !inlineValue;
        };
        auto take = [&]() {
            if (inlineValue)
                return true;
            if (i + 1 >= argc) {
                *error = name + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto number = [&](long long lo, long long hi, long long* out) {
            if (!take())
                return false;
            if (!ParseNumber(value, lo, hi, out)) {
                *error = name + " needs a whole number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not '" + value + "'";
                return false;
            }
            return true;
        };
        long long n = 0;

        if (name == "--help" || name == "-h") {
            m_bHelp = true;
            return true;
        } else if (name == "--headless") {
            if (!flag())
                return false;
            m_config.headless = true;
        } else if (name == "--fullscreen") {
            if (!flag())
                return false;
            m_config.fullscreen = true;
        } else if (name == "--nosound") {
            if (!flag())
                return false;
            m_config.sound = false;
        } else if (name == "--stats") {
            if (!flag())
                return false;
            m_bStats = true;
        } else if (name == "--frames") {
            if (!number(0, 100000000, &n))
                return false;
            m_config.frames = static_cast<int>(n);
        } else if (name == "--dt") {
            if (!number(0, 3600000, &n))
                return false;
            m_config.dtMs = static_cast<uint32_t>(n);
        } else if (name == "--scale") {
            if (!number(1, 16, &n))
                return false;
            m_config.scale = static_cast<int>(n);
        } else if (name == "--fps") {
            if (!number(0, 1000, &n))
                return false;
            m_config.fps = static_cast<int>(n);
        } else if (name == "--seed") {
            if (!number(0, 0xFFFFFFFFLL, &n))
                return false;
            m_bSeed = true;
            m_dwSeed = static_cast<uint32_t>(n);
        } else if (name == "--keys") {
            if (!take())
                return false;
            std::string script = value;
            if (!script.empty() && script[0] == '@') {
                if (!ReadFile(script.substr(1), &script)) {
                    *error = "--keys: cannot read " + value.substr(1);
                    return false;
                }
            }
            std::string problem;
            if (!ParseKeyScript(script, &m_keys, &problem)) {
                *error = "--keys: " + problem;
                return false;
            }
        } else if (name == "--answers") {
            if (!take())
                return false;
            std::string problem;
            if (!ParseAnswers(value, &m_answers, &problem)) {
                *error = "--answers: " + problem;
                return false;
            }
        } else if (name == "--screenshot") {
            if (!take())
                return false;
            if (value.empty()) {
                *error = "--screenshot needs a file name";
                return false;
            }
            m_strScreenshot = value;
        } else if (name == "--levels") {
            if (!take())
                return false;
            if (value.empty()) {
                *error = "--levels needs a folder";
                return false;
            }
            m_strLevelsDir = value;
            if (m_strLevelsDir.back() != '/')
                m_strLevelsDir += '/';
        } else {
            *error = "unknown option " + name;
            return false;
        }
    }

    if (!m_config.headless && (!m_keys.empty() || !m_answers.empty())) {
        *error = "--keys and --answers need --headless";
        return false;
    }
    return true;
}

const char* UsageText() {
    return "Usage: quibbo [options] [words...]\n"
           "Walk the maze, eat every dot, pick up guns and shoot the enemies.\n"
           "Keys: arrows walk and turn; Return (or Left Windows, F23) fires.\n"
           "\n"
           "Window:\n"
           "  --scale N        show the 240x320 screen N times larger (1-16, default 2)\n"
           "  --fullscreen     start in desktop full screen\n"
           "  --fps N          frame cap, 0 for none (default 60)\n"
           "  --nosound        play no sounds\n"
           "\n"
           "Scripted runs:\n"
           "  --headless       run in memory, without a window or sound\n"
           "  --frames N       end normally after N frames (0: no limit)\n"
           "  --dt MS          virtual milliseconds per frame (default 16)\n"
           "  --keys SCRIPT    key events, comma-separated FRAME:EVENT items; EVENT is\n"
           "                   +KEY (down), -KEY (up) or KEY (down, then up); KEY is up,\n"
           "                   down, left, right, fire (Return) or a key code 1-255.\n"
           "                   Events of frame F arrive before frame F runs; frames\n"
           "                   count from 1. --keys @FILE reads the script from FILE.\n"
           "  --answers LIST   answers to the message boxes in order, comma-separated\n"
           "                   ok or cancel; cancel once the list runs out\n"
           "  --screenshot F   at exit, write the last frame shown to F (24-bit BMP)\n"
           "  --stats          at exit, print one line of JSON: frames, level, score,\n"
           "                   lives, shots, dots_left, enemies, x, z, heading, events,\n"
           "                   message_boxes, exit_code\n"
           "  --seed N         seed the pseudo-random generator\n"
           "  --levels DIR     look for the level files QB00.BMP, QB01.BMP, ... in DIR\n"
           "                   instead of the program's folder\n"
           "  --help           show this text\n"
           "\n"
           "Exit status: 0 normal end, 1 start-up failed, 2 bad command line,\n"
           "255 a level could not be loaded.\n";
}
