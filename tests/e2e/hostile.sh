#!/usr/bin/env bash
# Hostile pages: the program crawls a site whose scripts, frames and refreshes would call a
# canary if anything ran them, whose links and pictures point at file:, data:, loopback and
# private addresses (directly and through redirects), and whose picture addresses are built
# to climb out of the auto-save folder, one of them cut short. Afterwards: the canary heard
# nothing, no private host was asked through the proxy, every saved file lies in the save
# folder and is the whole picture, and the program still runs.
# Usage: hostile.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "${1:?build dir}" && pwd)
source_dir=$(cd "${2:?source dir}" && pwd)
lib_name=hostile
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
lib_need Xvfb xdpyinfo python3
lib_need_built
lib_private_net "$0" "$build" "$source_dir"

work=$(mktemp -d)
# HOSTILE_KEEP=DIR keeps the logs and saved files there.
trap 'lib_cleanup; [[ -n "${HOSTILE_KEEP:-}" ]] && cp -r "$work" "$HOSTILE_KEEP"; rm -rf "$work"' EXIT
mkdir -p "$work/save" "$work/cwd"
touch "$work/start-marker"

# The canary: any connection to it is a failure.
cat >"$work/canary.py" <<'EOF'
import socket, sys, threading
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(16)
open(sys.argv[1] + ".tmp", "w").write(str(server.getsockname()[1]))
import os; os.replace(sys.argv[1] + ".tmp", sys.argv[1])
while True:
    conn, peer = server.accept()
    conn.settimeout(2)
    try:
        first = conn.recv(2048).split(b"\r\n")[0]
    except OSError:
        first = b"?"
    with open(sys.argv[2], "a") as log:
        log.write("canary: %s\n" % first.decode("latin-1"))
    conn.close()
EOF
python3 "$work/canary.py" "$work/canary.port" "$work/canary.log" 2>"$work/canary.err" &
lib_pids+=($!)
lib_wait_file "$work/canary.port" $! canary "$work/canary.err"
canary="127.0.0.1:$(cat "$work/canary.port")"

# The hostile site, served as an http proxy: evil.test itself, a log line per request, private
# hosts answered (and marked) so that a request for one leaves a trace; anything else 502.
cat >"$work/evil.py" <<'EOF'
import http.server, ipaddress, os, socketserver, sys, urllib.parse
sys.path.insert(0, sys.argv[4])
import imagegen
CANARY = sys.argv[3]
PICTURE = imagegen.pattern_png(200, 150, 7)
open(sys.argv[5], "wb").write(PICTURE)
SCRIPTS = """
<script>new Image().src = 'http://%(c)s/script-ran'; location = 'http://%(c)s/script-location';</script>
<script src="http://%(c)s/script-src.js"></script>
<script>document.write('<img src="http://%(c)s/written.png">')</script>
<meta http-equiv="refresh" content="0; url=http://%(c)s/refresh">
<body onload="location='http://%(c)s/onload'" onunload="window.open('http://%(c)s/popup')">
<iframe src="http://%(c)s/iframe"></iframe>
<img src="x.png" onerror="location='http://%(c)s/onerror'" width=300 height=300>
<link rel="stylesheet" href="http://%(c)s/style.css">
<object data="http://%(c)s/object"></object><embed src="http://%(c)s/embed">
""" % {"c": CANARY}
LINKS = ["file:///etc/passwd", "file:///etc/", "data:text/html,<script>alert(1)</script>",
         "data:image/png;base64,iVBORw0KGgo=", "javascript:location='http://%s/js-link'" % CANARY,
         "http://%s/link" % CANARY, "http://localhost:%s/link" % CANARY.split(":")[1],
         "http://127.1:%s/link" % CANARY.split(":")[1], "http://2130706433:%s/link" % CANARY.split(":")[1],
         "http://[::1]:%s/link" % CANARY.split(":")[1], "http://0.0.0.0:%s/link" % CANARY.split(":")[1],
         "http://10.1.2.3/link", "http://192.168.0.1/link", "http://172.16.0.1/link",
         "http://169.254.169.254/latest/meta-data/", "http://100.64.0.1/link",
         "http://evil.test/redirect-canary", "http://evil.test/redirect-file",
         "http://evil.test/redirect-private", "http://evil.test/redirect-data",
         "ftp://evil.test/file", "view-source:http://evil.test/"]
PRIVATE_PICTURES = ["http://%s/picture.png" % CANARY, "http://10.1.2.3/picture.png",
                    "http://192.168.0.1/picture.png", "file:///usr/share/pixmaps/debian-logo.png",
                    "http://evil.test/redirect-canary.png", "http://evil.test/redirect-file.png"]
ESCAPES = ["/images/..%2F..%2F..%2Fescape-a.png", "/images/a/../../../../escape-b.png",
           "/images/%2e%2e/%2e%2e/escape-c.png", "/images/a%5C..%5C..%5Cescape-d.png",
           "/images/escape-e.png?name=../../../escape-e.png", "/images/escape-f.png%00.png",
           "/images/" + "x" * 300 + ".png", "/images/escape-g./..", "/images/truncated.png",
           "/images/escape-h.png%2F..%2F..%2F..%2F..%2Ftmp%2Fescape-h.png"]

def page(title, body):
    return ("<html><head><title>%s</title></head>%s\n%s</body></html>" % (title, SCRIPTS, body)).encode()

def is_private(host):
    host = host.strip("[]").lower()
    if host in ("localhost",) or host.endswith(".localhost"):
        return True
    try:
        a = ipaddress.ip_address(host)
    except ValueError:
        return False
    return a.is_private or a.is_loopback or a.is_link_local or a.is_unspecified or a in ipaddress.ip_network("100.64.0.0/10")

class Evil(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def log_message(self, *args): pass
    def note(self, text):
        with open(sys.argv[2], "a") as log:
            log.write(text + "\n")
    def send(self, status, ctype, body, headers=(), length=None):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        for k, v in headers:
            self.send_header(k, v)
        self.end_headers()
        self.wfile.write(body)
    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        host = parts.hostname or ""
        self.note("%s %s" % ("PRIVATE" if is_private(host) else "asked", self.path))
        if is_private(host):
            return self.send(200, "image/png", PICTURE)
        if host != "evil.test":
            return self.send(502, "text/plain", b"no such host")
        path = parts.path
        if path in ("/", "/index.html"):
            links = "".join('<a href="%s">link %d</a>\n' % (l.replace('"', "&quot;"), i) for i, l in enumerate(LINKS))
            pics = "".join('<img src="%s" width=200 height=150>\n' % p for p in PRIVATE_PICTURES)
            return self.send(200, "text/html", page("Evil", links + pics + '<a href="/pictures.html">pictures</a>'))
        if path == "/pictures.html":
            pics = "".join('<img src="%s">\n' % p for p in ESCAPES)
            return self.send(200, "text/html", page("Pictures", pics))
        targets = {"/redirect-canary": "http://%s/redirected" % CANARY, "/redirect-file": "file:///etc/passwd",
                   "/redirect-private": "http://10.1.2.3/redirected", "/redirect-data": "data:text/html,hi",
                   "/redirect-canary.png": "http://%s/redirected.png" % CANARY,
                   "/redirect-file.png": "file:///usr/share/pixmaps/debian-logo.png"}
        if path in targets:
            return self.send(302, "text/html", b"moved", [("Location", targets[path])])
        if path.startswith("/images/"):
            if "truncated" in path:
                return self.send(200, "image/png", PICTURE[: len(PICTURE) // 2], length=len(PICTURE))
            return self.send(200, "image/png", PICTURE)
        return self.send(404, "text/plain", b"not here")

class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

server = Server(("127.0.0.1", 0), Evil)
open(sys.argv[1] + ".tmp", "w").write("127.0.0.1:%d" % server.server_address[1])
os.replace(sys.argv[1] + ".tmp", sys.argv[1])
server.serve_forever()
EOF
python3 "$work/evil.py" "$work/evil.addr" "$work/evil.log" "$canary" "$source_dir/tools/websim" \
  "$work/picture.png" 2>"$work/evil.err" &
lib_pids+=($!)
lib_wait_file "$work/evil.addr" $! "hostile site" "$work/evil.err"
evil=$(cat "$work/evil.addr")

cat >"$work/links.txt" <<'EOF'
http://evil.test/|1|http://evil.test/
http://evil.test/|2|http://evil.test/
http://evil.test/pictures.html|1|http://evil.test/
http://evil.test/pictures.html|1|http://evil.test/
http://evil.test/images/..%2F..%2F..%2Fescape-i.png|0|http://evil.test/
http://evil.test/images/truncated.png|0|http://evil.test/
EOF

lib_start_xvfb
lib_sandbox_home "AutosaveMode=1" "AutosavePath=$work/save"
lib_start_vendor "$work/links.txt"
lib_install_quorel
cd "$work/cwd"
lib_start_quorel "$evil"

# Until a few pictures have been saved (or two minutes have passed).
saved() { find "$work/save" -type f | wc -l; }
for _ in $(seq 240); do
  (($(saved) >= 4)) && break
  kill -0 "$quorel_pid" 2>/dev/null || break
  sleep 0.5
done
sleep 3  # let a save under way finish (or not) before looking

failures=()
kill -0 "$quorel_pid" 2>/dev/null || failures+=("quorel ended: $(tail -n 5 "$work/quorel.out")")
[[ -s "$work/canary.log" ]] && failures+=("the canary was called: $(sort -u "$work/canary.log" | tr '\n' ' ')")
grep -q '^PRIVATE' "$work/evil.log" && failures+=("private hosts asked: $(grep '^PRIVATE' "$work/evil.log" | sort -u | tr '\n' ' ')")
grep -q -E '^asked (file|data|javascript|ftp|view-source):' "$work/evil.log" &&
  failures+=("other schemes sent to the proxy: $(grep -E '^asked (file|data|javascript|ftp|view-source):' "$work/evil.log" | tr '\n' ' ')")
(($(saved) >= 1)) || failures+=("nothing was saved, so nothing was checked (status log: $(tail -n 5 "$status_log" 2>/dev/null))")
while IFS= read -r -d '' file; do
  cmp -s "$file" "$work/picture.png" || failures+=("saved file is not the whole picture: $file ($(stat -c %s "$file") bytes)")
done < <(find "$work/save" -type f -print0)
# Files named by the saver (a time stamp) or by the hostile names outside the save folder:
# anywhere in this run's folder (home and working folder included), or one or two levels up.
while IFS= read -r file; do
  failures+=("file outside the save folder: $file")
done < <({
  find "$work" -newer "$work/start-marker" -type f -not -path "$work/save/*" -print
  find "$(dirname "$work")" / -maxdepth 1 -newer "$work/start-marker" -type f -print
} 2>/dev/null | grep -E '/(20[0-9]{6}-[^/]*|[^/]*escape[^/]*)$' | sort -u)

echo "hostile: $(saved) pictures saved; $(grep -c '^asked' "$work/evil.log" || true) requests to the" \
  "hostile site; $(lib_count '[NavError') navigation errors logged"
if ((${#failures[@]})); then
  printf 'hostile: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "hostile: PASS"
