#!/usr/bin/env bash
# Installs what the build needs, builds Palisandre and every test with AddressSanitizer
# and UndefinedBehaviorSanitizer in build-asan/, and runs the tests. Any sanitizer report
# fails the test it came from; tests/CMakeLists.txt sets the sanitizers' options.
# Arguments go to ctest (e.g. -R tst_shell).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# -O1 keeps the build and the run quick while the stack traces stay readable.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DPLSD_SANITIZE=ON
cmake --build build-asan -j2
cd build-asan
ctest --output-on-failure -j2 "$@"
