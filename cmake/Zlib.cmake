# zlib's raw deflate (platform/zlib), for link codes and run files: the level
# tool, the tests and the fuzzers make and read codes with it, and the
# game's run files (quibbo_runio) deflate with it. The browser build has no
# zlib (the page has its own compression streams): there quibbo_zlib is not
# made, the level tool is built without it and says so when asked for a
# link, and the game is handed bare run bodies.
if(NOT EMSCRIPTEN)
  if(WIN32)
    # Windows has no zlib1.dll of its own and the zip ships none: zlib goes
    # into the programs (the import library would otherwise be picked).
    set(ZLIB_USE_STATIC_LIBS ON)
  endif()
  find_package(ZLIB REQUIRED)
  add_library(quibbo_zlib STATIC ${CMAKE_SOURCE_DIR}/platform/zlib/RawDeflate.cpp)
  target_include_directories(quibbo_zlib PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(quibbo_zlib PUBLIC quibbo_core ZLIB::ZLIB)
endif()
