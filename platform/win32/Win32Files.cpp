// Windows' side of platform/SystemFiles.h. Built into the core of the
// Windows build (every program there reads and replaces files), not into
// the backend's library.
#include "platform/SystemFiles.h"
#include <algorithm>
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

std::string PlatLocalAppDataFolder() {
    char path[4096];
    const DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", path, sizeof path);
    if (n == 0 || n >= sizeof path) // unset, or too long to be read whole
        return "";
    std::string folder(path, n);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    // Only a whole path: a relative one would land wherever the game started.
    return folder.size() >= 3 && folder[1] == ':' && folder[2] == '/' ? folder : "";
}

bool PlatRenameOver(const std::string& from, const std::string& to, std::string* error) {
    // A plain rename onto a file that exists fails on Windows.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    *error = "Windows error " + std::to_string(GetLastError());
    return false;
}
