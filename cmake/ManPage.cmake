# Build step: a manual page from the program's own --help and the page's
# template, so the options on the page are always the program's.
# cmake -DPROGRAM=... -DHELPMAN=... -DTEMPLATE=... -DPAGE=... -P ManPage.cmake
execute_process(COMMAND ${PROGRAM} --help
  OUTPUT_FILE ${PAGE}.help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help ended with ${status}")
endif()
execute_process(COMMAND ${HELPMAN} ${TEMPLATE} ${PAGE}.help ${PAGE} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "helpman could not write ${PAGE}")
endif()
