#!/usr/bin/env bash
# Names are checked at the address they resolve to, and the request goes to that address: in a
# network and mount namespace of its own with its own hosts file, where 203.0.113.5 on loopback
# plays a public site. quorel-inspect must refuse a name that resolves to 127.0.0.1 (directly,
# through a redirect, as a picture), and reach the public name with its Host header, its TLS
# server name and its certificate checked against the name, not the address.
# Usage: resolved_address.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "${1:?build dir}" && pwd)
source_dir=$(cd "${2:?source dir}" && pwd)
lib_name=resolved_address
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
lib_need python3 ip
[[ -x "$build/quorel-inspect" ]] || lib_fail "quorel-inspect is not built in $build"

if [[ "${RESOLVED_ADDRESS_NS:-}" != 1 ]]; then
  userns=()
  [[ $(id -u) == 0 ]] || userns=(-r)
  if ! unshare "${userns[@]}" -n -m true 2>/dev/null; then
    lib_note "skipped: no network and mount namespace can be made here (unshare -n -m)"
    exit 77
  fi
  RESOLVED_ADDRESS_NS=1 exec unshare "${userns[@]}" -n -m bash "$0" "$@"
fi
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
ip link set lo up
ip addr add 203.0.113.5/32 dev lo

work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"' EXIT
printf '127.0.0.1 localhost\n127.0.0.1 rebound.test\n203.0.113.5 public.test\n' >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts

https=0
if command -v openssl >/dev/null; then
  # A certificate for the name only, trusted through a certificate folder of the namespace's own.
  mkdir "$work/certs"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=public.test \
    -addext subjectAltName=DNS:public.test -keyout "$work/key.pem" \
    -out "$work/certs/public.pem" 2>/dev/null
  openssl rehash "$work/certs" 2>/dev/null || c_rehash "$work/certs" >/dev/null
  mount --bind "$work/certs" /etc/ssl/certs
  https=1
else
  lib_note "https part skipped: openssl missing (scripts/install-deps.sh)"
fi

cat >"$work/site.py" <<'EOF'
import http.server, ssl, sys, threading
log_path, key, cert = sys.argv[1], sys.argv[2], sys.argv[3]
def log(line):
    with open(log_path, "a") as out:
        out.write(line + "\n")
class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        local = self.connection.getsockname()[0]
        host = self.headers.get("Host", "")
        log("request %s %s %s" % (local, host, self.path))
        if self.path == "/to-rebound":
            self.send_response(302)
            self.send_header("Location", "http://rebound.test:8080/secret")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        body = ("<p>%s at %s</p><img src='http://rebound.test:8080/pic.png'>" % (host, local)).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
plain = http.server.ThreadingHTTPServer(("0.0.0.0", 8080), Site)
threading.Thread(target=plain.serve_forever, daemon=True).start()
if key != "-":
    secure = http.server.ThreadingHTTPServer(("0.0.0.0", 8443), Site)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    context.sni_callback = lambda sock, name, ctx: log("sni %s" % name)
    secure.socket = context.wrap_socket(secure.socket, server_side=True)
    threading.Thread(target=secure.serve_forever, daemon=True).start()
log("ready")
threading.Event().wait()
EOF
key=-
((https)) && key=$work/key.pem
python3 "$work/site.py" "$work/site.log" "$key" "$work/certs/public.pem" 2>"$work/site.err" &
lib_pids+=($!)
lib_wait_file "$work/site.log" $! site "$work/site.err"

refused=$((0x800C0010 - 0x100000000))
inspect() { "$build/quorel-inspect" "$@" 2>>"$work/inspect.err" || true; }
expect() {  # NAME JSON PATTERN
  grep -q -- "$3" <<<"$2" || lib_fail "$1: expected $3 in: $2"
}

out=$(inspect http://public.test:8080/)
expect "public name" "$out" '"innerText": "public.test:8080 at 203.0.113.5"'
expect "picture on a name for loopback" "$out" '"width": 0'
for address in http://rebound.test:8080/secret http://public.test:8080/to-rebound; do
  out=$(inspect "$address")
  expect "$address" "$out" "\"status\": $refused"
done
if ((https)); then
  out=$(inspect https://public.test:8443/)
  expect "https by name" "$out" '"innerText": "public.test:8443 at 203.0.113.5"'
  grep -qx "sni public.test" "$work/site.log" || lib_fail "no TLS server name: $(cat "$work/site.log")"
fi
if grep -E "^request 127\.0\.0\.1 .* /(secret|pic\.png)$" "$work/site.log"; then
  lib_fail "a name for loopback was asked"
fi
lib_note "ok"
