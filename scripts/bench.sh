#!/usr/bin/env bash
# Builds zor_bench natively and for Windows (both Release), runs each three
# times, the Windows one under Wine against the real DLL, then writes the
# results as docs/performance.md. Options after the script's name go to
# both benchmark programs (e.g. --benchmark_filter=jsParse to run a part;
# the page is written from whatever ran, so leave it out for the full page).
# The build folders are build/bench and build/bench-windows, or BENCH_BUILD
# and BENCH_WINDOWS_BUILD when set.
source "$(dirname "$0")/common.sh"

BENCH_BUILD="${BENCH_BUILD:-$ROOT/build/bench}"
BENCH_WINDOWS_BUILD="${BENCH_WINDOWS_BUILD:-$ROOT/build/bench-windows}"
export WINEPREFIX="$BENCH_WINDOWS_BUILD/wineprefix"
load_start="$(cut -d' ' -f1-3 /proc/loadavg)"

"$ROOT/scripts/setup.sh"

step "Native Release build ($BENCH_BUILD)"
cmake -S "$ROOT" -B "$BENCH_BUILD" -DCMAKE_BUILD_TYPE=Release -DZOR_TESTS=OFF >/dev/null
cmake --build "$BENCH_BUILD" -j "$JOBS" --target zor_bench

step "Windows Release build ($BENCH_WINDOWS_BUILD)"
cmake -S "$ROOT" -B "$BENCH_WINDOWS_BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DZOR_TESTS=OFF >/dev/null
cmake --build "$BENCH_WINDOWS_BUILD" -j "$JOBS" --target zor_bench

# Three passes over every benchmark: within a pass each of ours runs right
# beside its partner, so that both meet the same spell of a shared machine;
# the page takes the fastest pass of each.
step "Native benchmarks"
for pass in 1 2 3; do
    "$BENCH_BUILD/bin/zor_bench" --benchmark_min_time=0.2 --benchmark_out="$BENCH_BUILD/results-$pass.json" \
        --benchmark_out_format=json "$@"
done

step "Windows benchmarks under Wine"
trap wine_down EXIT
wine_down  # a server of this prefix left running would refuse a persistent one
wine_up
for pass in 1 2 3; do
    (cd "$BENCH_WINDOWS_BUILD" && wine bin/zor_bench.exe --benchmark_min_time=0.2 --benchmark_out="results-$pass.json" "$@")
done
wine_down

step "docs/performance.md"
python3 "$ROOT/scripts/bench_report.py" "$ROOT/docs/performance.md" --load-start "$load_start" \
    --native "$BENCH_BUILD"/results-[123].json --windows "$BENCH_WINDOWS_BUILD"/results-[123].json
