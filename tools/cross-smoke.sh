#!/usr/bin/env bash
# Runs the armhf frostpanel under qemu, offscreen, in a sandbox root against
# the build machine's simulated board: it must reach the home screen, poll the
# board, answer a remote ping and a UDP discovery of the build machine's
# frostpanel-remote, and end with status 0 soon after SIGTERM.
#   tools/cross-smoke.sh [ARMHF_BUILD [HOST_BUILD]]
# ARMHF_BUILD defaults to build-armhf (tools/cross-build.sh). HOST_BUILD holds
# the build machine's frostpanel-boardsim, frostpanel-remote and
# frostpanel-demo-seed; by default build-tests or build when they are there,
# otherwise they are built into build/.
# Exit 0 passed, 1 failed, 77 skipped (no armhf build or no qemu).
# FROSTPANEL_SMOKE_KEEP=1 keeps the sandbox root and its log.
set -uo pipefail
# Folders given are taken from where the script is called.
ARMHF="$(realpath -m "${1:-$(dirname "$0")/../build-armhf}")"
HOST="${2:+$(realpath -m "$2")}"
cd "$(dirname "$0")/.."
SRC="$PWD"
LAUNCH_LIMIT="${FROSTPANEL_SMOKE_LIMIT:-180}" # s to the home screen (emulated, on a busy machine)
STOP_LIMIT=5                                   # s from SIGTERM to the end

skip() { echo "SKIP: $*"; exit 77; }
fail() {
    echo "FAILED: $*"
    if [ -n "${ROOT:-}" ] && [ -f "$ROOT/frostpanel.log" ]; then
        echo "--- last lines of $ROOT/frostpanel.log"
        tail -n 30 "$ROOT/frostpanel.log"
    fi
    exit 1
}

[ -x "$ARMHF/frostpanel" ] || skip "no armhf build in $ARMHF (tools/cross-build.sh makes one)"
QEMU="$(command -v qemu-arm-static || command -v qemu-arm || true)"
[ -n "$QEMU" ] || skip "qemu-arm is not installed"
file -L "$ARMHF/frostpanel" 2>/dev/null | grep -q "ARM, EABI5" ||
    { command -v file >/dev/null && fail "$ARMHF/frostpanel is not an armhf program"; }

host_tools=(frostpanel-boardsim frostpanel-remote frostpanel-demo-seed)
has_host_tools() { for t in "${host_tools[@]}"; do [ -x "$1/$t" ] || return 1; done; }
if [ -z "$HOST" ]; then
    for d in build-tests build; do has_host_tools "$d" && { HOST="$d"; break; }; done
fi
if [ -z "$HOST" ]; then
    HOST=build
    tools/deps.sh && cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
        cmake --build build -j "$(nproc)" --target "${host_tools[@]}" >/dev/null || fail "cannot build the host tools"
fi
has_host_tools "$HOST" || fail "the host tools are missing in $HOST"

ROOT="$(mktemp -d "${TMPDIR:-/tmp}/frostpanel-armhf-XXXXXX")"
SIM_PID=""
APP_PID=""
cleanup() {
    [ -n "$APP_PID" ] && kill -KILL "$APP_PID" 2>/dev/null
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
    wait 2>/dev/null
    if [ -z "${FROSTPANEL_SMOKE_KEEP:-}" ]; then rm -rf "$ROOT"; else echo "sandbox kept: $ROOT"; fi
}
trap cleanup EXIT

# A port nobody listens on now (a connect fails), in the dynamic range.
free_port() {
    local p
    for _ in $(seq 50); do
        p=$((20000 + RANDOM % 40000))
        (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null || { echo "$p"; return; }
    done
    echo 4444
}

SERIAL="FP2-0417-DEMO"
mkdir -p "$ROOT/home/root/languages" "$ROOT/dev" "$ROOT/mnt/usb-memory"
export FROSTPANEL_ROOT="$ROOT"
unset FROSTPANEL_SERIAL
export FROSTPANEL_TCP_PORT; FROSTPANEL_TCP_PORT="$(free_port)"
export FROSTPANEL_UDP_PORT; FROSTPANEL_UDP_PORT="$(free_port)"
export ASAN_OPTIONS=detect_leaks=0 # host tools from the sanitizer build
export PATH="$SRC/tools/demo-bin:$PATH" # the machine counts as joined to a network
"$HOST/frostpanel-demo-seed" || fail "cannot seed the sandbox root"
cp "$ARMHF"/languages/* "$ROOT/home/root/languages/" 2>/dev/null
cp resources/pictures/demo/logo.png "$ROOT/home/root/logo.png"

DEVICE="$ROOT/dev/ttymxc1"
"$HOST/frostpanel-boardsim" --link "$DEVICE" </dev/null >"$ROOT/boardsim.out" 2>&1 &
SIM_PID=$!
for _ in $(seq 100); do [ -e "$DEVICE" ] && break; sleep 0.1; done
[ -e "$DEVICE" ] || fail "the simulated board did not start"

# qemu-user cannot start processes the way Qt asks it to (see the file); a
# small preloaded library steers Qt to plain fork.
CC_ARM=arm-linux-gnueabihf-gcc
command -v "$CC_ARM" >/dev/null || fail "$CC_ARM is missing (tools/cross-deps.sh installs it)"
"$CC_ARM" -shared -fPIC -O2 -o "$ROOT/qemu_nopidfd.so" tests/board/qemu_nopidfd.c -ldl ||
    fail "cannot build tests/board/qemu_nopidfd.c"

# The armhf C library, loader and Qt are Debian's multi-arch packages under
# /usr/lib/arm-linux-gnueabihf, so the guest's root is "/": the loader of the
# cross toolchain's own copy (/usr/arm-linux-gnueabihf) may be of another
# release than the libc6:armhf the Qt libraries came with. Only the program's
# own environment gets the library folder (the wireless tools it runs are the
# host's).
start=$(date +%s%N)
QT_QPA_PLATFORM=offscreen "$QEMU" -L / \
    -E LD_LIBRARY_PATH=/usr/lib/arm-linux-gnueabihf:/lib/arm-linux-gnueabihf -E LD_PRELOAD="$ROOT/qemu_nopidfd.so" \
    "$ARMHF/frostpanel" >"$ROOT/frostpanel.log" 2>&1 &
APP_PID=$!

home_line=""
while [ -z "$home_line" ]; do
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before the home screen"
    [ $(( ($(date +%s%N) - start) / 1000000000 )) -lt "$LAUNCH_LIMIT" ] || fail "no home screen within $LAUNCH_LIMIT s"
    home_line="$(grep -a -m1 "MAIN -> schermata principale visualizzata dopo" "$ROOT/frostpanel.log")"
    [ -n "$home_line" ] || sleep 0.2
done
home_wall_ms=$(( ($(date +%s%N) - start) / 1000000 ))
home_ms="$(sed -n 's/.*visualizzata dopo \([0-9]*\) ms.*/\1/p' <<<"$home_line")"
echo "home screen after $home_ms ms (program's own count; $home_wall_ms ms from launch)"

# Status polls (command 0x70) answered by the board.
polls=0
for _ in $(seq 150); do
    polls=$(grep -a -c -E '^>> [0-9]+ - f370' "$ROOT/frostpanel.log")
    replies=$(grep -a -c -E '^<< f3' "$ROOT/frostpanel.log")
    [ "$polls" -ge 3 ] && [ "$replies" -ge 3 ] && break
    sleep 0.2
done
[ "$polls" -ge 3 ] && [ "$replies" -ge 3 ] || fail "the board is not polled ($polls status frames, $replies replies)"
echo "board polled: $polls status frames, $replies replies"

remote() { "$HOST/frostpanel-remote" --host 127.0.0.1 --serial "$SERIAL" --timeout 20 "$@"; }
ping_out=""
for _ in $(seq 30); do # the service binds once the wireless probe has run
    ping_out="$(remote --port "$FROSTPANEL_TCP_PORT" ping 2>&1)" && break
    ping_out="FAILED: $ping_out"
    sleep 1
done
[[ "$ping_out" != FAILED:* ]] || fail "no answer to the remote ping: $ping_out"
echo "ping: $ping_out"
found="$(remote --port "$FROSTPANEL_UDP_PORT" discover 2>&1)" || fail "no answer to the discovery: $found"
grep -q "127.0.0.1" <<<"$found" || fail "the discovery did not find the machine: $found"
echo "discovery: $found"

kill -TERM "$APP_PID"
stop_start=$(date +%s%N)
for _ in $(seq $((STOP_LIMIT * 10))); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$APP_PID" 2>/dev/null && fail "still running $STOP_LIMIT s after SIGTERM"
wait "$APP_PID"
rc=$?
APP_PID=""
stop_ms=$(( ($(date +%s%N) - stop_start) / 1000000 ))
[ "$rc" -eq 0 ] || fail "exit status $rc after SIGTERM"
echo "ended with status 0, $stop_ms ms after SIGTERM"
echo "armhf smoke run passed"
