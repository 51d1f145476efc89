#include "platform/Files.h"
#include "platform/SystemFiles.h"
#include "platform/WholeFile.h"
#include <cerrno>
#include <chrono>
#ifndef _WIN32
#include <csignal>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const size_t kMaxUserDirsBytes = 64 * 1024;

bool IsFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

// The pictures folder the desktop names, or "": the variable itself, else
// its line in user-dirs.dirs, XDG_PICTURES_DIR="$HOME/Pictures".
std::string PicturesFolder() {
#ifdef _WIN32
    const std::string profile = PlatAbsoluteEnv("USERPROFILE");
    return profile.empty() ? "" : WithSlash(profile) + "Pictures";
#endif
    std::string folder = PlatAbsoluteEnv("XDG_PICTURES_DIR");
    if (!folder.empty())
        return folder;
    const std::string home = PlatAbsoluteEnv("HOME");
    std::string config = PlatAbsoluteEnv("XDG_CONFIG_HOME");
    if (config.empty() && !home.empty())
        config = home + "/.config";
    if (config.empty())
        return "";
    // A settings file of a few lines: anything else there (a link to a
    // device, a FIFO, something huge) counts as no file rather than
    // freezing the game when a screenshot is taken.
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile((config + "/user-dirs.dirs").c_str(), kMaxUserDirsBytes, &bytes, nullptr,
                       true))
        return "";
    std::istringstream dirs(std::string(bytes.begin(), bytes.end()));
    const std::string key = "XDG_PICTURES_DIR=\"";
    for (std::string line; std::getline(dirs, line);) {
        if (line.compare(0, key.size(), key) != 0 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.compare(0, 5, "$HOME") == 0) {
            if (home.empty())
                return "";
            value = home + value.substr(5);
        }
        return value[0] == '/' ? value : "";
    }
    return "";
}

} // namespace

bool PlatGetFileSize(const char* path, uint64_t* size) {
    struct stat st;
    if (!path || stat(path, &st) != 0 || !S_ISREG(st.st_mode) || access(path, R_OK) != 0)
        return false;
    if (size)
        *size = static_cast<uint64_t>(st.st_size);
    return true;
}

const char* PlatGetProgramFolder() {
    static std::string folder;
    static bool known = false;
    if (!known) {
        known = true;
        const std::string exe = PlatProgramPath();
        const size_t slash = exe.rfind('/');
        if (slash != std::string::npos)
            folder = exe.substr(0, slash + 1);
    }
    return folder.c_str();
}

std::string PlatUserDataFolder() {
#ifdef _WIN32
    const std::string local = PlatAbsoluteEnv("LOCALAPPDATA");
    return local.empty() ? "" : WithSlash(local) + "Quibbo/";
#endif
    const std::string data = PlatAbsoluteEnv("XDG_DATA_HOME");
    if (!data.empty())
        return WithSlash(data) + "quibbo/";
    const std::string home = PlatAbsoluteEnv("HOME");
    return home.empty() ? "" : WithSlash(home) + ".local/share/quibbo/";
}

std::string PlatSharedDataFolder(const std::string& program) {
    if (program.empty())
        return "";
    // Spelled without the "..", so that a message naming it reads plainly.
    return (std::filesystem::path(program) / "../share/quibbo/").lexically_normal().string();
}

bool PlatMakeFolders(const std::string& folder) {
    if (folder.empty())
        return false;
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (PlatMakeOneFolder(part) != 0 && errno != EEXIST)
            return false;
    }
    if (PlatMakeOneFolder(folder) != 0 && errno != EEXIST)
        return false;
    return IsFolder(folder);
}

std::string PlatScreenshotFolder() {
    const std::string pictures = PicturesFolder();
    std::string folder;
    if (IsFolder(pictures))
        folder = WithSlash(pictures) + "Quibbo/";
    else if (!PlatUserDataFolder().empty())
        folder = PlatUserDataFolder() + "screenshots/";
    return PlatMakeFolders(folder) ? folder : "";
}

// A Windows player knows the environment's names, not the XDG ones; the zip
// puts the campaign beside the program, so there is no share/ to name.
#ifdef _WIN32
const char* PlatUserDataFolderHelp() {
    return "%LOCALAPPDATA%\\Quibbo\\.\n";
}
const char* PlatScreenshotFolderHelp() {
    return "folder, or else in %LOCALAPPDATA%\\Quibbo\\screenshots\\.\n";
}
const char* PlatLevelFoldersHelp() {
    return "Levels: QB00.BMP, QB01.BMP, ... from the first folder that holds QB00.BMP\n"
           "or QB01.BMP: the program's own, where the campaign comes, then\n"
           "%LOCALAPPDATA%\\Quibbo\\levels\\; --levels overrides them.\n";
}
const char* PlatSettingsFolderHelp() {
    return "%APPDATA%\\Quibbo\\";
}
#else
const char* PlatUserDataFolderHelp() {
    return "~/.local/share/quibbo/ ($XDG_DATA_HOME/quibbo/).\n";
}
const char* PlatScreenshotFolderHelp() {
    return "folder, or else in ~/.local/share/quibbo/screenshots/.\n";
}
const char* PlatLevelFoldersHelp() {
    return "Levels: QB00.BMP, QB01.BMP, ... from the first folder that holds QB00.BMP\n"
           "or QB01.BMP: the program's own, then ~/.local/share/quibbo/levels/\n"
           "($XDG_DATA_HOME/quibbo/levels/), then the installed campaign in\n"
           "share/quibbo/levels/ beside the program's bin/; --levels overrides them.\n";
}
const char* PlatSettingsFolderHelp() {
    return "~/.config/quibbo/ ($XDG_CONFIG_HOME/quibbo/)";
}
#endif

std::string PlatPrintablePath(const std::string& path) {
    std::string shown;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            shown += "\\n";
        else if (c == '\t')
            shown += "\\t";
        else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        } else
            shown += c;
    }
    return shown;
}

namespace {

// The file a replacement is written to first: beside its target, so the
// rename stays within one file system, and named for this process.
std::string ReplacementPath(const std::string& path) {
    return path + ".part-" + std::to_string(static_cast<long>(getpid()));
}

bool Fail(std::string* why, const std::string& line) {
    if (why)
        *why = line;
    return false;
}

// Creates the replacement and writes `bytes` into it; errno's words on
// failure, with the file removed.
bool WriteReplacement(const std::string& temp, const std::vector<uint8_t>& bytes,
                      std::string* error) {
    errno = 0;
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file) {
        *error = std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int err = ok ? 0 : errno;
    if (std::fflush(file) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        std::remove(temp.c_str());
        *error = std::strerror(err ? err : EIO);
    }
    return ok;
}

} // namespace

bool PlatCanReplaceFile(const std::string& path, std::string* why) {
    const std::string shown = PlatPrintablePath(path);
    if (path.empty())
        return Fail(why, "no file is named");
    std::error_code ignored;
    const auto status = std::filesystem::status(path, ignored);
    const char last = path.back();
    if (last == '/' || last == '\\' ||
        (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)))
        return Fail(why, shown + " is not a regular file");
    const std::string temp = ReplacementPath(path);
    std::string error;
    if (!WriteReplacement(temp, {}, &error))
        return Fail(why, "cannot write beside " + shown + ": " + error);
    std::remove(temp.c_str());
    return true;
}

bool PlatReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* why) {
    if (!PlatCanReplaceFile(path, why))
        return false;
    const std::string shown = PlatPrintablePath(path);
    const std::string temp = ReplacementPath(path);
    std::string error;
    if (!WriteReplacement(temp, bytes, &error))
        return Fail(why, "cannot write " + shown + ": " + error);
    if (!PlatRenameOver(temp, path, &error)) {
        std::remove(temp.c_str());
        return Fail(why, "cannot replace " + shown + ": " + error);
    }
    return true;
}

std::string PlatScratchFolderName(const std::string& prefix) {
    std::error_code failure;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(failure);
    if (failure)
        return "";
#ifndef _WIN32
    for (const auto& entry : std::filesystem::directory_iterator(temp, failure)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) != 0 || name.find('-', prefix.size()) == std::string::npos)
            continue;
        const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), failure);
    }
#endif
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return (temp /
            (prefix + std::to_string(static_cast<long>(getpid())) + "-" + std::to_string(stamp)))
               .string() +
           "/";
}
