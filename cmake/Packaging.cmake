# The program's place on the desktop (its menu entry and icon, where desktops
# look for them) and the Debian package that carries it with the program.
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/app/tarvik-control.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/app/icons/tarvik-control.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(TARVIK_PACKAGE_MAINTAINER "Tarvik Control developers <tarvik-control@example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvik-control)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TARVIK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop control program for the Tarvik evaluation board")
# Debian wraps a package's long description at 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Flash programming through the chip's boot loader, a terminal to the"
       "chip's command monitor with board control, file transfers to and from"
       "the chip's disk, and a passive spy on the chip's serial link. Two"
       "simulated boards are always in the port chooser, so every mode can be"
       "tried with no board attached.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt libraries the program links, found from the binary itself, so that a
# newly linked module is never missing from the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window is laid out for a narrow sans serif face; any of these keeps its
# captions inside their places.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2 | fonts-liberation | fonts-urw-base35")

include(CPack)
