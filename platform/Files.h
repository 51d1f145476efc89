// Files: the file-status query and the program's folder.
#pragma once
#include <cstdint>

// True with the file's size when `path` names a readable regular file.
bool PlatGetFileSize(const char* path, uint64_t* size);
// The executable's folder, ending with '/', or "" when it is unknown.
const char* PlatGetProgramFolder();
