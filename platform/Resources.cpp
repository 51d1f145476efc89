#include "platform/Resources.h"
#include <cstring>

namespace {
const unsigned long kBmpFileHeaderSize = 14;
} // namespace

bool PlatFindResource(int id, int type, const unsigned char** data, size_t* size) {
    for (const PlatResourceEntry* e = g_resourceTable; e->data; ++e) {
        if (e->id != id || e->type != type)
            continue;
        const unsigned char* p = e->data;
        unsigned long n = e->size;
        if (type == PLAT_RT_BITMAP) {
            // The loaders start at the information header; a file too short
            // to have one is no bitmap.
            if (n <= kBmpFileHeaderSize || p[0] != 'B' || p[1] != 'M')
                return false;
            p += kBmpFileHeaderSize;
            n -= kBmpFileHeaderSize;
        }
        if (data)
            *data = p;
        if (size)
            *size = n;
        return true;
    }
    return false;
}

int PlatLoadString(int id, char* buf, int bufSize) {
    if (!buf || bufSize <= 0)
        return 0;
    buf[0] = '\0';
    const unsigned char* text;
    size_t size;
    if (!PlatFindResource(id, PLAT_RT_STRING, &text, &size))
        return 0;
    // Truncated like the device does: the buffer always ends with a NUL.
    const size_t n =
        size < static_cast<size_t>(bufSize - 1) ? size : static_cast<size_t>(bufSize - 1);
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    return static_cast<int>(n);
}
