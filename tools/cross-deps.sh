#!/usr/bin/env bash
# Installs what the armhf cross build and its emulated run need: Debian's
# cross toolchain, the armhf Qt libraries (multi-arch), the build machine's
# Qt tools and qemu. Only what is missing is installed; through sudo when not
# root.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install the armhf packages" >&2; exit 1; }
    SUDO="sudo"
fi

if ! dpkg --print-foreign-architectures | grep -qx armhf; then
    $SUDO dpkg --add-architecture armhf
    ARCH_ADDED=1
fi

PACKAGES=(
    cmake ninja-build pkg-config ccache dpkg-dev file
    crossbuild-essential-armhf
    qtbase5-dev-tools qttools5-dev qttools5-dev-tools
    qtbase5-dev:armhf libqt5network5:armhf libqt5widgets5:armhf libqt5gui5:armhf
    qemu-user-static
    fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
