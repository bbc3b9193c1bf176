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

err=$("$vxscene" list "$work/nothing" 2>&1 >/dev/null); code=$?
[ $code -ne 0 ] && [ $(wc -l <<<"$err") -eq 1 ] && grep -q 'cannot open' <<<"$err" || fail "missing file: $code $err"
err=$("$vxscene" list "$vxscene" 2>&1 >/dev/null); code=$?
[ $code -ne 0 ] && grep -q 'no package' <<<"$err" || fail "no package: $code $err"
"$vxscene" frobnicate >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown command"
echo "1 passed, 0 failed"
