#!/usr/bin/env bash
# Makes the Debian package with CPack, installs it on this machine with apt-get, and
# checks what a desktop and a developer meet: the file types, the thumbnailer, the manual,
# the AppStream metainfo, the desktop entry, one version everywhere, and the core's CMake
# package with an example built against it. It needs root (CI runs as root) and skips
# otherwise. A package that was not installed before is removed again at the end.
#
#   package-check.sh SOURCE_FOLDER BUILD_FOLDER VERSION CPACK CMAKE
set -uo pipefail

usage="usage: package-check.sh SOURCE_FOLDER BUILD_FOLDER VERSION CPACK CMAKE"
source=${1:?$usage}
build=${2:?$usage}
version=${3:?$usage}
cpack=${4:?$usage}
cmake=${5:?$usage}
Skip=77

fail() {
    echo "package-check: FAIL: $*" >&2
    exit 1
}

if [ "$(id -u)" -ne 0 ]; then
    echo "package-check: skipped: installing the package needs root (CI runs as root)"
    exit $Skip
fi
for program in apt-get dpkg-shlibdeps xdg-mime mimetype appstreamcli desktop-file-validate man file; do
    command -v "$program" >/dev/null || fail "$program is missing: run tools/install-deps.sh"
done

work=$(mktemp -d)
installed_before=$(dpkg-query -W -f='${Status}' palisandre 2>/dev/null | grep -c "install ok installed")
cleanup() {
    if [ "$installed_before" = 0 ] && dpkg-query -W palisandre >/dev/null 2>&1; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 palisandre >/dev/null 2>&1
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The package.
(cd "$work" && "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 \
    || fail "cpack failed: $(tail -n 30 "$work/cpack.log")"
arch=$(dpkg --print-architecture)
deb="$work/out/palisandre_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no palisandre_${version}_${arch}.deb; cpack made: $(ls "$work/out")"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
    *libqt6widgets6*libc6* | *libc6*libqt6widgets6*) ;;
    *) fail "the package's dependencies were not worked out from the binaries: Depends: $depends" ;;
esac
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is $(dpkg-deb -f "$deb" Version), not $version"

(cd "$work/out" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 \
    "./palisandre_${version}_${arch}.deb") >"$work/apt.log" 2>&1 || fail "apt-get install failed: $(tail -n 20 "$work/apt.log")"

# One version: the tool, the program, the package and the AppStream release.
[ "$(palisandre-tool --version)" = "palisandre-tool $version" ] || fail "palisandre-tool --version: $(palisandre-tool --version)"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY palisandre --version 2>&1)" = "palisandre $version" ] \
    || fail "palisandre --version: $(env -u DISPLAY palisandre --version 2>&1)"
metainfo=/usr/share/metainfo/org.example.palisandre.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "the AppStream release is not $version"

# Files a file manager sees: a background file (made by the installed tool) and a script.
cd "$work"
# docs/render.png is 768 x 426 pixels: its background file holds 6 x 4 blocks, 768 x 512.
palisandre-tool convert "$source/docs/render.png" garden.blk >/dev/null 2>&1 || fail "palisandre-tool convert failed"
printf 'brmi 3 100\r\naddm 0 0 768 512 "garden"\r\naddr 3 10 150 20 20 120 120\r\naddr 3 150 300 20 40 120 140\r\ndoor 100 101 40\r\n' \
    >garden.cos
cp garden.blk no-extension
[ "$(xdg-mime query filetype garden.blk)" = image/x-creatures-background ] \
    || fail "xdg-mime names a .blk $(xdg-mime query filetype garden.blk)"
[ "$(xdg-mime query filetype garden.cos)" = text/x-caos ] || fail "xdg-mime names a .cos $(xdg-mime query filetype garden.cos)"
[ "$(mimetype --brief --magic-only no-extension)" = image/x-creatures-background ] \
    || fail "the header's magic does not tell a background file without its extension: $(mimetype --brief --magic-only no-extension)"
for type in image/x-creatures-background text/x-caos; do
    [ "$(xdg-mime query default $type)" = palisandre.desktop ] \
        || fail "the desktop does not open $type with palisandre: $(xdg-mime query default $type)"
done

# The thumbnailer entry runs the tool as a file manager does.
thumbnailer=/usr/share/thumbnailers/palisandre.thumbnailer
grep -q '^MimeType=image/x-creatures-background;text/x-caos;$' "$thumbnailer" || fail "the thumbnailer names other types"
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
command=${exec_line//%s/128}
command=${command//%i/$work/garden.blk}
command=${command//%o/$work/thumb.png}
env -u DISPLAY -u WAYLAND_DISPLAY $command || fail "the thumbnailer's command failed: $command"
file thumb.png | grep -q "PNG image data, 128 x 85," || fail "the thumbnail is $(file -b thumb.png), not a 128 x 85 PNG"
env -u DISPLAY -u WAYLAND_DISPLAY palisandre-tool thumbnail garden.cos rooms.png || fail "a script's thumbnail failed"
file rooms.png | grep -q "PNG image data, 256 x 171," || fail "the script's thumbnail is $(file -b rooms.png)"

# The manual. Debian's minimal images may leave the manual out (dpkg path-exclude); then
# the page is looked for in the package instead, and that is said.
if grep -qs '^path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
    echo "package-check: note: dpkg here excludes /usr/share/man; the pages are checked in the package"
    dpkg-deb -c "$deb" | grep -q "usr/share/man/man1/palisandre-tool.1.gz" || fail "the package holds no palisandre-tool(1)"
else
    for page in palisandre palisandre-tool; do
        [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page found \"$(man -w "$page" 2>&1)\""
    done
    man --warnings palisandre-tool 2>&1 >/dev/null | grep . && fail "the manual page has faults"
fi
# bash-completion finds the tool's completion by the command's name, as it does on Tab.
completion=$(bash -c 'source /usr/share/bash-completion/bash_completion && _completion_loader palisandre-tool;
    complete -p palisandre-tool' 2>&1)
[ "$completion" = "complete -F _palisandre_tool palisandre-tool" ] || fail "bash-completion does not load the tool's: $completion"

appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || fail "appstreamcli: $(cat "$work/appstream.log")"
desktop-file-validate /usr/share/applications/palisandre.desktop || fail "desktop-file-validate rejects the entry"

bash "$source/tests/example-check.sh" "$source" /usr "$work/garden.blk" "$cmake" || fail "the example against the package"
echo "package-check: palisandre_${version}_${arch}.deb installed and checked (Depends: $depends)"
