#!/usr/bin/env bash
# The Linux player end to end, under its own Xvfb with real X events: what the saver shows, what
# ends it and what does not, a second instance, the windowed run, the preview, SIGTERM, an X
# window of the test's own, the start-up time it reports, and the demo's sound.
#   tests/e2e/linux_saver.sh BUILD_DIR      (lumora, vxscene and x_window_helper from it)
set -u
build=$1
lumora=$build/src/lumora
vxscene=$build/tools/vxscene/vxscene
helper=$build/tests/x_window_helper
here=$(cd "$(dirname "$0")" && pwd)
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

# The test scene: a picture whose lower third is water, no objects, no weather; no clock and no
# sound in the settings, so that only the water moves. Settings and scene folders of its own.
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy LUMORA_TIMING=1
mkdir -p "$XDG_CONFIG_HOME/lumora" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
"$vxscene" sample --out "$work/scene" >/dev/null || fail "sample"
"$vxscene" pack --out "$work/Sample.scr" "$work/scene" >/dev/null || fail "pack"
printf '[Config]\r\nShowClock=0\r\nSound=0\r\nMusic=0\r\n' >"$XDG_CONFIG_HOME/lumora/Sample.scr.ini"
scene_folder=$XDG_RUNTIME_DIR/Sample.scr

start() {  # start lumora with the arguments; sets $pid and waits for its window
  "$lumora" --scene "$work/Sample.scr" "$@" >"$work/lumora.log" 2>&1 &
  pid=$!
  pids+=($pid)
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1)
    [[ -n $window ]] && break
    sleep 0.1
  done
  [[ -n $window ]] || fail "no window for lumora $*: $(cat "$work/lumora.log")"
  sleep 0.8  # a few frames
}
running() { kill -0 "$pid" 2>/dev/null; }
ended_well() {  # waits for the end; the exit code must be 0 and the scene folder gone
  for _ in $(seq 50); do running || break; sleep 0.1; done
  running && fail "$1: still running"
  wait "$pid"
  local code=$?
  [[ $code -eq 0 ]] || fail "$1: exit code $code"
  [[ -e $scene_folder ]] && fail "$1: the scene folder is still there"
  return 0
}
moves() { for step in "$@"; do xdotool mousemove_relative -- $step; sleep 0.15; done; }
timed() {  # the run's log holds its start-up time once, as a number
  for _ in $(seq 50); do grep -q first-frame-ms "$work/lumora.log" && break; sleep 0.1; done
  [[ $(grep -c first-frame-ms "$work/lumora.log") -eq 1 ]] && grep -Eqx 'first-frame-ms [0-9]+' "$work/lumora.log" ||
    fail "$1: not one start-up time: $(cat "$work/lumora.log")"
}

# /s: the screen shows the frame that vxscene renders for this scene and size: exactly outside
# the water, and inside it within a tolerance (the water moves with the time of the frame).
xdotool mousemove 500 300
start /s
timed "/s"
import -window root "$work/shot.png"
"$vxscene" render "$work/Sample.scr" --out "$work/ref" --frames 4 --frame-ms 700 --size 1024x768 --stretch >/dev/null
for f in shot ref/frame_0001 ref/frame_0002 ref/frame_0003 ref/frame_0004; do convert "$work/$f.png" "rgb:$work/${f//\//-}.raw"; done
python3 "$here/compare_frames.py" 1024 768 "$work/shot.raw" "$work"/ref-frame_000?.raw || fail "the screen is not the scene"

# Small moves and a creep of two pixels leave it running; a jump of three ends it.
moves "1 0" "0 1" "-1 0" "1 1" "2 2" "2 0" "0 2" "-2 -2"
running || fail "small moves ended the saver"
moves "3 0"
ended_well "a three-pixel jump"
LUMORA_TIMING= start /s
moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0"
xdotool key space  # through XTEST: sent to a window that closes on it, the release fails and the next saver starts with the key down
ended_well "a key"
grep -q first-frame-ms "$work/lumora.log" && fail "a start-up time nobody asked for"
start /s
moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0"
xdotool click 1
ended_well "a click"

# A second start while one runs ends at once and shows nothing.
start /s
second_start=$(date +%s%N)
"$lumora" --scene "$work/Sample.scr" /s >/dev/null 2>&1 || fail "the second start failed"
(( ($(date +%s%N) - second_start) / 1000000 < 2000 )) || fail "the second start did not end at once"
running || fail "the first saver ended"
kill -TERM "$pid"  # SIGTERM in the middle of a run removes the scene folder too
ended_well "SIGTERM"

# The windowed run ignores input and closes by the window manager's close request.
start --window
timed "--window"
moves "40 0" "0 40"
xdotool click 1
xdotool key --window "$window" space
sleep 0.5
running || fail "the windowed run ended on input"
"$helper" close "$window"
ended_well "the windowed run's close"

# /P paints the stretched background into a window the test made, exactly its size.
"$helper" window 152 112 >"$work/preview.id" &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/preview.id ]] && break; sleep 0.1; done
preview=$(cat "$work/preview.id")
"$lumora" --scene "$work/Sample.scr" /p "$preview" || fail "/p"
import -window "$preview" "$work/preview.png"
"$vxscene" preview "$work/Sample.scr" --size 152x112 --out "$work/preview-ref.png" >/dev/null
[[ "$(convert "$work/preview.png" rgb:- | md5sum)" == "$(convert "$work/preview-ref.png" rgb:- | md5sum)" ]] ||
  fail "the preview window does not hold the preview picture"

# -window-id: the saver draws into the test's window, at its size, and ends on SIGTERM.
"$helper" window 320 240 >"$work/target.id" &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/target.id ]] && break; sleep 0.1; done
target=$(cat "$work/target.id")
"$lumora" --scene "$work/Sample.scr" -window-id "$target" >"$work/lumora.log" 2>&1 &
pid=$!
pids+=($pid)
sleep 1.5
timed "-window-id"
import -window "$target" "$work/target.png"
"$vxscene" render "$work/Sample.scr" --out "$work/target-ref" --frames 4 --frame-ms 700 --size 320x240 --stretch >/dev/null
convert "$work/target.png" "rgb:$work/target.raw"
for i in 1 2 3 4; do convert "$work/target-ref/frame_000$i.png" "rgb:$work/target-ref-$i.raw"; done
python3 "$here/compare_frames.py" 320 240 "$work/target.raw" "$work"/target-ref-?.raw || fail "the X window is not the scene"
kill -TERM "$pid"
ended_well "-window-id and SIGTERM"

# The demo's sound reaches the audio device (SDL's disk driver): wind and music from the start.
mkdir -p "$work/demo"
"$vxscene" demo --out "$work/demo/scene" >/dev/null && "$vxscene" pack --out "$work/Demo.scr" "$work/demo/scene" >/dev/null
for sound in 1 0; do
  printf '[Config]\r\nSound=%d\r\nMusic=%d\r\n' $sound $sound >"$XDG_CONFIG_HOME/lumora/Demo.scr.ini"
  rm -f "$work/audio.raw"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" "$lumora" --scene "$work/Demo.scr" -window-id "$target" \
    >/dev/null 2>&1 &
  pid=$!
  pids+=($pid)
  sleep 2
  kill -TERM "$pid"
  wait "$pid" || fail "the demo with sound $sound"
  python3 - "$work/audio.raw" "$sound" <<'PY' || fail "the demo's sound (on: $sound) is not what the device got"
import math, struct, sys
data = open(sys.argv[1], "rb").read()
samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
rms = math.sqrt(sum(s * s for s in samples) / max(len(samples), 1))
assert len(samples) > 48000, len(samples)  # over a second of stereo at 48 kHz
assert (rms > 200) if sys.argv[2] == "1" else (rms == 0), rms
PY
done
echo "linux saver end to end: 1 passed, 0 failed"
