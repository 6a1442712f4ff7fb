#!/usr/bin/env bash
# The differential run: random scripts of library calls from fixed seeds
# (tests/differential/gen_calls.cpp), run by the native shell against
# qrbjs64i.so and by the Windows shell under Wine against the DLL, whose
# transcripts must be byte for byte the same. With --sanitize, the sanitizer
# build's shell (build/sanitize) runs them instead of the Windows one.
#
#   scripts/differential.sh [--sanitize] [STATEMENTS]
#
# STATEMENTS (default 1000000, about a minute with Wine) are spread over eight
# seeds; a larger number runs longer. The script and the two transcripts of a
# seed that differs stay in the scratch folder. ZOR_DIFF_NATIVE,
# ZOR_DIFF_WINDOWS and ZOR_DIFF_SANITIZE name other build folders.
source "$(dirname "$0")/common.sh"

mode=windows
if [ "${1:-}" = --sanitize ]; then
    mode=sanitize
    shift
fi
statements="${1:-1000000}"
seeds=(1 2 3 4 5 6 7 8)
native="${ZOR_DIFF_NATIVE:-$NATIVE_BUILD}"
windows="${ZOR_DIFF_WINDOWS:-$WINDOWS_BUILD}"
sanitize="${ZOR_DIFF_SANITIZE:-$ROOT/build/sanitize}"
native="$(realpath -m "$native")" windows="$(realpath -m "$windows")" sanitize="$(realpath -m "$sanitize")"
export WINEPREFIX="$windows/wineprefix"
# At least this share of the statements must get an answer, not an error:
# a generator whose paths or arguments went wrong cannot pass unnoticed.
min_answered_percent=55

if [ "$mode" = windows ]; then
    other=(wine "$windows/bin/zor_shell.exe")
    scratch="$windows/differential"
else
    other=("$sanitize/bin/zor_shell")
    scratch="$sanitize/differential"
fi

step "Differential run: native against $mode, $statements statements"
rm -rf "$scratch"
mkdir -p "$scratch"
if [ "$mode" = windows ]; then
    trap wine_down EXIT
    wine_up
fi

# Runs a shell over a script in the scratch folder; a nonzero exit status
# shows as a last line of the transcript.
run() {
    local transcript="$1" script="$2"
    shift 2
    local status=0
    (cd "$scratch" && "$@" --stable-handles "$script") >"$scratch/$transcript" 2>"$scratch/$transcript.err" || status=$?
    [ "$status" -eq 0 ] || echo "(exit status $status)" >>"$scratch/$transcript"
}

# Fails unless the transcript shows no shell error and enough of the
# statements that call the library answered rather than failed.
check_exercised() {
    awk -v min="$min_answered_percent" -v file="$1" '
        /^> / { calling = /js[A-Za-z]*\(/; shown += calling; next }
        /^error/ && calling { errors++; calling = 0 }
        /^shell error/ { shell++ }
        END {
            answered = shown - errors
            printf "  %d of %d calling statements answered, %d errors\n", answered, shown, errors
            if (shell > 0 || answered * 100 < shown * min) {
                printf "%s: the script does not exercise the library (%d shell errors)\n", file, shell > "/dev/stderr"
                exit 1
            }
        }' "$1"
}

start=$SECONDS
calls=0
failed=0
for seed in "${seeds[@]}"; do
    script="seed$seed.zor"
    "$native/bin/gen_calls" "$seed" $((statements / ${#seeds[@]})) >"$scratch/$script"
    calls=$((calls + $(sed -n 's/^# \([0-9]*\) calls in .*/\1/p' "$scratch/$script")))
    run "seed$seed.native" "$script" "$native/bin/zor_shell"
    run "seed$seed.$mode" "$script" "${other[@]}"
    echo "seed $seed:"
    check_exercised "$scratch/seed$seed.native" || failed=1
    if cmp -s "$scratch/seed$seed.native" "$scratch/seed$seed.$mode"; then
        rm -f "$scratch/seed$seed".*
        continue
    fi
    echo "seed $seed: the transcripts differ (- native, + $mode); the first difference:"
    { diff -u "$scratch/seed$seed.native" "$scratch/seed$seed.$mode" || true; } | awk '/^@@/ { n++ } n == 1' | head -40
    failed=1
done
echo "$calls calls compared in $((SECONDS - start)) s"
[ "$failed" -eq 0 ] || echo "the scripts and transcripts that differ are in $scratch"
[ "$failed" -eq 0 ]
