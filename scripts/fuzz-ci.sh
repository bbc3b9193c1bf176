#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for a while, two at a time, from a
# scratch copy of the checked-in seed corpus (fuzz/corpus/<target>), so that the corpus in the
# repository never changes. Any finding fails: a crash, a sanitizer report, a leak, an input that
# runs longer than the timeout or a target that runs out of memory. For each one the reproducer
# is kept under <build>/findings/ and the start of the report is printed.
#   scripts/fuzz-ci.sh [SECONDS]    each target's run, 60 unless given
# LUMORA_FUZZ_BUILD names another build folder than build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${LUMORA_FUZZ_BUILD:-build/fuzz}
# A single input taking this long is a finding: the slowest seed takes well under a second.
timeout=25

# Every target that fuzz/CMakeLists.txt makes, each with its own seeds.
mapfile -t targets < <(sed -n 's/^lumora_fuzzer(fuzz_\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt)
for target in "${targets[@]}"; do
  if ! compgen -G "fuzz/corpus/$target/*" >/dev/null; then
    echo "FAIL: fuzz_$target has no seeds in fuzz/corpus/$target"
    exit 1
  fi
done

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

scratch=$(mktemp -d)
# Ended early (an interrupt, a failed step): no fuzzer is left running behind.
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
findings=$build/findings
rm -rf "$findings"

# Runs one target; its log, exit status and artifacts stay in the scratch folder for the report.
fuzz_one() {
  local target=$1 work=$scratch/$1 rc=0
  mkdir -p "$work/corpus" "$work/artifacts"
  cp fuzz/corpus/"$target"/* "$work/corpus/"
  # UBSan only reports by default; halting makes each report a crash that libFuzzer keeps.
  UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" ASAN_OPTIONS="detect_leaks=1" \
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" >"$work/log" 2>&1 || rc=$?
  echo "$rc" >"$work/rc"
}

# Two at a time: a new target starts when either running one ends.
running=0
for target in "${targets[@]}"; do
  if ((running == 2)); then
    wait -n
    running=$((running - 1))
  fi
  fuzz_one "$target" &
  running=$((running + 1))
done
wait

status=0
for target in "${targets[@]}"; do
  work=$scratch/$target
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
  artifacts=$(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \))
  if [[ -z $artifacts && $(cat "$work/rc" 2>/dev/null || echo missing) == 0 ]]; then
    echo "fuzz_$target: ${runs:-0} runs, no finding"
    continue
  fi
  status=1
  mkdir -p "$findings/$target"
  echo "FAIL: fuzz_$target found a fault"
  for artifact in $artifacts; do
    cp "$artifact" "$findings/$target/"
    echo "  reproduce: $build/fuzz/fuzz_$target $findings/$target/$(basename "$artifact")"
  done
  cp "$work/log" "$findings/$target/log"
  # The report starts at the sanitizer's or libFuzzer's first error line.
  report=$(grep -n -m1 -E '==[0-9]+==ERROR|runtime error|ERROR: libFuzzer|^==[0-9]+== ERROR' "$work/log" | cut -d: -f1)
  tail -n +"${report:-1}" "$work/log" | head -25 | sed 's/^/  | /'
done
exit $status
