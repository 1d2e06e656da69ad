#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test; ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/deps.sh
cmake -S . -B build-tests -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFROSTPANEL_SANITIZE=ON >/dev/null
cmake --build build-tests -j "$(nproc)"
cd build-tests
ctest --output-on-failure -j 2
