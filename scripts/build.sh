#!/usr/bin/env bash
# Builds the native library and tests, and the Windows DLL and test programs.
source "$(dirname "$0")/common.sh"

step "Native build ($NATIVE_BUILD)"
cmake -S "$ROOT" -B "$NATIVE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$NATIVE_BUILD" -j "$JOBS"

step "Windows build ($WINDOWS_BUILD)"
cmake -S "$ROOT" -B "$WINDOWS_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$WINDOWS_BUILD" -j "$JOBS"
