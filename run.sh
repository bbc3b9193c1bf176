#!/usr/bin/env bash
# The main job: builds the scene tool, writes a sample scene, packs it behind a program and
# lists the package that the program now carries.
set -euo pipefail
cd "$(dirname "$0")"

scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vxscene >/dev/null

vxscene=build/default/tools/vxscene/vxscene
out=out/sample
rm -rf "$out"
mkdir -p "$out"
"$vxscene" sample --out "$out/scene"
# Any program can carry a package; until the engine exists the tool itself serves as the stub.
"$vxscene" pack --stub "$vxscene" --out "$out/Sample.scr" "$out/scene"
"$vxscene" list "$out/Sample.scr"
echo "The scene saver is $out/Sample.scr; its scene folder is $out/scene."
