// Choosing and starting a backend. main() fills a PlatConfig from the command
// line, picks the maker of the backend it wants, starts the platform, runs the
// application object and shuts down.
#pragma once
#include "platform/Wave.h"
#include <cstdint>
#include <string>
#include <vector>

class CBackend;

// One key event of a headless script: delivered, in order with the others of
// its frame, just before idle pass `frame` (counted from 1) runs.
struct PlatScriptedKey {
    int frame;
    uint32_t message; // WM_KEYDOWN or WM_KEYUP
    uint32_t vk;
    int32_t lParam;
};

struct PlatConfig {
    bool headless = false;
    uint32_t dtMs = 16;      // headless: virtual milliseconds per idle pass
    int frames = 0;          // end normally after this many idle passes (0 = no limit)
    int scale = 2;           // window: starting scale of the device screen
    bool fullscreen = false; // window: start in desktop full screen
    int fps = 60;            // window: frame cap, 0 = uncapped
    bool sound = true;
    int volume = kMaxVolume;           // the waves' loudness, 0 (silent) to kMaxVolume
    std::vector<PlatScriptedKey> keys; // headless: the key script
    std::vector<int32_t> answers;      // headless: IDOK/IDCANCEL for OK + Cancel boxes, in turn
};

// Makes the backend a program chose for `config`; null, after one clear line
// on standard error, when it cannot run (for example no display: the line
// names --headless). Each backend's folder offers one.
typedef CBackend* (*PlatBackendMaker)(const PlatConfig& config);

// Starts the backend `make` gives for `config`, with the window system and
// the display state fresh and the frame limit set. False when it gives none.
bool PlatStartup(const PlatConfig& config, PlatBackendMaker make);
void PlatShutdown();
bool PlatIsHeadless();

// Writes the last presented frame as a 24-bit BMP. False when nothing has
// been presented yet or the file cannot be written.
bool PlatSaveScreenshot(const char* path);

// Writes the last presented frame as a 24-bit BMP under the first free name
// of quibbo-001.bmp, quibbo-002.bmp, ... in `folder` ("" for the current
// folder, else ending with '/'); a name that exists is never overwritten.
// True with the name written (folder included) in *path; false when nothing
// has been presented, every name up to quibbo-9999.bmp is taken, or the file
// cannot be written.
bool PlatSaveNumberedScreenshot(const std::string& folder, std::string* path);

// The screenshot key's service, the same on every device: writes the last
// presented frame under the first free name in `folder`
// (PlatSaveNumberedScreenshot; "" stands for a folder that could not be
// made) and says what came of it in one line on standard error, after
// "quibbo: ". Gives that line without the program's name, for a device that
// also shows it (a title bar), and the file written in *path, in full, or
// "" when none was.
std::string PlatTakeScreenshot(const std::string& folder, std::string* path = nullptr);
