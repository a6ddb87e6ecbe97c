#!/usr/bin/env bash
# Sets everything up, then builds and runs the whole test suite: the normal build first, then the
# AddressSanitizer + UndefinedBehaviorSanitizer build, then each fuzz target for 30 s under the
# same sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake --preset default
cmake --build --preset default
ctest --preset default -j2

cmake --preset asan
cmake --build --preset asan
ctest --preset asan -j2

bash scripts/fuzz.sh 30
