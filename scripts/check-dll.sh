#!/usr/bin/env bash
# Checks a built DLL: a PE32+ x86-64 DLL that exports exactly the two
# entries, imports only Windows system DLLs and carries the project's version
# as its FileVersion. Reports what it found one fact a line after the first,
# so that the reports of two DLLs compare line by line.
#
#   scripts/check-dll.sh DLL
source "$(dirname "$0")/common.sh"
dll="$1"
version="$(project_version)"
objdump=x86_64-w64-mingw32-objdump
fail() { echo "check-dll: $*" >&2; exit 1; }

headers=$($objdump -p "$dll")
$objdump -f "$dll" | grep 'file format' | grep -q 'pei-x86-64' || fail "not a PE32+ x86-64 image"
grep -q 'Magic.*020b' <<<"$headers" || fail "not PE32+"
grep -Eq '^\s+DLL$' <<<"$headers" || fail "not a DLL"

exports=$(echo "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p;/\[Name Pointer\/Ordinal\] Table/,/^$/p' \
    | grep -E '^\s+\[ *[0-9]+\] [A-Za-z_]' | grep -oE '\] [A-Za-z_][A-Za-z0-9_]*' | awk '{print $2}' | sort -u | tr '\n' ' ')
[ "$exports" = "ZORExtender2W ZORExtenderQueryW " ] || fail "exports are '$exports'"

imports=$(echo "$headers" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
system_dlls='^(KERNEL32|USER32|VERSION|msvcrt|ADVAPI32|ntdll|api-ms-win-.*)\.dll$'
for name in $imports; do
    echo "$name" | grep -Eiq "$system_dlls" || fail "imports non-system DLL $name"
done

# The value "FileVersion" of the version resource: UTF-16 name, padding, UTF-16 number.
utf16_version=$(sed 's/./&\\x00/g' <<<"$version")
LC_ALL=C grep -aPq "F\x00i\x00l\x00e\x00V\x00e\x00r\x00s\x00i\x00o\x00n\x00\x00\x00(\x00\x00)?$utf16_version\x00\x00" "$dll" \
    || fail "no FileVersion $version"

echo "check-dll: $dll"
echo "  image:       PE32+ x86-64 DLL"
echo "  exports:     ${exports% }"
echo "  imports:     ${imports% }"
echo "  FileVersion: $version"
