#!/usr/bin/env bash
# Installs every Debian 12 package the project needs: both builds, the
# reference host, the tests under sanitizers and Wine, fuzzing, benchmarks and
# the tools that make test tapes. Runs apt-get as root (through sudo if needed).
set -euo pipefail

packages=(
  # native build, tests and reference host
  g++ cmake ninja-build binutils python3 googletest libgtest-dev libgmock-dev libbenchmark-dev
  libz80ex-dev opense-basic zlib1g-dev libpng-dev
  # Windows build, checked under Wine (windows shown on Xvfb, screenshots by ImageMagick)
  g++-mingw-w64-x86-64 wine wine64 libz-mingw-w64-dev xvfb xauth fonts-wine imagemagick
  # libFuzzer targets
  clang libclang-rt-14-dev
  # making test tapes
  z80asm fuse-emulator-utils sox
)

as_root=()
if [[ $(id -u) -ne 0 ]]; then as_root=(sudo); fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${packages[@]}"
