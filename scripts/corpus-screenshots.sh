#!/usr/bin/env bash
# Pictures of real warnings on the chart for the README: orvane-host fetches
# the published warnings of ../shared/corpus from a portal served on
# 127.0.0.1 and draws them (OpenGL canvas):
#   corpus-screenshots.sh [RUN_BUILD_DIR] [CORPUS_DIR]
# Gulf of Mexico (the NAVAREA IV rig list as rigs), the north-western Black
# Sea (Romanian recommended tracks, Ukrainian route corridors) and the Cretan
# Sea (HYDROLANT 237/26: an area and two one-mile circles, and a close-up of
# the circles); and the Black Sea view by day, dusk and night in both
# drawing paths, with the legend.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
run=$(cd "${1:-$src/build/run}" && pwd)
corpus=${2:-$src/../shared/corpus}
[[ -d $corpus ]] || { echo "no corpus at $corpus: nothing to draw"; exit 0; }
host="$run/host/app/orvane-host"
docs="$src/docs"
tmp=$(mktemp -d)
server=
cleanup() { [[ -n $server ]] && kill "$server" 2> /dev/null; rm -rf "$tmp"; }
trap cleanup EXIT

# One page holding every warning, as a NAVAREA list page of the portal.
python3 - "$corpus" "$tmp/page.html" << 'EOF'
import glob, html, os, sys
chunks = []
for path in sorted(glob.glob(os.path.join(sys.argv[1], '*.txt'))):
    cur = []
    for line in open(path, encoding='utf-8', errors='replace').read().split('\n'):
        if line.strip() == '====':
            if cur: chunks.append('\n'.join(cur))
            cur = []
        elif not line.startswith('#@'):
            cur.append(line)
    if any(l.strip() for l in cur): chunks.append('\n'.join(cur))
open(sys.argv[2], 'w', encoding='utf-8').write(
    '<html><body><pre>\n' + html.escape('\n\n'.join(chunks)) + '\n</pre></body></html>\n')
EOF

# The portal: every NAVAREA list page is that page; anything else is 404.
python3 - "$tmp/page.html" "$tmp/port" << 'EOF' &
import http.server, re, sys
page = open(sys.argv[1], 'rb').read()
class Portal(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        ok = re.fullmatch(r'/navarea/\d+/messages/', self.path.split('?')[0]) is not None
        body = page if ok else b'not here'
        self.send_response(200 if ok else 404)
        self.send_header('Content-Type', 'text/html; charset=utf-8')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args): pass
srv = http.server.HTTPServer(('127.0.0.1', 0), Portal)
open(sys.argv[2], 'w').write(str(srv.server_address[1]))
srv.serve_forever()
EOF
server=$!
for _ in $(seq 100); do [[ -s $tmp/port ]] && break; sleep 0.1; done
[[ -s $tmp/port ]] || { echo "the loopback portal did not start"; exit 1; }
port=$(cat "$tmp/port")

export LOCALAPPDATA="$tmp/local" XDG_CONFIG_HOME="$tmp/config" ORVANE_PORTAL_URL="http://127.0.0.1:$port/"
# The page as the cache's last answer, so the chart starts with it rather
# than the built-in sample; the start-up fetch then brings it again.
mkdir -p "$LOCALAPPDATA/opencpn/orvane_cache"
python3 -c 'import html,re,sys; t=open(sys.argv[1],encoding="utf-8").read(); print(html.unescape(re.sub(r"<[^>]+>","",t)).strip())' \
  "$tmp/page.html" > "$LOCALAPPDATA/opencpn/orvane_cache/navarea_3.txt"
shot() {
  local center=$1 scale=$2 file=$3
  shift 3
  xvfb-run -a -s "-screen 0 1600x1000x24 +extension GLX" \
    "$host" "$@" --center "$center" --scale "$scale" --quit-after 8 --screenshot-screen "$docs/$file" > /dev/null
}
shot 23.5,-90.5 9000000 corpus_gulf_of_mexico_rigs.png
shot 44.75,29.6 1600000 corpus_black_sea_tracks.png
shot 35.9,25.2 2000000 corpus_hydrolant_237.png
shot 35.58,24.25 250000 corpus_hydrolant_237_circles.png
for scheme in day dusk night; do
  shot 44.75,29.6 1600000 "corpus_${scheme}_gl.png" --scheme "$scheme"
  shot 44.75,29.6 1600000 "corpus_${scheme}_dc.png" --scheme "$scheme" --dc
done
ls -l "$docs"/corpus_*.png
