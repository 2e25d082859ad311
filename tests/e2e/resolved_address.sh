#!/usr/bin/env bash
# Names are checked at the address they resolve to, and the request goes to that address: in a
# network and mount namespace of its own with its own hosts file, where 203.0.113.5 on loopback
# plays a public site. quorel-inspect must refuse a name that resolves to 127.0.0.1 (directly,
# through a redirect, as a picture), and reach the public name with its Host header, its TLS
# server name and its certificate checked against the name, not the address.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
export LIB_UNSHARE="-n -m"
e2e_init resolved_address "$@"
if [[ "${LIB_SHARED_NET:-}" == 1 ]]; then
  lib_note "skipped: no network and mount namespace can be made here (unshare -n -m)"
  exit 77
fi
e2e_need quorel-inspect ip openssl
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
ip addr add 203.0.113.5/32 dev lo
printf '127.0.0.1 localhost\n127.0.0.1 rebound.test\n203.0.113.5 public.test\n' >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts
# A certificate for the name only, trusted through a certificate folder of the namespace's own.
mkdir "$work/certs"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=public.test \
  -addext subjectAltName=DNS:public.test -keyout "$work/key.pem" -out "$work/certs/public.pem" 2>/dev/null
openssl rehash "$work/certs" 2>/dev/null || c_rehash "$work/certs" >/dev/null
mount --bind "$work/certs" /etc/ssl/certs

cat >"$work/site.py" <<'EOF'
import http.server, ssl, sys, threading
log_path, key, cert = sys.argv[1], sys.argv[2], sys.argv[3]
def log(line):
    with open(log_path, "a") as out:
        out.write(line + "\n")
class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        local, host = self.connection.getsockname()[0], self.headers.get("Host", "")
        log("request %s %s %s" % (local, host, self.path))
        body = ("<p>%s at %s</p><img src='http://rebound.test:8080/pic.png'>" % (host, local)).encode()
        if self.path == "/to-rebound":
            self.send_response(302)
            self.send_header("Location", "http://rebound.test:8080/secret")
        else:
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
for port in 8080, 8443:
    server = http.server.ThreadingHTTPServer(("0.0.0.0", port), Site)
    if port == 8443:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        context.sni_callback = lambda sock, name, ctx: log("sni %s" % name)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
log("ready")
threading.Event().wait()
EOF
python3 "$work/site.py" "$work/site.log" "$work/key.pem" "$work/certs/public.pem" 2>"$work/site.err" &
lib_pids+=($!)
lib_wait_file "$work/site.log" $! site "$work/site.err"

refused="\"status\": $((0x800C0010 - 0x100000000))"
# ADDRESS, then what quorel-inspect's answer must hold.
while read -r address want; do
  out=$("$build/quorel-inspect" "$address" </dev/null 2>>"$work/inspect.err" || true)
  grep -qF -- "${want//REFUSED/$refused}" <<<"$out" || failures+=("$address: expected $want in: $out")
done <<'EOF'
http://public.test:8080/ "innerText": "public.test:8080 at 203.0.113.5"
http://public.test:8080/ "width": 0
http://rebound.test:8080/secret REFUSED
http://public.test:8080/to-rebound REFUSED
https://public.test:8443/ "innerText": "public.test:8443 at 203.0.113.5"
EOF
grep -qx "sni public.test" "$work/site.log" || failures+=("no TLS server name: $(cat "$work/site.log")")
! grep -E "^request 127\.0\.0\.1 .* /(secret|pic\.png)$" "$work/site.log" ||
  failures+=("a name for loopback was asked")
e2e_finish
