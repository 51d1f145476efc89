// The text the game and its level tool read from people: text maps of
// levels, key scripts, message-box answers and whole command lines. The
// first byte picks which (byte % 4); the rest is the text.
//
// What is read must come back: a map printed and read again is the same
// grid, and so is the level bitmap made from it. What is refused is refused
// with a reason, leaving the caller's list as it was.
#include "FuzzSupport.h"
#include "app/Options.h"
#include "platform/PlatformTypes.h"
#include "scene/LevelText.h"
#include <string>
#include <vector>

namespace {

// A refusal names its problem. (It may quote the text it refuses, line ends
// included, so it is not always one line.)
bool SaysWhy(const std::string& text) {
    return !text.empty();
}

void LevelTextRoundTrip(const std::string& text) {
    LevelGrid grid;
    std::string error;
    if (!ParseLevelText(text, &grid, &error)) {
        FUZZ_CHECK(SaysWhy(error), "a refused map says why");
        return;
    }
    FUZZ_CHECK(grid.cells.size() == size_t(grid.width) * size_t(grid.height),
               "a map gives a whole grid");
    std::string printed;
    if (!FormatLevelText(grid, &printed, &error)) {
        FUZZ_CHECK(SaysWhy(error), "a grid that cannot be printed says why");
        return;
    }
    LevelGrid again;
    FUZZ_CHECK(ParseLevelText(printed, &again, &error), "a printed map reads back");
    FUZZ_CHECK(again.width == grid.width && again.height == grid.height &&
                   again.cells == grid.cells,
               "a printed map reads back as the same grid");
    if (grid.width == 0 || grid.height == 0)
        return;
    LevelGrid fromBitmap;
    const std::vector<uint8_t> dib = MakeLevelBitmap(grid, false);
    FUZZ_CHECK(ReadLevelDib(dib.data(), dib.size(), &fromBitmap, &error),
               "the level bitmap of a map reads");
    FUZZ_CHECK(fromBitmap.cells == grid.cells, "the level bitmap holds the map's cells");
    // The minimap colours survive printing and the bitmap: what the level
    // tool shows of a level makes the same file again.
    FUZZ_CHECK(MakeLevelBitmap(again, false) == dib,
               "a printed map makes the same level bitmap, colours included");
    FUZZ_CHECK(MakeLevelBitmap(fromBitmap, false) == dib,
               "a level bitmap read back makes the same bitmap again");
}

void KeyScript(const std::string& text) {
    const KeyScriptEvent sentinel = {7, WM_KEYUP, 42};
    std::vector<KeyScriptEvent> events = {sentinel};
    std::string error;
    if (!ParseKeyScript(text, &events, &error)) {
        FUZZ_CHECK(SaysWhy(error), "a refused script says why");
        FUZZ_CHECK(events.size() == 1 && events[0].frame == 7 && events[0].vk == 42,
                   "a refused script adds nothing");
        return;
    }
    for (size_t i = 1; i < events.size(); ++i)
        FUZZ_CHECK(events[i].frame >= 1 &&
                       (events[i].message == WM_KEYDOWN || events[i].message == WM_KEYUP) &&
                       events[i].vk >= 1 && events[i].vk <= 255,
                   "a script's events have a frame, a key message and a key code");
}

void Answers(const std::string& text) {
    std::vector<int32_t> answers = {IDOK};
    std::string error;
    if (!ParseAnswers(text, &answers, &error)) {
        FUZZ_CHECK(SaysWhy(error), "refused answers say why");
        FUZZ_CHECK(answers.size() == 1, "refused answers add nothing");
        return;
    }
    for (int32_t answer : answers)
        FUZZ_CHECK(answer == IDOK || answer == IDCANCEL || answer == IDYES || answer == IDNO,
                   "answers are OK, Cancel, Yes or No");
}

// Arguments separated by NUL or line ends. A --keys @FILE is read like any
// other file.
void CommandLine(const std::string& text) {
    std::vector<std::string> args = {"quibbo"};
    std::string arg;
    for (char c : text) {
        if (c == '\0' || c == '\n') {
            args.push_back(arg);
            arg.clear();
        } else {
            arg += c;
        }
    }
    args.push_back(arg);
    // Devices and the system's own files could block on a read or go on for
    // ever; reading real files is what the option tests cover.
    for (const std::string& a : args)
        if (!a.empty() && a[0] == '@' &&
            (a.find("/dev") != std::string::npos || a.find("/proc") != std::string::npos ||
             a.find("/sys") != std::string::npos))
            return;
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    COptions options;
    std::string error;
    if (!options.Parse(int(argv.size()), argv.data(), &error))
        FUZZ_CHECK(SaysWhy(error), "a bad command line is named");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        LevelTextRoundTrip(text);
        break;
    case 1:
        KeyScript(text);
        break;
    case 2:
        Answers(text);
        break;
    default:
        CommandLine(text);
        break;
    }
    return 0;
}
