# Sourced by the saver tests: input over the second of two monitors ends the saver as over the
# first. Uses the sourcing script's start, moves, running, ended_well, desktop_back and fail;
# $1 is its X window helper. The pointer starts on the first monitor, 1024 pixels wide.
input_over_second_monitor() {
  local helper=$1
  # One pixel at a time across is no jump (the first moves are ignored; the crossing is the
  # ninth); the pointer stays hidden there; three pixels end it.
  moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "1 0" "1 0"
  running || fail "crossing onto the second monitor ended the saver"
  [[ $(xdotool getmouselocation --shell | sed -n 's/^X=//p') -ge 1024 ]] || fail "the pointer did not cross"
  [[ $("$helper" cursor) -eq 0 ]] || fail "the pointer shows on the second monitor"
  moves "3 0"
  ended_well "a three-pixel jump on the second monitor"
  desktop_back "a jump"
  # A key and a click over the second monitor end it too.
  xdotool mousemove 1400 300
  start /s
  moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0"
  xdotool key space
  ended_well "a key over the second monitor"
  start /s
  moves "1 0" "1 0" "1 0" "1 0" "1 0" "1 0"
  xdotool click 1
  ended_well "a click on the second monitor"
  desktop_back "a click"
}
