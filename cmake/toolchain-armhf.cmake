# Cross build for the machine's board (32-bit ARM, hard float) with Debian's
# own cross toolchain (crossbuild-essential-armhf) and the multi-arch armhf Qt
# packages; moc, uic, rcc and lrelease stay the build machine's.
#   cmake -S . -B build-armhf -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armhf.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(FROSTPANEL_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${FROSTPANEL_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${FROSTPANEL_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${FROSTPANEL_TRIPLET})

# Multi-arch: the armhf libraries and their CMake packages live beside the
# host's under /usr, so the search root stays "/" and the architecture folder
# picks the armhf ones. Programs are always the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${FROSTPANEL_TRIPLET})
set(CMAKE_PREFIX_PATH /usr/lib/${FROSTPANEL_TRIPLET}/cmake)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# lrelease's CMake package is architecture-independent in use (it only runs
# the host's lrelease): take the build machine's rather than requiring the
# armhf qttools5-dev.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE _build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT Qt5LinguistTools_DIR AND _build_multiarch AND EXISTS /usr/lib/${_build_multiarch}/cmake/Qt5LinguistTools)
    set(Qt5LinguistTools_DIR /usr/lib/${_build_multiarch}/cmake/Qt5LinguistTools CACHE PATH "")
endif()

set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${FROSTPANEL_TRIPLET}/pkgconfig:/usr/share/pkgconfig)

# What runs the armhf programs on the build machine (try_run, tests).
find_program(FROSTPANEL_QEMU_ARM NAMES qemu-arm-static qemu-arm)
if(FROSTPANEL_QEMU_ARM)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${FROSTPANEL_QEMU_ARM};-L;/usr/${FROSTPANEL_TRIPLET})
endif()

# GCC notes on every std::vector of 64-bit values that their argument passing
# changed in GCC 7.1; everything here is built by one compiler.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
