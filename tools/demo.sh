#!/usr/bin/env bash
# Builds frostpanel and the simulated board, then runs the program against it.
# The simulated board reads its control commands from this terminal
# (type "help"); the program's exchange log is printed here too.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target frostpanel frostpanel-boardsim -j "$(nproc)"

ROOT="$PWD/build/demo-root"
mkdir -p "$ROOT/home/root" "$ROOT/dev" "$ROOT/mnt"
export FROSTPANEL_ROOT="$ROOT"
unset FROSTPANEL_SERIAL # the board appears at the program's own device path

cleanup() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

# The program starts a moment after the board, once its device exists.
(
    for _ in $(seq 50); do [ -e "$ROOT/dev/ttymxc1" ] && break; sleep 0.1; done
    exec build/frostpanel
) &
APP_PID=$!

cat <<MSG
Simulated board: device $ROOT/dev/ttymxc1, control socket $ROOT/boardsim.sock
Type simulator commands here, for example:  set lid open   set error 12   silent on   help   quit
MSG
build/frostpanel-boardsim --link "$ROOT/dev/ttymxc1" --control "$ROOT/boardsim.sock" --wiretime
