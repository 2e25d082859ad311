#!/usr/bin/env bash
# The offline demo's two servers end to end: websim as an http proxy and quorel-vendor on the
# websim link list, both on free loopback ports, talked to with curl, then stopped. (websim's
# content and imgurl results: tools/websim/test_websim.py; the version page, the click-through,
# bad requests and the request log: tests/link_server/link_server_test.cpp.)
# scripts/check-links against websim: a gallery and a text page are kept with their counts, a
# missing host, a missing page and a gallery of tiny pictures are marked to go.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init servers "$@"
e2e_need quorel-vendor quorel-inspect curl systemd-socket-activate
links=$source_dir/data/links/websim.txt

lib_start_websim --faults 0
websim_pid=${lib_pids[-1]}
"$build/quorel-vendor" --listen 127.0.0.1:0 --links "$links" 2>"$work/vendor.log" &
vendor_pid=$!
lib_pids+=($!)
e2e_until 20 grep -q ' listening on ' "$work/vendor.log" ||
  lib_fail "quorel-vendor did not start: $(tail -n 5 "$work/vendor.log")"
vendor=$(sed -n 's/.* listening on \([0-9.]*:[0-9]*\),.*/\1/p' "$work/vendor.log")

fetch() { curl -s --max-time 15 --noproxy '*' "$@"; }
via_websim() { curl -s --max-time 15 --noproxy '' -x "http://$websim" "$@"; }
code() { "$@" -o /dev/null -w '%{http_code} %{redirect_url}'; }
expect() {  # WHAT GOT WANTED
  [[ "${2% }" == "$3" ]] || failures+=("$1: \"$2\", not \"$3\"")
}

# --- the link server ----------------------------------------------------------------------------
for mode in "" adult; do
  for _ in $(seq 15); do
    line=$(fetch "http://$vendor/quorel/bin/getlinks.asp${mode:+?mode=$mode}")
    [[ "$line" =~ ^http://[^|]+\|-?[0-9]+\|http:// ]] || failures+=("not a link line: $line")
    grep -qxF "${mode:+$mode }$line" "$links" || failures+=("not a listed ${mode:-ordinary} line: $line")
  done
done
# Started by a systemd socket unit, it serves the socket handed over, not --listen.
port=$((20000 + RANDOM % 20000))
systemd-socket-activate -l "127.0.0.1:$port" "$build/quorel-vendor" --listen 127.0.0.1:0 \
  --links "$links" 2>"$work/activated.log" &
lib_pids+=($!)
expect "socket activation" \
  "$(fetch --retry 30 --retry-connrefused --retry-delay 0 "http://127.0.0.1:$port/quorel/bin/version.asp")" "$version"

# --- websim through the proxy (pictures served whole: collage.sh compares what it saved) --------
expect "an unknown host" "$(code via_websim http://nowhere.test/)" 502
via_websim https://site1.test/ >/dev/null && failures+=("an https tunnel was let through")
status=0
via_websim -o /dev/null http://faults.test/truncated.jpg || status=$?
expect "curl on a truncated picture" "$status" 18
while read -r url; do
  code=$(code via_websim "$url")
  [[ "$code" =~ ^(200|302|404|500)\  ]] || failures+=("the listed $url answers $code")
done < <(grep -v -e '^#' -e '^$' -e nowhere.test "$links" | sed 's/^adult //' | cut -d'|' -f1 | sort -u)

# --- scripts/check-links -----------------------------------------------------------------------
cat >"$work/check.txt" <<'LINKS'
# comment
http://site1.test/gallery/1.html|2|http://site1.test/
http://words.test/page/1.html|-2|http://words.test/
http://nowhere.test/|2|http://nowhere.test/
http://site3.test/status/404|2|http://site3.test/
http://site3.test/tiny.html|0|http://site3.test/
adult http://night.test/|2|http://night.test/
LINKS
status=0
"$source_dir/scripts/check-links" --build "$build" --proxy "http://$websim" "$work/check.txt" \
  >"$work/out" || status=$?

# LINE of the list, STATUS and the words of the verdict on its line of the output.
while read -r line want_status want_verdict; do
  got=$(awk -v n="$line" '$1 == n' "$work/out")
  [[ "$got" == "$line "*" ${want_status//_/ } "* ]] ||
    failures+=("check-links, line $line: status is not $want_status: $got")
  [[ "$got" == *"  ${want_verdict//_/ }"* ]] || failures+=("check-links, line $line: not \"$want_verdict\": $got")
done <<'EOF'
2 ok keep
3 ok keep
4 HTTP_502 drop
5 HTTP_404 drop
6 ok drop_(no_picture
7 ok keep
EOF
# The gallery's counts: its links and its pictures of a usable size (most of its wallpapers are
# too large).
read -r found pictures < <(awk '$1 == 2 {print $3, $4}' "$work/out")
((found >= 3 && pictures >= 1)) || failures+=("check-links: the gallery has $found links, $pictures pictures")
((status == 1)) || failures+=("check-links: exit status $status, not 1, with entries to drop")

# --- both stop cleanly, websim having logged each request ------------------------------------------------
for pid in "$vendor_pid" "$websim_pid"; do
  kill -TERM "$pid"
  e2e_until 10 e2e_ended "$pid" || failures+=("$pid still runs after TERM")
  wait "$pid" || failures+=("$pid ended with $? after TERM")
done
grep -q 'GET http://site1.test/index.html 200' "$work/websim.log" || failures+=("websim logged no request")
e2e_finish
