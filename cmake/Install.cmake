# What a board needs (cmake --install, cpack): the program, its translations
# and version file, the defaults a new machine starts from, a seeding script
# and the systemd unit that runs the program on the frame buffer.
#
# The machine's own data lives in /home/root and is never installed over: the
# package keeps its files under <prefix>/share/frostpanel and the seeding
# script (run by the unit before every start) copies into /home/root only
# what is missing, refreshing just the program's own files (translations,
# version file) when they differ.
include(GNUInstallDirs)

set(FROSTPANEL_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/frostpanel)
set(FROSTPANEL_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/frostpanel)
set(FROSTPANEL_UNIT_DIR lib/systemd/system)

# The version shown on the information page, as the machine writes it: 1.01.01.
string(LENGTH "${PROJECT_VERSION_MINOR}" _l)
set(_minor ${PROJECT_VERSION_MINOR})
if(_l LESS 2)
    set(_minor 0${_minor})
endif()
set(_patch ${PROJECT_VERSION_PATCH})
string(LENGTH "${_patch}" _l)
if(_l LESS 2)
    set(_patch 0${_patch})
endif()
file(WRITE ${CMAKE_BINARY_DIR}/install/fileVersione.txt "${PROJECT_VERSION_MAJOR}.${_minor}.${_patch}\n")

# The unit and the seeding script name absolute paths: they are written at
# install time, for the prefix in use then (cmake --install --prefix, cpack).
install(CODE "
    set(FROSTPANEL_SHARE_ABS \"\${CMAKE_INSTALL_PREFIX}/${FROSTPANEL_SHARE_DIR}\")
    set(FROSTPANEL_SEED_ABS \"\${CMAKE_INSTALL_PREFIX}/${FROSTPANEL_LIBEXEC_DIR}/frostpanel-seed\")
    set(FROSTPANEL_PROGRAM_ABS \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/frostpanel\")
    configure_file(${CMAKE_SOURCE_DIR}/tools/install/frostpanel-seed.in
                   ${CMAKE_BINARY_DIR}/install/frostpanel-seed @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/tools/install/frostpanel.service.in
                   ${CMAKE_BINARY_DIR}/install/frostpanel.service @ONLY)
")

install(TARGETS frostpanel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/install/frostpanel-seed DESTINATION ${FROSTPANEL_LIBEXEC_DIR})
install(FILES ${CMAKE_BINARY_DIR}/install/frostpanel.service DESTINATION ${FROSTPANEL_UNIT_DIR})

# The program's own files: refreshed on the machine when they differ.
install(DIRECTORY ${CMAKE_BINARY_DIR}/languages/ DESTINATION ${FROSTPANEL_SHARE_DIR}/program/languages
        FILES_MATCHING PATTERN "*.qm" PATTERN "info_lang.txt")
install(FILES ${CMAKE_BINARY_DIR}/install/fileVersione.txt DESTINATION ${FROSTPANEL_SHARE_DIR}/program)

# Defaults of a new machine: copied only where the machine has none.
install(FILES
        ${CMAKE_SOURCE_DIR}/resources/presets/milling.csv
        ${CMAKE_SOURCE_DIR}/resources/presets/cutting.csv
        ${CMAKE_SOURCE_DIR}/resources/presets/whipping.csv
        ${CMAKE_SOURCE_DIR}/resources/presets/rpmspeed.csv
        DESTINATION ${FROSTPANEL_SHARE_DIR}/defaults)
install(FILES ${CMAKE_SOURCE_DIR}/resources/pictures/demo/logo.png DESTINATION ${FROSTPANEL_SHARE_DIR}/defaults)

# Packages: a Debian package for the build's architecture and a tarball to
# unpack at / on the board.
if(CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE STREQUAL "arm-linux-gnueabihf")
    set(FROSTPANEL_DEB_ARCH armhf)
else()
    execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE FROSTPANEL_DEB_ARCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT FROSTPANEL_DEB_ARCH)
        set(FROSTPANEL_DEB_ARCH ${CMAKE_SYSTEM_PROCESSOR})
    endif()
endif()
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_NAME frostpanel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "frostpanel maintainers <frostpanel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Touch-screen control program of the frostizing machine")
set(CPACK_PACKAGE_FILE_NAME frostpanel_${PROJECT_VERSION}_${FROSTPANEL_DEB_ARCH})
# Installed through DESTDIR, so the paths written into the unit at install
# time are the board's, not the staging folder's.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${FROSTPANEL_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The frame-buffer and evdev touch plugins come with libqt5gui5.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt5core5a (>= 5.15), libqt5gui5 (>= 5.15), libqt5widgets5 (>= 5.15), libqt5network5 (>= 5.15)")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/tools/install/postinst ${CMAKE_SOURCE_DIR}/tools/install/prerm
    ${CMAKE_SOURCE_DIR}/tools/install/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
