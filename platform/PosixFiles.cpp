// The POSIX side of platform/SystemFiles.h; Windows has its own
// (platform/win32/Win32Files.cpp).
#ifndef _WIN32
#include "platform/SystemFiles.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

int PlatMakeOneFolder(const std::string& path) {
    return mkdir(path.c_str(), 0755);
}

std::string PlatProgramPath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof path - 1)) // else possibly cut short
        return "";
    return std::string(path, static_cast<size_t>(n));
}

std::string PlatLocalAppDataFolder() {
    return "";
}

bool PlatRenameOver(const std::string& from, const std::string& to, std::string* error) {
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    *error = std::strerror(errno);
    return false;
}
#endif
