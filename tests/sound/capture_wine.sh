#!/usr/bin/env bash
# The Windows sound output under Wine: with ALSA's default device made a file, a looped WAV
# played through DirectSound must come out sample for sample; with no device at all DirectSound
# cannot open and the player falls back to the simple sound call.
#   tests/sound/capture_wine.sh build/mingw/tests/lumora_sound_probe.exe
set -u
probe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wine} WINEDEBUG=${WINEDEBUG:--all}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

python3 - "$work/tone.wav" <<'PY'
import math, struct, sys
rate = 48000
frames = b"".join(struct.pack("<hh", int(8000 * math.sin(2 * math.pi * 440 * i / rate)),
                              int(-6000 * math.sin(2 * math.pi * 660 * i / rate))) for i in range(rate // 4))
fmt = struct.pack("<HHIIHH", 1, 2, rate, rate * 4, 4, 16)
body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(frames)) + frames
open(sys.argv[1], "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
# The default PCM: a plug (16-bit stereo, 48 kHz) over a file PCM that writes what it gets.
cat >"$work/asound.conf" <<CONF
pcm.!default { type plug slave { pcm "capture" format S16_LE rate 48000 channels 2 } }
pcm.capture { type file slave.pcm "null" file "$work/captured.raw" format "raw" }
pcm.null { type null }
CONF
mode=$(ALSA_CONFIG_PATH="$work/asound.conf" timeout 120 "$root/scripts/wine-run.sh" "$probe" "$(winepath -w "$work/tone.wav" 2>/dev/null)" 1500 2>/dev/null | tr -d '\r')
[ "$mode" = channels ] || fail "with the file device the player is in mode: $mode"
[ -s "$work/captured.raw" ] || fail "nothing was captured"
python3 - "$work/tone.wav" "$work/captured.raw" <<'PY' || fail "the captured sound does not hold the WAV's samples"
import sys
samples = open(sys.argv[1], "rb").read()[44:]
captured = open(sys.argv[2], "rb").read()
for piece in (samples[:4000], samples[20000:24000], samples[-4000:] + samples[:4000]):
    assert captured.find(piece) >= 0, len(captured)
PY

# No ALSA device at all: DirectSound cannot be created, the simple call takes over.
printf 'pcm.!default { type hw card 99 }\n' >"$work/none.conf"
mode=$(ALSA_CONFIG_PATH="$work/none.conf" timeout 120 "$root/scripts/wine-run.sh" "$probe" "$(winepath -w "$work/tone.wav" 2>/dev/null)" 200 2>/dev/null | tr -d '\r')
[ "$mode" = fallback ] || fail "without a device the player is in mode: $mode"
echo "wine sound capture: 1 passed, 0 failed"
