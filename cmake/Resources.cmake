# Turns the manifest res/resources.txt into generated C++: one source of
# bytes for each file, the table the platform looks resources up in, and the
# header res/ResourceIds.h that gives every id its name.
# A manifest line is "<id> <TYPE> <NAME> <file>" for BITMAP, WAVE and ICON,
# or "<id> STRING <NAME> <text>" where the text is a C string literal with its
# quotes. Names are unique; ids are unique within a type.
set(QUIBBO_RES_DIR ${CMAKE_SOURCE_DIR}/res)
set(QUIBBO_RES_OUT ${CMAKE_BINARY_DIR}/generated/res)
file(MAKE_DIRECTORY ${QUIBBO_RES_OUT})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QUIBBO_RES_DIR}/resources.txt)

file(STRINGS ${QUIBBO_RES_DIR}/resources.txt _res_lines)
set(_decls "")
set(_entries "")
set(_ids "")
set(_names "")
set(_keys "")
set(QUIBBO_RESOURCE_SOURCES "")
foreach(_line IN LISTS _res_lines)
  string(STRIP "${_line}" _line)
  if(_line STREQUAL "" OR _line MATCHES "^#")
    continue()
  endif()
  if(NOT _line MATCHES "^([0-9]+)[ \t]+([A-Z]+)[ \t]+([A-Z][A-Z0-9_]*)[ \t]+(.+)$")
    message(FATAL_ERROR "resources.txt: cannot read line: ${_line}")
  endif()
  set(_id ${CMAKE_MATCH_1})
  set(_type ${CMAKE_MATCH_2})
  set(_name ${CMAKE_MATCH_3})
  set(_arg "${CMAKE_MATCH_4}")
  if(_name IN_LIST _names)
    message(FATAL_ERROR "resources.txt: ${_name} is named twice")
  endif()
  if("${_type}_${_id}" IN_LIST _keys)
    message(FATAL_ERROR "resources.txt: ${_type} ${_id} is listed twice")
  endif()
  list(APPEND _names ${_name})
  list(APPEND _keys "${_type}_${_id}")
  string(APPEND _ids "const int ${_name} = ${_id};\n")
  if(_type STREQUAL "STRING")
    string(APPEND _entries "    {${_name}, PLAT_RT_STRING, reinterpret_cast<const unsigned char*>(${_arg}), sizeof(${_arg}) - 1},\n")
    continue()
  endif()
  if(_type STREQUAL "BITMAP")
    set(_tnum PLAT_RT_BITMAP)
  elseif(_type STREQUAL "WAVE")
    set(_tnum PLAT_RT_WAVE)
  elseif(_type STREQUAL "ICON")
    set(_tnum PLAT_RT_ICON)
  else()
    message(FATAL_ERROR "resources.txt: unknown type ${_type}")
  endif()
  set(_sym "g_res_${_type}_${_id}")
  set(_in ${QUIBBO_RES_DIR}/${_arg})
  set(_out ${QUIBBO_RES_OUT}/${_sym}.cpp)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -DIN=${_in} -DOUT=${_out} -DSYM=${_sym} -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${_in} ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${_arg}" VERBATIM)
  list(APPEND QUIBBO_RESOURCE_SOURCES ${_out})
  string(APPEND _decls "extern const unsigned char ${_sym}[];\nextern const unsigned long ${_sym}_size;\n")
  string(APPEND _entries "    {${_name}, ${_tnum}, ${_sym}, ${_sym}_size},\n")
endforeach()

# file(CONFIGURE) rewrites a file only when its text changes, so editing one
# line of the manifest does not rebuild everything that includes the ids.
file(CONFIGURE OUTPUT ${QUIBBO_RES_OUT}/ResourceIds.h CONTENT
"// Generated from res/resources.txt; do not edit.
// The name of every resource of the program: IDS_ strings, IDI_ the icon,
// IDB_ bitmaps, IDW_ waves.
#pragma once

${_ids}")

set(_table ${QUIBBO_RES_OUT}/ResourceTable.cpp)
file(CONFIGURE OUTPUT ${_table} CONTENT
"// Generated from res/resources.txt; do not edit.
#include \"platform/Resources.h\"
#include \"res/ResourceIds.h\"
${_decls}
const PlatResourceEntry g_resourceTable[] = {
${_entries}    {0, 0, nullptr, 0}
};
")
list(APPEND QUIBBO_RESOURCE_SOURCES ${_table})
