// Windows' side of platform/SystemFiles.h. Built into the core of the
// Windows build (every program there reads and replaces files), not into
// the backend's library.
#include "platform/Files.h"
#include "platform/SystemFiles.h"
#include <algorithm>
#include <cstdlib>
#define WIN32_LEAN_AND_MEAN
#include <direct.h>
#include <windows.h>

int PlatMakeOneFolder(const std::string& path) {
    // "C:" is no folder to make.
    if (path.size() == 2 && path[1] == ':')
        return 0;
    return _mkdir(path.c_str());
}

std::string PlatProgramPath() {
    char path[4096];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path - 1);
    if (n == 0 || n >= sizeof path - 1) // else possibly cut short
        return "";
    std::string program(path, n);
    std::replace(program.begin(), program.end(), '\\', '/');
    return program;
}

std::string PlatAbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    std::string path = value ? value : "";
    // The game's paths part folders with '/', which Windows takes too.
    std::replace(path.begin(), path.end(), '\\', '/');
    return path.size() >= 3 && path[1] == ':' && path[2] == '/' ? path : "";
}

std::string PlatUserConfigFolder() {
    // Settings roam with the player's profile; the rest of the game's own
    // files stay on the machine (%LOCALAPPDATA%).
    const std::string roaming = PlatAbsoluteEnv("APPDATA");
    return roaming.empty() ? "" : roaming + (roaming.back() == '/' ? "" : "/") + "Quibbo/";
}

bool PlatRenameOver(const std::string& from, const std::string& to, std::string* error) {
    // A plain rename onto a file that exists fails on Windows.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    *error = "Windows error " + std::to_string(GetLastError());
    return false;
}
