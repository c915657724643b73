#!/usr/bin/env bash
# Starts orvane-host with the plug-in on its built-in sample data. Without a
# display it runs on a virtual one for a few seconds, photographs the chart
# with the message window open, prints the plug-in's status line and closes.
set -euo pipefail
dir=${1:-build/run}
host="$dir/host/app/orvane-host"
plugin="$dir/plugins/orvane_pi/liborvane_pi.so"
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$host" --plugin "$plugin" "${@:2}"
fi
shot="$(cd "$dir" && pwd)/orvane-host.png"
echo "No display: running orvane-host on a virtual display for 8 seconds, message window open."
xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX" "$host" --plugin "$plugin" --open-window --quit-after 8 \
  --center 41,16 --scale 14000000 --screenshot-screen "$shot" "${@:2}"
echo "orvane-host closed cleanly; the screenshot of the chart and the message window is $shot"
