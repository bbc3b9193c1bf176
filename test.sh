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

echo "== Windows build, unit tests under Wine"
if [[ -x scripts/mingw-deps.sh ]]; then scripts/mingw-deps.sh; fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw
for program in build/mingw/tests/lumora_tests.exe build/mingw/tools/vxscene/vxscene.exe; do
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
echo "wine: ${passed:-0} passed, ${failed:-0} failed"
exit $status
