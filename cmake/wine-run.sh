#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest: wine-run.sh program.exe [args...]
#
# Wine's background processes (wineserver, services) inherit the output of the
# process that started them; if that is ctest's pipe, ctest waits for them for
# minutes. So the program's output goes to a file, which is printed afterwards,
# and the program's own exit code is returned. The Wine prefix lives in the
# build folder (the nearest parent of the program holding CMakeCache.txt) and is
# made once, under a lock, before the first program runs.
set -uo pipefail

program=$1
shift

build_dir_of() {
  local dir
  dir=$(cd "$(dirname "$1")" && pwd)
  while [[ $dir != / && ! -f $dir/CMakeCache.txt ]]; do dir=$(dirname "$dir"); done
  [[ $dir == / ]] && dir=$(cd "$(dirname "$1")" && pwd)
  echo "$dir"
}

export WINEPREFIX=${WINEPREFIX:-$(build_dir_of "$program")/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d"
export WINEARCH=win64

mkdir -p "$WINEPREFIX"
(
  flock 9
  if [[ ! -f $WINEPREFIX/.initialised ]]; then
    # Without a window manager (Xvfb), destroying a managed top-level window stalls for 2 s.
    wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 </dev/null &&
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$WINEPREFIX/wineboot.log" 2>&1 </dev/null &&
      touch "$WINEPREFIX/.initialised"
  fi
  # Wine's desktop process keeps the X display it started with (or none): when
  # the display changes (tests discovered without one, then run under a new
  # xvfb-run, which also brings a new XAUTHORITY), the prefix's processes end first.
  display="${DISPLAY:-none} ${XAUTHORITY:-}"
  if [[ -f $WINEPREFIX/.display && $(<"$WINEPREFIX/.display") != "$display" ]]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  echo "$display" >"$WINEPREFIX/.display"
) 9>"$WINEPREFIX/.init-lock"

log=$(mktemp "$WINEPREFIX/run.XXXXXX")
wine "$program" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit "$status"
