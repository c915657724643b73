#!/usr/bin/env bash
# Runs every test of a build tree; GUI tests get a virtual display when
# there is no real one.
set -euo pipefail
dir=${1:-build/test}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$dir"
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)"
fi
exec ctest --output-on-failure -j "$(nproc)"
