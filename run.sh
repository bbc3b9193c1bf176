#!/usr/bin/env bash
# The main job: builds the player, the Windows program and the scene tool, packs the built-in
# demo scene behind both (a Linux and a Windows demo saver), and shows it: in a window when
# there is a display (./run.sh --fullscreen: as the screensaver), otherwise as rendered frames,
# an animated GIF preview and the list of the sounds it starts.
set -euo pipefail
cd "$(dirname "$0")"
fullscreen=0
[[ ${1:-} == --fullscreen ]] && fullscreen=1

scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vxscene lumora >/dev/null
scripts/mingw-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target StandAloneScr >/dev/null

vxscene=build/default/tools/vxscene/vxscene
out=out/demo
rm -rf "$out"
mkdir -p "$out"
"$vxscene" demo --out "$out/scene" >/dev/null
"$vxscene" pack --stub build/default/src/lumora --out "$out/Demo" "$out/scene" >/dev/null
"$vxscene" pack --stub build/mingw/src/StandAloneScr.exe --out "$out/Demo.scr" "$out/scene" >/dev/null
echo "The demo savers are $out/Demo for Linux and $out/Demo.scr for Windows (there: right-click it and"
echo "choose Install, or run it with /s). build/default/src/lumora --scene FILE plays any scene saver."

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  if [[ $fullscreen -eq 1 ]]; then
    echo "Showing the demo as the screensaver: move the mouse or press a key to end it."
    exec "$out/Demo" /s
  fi
  echo "Showing the demo in a window: close the window to end it (./run.sh --fullscreen runs it as the screensaver)."
  exec "$out/Demo" --window
fi

echo "There is no display (DISPLAY is ${DISPLAY:-not set}), so the demo is rendered instead of shown."
"$vxscene" render "$out/Demo.scr" --out "$out/frames" --frames 90 --clock --time 18:42:05 \
  --gif "$out/preview.gif" --gif-width 640 --sound-log "$out/sounds.json" >/dev/null
echo "Its frames are in $out/frames/ (frame_0001.png .. frame_0090.png) and the preview is $out/preview.gif;"
echo "the sounds it starts in those three seconds are listed in $out/sounds.json."
