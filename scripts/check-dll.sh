#!/usr/bin/env bash
# Checks the built DLL: a PE32+ x86-64 DLL that exports exactly the two
# entries, imports only Windows system DLLs and carries FileVersion "44009".
set -euo pipefail
dll="$1"
objdump=x86_64-w64-mingw32-objdump
fail() { echo "check-dll: $*" >&2; exit 1; }

headers=$($objdump -p "$dll")
$objdump -f "$dll" | grep 'file format' | grep -q 'pei-x86-64' || fail "not a PE32+ x86-64 image"
grep -q 'Magic.*020b' <<<"$headers" || fail "not PE32+"
grep -Eq '^\s+DLL$' <<<"$headers" || fail "not a DLL"

exports=$(echo "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p;/\[Name Pointer\/Ordinal\] Table/,/^$/p' \
    | grep -E '^\s+\[ *[0-9]+\] [A-Za-z_]' | grep -oE '\] [A-Za-z_][A-Za-z0-9_]*' | awk '{print $2}' | sort -u | tr '\n' ' ')
[ "$exports" = "ZORExtender2W ZORExtenderQueryW " ] || fail "exports are '$exports'"

system_dlls='^(KERNEL32|USER32|VERSION|msvcrt|ADVAPI32|ntdll|api-ms-win-.*)\.dll$'
while read -r name; do
    echo "$name" | grep -Eiq "$system_dlls" || fail "imports non-system DLL $name"
done < <(echo "$headers" | awk '/DLL Name:/ {print $3}')

LC_ALL=C grep -aPq 'F\x00i\x00l\x00e\x00V\x00e\x00r\x00s\x00i\x00o\x00n\x00\x00\x00(\x00\x00)?4\x004\x000\x000\x009\x00\x00\x00' "$dll" \
    || fail "no FileVersion 44009"
echo "check-dll: $dll is a PE32+ x86-64 DLL exporting exactly ZORExtender2W and ZORExtenderQueryW," \
     "importing $(echo "$headers" | awk '/DLL Name:/ {printf "%s ", $3}')and carrying FileVersion 44009"
