#!/usr/bin/env bash
# Installs what the build needs, builds Palisandre with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLSD_WERROR=ON
cmake --build build -j2
cd build
ctest --output-on-failure -j2
