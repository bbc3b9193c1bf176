#!/usr/bin/env python3
"""What the sound capture checks share: the test WAV, and finding its samples in a capture.

  capture.py tone FILE.wav           a quarter second of two tones, 48 kHz 16-bit stereo
  capture.py exact FILE.wav RAW      RAW holds the WAV's start, a middle piece and the loop seam
  capture.py again FILE.wav RAW      RAW holds a piece of the WAV more than once
"""
import math
import struct
import sys


def tone(path):
    # The mixers' own format, so nothing is converted and the samples must appear unchanged.
    rate = 48000
    frames = b"".join(struct.pack("<hh", int(8000 * math.sin(2 * math.pi * 440 * i / rate)),
                                  int(-6000 * math.sin(2 * math.pi * 660 * i / rate))) for i in range(rate // 4))
    fmt = struct.pack("<HHIIHH", 1, 2, rate, rate * 4, 4, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(frames)) + frames
    open(path, "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)


def main():
    what, wav = sys.argv[1], sys.argv[2]
    if what == "tone":
        return tone(wav)
    samples = open(wav, "rb").read()[44:]
    captured = open(sys.argv[3], "rb").read()
    if what == "exact":
        for piece in (samples[:4000], samples[20000:24000], samples[-4000:] + samples[:4000]):
            assert captured.find(piece) >= 0, len(captured)
    else:
        assert captured.count(samples[20000:24000]) >= 2, len(captured)


main()
