#!/usr/bin/env bash
# The main job: builds the scene tool, makes the built-in demo scene, packs it into a saver and
# renders 90 frames of it with the clock on: PNG frames and an animated GIF preview.
set -euo pipefail
cd "$(dirname "$0")"

scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vxscene >/dev/null

vxscene=build/default/tools/vxscene/vxscene
out=out/demo
rm -rf "$out"
mkdir -p "$out"
"$vxscene" demo --out "$out/scene"
# Any program can carry a package; until the engine program exists the tool itself is the stub.
"$vxscene" pack --stub "$vxscene" --out "$out/Demo.scr" "$out/scene"
"$vxscene" list "$out/Demo.scr"
"$vxscene" render "$out/Demo.scr" --out "$out/frames" --frames 90 --clock --time 18:42:05 \
  --gif "$out/preview.gif" --gif-width 640 --sound-log "$out/sounds.json"
echo
echo "The demo saver is $out/Demo.scr."
echo "Its frames are in $out/frames/ (frame_0001.png .. frame_0090.png) and the preview is $out/preview.gif;"
echo "the sounds it starts in those three seconds are listed in $out/sounds.json."
