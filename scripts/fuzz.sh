#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan, build/fuzz), replays the
# kept corpus of every target, fuzz/corpus/<target>, then runs each target
# for SECONDS (default 30), one after the other, on its working corpus
# build/fuzz/corpus/<target>, seeded from the kept one. A finding is kept in
# build/fuzz/artifacts/ and fails the run.
#
#   scripts/fuzz.sh          # the short run CI makes
#   scripts/fuzz.sh 1200     # twenty minutes per target
source "$(dirname "$0")/common.sh"

SECONDS_EACH="${1:-30}"
FUZZ_BUILD="$ROOT/build/fuzz"
TARGETS=(fuzz_calls fuzz_parse fuzz_keypaths fuzz_reader)

# Runs target fuzz_NAME with the arguments, its output in LOG; a finding ends
# the script.
fuzz() { # fuzz NAME LOG ARGUMENTS...
    local name="$1" log="$2" status=0
    shift 2
    "$FUZZ_BUILD/bin/fuzz_$name" -timeout=20 -rss_limit_mb=4096 -artifact_prefix="$FUZZ_BUILD/artifacts/$name-" \
        -print_final_stats=1 "$@" >"$log" 2>&1 || status=$?
    grep -E '^(INFO: seed corpus|Done|stat::number_of_executed_units)' "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log"
        echo "fuzz: $name found a fault, kept in $FUZZ_BUILD/artifacts/"
        exit 1
    fi
}

step "Fuzz build ($FUZZ_BUILD)"
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$FUZZ_BUILD" -DZOR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$FUZZ_BUILD" -j "$JOBS" --target "${TARGETS[@]}"
mkdir -p "$FUZZ_BUILD/artifacts"

# Every input that once reached new code is tried again, whatever the timed
# runs below happen to find.
for target in "${TARGETS[@]}"; do
    name="${target#fuzz_}"
    step "Replaying the kept corpus of $name ($(ls "$ROOT/fuzz/corpus/$name" | wc -l) inputs)"
    fuzz "$name" "$FUZZ_BUILD/$name-replay.log" -runs=0 "$ROOT/fuzz/corpus/$name"
done

for target in "${TARGETS[@]}"; do
    name="${target#fuzz_}"
    step "Fuzzing $name for ${SECONDS_EACH}s"
    mkdir -p "$FUZZ_BUILD/corpus/$name"
    fuzz "$name" "$FUZZ_BUILD/$name.log" -max_total_time="$SECONDS_EACH" -dict="$ROOT/fuzz/json.dict" \
        "$FUZZ_BUILD/corpus/$name" "$ROOT/fuzz/corpus/$name"
done
