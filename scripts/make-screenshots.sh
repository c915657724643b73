#!/usr/bin/env bash
# Writes the README's pictures into docs/ from a build tree, on a virtual
# display, with the plug-in on its built-in sample data:
#   make-screenshots.sh [RUN_BUILD_DIR] [TEST_BUILD_DIR]
# The chart over the Black Sea and the western Mediterranean in both canvases,
# the first-run screen, the message window's pages and the detail view; the
# settings pages come from the settings dialog test when the test tree is built.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
run=$(cd "${1:-$src/build/run}" && pwd)
tests=${2:-$src/build/test}
host="$run/host/app/orvane-host"
docs="$src/docs"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# A clean data root and settings, and no fetch leaving the machine.
export LOCALAPPDATA="$tmp/local" XDG_CONFIG_HOME="$tmp/config" ORVANE_PORTAL_URL="http://127.0.0.1:9/"
x() { xvfb-run -a -s "-screen 0 1920x1080x24 +extension GLX" "$@" > /dev/null; }

for canvas in gl dc; do
  flag=()
  [[ $canvas == dc ]] && flag=(--dc)
  x "$host" "${flag[@]}" --center 43.6,31.0 --scale 4000000 --screenshot "$docs/chart_black_sea_$canvas.png" --quit-after 3
  x "$host" "${flag[@]}" --center 37.8,1.0 --scale 3000000 --screenshot "$docs/chart_west_med_$canvas.png" --quit-after 3
done
x "$host" --open-window --center 41,16 --scale 14000000 --quit-after 6 --screenshot-screen "$docs/first_run.png"
for page in messages fetch overlay colors detail; do
  x "$host" --screenshot-window "$page" "$docs/window_$page.png" --quit-after 30
done
if [[ -x "$tests/tests/settings_dialog_test" ]]; then
  ORVANE_SCREENSHOT_DIR="$docs" ASAN_OPTIONS=detect_leaks=0 x "$tests/tests/settings_dialog_test" \
    --gtest_filter='SettingsDialogScreenshots.*'
fi
# The ship's NAVTEX receiver through the chart plotter's NMEA: the recorded
# log of the tests, replayed by the host.
mkdir -p "$tmp/config/opencpn"
printf 'ReceiverSource=5\n' > "$tmp/config/opencpn/orvane_pi.ini"
x "$host" --nmea "$src/tests/data/navtex_receiver.nmea" --speed 10 --center 55.2,7.0 --scale 5000000 \
  --quit-after 6 --screenshot-screen "$docs/receiver_north_sea.png"
rm -f "$tmp/config/opencpn/orvane_pi.ini"
# Real warnings from ../shared/corpus, when it is there.
bash "$src/scripts/corpus-screenshots.sh" "$run" > /dev/null
ls -l "$docs"/*.png
