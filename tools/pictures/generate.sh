#!/usr/bin/env bash
# Redraws every picture of resources/pictures with our own drawing program.
# Usage: tools/pictures/generate.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD="${1:-build}"
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" --target frostpanel-pictures
QT_QPA_PLATFORM=offscreen "$BUILD/frostpanel-pictures" resources/pictures
