#!/usr/bin/env python3
"""A screenshot against frames vxscene rendered of the same scene and size (raw RGB bytes).

  compare_frames.py WIDTH HEIGHT SHOT.raw REF1.raw REF2.raw ...

The water is every row from the first one in which the reference frames (taken at different
times) differ; the tests' scenes keep their water at the bottom. Above it the screenshot must
equal the frames exactly; in the water, where the waves depend on the moment of the frame, the
mean difference must stay under 8 levels and no more than 5 % of the values may differ by more
than 48. Prints the figures.
"""
import sys

width, height = int(sys.argv[1]), int(sys.argv[2])
row = width * 3
shot = open(sys.argv[3], "rb").read()
refs = [open(path, "rb").read() for path in sys.argv[4:]]
assert len(shot) == row * height and all(len(r) == row * height for r in refs), "sizes differ"
lines = lambda data, y: data[y * row:(y + 1) * row]
water = next((y for y in range(height) if any(lines(r, y) != lines(refs[0], y) for r in refs[1:])), height)
land_bad = [y for y in range(water) if lines(shot, y) != lines(refs[0], y)]
diffs = [abs(a - b) for a, b in zip(shot[water * row:], refs[0][water * row:])]
mean = sum(diffs) / len(diffs) if diffs else 0.0
far = sum(d > 48 for d in diffs) / len(diffs) if diffs else 0.0
print(f"land rows 0..{water - 1}: {len(land_bad)} differ; water rows {water}..{height - 1}: "
      f"mean difference {mean:.2f}, {far * 100:.2f} % of values more than 48 apart")
assert water > height // 4, "no land to compare"
assert not land_bad, f"land rows differ, first {land_bad[0]}"
assert mean < 8 and far <= 0.05
