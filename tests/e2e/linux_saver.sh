#!/usr/bin/env bash
# The Linux player end to end, under its own Xvfb with real X events: what the saver shows, what
# ends it and what does not, a second instance, the windowed run, the preview, SIGTERM, an X
# window of the test's own, the start-up time it reports, two monitors, and the demo's sound.
#   tests/e2e/linux_saver.sh BUILD_DIR      (lumora, vxscene and x_window_helper from it)
set -u
build=$1
lumora=$build/src/lumora
vxscene=$build/tools/vxscene/vxscene
helper=$build/tests/x_window_helper
here=$(cd "$(dirname "$0")" && pwd)
. "$here/second_monitor.sh"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

xvfb() {  # an Xvfb with these screens on a free display, DISPLAY pointed at it
  local n
  for n in $(seq 70 89); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
  Xvfb ":$n" "$@" -nolisten tcp -noreset >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
}
xvfb -screen 0 1024x768x24

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

# Two monitors. Xvfb's own Xinerama mode (+xinerama) lays its screens on top of each other at
# (0, 0), so side-by-side monitors come from one wide screen split by RandR into a primary 1024
# x 768 and an 800 x 600 beside it, which Xinerama then reports (SDL 2 sees one display there).
# -retro gives the root Xvfb's grey weave, so that black is told apart from the desktop.
xvfb -screen 0 1824x768x24 -retro
[[ $("$helper" monitors 1024x768+0+0 800x600+1024+0 | tr '\n' ' ') == "1024x768+0+0 800x600+1024+0 " ]] ||
  fail "the test's two monitors"
crop() { convert "$work/$1.png" -crop "$2" +repage "rgb:$work/$3.raw"; }  # SHOT GEOMETRY NAME
black() { python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(0 if d and not any(d) else 1)' "$work/$1.raw"; }
second=800x600+1024+0
import -window root "$work/desk.png"
crop desk "$second" desk-second
crop desk 800x168+1024+600 desk-below  # beside the primary, under the second: no monitor's
desktop_back() {  # the second monitor shows the desktop again once the saver has gone
  import -window root "$work/after.png"
  crop after "$second" after-second
  cmp -s "$work/after-second.raw" "$work/desk-second.raw" || fail "$1: the second monitor does not show the desktop again"
}

# /s: the scene on the primary, black on the whole second monitor, nothing elsewhere; every
# window topmost and without a taskbar entry.
xdotool mousemove 1015 300  # on the primary, 9 pixels from the second monitor
start /s
import -window root "$work/two.png"
crop two 1024x768+0+0 two-primary
crop two "$second" two-second
crop two 800x168+1024+600 two-below
python3 "$here/compare_frames.py" 1024 768 "$work/two-primary.raw" "$work"/ref-frame_000?.raw ||
  fail "the primary monitor is not the scene"
black two-second || fail "the second monitor is not black"
cmp -s "$work/two-below.raw" "$work/desk-below.raw" || fail "the saver covered more than the monitors"
windows=$(xdotool search --onlyvisible --pid "$pid")
[[ $(wc -w <<<"$windows") -eq 2 ]] || fail "not one window per monitor: $windows"
for w in $windows; do
  xprop -id "$w" _NET_WM_STATE | grep -q '_NET_WM_STATE_ABOVE.*_NET_WM_STATE_SKIP_TASKBAR' ||
    fail "window $w is not topmost without a taskbar entry"
done
input_over_second_monitor "$helper"
# SIGTERM ends it, covers and all.
start /s
kill -TERM "$pid"
ended_well "SIGTERM with two monitors"
desktop_back "SIGTERM"

# The windowed run leaves the other monitor alone.
start --window
[[ $(xdotool search --onlyvisible --pid "$pid" | wc -l) -eq 1 ]] || fail "the windowed run covered a monitor"
"$helper" close "$window"
ended_well "the windowed run with two monitors"

# The primary on the right: the scene follows it, fitted to its 800 x 600, and the left goes black.
[[ $("$helper" monitors 800x600+1024+0 1024x768+0+0 | tr '\n' ' ') == "800x600+1024+0 1024x768+0+0 " ]] ||
  fail "the test's monitors, primary on the right"
"$vxscene" render "$work/Sample.scr" --out "$work/right-ref" --frames 4 --frame-ms 700 --size 800x600 --stretch >/dev/null
for i in 1 2 3 4; do convert "$work/right-ref/frame_000$i.png" "rgb:$work/right-ref-$i.raw"; done
start /s
import -window root "$work/right.png"
crop right "$second" right-primary
crop right 1024x768+0+0 right-left
python3 "$here/compare_frames.py" 800 600 "$work/right-primary.raw" "$work"/right-ref-?.raw ||
  fail "the scene is not on the primary monitor on the right"
black right-left || fail "the monitor on the left is not black"
kill -TERM "$pid"
ended_well "the primary on the right"

# Xvfb's Xinerama: the second screen lies on the first one's corner, a clone, and must keep
# showing that corner of the scene (its frame buffer, written by -fbdir, is all that shows it).
xvfb -screen 0 1024x768x24 -screen 1 800x600x24 +xinerama -fbdir "$work"
[[ $("$helper" monitors | tr '\n' ' ') == "1024x768+0+0 800x600+0+0 " ]] || fail "Xvfb's Xinerama screens"
xdotool mousemove 500 300
start /s
convert "xwd:$work/Xvfb_screen1" "rgb:$work/clone.raw"
for i in 1 2 3 4; do convert "$work/ref/frame_000$i.png" -crop 800x600+0+0 +repage "rgb:$work/clone-ref-$i.raw"; done
python3 "$here/compare_frames.py" 800 600 "$work/clone.raw" "$work"/clone-ref-?.raw || fail "the clone screen is not the scene"
kill -TERM "$pid"
ended_well "SIGTERM on Xvfb's Xinerama"
echo "linux saver end to end: 1 passed, 0 failed"
