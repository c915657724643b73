#!/usr/bin/env bash
# orvane-host end to end, each case in its own data and settings folders:
#   host_test.sh HOST DATA_DIR CASE
#   canvas-gl / canvas-dc  the chart canvas is written as a PNG after its first paint
#   window-PAGE            a PNG of a message-window page or of the detail view
#   open-window-shot-PAGE  the same with --open-window: still one click, the message window
#   quit-with-settings     the host quits while the plug-in's settings dialog is modal
#   route-filter           with the route filter on, only the warnings along the route are visible
#   bad-options            wrong option values are refused with a reason
#   scheme-gl / scheme-dc  the whole screen (chart, overlay, window) at night has at most a third of the
#                          day picture's mean brightness
set -euo pipefail
host=$1
data=$2
case_=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export LOCALAPPDATA="$tmp/local" XDG_CONFIG_HOME="$tmp/config"
# No fetch may leave this machine: the portal is a closed loopback port.
export ORVANE_PORTAL_URL="http://127.0.0.1:9/"

is_png() { [[ -s "$1" && "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" == "89504e470d0a1a0a" ]]; }

case "$case_" in
  canvas-gl|canvas-dc)
    flag=()
    [[ "$case_" == canvas-dc ]] && flag=(--dc)
    "$host" "${flag[@]}" --center 43.8,31 --scale 3000000 --screenshot "$tmp/chart.png" --open-window \
      --quit-after 3 > "$tmp/out"
    is_png "$tmp/chart.png" || { echo "no PNG written"; cat "$tmp/out"; exit 1; }
    want=GL
    [[ "$case_" == canvas-dc ]] && want=DC
    grep -q "Status: visible 4 / 4 | $want |" "$tmp/out" || { echo "status line:"; cat "$tmp/out"; exit 1; }
    ;;
  window-*)
    "$host" --screenshot-window "${case_#window-}" "$tmp/window.png" --quit-after 20 > "$tmp/out"
    is_png "$tmp/window.png" || { echo "no PNG written"; cat "$tmp/out"; exit 1; }
    grep -q 'plug-in window "Orvane - MSI Overlay"' "$tmp/out" || { echo "not the message window:"; cat "$tmp/out"; exit 1; }
    ;;
  open-window-shot-*)
    # --open-window and the picture's own wait share one click: two would be
    # a double click, which opens the settings instead of the message window.
    "$host" --open-window --screenshot-window "${case_#open-window-shot-}" "$tmp/window.png" --quit-after 20 > "$tmp/out"
    is_png "$tmp/window.png" || { echo "no PNG written"; cat "$tmp/out"; exit 1; }
    grep -q 'plug-in window "Orvane - MSI Overlay"' "$tmp/out" || { echo "not the message window:"; cat "$tmp/out"; exit 1; }
    ;;
  quit-with-settings)
    # The host closes (its quit timer) while the plug-in's modal settings
    # dialog is up: the plug-in ends the dialog in DeInit and the host exits 0.
    "$host" --open-settings --quit-after 2 > "$tmp/out" 2> "$tmp/err" || { echo "exit $?"; cat "$tmp/out" "$tmp/err"; exit 1; }
    grep -q 'quitting with the dialog "Orvane settings" open' "$tmp/out" || { echo "no settings dialog open:"; cat "$tmp/out"; exit 1; }
    ;;
  route-filter)
    mkdir -p "$XDG_CONFIG_HOME/opencpn"
    printf 'RouteFilter=1\n' > "$XDG_CONFIG_HOME/opencpn/orvane_pi.ini"
    "$host" --route "$data/black_sea_route.gpx" --nmea "$data/black_sea_track.nmea" --speed 600 \
      --open-window --quit-after 4 > "$tmp/out"
    # The western Mediterranean exercise area is far from the Black Sea route.
    grep -q "Status: visible 3 / 4 | .* | route filter: ON" "$tmp/out" || { cat "$tmp/out"; exit 1; }
    ;;
  scheme-gl|scheme-dc)
    flag=()
    [[ "$case_" == scheme-dc ]] && flag=(--dc)
    for scheme in day night; do
      # A screen of its own: the picture is of the whole screen, and other
      # tests' windows must not be in it.
      xvfb-run -a -s "-screen 0 1280x1024x24 +extension GLX" "$host" "${flag[@]}" --scheme $scheme --center 43.8,31 --scale 3000000 --screenshot-screen "$tmp/$scheme.png" \
        --open-window --quit-after 4 > "$tmp/out"
      is_png "$tmp/$scheme.png" || { echo "no $scheme PNG written"; cat "$tmp/out"; exit 1; }
    done
    read -r day night < <(python3 "$(dirname "$0")/png_mean.py" "$tmp/day.png" "$tmp/night.png")
    echo "mean brightness: day $day, night $night"
    python3 -c "import sys; sys.exit(0 if 3 * $night <= $day else 1)" || { echo "night too bright"; exit 1; }
    ;;
  bad-options)
    for args in "--center 95,0" "--scale 0" "--scheme noon" "--screenshot-window nowhere x.png" "--position 10"; do
      # shellcheck disable=SC2086
      if "$host" $args --quit-after 1 > "$tmp/out" 2> "$tmp/err"; then
        echo "orvane-host accepted $args"
        exit 1
      fi
      grep -q "orvane-host: " "$tmp/err" || { echo "no reason for $args"; cat "$tmp/err"; exit 1; }
    done
    ;;
  *) echo "unknown case $case_"; exit 2 ;;
esac
