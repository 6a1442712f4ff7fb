#!/usr/bin/env bash
# Runs shell transcripts and compares them byte for byte with what they must show.
#
#   run_transcript.sh FILE SCRATCH SHELL-COMMAND...
#
# FILE is a scenario script tests/golden/<name>.zor, whose transcript must
# equal <name>.out (extra options for the shell may stand in <name>.options),
# or a Markdown page, whose ```transcript blocks must be what the shell prints
# for their "> " lines, run as one script. The shell runs with stable handle
# numbers in the empty folder SCRATCH, where examples/ and data/ (the
# scenarios' data) link to the sources. A nonzero exit status shows as a last
# line "(exit status N)".
set -euo pipefail
file="$1" scratch="$2"
shift 2
golden="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$golden/../.." && pwd)"

rm -rf "$scratch"
mkdir -p "$scratch"
ln -s "$root/examples" "$scratch/examples"
ln -s "$golden/data" "$scratch/data"

options=()
case "$file" in
*.zor)
    cp "$file" "$scratch/script.zor"
    cp "${file%.zor}.out" "$scratch/expected"
    [ -f "${file%.zor}.options" ] && read -r -a options <"${file%.zor}.options"
    ;;
*.md)
    awk '/^```transcript$/ { inside = 1; next } /^```$/ { inside = 0 } inside' "$file" >"$scratch/expected"
    sed -n 's/^> //p' "$scratch/expected" >"$scratch/script.zor"
    [ -s "$scratch/script.zor" ] || { echo "$file: no transcript to check"; exit 1; }
    ;;
*)
    echo "$file: neither a scenario script nor a Markdown page" >&2
    exit 2
    ;;
esac

status=0
(cd "$scratch" && "$@" --stable-handles "${options[@]}" script.zor) >"$scratch/actual" 2>"$scratch/errors" || status=$?
[ "$status" -eq 0 ] || echo "(exit status $status)" >>"$scratch/actual"
if ! cmp -s "$scratch/expected" "$scratch/actual"; then
    echo "$file: the transcript differs (- expected, + actual):"
    diff -u "$scratch/expected" "$scratch/actual" || true
    [ -s "$scratch/errors" ] && { echo "standard error:"; cat "$scratch/errors"; }
    exit 1
fi
echo "$file: transcript as expected"
