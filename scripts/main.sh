#!/usr/bin/env bash
# Sets everything up, builds, and runs the main job on its built-in defaults.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
./build/hosts/quorvane/quorvane --help
