#!/usr/bin/env bash
# Sets everything up, builds, and runs the main job on its built-in defaults.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default
cmake --build --preset default
# The main job: the home-screen host with the tweak loaded from the build's device tree, on its
# built-in scene: the lock screen of a modern phone with the glass clock, rendered on the GPU
# (Mesa's software rasteriser when there is none), written to out/lockscreen.png.
./build/hosts/quorvane/quorvane lockscreen --output-dir out
