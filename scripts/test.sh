#!/usr/bin/env bash
# Sets up, builds both targets and runs every test: natively, then the
# Windows programs against the real DLL under Wine (a fresh prefix per run).
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/setup.sh"
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

[ "$native_status" -eq 0 ] && [ "$windows_status" -eq 0 ]
