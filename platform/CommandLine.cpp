#include "platform/CommandLine.h"
#include "platform/Numbers.h"
#include <cstring>

void CCommandLine::AddSwitch(const char* name, const char* help, bool* target, bool value) {
    m_options.push_back({name, "", help, KIND_SWITCH, target, value, 0, 0});
}

void CCommandLine::AddInt(const char* name, const char* argName, const char* help, int* target,
                          int min, int max) {
    m_options.push_back({name, argName, help, KIND_INT, target, false, min, max});
}

void CCommandLine::AddUInt(const char* name, const char* argName, const char* help,
                           uint32_t* target, uint32_t min, uint32_t max) {
    m_options.push_back({name, argName, help, KIND_UINT, target, false, min, max});
}

void CCommandLine::AddString(const char* name, const char* argName, const char* help,
                             std::string* target) {
    m_options.push_back({name, argName, help, KIND_STRING, target, false, 0, 0});
}

void CCommandLine::AddList(const char* name, const char* argName, const char* help,
                           std::vector<std::string>* target) {
    m_options.push_back({name, argName, help, KIND_LIST, target, false, 0, 0});
}

void CCommandLine::AddPlatformOptions(PlatConfig* config, std::string* screenshotPath) {
    AddSwitch("--headless", "run without a window: in-memory screen, virtual clock",
              &config->headless);
    AddInt("--frames", "N", "stop after N idle passes (0: no limit)", &config->frames, 0,
           0x7FFFFFFF);
    AddUInt("--dt", "MS", "headless: virtual milliseconds per idle pass (default 16)",
            &config->dtMs, 0, 60000);
    AddString("--screenshot", "FILE", "at the end, write the last frame shown as a BMP",
              screenshotPath);
    AddInt("--scale", "N", "window: N times the screen's size, if it fits (default 2)",
           &config->scale, 1, 16);
    AddSwitch("--fullscreen", "window: start full screen (F11 or Alt+Enter toggles)",
              &config->fullscreen);
    AddInt("--fps", "N", "window: at most N frames a second, 0 = no cap (default 60)", &config->fps,
           0, 1000);
    AddSwitch("--nosound", "start with the sound off (M turns it on)", &config->sound, false);
}

bool CCommandLine::Apply(const Option& option, const char* text) {
    if (option.kind == KIND_STRING || option.kind == KIND_LIST) {
        if (!*text) {
            m_strError = option.name + " needs a non-empty " + option.argName;
            return false;
        }
        if (option.kind == KIND_LIST)
            static_cast<std::vector<std::string>*>(option.target)->push_back(text);
        else
            *static_cast<std::string*>(option.target) = text;
        return true;
    }
    int64_t value = 0;
    if (!ParseInteger(text, option.min, option.max, &value)) {
        m_strError = NumberError(option.name, option.min, option.max, text);
        return false;
    }
    if (option.kind == KIND_INT)
        *static_cast<int*>(option.target) = static_cast<int>(value);
    else
        *static_cast<uint32_t*>(option.target) = static_cast<uint32_t>(value);
    return true;
}

std::string CCommandLine::NumberError(const std::string& name, int64_t min, int64_t max,
                                      const std::string& text) {
    return name + " needs a whole number from " + std::to_string(min) + " to " +
           std::to_string(max) + ", not \"" + text + "\"";
}

CCommandLine::Result CCommandLine::Parse(int argc, const char* const* argv) {
    m_strRest.clear();
    m_strError.clear();
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (optionsEnded || arg[0] != '-' || arg[1] == '\0') {
            if (!m_strRest.empty())
                m_strRest += ' ';
            m_strRest += arg;
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
            return PARSE_HELP;

        const char* equals = std::strchr(arg, '=');
        const std::string name = equals ? std::string(arg, equals) : std::string(arg);
        const Option* found = nullptr;
        for (const Option& option : m_options) {
            if (option.name == name)
                found = &option;
        }
        if (!found) {
            m_strError = "unknown option " + name;
            return PARSE_ERROR;
        }
        if (found->kind == KIND_SWITCH) {
            if (equals) {
                m_strError = name + " takes no value";
                return PARSE_ERROR;
            }
            *static_cast<bool*>(found->target) = found->value;
            continue;
        }
        const char* value = equals ? equals + 1 : nullptr;
        if (!value) {
            if (i + 1 >= argc) {
                m_strError = name + " needs " + found->argName;
                return PARSE_ERROR;
            }
            value = argv[++i];
        }
        if (!Apply(*found, value))
            return PARSE_ERROR;
    }
    return PARSE_OK;
}

std::string CCommandLine::Usage(const char* program) const {
    std::string text = std::string("Usage: ") + (program ? program : "quibbo") +
                       " [options] [words for the game]\nOptions:\n";
    std::vector<std::string> left;
    size_t width = std::strlen("--help");
    left.push_back("--help");
    for (const Option& option : m_options) {
        left.push_back(option.argName.empty() ? option.name : option.name + " " + option.argName);
        if (left.back().size() > width)
            width = left.back().size();
    }
    for (size_t i = 0; i < left.size(); ++i) {
        const std::string& help =
            i == 0 ? std::string("show this help and exit") : m_options[i - 1].help;
        text += "  " + left[i] + std::string(width + 2 - left[i].size(), ' ') + help + "\n";
    }
    return text;
}
