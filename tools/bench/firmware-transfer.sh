#!/usr/bin/env bash
# Measures the firmware transfer against the simulated board at 9600-baud wire
# time: the program flashes a pending board copy (/home/root/velt_fw) of a
# generated firmware file of RECORDS program records (default 2000), and the
# time each record takes, from sending it to sending the next one, is set
# against its wire-time limit: (frame bytes + reply bytes) x 11 bits / 9600.
# The fixed 12 s entry wait before the first record is not counted.
# Needs a built tree (cmake --build build --target frostpanel frostpanel-boardsim
# frostpanel-demo-seed frostpanel-fwhex) and python3.
set -euo pipefail
cd "$(dirname "$0")/../.."
RECORDS=${1:-2000}
BUILD=${BUILD:-build}
WORK=$(mktemp -d)
trap 'kill $SIM_PID $APP_PID 2>/dev/null || true; rm -rf "$WORK"' EXIT

export FROSTPANEL_ROOT="$WORK"
"$BUILD/frostpanel-demo-seed" >/dev/null
"$BUILD/frostpanel-fwhex" "$WORK/home/root/velt_fw" "$RECORDS"

mkfifo "$WORK/simin"
"$BUILD/frostpanel-boardsim" --link "$WORK/tty" --wiretime --cmd "loader version 2.01.00" \
    <"$WORK/simin" >"$WORK/sim.out" &
SIM_PID=$!
exec 3>"$WORK/simin"
for _ in $(seq 50); do [ -e "$WORK/tty" ] && break; sleep 0.1; done

QT_QPA_PLATFORM=offscreen FROSTPANEL_SERIAL="$WORK/tty" "$BUILD/frostpanel" 2> >(python3 -u -c '
import sys, time
for line in sys.stdin:
    sys.stdout.write("%.6f %s" % (time.monotonic(), line))
' >"$WORK/app.log") &
APP_PID=$!

# The transfer ends with the last acknowledgement or a failure line.
LIMIT=$((60 + RECORDS / 10))
for _ in $(seq "$LIMIT"); do
    sleep 1
    grep -qE "NACK_RECIVED|RESPONSE NOT RECIEVED|SEND NOT WORK" "$WORK/app.log" && break
    [ -e "$WORK/home/root/velt_fw.flashed" ] && break
done
sleep 1
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
echo quit >&3

python3 - "$WORK/app.log" <<'PY'
import re, statistics, sys
BIT = 11 / 9600.0
REPLY = 3  # 0F AA 04
sends, acks, failed = [], [], False
for line in open(sys.argv[1]):
    parts = line.rstrip("\n").split(" ", 2)
    if len(parts) < 3:
        if len(parts) == 2 and parts[1] == "ACK_RECIVED":
            acks.append(float(parts[0]))
        continue
    t, word, rest = float(parts[0]), parts[1], parts[2]
    if word == ">>" and re.fullmatch(r"[0-9a-f]+", rest) and not rest.startswith("f3"):
        sends.append((t, len(rest) // 2))
    elif word in ("NACK_RECIVED", "RESPONSE") or line.rstrip().endswith("SEND NOT WORK"):
        failed = True
if failed or not sends or len(acks) != len(sends):
    sys.exit("transfer did not complete: %d records sent, %d acknowledged" % (len(sends), len(acks)))
limits = [(2 + n + 3 + REPLY) * BIT for _, n in sends]
took = [b[0] - a[0] for a, b in zip(sends, sends[1:])] + [acks[-1] - sends[-1][0]]
ratios = [d / l for d, l in zip(took, limits)]
total, limit = acks[-1] - sends[0][0], sum(limits)
print("records sent: %d" % len(sends))
print("transfer time: %.2f s, wire-time limit %.2f s (entry wait excluded)" % (total, limit))
print("time over limit: %.3f overall, per record median %.3f, 95th percentile %.3f, worst %.3f"
      % (total / limit, statistics.median(ratios), sorted(ratios)[int(0.95 * (len(ratios) - 1))], max(ratios)))
PY
