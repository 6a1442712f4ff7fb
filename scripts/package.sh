#!/usr/bin/env bash
# Builds the release package dist/qrbjs64i-<version>.zip. The Release DLL and
# the Windows shell are built in a folder of their own and the whole Windows
# test suite runs against them under Wine; only then are they packed, with
# the reference pages (as Markdown and as HTML help), the examples, the user
# guide (the README up to its end-of-guide mark), the licence, the language
# files and a SHA-256 checksum of every file. The zip is then unpacked and its
# checksums, DLL and help links checked.
#
# The zip depends on the commit alone: the build leaves out build times and
# folders, and the entries are packed in a fixed order, with fixed
# permissions and the commit's time.
#
#   scripts/package.sh            # dist/qrbjs64i-<version>.zip
#   scripts/package.sh --verify   # then packs HEAD again in a fresh clone and compares
source "$(dirname "$0")/common.sh"

RELEASE_BUILD="$ROOT/build/release-windows"
export WINEPREFIX="$RELEASE_BUILD/wineprefix"
name="qrbjs64i-$(project_version)"
zip="$ROOT/dist/$name.zip"
guide_end='^<!-- end of the user guide'
verify=false
case "${1:-}" in
    "") ;;
    --verify) verify=true ;;
    *) echo "usage: scripts/package.sh [--verify]" >&2; exit 2 ;;
esac
# Every file of the zip carries the time of the commit it was built from.
epoch="$(git -C "$ROOT" log -1 --format=%ct)"
export TZ=UTC

# Renders the Markdown pages of the staged package as help/*.html, one page
# each: docs/README.md as help/index.html, the guide as help/guide.html.
render_help() { # render_help STAGE
    local stage="$1" page html
    for page in README.md $(cd "$stage" && find docs -name '*.md' | LC_ALL=C sort); do
        case "$page" in
            README.md) html=help/guide.html ;;
            docs/README.md) html=help/index.html ;;
            *) html="help/${page#docs/}"; html="${html%.md}.html" ;;
        esac
        mkdir -p "$stage/$(dirname "$html")"
        pandoc -f gfm -t html5 -s --template "$ROOT/scripts/help/page.html" \
            --lua-filter "$ROOT/scripts/help/links.lua" -M source="$page" "$stage/$page" -o "$stage/$html"
    done
}

# Fails unless every href and src of the help pages under folder ROOT names a
# file inside ROOT, and every #anchor an id of its page.
check_help_links() { # check_help_links ROOT
    local root page link path anchor target pages=0 links=0
    root="$(realpath "$1")"
    while read -r page; do
        pages=$((pages + 1))
        while read -r link; do
            links=$((links + 1))
            path="${link%%#*}"
            anchor=""
            [ "$path" = "$link" ] || anchor="${link#*#}"
            [[ "$link" =~ ^[A-Za-z][A-Za-z0-9+.-]*: ]] && { echo "package: ${page#$root/} leads out of the package: $link" >&2; return 1; }
            target="$page"
            [ -z "$path" ] || target="$(realpath -m "$(dirname "$page")/$path")"
            if [[ "$target" != "$root"/* ]] || [ ! -f "$target" ]; then
                echo "package: ${page#$root/} links to a missing file: $link" >&2; return 1
            fi
            if [ -n "$anchor" ] && ! grep -qF "id=\"$anchor\"" "$target"; then
                echo "package: ${page#$root/} links to a missing anchor: $link" >&2; return 1
            fi
        done < <(grep -oE '(href|src)="[^"]*"' "$page" | sed -E 's/^[a-z]+="(.*)"$/\1/')
    done < <(find "$root" -path '*/help/*' -name '*.html' | LC_ALL=C sort)
    echo "package: all $links links of the $pages help pages resolve inside the package"
}

# Zips folder NAME of the current folder as ZIP: entries sorted, no extra
# fields (owners, precise times), every file 0644 and timed at the commit.
pack() { # pack NAME ZIP
    find "$1" -type d -exec chmod 0755 {} + -o -type f -exec chmod 0644 {} +
    find "$1" -exec touch -h -d "@$epoch" {} +
    find "$1" -type f | LC_ALL=C sort | zip -q -X -D -@ "$2"
}

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
printf '\n---\n\nThis package was built from commit `%s` of the qrbjs64i sources, made %s.\n' \
    "$(git -C "$ROOT" rev-parse HEAD)" "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M UTC')" >>"$stage/README.md"
render_help "$stage"
(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum) >"$scratch/SHA256SUMS"
mv "$scratch/SHA256SUMS" "$stage/"
mkdir -p "$ROOT/dist"
rm -f "$zip"
(cd "$scratch" && pack "$name" "$zip")

step "Checking the package"
mkdir "$scratch/unpacked"
unzip -q "$zip" -d "$scratch/unpacked"
(cd "$scratch/unpacked/$name" && sha256sum --quiet -c SHA256SUMS)
packed="$scratch/unpacked/$name/qrbjs64i.dll"
cmp "$packed" "$dll"
check_help_links "$scratch/unpacked/$name"
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
sha256sum "$zip"
$verify || exit 0

# Packs HEAD a second time in a fresh clone, in another folder and at another
# time, and compares the two zips; when they differ, names the files that do.
step "Verifying: packing HEAD again in a fresh clone"
git -C "$ROOT" diff --quiet HEAD || echo "package: note: the working tree differs from HEAD, which the clone packs"
wine_down
clone="$scratch/clone"
git clone -q "$ROOT" "$clone"
"$clone/scripts/package.sh"
again="$clone/dist/$name.zip"
first_sum="$(sha256sum <"$zip" | cut -d' ' -f1)"
second_sum="$(sha256sum <"$again" | cut -d' ' -f1)"
echo "package: $first_sum  $zip"
echo "package: $second_sum  $again"
if [ "$first_sum" != "$second_sum" ]; then
    mkdir "$scratch/again"
    unzip -q "$again" -d "$scratch/again"
    diff -rq "$scratch/unpacked/$name" "$scratch/again/$name" || true
    zipinfo -l "$zip" | tail -n +2 >"$scratch/first.list"; zipinfo -l "$again" | tail -n +2 >"$scratch/again.list"
    diff "$scratch/first.list" "$scratch/again.list" | head -n 20 || true
    echo "package: the two packages differ" >&2
    exit 1
fi
echo "package: the two packages are byte for byte the same"
