#!/usr/bin/env bash
# Builds the fuzz preset and runs one libFuzzer target for a while. It starts from the checked-in
# seeds (fuzz/corpus/TARGET) copied into fuzz-corpus/TARGET, an ignored folder where what the
# fuzzer finds worth keeping grows from one run to the next; findings land in the working folder.
#   scripts/fuzz.sh TARGET [SECONDS]
#   TARGET: package | ini | project | objects | gif_player | wav | gif | jpeg | bmp
# LUMORA_FUZZ_BUILD names another build folder than build/fuzz. scripts/fuzz-ci.sh runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
target=$1
seconds=${2:-60}
build=${LUMORA_FUZZ_BUILD:-build/fuzz}
if [[ ! -d fuzz/corpus/$target ]]; then
  echo "no seeds for '$target' in fuzz/corpus" >&2
  exit 2
fi
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "fuzz_$target" >/dev/null

corpus=fuzz-corpus/$target
mkdir -p "$corpus"
cp fuzz/corpus/"$target"/* "$corpus/"
"$build/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -15
