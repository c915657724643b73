#!/bin/sh
# Writes the world coastline (GSHHG low resolution, land above 50 km²) as GMT multi-segment
# text for orvane-host's base map. Usage: make-coastline.sh GMT OUTPUT
set -e
gmt=$1
out=$2
# GMT keeps its session files in the working folder; use a scratch one.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && GMT_USERDIR="$tmp" "$gmt" coast -R-180/180/-85/85 -Dl -A50 -W -M > "$tmp/coast.txt")
mv "$tmp/coast.txt" "$out"
