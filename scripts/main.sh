#!/usr/bin/env bash
# Sets everything up, builds, and runs the main job on its built-in defaults.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
# The main job: the glass clock "9:41" over the built-in wallpaper, rendered on the GPU (Mesa's
# software rasteriser when there is none) into a PNG.
./build/hosts/quorvane/quorvane glass --output out/glass.png
