#!/usr/bin/env bash
# Builds the remote protocol's libFuzzer target with clang and runs it for a
# bounded time on the committed seed corpus of valid requests. Exits non-zero
# on any crash, leak, timeout or sanitizer report.
#
#   tools/fuzz-remote.sh [BUILD-DIR] [SECONDS] [RUNS]   (defaults: build-fuzz, 30, no limit)
#
# The run ends after SECONDS or after RUNS inputs, whichever comes first. The
# stores keep their files in memory during the run, so the target runs about
# 9,000 inputs per CPU-second from the seeds and about 8,000 once the inputs
# have grown into sessions of several stored requests; a run longer than a
# minute records two frames of each allocation's stack instead of thirty,
# which makes that about 11,000 and 10,000. Ten million inputs so take about
# twenty minutes of one core, half an hour on a machine shared with builds:
#   nice tools/fuzz-remote.sh build-fuzz 2400 10000000
# A failure found by such a run is replayed at its end with full stacks. The
# whole log of the last run stays in BUILD-DIR/fuzz.log.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build-fuzz}"
seconds="${2:-30}"
runs="${3:--1}"

command -v clang++ >/dev/null || { echo "fuzz-remote: clang++ is missing (tools/deps.sh installs it)" >&2; exit 1; }
cmake -S tests/remote/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2

# New inputs the fuzzer finds go to a scratch copy, not into the repository.
# In memory where possible: the fuzzer writes every new input there.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    work="$(mktemp -d /dev/shm/fuzz-remote-XXXXXX)"
else
    work="$(mktemp -d)"
fi
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
cp tests/remote/corpus/* "$work/corpus/"

full_asan="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Recording where each allocation came from costs a sixth of the time; a long
# run keeps two frames, the short run (the test suite's) all of them.
asan="$full_asan"
if [ "$seconds" -gt 60 ]; then
    asan="malloc_context_size=2:$full_asan"
fi
# A failing input is kept in the build folder as crash-*, leak-* or timeout-*.
touch "$work/start"
set +e
ASAN_OPTIONS="$asan" "$build/fuzz-remote" -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/" "$work/corpus" >"$build/fuzz.log" 2>&1
rc=$?
set -e
# The progress lines say little; the rest (reports, statistics) is shown.
grep -v -E "^#[0-9]+" "$build/fuzz.log" | sed "/Recommended dictionary/,/End of recommended dictionary/d" | tail -n 150
if [ "$rc" -ne 0 ]; then
    artifact="$(find "$build" -maxdepth 1 -newer "$work/start" \( -name "crash-*" -o -name "leak-*" -o -name "timeout-*" \
        -o -name "oom-*" \) | head -n 1)"
    if [ "$asan" != "$full_asan" ] && [ -n "$artifact" ]; then
        echo "fuzz-remote: $artifact again, with full stacks:"
        set +e
        ASAN_OPTIONS="$full_asan" "$build/fuzz-remote" -timeout=10 -rss_limit_mb=2048 "$artifact" 2>&1 | tail -n 150
        set -e
    fi
    echo "fuzz-remote: FAILED (exit $rc)" >&2
    exit "$rc"
fi
echo "fuzz-remote: no crash, leak or sanitizer report ($(grep -o "Done [0-9]* runs in [0-9]* second" "$build/fuzz.log" || echo "run finished"))"
