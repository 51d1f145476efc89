# zlib's raw deflate for link codes (platform/zlib): the level tool, the
# tests and the fuzzers make and read codes with it. The browser build has no
# zlib (the page has its own compression streams): there the level tool is
# built without it and says so when asked for a link.
if(NOT EMSCRIPTEN)
  find_package(ZLIB REQUIRED)
  add_library(quibbo_zlib STATIC ${CMAKE_SOURCE_DIR}/platform/zlib/RawDeflate.cpp)
  target_include_directories(quibbo_zlib PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(quibbo_zlib PUBLIC quibbo_core ZLIB::ZLIB)
  target_link_libraries(leveltool PRIVATE quibbo_zlib)
  target_compile_definitions(leveltool PRIVATE QUIBBO_WITH_ZLIB=1)
endif()
