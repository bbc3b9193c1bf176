#!/usr/bin/env bash
# Builds and runs every test: natively (preset "default"), then the Windows build (preset
# "mingw") with the same unit tests under Wine. Installs what it needs first. Exits non-zero on
# any failure.
set -euo pipefail
cd "$(dirname "$0")"

scripts/bootstrap.sh

echo "== native build and tests"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j2

echo "== the Linux player end to end (its own Xvfb, real X events)"
tests/e2e/linux_saver.sh build/default
echo "== the Linux configuration dialog end to end"
tests/e2e/linux_config.sh build/default
echo "== a scene made with vxscene new and build, played end to end"
tests/e2e/linux_authoring.sh build/default

echo "== objects, GIF players and the drawing thread under the thread and address sanitizers"
cmake --preset tsan >/dev/null
cmake --build --preset tsan --target lumora_stress
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" timeout 180 build/tsan/tests/lumora_stress 15
cmake --preset asan >/dev/null
cmake --build --preset asan --target lumora_stress
ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="halt_on_error=1" timeout 120 build/asan/tests/lumora_stress 5

echo "== the unit tests under the address and undefined-behaviour sanitizers"
cmake --build --preset asan --target lumora_tests
ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  timeout 600 build/asan/tests/lumora_tests --gtest_brief=1
echo "== every fuzz target for a minute from the checked-in seeds; a finding fails"
scripts/fuzz-ci.sh 60

echo "== Windows build, unit tests under Wine"
if [[ -x scripts/mingw-deps.sh ]]; then scripts/mingw-deps.sh; fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw
for program in build/mingw/src/StandAloneScr.exe build/mingw/tests/lumora_tests.exe build/mingw/tests/lumora_sound_probe.exe \
    build/mingw/tools/vxscene/vxscene.exe; do
  if build/default/tools/vxscene/vxscene list "$program" >/dev/null 2>&1; then
    echo "FAIL: $program holds a package marker"; exit 1
  fi
done
log=build/mingw/wine-tests.log
status=0
scripts/wine-run.sh build/mingw/tests/lumora_tests.exe >"$log" 2>&1 || status=$?
passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log")
failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$log")
if [[ $status -ne 0 || -z $passed ]]; then
  grep -E '^\[  FAILED  \]|Failure|error' "$log" | head -40 || tail -40 "$log"
fi
if [[ $status -eq 0 ]]; then
  # The same render command writes the same bytes on both systems.
  scratch=build/mingw/render-check
  rm -rf "$scratch" && mkdir -p "$scratch"
  build/default/tools/vxscene/vxscene demo --out "$scratch/scene" >/dev/null
  build/default/tools/vxscene/vxscene pack --out "$scratch/demo.scr" "$scratch/scene" >/dev/null
  build/default/tools/vxscene/vxscene render "$scratch/demo.scr" --out "$scratch/linux" --frames 12 --clock >/dev/null
  scripts/wine-run.sh build/mingw/tools/vxscene/vxscene.exe render "$scratch/demo.scr" --out "$scratch/windows" \
    --frames 12 --clock >/dev/null 2>&1 || status=$?
  # And the same sound schedule: a minute of the demo's sounds, frames kept small.
  build/default/tools/vxscene/vxscene render "$scratch/demo.scr" --out "$scratch/linux-sound" --frames 600 \
    --frame-ms 100 --size 160x100 --stretch --sound-log "$scratch/linux-sound.json" >/dev/null
  scripts/wine-run.sh build/mingw/tools/vxscene/vxscene.exe render "$scratch/demo.scr" --out "$scratch/windows-sound" \
    --frames 600 --frame-ms 100 --size 160x100 --stretch --sound-log "$scratch/windows-sound.json" >/dev/null 2>&1 || status=$?
  if ! cmp -s "$scratch/linux-sound.json" "$scratch/windows-sound.json"; then
    echo "FAIL: the demo's sound log differs between the Linux and the Windows build"; status=1
  fi
  for frame in "$scratch"/linux/frame_*.png; do
    if ! cmp -s "$frame" "$scratch/windows/$(basename "$frame")"; then
      echo "FAIL: $(basename "$frame") differs between the Linux and the Windows build"; status=1
    fi
  done
fi
if [[ $status -eq 0 ]]; then
  tests/sound/capture_wine.sh build/mingw/tests/lumora_sound_probe.exe || status=$?
fi
if [[ $status -eq 0 ]]; then
  echo "== the Windows program end to end (Wine, its own Xvfb, real X events)"
  tests/e2e/wine_saver.sh build/mingw build/default || status=$?
fi
if [[ $status -eq 0 ]]; then
  echo "== the Windows configuration dialog end to end (Wine, its own Xvfb, real clicks)"
  tests/e2e/wine_config.sh build/mingw build/default || status=$?
fi
echo "wine: ${passed:-0} passed, ${failed:-0} failed"
exit $status
