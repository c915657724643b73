#!/usr/bin/env bash
# Runs the host's window pictures and quit-with-settings cases N times each
# against one build (under ASan in build/test) and counts the failed runs:
#   scripts/host_repeat.sh BUILD_DIR N
set -uo pipefail
build=${1:-build/test}
n=${2:-200}
root=$(cd "$(dirname "$0")/.." && pwd)
export ASAN_OPTIONS=detect_leaks=0 NO_AT_BRIDGE=1
cases=(open-window-shot-messages open-window-shot-fetch open-window-shot-colors open-window-shot-detail
       window-messages window-fetch window-colors window-detail quit-with-settings)
declare -A failed
for c in "${cases[@]}"; do failed[$c]=0; done
for ((i = 1; i <= n; ++i)); do
  for c in "${cases[@]}"; do
    if ! bash "$root/tests/host_test.sh" "$build/host/app/orvane-host" "$root/tests/data" "$c" > /tmp/host_repeat.$$.log 2>&1; then
      failed[$c]=$((failed[$c] + 1))
      cp /tmp/host_repeat.$$.log "/tmp/host_repeat.$c.$i.log"
    fi
  done
  failures=0
  for c in "${cases[@]}"; do failures=$((failures + failed[$c])); done
  echo "round $i of $n: $failures failed runs so far"
done
rm -f /tmp/host_repeat.$$.log
total=0
for c in "${cases[@]}"; do
  echo "$c: ${failed[$c]} failed of $n"
  total=$((total + failed[$c]))
done
exit $((total > 0))
