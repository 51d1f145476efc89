// The few POSIX calls the tests use to set up their files and environment,
// for the Windows build of the tests (included before every test source by
// tests/CMakeLists.txt). The game itself needs none of them.
#pragma once
#ifdef _WIN32
#define _USE_MATH_DEFINES // M_PI, which strict C++ hides
#include <cstdlib>
#include <io.h>
#include <process.h>
#include <string>
#include <sys/stat.h>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name))
        return 0;
    return _putenv_s(name, value);
}
inline int unsetenv(const char* name) {
    return _putenv_s(name, "");
}
// Folders have no permission bits on Windows: io.h's mkdir takes none.
inline int mkdir(const char* path, int /*mode*/) {
    return ::mkdir(path);
}
#endif
