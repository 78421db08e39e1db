#!/usr/bin/env bash
# Builds Install.exe and runs it under Wine, in a Wine prefix of its own (build/run-prefix).
#   tools/run.sh                 as a machine without Flash Player sees it
#   tools/run.sh --with-player   with the Flash Player class registered, so the preview starts
# Without an X display it runs on a private Xvfb, saves a screenshot to build/run.png and ends.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QK_BUILD_DIR:-$top/build}
"$top/tools/build.sh"

export WINEPREFIX=$build/run-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
flash='HKCR\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}'
if [ ! -d "$WINEPREFIX" ]; then
  DISPLAY= wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
fi
if [ "${1:-}" = "--with-player" ]; then
  wine reg add "$flash" /reg:32 /f >/dev/null 2>&1
else
  wine reg delete "$flash" /reg:32 /f >/dev/null 2>&1 || true
fi
wineserver -w

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$build/release/Install.exe"
fi
# A free display number, chosen by Xvfb itself.
rm -f "$build/xvfb.display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$build/xvfb.display" >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k; kill $xvfb' EXIT
until [ -s "$build/xvfb.display" ]; do sleep 0.1; done
export DISPLAY=:$(cat "$build/xvfb.display")
wine "$build/release/Install.exe" >/dev/null 2>&1 &
sleep 12
import -window root -crop 800x600+0+0 "$build/run.png"
echo "No display: the dialog ran on Xvfb; screenshot in $build/run.png"
