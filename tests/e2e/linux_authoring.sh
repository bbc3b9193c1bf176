#!/usr/bin/env bash
# A scene made the way the README tells a newcomer to make one (vxscene new, paint the water
# into regions.png, vxscene build behind the Linux player) plays as a screensaver under its own
# Xvfb: the screen shows what vxscene renders of it, and a key ends it cleanly.
#   tests/e2e/linux_authoring.sh BUILD_DIR      (lumora and vxscene from it)
set -u
build=$1
lumora=$build/src/lumora
vxscene=$build/tools/vxscene/vxscene
here=$(cd "$(dirname "$0")" && pwd)
pictures=("python3" "$here/../tools/authoring_pictures.py")
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

for n in $(seq 70 89); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done

# The author's steps: a picture, a new folder, water painted into the lower part, the saver.
"${pictures[@]}" soft "$work/lake.png" 320 240
"$vxscene" new "$work/Lake" --background "$work/lake.png" >/dev/null || fail "new"
"${pictures[@]}" region "$work/Lake/regions.png" 320 240 rgb 40 150 280 240 1
python3 - "$work/Lake/scene.json" <<'PY'
import json, sys
scene = json.load(open(sys.argv[1]))
scene["title"] = "Lake"
scene["waves"][0].update({"Amplitude": 3, "Perspective": False})
json.dump(scene, open(sys.argv[1], "w"), indent=2)
PY
"$vxscene" build "$work/Lake" --stub "$lumora" --out "$work/LakeSaver" >/dev/null || fail "build"

# Only the water moves: no clock, no sound, no music in the settings.
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_CONFIG_HOME/lumora" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Config]\r\nShowClock=0\r\nSound=0\r\nMusic=0\r\n' >"$XDG_CONFIG_HOME/lumora/LakeSaver.ini"

xdotool mousemove 500 300
"$work/LakeSaver" /s >"$work/saver.log" 2>&1 &
pid=$!
pids+=($pid)
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1)
  [[ -n $window ]] && break
  sleep 0.1
done
[[ -n $window ]] || fail "the built saver shows no window: $(cat "$work/saver.log")"
sleep 0.8  # a few frames
import -window root "$work/shot.png"
"$vxscene" render "$work/LakeSaver" --out "$work/ref" --frames 4 --frame-ms 700 --size 1024x768 --stretch >/dev/null ||
  fail "render"
for f in shot ref/frame_0001 ref/frame_0002 ref/frame_0003 ref/frame_0004; do convert "$work/$f.png" "rgb:$work/${f//\//-}.raw"; done
python3 "$here/compare_frames.py" 1024 768 "$work/shot.raw" "$work"/ref-frame_000?.raw || fail "the screen is not the built scene"

xdotool key space
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "a key did not end the built saver"
wait "$pid" || fail "the built saver ended with exit code $?"
[[ -e $XDG_RUNTIME_DIR/LakeSaver ]] && fail "the built saver left its scene folder behind"
echo "linux authoring end to end: 1 passed, 0 failed"
