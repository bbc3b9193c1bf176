#!/usr/bin/env bash
# The Linux configuration dialog end to end, under its own Xvfb with real X events: its size and
# the scene's title and picture, the live preview, what OK writes, what Cancel and Escape leave
# alone, and the saver started afterwards following what was saved.
#   tests/e2e/linux_config.sh BUILD_DIR      (lumora and vxscene from it)
set -u
build=$1
lumora=$build/src/lumora
vxscene=$build/tools/vxscene/vxscene
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

for n in $(seq 60 69); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
command -v tesseract >/dev/null || fail "tesseract is missing: scripts/bootstrap.sh installs it"
"$vxscene" demo --out "$work/scene" >/dev/null || fail "demo"
"$vxscene" pack --out "$work/Demo.scr" "$work/scene" >/dev/null || fail "pack"
settings=$XDG_CONFIG_HOME/lumora/Demo.scr.ini
scene_folder=$XDG_RUNTIME_DIR/Demo.scr

# Where the dialog's controls are, in its client area.
preview_box=243x180+25+26  # Panel1 9,11 + Panel4 8,7 + Panel2 8,8
title_box=257x13+20+223    # Panel1 9,11 + lblTitle 11,212
auto_preview=(303 233)     # Panel3 289,19 + CheckBox1 7,206, on its box
show_clock=(303 180)       # Panel3 + cbShowClock 7,153
stretch=(303 107)          # Panel3 + cbStretch 7,80
ok=(329 294)
cancel=(409 294)

open_dialog() {  # starts lumora with the arguments; sets $pid, $window, $X and $Y (the client's origin)
  "$lumora" --scene "$work/Demo.scr" "$@" >"$work/lumora.log" 2>&1 &
  pid=$!
  pids+=($pid)
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --pid "$pid" --name '^Configuration$' 2>/dev/null | head -1)
    [[ -n $window ]] && break
    sleep 0.1
  done
  [[ -n $window ]] || fail "no dialog for lumora $*: $(cat "$work/lumora.log")"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool windowfocus --sync "$window"
  sleep 0.5  # painted
}
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
shot() { import -window root "$work/$1.png"; }
crop() {  # crop NAME BOX OUT: a part of the dialog in a screenshot, as raw RGB
  local size=${2%%+*} offset=${2#*+}
  convert "$work/$1.png" -crop "$size+$((X + ${offset%%+*}))+$((Y + ${offset#*+}))" +repage "rgb:$work/$3.raw"
}
running() { kill -0 "$pid" 2>/dev/null; }
ended_well() {  # waits for the end; the exit code must be 0 and the scene folder gone
  for _ in $(seq 50); do running || break; sleep 0.1; done
  running && fail "$1: still running"
  wait "$pid"
  local code=$?
  [[ $code -eq 0 ]] || fail "$1: exit code $code ($(cat "$work/lumora.log"))"
  [[ -e $scene_folder ]] && fail "$1: the scene folder is still there"
  return 0
}
mean_difference() {  # mean absolute difference of two raw RGB files of the same size
  python3 -c 'import sys; a, b = (open(f, "rb").read() for f in sys.argv[1:3]); assert len(a) == len(b) > 0
print(sum(abs(x - y) for x, y in zip(a, b)) / len(a))' "$1" "$2"
}

# 1. /c: the dialog at its size, the scene's title in its label, its background in the picture.
open_dialog /c
[[ -e $scene_folder ]] || fail "the dialog did not extract the scene"
size=$(xwininfo -id "$window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
[[ $size == 456x323 ]] || fail "the dialog's client area is $size, not 456x323"
shot first
crop first "$title_box" title
ink=$(python3 -c 'import sys; print(sum(1 for v in open(sys.argv[1], "rb").read()[::3] if v < 100))' "$work/title.raw")
(( ink > 150 )) || fail "the title's label has no text in it ($ink dark pixels)"
convert -size 257x13 -depth 8 "rgb:$work/title.raw" -colorspace gray -scale 400% -bordercolor white -border 20 "$work/title.png"
read_title=$(tesseract "$work/title.png" - --psm 7 2>/dev/null | tr -s ' \n' ' ' | sed 's/ $//')
[[ $read_title == "Winter Evening at the Lake" ]] || fail "the title reads \"$read_title\""
"$vxscene" preview "$work/Demo.scr" --size 243x180 --out "$work/background.png" >/dev/null || fail "vxscene preview"
convert "$work/background.png" "rgb:$work/background.raw"
crop first "$preview_box" still1
difference=$(mean_difference "$work/still1.raw" "$work/background.raw")
python3 -c "import sys; sys.exit(not $difference < 10)" || fail "the picture is not the scene's background ($difference)"

# 2. The picture stands still until "Auto Preview" is clicked on; then it moves.
sleep 0.4
shot second
crop second "$preview_box" still2
cmp -s "$work/still1.raw" "$work/still2.raw" || fail "the picture moved before Auto Preview was on"
click "${auto_preview[@]}"
shot moving1
sleep 0.4
shot moving2
crop moving1 "$preview_box" moving1
crop moving2 "$preview_box" moving2
cmp -s "$work/moving1.raw" "$work/moving2.raw" && fail "Auto Preview on: the picture does not move"

# 3. OK writes every setting, in its order; the dialog's defaults as nothing was saved before.
[[ -e $settings ]] && fail "a settings file before OK"
click "${ok[@]}"
ended_well "OK"
expected=$'[Config]\nSpeed=100\nStretch=1\nProportional=0\nSound=1\nMusic=1\nClockPos=1\nShowClock=1'
[[ "$(tr -d '\r' <"$settings")" == "$expected" ]] || fail "OK wrote: $(cat "$settings")"

# 4. Cancel after a change, and Escape after one (started without arguments, which is /c too),
# leave the file as it was.
cp "$settings" "$work/saved.ini"
open_dialog /c
click "${stretch[@]}"
click "${cancel[@]}"
ended_well "Cancel"
cmp -s "$settings" "$work/saved.ini" || fail "Cancel changed the settings: $(cat "$settings")"
open_dialog
click "${show_clock[@]}"
xdotool key Escape
ended_well "Escape"
cmp -s "$settings" "$work/saved.ini" || fail "Escape changed the settings: $(cat "$settings")"

# 5. "Show Clock" off and OK: the saver started next shows no clock. Inside the clock's marks
# (where the renders with and without it differ), the screen is near the one without.
open_dialog /c
click "${show_clock[@]}"
click "${ok[@]}"
ended_well "OK without the clock"
grep -q '^ShowClock=0' "$settings" || fail "Show Clock off was not saved: $(cat "$settings")"
"$lumora" --scene "$work/Demo.scr" /s >"$work/lumora.log" 2>&1 &
pid=$!
pids+=($pid)
sleep 2
shot saver
kill -TERM "$pid"
ended_well "the saver"
"$vxscene" render "$work/Demo.scr" --out "$work/plain" --frames 1 --size 1024x768 --stretch >/dev/null
"$vxscene" render "$work/Demo.scr" --out "$work/clock" --frames 1 --size 1024x768 --stretch --clock >/dev/null
for f in saver plain/frame_0001 clock/frame_0001; do convert "$work/$f.png" "rgb:$work/${f%%/*}.raw"; done
python3 - "$work/saver.raw" "$work/plain.raw" "$work/clock.raw" <<'PY' || fail "the saver shows the clock that was switched off"
import sys
screen, plain, clock = (open(f, "rb").read() for f in sys.argv[1:4])
assert len(screen) == len(plain) == len(clock) == 1024 * 768 * 3
marks = [i for i in range(0, len(plain), 3) if sum(abs(plain[i + c] - clock[i + c]) for c in range(3)) > 90]
assert len(marks) > 300, len(marks)
def distance(picture):
    return sum(abs(screen[i + c] - picture[i + c]) for i in marks for c in range(3)) / len(marks)
to_plain, to_clock = distance(plain), distance(clock)
print(f"clock marks: {len(marks)} pixels, mean distance to the frame without the clock {to_plain:.1f}, with it {to_clock:.1f}")
assert to_plain * 3 < to_clock
PY
echo "linux config end to end: 1 passed, 0 failed"
