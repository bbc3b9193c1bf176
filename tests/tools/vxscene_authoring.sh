#!/usr/bin/env bash
# vxscene extract, build and new end to end: the demo and the sample survive extract and build,
# a scene made from nothing moves its water exactly where the author painted it, and every kind
# of author mistake gives its one-line message, exit code 1 and no saver.
set -u
vxscene=$1
pictures=("python3" "$(cd "$(dirname "$0")" && pwd)/authoring_pictures.py")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# ---- Round trips: what info reports and the stored JPEG bytes come back unchanged ----
for scene in demo sample; do
  "$vxscene" $scene --out "$work/$scene" >/dev/null && "$vxscene" pack --out "$work/$scene.scr" "$work/$scene" >/dev/null ||
    fail "$scene"
  "$vxscene" extract "$work/$scene.scr" "$work/$scene-x" >/dev/null || fail "extract $scene"
  "$vxscene" build "$work/$scene-x" --out "$work/$scene-b.scr" >/dev/null || fail "build $scene"
  "$vxscene" build "$work/$scene-x" --out "$work/$scene-b2.scr" >/dev/null || fail "build $scene again"
  cmp -s "$work/$scene-b.scr" "$work/$scene-b2.scr" || fail "$scene: two builds of one folder differ"
  cmp -s <("$vxscene" info --json "$work/$scene.scr") <("$vxscene" info --json "$work/$scene-b.scr") ||
    fail "$scene: info --json of the rebuilt saver differs"
  "$vxscene" unpack "$work/$scene-b.scr" "$work/$scene-u" >/dev/null || fail "unpack $scene"
  "${pictures[@]}" stored "$work/$scene/VXTemp.vxp" "$work/$scene-u/VXTemp.vxp" "$work/$scene-x" || fail "$scene: JPEG bytes"
  # The rebuilt saver opens into the same folder; so does the bare project file, its media beside it.
  "$vxscene" extract "$work/$scene-b.scr" "$work/$scene-x2" >/dev/null || fail "extract the rebuilt $scene"
  diff -r "$work/$scene-x" "$work/$scene-x2" >/dev/null || fail "$scene: the rebuilt saver extracts differently"
  "$vxscene" extract "$work/$scene/VXTemp.vxp" "$work/$scene-bare" >/dev/null || fail "extract the bare $scene"
  diff -r "$work/$scene-x" "$work/$scene-bare" >/dev/null || fail "$scene: the bare project extracts differently"
done
cmp -s "$work/demo/obj1.gif" "$work/demo-x/obj1.gif" && cmp -s "$work/demo/music.wav" "$work/demo-x/evening.wav" ||
  fail "the demo's media are not copied under their own names"

# ---- A new scene: water exactly where regions.png has it ----
"${pictures[@]}" stripes "$work/lake.png" 160 120
"$vxscene" new "$work/new" --background "$work/lake.png" >/dev/null || fail "new"
[[ -f $work/new/background.png && -f $work/new/regions.png && ! -e $work/new/thumbnail.jpg ]] || fail "new's files"
"${pictures[@]}" region "$work/new/regions.png" 160 120 rgb 30 70 130 110 1
"$vxscene" build "$work/new" --out "$work/new.scr" >/dev/null || fail "build the new scene"
"$vxscene" render "$work/new.scr" --out "$work/frames" --frames 8 --frame-ms 90 >/dev/null || fail "render"
for f in "$work"/frames/frame_*.png; do convert "$f" "rgb:${f%.png}.rgb"; done
"${pictures[@]}" moved 160 120 30,70,130,110 "$work"/frames/frame_*.rgb >/dev/null || fail "the water is not where it was painted"
# The same rectangle as palette index 4 on a grey palette, and as region 6 on transparency.
region_counts() { "$vxscene" info --json "$1" | python3 -c 'import json,sys; print(json.load(sys.stdin)["project"]["mask"]["regions"])'; }
"${pictures[@]}" region "$work/new/regions.png" 160 120 palette 30 70 130 110 4
"$vxscene" build "$work/new" --out "$work/palette.scr" >/dev/null || fail "build with a palette picture"
[[ $(region_counts "$work/palette.scr") == "[15200, 0, 0, 0, 4000, 0, 0]" ]] || fail "palette indices: $(region_counts "$work/palette.scr")"
"${pictures[@]}" region "$work/new/regions.png" 160 120 rgba 30 70 130 110 6
"$vxscene" build "$work/new" --out "$work/alpha.scr" >/dev/null || fail "build with a transparent picture"
[[ $(region_counts "$work/alpha.scr") == "[15200, 0, 0, 0, 0, 0, 4000]" ]] || fail "transparency: $(region_counts "$work/alpha.scr")"

# ---- Author mistakes: each names its place, exits with 1 and leaves no saver behind ----
"${pictures[@]}" region "$work/new/regions.png" 160 120 rgb 30 70 130 110 1
cp "$work/demo/obj1.gif" "$work/sample-x/chime.wav" "$work/new/"
python3 - "$work/new/scene.json" <<'PY'
import json, sys
scene = json.load(open(sys.argv[1]))
scene["objects"] = [{"ObjType": "GIF", "Filename": "C:\\Art\\obj1.gif", "Motion": 2}]
scene["sounds"] = [{"Path": "chime.wav", "PlayMode": 1, "IntervalMin": 5, "IntervalMax": 9}]
json.dump(scene, open(sys.argv[1], "w"), indent=2)
PY
"$vxscene" build "$work/new" --out "$work/good.scr" >/dev/null || fail "the folder for the mistakes does not build"
mistake() {  # NAME EXPECTED-MESSAGE: build a copy of the folder after the setup in "$@" and check
  local name=$1 expected=$2
  shift 2
  rm -rf "$work/bad" && cp -r "$work/new" "$work/bad" && (cd "$work/bad" && eval "$@") || fail "$name: setup"
  echo old >"$work/kept.scr"
  err=$("$vxscene" build "$work/bad" --out "$work/bad.scr" 2>&1 >/dev/null); code=$?
  [[ $code -eq 1 && $err == "vxscene: $expected" ]] || fail "$name: exit $code, said: $err"
  [[ ! -e $work/bad.scr ]] || fail "$name: a saver was written"
  "$vxscene" build "$work/bad" --out "$work/kept.scr" >/dev/null 2>&1
  [[ $(cat "$work/kept.scr") == old ]] || fail "$name: an older saver was touched"
  [[ -z $(find "$work" -maxdepth 1 -name '*.scr.*') ]] || fail "$name: a temporary file was left"
}
edit() { python3 -c "import json; s = json.load(open('scene.json')); $1; json.dump(s, open('scene.json', 'w'))"; }
mistake "out of range" "waves[0].Period: must be 1 to 3600" edit "'s[\"waves\"][0][\"Period\"] = 0'"
mistake "not whole" "weather.Count: must be a whole number, 0 to 1000" edit "'s[\"weather\"][\"Count\"] = 2.5'"
mistake "not a boolean" "waves[3].Ripple: must be true or false" edit "'s[\"waves\"][3][\"Ripple\"] = 1'"
mistake "an object's range" "objects[0].Motion: must be 0 to 9" edit "'s[\"objects\"][0][\"Motion\"] = 10'"
mistake "unknown key" "objects[0].Motoin: unknown key" edit "'s[\"objects\"][0][\"Motoin\"] = 3'"
mistake "object type" 'objects[0].ObjType: must be "GIF" or "IMG"' edit "'s[\"objects\"][0][\"ObjType\"] = \"PNG\"'"
mistake "missing picture" "objects[0].Filename: obj2.gif not found" edit "'s[\"objects\"][0][\"Filename\"] = \"obj2.gif\"'"
mistake "wrong picture" "objects[0].Filename: chime.wav: GIF: Data is not in GIF format" \
  edit "'s[\"objects\"][0][\"Filename\"] = \"chime.wav\"'"
mistake "missing sound" "sounds[0].Path: bell.wav not found" edit "'s[\"sounds\"][0][\"Path\"] = \"C:\\\\x\\\\bell.wav\"'"
mistake "music on, no file" "header.MusicFile: empty, but header.Music is on; name the music file" \
  edit "'s[\"header\"][\"Music\"] = True'"
mistake "too many waves" "waves: at most 8 records, one per region, 9 given" edit "'s[\"waves\"].append({})'"
mistake "foreign text" 'title: "日本" holds a character the scene'"'"'s texts cannot store (Windows-1252)' \
  edit "'s[\"title\"] = \"日本\"'"
mistake "broken JSON" "scene.json: line 1, column 11: syntax error while parsing value - unexpected '}'; expected '[', '{', or a literal" \
  "echo '{\"title\": }' >scene.json"
mistake "no scene.json" "scene.json: not found in $work/bad" rm scene.json
mistake "no background" "background: background.png not found" rm background.png
mistake "not a picture" "background: background.png: not a JPEG, PNG or BMP picture" "echo text >background.png"
mistake "stray colour" "regions.png: pixel (7, 3) is #123456, neither black nor a region colour (see regionColors in scene.json)" \
  "${pictures[@]}" region regions.png 160 120 rgb 30 70 130 110 1 bad 7 3 "'#123456'"
mistake "palette index" "regions.png: pixel (150, 2) has palette index 7; regions are indices 1 to 6, 0 is no water" \
  "${pictures[@]}" region regions.png 160 120 palette 30 70 130 110 1 bad 150 2 7
mistake "mask size" "regions.png: 160 x 119, but the background is 160 x 120" \
  "${pictures[@]}" region regions.png 160 119 rgb 30 70 130 110 1

# A folder is only made whole and new.
mkdir -p "$work/full" && touch "$work/full/keep"
err=$("$vxscene" extract "$work/sample.scr" "$work/full" 2>&1 >/dev/null); code=$?
[[ $code -eq 1 && $err == "vxscene: $work/full is not an empty folder; choose a new one" ]] || fail "extract into a full folder: $err"
"$vxscene" new "$work/full" --background "$work/lake.png" >/dev/null 2>&1 && fail "new into a full folder"
err=$("$vxscene" new "$work/other" --background "$work/sample-x/chime.wav" 2>&1 >/dev/null); code=$?
[[ $code -eq 1 && $err == *"not a JPEG, PNG or BMP picture" && ! -e $work/other ]] || fail "new from a sound: $err"
[[ $(ls "$work/full") == keep && -z $(ls -d "$work"/*.partial-* 2>/dev/null) ]] || fail "a refused folder was touched"
echo "1 passed, 0 failed"
