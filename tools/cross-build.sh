#!/usr/bin/env bash
# Builds frostpanel, frostpanel-boardsim and frostpanel-remote for the board
# (armhf) into build-armhf/ with Debian's cross toolchain and the multi-arch
# Qt packages (installed first when missing), then the board's packages:
# build-armhf/frostpanel_<version>_armhf.deb and .tar.gz.
#   FROSTPANEL_NO_PACKAGE=1 skips the packages.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/cross-deps.sh

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Paths relative to the checkout, so another clone (CI) hits the cache.
    export CCACHE_BASEDIR="$PWD"
fi
# -O2 without debug information: the board's packages are stripped anyway,
# and the build takes a good part of CI's time.
cmake -S . -B build-armhf -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-armhf.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DFROSTPANEL_PROGRAMS_ONLY=ON \
    "${launcher[@]}" >/dev/null
cmake --build build-armhf -j "$(nproc)" --target frostpanel frostpanel-boardsim frostpanel-remote translations

if [ -z "${FROSTPANEL_NO_PACKAGE:-}" ]; then
    (cd build-armhf && cpack -G "DEB;TGZ" >/dev/null)
    ls build-armhf/frostpanel_*_armhf.deb build-armhf/frostpanel_*_armhf.tar.gz
fi
file build-armhf/frostpanel | sed 's/, BuildID[^,]*//'
