#!/usr/bin/env bash
# Peak memory of the engine (quorel-inspect) after pages of many sites, each setting thirty
# cookies of 4 KB: it must level off once the jar is full, however many pages are loaded.
# (quorel-inspect keeps every page's report until it ends, so pages with large documents would
# measure the reports, not the engine.)
#
#   bench/cookies.sh [BUILD_DIR] [PAGES...]        (defaults: build, 20 200 400)
#
# Prints the peak RSS (from /usr/bin/time) for each number of pages.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
lib_name=cookies
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
shift || true
counts=("${@:-20}")
(($# > 0)) || counts=(20 200 400)
lib_need python3 /usr/bin/time
[[ -x "$build/quorel-inspect" ]] || lib_fail "quorel-inspect is not built in $build"

work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

# An http proxy on loopback: every site's page sets thirty 4 KB cookies.
python3 - "$work/port" <<'PY' &
import http.client, http.server, sys
http.client._MAXLINE = 1 << 22  # the Cookie header the engine sends is taken whole
class Sites(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def log_message(self, *args): pass
    def do_GET(self):
        body = b"<p>cookies</p>"
        self.send_response(200)
        for i in range(30):
            self.send_header("Set-Cookie", "c%d=%s; Path=/" % (i, "v" * 4000))
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Sites)
open(sys.argv[1], "w").write(str(server.server_address[1]))
server.serve_forever()
PY
server=$!
for _ in $(seq 50); do [[ -s "$work/port" ]] && break; sleep 0.1; done
port=$(cat "$work/port")

for count in "${counts[@]}"; do
  addresses=()
  for i in $(seq 1 "$count"); do addresses+=("http://site$i.test/page"); done
  env -u no_proxy -u NO_PROXY http_proxy="http://127.0.0.1:$port" \
    QUOREL_PARSE_HELPER="$build/quorel-parse" \
    /usr/bin/time -f "$count pages, peak RSS %M KB" -o "$work/time" \
    "$build/quorel-inspect" "${addresses[@]}" >/dev/null 2>"$work/inspect.err" || true
  cat "$work/time"
done
