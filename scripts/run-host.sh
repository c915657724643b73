#!/usr/bin/env bash
# Starts orvane-host with the plug-in on its built-in sample data. Without a
# display it runs on a virtual one for a few seconds and closes cleanly.
set -euo pipefail
dir=${1:-build/run}
host="$dir/host/app/orvane-host"
plugin="$dir/plugins/orvane_pi/liborvane_pi.so"
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$host" --plugin "$plugin" "${@:2}"
fi
echo "No display: running orvane-host on a virtual display for 5 seconds."
xvfb-run -a -s "-screen 0 1280x1024x24" "$host" --plugin "$plugin" --quit-after 5 "${@:2}"
echo "orvane-host closed cleanly."
