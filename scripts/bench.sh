#!/usr/bin/env bash
# Builds zor_bench (native, Release) and runs it once, then writes the
# results as docs/performance.md. Options after the script's name go to the
# benchmark program (e.g. --benchmark_filter=jsParse to run a part; the page
# is written from whatever ran, so leave it out for the full page).
# The build folder is build/bench, or BENCH_BUILD when set.
source "$(dirname "$0")/common.sh"

BENCH_BUILD="${BENCH_BUILD:-$ROOT/build/bench}"
RESULTS="$BENCH_BUILD/results.json"

step "Release build ($BENCH_BUILD)"
cmake -S "$ROOT" -B "$BENCH_BUILD" -DCMAKE_BUILD_TYPE=Release -DZOR_TESTS=OFF >/dev/null
cmake --build "$BENCH_BUILD" -j "$JOBS" --target zor_bench

step "Benchmarks"
# Five repetitions of every benchmark in random order, so that a slow spell
# of the shared machine falls on different pairs; the page takes the fastest.
"$BENCH_BUILD/bin/zor_bench" --benchmark_min_time=0.1 --benchmark_repetitions=5 \
    --benchmark_enable_random_interleaving=true --benchmark_out="$RESULTS" \
    --benchmark_out_format=json "$@"

step "docs/performance.md"
python3 "$ROOT/scripts/bench_report.py" "$RESULTS" "$ROOT/docs/performance.md"
