# zlib's raw deflate for link codes (platform/zlib) and run files
# (app/RunFileIo): the game writes and reads runs with it, the level tool,
# the tests and the fuzzers make and read codes with it. The browser build
# has no zlib (the page has its own compression streams): there the level
# tool is built without it and says so when asked for a link, and the game
# is handed bare run bodies.
if(NOT EMSCRIPTEN)
  if(WIN32)
    # Windows has no zlib1.dll of its own and the zip ships none: zlib goes
    # into the programs (the import library would otherwise be picked).
    set(ZLIB_USE_STATIC_LIBS ON)
  endif()
  find_package(ZLIB REQUIRED)
  add_library(quibbo_zlib STATIC ${CMAKE_SOURCE_DIR}/platform/zlib/RawDeflate.cpp
              ${CMAKE_SOURCE_DIR}/app/RunFileIo.cpp)
  target_include_directories(quibbo_zlib PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(quibbo_zlib PUBLIC quibbo_core ZLIB::ZLIB)
  target_link_libraries(leveltool PRIVATE quibbo_zlib)
  target_compile_definitions(leveltool PRIVATE QUIBBO_WITH_ZLIB=1)
  target_link_libraries(quibbo PRIVATE quibbo_zlib)
  target_compile_definitions(quibbo PRIVATE QUIBBO_WITH_ZLIB=1)
endif()
