# What `cmake --install` puts where, and the Debian package `cpack -G DEB`
# makes of it: the two programs, the campaign's levels, the desktop entry,
# the icon in the icon theme's sizes, the AppStream metainfo, the manual
# pages, the copyright file and the Debian changelog.
include(GNUInstallDirs)

set(QUIBBO_APP_ID com.vornack.quibbo)
# AppStream wants the screenshot as a web address; the picture is
# docs/screenshot.png, published with the game.
set(QUIBBO_SCREENSHOT_URL "https://www.vornack.com/quibbo/screenshot.png"
  CACHE STRING "Web address of the screenshot named in the AppStream metainfo")

install(TARGETS quibbo leveltool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Debian keeps games in games/ (/usr/games is on its PATH); the game stays in
# bin/ too, where a player's own install under ~/.local finds it on PATH,
# and games/ holds a link to it.
install(CODE "
  set(games \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games\")
  file(MAKE_DIRECTORY \"\${games}\")
  file(CREATE_LINK ../${CMAKE_INSTALL_BINDIR}/quibbo \"\${games}/quibbo\" SYMBOLIC)
  message(STATUS \"Installing: \${games}/quibbo -> ../${CMAKE_INSTALL_BINDIR}/quibbo\")
")

install(FILES dist/${QUIBBO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The campaign's levels (cmake/Campaign.cmake), where an installed game looks
# for them: share/quibbo/levels/ beside the program's bin/.
if(QUIBBO_CAMPAIGN_LEVELS)
  install(FILES ${QUIBBO_CAMPAIGN_LEVELS} DESTINATION ${CMAKE_INSTALL_DATADIR}/quibbo/levels)
endif()

configure_file(dist/${QUIBBO_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/dist/${QUIBBO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${QUIBBO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icons are written by tools/art/icons.py from the window icon's drawing.
foreach(size 32 48 64 128 256)
  install(FILES dist/icons/${size}x${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${QUIBBO_APP_ID}.png)
endforeach()

# Manual pages: each program's --help, run once it is built, set into its
# page's template by helpman (dist/HelpPage.h).
add_executable(helpman dist/helpman.cpp)
target_include_directories(helpman PRIVATE ${CMAKE_SOURCE_DIR})
set(QUIBBO_MAN_PAGES)
foreach(program quibbo leveltool)
  configure_file(dist/${program}.6.in ${CMAKE_BINARY_DIR}/dist/${program}.6.in @ONLY)
  set(page ${CMAKE_BINARY_DIR}/dist/${program}.6)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DHELPMAN=$<TARGET_FILE:helpman>
            -DTEMPLATE=${CMAKE_BINARY_DIR}/dist/${program}.6.in -DPAGE=${page}
            -P ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${program} helpman ${CMAKE_BINARY_DIR}/dist/${program}.6.in
            ${CMAKE_SOURCE_DIR}/cmake/ManPage.cmake
    COMMENT "Writing the manual page ${program}.6 from ${program} --help"
    VERBATIM)
  list(APPEND QUIBBO_MAN_PAGES ${page})
endforeach()
# Installed gzipped, as man finds them and Debian asks; -n leaves out the
# name and time, so the same page always gives the same bytes.
set(QUIBBO_MAN_PAGES_GZ)
foreach(page ${QUIBBO_MAN_PAGES})
  add_custom_command(OUTPUT ${page}.gz
    COMMAND gzip -9n -c ${page} > ${page}.gz
    DEPENDS ${page}
    COMMENT "Compressing the manual page ${page}")
  list(APPEND QUIBBO_MAN_PAGES_GZ ${page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${QUIBBO_MAN_PAGES} ${QUIBBO_MAN_PAGES_GZ})
install(FILES ${QUIBBO_MAN_PAGES_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The package's papers: who may do what with it, and the one-entry Debian
# changelog every package carries. The date follows SOURCE_DATE_EPOCH when
# set, so a rebuild can give the same package.
set(QUIBBO_MAINTAINER "Quibbo maintainers <maintainers@quibbo.invalid>")
string(TIMESTAMP QUIBBO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(dist/debian/changelog.in ${CMAKE_BINARY_DIR}/dist/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/dist/changelog.Debian
          > ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz
  DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog.Debian)
add_custom_target(package_papers ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz)
install(FILES dist/debian/copyright ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The installed tree and the package, checked from a scratch root.
if(QUIBBO_TESTS)
  add_test(NAME install_tree
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check_install.sh ${CMAKE_BINARY_DIR}
            $<IF:$<BOOL:${QUIBBO_WITH_SDL}>,sdl,headless>)
  # 77: the Debian tools it needs are missing, so there is nothing to check.
  set_tests_properties(install_tree PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quibbo)
set(CPACK_PACKAGE_VENDOR Vornack)
set(CPACK_PACKAGE_CONTACT "${QUIBBO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "first-person 3D maze game with its own software renderer")
# CPack puts the summary on the Description line and indents this below it.
set(CPACK_PACKAGE_DESCRIPTION "You walk a walled maze seen in perspective, eat the dots that stand
in its corridors, pick up guns and shoot the creatures that roam the maze and
chase you. Made for a small handheld screen, it keeps its sharp pixels in a
scalable window or full screen, plays with the keyboard or a gamepad, and
comes with a tool that turns text maps into new levels.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# A Debian revision makes it a package of the game rather than a native
# Debian program, so its changelog is changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# dpkg-shlibdeps (dpkg-dev) reads the libraries the programs link and writes
# the Depends line with the versions they need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
