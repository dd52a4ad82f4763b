#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks that the program, its desktop entry
# and its icon land where desktops look for them, that the entry names both, and that the
# command-line tool is installed beside the program and runs.
#
#   install-check.sh CMAKE BUILD_FOLDER
set -uo pipefail

cmake=${1:?usage: install-check.sh CMAKE BUILD_FOLDER}
build=${2:?usage: install-check.sh CMAKE BUILD_FOLDER}

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
[ "$(value Exec)" = palisandre ] || fail "the entry starts \"$(value Exec)\", not the installed palisandre"
[ "$(value Icon)" = palisandre ] || fail "the entry's icon is \"$(value Icon)\", not the installed palisandre.svg"
grep -q '<svg' "$icon" || fail "the icon is not an SVG picture"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
fi

echo "install-check: program, tool, desktop entry and icon installed under a temporary prefix"
