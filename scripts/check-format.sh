#!/usr/bin/env bash
# Fails when clang-format would change any C or C++ file of the project
# (the layout is .clang-format's); names each file that differs.
source "$(dirname "$0")/common.sh"
cd "$ROOT"

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print)
fi

differing=()
for file in "${files[@]}"; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || differing+=("$file")
done
if [ ${#differing[@]} -ne 0 ]; then
    echo "format: ${#differing[@]} of ${#files[@]} files differ from .clang-format (run clang-format -i on them):"
    printf '  %s\n' "${differing[@]}"
    exit 1
fi
echo "format: all ${#files[@]} C and C++ files follow .clang-format"
