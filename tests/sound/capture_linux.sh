#!/usr/bin/env bash
# The Linux sound output end to end: a looped WAV played through SDL's disk driver must come out
# sample for sample at full volume, music must start over at its end, and without an audio device
# the player falls back, says so once and plays nothing.
set -u
here=$(cd "$(dirname "$0")" && pwd)
probe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

python3 "$here/capture.py" tone "$work/tone.wav"
out=$(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" SDL_DISKAUDIODELAY=0 timeout 30 "$probe" "$work/tone.wav" 300 2>/dev/null)
[ "$out" = channels ] || fail "the disk driver gave: $out"
python3 "$here/capture.py" exact "$work/tone.wav" "$work/out.raw" || fail "the captured sound does not hold the WAV's samples"

# The same WAV as music: the mixer reports its end on its own thread, the probe's loop hands
# that to the music, which starts it over; the (unpaced) disk driver hears it many times.
rm -f "$work/out.raw"
out=$(SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" SDL_DISKAUDIODELAY=0 timeout 30 "$probe" --music "$work/tone.wav" 300 2>/dev/null)
[ "$out" = music ] || fail "the music did not play: $out"
python3 "$here/capture.py" again "$work/tone.wav" "$work/out.raw" || fail "the music did not start over at its end"

err=$(SDL_AUDIODRIVER=nonesuch timeout 30 "$probe" "$work/tone.wav" 50 2>&1 >"$work/mode"); code=$?
[ $code -eq 0 ] && [ "$(cat "$work/mode")" = fallback ] || fail "no device: $code $(cat "$work/mode")"
[ "$(grep -c 'no audio device' <<<"$err")" -eq 1 ] || fail "the fallback did not say so once: $err"
echo "1 passed, 0 failed"
