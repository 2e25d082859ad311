#!/usr/bin/env bash
# scripts/check-links against websim: a gallery and a text page are kept with their counts, a
# missing host, a missing page and a gallery of tiny pictures are marked to go.
# Usage: check_links.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
[[ -x "$build/quorel-inspect" ]] || { echo "check_links: quorel-inspect is not built" >&2; exit 1; }
tmp=$(mktemp -d)
websim_pid=
cleanup() {
  [[ -n "$websim_pid" ]] && kill "$websim_pid" 2>/dev/null && wait "$websim_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

python3 "$source_dir/tools/websim/websim.py" --listen 127.0.0.1:0 --ready-file "$tmp/addr" \
  2>"$tmp/websim.log" &
websim_pid=$!
for _ in $(seq 1 100); do [[ -s "$tmp/addr" ]] && break; sleep 0.1; done
[[ -s "$tmp/addr" ]] || { echo "check_links: websim did not start" >&2; exit 1; }

cat >"$tmp/links.txt" <<'LINKS'
# comment
http://site1.test/gallery/1.html|2|http://site1.test/
http://words.test/page/1.html|-2|http://words.test/
http://nowhere.test/|2|http://nowhere.test/
http://site3.test/status/404|2|http://site3.test/
http://site3.test/tiny.html|0|http://site3.test/
adult http://night.test/|2|http://night.test/
LINKS
status=0
"$source_dir/scripts/check-links" --build "$build" --proxy "http://$(cat "$tmp/addr")" \
  "$tmp/links.txt" >"$tmp/out" || status=$?
cat "$tmp/out"

failures=()
# LINE STATUS WORDS-OF-VERDICT: the line of the output for list line LINE.
expect() {
  local line=$1 want_status=$2 want_verdict=$3 got
  got=$(awk -v n="$line" '$1 == n' "$tmp/out")
  [[ "$got" == "$line "*" $want_status "* ]] ||
    failures+=("line $line: status is not $want_status: $got")
  [[ "$got" == *"  $want_verdict"* ]] || failures+=("line $line: not \"$want_verdict\": $got")
}
expect 2 ok keep
expect 3 ok keep
expect 4 "HTTP 502" drop
expect 5 "HTTP 404" drop
expect 6 ok "drop (no picture"
expect 7 ok keep
# The gallery's counts: its links and its pictures of a usable size (most of its wallpapers are
# too large).
read -r links pictures < <(awk '$1 == 2 {print $3, $4}' "$tmp/out")
((links >= 3 && pictures >= 1)) || failures+=("gallery: $links links, $pictures pictures")
((status == 1)) || failures+=("exit status $status, not 1, with entries to drop")

if ((${#failures[@]})); then
  printf 'check_links: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "check_links: PASS"
