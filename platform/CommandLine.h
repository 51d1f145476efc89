// Command-line options: a small table of named options that main() fills,
// with the platform's own set ready-made. Words that are not options make
// up the command line the game sees.
#pragma once
#include "platform/Platform.h"
#include <cstdint>
#include <string>
#include <vector>

class CCommandLine {
public:
    enum Result { PARSE_OK, PARSE_HELP, PARSE_ERROR };

    // "--name" sets *target to value.
    void AddSwitch(const char* name, const char* help, bool* target, bool value = true);
    // "--name N" or "--name=N"; min <= N <= max, read by ParseInteger.
    void AddInt(const char* name, const char* argName, const char* help, int* target, int min,
                int max);
    void AddUInt(const char* name, const char* argName, const char* help, uint32_t* target,
                 uint32_t min, uint32_t max);
    // "--name TEXT" or "--name=TEXT"; the text must not be empty.
    void AddString(const char* name, const char* argName, const char* help, std::string* target);
    // The same, but each time it is given the text is appended to *target:
    // an option that may be repeated.
    void AddList(const char* name, const char* argName, const char* help,
                 std::vector<std::string>* target);

    // --headless, --frames N, --dt MS, --screenshot FILE, --scale N,
    // --fullscreen, --fps N, --nosound.
    void AddPlatformOptions(PlatConfig* config, std::string* screenshotPath);

    // PARSE_HELP when --help is given. PARSE_ERROR, with m_strError set,
    // for an unknown option or a bad value. "--" ends the options.
    Result Parse(int argc, const char* const* argv);
    // The option list, one line each, for --help.
    std::string Usage(const char* program) const;
    // What a bad number for option `name` is told, in one line; options read
    // after Parse (such as a seed kept as text) say it the same way.
    static std::string NumberError(const std::string& name, int64_t min, int64_t max,
                                   const std::string& text);

    std::string m_strRest; // the words that are not options, joined by single spaces
    std::string m_strError;

private:
    enum Kind { KIND_SWITCH, KIND_INT, KIND_UINT, KIND_STRING, KIND_LIST };
    struct Option {
        std::string name;
        std::string argName;
        std::string help;
        Kind kind;
        void* target;
        bool value;
        int64_t min;
        int64_t max;
    };
    bool Apply(const Option& option, const char* text);
    std::vector<Option> m_options;
};
