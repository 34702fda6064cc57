# The program's place on the desktop (its menu entry and icon, where desktops
# look for them), the two programs' manual pages, and the Debian package that
# carries them with the programs, its copyright and its changelog.
include(GNUInstallDirs)

install(FILES ${PROJECT_SOURCE_DIR}/app/tarvik-control.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/app/icons/tarvik-control.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Each program's manual page is made from its own --help and --version once
# it is built, so the page says what the program says. help2man writes it
# (install-deps.sh installs it); without help2man the build goes on with no
# manual pages. Debian wants them, and the changelog, gzipped with no name or
# time stamp in the header.
find_program(HELP2MAN help2man)
find_program(GZIP gzip REQUIRED)
set(packageFiles ${CMAKE_BINARY_DIR}/package-files)
file(MAKE_DIRECTORY ${packageFiles})
set(packageFileList "")

function(tarvik_man_page target summary)
    set(page ${packageFiles}/${target}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${HELP2MAN} --no-info --section=1 --name=${summary} --output=${page}
                $<TARGET_FILE:${target}>
        COMMAND ${GZIP} -9nf ${page}
        DEPENDS ${target}
        COMMENT "Writing the manual page of ${target}"
        VERBATIM)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    set(packageFileList ${packageFileList} ${page}.gz PARENT_SCOPE)
endfunction()

if(HELP2MAN)
    tarvik_man_page(tarvik-control "control program for the Tarvik evaluation board")
    tarvik_man_page(tarvik-sim-pty "simulated Tarvik evaluation board on a pseudo-terminal")
else()
    message(STATUS "help2man not found: the manual pages are not made")
endif()

# A stripped install (the package's) also drops the compilers' version notes
# from the programs.
foreach(program tarvik-control tarvik-sim-pty)
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
endif()")
endforeach()

set(docDir ${CMAKE_INSTALL_DATADIR}/doc/tarvik-control)
set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_command(OUTPUT ${packageFiles}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${packageFiles}/changelog
    COMMAND ${GZIP} -9nf ${packageFiles}/changelog
    DEPENDS ${changelog}
    VERBATIM)
list(APPEND packageFileList ${packageFiles}/changelog.gz)
add_custom_target(package-files ALL DEPENDS ${packageFileList})
install(FILES ${packageFiles}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${docDir})

# The package's version is the project's: its changelog must have an entry
# for it on top. An install (and so the package) stops without one; the
# build goes on.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} latestEntry LIMIT_COUNT 1)
string(REGEX REPLACE "^tarvik-control \\(([^)]*)\\).*" "\\1" latestVersion "${latestEntry}")
if(NOT latestVersion STREQUAL PROJECT_VERSION)
    install(CODE "message(FATAL_ERROR \"packaging/changelog's latest entry is for \
'${latestVersion}', not for the project's version ${PROJECT_VERSION}\")")
endif()

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
       "tried with no board attached. The package also carries tarvik-sim-pty,"
       "which serves the simulated evaluation board on a pseudo-terminal for"
       "terminal programs that open a serial port.")
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
