#!/usr/bin/env bash
# Configures tests/subproject, an outer CMake project with Palisandre as a subdirectory,
# builds its program on Palisandre::core and palisandre-tool, and runs both.
#
#   subproject-check.sh SOURCE_FOLDER [CMAKE]
set -uo pipefail

source=${1:?usage: subproject-check.sh SOURCE_FOLDER [CMAKE]}
cmake=${2:-cmake}

fail() {
    echo "subproject-check: FAIL: $*" >&2
    exit 1
}

build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT

# Debug without optimisation: the build is checked, not its speed.
"$cmake" -S "$source/tests/subproject" -B "$build" -DPALISANDRE_SOURCE="$source" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DPLSD_WERROR=ON >"$build/configure.log" 2>&1 \
    || fail "the outer project does not configure: $(tail -n 30 "$build/configure.log")"
"$cmake" --build "$build" -j2 --target outer_blkinfo palisandre-tool >"$build/build.log" 2>&1 \
    || fail "the outer project does not build: $(grep -m 20 -E 'error|Error' "$build/build.log")"
tool="$build/palisandre/palisandre-tool"
"$tool" convert "$source/docs/render.png" "$build/render.blk" >/dev/null 2>&1 || fail "palisandre-tool of the outer build failed"
output=$("$build/outer_blkinfo" "$build/render.blk" 2>&1) || fail "the outer program failed: $output"
[ "$output" = "$build/render.blk: 6 x 4 blocks, 768 x 512 pixels, 5-6-5" ] || fail "the outer program printed \"$output\""
echo "subproject-check: Palisandre built inside an outer project; its program read a background file: $output"
