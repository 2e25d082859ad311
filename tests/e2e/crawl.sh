#!/usr/bin/env bash
# The crawl end to end, read from the status log (the version check and link-list replies:
# install.sh): crawls descend to an image, a phrase mined from a text page goes to an
# image-search engine, and an image address taken from an imgurl result link is loaded for
# display. When the link server is the search host (the default), a picture of websim's
# picture API is loaded for display and not refused. (The gateway asks the API once per
# phrase and answers from it: tests/link_server/search_gateway_test.cpp.)
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init crawl "$@"
e2e_need curl
gateway=$(grep -c '^QUOREL_SEARCH_HOSTS:STRING=$' "$build/CMakeCache.txt" || true)  # 1: the link server

# Half the entries are a phrase page, half a gallery, so both paths come round quickly.
cat >"$tmp/links.txt" <<'EOF'
http://words.test/page/1.html|-2|http://words.test/
http://site1.test/gallery/2.html|2|http://site1.test/
EOF
e2e_start "$tmp/links.txt" "MaxImageSize=800x600"

# The first engine results page whose pick went straight to the display with an address from
# one of its imgurl links, and which the display then loaded: prints "RESULTS IMAGE".
imgurl_shown() {
  local results image listed lines
  lines=$(e2e_status_lines)
  while read -r results image; do
    grep -qxF "[I-BrowseComplete] $image" <<<"$lines" || continue
    e2e_fetch "$results" "$work/results.html" || continue
    listed=$(grep -o 'imgurl=[^&"]*' "$work/results.html" | sed 's#^imgurl=#http://#' | sort -u)
    grep -qxF "$image" <<<"$listed" || continue
    echo "$results $image"
    return 0
  done < <(awk '
    /^\[BrowseComplete \(depth=3\)\] http:\/\/[^\/]*\/(images|search|search\/images)\?/ {
      results = $0; sub(/^[^ ]+ [^ ]+ /, "", results); next }
    results != "" && /^\[I-BrowseTo\] / { print results, $2; results = ""; next }
    /^\[(I-)?Browse(To|Complete)/ { results = "" }' <<<"$lines")
  return 1
}

# The first picture of the picture API (a thumbnail, or the file itself when it is no wider
# than the step asked for) the display loaded and did not refuse.
search_picture() {
  e2e_status_lines | awk '
    /^\[I-BrowseComplete\] http:\/\/commons\.test\/(thumb|files)\// { pending = $2; next }
    pending != "" && /^\[IBadImage\]/ { pending = ""; next }
    pending != "" { print pending; exit }'
}

picked() { (($(lib_count "[GetImage] there are ") + $(lib_count "[GoodImage (") > 0)); }
# Everything is asked for within two minutes; the imgurl check is the last to come true.
all_seen() {
  e2e_alive && found=$(search_picture)
  picked && (($(lib_count "[NextURL] phrase=") > 0)) && shown=$(imgurl_shown) && [[ $gateway == 0 || -n "$found" ]]
}
found="" shown=""
E2E_POLL=1 e2e_until 120 all_seen || true

(($(lib_count "[NextURL] phrase=") > 0)) || failures+=("no phrase was searched for")
picked || failures+=("no crawl reached an image pick (no \"[GetImage] there are \" or \"[GoodImage (\" line)")
[[ -n "$shown" ]] ||
  failures+=("no image from an imgurl result link was loaded for display (engine pages seen: $(lib_count \
    "[BrowseComplete (depth=3)]"), display loads: $(lib_count "[I-BrowseTo] http"))")
if [[ $gateway == 1 && -z "$found" ]]; then
  failures+=("no picture from the picture API was shown within 120 s")
elif ((gateway)); then
  grep -qF "GET $found " "$work/websim.log" || failures+=("websim never served $found")
fi
echo "crawl: $(lib_count "[BrowseComplete] url=") link-list replies, $(lib_count "[GetImage] there are ") image picks," \
  "$(lib_count "[NextURL] phrase=") phrase searches; imgurl shown: ${shown:-none}; searched: ${found:-none}"
e2e_finish
