#!/usr/bin/env bash
# Memory and CPU of quorel while it shows one picture again and again: by default a PNG of
# 5700x5700 that is 380 KB on the wire; with MAX_SIZE set, under that size window.
#
#   bench/big_picture.sh [BUILD_DIR] [SECONDS] [MAX_SIZE] [SIDE]
#                                     (defaults: build, 60, Unlimited, 5700: a SIDE x SIDE PNG)
#
# Prints the peak and final RSS (VmHWM, VmRSS), the CPU seconds and the pictures shown.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
seconds=${2:-60}
max_size=${3:-Unlimited}
side=${4:-5700}
lib_name=big_picture
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
lib_need Xvfb xdpyinfo python3
lib_need_built
lib_private_net "$0" "$build" "$seconds" "$max_size" "$side"

work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"' EXIT

# A proxy that answers every address with the picture.
python3 - "$work/server.addr" "$side" >"$work/server.log" 2>&1 <<'EOF' &
import http.server, socketserver, struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
side = int(sys.argv[2])
row = b"\0" + bytes(range(256)) * (side * 3 // 256) + b"\x80" * (side * 3 % 256)
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(row * side, 9)) + chunk(b"IEND", b""))
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "image/png")
        self.send_header("Content-Length", str(len(png)))
        self.end_headers()
        self.wfile.write(png)
    def log_message(self, *args):
        pass
server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Handler)
print("picture: %d bytes" % len(png), file=sys.stderr)
open(sys.argv[1], "w").write("127.0.0.1:%d" % server.server_address[1])
server.serve_forever()
EOF
lib_pids+=($!)
lib_wait_file "$work/server.addr" $! picture-server "$work/server.log"

lib_start_xvfb
lib_sandbox_home "MaxImageSize=$max_size"
echo "http://bench.test/big.png|0|http://bench.test/" >"$work/links.txt"
lib_start_vendor "$work/links.txt"
lib_install_quorel
lib_start_quorel "$(cat "$work/server.addr")"
sleep "$seconds"
kill -0 "$quorel_pid" 2>/dev/null || lib_fail "quorel ended early: $(tail -n 5 "$work/quorel.out")"
grep -E 'VmHWM|VmRSS' "/proc/$quorel_pid/status" | tr -s ' \t' ' '
echo "CPU seconds: $(lib_cpu_seconds "$quorel_pid")"
echo "pictures shown: $(grep -c '\[I-BrowseComplete\] http' "$status_log" || true)"
echo "refused by the window: $(grep -c '\[IBadImage\]' "$status_log" || true)"
cat "$work/server.log"
