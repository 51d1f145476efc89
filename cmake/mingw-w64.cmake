# Cross-building for 64-bit Windows with Debian's mingw-w64 (./win.sh).
# The -posix compiler's C++ library has std::thread and std::mutex; the
# runtime is linked in whole, so quibbo.exe needs no DLL but Windows' own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUIBBO_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_CXX_COMPILER ${QUIBBO_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_C_COMPILER ${QUIBBO_MINGW_TRIPLE}-gcc-posix)
find_program(CMAKE_RC_COMPILER ${QUIBBO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUIBBO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Programs built here run under Wine on the build machine (the campaign's
# level tool, the tests), in a Wine prefix of the build's own rather than
# the user's ~/.wine.
find_program(QUIBBO_WINE NAMES wine PATHS /usr/bin NO_CMAKE_FIND_ROOT_PATH)
if(QUIBBO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine
    WINEDEBUG=-all ${QUIBBO_WINE})
  # Tests are listed when ctest runs, not while building.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
