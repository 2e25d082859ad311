#!/usr/bin/env bash
# The offline demo's two servers end to end: websim as an http proxy and quorel-vendor on the
# websim link list, both on free loopback ports, talked to with curl, then stopped.
#   tests/e2e/servers.sh BUILD_DIR SOURCE_DIR
set -uo pipefail

build=$(cd "${1:?build dir}" && pwd)
source_dir=$(cd "${2:?source dir}" && pwd)
work=$(mktemp -d)
websim_pid=
vendor_pid=
passed=0
failed=0

cleanup() {
  for pid in $vendor_pid $websim_pid; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok   $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name"
    return 1
  fi
}

finish() {
  echo "servers: $passed passed, $failed failed"
  [[ $failed -eq 0 ]]
  exit
}

fetch() { curl -s --max-time 10 "$@"; }
via_websim() { curl -s --max-time 10 --noproxy '' -x "http://$websim" "$@"; }

# --- websim's content on its own, no sockets --------------------------------------------------

check "websim content tests" python3 -m unittest discover -s "$source_dir/tools/websim" -q

# --- start both on port 0 and learn the ports they got ---------------------------------------

python3 "$source_dir/tools/websim/websim.py" --listen 127.0.0.1:0 --faults 0 \
  --ready-file "$work/websim.addr" 2>"$work/websim.log" &
websim_pid=$!
"$build/quorel-vendor" --listen 127.0.0.1:0 --links "$source_dir/data/links/websim.txt" \
  2>"$work/vendor.log" &
vendor_pid=$!

websim=
vendor=
for _ in $(seq 1 200); do
  [[ -z "$websim" && -s "$work/websim.addr" ]] && websim=$(cat "$work/websim.addr")
  [[ -z "$vendor" ]] && vendor=$(sed -n 's/.* listening on \([0-9.]*:[0-9]*\),.*/\1/p' "$work/vendor.log")
  [[ -n "$websim" && -n "$vendor" ]] && break
  sleep 0.1
done
check "websim started" test -n "$websim"
check "quorel-vendor started" test -n "$vendor"
[[ -n "$websim" && -n "$vendor" ]] || { cat "$work/websim.log" "$work/vendor.log"; finish; }
echo "websim on $websim, quorel-vendor on $vendor"

# --- the link server ----------------------------------------------------------------------------

version=$(sed -n 's/^project(quorel VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
check "vendor answers the version" test "$(fetch "http://$vendor/quorel/bin/version.asp")" = "$version"

ordinary_links_only() {
  local line
  for _ in $(seq 1 20); do
    line=$(fetch "http://$vendor/quorel/bin/getlinks.asp")
    [[ "$line" =~ ^http://[^|]+\|-?[0-9]+\|http:// ]] || { echo "  not a link line: $line"; return 1; }
    grep -qxF "$line" "$source_dir/data/links/websim.txt" || { echo "  not listed: $line"; return 1; }
  done
}
check "vendor hands out ordinary link lines" ordinary_links_only

adult_links_only() {
  local line
  for _ in $(seq 1 10); do
    line=$(fetch "http://$vendor/quorel/bin/getlinks.asp?mode=adult")
    grep -qxF "adult $line" "$source_dir/data/links/websim.txt" || { echo "  not adult: $line"; return 1; }
  done
}
check "vendor hands out adult lines in adult mode" adult_links_only

redirect_of() { fetch -o /dev/null -w '%{http_code} %{redirect_url}' "http://$vendor/quorel/bin/click.asp?url=$1"; }
check "click-through redirects" test "$(redirect_of 'http%3A%2F%2Fsite1%2Etest%2Fa+b%2Ejpg')" = "302 http://site1.test/a%20b.jpg"
check "click-through refuses file:" test "$(redirect_of 'file%3A%2F%2F%2Fetc%2Fpasswd')" = "400 "
check "click-through refuses unlisted sites" test "$(redirect_of 'http%3A%2F%2Fevil%2Etest%2F')" = "404 "

survives_garbage() {
  (exec 3<>"/dev/tcp/${vendor%:*}/${vendor#*:}" && printf 'garbage\0\r\n\r\n' >&3 && timeout 5 cat <&3 >/dev/null)
  test "$(fetch "http://$vendor/quorel/bin/version.asp")" = "$version"
}
check "vendor survives garbage" survives_garbage

# --- websim through the proxy -------------------------------------------------------------------

gallery_page() { via_websim http://site1.test/index.html | grep -q 'Gallery 1'; }
check "a gallery page through the proxy" gallery_page
check "a picture through the proxy" test "$(via_websim -o /dev/null -w '%{http_code} %{content_type}' http://site1.test/images/pattern-01.png)" = "200 image/png"

engine_page() {
  local url=$1 body image
  body=$(via_websim "$url") || return 1
  image=$(grep -o 'imgurl=site1\.test/images/[^&"]*' <<<"$body" | head -n 1)
  image=${image#imgurl=}
  [[ -n "$image" ]] || { echo "  no imgurl link in $url"; return 1; }
  # The program prepends http:// and cuts at the first '&': that address must be a picture.
  [[ "$(via_websim -o /dev/null -w '%{http_code} %{content_type}' "http://$image")" == "200 image/"* ]]
}
check "image search results: images.google.com" engine_page \
  'http://images.google.com/images?hl=en&lr=&ie=UTF-8&oe=UTF-8&q=blue+river&sa=N&tab=wi'
check "image search results: www.alltheweb.com" engine_page \
  'http://www.alltheweb.com/search?avkw=fogg&cat=img&cs=utf-8&q=blue+river'
check "image search results: images.search.yahoo.com" engine_page \
  'http://images.search.yahoo.com/search/images?p=blue+river&ei=UTF-8&fr=fp-tab-img-t&cop=mss&tab=3'

check "unknown hosts get 502" test "$(via_websim -o /dev/null -w '%{http_code}' http://nowhere.test/)" = "502"
check "https tunnels are refused" bash -c "! curl -s --max-time 10 --noproxy '' -x http://$websim https://site1.test/ >/dev/null"
check "every listed address answers" bash -c "
  grep -v '^#' '$source_dir/data/links/websim.txt' | sed 's/^adult //' | cut -d'|' -f1 | grep -v -e nowhere.test -e '^$' | sort -u |
  while read -r url; do
    code=\$(curl -s --max-time 15 --noproxy '' -x http://$websim -o /dev/null -w '%{http_code}' \"\$url\")
    case \$code in 200|302|404|500) ;; *) echo \"  \$url: \$code\"; exit 1;; esac
  done"
check "fault host: truncated picture" bash -c "curl -s --max-time 10 --noproxy '' -x http://$websim -o /dev/null http://faults.test/truncated.jpg; test \$? -eq 18"

# --- started by a systemd socket unit: it serves the socket handed over, not --listen ---------

socket_activated() {
  command -v systemd-socket-activate >/dev/null || { echo "  skipped: no systemd-socket-activate"; return 0; }
  local port=$((20000 + RANDOM % 20000)) pid answer
  systemd-socket-activate -l "127.0.0.1:$port" "$build/quorel-vendor" --listen 127.0.0.1:0 \
    --links "$source_dir/data/links/websim.txt" 2>"$work/activated.log" &
  pid=$!
  answer=$(fetch --retry 30 --retry-connrefused --retry-delay 0 "http://127.0.0.1:$port/quorel/bin/version.asp")
  kill -TERM "$pid"
  wait "$pid"
  [[ "$answer" == "$version" ]] || { echo "  answered \"$answer\": $(cat "$work/activated.log")"; return 1; }
}
check "vendor takes the socket systemd hands it" socket_activated

# --- both stop cleanly --------------------------------------------------------------------------

stops_cleanly() {
  local pid=$1 status
  kill -TERM "$pid"
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && { echo "  still running"; return 1; }
  wait "$pid"
  status=$?
  [[ $status -eq 0 ]] || { echo "  exit status $status"; return 1; }
}
check "quorel-vendor stops cleanly" stops_cleanly "$vendor_pid" && vendor_pid=
check "websim stops cleanly" stops_cleanly "$websim_pid" && websim_pid=
check "vendor logged each request" grep -q '"GET /quorel/bin/version.asp HTTP/1.1" 200' "$work/vendor.log"
check "websim logged each request" grep -q 'GET http://site1.test/index.html 200' "$work/websim.log"

finish
