#!/usr/bin/env bash
# Hostile pages: the program crawls a site whose scripts, frames and refreshes would call a
# canary if anything ran them, whose links and pictures point at file:, data:, loopback and
# private addresses (through redirects: tests/web/navigation_test.cpp), and whose picture
# addresses are built to climb out of the auto-save folder, one of them cut short, two of them
# ending like a page or a launcher; a page sets sixty cookies of 4 KB, one shows pictures at
# addresses of 26 KB, one links to the link server with a search of its own choosing.
# Afterwards: the canary heard nothing, no private host was asked through the proxy nor the link
# server for what a page chose, no request carried more than one site's fifty cookies nor an
# address past 8 KB, every saved file lies in the save folder, is the whole picture and ends in
# .png, and the program still runs.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init hostile "$@"
mkdir -p "$tmp/save"
touch "$tmp/start-marker"

# The hostile site, served as an http proxy: evil.test itself, a log line per request, private
# hosts answered (and marked) so that a request for one leaves a trace; anything else 502. Beside
# it the canary, whose every connection is logged, and is a failure.
cat >"$tmp/evil.py" <<'EOF'
import http.server, ipaddress, os, socket, sys, threading, urllib.parse
import http.client
http.client._MAXLINE = 1 << 20  # the Cookie line is measured, not refused
ready, log_path, canary_log, picture_path = sys.argv[1:5]
VENDOR = sys.argv[6]
sys.path.insert(0, sys.argv[5])
import imagegen
PICTURE = imagegen.pattern_png(200, 150, 7)
open(picture_path, "wb").write(PICTURE)

canary = socket.create_server(("127.0.0.1", 0))
PORT = canary.getsockname()[1]
CANARY = "127.0.0.1:%d" % PORT
def listen():
    while True:
        conn, _ = canary.accept()
        conn.settimeout(2)
        try:
            first = conn.recv(2048).split(b"\r\n")[0]
        except OSError:
            first = b"?"
        with open(canary_log, "a") as log:
            log.write("canary: %s\n" % first.decode("latin-1"))
        conn.close()
threading.Thread(target=listen, daemon=True).start()

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
# One of each kind: every way of writing them is tests/web/address_policy_test.cpp's.
LINKS = ["file:///etc/passwd", "data:text/html,<script>alert(1)</script>", "ftp://evil.test/file",
         "javascript:location='http://%s/js-link'" % CANARY, "http://localhost:%d/link" % PORT,
         "http://127.0.0.1:%d/link" % PORT, "http://10.1.2.3/link", "http://169.254.169.254/latest/"]
PRIVATE_PICTURES = ["http://%s/picture.png" % CANARY, "http://10.1.2.3/picture.png",
                    "http://%s/quorel/bin/version.asp?chosen-by-a-page" % VENDOR]
# The link server answers the program's own requests only: these are a page's choice.
VENDOR_LINKS = ["http://%s/images?q=chosen+by+a+page" % VENDOR,
                "http://%s/search?q=chosen+by+a+page" % VENDOR,
                "http://%s/quorel/bin/getlinks.asp?chosen-by-a-page" % VENDOR]
COOKIES = [("Set-Cookie", "c%d=%s; Domain=evil.test; Path=/" % (i, "v" * 4000)) for i in range(60)]
LONG_PICTURES = "".join('<img src="/images/long-%d.png?%s">\n' % (i, "q" * 26 * 1024) for i in range(300))
# (Every way out of the folder a name can try: tests/interaction/save_image_test.cpp.)
ESCAPES = ["/images/..%2F..%2F..%2Fescape-a.png", "/images/a%5C..%5C..%5Cescape-d.png",
           "/images/escape-e.png?name=../../../escape-e.png", "/images/truncated.png",
           "/images/launcher.desktop", "/images/page.html"]

def page(title, body):
    return ("<html><head><title>%s</title></head>%s\n%s</body></html>" % (title, SCRIPTS, body)).encode()

def is_private(host):
    try:
        return not ipaddress.ip_address(host.strip("[]")).is_global
    except ValueError:
        return host.lower().rstrip(".").endswith("localhost")

class Evil(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def log_message(self, *args): pass
    def send(self, status, ctype, body, length=None, headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)
    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        host, path = parts.hostname or "", parts.path
        with open(log_path, "a") as log:
            log.write("%s %s\n" % ("PRIVATE" if is_private(host) else "asked", self.path[:200]))
            log.write("sizes: address %d, cookies %d\n" % (len(self.path), len(self.headers.get("Cookie", ""))))
        if is_private(host):
            return self.send(200, "image/png", PICTURE)
        if host != "evil.test":
            return self.send(502, "text/plain", b"no such host")
        if path in ("/", "/index.html"):
            links = "".join('<a href="%s">link %d</a>\n' % (l.replace('"', "&quot;"), i) for i, l in enumerate(LINKS))
            pics = "".join('<img src="%s" width=200 height=150>\n' % p for p in PRIVATE_PICTURES)
            return self.send(200, "text/html", page("Evil", links + pics + '<a href="/pictures.html">pictures</a>'))
        if path == "/cookies.html":
            return self.send(200, "text/html", page("Cookies", '<a href="/">home</a><a href="/pictures.html">pictures</a>'), headers=COOKIES)
        if path == "/long-pictures.html":
            return self.send(200, "text/html", page("Long", LONG_PICTURES))
        if path == "/to-link-server.html":
            links = "".join('<a href="%s">link server</a>\n' % l for l in VENDOR_LINKS)
            return self.send(200, "text/html", page("Link server", links))
        if path == "/pictures.html":
            return self.send(200, "text/html", page("Pictures", "".join('<img src="%s">\n' % p for p in ESCAPES)))
        if "truncated" in path:
            return self.send(200, "image/png", PICTURE[: len(PICTURE) // 2], length=len(PICTURE))
        if path.startswith("/images/"):
            return self.send(200, "image/png", PICTURE)
        return self.send(404, "text/plain", b"not here")

server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Evil)
open(ready + ".tmp", "w").write("127.0.0.1:%d" % server.server_address[1])
os.replace(ready + ".tmp", ready)
server.serve_forever()
EOF
vendor_host=$(sed -n 's/^QUOREL_VENDOR_HOST:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null)
python3 "$tmp/evil.py" "$tmp/evil.addr" "$tmp/evil.log" "$tmp/canary.log" "$tmp/picture.png" \
  "$source_dir/tools/websim" "${vendor_host:-127.0.0.1:8480}" 2>"$tmp/evil.err" &
lib_pids+=($!)
lib_wait_file "$tmp/evil.addr" $! "hostile site" "$tmp/evil.err"
evil=$(cat "$tmp/evil.addr")

cat >"$tmp/links.txt" <<'EOF'
http://evil.test/|1|http://evil.test/
http://evil.test/|2|http://evil.test/
http://evil.test/pictures.html|1|http://evil.test/
http://evil.test/pictures.html|1|http://evil.test/
http://evil.test/images/..%2F..%2F..%2Fescape-i.png|0|http://evil.test/
http://evil.test/images/truncated.png|0|http://evil.test/
http://evil.test/images/launcher.desktop|0|http://evil.test/
http://evil.test/cookies.html|2|http://evil.test/
http://evil.test/long-pictures.html|1|http://evil.test/
http://evil.test/long-pictures.html|1|http://evil.test/
http://evil.test/to-link-server.html|2|http://evil.test/
http://evil.test/to-link-server.html|2|http://evil.test/
http://evil.test/to-link-server.html|2|http://evil.test/
EOF

E2E_PROXY=$evil e2e_start "$tmp/links.txt" "AutosaveMode=1" "AutosavePath=$tmp/save"

# Until a few pictures have been saved and the cookie, long-address and link-server pages were
# crawled (or two minutes have passed, or the program ended).
saved() { find "$tmp/save" -type f | wc -l; }
unvisited() { for page in cookies long-pictures to-link-server; do grep -q "^asked http://evil.test/$page.html" "$tmp/evil.log" || echo "$page"; done; }
enough_saved() { { (($(saved) >= 4)) && [[ -z "$(unvisited)" ]]; } || e2e_ended "$quorel_pid"; }
e2e_until 120 enough_saved || true
sleep 3  # let a save under way finish (or not) before looking

e2e_alive
# Requests that must never be made: to the canary, to private hosts, of other schemes.
leaks=$({ cat "$tmp/canary.log" 2>/dev/null || true; grep -E '^(PRIVATE|asked (file|data|javascript|ftp|view-source):)' "$tmp/evil.log"; } |
  sort -u | tr '\n' ' ' || true)
[[ -z "$leaks" ]] || failures+=("requests made that must not be: $leaks")
chosen=$(grep -c 'chosen' "$work/vendor.log" || true)
((chosen == 0)) || failures+=("the link server was asked $chosen times for what a page chose")
# Fifty cookies of 4 KB and their names; an address at most 8 KB.
read -r longest cookies < <(awk '/^sizes:/ { a = $3 + 0; c = $5 + 0; if (a > la) la = a; if (c > lc) lc = c }
  END { print la + 0, lc + 0 }' "$tmp/evil.log")
((cookies <= 50 * 4010)) || failures+=("a request carried $cookies bytes of cookies")
((longest <= 8192)) || failures+=("an address of $longest characters was asked for")
(($(saved) >= 1)) || failures+=("nothing was saved, so nothing was checked")
while IFS= read -r -d '' file; do
  cmp -s "$file" "$tmp/picture.png" || failures+=("saved file is not the whole picture: $file ($(stat -c %s "$file") bytes)")
done < <(find "$tmp/save" -type f -print0)
# Whatever ending the address gave it, a picture is saved under its format's (PNG here).
misnamed=$(find "$tmp/save" -type f -not -name '*.png' -printf '%f ' || true)
[[ -z "$misnamed" ]] || failures+=("saved under an ending that is not the picture's: $misnamed")
# Files named by the saver (a time stamp) or by the hostile names outside the save folder:
# anywhere in this run's folder (home and working folder included), or one or two levels up.
outside=$({
  find "$tmp" -newer "$tmp/start-marker" -type f -not -path "$tmp/save/*" -print
  find "$(dirname "$tmp")" / -maxdepth 1 -newer "$tmp/start-marker" -type f -print
} 2>/dev/null | grep -E '/(20[0-9]{6}-[^/]*|[^/]*escape[^/]*)$' | sort -u | tr '\n' ' ' || true)
[[ -z "$outside" ]] || failures+=("files outside the save folder: $outside")
echo "hostile: $(saved) pictures saved; $(grep -c '^asked' "$tmp/evil.log" || true) requests to the" \
  "hostile site (cookies at most $cookies bytes, addresses at most $longest characters;" \
  "not crawled: $(unvisited | tr '\n' ' '));" \
  "$(lib_count '[NavError') navigation errors logged"
e2e_finish
