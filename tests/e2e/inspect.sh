#!/usr/bin/env bash
# The engine through quorel-inspect. The hostile corpus from websim, each page followed by an
# ordinary one, all through one engine and so one parse helper: every hostile page must end
# (complete or a navigation error) without taking the inspector down, and the ordinary page
# after it must load: a helper that dies costs only its page. Names are checked at the address
# they resolve to, and the request goes to that address: in a network and mount namespace with
# its own hosts file, where 203.0.113.5 on loopback plays a public site, quorel-inspect must
# refuse a name that resolves to 127.0.0.1 through the system's resolver (through a redirect,
# as a picture or a frame: tests/web/navigation_test.cpp), and reach the public name with its
# Host header, its TLS server name and its certificate checked against the name, not the
# address.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
export LIB_UNSHARE="-n -m"
e2e_init inspect "$@"
e2e_need quorel-inspect quorel-parse ip openssl

python3 "$source_dir/scripts/make-hostile-corpus" "$work/corpus"
lib_start_websim --hostile "$work/corpus"

addresses=()
for page in "$work"/corpus/*.html "$work"/corpus/*.html.gz "$work"/corpus/*.txt "$work"/corpus/*.png \
  "$work"/corpus/*.jpg; do
  addresses+=("http://$websim/hostile/$(basename "$page")" "http://$websim/")
done
rc=0
timeout 600 "$build/quorel-inspect" --allow-private "${addresses[@]}" >"$work/out.json" \
  2>"$work/inspect.err" || rc=$?
((rc == 0 || rc == 2)) || lib_fail "quorel-inspect ended with $rc: $(tail -n 5 "$work/inspect.err")"

python3 - "$work/out.json" "${addresses[@]}" <<'PY' || failures+=("the hostile corpus (above)")
import json, sys
results, asked = json.load(open(sys.argv[1])), sys.argv[2:]
failures = []
if len(results) != len(asked):
    failures.append("%d results for %d addresses" % (len(results), len(asked)))
for address, result in zip(asked, results):
    events = result["events"]
    ended = [e for e in events if e["url"] == result["url"] or e["type"] == "NavigateError"]
    if not ended:
        failures.append("%s did not end: %s" % (address, events))
    if address.endswith("/") and not (events and events[-1]["type"] == "DocumentComplete"
                                      and "websim" in result["innerText"]):
        failures.append("the ordinary page after a hostile one did not load: %s" % events)
for failure in failures:
    print("inspect: FAIL:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
PY
grep -h "parse helper" "$work/inspect.err" | sort | uniq -c || true

if [[ "${LIB_SHARED_NET:-}" == 1 ]]; then
  ((${#failures[@]})) || { lib_note "names and addresses skipped: no namespaces here (unshare -n -m)"; exit 77; }
  e2e_finish
fi
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
log_path, key, cert = sys.argv[1:4]
def log(line):
    open(log_path, "a").write(line + "\n")
class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        local, host = self.connection.getsockname()[0], self.headers.get("Host", "")
        log("request %s %s %s" % (local, host, self.path))
        body = ("<p>%s at %s</p>" % (host, local)).encode()
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
http://rebound.test:8080/secret REFUSED
https://public.test:8443/ "innerText": "public.test:8443 at 203.0.113.5"
EOF
grep -qx "sni public.test" "$work/site.log" || failures+=("no TLS server name: $(cat "$work/site.log")")
! grep "^request 127\.0\.0\.1 " "$work/site.log" || failures+=("a name for loopback was asked")
e2e_finish
