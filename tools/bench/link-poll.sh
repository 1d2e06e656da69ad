#!/usr/bin/env bash
# Measures the link against the simulated board over a period (default 60 s):
# the median status-poll period and the CPU time the program used.
# Needs a built tree (tools/demo.sh or a cmake build in build/) and python3.
set -euo pipefail
cd "$(dirname "$0")/../.."
SECONDS_TO_RUN=${1:-60}
BUILD=${BUILD:-build}
WORK=$(mktemp -d)
trap 'kill $SIM_PID $APP_PID 2>/dev/null || true; rm -rf "$WORK"' EXIT

mkfifo "$WORK/simin"
"$BUILD/frostpanel-boardsim" --link "$WORK/tty" --wiretime <"$WORK/simin" >"$WORK/sim.out" &
SIM_PID=$!
exec 3>"$WORK/simin"
for _ in $(seq 50); do [ -e "$WORK/tty" ] && break; sleep 0.1; done

QT_QPA_PLATFORM=offscreen FROSTPANEL_ROOT="$WORK" FROSTPANEL_SERIAL="$WORK/tty" "$BUILD/frostpanel" 2> >(python3 -u -c '
import sys, time
for line in sys.stdin:
    sys.stdout.write("%.6f %s" % (time.monotonic(), line))
' >"$WORK/app.log") &
APP_PID=$!
sleep "$SECONDS_TO_RUN"
read -r utime stime < <(awk '{print $14, $15}' "/proc/$APP_PID/stat")
ticks=$(getconf CLK_TCK)
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
echo quit >&3

python3 - "$WORK/app.log" "$utime" "$stime" "$ticks" "$SECONDS_TO_RUN" <<'PY'
import sys, statistics
log, ut, st, tck, dur = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), float(sys.argv[5])
t = [float(l.split()[0]) for l in open(log) if l.split()[1:2] == [">>"] and l.rstrip().endswith("f37070fc")]
gaps = [b - a for a, b in zip(t, t[1:])]
cpu = (ut + st) / tck
print("status polls: %d in %.0f s" % (len(t), dur))
print("median poll period: %.1f ms (min %.1f, max %.1f)" % (1000 * statistics.median(gaps), 1000 * min(gaps), 1000 * max(gaps)))
print("program CPU time: %.2f s (%.2f %% of one core)" % (cpu, 100 * cpu / dur))
PY
