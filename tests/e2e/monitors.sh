#!/usr/bin/env bash
# On a desktop of two monitors side by side: the collage started by hand covers both, pictures
# land on each, and Escape ends it. The screen-saver wrapper started once per monitor, as
# xscreensaver does, runs one collage and keeps the other copy quiet (no second-copy box, no
# collage), and both end when they are told to, with everything they started.
# Usage: monitors.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init monitors "$@"
command -v xdotool >/dev/null || lib_fail "xdotool missing (scripts/install-deps.sh)"
failures=()

stage=$tmp/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 ||
  lib_fail "cmake --install failed: $(tail -n 5 "$tmp/install.log")"

main_window() {
  xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Quorel v2\.0 - ".*/\1/p' | head -n 1
}

# --- started by hand: both monitors, Escape --------------------------------------------------
# Pattern pictures, smaller than one monitor, so that one picture cannot light both.
grep '^http://site1\.test/images/pattern-.*|0|' "$source_dir/data/links/websim.txt" >"$tmp/patterns.txt" ||
  lib_fail "no site1.test pattern pictures in data/links/websim.txt"
E2E_SCREEN=two-monitors e2e_start "$tmp/patterns.txt"
window=""
for _ in $(seq 150); do
  window=$(main_window)
  [[ -n "$window" ]] && break
  e2e_alive
  sleep 0.1
done
[[ -n "$window" ]] || lib_fail "no main window"
geometry=$(xwininfo -id "$window" | sed -n 's/^ *-geometry //p')
[[ "$geometry" == 2048x768+0+0 ]] ||
  failures+=("the window covers $geometry, not both monitors (2048x768+0+0)")
# Panels are placed at random over the whole desktop: within a few pictures each monitor has
# one (above the bottom strip, which lies on the left monitor).
left=0 right=0
deadline=$((SECONDS + 120))
while ((SECONDS < deadline)); do
  e2e_alive
  e2e_screenshot "$work/monitors.png"
  convert "$work/monitors.png" -crop 1024x668+0+0 +repage "$work/left.png"
  convert "$work/monitors.png" -crop 1024x668+1024+0 +repage "$work/right.png"
  left=$(e2e_lit_pixels "$work/left.png")
  right=$(e2e_lit_pixels "$work/right.png")
  ((left > 5000 && right > 5000)) && break
  sleep 2
done
cp "$work/monitors.png" "$build/e2e-monitors.png"
echo "monitors: lit pixels: $left on the left monitor, $right on the right (screenshot $build/e2e-monitors.png)"
((left > 5000 && right > 5000)) || failures+=("pictures did not reach both monitors in 120 s")

xdotool windowfocus --sync "$window" key Escape 2>/dev/null || true
for _ in $(seq 100); do kill -0 "$quorel_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$quorel_pid" 2>/dev/null; then
  failures+=("Escape did not end the collage started by hand")
  kill "$quorel_pid"
fi

# --- as xscreensaver runs it: one wrapper per monitor -------------------------------------------
savers=()
for monitor in 1 2; do
  env http_proxy="http://$websim" https_proxy="http://$websim" no_proxy="127.0.0.1,localhost" \
    "$stage/usr/bin/quorel-screensaver" -root >"$work/saver$monitor.out" 2>&1 &
  savers+=($!)
  lib_pids+=($!)
done
status_log=$stage/usr/bin/quorel.log
quorel_pid=""
for _ in $(seq 150); do
  for saver in "${savers[@]}"; do
    child=$(ps --ppid "$saver" -o pid=,comm= | awk '$2 == "quorel" { print $1 }' || true)
    [[ -n "$child" ]] && quorel_pid=$child
  done
  [[ -n "$quorel_pid" ]] && break
  sleep 0.1
done
[[ -n "$quorel_pid" ]] || lib_fail "neither wrapper runs the collage: $(cat "$work"/saver*.out)"
e2e_wait_log "[I-BrowseComplete] http" 60 || failures+=("the screen saver's collage shows no picture")
kinds=$(for saver in "${savers[@]}"; do cat "/proc/$saver/comm"; done | tr '\n' ' ')
[[ $(grep -o sleep <<<"$kinds" | wc -l) == 1 ]] ||
  failures+=("the two copies are \"$kinds\", not one wrapper running the collage and one waiting")
xwininfo -root -tree | grep -q '"Whoa"' && failures+=("a copy shows the second-copy box")
e2e_screenshot "$work/screensaver.png"

kill -TERM "${savers[@]}"
for _ in $(seq 100); do
  alive=$(for pid in "${savers[@]}" "$quorel_pid"; do kill -0 "$pid" 2>/dev/null && echo "$pid"; done || true)
  [[ -z "$alive" ]] && break
  sleep 0.1
done
[[ -z "$alive" ]] || failures+=("still running after the screen saver ended them: $alive")

if ((${#failures[@]})); then
  printf 'monitors: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "monitors: PASS"
