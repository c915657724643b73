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
shot="$(cd "$dir" && pwd)/orvane-host.png"
echo "No display: running orvane-host on a virtual display for 6 seconds, message window open."
xvfb-run -a -s "-screen 0 1280x1024x24" "$host" --plugin "$plugin" --open-window --quit-after 6 \
  --screenshot "$shot" "${@:2}"
echo "orvane-host closed cleanly; the screenshot of the chart is $shot"
