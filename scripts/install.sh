#!/usr/bin/env bash
# Installs the plug-in, the host and the command-line tool under PREFIX, and
# copies the plug-in's data files into the local data root where the plug-in
# looks for them. A data file the user has changed since it was installed is
# never overwritten. Every file written is listed in a manifest that
# uninstall.sh reads.
#   install.sh PREFIX BUILD_DIR
set -euo pipefail
prefix=$1
build=$2
src=$(cd "$(dirname "$0")/.." && pwd)
data_root=${LOCALAPPDATA:-${XDG_DATA_HOME:-$HOME/.local/share}}
data_dir="$data_root/opencpn/plugins/orvane_pi/data"
share="$prefix/share/orvane"
manifest="$share/install-manifest.txt"

mkdir -p "$prefix/bin" "$prefix/lib/orvane" "$share"
: > "$manifest.new"

put() {  # put SOURCE TARGET MODE
  install -D -m "$3" "$1" "$2"
  echo "$(sha256sum "$2" | cut -d' ' -f1) $2" >> "$manifest.new"
}

put "$build/plugins/orvane_pi/liborvane_pi.so" "$prefix/lib/orvane/liborvane_pi.so" 644
put "$build/host/app/orvane-host" "$prefix/bin/orvane-host" 755
put "$build/tools/orvane/orvane" "$prefix/bin/orvane" 755
if [[ -f "$build/host/app/coastline.txt" ]]; then
  put "$build/host/app/coastline.txt" "$share/coastline.txt" 644
fi

# Data files: skip those the user changed since the last install. The
# shipped files come from the source tree, the corpus archive and its
# manifest from the build tree.
put_data() {  # put_data FROM_DIR
  local from=$1 f rel target recorded current
  [[ -d "$from" ]] || return 0
  while IFS= read -r -d '' f; do
    rel=${f#"$from/"}
    target="$data_dir/$rel"
    if [[ -f "$target" ]]; then
      recorded=$(grep -F " $target" "$manifest" 2>/dev/null | tail -n1 | cut -d' ' -f1 || true)
      current=$(sha256sum "$target" | cut -d' ' -f1)
      if [[ "$current" != "$(sha256sum "$f" | cut -d' ' -f1)" && "$current" != "$recorded" ]]; then
        echo "kept your changed $target"
        continue
      fi
    fi
    put "$f" "$target" 644
  done < <(find "$from" -type f -print0 | sort -z)
}
put_data "$src/plugins/orvane_pi/data"
put_data "$build/plugins/orvane_pi/data"
mv "$manifest.new" "$manifest"
echo "installed under $prefix (data files in $data_dir)"
