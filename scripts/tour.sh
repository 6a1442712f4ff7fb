#!/usr/bin/env bash
# Sets up, builds, and takes the tour of the library: examples/tour.zor run
# by zor_shell against the real DLL under Wine, or with --native against the
# Linux library.
#
#   scripts/tour.sh [--native]
source "$(dirname "$0")/common.sh"

case "${1:-}" in
"") native=0 ;;
--native) native=1 ;;
*) echo "usage: scripts/tour.sh [--native]" >&2; exit 2 ;;
esac

"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" >/dev/null
cd "$ROOT"

if [ "$native" -eq 1 ]; then
    step "Tour, qrbjs64i.so (native)"
    "$NATIVE_BUILD/bin/zor_shell" examples/tour.zor
else
    step "Tour, qrbjs64i.dll under Wine"
    trap wine_down EXIT
    wine_up
    wine "$WINDOWS_BUILD/bin/zor_shell.exe" examples/tour.zor
fi
