#!/usr/bin/env bash
# The collage on screen: crawled pictures appear over the black window, the status log records
# picked and loaded images and no trapped failure, the same holds on a 640x480 screen, and
# however many pictures have come, no more than ten panels are on screen.
# Screenshots are left in BUILD_DIR as e2e-collage*.png.
# Usage: collage.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init collage "$@"
command -v xwininfo >/dev/null || lib_fail "xwininfo missing (scripts/install-deps.sh)"

# The well-behaved gallery of the demo's link list: pages a few links deep and pictures.
grep '^http://site1\.test/' "$source_dir/data/links/websim.txt" >"$tmp/links.txt" ||
  lib_fail "no site1.test entries in data/links/websim.txt"
# Pictures only: one more on screen every cycle.
grep '^http://site1\.test/images/.*|0|' "$source_dir/data/links/websim.txt" >"$tmp/pictures.txt" ||
  lib_fail "no site1.test pictures in data/links/websim.txt"
# Bright pattern pictures only: a dark wallpaper larger than a small screen can cover it all.
grep '/images/pattern-' "$tmp/pictures.txt" >"$tmp/patterns.txt" ||
  lib_fail "no site1.test pattern pictures in data/links/websim.txt"

failures=()

# Display loads that ended in a picture shown: completions not refused for their size.
pictures_shown() {
  e2e_status_lines | awk '
    /^\[I-BrowseComplete\] http/ { pending = 1; next }
    pending && /^\[IBadImage\]/ { pending = 0; next }
    pending { shown++; pending = 0 }
    END { print shown + pending }'
}

no_trapped_failures() {
  local run=$1 errors
  errors=$(e2e_status_lines | grep -F '[ERROR]' | head -n 3 || true)
  [[ -z "$errors" ]] || failures+=("$run: the status log has [ERROR] lines: $errors")
}

# Screenshots NAME of the current screen until more than the bottom strip (logo, clock, address
# box) is lit, for up to 20 s: a panel paints once its picture is decoded, a moment after the
# completion line. Fails the run when it stays black.
screen_has_pictures() {
  local run=$1 name=$2 size width height lit deadline=$((SECONDS + 20))
  size=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) pixels.*/\1/p')
  width=${size%x*}
  height=${size#*x}
  while :; do
    e2e_screenshot "$work/$name.png"
    convert "$work/$name.png" -crop "${width}x$((height - 100))+0+0" +repage "$work/$name-top.png"
    lit=$(e2e_lit_pixels "$work/$name-top.png")
    ((lit > 5000 || SECONDS >= deadline)) && break
    e2e_alive
    sleep 1
  done
  cp "$work/$name.png" "$build/e2e-$name.png"
  echo "collage: $run: $lit lit pixels above the bottom strip (screenshot $build/e2e-$name.png)"
  ((lit > 5000)) && return 0
  failures+=("$run: the screen is black above the bottom strip ($lit lit pixels)")
  e2e_status_lines | grep -F -e '[I-Browse' -e '[IBadImage]' -e '[ERROR]' | tail -n 8 >&2 || true
}

# --- a full screen ------------------------------------------------------------------------------

e2e_start "$tmp/links.txt"
e2e_wait_log "[GoodImage (" 90 ||
  failures+=("full screen: no crawled image passed (no \"[GoodImage (\" line in 90 s)")
e2e_wait_log "[I-BrowseComplete] http" 60 3 ||
  failures+=("full screen: fewer than 3 images loaded for display in time")
e2e_alive
screen_has_pictures "full screen" collage
no_trapped_failures "full screen"
echo "collage: full screen: $(lib_count "[GoodImage (") images picked, $(pictures_shown) shown"

# --- a small screen -----------------------------------------------------------------------------

E2E_SCREEN=640x480x24 e2e_start "$tmp/patterns.txt"
e2e_wait_log "[I-BrowseComplete] http" 90 2 ||
  failures+=("640x480: fewer than 2 pictures loaded for display in 90 s")
window=$(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Quorel v2\.0 - ".*/\1/p' | head -n 1)
if [[ -z "$window" ]]; then
  failures+=("640x480: no main window")
else
  geometry=$(xwininfo -id "$window" | sed -n 's/^ *-geometry //p')
  [[ "$geometry" == 640x480+0+0 ]] || failures+=("640x480: the main window is $geometry")
fi
e2e_alive
screen_has_pictures "640x480" collage-small
no_trapped_failures "640x480"
echo "collage: 640x480: $(pictures_shown) pictures shown"

# --- at most ten panels -------------------------------------------------------------------------

# Panels are not windows of their own; with every widget made native, each panel is a child
# window of the main window holding the display browser's window.
QT_USE_NATIVE_WINDOWS=1 e2e_start "$tmp/pictures.txt"
deadline=$((SECONDS + 100))
while (($(pictures_shown) < 12 && SECONDS < deadline)); do
  e2e_alive
  sleep 1
done
shown=$(pictures_shown)
((shown > 10)) || failures+=("ten panels: only $shown pictures shown in 100 s, too few to fill ten panels")
sleep 1
main=$(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Quorel v2\.0 - ".*/\1/p' | head -n 1)
[[ -n "$main" ]] || lib_fail "ten panels: no main window"
height=$(xwininfo -id "$main" | sed -n 's/^ *Height: //p')
panels=0
while read -r child; do
  info=$(xwininfo -id "$child")
  grep -q 'Map State: IsViewable' <<<"$info" || continue
  top=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  ((top < height)) || continue  # parked below the screen
  grep -Eq '^ *[1-9][0-9]* child' <<<"$(xwininfo -children -id "$child")" || continue  # no browser inside
  panels=$((panels + 1))
done < <(xwininfo -children -id "$main" | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p')
echo "collage: $shown pictures shown, $panels panels on screen"
# All ten slots hold a picture by now; one of them may be between two pictures.
((panels >= 9 && panels <= 10)) || failures+=("ten panels: $panels panels on screen after $shown pictures")
e2e_screenshot "$build/e2e-collage-ten.png"
no_trapped_failures "ten panels"

if ((${#failures[@]})); then
  printf 'collage: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "collage: PASS"
