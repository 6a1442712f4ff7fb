#!/usr/bin/env bash
# Builds zor_bench (native, Release) and runs it three times, then writes the
# results as docs/performance.md. Options after the script's name go to the
# benchmark program (e.g. --benchmark_filter=jsParse to run a part; the page
# is written from whatever ran, so leave it out for the full page).
# The build folder is build/bench, or BENCH_BUILD when set.
source "$(dirname "$0")/common.sh"

BENCH_BUILD="${BENCH_BUILD:-$ROOT/build/bench}"

step "Release build ($BENCH_BUILD)"
cmake -S "$ROOT" -B "$BENCH_BUILD" -DCMAKE_BUILD_TYPE=Release -DZOR_TESTS=OFF >/dev/null
cmake --build "$BENCH_BUILD" -j "$JOBS" --target zor_bench

step "Benchmarks"
# Three passes over every benchmark: within a pass each of ours runs right
# beside its partner, so that both meet the same spell of a shared machine;
# the page takes the fastest pass of each.
for pass in 1 2 3; do
    "$BENCH_BUILD/bin/zor_bench" --benchmark_min_time=0.2 --benchmark_out="$BENCH_BUILD/results-$pass.json" \
        --benchmark_out_format=json "$@"
done

step "docs/performance.md"
python3 "$ROOT/scripts/bench_report.py" "$ROOT/docs/performance.md" "$BENCH_BUILD"/results-[123].json
