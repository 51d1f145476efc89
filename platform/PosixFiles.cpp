// The POSIX side of platform/SystemFiles.h; Windows has its own
// (platform/win32/Win32Files.cpp).
#ifndef _WIN32
#include "platform/Files.h"
#include "platform/SystemFiles.h"
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

std::string PlatAbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : "";
}

std::string PlatUserConfigFolder() {
    const std::string config = PlatAbsoluteEnv("XDG_CONFIG_HOME");
    if (!config.empty())
        return config + (config.back() == '/' ? "" : "/") + "quibbo/";
    const std::string home = PlatAbsoluteEnv("HOME");
    return home.empty() ? "" : home + (home.back() == '/' ? "" : "/") + ".config/quibbo/";
}

bool PlatRenameOver(const std::string& from, const std::string& to, std::string* error) {
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    *error = std::strerror(errno);
    return false;
}
#endif
