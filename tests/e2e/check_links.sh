#!/usr/bin/env bash
# scripts/check-links against websim: a gallery and a text page are kept with their counts, a
# missing host, a missing page and a gallery of tiny pictures are marked to go.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init check_links "$@"
e2e_need quorel-inspect
lib_start_websim

cat >"$work/links.txt" <<'LINKS'
# comment
http://site1.test/gallery/1.html|2|http://site1.test/
http://words.test/page/1.html|-2|http://words.test/
http://nowhere.test/|2|http://nowhere.test/
http://site3.test/status/404|2|http://site3.test/
http://site3.test/tiny.html|0|http://site3.test/
adult http://night.test/|2|http://night.test/
LINKS
status=0
"$source_dir/scripts/check-links" --build "$build" --proxy "http://$websim" "$work/links.txt" \
  >"$work/out" || status=$?
cat "$work/out"

# LINE of the list, STATUS and the words of the verdict on its line of the output.
while read -r line want_status want_verdict; do
  got=$(awk -v n="$line" '$1 == n' "$work/out")
  [[ "$got" == "$line "*" ${want_status//_/ } "* ]] ||
    failures+=("line $line: status is not $want_status: $got")
  [[ "$got" == *"  ${want_verdict//_/ }"* ]] || failures+=("line $line: not \"$want_verdict\": $got")
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
read -r links pictures < <(awk '$1 == 2 {print $3, $4}' "$work/out")
((links >= 3 && pictures >= 1)) || failures+=("gallery: $links links, $pictures pictures")
((status == 1)) || failures+=("exit status $status, not 1, with entries to drop")
e2e_finish
