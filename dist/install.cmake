# What `cmake --install` puts where, and the Debian package CPack makes of it (./quorvath.sh package).
# Included by the top CMakeLists.txt; every path follows GNUInstallDirs.

install(TARGETS quorvath quorvath-check quorvath-paint quorvath-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The demo world: its hand-written data and every picture and track the build made. A save file, the asset
# tool's stamp and half-written pictures of a developer's tree stay out.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/game/media ${CMAKE_SOURCE_DIR}/game/pict
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvath/game
  PATTERN ".*" EXCLUDE
  PATTERN "*.part" EXCLUDE)

configure_file(${CMAKE_CURRENT_LIST_DIR}/app.desktop.in ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/app.metainfo.xml.in ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.metainfo.xml
  @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quorvath.6.in ${CMAKE_BINARY_DIR}/dist/quorvath.6 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/dist/${QUORVATH_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/dist/quorvath.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
foreach(size ${QUORVATH_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${QUORVATH_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The licence in Debian's machine-readable form, and the notes for players and authors.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/world-format.md ${CMAKE_SOURCE_DIR}/docs/install.md
  ${CMAKE_SOURCE_DIR}/docs/test-play.md ${CMAKE_SOURCE_DIR}/docs/settings.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvath)
set(CPACK_PACKAGE_VENDOR "Quorvath developers")
set(CPACK_PACKAGE_CONTACT "Quorvath developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 2-D action role-playing game with a demo world")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvath is a single-player action role-playing game in one 900 x 600 window: walk a hero across a world\n\
of screens, fight enemies in real time with sword and guns, talk to townsfolk, buy and sell, and face\n\
bosses in staged battles. Text on screen is Japanese. The package holds the game with its demo world,\n\
and the authors' tools: the world validator, the map painter and the headless runner.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link give the rest of Depends; the font is read by name at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
include(CPack)
