#!/usr/bin/env bash
# Fails on an include that crosses the layers: core/ includes only itself; view/ and
# docks/ include only core/ and themselves; app/ also view/ and docks/; tool/ only core/
# and itself. No other source folder holds program code.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

allowed() {
  case $1 in
    core) echo "core" ;;
    view) echo "core view" ;;
    docks) echo "core docks" ;;
    app) echo "core view docks app" ;;
    tool) echo "core tool" ;;
    *) return 1 ;;
  esac
}

status=0
for dir in */; do
  dir=${dir%/}
  case $dir in tests|bench|fuzz|build*|docs|desktop|tools|examples|packaging|.*) continue ;; esac
  files=$(find "$dir" -name '*.cpp' -o -name '*.h' | sort)
  [ -n "$files" ] || continue
  if ! ok=$(allowed "$dir"); then
    echo "$dir/ holds program code outside the layers (core, view, docks, app, tool)"
    status=1
    continue
  fi
  while IFS=: read -r file line include; do
    target=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$include")
    [[ $target == "$include" ]] && continue   # a header of the same folder, or a system one
    if [[ " $ok " != *" $target "* ]]; then
      echo "$file:$line: $dir/ may not include $target/: $include"
      status=1
    fi
  done < <(grep -nE '^#include "[^"]+/' $files /dev/null | sed -E 's/^([^:]+):([0-9]+):/\1:\2:/')
done
[ $status -eq 0 ] && echo "includes follow the layers"
exit $status
