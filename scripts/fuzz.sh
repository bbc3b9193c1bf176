#!/usr/bin/env bash
# Builds the fuzz preset and runs one libFuzzer target for a while, with a seed corpus made by
# the project's own tools.
#   scripts/fuzz.sh TARGET [SECONDS]     TARGET: package | ini | project | gif | jpeg | bmp | wav
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1
seconds=${2:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "fuzz_$target" >/dev/null
cmake --build --preset default --target vxscene >/dev/null 2>&1 || { cmake --preset default >/dev/null; cmake --build --preset default --target vxscene >/dev/null; }
vxscene=build/default/tools/vxscene/vxscene

corpus=fuzz-corpus/$target
mkdir -p "$corpus"
case $target in
  package)
    seeds=$(mktemp -d)
    "$vxscene" sample --out "$seeds/scene" >/dev/null
    "$vxscene" pack --out "$corpus/seed-bare.pkg" "$seeds/scene" >/dev/null
    printf 'MZ stub bytes' | cat - "$corpus/seed-bare.pkg" >"$corpus/seed-stub.scr"
    rm -rf "$seeds" ;;
  project)
    seeds=$(mktemp -d)
    "$vxscene" sample --out "$seeds/scene" >/dev/null
    cp "$seeds/scene/VXTemp.vxp" "$corpus/seed-sample.vxp"
    head -c 2000 "$corpus/seed-sample.vxp" >"$corpus/seed-cut.vxp"
    rm -rf "$seeds" ;;
  wav)
    seeds=$(mktemp -d)
    "$vxscene" sample --out "$seeds/scene" >/dev/null
    cp "$seeds/scene/sound0.wav" "$corpus/seed-chime.wav"
    head -c 300 "$corpus/seed-chime.wav" >"$corpus/seed-cut.wav"
    rm -rf "$seeds" ;;
  gif|jpeg|bmp)
    cmake --build --preset fuzz --target codec_seeds >/dev/null
    build/fuzz/fuzz/codec_seeds fuzz-corpus >/dev/null ;;
  ini)
    printf '[Header]\r\nResCount=3\r\nRes0=VXHeader.dat\r\nMusic=1\r\nMusicVolume=0x50\r\n' >"$corpus/seed-header"
    printf '[Obj0]\r\n;c\r\nMotion=257\r\nFilename=C:\\a b.gif\r\n[Obj1]\r\nObjType=IMG\r\n' >"$corpus/seed-object"
    printf '[BuildScr],"Filename=My Scene.scr",MusicFile=,Music=0,Sound=1,,[BuildExe],Filename=' >"$corpus/seed-comma" ;;
esac
"build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -15
