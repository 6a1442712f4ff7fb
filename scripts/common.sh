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

# The version number, from the project's one statement of it in CMakeLists.txt.
project_version() { sed -n 's/^project(qrbjs64i VERSION \([0-9]*\).*/\1/p' "$ROOT/CMakeLists.txt"; }

# Starts one persistent wineserver for the prefix, then makes the prefix if
# needed. Wine's background services start here, with their output going
# nowhere: started by a test program instead, they would inherit the test
# runner's output pipe and keep it open after the program ends.
wine_up() {
    mkdir -p "$WINEPREFIX"
    wineserver -p
    wineboot --init </dev/null >/dev/null 2>&1 || true
}

wine_down() { wineserver -k 2>/dev/null || true; }
