#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan, build/fuzz) and runs each
# for SECONDS (default 30), one after the other, on its working corpus
# build/fuzz/corpus/<target>, seeded from fuzz/corpus/<target>. A finding
# is kept in build/fuzz/artifacts/ and fails the run.
#
#   scripts/fuzz.sh          # the short run CI makes
#   scripts/fuzz.sh 1200     # twenty minutes per target
source "$(dirname "$0")/common.sh"

SECONDS_EACH="${1:-30}"
FUZZ_BUILD="$ROOT/build/fuzz"
TARGETS=(fuzz_calls fuzz_parse fuzz_keypaths)

step "Fuzz build ($FUZZ_BUILD)"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$FUZZ_BUILD" -DZOR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$FUZZ_BUILD" -j "$JOBS" --target "${TARGETS[@]}"

mkdir -p "$FUZZ_BUILD/artifacts"
for target in "${TARGETS[@]}"; do
    name="${target#fuzz_}"
    step "Fuzzing $name for ${SECONDS_EACH}s"
    mkdir -p "$FUZZ_BUILD/corpus/$name"
    log="$FUZZ_BUILD/$name.log"
    status=0
    "$FUZZ_BUILD/bin/$target" -max_total_time="$SECONDS_EACH" -timeout=20 -rss_limit_mb=4096 \
        -dict="$ROOT/fuzz/json.dict" -artifact_prefix="$FUZZ_BUILD/artifacts/$name-" -print_final_stats=1 \
        "$FUZZ_BUILD/corpus/$name" "$ROOT/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
    grep -E '^(Done|stat::number_of_executed_units)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log"
        echo "fuzz: $name found a fault, kept in $FUZZ_BUILD/artifacts/"
        exit 1
    fi
done
