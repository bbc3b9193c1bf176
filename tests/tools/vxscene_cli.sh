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

err=$("$vxscene" list "$work/nothing" 2>&1 >/dev/null); code=$?
[ $code -ne 0 ] && [ $(wc -l <<<"$err") -eq 1 ] && grep -q 'cannot open' <<<"$err" || fail "missing file: $code $err"
err=$("$vxscene" list "$vxscene" 2>&1 >/dev/null); code=$?
[ $code -ne 0 ] && grep -q 'no package' <<<"$err" || fail "no package: $code $err"
"$vxscene" frobnicate >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown command"
echo "1 passed, 0 failed"
