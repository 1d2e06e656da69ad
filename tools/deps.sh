#!/usr/bin/env bash
# Installs the Debian packages frostpanel needs to build, run and test.
# Only what is missing is installed; through sudo when not root.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ make pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools
    fonts-dejavu-core ttf-bitstream-vera
    clang libclang-rt-14-dev
    procps
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
