// Resources compiled into the program from res/ (see res/resources.txt).
#pragma once
#include <cstddef>

enum : int {
    PLAT_RT_BITMAP = 2,
    PLAT_RT_ICON = 3,
    PLAT_RT_STRING = 6,
    PLAT_RT_WAVE = 256,
};

struct PlatResourceEntry {
    int id;
    int type;
    const unsigned char* data;
    unsigned long size;
};

// The generated table, ended by an entry with a null data pointer.
extern const PlatResourceEntry g_resourceTable[];

// Finds a resource. Bitmaps come from their information header on (the BMP
// file header is skipped), as the loaders expect; other types come whole.
bool PlatFindResource(int id, int type, const unsigned char** data, size_t* size);
// Copies string resource `id` into buf (always terminated); returns its length,
// or 0 when there is no such string.
int PlatLoadString(int id, char* buf, int bufSize);
