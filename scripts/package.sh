#!/usr/bin/env bash
# Builds the release package dist/qrbjs64i-<version>.zip. The Release DLL and
# the Windows shell are built in a folder of their own and the whole Windows
# test suite runs against them under Wine; only then are they packed, with
# the reference pages, the examples, the user guide (the README up to its
# end-of-guide mark), the licence, the language files and a SHA-256 checksum
# of every file. The zip is then unpacked and its checksums and DLL checked.
source "$(dirname "$0")/common.sh"

RELEASE_BUILD="$ROOT/build/release-windows"
export WINEPREFIX="$RELEASE_BUILD/wineprefix"
name="qrbjs64i-$(project_version)"
zip="$ROOT/dist/$name.zip"
guide_end='^<!-- end of the user guide'

"$ROOT/scripts/setup.sh"

step "Release build ($RELEASE_BUILD)"
cmake -S "$ROOT" -B "$RELEASE_BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$RELEASE_BUILD" -j "$JOBS"
dll="$RELEASE_BUILD/bin/qrbjs64i.dll"
"$ROOT/scripts/check-dll.sh" "$dll"

step "Windows tests under Wine, against the release DLL"
rm -rf "$WINEPREFIX"
scratch="$(mktemp -d)"
trap 'wine_down; rm -rf "$scratch"' EXIT
wine_up
ctest --test-dir "$RELEASE_BUILD" --output-on-failure

step "Packing $zip"
stage="$scratch/$name"
mkdir -p "$stage/languages"
cp "$dll" "$RELEASE_BUILD/bin/zor_shell.exe" "$ROOT/LICENSE" "$stage/"
cp -r "$ROOT/docs" "$ROOT/examples" "$stage/"
cp "$ROOT"/resources/lang/QRVELANG.* "$stage/languages/"
grep -q "$guide_end" "$ROOT/README.md" || { echo "package: README.md has no end-of-guide mark" >&2; exit 1; }
sed "/$guide_end/,\$d" "$ROOT/README.md" >"$stage/README.md"
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum) >"$scratch/SHA256SUMS"
mv "$scratch/SHA256SUMS" "$stage/"
mkdir -p "$ROOT/dist"
rm -f "$zip"
(cd "$scratch" && zip -qrX "$zip" "$name")

step "Checking the package"
mkdir "$scratch/unpacked"
unzip -q "$zip" -d "$scratch/unpacked"
(cd "$scratch/unpacked/$name" && sha256sum --quiet -c SHA256SUMS)
packed="$scratch/unpacked/$name/qrbjs64i.dll"
cmp "$packed" "$dll"
# The packed DLL against the one just tested, and against the one that
# scripts/test.sh tested, if there is one: same FileVersion, exports, imports.
report() { "$ROOT/scripts/check-dll.sh" "$1" | tail -n +2; }
report "$packed" | tee "$scratch/packed.report"
for tested in "$dll" "$WINDOWS_BUILD/bin/qrbjs64i.dll"; do
    [ -f "$tested" ] || continue
    report "$tested" | diff -u "$scratch/packed.report" - || { echo "package: the packed DLL differs from $tested" >&2; exit 1; }
    echo "package: same FileVersion, exports and imports as $tested"
done
echo "package: $zip ($(du -h "$zip" | cut -f1)), $(wc -l <"$scratch/unpacked/$name/SHA256SUMS") files with checksums"
