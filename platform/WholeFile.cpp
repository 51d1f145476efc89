#include "platform/WholeFile.h"
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
// Windows opens files as text unless told otherwise, and has neither
// close-on-exec nor FIFOs to keep from blocking.
#define O_CLOEXEC O_BINARY
#define O_NONBLOCK 0
#endif

namespace {

bool Refuse(std::string* error, const std::string& why) {
    if (error)
        *error = why;
    return false;
}

// Reads `fd` to its end in pieces up to the cap rather than trusting a
// reported length, so a file that changes while it is read cannot overrun
// anything.
bool ReadAll(int fd, const char* path, size_t maxBytes, std::vector<uint8_t>* bytes,
             std::string* error) {
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Refuse(error, std::string("cannot read ") + path);
        if (got == 0)
            return true;
        if (static_cast<size_t>(got) > maxBytes - bytes->size())
            return Refuse(error, std::string(path) + " is larger than " +
                                     std::to_string(maxBytes) + " bytes");
        bytes->insert(bytes->end(), chunk, chunk + got);
    }
}

} // namespace

bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error, bool regularOnly) {
    bytes->clear();
    if (!path)
        return Refuse(error, "cannot open (no path)");
    // Opening a FIFO waits for a writer unless told not to.
    const int fd = open(path, O_RDONLY | O_CLOEXEC | (regularOnly ? O_NONBLOCK : 0));
    if (fd < 0)
        return Refuse(error, std::string("cannot open ") + path);
    struct stat st;
    bool ok = fstat(fd, &st) == 0;
    if (!ok)
        Refuse(error, std::string("cannot read ") + path);
    else if (regularOnly && !S_ISREG(st.st_mode))
        ok = Refuse(error, std::string(path) + " is not a regular file");
    else if (S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) > maxBytes)
        ok = Refuse(error, std::string(path) + " is larger than " + std::to_string(maxBytes) +
                               " bytes");
    else
        ok = ReadAll(fd, path, maxBytes, bytes, error);
    close(fd);
    if (!ok)
        std::vector<uint8_t>().swap(*bytes);
    return ok;
}
