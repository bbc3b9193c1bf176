#!/usr/bin/env bash
# The Linux sound output end to end: a looped WAV played through SDL's disk driver must come out
# sample for sample at full volume, music must start over at its end, and without an audio device
# the player falls back, says so once and plays nothing.
set -u
probe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A quarter second of two tones, 48 kHz 16-bit stereo: the mixer's own format, so nothing is
# converted and the samples must appear unchanged.
python3 - "$work/tone.wav" <<'PY'
import math, struct, sys
rate = 48000
frames = b"".join(struct.pack("<hh", int(8000 * math.sin(2 * math.pi * 440 * i / rate)),
                              int(-6000 * math.sin(2 * math.pi * 660 * i / rate))) for i in range(rate // 4))
fmt = struct.pack("<HHIIHH", 1, 2, rate, rate * 4, 4, 16)
body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(frames)) + frames
open(sys.argv[1], "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)
PY
out=$(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" SDL_DISKAUDIODELAY=0 timeout 30 "$probe" "$work/tone.wav" 300 2>/dev/null)
[ "$out" = channels ] || fail "the disk driver gave: $out"
python3 - "$work/tone.wav" "$work/out.raw" <<'PY' || fail "the captured sound does not hold the WAV's samples"
import sys
samples = open(sys.argv[1], "rb").read()[44:]
captured = open(sys.argv[2], "rb").read()
# The start, a middle piece and the end of the sound, and the loop's seam (end then start).
for piece in (samples[:4000], samples[20000:24000], samples[-4000:] + samples[:4000]):
    assert captured.find(piece) >= 0, len(captured)
PY

# The same WAV as music: the mixer reports its end on its own thread, the probe's loop hands
# that to the music, which starts it over; the (unpaced) disk driver hears it many times.
rm -f "$work/out.raw"
out=$(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" SDL_DISKAUDIODELAY=0 timeout 30 "$probe" --music "$work/tone.wav" 300 2>/dev/null)
[ "$out" = music ] || fail "the music did not play: $out"
python3 - "$work/tone.wav" "$work/out.raw" <<'PY' || fail "the music did not start over at its end"
import sys
samples = open(sys.argv[1], "rb").read()[44:]
assert open(sys.argv[2], "rb").read().count(samples[20000:24000]) >= 2
PY

err=$(SDL_AUDIODRIVER=nonesuch timeout 30 "$probe" "$work/tone.wav" 50 2>&1 >"$work/mode"); code=$?
[ $code -eq 0 ] && [ "$(cat "$work/mode")" = fallback ] || fail "no device: $code $(cat "$work/mode")"
[ "$(grep -c 'no audio device' <<<"$err")" -eq 1 ] || fail "the fallback did not say so once: $err"
echo "1 passed, 0 failed"
