#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks that the program, its desktop entry
# and its icon land where desktops look for them, that the entry names both, and that the
# command-line tool is installed beside the program and runs; then that the desktop's
# other files, the manual, the completion and the core's CMake package are there, and, with
# the source folder given, that the example builds against that package.
#
#   install-check.sh CMAKE BUILD_FOLDER [SOURCE_FOLDER]
set -uo pipefail

cmake=${1:?usage: install-check.sh CMAKE BUILD_FOLDER}
build=${2:?usage: install-check.sh CMAKE BUILD_FOLDER}
source=${3:-}

fail() {
    echo "install-check: FAIL: $*" >&2
    exit 1
}

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 \
    || fail "cmake --install failed: $(cat "$prefix.log")"
rm -f "$prefix.log"

program="$prefix/bin/palisandre"
entry="$prefix/share/applications/palisandre.desktop"
icon="$prefix/share/icons/hicolor/scalable/apps/palisandre.svg"
[ -x "$program" ] || fail "no program at bin/palisandre"
tool="$prefix/bin/palisandre-tool"
[ -x "$tool" ] || fail "no command-line tool at bin/palisandre-tool"
version=$(env -u DISPLAY -u QT_QPA_PLATFORM "$tool" --version 2>&1) || fail "palisandre-tool --version failed: $version"
case "$version" in
    "palisandre-tool "[0-9]*) ;;
    *) fail "palisandre-tool --version printed \"$version\"" ;;
esac
[ -f "$entry" ] || fail "no desktop entry at share/applications/palisandre.desktop"
[ -s "$icon" ] || fail "no icon at share/icons/hicolor/scalable/apps/palisandre.svg"

value() { sed -n "s/^$1=//p" "$entry" | head -n 1; }
[ "$(value Exec)" = "palisandre %F" ] || fail "the entry starts \"$(value Exec)\", not the installed palisandre with its files (%F)"
[ "$(value Icon)" = palisandre ] || fail "the entry's icon is \"$(value Icon)\", not the installed palisandre.svg"
grep -q '<svg' "$icon" || fail "the icon is not an SVG picture"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
fi

for file in share/mime/packages/palisandre.xml share/thumbnailers/palisandre.thumbnailer \
    share/metainfo/org.example.palisandre.metainfo.xml share/man/man1/palisandre.1.gz \
    share/man/man1/palisandre-tool.1.gz share/bash-completion/completions/palisandre-tool \
    share/icons/hicolor/scalable/mimetypes/image-x-creatures-background.svg \
    share/icons/hicolor/scalable/mimetypes/text-x-caos.svg share/doc/palisandre/copyright \
    lib/libplsd_core.a include/palisandre/core/background/blkfile.h lib/cmake/Palisandre/PalisandreConfig.cmake; do
    [ -s "$prefix/$file" ] || fail "no $file"
done
# One version: the program's, the tool's and the AppStream release's.
number=${version#palisandre-tool }
program_version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version 2>&1)
[ "$program_version" = "palisandre $number" ] || fail "palisandre --version printed \"$program_version\", not \"palisandre $number\""
grep -q "<release version=\"$number\"" "$prefix/share/metainfo/org.example.palisandre.metainfo.xml" \
    || fail "the AppStream release is not $number"
case "$(value MimeType)" in
    *image/x-creatures-background\;*text/x-caos\;*) ;;
    *) fail "the entry's MimeType= is \"$(value MimeType)\"" ;;
esac
if command -v update-mime-database >/dev/null; then
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "update-mime-database rejects palisandre.xml"
fi
if [ -n "$source" ]; then
    "$tool" convert "$source/docs/render.png" "$prefix/render.blk" >/dev/null 2>&1 || fail "palisandre-tool convert failed"
    bash "$source/tests/example-check.sh" "$source" "$prefix" "$prefix/render.blk" "$cmake" \
        || fail "the example does not build and run against the installed core"
fi

echo "install-check: program, tool, desktop entry and icon installed under a temporary prefix"
