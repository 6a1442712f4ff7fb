#!/usr/bin/env bash
# Sets up, builds, and takes the tour of the library through the reference
# host: natively, then the real DLL under Wine.
source "$(dirname "$0")/common.sh"

"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" >/dev/null

step "Tour, native library"
"$NATIVE_BUILD/bin/zor_tour"

step "Tour, qrbjs64i.dll under Wine"
trap wine_down EXIT
wine_up
wine "$WINDOWS_BUILD/bin/zor_tour.exe"
