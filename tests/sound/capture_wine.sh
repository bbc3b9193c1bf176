#!/usr/bin/env bash
# The Windows sound output under Wine: with ALSA's default device made a file, a looped WAV
# played through DirectSound must come out sample for sample, music played through MCI must start
# over at its end; with no device at all DirectSound cannot open and the player falls back to
# the simple sound call.
#   tests/sound/capture_wine.sh build/mingw/tests/lumora_sound_probe.exe
set -u
here=$(cd "$(dirname "$0")" && pwd)
probe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine} WINEDEBUG=${WINEDEBUG:--all}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

python3 "$here/capture.py" tone "$work/tone.wav"
# The default PCM: a plug (16-bit stereo, 48 kHz) over a file PCM that writes what it gets.
cat >"$work/asound.conf" <<CONF
pcm.!default { type plug slave { pcm "capture" format S16_LE rate 48000 channels 2 } }
pcm.capture { type file slave.pcm "null" file "$work/captured.raw" format "raw" }
pcm.null { type null }
CONF
mode=$(ALSA_CONFIG_PATH="$work/asound.conf" timeout 120 "$root/scripts/wine-run.sh" "$probe" "$(winepath -w "$work/tone.wav" 2>/dev/null)" 1500 2>/dev/null | tr -d '\r')
[ "$mode" = channels ] || fail "with the file device the player is in mode: $mode"
[ -s "$work/captured.raw" ] || fail "nothing was captured"
python3 "$here/capture.py" exact "$work/tone.wav" "$work/captured.raw" || fail "the captured sound does not hold the WAV's samples"

# The WAV as music through MCI, whose notifications need a window, and a window a display. The
# file device is reopened for every start, so it appends to the capture through a pipe.
if [[ -z ${DISPLAY:-} ]]; then
  for n in $(seq 90 99); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
  Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
  export DISPLAY=":$n"
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
fi
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null  # a session begun without a display has no windows
sed "s#file \"$work/captured.raw\"#file \"|cat >>$work/music.raw\"#" "$work/asound.conf" >"$work/music.conf"
mode=$(ALSA_CONFIG_PATH="$work/music.conf" timeout 120 "$root/scripts/wine-run.sh" "$probe" --music "$(winepath -w "$work/tone.wav" 2>/dev/null)" 2000 2>/dev/null | tr -d '\r')
[ "$mode" = music ] || fail "the music did not play: $mode"
python3 "$here/capture.py" again "$work/tone.wav" "$work/music.raw" || fail "the music did not start over at its end"

# No ALSA device at all: DirectSound cannot be created, the simple call takes over.
printf 'pcm.!default { type hw card 99 }\n' >"$work/none.conf"
mode=$(ALSA_CONFIG_PATH="$work/none.conf" timeout 120 "$root/scripts/wine-run.sh" "$probe" "$(winepath -w "$work/tone.wav" 2>/dev/null)" 200 2>/dev/null | tr -d '\r')
[ "$mode" = fallback ] || fail "without a device the player is in mode: $mode"
echo "wine sound capture: 1 passed, 0 failed"
