#include "platform/Files.h"
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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
        char path[4096];
        const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        if (n > 0 && n < static_cast<ssize_t>(sizeof path - 1)) { // else possibly cut short
            const std::string exe(path, static_cast<size_t>(n));
            const size_t slash = exe.rfind('/');
            if (slash != std::string::npos)
                folder = exe.substr(0, slash + 1);
        }
    }
    return folder.c_str();
}
