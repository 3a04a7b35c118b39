# What `cmake --install` puts where, and the Debian package CPack makes of it (./quorvath.sh package).
# Included by the top CMakeLists.txt; every path follows GNUInstallDirs, the game's own folder aside.

# Both layouts hold everything below ("common") but the game itself, which each puts in a folder of its own.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME common)
install(TARGETS quorvath-check quorvath-paint quorvath-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The asset tool paints the pictures and makes the tracks of quorvath-check --new's world (the tracks with lame).
install(TARGETS quorvath-assets RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/quorvath)
install(TARGETS quorvath RUNTIME DESTINATION ${QUORVATH_INSTALL_GAMESDIR} COMPONENT tree)
# Only the package asks for these: the game in games/, and why the tools still lie in bin/.
install(TARGETS quorvath RUNTIME DESTINATION ${QUORVATH_PACKAGE_GAMESDIR} COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME quorvath COMPONENT package EXCLUDE_FROM_ALL)

# The demo world: its hand-written data and every picture and track the build made. A save file, the asset
# tool's stamp and half-written pictures of a developer's tree stay out.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/game/media ${CMAKE_SOURCE_DIR}/game/pict ${CMAKE_SOURCE_DIR}/game/lang
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvath/game
  PATTERN ".*" EXCLUDE
  PATTERN "*.part" EXCLUDE
  PATTERN "*~" EXCLUDE)
# The game's own translation catalogues, beside the demo world.
install(FILES ${QUORVATH_GAME_CATALOGUES} DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvath/lang)

# The XML Schemas of the data files, for authors' editors (docs/world-format.md).
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/schemas/ DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvath/schemas
  FILES_MATCHING PATTERN "*.xsd")

configure_file(${CMAKE_CURRENT_LIST_DIR}/app.desktop.in ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.desktop @ONLY)
# The screenshots of docs/screenshots, as the project's repository serves them.
set(QUORVATH_SCREENSHOTS_URL https://raw.githubusercontent.com/quorvath/quorvath/main/docs/screenshots)
configure_file(${CMAKE_CURRENT_LIST_DIR}/app.metainfo.xml.in ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.metainfo.xml
  @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${QUORVATH_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${QUORVATH_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# One man page for each program and the changelog, gzipped as Debian wants them (-n: the same bytes every build).
# The changelog's newest entry is the version being built.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog newestChange LIMIT_COUNT 1)
if(NOT newestChange MATCHES "^quorvath \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "dist/changelog: the newest entry is not version ${PROJECT_VERSION}: ${newestChange}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog ${CMAKE_BINARY_DIR}/dist/changelog COPYONLY)
set(QUORVATH_GZIPPED ${CMAKE_BINARY_DIR}/dist/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/dist/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
foreach(page quorvath.6 quorvath-check.1 quorvath-paint.1 quorvath-sim.1)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/${page}.in ${CMAKE_BINARY_DIR}/dist/${page} @ONLY)
  string(REGEX MATCH "[0-9]$" section ${page})
  list(APPEND QUORVATH_GZIPPED ${CMAKE_BINARY_DIR}/dist/${page}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/dist/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
foreach(gzipped ${QUORVATH_GZIPPED})
  string(REGEX REPLACE "\\.gz$" "" plain ${gzipped})
  add_custom_command(OUTPUT ${gzipped} COMMAND gzip -9nkf ${plain} DEPENDS ${plain} VERBATIM)
endforeach()
add_custom_target(quorvath-docs ALL DEPENDS ${QUORVATH_GZIPPED})

# The licence in Debian's machine-readable form, and the notes for players and authors.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/world-format.md ${CMAKE_SOURCE_DIR}/docs/install.md
  ${CMAKE_SOURCE_DIR}/docs/test-play.md ${CMAKE_SOURCE_DIR}/docs/settings.md ${CMAKE_SOURCE_DIR}/docs/new-world-guide.md
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/tools/sim/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME quorvath-sim.md)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvath)
set(CPACK_PACKAGE_VENDOR "Quorvath developers")
set(CPACK_PACKAGE_CONTACT "Quorvath developers <quorvath@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 2-D action role-playing game with a demo world")
# Lines of at most 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvath is a single-player action role-playing game in one 900 x 600\n\
window: walk a hero across a world of screens, fight enemies in real time\n\
with sword and guns, talk to townsfolk, buy and sell, and face bosses in\n\
staged battles. Text on screen is Japanese.\n\
.\n\
The package holds the game with its demo world, and the authors' tools:\n\
the world validator, the map painter and the headless runner.")
# One package of the common files and the game in /usr/games.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL common package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link give the rest of Depends; the font is read by name at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS lame)
include(CPack)
