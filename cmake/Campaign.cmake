# The campaign: every text map levels/QBnn.txt becomes the level file
# QBnn.BMP beside the program, made by the level tool just built, so that
# the game in the build folder plays it after the built-in first level.
# Level files are never committed; they are made again whenever a map or
# the tool changes. With no maps (or no levels/ at all) nothing is made.
#
# QUIBBO_CAMPAIGN_DIR: the folder of the maps (a test may name another).
set(QUIBBO_CAMPAIGN_DIR ${CMAKE_SOURCE_DIR}/levels CACHE PATH
  "Folder of the campaign's text maps QB01.txt, QB02.txt, ...")
file(GLOB QUIBBO_CAMPAIGN_MAPS CONFIGURE_DEPENDS ${QUIBBO_CAMPAIGN_DIR}/QB*.txt)
list(FILTER QUIBBO_CAMPAIGN_MAPS INCLUDE REGEX "/QB[0-9][0-9]+\\.txt$")
set(QUIBBO_CAMPAIGN_LEVELS)
set(QUIBBO_HOST_LEVELTOOL "" CACHE FILEPATH
  "For a cross build: a level tool built for this machine, to make the campaign with")
# The browser build's tool is JavaScript: node runs it, on the real files.
set(tool leveltool)
if(EMSCRIPTEN)
  set(tool node --no-experimental-fetch $<TARGET_FILE:leveltool>)
elseif(CMAKE_CROSSCOMPILING AND QUIBBO_HOST_LEVELTOOL)
  # The same maps make the same bytes with this machine's own tool, which
  # spares a Wine prefix of some 700 MB made only to run the other one.
  set(tool ${QUIBBO_HOST_LEVELTOOL})
elseif(CMAKE_CROSSCOMPILING)
  # A tool built for another system runs under its emulator (Wine for the
  # Windows build: cmake/mingw-w64.cmake).
  if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "Making the campaign's levels needs a way to run ${CMAKE_SYSTEM_NAME} programs here (for Windows: apt-get install wine wine64)")
  endif()
  set(tool ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:leveltool>)
endif()
foreach(map ${QUIBBO_CAMPAIGN_MAPS})
  get_filename_component(name ${map} NAME_WE)
  set(level ${CMAKE_BINARY_DIR}/${name}.BMP)
  # The tool writes the file before it weighs it: a level the game rejects
  # must not stay behind looking up to date, so it is made under another
  # name and only takes its own once the tool accepts it.
  add_custom_command(OUTPUT ${level}
    COMMAND ${tool} make ${map} ${level}.part
    COMMAND ${CMAKE_COMMAND} -E rename ${level}.part ${level}
    DEPENDS leveltool ${map}
    COMMENT "Making the level ${name}.BMP from levels/${name}.txt"
    VERBATIM)
  list(APPEND QUIBBO_CAMPAIGN_LEVELS ${level})
  if(EMSCRIPTEN)
    # The page's game finds them where the desktop's would, beside it: in
    # the folder it starts in. (Not the game under node, which sees the
    # real files instead of its own.)
    target_link_options(quibbo PRIVATE "SHELL:--embed-file ${level}@/${name}.BMP")
  endif()
endforeach()
add_custom_target(campaign DEPENDS ${QUIBBO_CAMPAIGN_LEVELS})
add_dependencies(quibbo campaign)
if(EMSCRIPTEN)
  set_property(TARGET quibbo APPEND PROPERTY LINK_DEPENDS ${QUIBBO_CAMPAIGN_LEVELS})
endif()
