#!/usr/bin/env bash
# make install / make uninstall into temporary folders: the installed tools
# run, a data file the user changed survives a reinstall, and uninstall
# leaves nothing of ours behind.
#   install_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export LOCALAPPDATA="$tmp/local"
prefix="$tmp/prefix"

bash "$src/scripts/install.sh" "$prefix" "$build" > /dev/null
test -x "$prefix/bin/orvane" && test -x "$prefix/bin/orvane-host" && test -f "$prefix/lib/orvane/liborvane_pi.so"
lines=$("$prefix/bin/orvane" parse "$src/tests/fixtures/sample_bulletin.txt" | wc -l)
[[ "$lines" -eq 4 ]] || { echo "installed orvane parse printed $lines lines"; exit 1; }
"$prefix/bin/orvane-host" --quit-after 1 > /dev/null 2>&1

# Every shipped data file landed in the data root.
data="$LOCALAPPDATA/opencpn/plugins/orvane_pi/data"
count=0
while IFS= read -r -d '' f; do
  rel=${f#"$src/plugins/orvane_pi/data/"}
  cmp -s "$f" "$data/$rel" || { echo "data file $rel not installed"; exit 1; }
  count=$((count + 1))
done < <(find "$src/plugins/orvane_pi/data" -type f -print0)

# The corpus archive packed at build time landed beside them.
for f in corpus.corpus.zip MANIFEST.json; do
  cmp -s "$build/plugins/orvane_pi/data/$f" "$data/$f" || { echo "built $f not installed"; exit 1; }
done

# A file the user changed is kept on reinstall and on uninstall.
if [[ $count -gt 0 ]]; then
  first=$(find "$data" -type f | sort | head -n1)
  echo "# mine" >> "$first"
  bash "$src/scripts/install.sh" "$prefix" "$build" > /dev/null
  grep -q "# mine" "$first" || { echo "reinstall overwrote the changed $first"; exit 1; }
fi

bash "$src/scripts/uninstall.sh" "$prefix" > /dev/null
[[ ! -e "$prefix" ]] || { echo "uninstall left:"; find "$prefix"; exit 1; }
# What the plug-in wrote while it ran (its logs, the fetch cache and its logs)
# is the user's and stays.
left=$(find "$LOCALAPPDATA" -type f 2>/dev/null | grep -v -F "${first:-/nonexistent}" | grep -v -e "/logs/" -e "/orvane_cache/" || true)
[[ -z "$left" ]] || { echo "uninstall left data files: $left"; exit 1; }
echo "install and uninstall ok ($count data files)"
