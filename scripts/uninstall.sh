#!/usr/bin/env bash
# Removes what install.sh installed under PREFIX and in the local data root.
# A data file the user changed after installing it is kept.
#   uninstall.sh PREFIX
set -euo pipefail
prefix=$1
manifest="$prefix/share/orvane/install-manifest.txt"
data_root=${LOCALAPPDATA:-${XDG_DATA_HOME:-$HOME/.local/share}}
if [[ ! -f "$manifest" ]]; then
  echo "nothing installed under $prefix"
  exit 0
fi
while read -r sum path; do
  [[ -f "$path" ]] || continue
  if [[ "$(sha256sum "$path" | cut -d' ' -f1)" == "$sum" ]]; then
    rm -f "$path"
  else
    echo "kept your changed $path"
  fi
  # Remove the folders this left empty, but nothing above PREFIX or the
  # data root's opencpn folder.
  dir=$(dirname "$path")
  while [[ ( "$dir" == "$prefix"/* || "$dir" == "$data_root/opencpn"* ) ]] && rmdir "$dir" 2>/dev/null; do
    dir=$(dirname "$dir")
  done
done < "$manifest"
rm -f "$manifest"
# The plug-in unpacks the installed corpus archive into its cache; that copy
# goes with the archive.
extracted="$data_root/opencpn/plugins/orvane_pi/cache/corpus_zip"
if [[ -d "$extracted" ]]; then
  rm -rf "$extracted"
  rmdir "$data_root/opencpn/plugins/orvane_pi/cache" "$data_root/opencpn/plugins/orvane_pi" \
        "$data_root/opencpn/plugins" "$data_root/opencpn" 2>/dev/null || true
fi
for d in "$prefix/share/orvane" "$prefix/share" "$prefix/lib/orvane" "$prefix/lib" "$prefix/bin" "$prefix"; do
  rmdir "$d" 2>/dev/null || true
done
echo "uninstalled from $prefix"
