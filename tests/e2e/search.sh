#!/usr/bin/env bash
# Phrase, search, picture through the link server's search gateway: a phrase mined from a text
# page is searched at the link server (the default search host), which asks websim's picture
# API once for it, and a picture from that answer is loaded and shown on screen.
# The screenshot is left in BUILD_DIR as e2e-search.png.
# Usage: search.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init search "$@"

hosts=$(sed -n 's/^QUOREL_SEARCH_HOSTS:STRING=//p' "$build/CMakeCache.txt")
if [[ -n "$hosts" ]]; then
  echo "search: SKIP: the build searches $hosts, not the link server"
  exit 0
fi

# Phrase pages only: every picture on screen comes from a search.
cat >"$tmp/links.txt" <<'LINKS'
http://words.test/page/1.html|-2|http://words.test/
http://words.test/page/2.html|-2|http://words.test/
LINKS
e2e_start "$tmp/links.txt" "MaxImageSize=800x600"

# The first search picture the display loaded and did not refuse: "PHRASE PICTURE".
search_picture() {
  e2e_status_lines | awk '
    /^\[NextURL\] phrase=/ { phrase = $2; sub(/^phrase=/, "", phrase); sub(/,$/, "", phrase) }
    /^\[I-BrowseComplete\] http:\/\/commons\.test\/thumb\// { pending = $2; asked = phrase; next }
    pending != "" && /^\[IBadImage\]/ { pending = ""; next }
    pending != "" { print asked, pending; exit }'
}

deadline=$((SECONDS + 120))
found=""
while ((SECONDS < deadline)) && [[ -z "$found" ]]; do
  e2e_alive
  found=$(search_picture)
  [[ -n "$found" ]] || sleep 1
done
failures=()
[[ -n "$found" ]] || failures+=("no picture from the picture API was shown within 120 s")

if [[ -n "$found" ]]; then
  read -r phrase picture <<<"$found"
  sleep 2 # let the panel paint
  e2e_screenshot "$work/search.png"
  cp "$work/search.png" "$build/e2e-search.png"
  size=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) pixels.*/\1/p')
  convert "$work/search.png" -crop "${size%x*}x$((${size#*x} - 100))+0+0" +repage "$work/top.png"
  lit=$(e2e_lit_pixels "$work/top.png")
  ((lit > 5000)) || failures+=("the screen is black above the bottom strip ($lit lit pixels)")

  # The phrase reached the API once, as the gateway words it; the picture was in its answer.
  searched=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(" ".join(sys.argv[1].replace("+", " ").split()), safe=""))' "$phrase")
  asked=$(grep -cF "GET http://commons.test/w/api.php?" "$work/websim.log" | tr -d ' ' || true)
  once=$(grep -F "GET http://commons.test/w/api.php?" "$work/websim.log" |
    grep -cF "gsrsearch=$searched%20filetype" || true)
  ((once == 1)) || failures+=("the API was asked $once times for \"$phrase\" (gsrsearch=$searched)")
  grep -qF "GET $picture " "$work/websim.log" || failures+=("websim never served $picture")
  api_answer=$(curl -s --max-time 20 --noproxy '' -x "http://$websim" \
    "http://commons.test/w/api.php?action=query&format=json&generator=search&gsrnamespace=6&gsrsearch=$searched&gsrlimit=40&prop=imageinfo&iiprop=url%7Csize%7Cmime&iiurlwidth=1024")
  grep -qF "\"thumburl\": \"$picture\"" <<<"$api_answer" ||
    failures+=("$picture is not in the API's answer for \"$phrase\"")
  echo "search: \"$phrase\" -> $picture; $asked API requests in all, $lit lit pixels (screenshot $build/e2e-search.png)"
fi
e2e_alive

if ((${#failures[@]})); then
  printf 'search: FAIL: %s\n' "${failures[@]}" >&2
  echo "search: the status log ends with:" >&2
  e2e_status_lines | tail -n 25 >&2
  tail -n 5 "$work/vendor.log" >&2
  exit 1
fi
echo "search: PASS"
