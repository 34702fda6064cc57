# Installs a build tree into a fresh folder and checks what the desktop needs
# from it: the program, its menu entry (valid, naming the installed program and
# icon) and its icon; and what the package needs: both programs, their manual
# pages (when the build made them), the copyright and the changelog.
#   cmake -DBUILD_DIR=<tree> -DPREFIX=<folder> -DVALIDATOR=<desktop-file-validate>
#         -DMAN_PAGES=<0|1> -P check_install.cmake
if(NOT VALIDATOR)
    message(FATAL_ERROR "desktop-file-validate is missing (Debian package desktop-file-utils)")
endif()

# An install staged elsewhere would leave the folder empty.
unset(ENV{DESTDIR})
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

function(expect_file path)
    if(NOT EXISTS "${PREFIX}/${path}" OR IS_DIRECTORY "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endfunction()

set(program bin/tarvik-control)
set(entry share/applications/tarvik-control.desktop)
set(icons share/icons/hicolor/scalable/apps)
expect_file(${program})
expect_file(${entry})

expect_file(share/doc/tarvik-control/copyright)
expect_file(share/doc/tarvik-control/changelog.gz)
foreach(installed ${program} bin/tarvik-sim-pty)
    execute_process(COMMAND test -x "${PREFIX}/${installed}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${installed} is not an installed program")
    endif()
    get_filename_component(name "${installed}" NAME)
    if(MAN_PAGES)
        expect_file(share/man/man1/${name}.1.gz)
    endif()
endforeach()

execute_process(COMMAND "${VALIDATOR}" "${PREFIX}/${entry}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    message(FATAL_ERROR "${entry} is not a clean desktop entry:\n${output}")
endif()

# The menu starts what Exec names from the search path and shows the icon
# Icon names from the theme: both must be what was installed.
file(STRINGS "${PREFIX}/${entry}" exec REGEX "^Exec=")
file(STRINGS "${PREFIX}/${entry}" icon REGEX "^Icon=")
string(REGEX REPLACE "^Exec=([^ ]*).*" "\\1" exec "${exec}")
string(REGEX REPLACE "^Icon=" "" icon "${icon}")
if(NOT exec STREQUAL "tarvik-control")
    message(FATAL_ERROR "${entry} starts '${exec}', not the installed ${program}")
endif()
expect_file(${icons}/${icon}.svg)
file(READ "${PREFIX}/${icons}/${icon}.svg" svg)
if(NOT svg MATCHES "<svg[ \t\r\n]")
    message(FATAL_ERROR "${icons}/${icon}.svg is not an SVG picture")
endif()
message(STATUS "installed tree in ${PREFIX} is complete")
