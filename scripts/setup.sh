#!/usr/bin/env bash
# Installs everything Quorvane needs to build, test and run on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  # build, tests, benchmarks
  cmake ninja-build g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
  # property-list files
  libplist-dev
  # 2-D drawing, image contexts, image files
  libcairo2-dev libpng-dev libjpeg-dev
  # text shaping, fonts, locale
  libharfbuzz-dev libfontconfig-dev libfreetype-dev libicu-dev
  # GPU: OpenGL ES 3 on EGL, Mesa's software rasteriser when there is no GPU
  libegl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri
  # fonts the platform's text uses
  fonts-inter-variable fonts-quicksand fonts-wqy-microhei
  # system symbol images (chevrons, check marks) drawn from an icon font
  fonts-material-design-icons-iconfont
  # regenerating the variable clock font
  python3 python3-fonttools
  # scene scripts
  nlohmann-json3-dev
  # interactive preview and window tests
  libsdl2-dev libx11-dev xvfb xdotool
  # fuzzing: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
echo "setup: all packages present"
