# Shared settings of the project's scripts; sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
NATIVE_BUILD="$ROOT/build/native"
WINDOWS_BUILD="$ROOT/build/windows"
JOBS="$(nproc 2>/dev/null || echo 2)"

# Headless Wine: no debug chatter, no installer dialogs, the project's own prefix.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$WINDOWS_BUILD/wineprefix"

step() { printf '\n== %s\n' "$*"; }

# Makes the Wine prefix when there is none; keeps one wineserver alive.
wine_up() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1 || true
        wineserver -w
    fi
    wineserver -p
}

wine_down() { wineserver -k 2>/dev/null || true; }
