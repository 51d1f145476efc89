#include "platform/WholeFile.h"
#include <cstdio>

bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error) {
    bytes->clear();
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        if (error)
            *error = std::string("cannot open ") + (path ? path : "(no path)");
        return false;
    }
    // Read in pieces up to the cap rather than trusting a reported length,
    // so a file that changes while it is read cannot overrun anything.
    bool ok = true;
    uint8_t chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got > maxBytes - bytes->size()) {
            ok = false;
            if (error)
                *error =
                    std::string(path) + " is larger than " + std::to_string(maxBytes) + " bytes";
            break;
        }
        bytes->insert(bytes->end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            if (std::ferror(file)) {
                ok = false;
                if (error)
                    *error = std::string("cannot read ") + path;
            }
            break;
        }
    }
    std::fclose(file);
    if (!ok)
        std::vector<uint8_t>().swap(*bytes);
    return ok;
}
