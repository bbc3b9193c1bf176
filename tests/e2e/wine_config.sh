#!/usr/bin/env bash
# The Windows configuration dialog end to end under Wine and its own Xvfb, with real clicks: what
# it shows, the live preview, OK writing the settings, Cancel leaving them alone, and the saver
# running with what OK saved.
#   tests/e2e/wine_config.sh MINGW_BUILD_DIR NATIVE_BUILD_DIR
set -u
mingw=$1
native=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
vxscene=$native/tools/vxscene/vxscene
helper=$mingw/tests/win_window_helper.exe
export WINEPREFIX=${WINEPREFIX:-$root/build/wine} WINEDEBUG=${WINEDEBUG:--all}
work=$(mktemp -d)
pids=()
cleanup() {
  wineserver -k 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
wine_run() { "$root/scripts/wine-run.sh" "$@"; }

# Wine reads the screen when its wineserver starts: a fresh one for this display.
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
for n in $(seq 90 99); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
wine_run cmd /c exit >/dev/null 2>&1  # the prefix made and the wineserver up before timing starts
temp=$(winepath -u "$(wine_run cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
[[ -d $temp ]] || fail "no Wine temp folder"

"$vxscene" demo --out "$work/demo" >/dev/null || fail "demo"
"$vxscene" pack --stub "$mingw/src/StandAloneScr.exe" --out "$work/Demo.scr" "$work/demo" >/dev/null || fail "pack"
ini=$work/Demo.ini
scene_folder=$temp/Demo.scr
title="Winter Evening at the Lake"

open_dialog() {  # starts the program with the arguments, waits for the dialog; sets $pid
  wine_run "$work/Demo.scr" "$@" >"$work/config.log" 2>&1 &
  pid=$!
  pids+=($pid)
  for _ in $(seq 150); do
    [[ -n $(xdotool search --onlyvisible --name '^Configuration$' 2>/dev/null) ]] && break
    sleep 0.1
  done
  [[ -n $(xdotool search --onlyvisible --name '^Configuration$' 2>/dev/null) ]] ||
    fail "no dialog for '$*': $(cat "$work/config.log")"
  sleep 1
  [[ -d $scene_folder ]] || fail "'$*': the scene is not extracted"
  controls
}
controls() {  # the dialog's controls now: class|x y w h|state|enabled|text
  wine_run "$helper" controls Configuration 2>/dev/null | tr -d '\r' >"$work/controls" || fail "no dialog to list"
}
field() { awk -F'|' -v text="$1" -v n="$2" '$5 == text { print $n; exit }' "$work/controls"; }  # TEXT N
click() {  # clicks the middle of the control showing TEXT
  local x y w h
  read -r x y w h <<<"$(field "$1" 2)"
  [[ -n ${h:-} ]] || fail "no control '$1'"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.4
}
pick_corner() {  # opens the clock corner's list with a click and moves in it with the key
  local x y w h
  read -r x y w h <<<"$(of_class ComboBox 2)"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
  sleep 0.4
  xdotool key "$1"
  sleep 0.2
  xdotool key Return
  sleep 0.4
}
of_class() { awk -F'|' -v type="$1" -v n="$2" '$1 == type { print $n; exit }' "$work/controls"; }  # CLASS N
states() {  # the check marks of the six boxes, then the corner shown
  echo "$(field Stretch 3)$(field Proportional 3)$(field Sound 3)$(field Music 3)$(field "Show Clock" 3)$(field "Auto Preview" 3)" \
    "$(of_class ComboBox 5)"
}
closed_well() {  # the program ended with 0 and took its scene folder with it
  for _ in $(seq 80); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "$1: still running"
  wait "$pid"
  local code=$?
  [[ $code -eq 0 ]] || fail "$1: exit code $code"
  [[ -e $scene_folder ]] && fail "$1: the scene folder is still there"
  return 0
}
crop() { local x y w h; read -r x y w h <<<"$2"; convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/$1.png"; }
shoot() { import -window root "$work/screen.png"; }
dark_pixels() { convert "$work/$1.png" -colorspace gray -threshold 40% -negate -format '%[fx:round(mean*w*h)]' info:; }
differing() { compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 | cut -d' ' -f1; }

# 1. /c: the dialog at its size, the scene's title and picture, the defaults of a first run.
open_dialog /c
[[ $(head -1 "$work/controls") == "client 456 323" ]] || fail "client area: $(head -1 "$work/controls")"
[[ $(states) == "101110 Top Right" ]] || fail "first run's controls: $(states)"
[[ $(of_class msctls_trackbar32 3) == 10 ]] || fail "the speed is not at 100 %"
label=$(field "$title" 2)
[[ -n $label ]] || fail "no label holds the title"
grep -q '|Snow falls on a quiet lake' "$work/controls" || fail "no label holds the description"
picture=$(awk -F'|' '$1 == "LumoraConfigPanel" && $2 ~ / 243 180$/ { print $2; exit }' "$work/controls")
[[ -n $picture ]] || fail "no picture area of 243 x 180"
shoot
crop title "$label"
(( $(dark_pixels title) > 100 )) || fail "the title is not written: $(dark_pixels title) dark pixels"
crop picture-a "$picture"
"$vxscene" preview "$work/Demo.scr" --size 243x180 --out "$work/picture-ref.png" >/dev/null || fail "preview"
mae=$(compare -metric MAE "$work/picture-a.png" "$work/picture-ref.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
awk -v m="$mae" 'BEGIN { exit !(m < 0.05) }' || fail "the picture is not the scene's background (difference $mae)"

# 2. "Auto Preview" clicked on: the still picture starts moving.
sleep 0.5
shoot
crop picture-b "$picture"
[[ $(differing picture-a picture-b) -eq 0 ]] || fail "the picture moves before the preview is on"
click "Auto Preview"
sleep 1
shoot
crop picture-c "$picture"
sleep 0.5
shoot
crop picture-d "$picture"
(( $(differing picture-c picture-d) > 2000 )) || fail "the preview does not move: $(differing picture-c picture-d)"

# 3. A click on the slider's track moves it and stops the preview; Reset brings it back to 100 %.
read -r x y w h <<<"$(of_class msctls_trackbar32 2)"
xdotool mousemove $((x + w * 3 / 4)) $((y + h / 2)) click 1
sleep 0.4
controls
(( $(of_class msctls_trackbar32 3) > 10 )) && [[ $(field "Auto Preview" 3) == 0 ]] ||
  fail "the slider's move: position $(of_class msctls_trackbar32 3), Auto Preview $(field "Auto Preview" 3)"
click Reset
controls
[[ $(of_class msctls_trackbar32 3) == 10 ]] || fail "Reset leaves the slider at $(of_class msctls_trackbar32 3)"
# The preview on again, Sound and Music off, the clock to the bottom left, OK: the settings
# written in their order.
click "Auto Preview"
click Sound
click Music
pick_corner Down
click OK
closed_well "OK"
[[ -f $ini ]] || fail "OK wrote no settings beside the program"
expected=$'[Config]\nSpeed=100\nStretch=1\nProportional=0\nSound=0\nMusic=0\nClockPos=2\nShowClock=1'
[[ $(tr -d '\r' <"$ini") == "$expected" ]] || fail "the settings written: $(cat -A "$ini")"

# 4. Without arguments: the saved settings shown; Stretch off disables Proportional; Cancel
# writes nothing.
open_dialog
[[ $(states) == "100010 Bottom Left" ]] || fail "the saved settings are not shown: $(states)"
cp "$ini" "$work/saved.ini"
click Stretch
controls
[[ $(field Stretch 3)$(field Proportional 4) == 00 ]] || fail "Stretch off leaves Proportional enabled"
click Cancel
closed_well "Cancel"
cmp -s "$ini" "$work/saved.ini" || fail "Cancel changed the settings"

# 5. /c:1234: the clock back to the top right but switched off, OK; the saver then shows no clock
# there, though the corner is where vxscene draws it.
open_dialog /c:1234
pick_corner Up
click "Show Clock"
click OK
closed_well "the second OK"
grep -q $'^ClockPos=1\r$' "$ini" && grep -q $'^ShowClock=0\r$' "$ini" || fail "the clock's settings: $(cat -A "$ini")"
wine_run "$work/Demo.scr" /s >/dev/null 2>&1 &
pid=$!
pids+=($pid)
for _ in $(seq 150); do
  [[ -n $(xdotool search --onlyvisible --name "$title" 2>/dev/null) ]] && break
  sleep 0.1
done
sleep 2
now=$(date +%H:%M:%S)
shoot
xdotool key space
closed_well "the saver"
"$vxscene" render "$work/Demo.scr" --out "$work/clock" --frames 1 --size 1024x768 --stretch --clock --time "$now" >/dev/null
"$vxscene" render "$work/Demo.scr" --out "$work/plain" --frames 1 --size 1024x768 --stretch >/dev/null
for f in screen clock/frame_0001 plain/frame_0001; do convert "$work/$f.png" "rgb:$work/${f%%/*}.raw"; done
# Snow and objects move, so the measure is the clock's white: near-white pixels in the box where
# the two renders differ. The screen must be nearer the render without the clock.
python3 - "$work/screen.raw" "$work/clock.raw" "$work/plain.raw" <<'PY' || fail "the saver shows the clock it was told not to"
import sys
width, height = 1024, 768
screen, clock, plain = (open(path, "rb").read() for path in sys.argv[1:])
ink = [i // 3 for i in range(0, len(clock), 3) if clock[i:i + 3] != plain[i:i + 3]]
xs, ys = [i % width for i in ink], [i // width for i in ink]
box = [(x, y) for y in range(min(ys), max(ys) + 1) for x in range(min(xs), max(xs) + 1)]
white = lambda data: sum(min(data[(y * width + x) * 3:(y * width + x) * 3 + 3]) >= 200 for x, y in box)
counts = [white(data) for data in (screen, clock, plain)]
print(f"clock box x {min(xs)}..{max(xs)}, y {min(ys)}..{max(ys)}: near-white pixels on the screen {counts[0]}, "
      f"with the clock {counts[1]}, without {counts[2]}")
assert min(xs) > width // 2 and max(ys) < height // 2, "the clock is not in the top right corner"
assert counts[1] > counts[2] + 100, "the renders do not tell the clock apart"
assert abs(counts[0] - counts[2]) < abs(counts[0] - counts[1])
# Without this a blank screen would pass: the screen is the scene, up to the snow and objects.
mean = sum(abs(a - b) for a, b in zip(screen, plain)) / len(plain)
print(f"mean difference from the render without the clock: {mean:.2f}")
assert mean < 12
PY
echo "wine config dialog end to end: 1 passed, 0 failed"
