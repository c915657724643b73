#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer, no recovery) and runs each for SECONDS.
#   fuzz.sh SECONDS [TARGET...]
set -euo pipefail
seconds=${1:-60}
shift || true
src=$(cd "$(dirname "$0")/.." && pwd)
dir="$src/build/fuzz"
CC=clang CXX=clang++ cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_FUZZ=ON \
  -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF > /dev/null
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  mapfile -t targets < <(cut -d' ' -f1 "$dir/fuzz_targets.txt")
fi
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"
status=0
for t in "${targets[@]}"; do
  read -r -a seeds < <(grep "^$t " "$dir/fuzz_targets.txt" | cut -d' ' -f2-)
  work="$dir/corpus/$t"
  mkdir -p "$work"
  echo "== fuzz_$t for ${seconds}s"
  if ! "$dir/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$dir/crash-$t-" "$work" "${seeds[@]}" 2> "$dir/fuzz_$t.log"; then
    echo "fuzz_$t FAILED; see $dir/fuzz_$t.log"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$dir/fuzz_$t.log" | sed 's/^/   /' || true
done
exit $status
