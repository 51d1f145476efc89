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
// The page size, for memory figures read from /proc (which Windows has not:
// they come out 0 there). 4 KB on every 64-bit Windows.
#define _SC_PAGESIZE 30
inline long sysconf(int /*name*/) {
    return 4096;
}
// Folders have no permission bits on Windows: io.h's mkdir takes none.
inline int mkdir(const char* path, int /*mode*/) {
    return ::mkdir(path);
}
#endif
