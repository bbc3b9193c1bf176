#!/usr/bin/env bash
# The Windows program end to end under Wine and its own Xvfb, with real X events: what the saver
# shows, what ends it and what does not, a second instance, the windowed run, the preview, the
# start-up time it reports, the demo's sound, and two monitors.
#   tests/e2e/wine_saver.sh MINGW_BUILD_DIR NATIVE_BUILD_DIR
set -u
mingw=$1
native=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/e2e
. "$here/second_monitor.sh"
vxscene=$native/tools/vxscene/vxscene
helper=$mingw/tests/win_window_helper.exe
x_helper=$native/tests/x_window_helper
export WINEPREFIX=${WINEPREFIX:-$root/build/wine} WINEDEBUG=${WINEDEBUG:--all}
work=$(mktemp -d)
pids=()
x11_driver='HKCU\Software\Wine\X11 Driver'
cleanup() {
  [[ -n ${no_xrandr:-} ]] && "$root/scripts/wine-run.sh" reg delete "$x11_driver" /v UseXRandR /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
wine_run() { "$root/scripts/wine-run.sh" "$@"; }

# Wine reads the screen when its wineserver starts: a fresh one for this display.
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
xvfb() {  # an Xvfb with these screens on a free display, DISPLAY pointed at it
  local n
  for n in $(seq 90 99); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
  Xvfb ":$n" "$@" -nolisten tcp -noreset >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
}
xvfb -screen 0 1024x768x24
wine_run cmd /c exit >/dev/null 2>&1  # the prefix made and the wineserver up before timing starts
temp=$(winepath -u "$(wine_run cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
[[ -d $temp ]] || fail "no Wine temp folder"

# The test scene behind the Windows program, with settings beside it: no clock, no sound.
"$vxscene" sample --out "$work/scene" >/dev/null || fail "sample"
"$vxscene" pack --stub "$mingw/src/StandAloneScr.exe" --out "$work/Sample.scr" "$work/scene" >/dev/null || fail "pack"
printf '[Config]\r\nShowClock=0\r\nSound=0\r\nMusic=0\r\n' >"$work/Sample.ini"
scene_folder=$temp/Sample.scr

start() {  # starts the saver with the arguments, waits for its window; sets $pid
  wine_run "$work/${program:-Sample.scr}" "$@" >"$work/saver.log" 2>&1 &
  pid=$!
  pids+=($pid)
  for _ in $(seq 150); do
    [[ -n $(xdotool search --onlyvisible --name "Sample scene" 2>/dev/null | head -1) ]] && break
    sleep 0.1
  done
  [[ -n $(xdotool search --onlyvisible --name "Sample scene" 2>/dev/null) ]] || fail "no saver window: $(cat "$work/saver.log")"
  sleep 1
}
running() { kill -0 "$pid" 2>/dev/null; }
ended_well() {
  for _ in $(seq 80); do running || break; sleep 0.1; done
  running && fail "$1: still running"
  wait "$pid"
  local code=$?
  [[ $code -eq 0 ]] || fail "$1: exit code $code"
  [[ -e $scene_folder ]] && fail "$1: the scene folder is still there"
  return 0
}
moves() { for step in "$@"; do xdotool mousemove_relative -- $step; sleep 0.15; done; }
timed() {  # the run's log holds its start-up time once, as a number (a Windows line: CR LF)
  for _ in $(seq 50); do grep -qa first-frame-ms "$work/saver.log" && break; sleep 0.1; done
  [[ $(grep -ca first-frame-ms "$work/saver.log") -eq 1 ]] && tr -d '\r' <"$work/saver.log" | grep -Eqax 'first-frame-ms [0-9]+' ||
    fail "$1: not one start-up time: $(cat "$work/saver.log")"
}
export LUMORA_TIMING=1

# /s: the screen shows vxscene's frame of this scene and size, exactly outside the water.
xdotool mousemove 500 300
start /s
timed "/s"
import -window root "$work/shot.png"
"$vxscene" render "$work/Sample.scr" --out "$work/ref" --frames 4 --frame-ms 700 --size 1024x768 --stretch >/dev/null
for f in shot ref/frame_0001 ref/frame_0002 ref/frame_0003 ref/frame_0004; do convert "$work/$f.png" "rgb:$work/${f//\//-}.raw"; done
python3 "$here/compare_frames.py" 1024 768 "$work/shot.raw" "$work"/ref-frame_000?.raw || fail "the screen is not the scene"

# Small moves and a two-pixel creep leave it running; a three-pixel jump ends it.
moves "1 0" "0 1" "-1 0" "1 1" "2 2" "2 0" "0 2" "-2 -2"
running || fail "small moves ended the saver"
moves "3 0"
ended_well "a three-pixel jump"
LUMORA_TIMING= start /s
moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0"
xdotool key space
ended_well "a key"
grep -qa first-frame-ms "$work/saver.log" && fail "a start-up time nobody asked for"
start /s
moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0"
xdotool click 1
ended_well "a click"

# A second start while one runs ends at once.
start /s
second=$(date +%s%N)
wine_run "$work/Sample.scr" /s >/dev/null 2>&1 || fail "the second start failed"
(( ($(date +%s%N) - second) / 1000000 < 5000 )) || fail "the second start did not end at once"
running || fail "the first saver ended"
moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "9 0"
ended_well "the first saver after the second start"

# Named .exe it is the windowed run: input is ignored, WM_CLOSE closes it.
cp "$work/Sample.scr" "$work/Sample.exe"
program=Sample.exe start
timed "the windowed run"
scene_folder=$temp/Sample.exe
moves "40 0" "0 40"
xdotool click 1
xdotool key space
sleep 0.5
running || fail "the windowed run ended on input"
wine_run "$helper" close "Sample scene" || fail "no window to close"
ended_well "the windowed run's close"
program=Sample.scr
scene_folder=$temp/Sample.scr

# /p: a borderless top-level window of the test's own at (100, 100), 152 x 112; the picture
# arrives in another process's window only with synchronous X calls (see WINE.md).
wine_run "$helper" window 100 100 152 112 >"$work/preview.id" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/preview.id ]] && break; sleep 0.1; done
sleep 2  # mapped on the X server, not only made
"$vxscene" preview "$work/Sample.scr" --size 152x112 --out "$work/preview-ref.png" >/dev/null
expected=$(convert "$work/preview-ref.png" rgb:- | md5sum)
# The system asks for the preview again whenever it wants it; so may the test, when Wine was
# still busy putting the window on the screen the first time.
for attempt in 1 2 3; do
  # Seen here: with its output thrown away (/dev/null) the painting never shows; into a file it does.
  WINEDEBUG=-all,+synchronous wine_run "$work/Sample.scr" /p "$(tr -d '\r' <"$work/preview.id")" >"$work/preview.log" 2>&1 ||
    fail "/p"
  sleep 0.5
  import -window root -crop 152x112+100+100 +repage "$work/preview.png"
  [[ "$(convert "$work/preview.png" rgb:- | md5sum)" == "$expected" ]] && break
  [[ $attempt -eq 3 ]] && fail "the preview window does not hold the preview picture"
  sleep 1
done

# The demo's sound reaches ALSA's default device (a file, through a pipe that appends).
"$vxscene" demo --out "$work/demo" >/dev/null
"$vxscene" pack --stub "$mingw/src/StandAloneScr.exe" --out "$work/Demo.scr" "$work/demo" >/dev/null
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null  # its sound driver opens with this config
cat >"$work/asound.conf" <<CONF
pcm.!default { type plug slave { pcm "capture" format S16_LE rate 48000 channels 2 } }
pcm.capture { type file slave.pcm "null" file "|cat >>$work/audio.raw" format "raw" }
pcm.null { type null }
CONF
for sound in 1 0; do
  printf '[Config]\r\nShowClock=0\r\nSound=%d\r\nMusic=%d\r\n' $sound $sound >"$work/Demo.ini"
  rm -f "$work/audio.raw"
  ALSA_CONFIG_PATH="$work/asound.conf" wine_run "$work/Demo.scr" /s >/dev/null 2>&1 &
  pid=$!
  pids+=($pid)
  sleep 4
  xdotool key space
  for _ in $(seq 80); do running || break; sleep 0.1; done
  running && fail "the demo did not end"
  python3 - "$work/audio.raw" "$sound" <<'PY' || fail "the demo's sound (on: $sound) is not what the device got"
import math, os, struct, sys
path, on = sys.argv[1], sys.argv[2] == "1"
data = open(path, "rb").read() if os.path.exists(path) else b""
samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
rms = math.sqrt(sum(s * s for s in samples) / max(len(samples), 1))
assert (len(samples) > 48000 and rms > 200) if on else rms == 0, (len(samples), rms)
PY
done

# Two monitors side by side: one wide screen split by RandR into a primary 1024 x 768 and an
# 800 x 600 beside it (Xvfb's own Xinerama lays its screens on top of each other). Wine takes its
# monitors from XRandR's outputs, which make the wide screen one monitor; told not to use XRandR
# it asks Xinerama, which has the two. The setting is the prefix's, so it goes again at the end.
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
xvfb -screen 0 1824x768x24 -retro
"$x_helper" monitors 1024x768+0+0 800x600+1024+0 >/dev/null || fail "the test's two monitors"
no_xrandr=1
wine_run reg add "$x11_driver" /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null  # the monitors read afresh
[[ $(wine_run "$helper" monitors 2>/dev/null | tr -d '\r' | tr '\n' ' ') == "1024x768+0+0 800x600+1024+0 " ]] ||
  fail "Wine does not report the two monitors"
crop() { convert "$work/$1.png" -crop "$2" +repage "rgb:$work/$3.raw"; }  # SHOT GEOMETRY NAME
black() { python3 -c 'import sys; d = open(sys.argv[1], "rb").read(); sys.exit(0 if d and not any(d) else 1)' "$work/$1.raw"; }
second=800x600+1024+0
import -window root "$work/desk.png"
crop desk "$second" desk-second
crop desk 800x168+1024+600 desk-below  # beside the primary, under the second: no monitor's
desktop_back() {
  import -window root "$work/after.png"
  crop after "$second" after-second
  cmp -s "$work/after-second.raw" "$work/desk-second.raw" || fail "$1: the second monitor does not show the desktop again"
}
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
input_over_second_monitor "$x_helper"

# The primary on the right: Windows puts it at (0, 0) and the other monitor at negative x. The
# scene follows the primary, fitted to its 800 x 600, and the left goes black.
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
"$x_helper" monitors 800x600+1024+0 1024x768+0+0 >/dev/null || fail "the test's monitors, primary on the right"
[[ $(wine_run "$helper" monitors 2>/dev/null | tr -d '\r' | tr '\n' ' ') == "800x600+0+0 1024x768-1024+0 " ]] ||
  fail "Wine does not report the primary on the right"
"$vxscene" render "$work/Sample.scr" --out "$work/right-ref" --frames 4 --frame-ms 700 --size 800x600 --stretch >/dev/null
for i in 1 2 3 4; do convert "$work/right-ref/frame_000$i.png" "rgb:$work/right-ref-$i.raw"; done
start /s
import -window root "$work/right.png"
crop right "$second" right-primary
crop right 1024x768+0+0 right-left
python3 "$here/compare_frames.py" 800 600 "$work/right-primary.raw" "$work"/right-ref-?.raw ||
  fail "the scene is not on the primary monitor on the right"
black right-left || fail "the monitor on the left is not black"
moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "9 0"
ended_well "the primary on the right"
wine_run reg delete "$x11_driver" /v UseXRandR /f >/dev/null 2>&1 && no_xrandr=
echo "wine saver end to end: 1 passed, 0 failed"
