#!/bin/sh
# Regenerates the auto-load snapshots (src/resources/snapshots/zxstate-ID.szx)
# from the original ROMs: scripts/make-snapshots.sh [ROM folder] [build folder]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
roms=${1:-${REELBOX_ROMS:-$root/../shared/roms}}
build=${2:-$root/build}
cmake --build "$build" --target reelbox_make_snapshots
"$build/tools/snapshots/reelbox-make-snapshots" --roms "$roms" --out "$root/src/resources/snapshots"
