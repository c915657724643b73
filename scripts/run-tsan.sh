#!/usr/bin/env bash
# Runs test programs of a ThreadSanitizer build; any report fails the run.
#   run-tsan.sh BUILD_DIR TEST...
set -uo pipefail
dir=$1
shift
src=$(cd "$(dirname "$0")/.." && pwd)
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$src/tests/tsan.supp ${TSAN_OPTIONS:-}"
export NO_AT_BRIDGE=1
status=0
for t in "$@"; do
  log="$dir/tsan-$t.log"
  if [[ -z "${DISPLAY:-}" ]]; then
    xvfb-run -a -s "-screen 0 1280x1024x24 +extension GLX" "$dir/tests/$t" > "$log" 2>&1
  else
    "$dir/tests/$t" > "$log" 2>&1
  fi
  rc=$?
  reports=$(grep -c "WARNING: ThreadSanitizer" "$log" || true)
  passed=$(grep -oE "\[  PASSED  \] [0-9]+ tests?" "$log" | grep -oE "[0-9]+" || echo 0)
  echo "$t: exit $rc, $passed tests passed, $reports ThreadSanitizer reports (log: $log)"
  [[ $rc -eq 0 && $reports -eq 0 ]] || status=1
done
exit $status
