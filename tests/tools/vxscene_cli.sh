#!/usr/bin/env bash
# The vxscene program end to end: exit codes and the one-line errors a scene author sees.
set -u
vxscene=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$vxscene" sample --out "$work/scene" >/dev/null || fail "sample"
"$vxscene" pack --stub "$vxscene" --out "$work/saver.scr" "$work/scene" >/dev/null || fail "pack"
out=$("$vxscene" list "$work/saver.scr") || fail "list"
grep -q '^entries: 3$' <<<"$out" || fail "list count: $out"
grep -qE '^ +2 +[0-9]+  sound0.wav$' <<<"$out" || fail "list entry: $out"
"$vxscene" unpack "$work/saver.scr" "$work/out" >/dev/null || fail "unpack"
cmp -s "$work/scene/sound0.wav" "$work/out/sound0.wav" || fail "round trip"

# info: the same facts from the package and from the bare project file.
"$vxscene" info --json "$work/saver.scr" >"$work/info.json" || fail "info package"
"$vxscene" info --json "$work/scene/VXTemp.vxp" >"$work/bare.json" || fail "info project"
python3 - "$work/info.json" "$work/bare.json" <<'PY' || fail "info json"
import json, sys
package, bare = (json.load(open(path, encoding="utf-8")) for path in sys.argv[1:3])
assert package["loaded"] and bare["loaded"]
assert package["package"]["entries"] == 3 and bare["package"] is None
assert package["package"]["header"]["Res"] == ["VXHeader.dat", "VXTemp.vxp", "sound0.wav"]
assert package["project"] == bare["project"]
project = package["project"]
assert (project["width"], project["height"]) == (320, 200)
assert len(project["waves"]) == 8 and project["waves"][0]["Amplitude"] == 6
assert project["mask"]["regions"][1] == 320 * 66 and sum(project["mask"]["regions"]) == 320 * 200
assert project["soundCount"] == 1 and project["sounds"][0]["IntervalMax"] == 15
assert project["extraInfo"]["ScrFilename"] == "Sample scene.scr"
PY
"$vxscene" info "$work/saver.scr" | grep -q 'title: Sample scene' || fail "info summary"
err=$("$vxscene" info "$work/scene/sound0.wav" 2>&1 >/dev/null); code=$?
[ $code -eq 1 ] && grep -q 'neither' <<<"$err" || fail "info of a non-scene: $code $err"

# render: the same command line writes the same bytes, frame list included.
for run in a b; do
  "$vxscene" render "$work/saver.scr" --out "$work/render-$run" --frames 6 --frame-ms 40 --seed 7 --clock \
    --time 09:15:00 --size 400x300 --stretch --proportional >/dev/null || fail "render $run"
done
diff -r "$work/render-a" "$work/render-b" >/dev/null || fail "render twice differs"
python3 - "$work/render-a/frames.json" <<'PY' || fail "frames.json"
import json, sys
frames = json.load(open(sys.argv[1]))
assert (frames["width"], frames["height"], frames["frameMs"]) == (400, 250, 40), frames
assert [f["file"] for f in frames["frames"]] == ["frame_%04d.png" % i for i in range(1, 7)]
ticks = [f["tick"] for f in frames["frames"]]
assert all(b - a == 40 for a, b in zip(ticks, ticks[1:])), ticks
PY
"$vxscene" render "$work/saver.scr" --out "$work/render-c" --frames 6 --frame-ms 40 --seed 8 --clock \
  --time 09:15:00 --size 400x300 --stretch --proportional >/dev/null || fail "render seed 8"
"$vxscene" render "$work/saver.scr" --out "$work/bad" --size 10x10 >/dev/null 2>&1 && fail "render --size without --stretch"

# render --sound-log: the sample's chime (mode 1, 5 to 15 s) on the render's clock.
"$vxscene" render "$work/saver.scr" --out "$work/render-sound" --frames 300 --frame-ms 100 --size 32x20 --stretch \
  --sound-log "$work/sounds.json" >/dev/null || fail "render --sound-log"
python3 - "$work/sounds.json" <<'PY' || fail "sounds.json"
import json, sys
log = json.load(open(sys.argv[1]))
assert log["volume"] == 100 and log["slots"] == [{"slot": 0, "file": "sound0.wav", "mode": 1, "available": True}], log
times = [s["ms"] for s in log["starts"]]
assert all(s["slot"] == 0 and not s["loop"] for s in log["starts"]), log
waits = [b - a for a, b in zip([0] + times, times)]
assert len(times) >= 2 and all(5000 <= w < 15100 for w in waits), waits
PY
"$vxscene" wav "$work/scene/sound0.wav" | grep -q '^plays: yes' || fail "wav of the chime"
err=$("$vxscene" wav "$work/scene/VXTemp.vxp" 2>&1 >/dev/null); code=$?
[ $code -eq 1 ] && [ "$err" = "vxscene: Wave is invalid" ] || fail "wav of a non-WAV: $code $err"

err=$("$vxscene" list "$work/nothing" 2>&1 >/dev/null); code=$?
[ $code -ne 0 ] && [ $(wc -l <<<"$err") -eq 1 ] && grep -q 'cannot open' <<<"$err" || fail "missing file: $code $err"
err=$("$vxscene" list "$vxscene" 2>&1 >/dev/null); code=$?
[ $code -ne 0 ] && grep -q 'no package' <<<"$err" || fail "no package: $code $err"
"$vxscene" frobnicate >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown command"

# gif-frames: the paintings of an endless GIF (render's preview loops for ever) stop at 500.
"$vxscene" render "$work/saver.scr" --out "$work/render-gif" --frames 3 --frame-ms 40 --gif "$work/anim.gif" \
  --gif-width 16 >/dev/null || fail "render --gif"
"$vxscene" gif-frames "$work/anim.gif" --out "$work/paintings" --anim-speed 20 >/dev/null || fail "gif-frames"
python3 - "$work/paintings" <<'PY' || fail "paintings.json"
import json, os, sys
listed = json.load(open(os.path.join(sys.argv[1], "paintings.json")))
assert (listed["width"], listed["speed"]) == (16, 600), listed
paintings = listed["paintings"]
assert [p["file"] for p in paintings] == ["paint_%04d.png" % i for i in range(1, 501)]
assert all(os.path.isfile(os.path.join(sys.argv[1], p["file"])) for p in paintings)
assert [p["frame"] for p in paintings[:4]] == [0, 1, 2, 0], paintings[:4]
# 4 hundredths at 600 %: 4 x 12 x 100 / 600 = 8 ms per frame.
assert [p["time"] for p in paintings[:4]] == [0, 8, 16, 24], paintings[:4]
PY
err=$("$vxscene" gif-frames "$work/scene/sound0.wav" --out "$work/none" 2>&1 >/dev/null); code=$?
[ $code -eq 1 ] && [ $(wc -l <<<"$err") -eq 1 ] && grep -q 'cannot decode' <<<"$err" || fail "gif-frames of a non-GIF: $code $err"
"$vxscene" gif-frames "$work/anim.gif" >/dev/null 2>&1; [ $? -eq 2 ] || fail "gif-frames without --out"
echo "1 passed, 0 failed"
