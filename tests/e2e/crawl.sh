#!/usr/bin/env bash
# The crawl end to end, read from the status log: the version check finds the program up to
# date, link-list replies are parsed, crawls descend to an image, a phrase mined from a text
# page goes to an image-search engine, and an image address taken from an imgurl result link
# is loaded for display.
# Usage: crawl.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init crawl "$@"

# Half the entries are a phrase page, half a gallery, so both paths come round quickly.
cat >"$tmp/links.txt" <<'EOF'
http://words.test/page/1.html|-2|http://words.test/
http://site1.test/gallery/2.html|2|http://site1.test/
EOF
e2e_start "$tmp/links.txt" "MaxImageSize=800x600"

version=$(sed -n 's/^project(quorel VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")

# The first engine results page whose pick went straight to the display with an address from
# one of its imgurl links, and which the display then loaded: prints "RESULTS IMAGE".
imgurl_shown() {
  local results image listed lines
  lines=$(e2e_status_lines)
  while read -r results image; do
    grep -qxF "[I-BrowseComplete] $image" <<<"$lines" || continue
    e2e_fetch_any "$results" "$work/results.html" || continue
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

# Everything is asked for within two minutes; the imgurl check is the last to come true.
deadline=$((SECONDS + 120))
shown=""
while ((SECONDS < deadline)); do
  e2e_alive
  # Both paths must have happened: a crawl down to an image pick, and a search's imgurl shown.
  if (($(lib_count "[GetImage] there are ") + $(lib_count "[GoodImage (") > 0)) &&
    (($(lib_count "[NextURL] phrase=") > 0)) && shown=$(imgurl_shown); then break; fi
  sleep 1
done

failures=()
expect() {
  local what=$1 text=$2
  (($(lib_count "$text") > 0)) || failures+=("$what: no \"$text\" line")
}
expect "version check" "[Version] mine: $version, server: $version, up-to-date"
expect "link list reply" "[BrowseComplete] url="
if (($(lib_count "[GetImage] there are ") + $(lib_count "[GoodImage (") == 0)); then
  failures+=("no crawl reached an image pick (no \"[GetImage] there are \" or \"[GoodImage (\" line)")
fi
expect "phrase search" "[NextURL] phrase="
[[ -n "$shown" ]] ||
  failures+=("no image from an imgurl result link was loaded for display (engine pages seen: $(lib_count \
    "[BrowseComplete (depth=3)]"), display loads: $(lib_count "[I-BrowseTo] http"))")
e2e_alive

echo "crawl: $(lib_count "[BrowseComplete] url=") link-list replies, $(lib_count "[GetImage] there are ") image picks," \
  "$(lib_count "[NextURL] phrase=") phrase searches; imgurl shown: ${shown:-none}"
if ((${#failures[@]})); then
  printf 'crawl: FAIL: %s\n' "${failures[@]}" >&2
  echo "crawl: the status log ends with:" >&2
  e2e_status_lines | tail -n 25 >&2
  exit 1
fi
echo "crawl: PASS"
