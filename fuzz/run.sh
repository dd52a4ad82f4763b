#!/usr/bin/env bash
# Builds a fuzz target in build-fuzz/ when needed, writes its seed corpus, runs it on one
# process for the given seconds and prints executions, corpus size and coverage.
#
#   fuzz/run.sh TARGET SECONDS        TARGET: fuzz_script or fuzz_background
#
# Needs clang-14 and libclang-rt-14-dev (tools/install-deps.sh installs them). Exits
# non-zero on any finding: a crash, a failed check, a sanitizer or leak report, an
# uncaught exception, an input running over 10 s or more than 1224 MB of memory (the
# readers' memory budget of 1 GB and 200 MB for the rest). The
# inputs that show it are kept in build-fuzz/findings/.
set -euo pipefail

usage() {
  echo "usage: $0 TARGET SECONDS   (TARGET: fuzz_script or fuzz_background)" >&2
  exit 2
}
[ $# -eq 2 ] || usage
target=$1
seconds=$2
[[ $seconds =~ ^[0-9]+$ ]] || usage

# Each target NAME has fuzz/fuzz_NAME.cpp, fuzz/NAME_seeds.cpp and, if any, fuzz/NAME.dict.
# fuzz_script makes a real room widget per room line: 8 KB of script holds a few hundred
# of them, which keeps an input quick and small.
case $target in
  fuzz_script) limits=(-max_len=8192) ;;
  fuzz_background) limits=() ;;
  *) usage ;;
esac
name=${target#fuzz_}

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPLSD_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" -j2 --target "$target" "${name}_seeds"

seeds=$build/seeds/$name
corpus=$build/corpus/$name
findings=$build/findings/$target-$(date +%Y%m%d-%H%M%S)
log=$build/logs/$target.log
rm -rf "$seeds"
"$build/fuzz/${name}_seeds" "$seeds"
mkdir -p "$corpus" "$findings" "$(dirname "$log")"

options=(-max_total_time="$seconds" -rss_limit_mb=1224 -timeout=10 -print_final_stats=1
  -artifact_prefix="$findings/" "${limits[@]}")
if [ -f "$root/fuzz/$name.dict" ]; then
  options+=(-dict="$root/fuzz/$name.dict")
fi

echo "Running $target for $seconds s; log in $log"
status=0
UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0 \
  "$build/fuzz/$target" "${options[@]}" "$corpus" "$seeds" >"$log" 2>&1 || status=$?

last=$(grep -E '^#[0-9]+[[:space:]].*cov: ' "$log" | tail -n 1 || true)
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
echo "executions: ${executions:-unknown}"
echo "corpus: $(find "$corpus" -type f | wc -l) inputs in $corpus (libFuzzer: $(grep -oE 'corp: [^ ]+' <<<"$last" || echo 'corp: unknown'))"
echo "coverage: $(grep -oE 'cov: [0-9]+ ft: [0-9]+' <<<"$last" || echo unknown)"
grep -E '^stat::' "$log" || true

found=$(find "$findings" -type f | wc -l)
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
  echo "FINDING: $target exited with $status; inputs kept in $findings:" >&2
  ls -l "$findings" >&2 || true
  tail -n 60 "$log" >&2
  exit 1
fi
rmdir "$findings"
echo "$target: no findings"
