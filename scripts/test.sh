#!/usr/bin/env bash
# Sets up, builds both targets and runs every test: natively, then the
# Windows programs against the real DLL under Wine (a fresh prefix per run).
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/setup.sh"

# The house: every file laid out as .clang-format says (warnings fail the
# builds themselves, through -Werror).
step "Checking the layout"
house_status=0
"$ROOT/scripts/check-format.sh" || house_status=$?

"$ROOT/scripts/build.sh"

step "Checking the DLL"
"$ROOT/scripts/check-dll.sh" "$WINDOWS_BUILD/bin/qrbjs64i.dll"

step "Native tests"
native_status=0
ctest --test-dir "$NATIVE_BUILD" --output-on-failure || native_status=$?

step "Windows tests under Wine"
rm -rf "$WINEPREFIX"
trap wine_down EXIT
wine_up
windows_status=0
ctest --test-dir "$WINDOWS_BUILD" --output-on-failure || windows_status=$?

wine_down
trap - EXIT
# Random scripts of calls through the native and the Windows shell, whose
# transcripts must be the same (its own wineserver).
"$ROOT/scripts/differential.sh" || windows_status=$?

# ASan+UBSan and valgrind runs of the native suites, and a short fixed run
# of each fuzz target (scripts/fuzz.sh SECONDS runs them longer).
reliability_status=0
"$ROOT/scripts/sanitize.sh" || reliability_status=$?
"$ROOT/scripts/fuzz.sh" 30 || reliability_status=$?

# One closing line over the four stages.
passed=0
failed=0
for status in "$house_status" "$native_status" "$windows_status" "$reliability_status"; do
    if [ "$status" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo
echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
