#!/usr/bin/env bash
# Builds frostpanel and the simulated board, prepares a sandbox root with a
# machine's usual data, and runs the program against the board: in a window
# when a display is there, otherwise on Qt's VNC platform (480 x 272).
# The simulated board reads its control commands from this terminal (type
# "help"); the program's log goes to build/demo-root/frostpanel.log.
# FROSTPANEL_DEMO_SPEED (default 2.5) is the board's speed factor: work runs
# last the program's estimate divided by it, about 20 to 40 s for a frostizing
# run of one to three portions or a whipping run; 1 is the real machine's pace.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target frostpanel frostpanel-boardsim frostpanel-demo-seed frostpanel-remote frostpanel-fwhex \
    translations -j "$(nproc)"

ROOT="$PWD/build/demo-root"
mkdir -p "$ROOT/home/root/languages" "$ROOT/dev" "$ROOT/mnt/usb-memory"
export FROSTPANEL_ROOT="$ROOT"
unset FROSTPANEL_SERIAL # the board appears at the program's own device path

# The machine's data: serial number, presets, settings, recipes (kept from
# one demo to the next), translations and the screen-saver logo.
build/frostpanel-demo-seed
cp build/languages/* "$ROOT/home/root/languages/"
cp resources/pictures/demo/logo.png "$ROOT/home/root/logo.png"
: >"$ROOT/dev/fb0" # the screenshot key copies this "frame buffer"
# A USB stick is in (its device file is there) holding a firmware file for
# the settings' firmware page; the board runs version 2.01.00 once flashed.
: >"$ROOT/dev/sda1"
ls "$ROOT"/mnt/usb-memory/fw-*update.hex >/dev/null 2>&1 ||
    build/frostpanel-fwhex "$ROOT/mnt/usb-memory/fw-2.01.00-update.hex" 400 >/dev/null

# The access mode the stick carries (FROSTPANEL_DEMO_ACCESS: service, the
# default, shows every settings page; advanced; operator): the mode file with
# its code, as a technician brings it on the stick.
ACCESS="${FROSTPANEL_DEMO_ACCESS:-service}"
rm -f "$ROOT/mnt/usb-memory/service" "$ROOT/mnt/usb-memory/advancedUser"
case "$ACCESS" in
service) code_name=kServiceCode file=service ;;
advanced) code_name=kAdvancedUserCode file=advancedUser ;;
*) code_name= ;;
esac
if [ -n "$code_name" ]; then
    sed -n "s/^const char \*const $code_name = \"\(.*\)\";/\1/p" shell/StartUp.cpp >"$ROOT/mnt/usb-memory/$file"
fi

# Stand-ins for the wireless tools: the demo machine counts as joined to a
# network, so the remote service is reachable on localhost.
export PATH="$PWD/tools/demo-bin:$PATH"

SPEED="${FROSTPANEL_DEMO_SPEED:-2.5}"
VNC_PORT="${FROSTPANEL_VNC_PORT:-5900}"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    SCREEN_LINE="The program opens in a window (480 x 272)."
else
    # mmsize gives the 96 dots per inch the screens are laid out at; without
    # it the plugin assumes a far lower density and every text shrinks.
    export QT_QPA_PLATFORM="vnc:size=480x272:mmsize=127x72:port=$VNC_PORT"
    SCREEN_LINE="No display here: the screen is served over VNC. Connect a viewer to localhost:$VNC_PORT
(for example: vncviewer localhost:$VNC_PORT, or an SSH tunnel -L $VNC_PORT:localhost:$VNC_PORT from your PC)."
fi

cleanup() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT

# The program starts a moment after the board, once its device exists.
(
    for _ in $(seq 50); do [ -e "$ROOT/dev/ttymxc1" ] && break; sleep 0.1; done
    exec build/frostpanel >"$ROOT/frostpanel.log" 2>&1
) &
APP_PID=$!

cat <<MSG
$SCREEN_LINE
Program log: $ROOT/frostpanel.log
Simulated board: device $ROOT/dev/ttymxc1, control socket $ROOT/boardsim.sock
Type simulator commands here and watch the screens react, for example:
  set lid open      set glass none      set ready 0      set ready 1      set error 12      silent on      help      quit
Work runs go $SPEED times the machine's pace (FROSTPANEL_DEMO_SPEED). Tap SOFT, choose the portions, press
start; during the run:
  state (step, speeds, direction, portions)    set fullglass 1 (before start: too full)    set lid open
  set hard 1      endearly 1 (empty beaker; endearly off)      set error 12
Firmware: SETTINGS, FIRMWARE, UPDATE FIRMWARE flashes mnt/usb-memory/fw-2.01.00-update.hex (12 s, then
the records with a progress bar); loader nack 100 or loader entry bad before makes it fail (loader off after).
Remote service on localhost (TCP 4444, UDP 8888), for example:
  build/frostpanel-remote --host 127.0.0.1 --serial FP2-0417-DEMO recipes changed 0
MSG
build/frostpanel-boardsim --link "$ROOT/dev/ttymxc1" --control "$ROOT/boardsim.sock" --wiretime --speed "$SPEED" \
    --cmd "loader version 2.01.00"
