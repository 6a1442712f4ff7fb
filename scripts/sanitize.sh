#!/usr/bin/env bash
# The native integration, injection and transcript suites built with
# AddressSanitizer and UBSan (build/sanitize), and the differential run's
# scripts through its shell against the native one; then the integration suite of
# the native build (scripts/build.sh) under valgrind memcheck, which must
# find no error and no block lost once the library is unloaded. valgrind
# leaves out the corpus, language file and extreme-argument tests, which take
# minutes under it and run under the sanitizers; `all` as the argument keeps them.
source "$(dirname "$0")/common.sh"

SANITIZE_BUILD="$ROOT/build/sanitize"

step "Sanitizer build ($SANITIZE_BUILD)"
cmake -S "$ROOT" -B "$SANITIZE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZOR_SANITIZE=ON >/dev/null
cmake --build "$SANITIZE_BUILD" -j "$JOBS" --target qrbjs64i zor_shell integration_tests injection_tests independent_host

step "Suites under ASan and UBSan"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$SANITIZE_BUILD" --output-on-failure -R '^(integration|injection|independent_host|golden_.*|docs_.*)$'
ZOR_DIFF_SANITIZE="$SANITIZE_BUILD" "$ROOT/scripts/differential.sh" --sanitize
unset ASAN_OPTIONS UBSAN_OPTIONS

step "Integration suite under valgrind"
filter='-Documents/*:Shipped/*:Abuse.*'
[ "${1:-}" = all ] && filter='*'
valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible \
    "$NATIVE_BUILD/bin/integration_tests" --gtest_brief=1 --gtest_filter="$filter"
