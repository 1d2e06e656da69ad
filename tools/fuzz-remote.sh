#!/usr/bin/env bash
# Builds the remote protocol's libFuzzer target with clang and runs it for a
# bounded time on the committed seed corpus of valid requests. Exits non-zero
# on any crash, leak, timeout or sanitizer report.
#
#   tools/fuzz-remote.sh [BUILD-DIR] [SECONDS] [RUNS]   (defaults: build-fuzz, 30, no limit)
#
# The run ends after SECONDS or after RUNS inputs, whichever comes first. On
# one core the target runs about 6,000 inputs a second from the seeds and
# about 2,500 once the inputs have grown into sessions of several stored
# requests, so ten million inputs take an hour or more of one core, e.g.
#   nice tools/fuzz-remote.sh build-fuzz 5400 10000000
# The whole log of the last run stays in BUILD-DIR/fuzz.log.
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

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# A failing input is kept in the build folder as crash-*, leak-* or timeout-*.
set +e
"$build/fuzz-remote" -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/" "$work/corpus" >"$build/fuzz.log" 2>&1
rc=$?
set -e
# The progress lines say little; the rest (reports, statistics) is shown.
grep -v -E "^#[0-9]+" "$build/fuzz.log" | sed "/Recommended dictionary/,/End of recommended dictionary/d" | tail -n 150
if [ "$rc" -ne 0 ]; then
    echo "fuzz-remote: FAILED (exit $rc)" >&2
    exit "$rc"
fi
echo "fuzz-remote: no crash, leak or sanitizer report ($(grep -o "Done [0-9]* runs in [0-9]* second" "$build/fuzz.log" || echo "run finished"))"
