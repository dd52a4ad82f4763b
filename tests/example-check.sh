#!/usr/bin/env bash
# Builds examples/blkinfo against Palisandre's core installed under a prefix (with
# find_package(Palisandre) and Palisandre::core), and runs it on a background file.
#
#   example-check.sh SOURCE_FOLDER PREFIX BACKGROUND_FILE [CMAKE]
set -uo pipefail

source=${1:?usage: example-check.sh SOURCE_FOLDER PREFIX BACKGROUND_FILE [CMAKE]}
prefix=${2:?usage: example-check.sh SOURCE_FOLDER PREFIX BACKGROUND_FILE [CMAKE]}
background=${3:?usage: example-check.sh SOURCE_FOLDER PREFIX BACKGROUND_FILE [CMAKE]}
cmake=${4:-cmake}

fail() {
    echo "example-check: FAIL: $*" >&2
    exit 1
}

build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT

"$cmake" -S "$source/examples/blkinfo" -B "$build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
    >"$build/configure.log" 2>&1 || fail "the example does not configure against $prefix: $(tail -n 20 "$build/configure.log")"
"$cmake" --build "$build" -j2 >"$build/build.log" 2>&1 || fail "the example does not build: $(tail -n 30 "$build/build.log")"
grep -q "Palisandre_DIR:PATH=$prefix" "$build/CMakeCache.txt" \
    || fail "find_package(Palisandre) took $(grep Palisandre_DIR "$build/CMakeCache.txt"), not the package under $prefix"
output=$("$build/blkinfo" "$background" 2>&1) || fail "the example failed: $output"
case "$output" in
    *": "*" x "*" blocks, "*" pixels, 5-6-5") ;;
    *) fail "the example printed \"$output\"" ;;
esac
echo "example-check: examples/blkinfo built against $prefix and ran: $output"
