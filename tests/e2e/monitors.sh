#!/usr/bin/env bash
# On a desktop of two monitors side by side: the collage started by hand covers both, pictures
# land on each, and Escape ends it. The screen-saver wrapper started once per monitor, as
# xscreensaver does, runs one collage and keeps the other copy quiet (no second-copy box, no
# collage), and both end when they are told to, with everything they started.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init monitors "$@"
e2e_need xdotool
e2e_stage_install

# A desktop of two 1024x768 monitors side by side, as RandR reports them: Xorg's dummy driver,
# since Xvfb cannot make one.
two_monitors() {
  e2e_need Xorg xrandr xwininfo xwd convert
  printf '%s\n' 'Section "Device"' ' Identifier "dummy"' ' Driver "dummy"' ' VideoRam 32768' \
    EndSection 'Section "Screen"' ' Identifier "screen"' ' Device "dummy"' ' DefaultDepth 24' \
    ' SubSection "Display"' '  Depth 24' '  Virtual 2048 768' ' EndSubSection' EndSection \
    >"$work/xorg.conf"
  lib_start_x "$work/xorg.out" Xorg -config "$work/xorg.conf" -noreset -nolisten tcp \
    -logfile "$work/xorg.log"
  { xrandr --addmode DUMMY1 1024x768 && xrandr --output DUMMY0 --mode 1024x768 &&
    xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0; } >>"$work/xorg.out" 2>&1 ||
    lib_fail "xrandr could not add the second monitor: $(tail -n 3 "$work/xorg.out")"
  [[ "$(xrandr --listmonitors | head -n 1)" == "Monitors: 2" ]] ||
    lib_fail "not two monitors: $(xrandr --listmonitors)"
}

# --- started by hand: both monitors, Escape --------------------------------------------------
# Pattern pictures, smaller than one monitor, so that one picture cannot light both.
e2e_pattern_links "$tmp/patterns.txt"
E2E_SCREEN=two_monitors e2e_start "$tmp/patterns.txt"
e2e_main_window || lib_fail "no main window"
state=$(e2e_window_state "$window")
[[ "$state" == "2048x768+0+0 IsViewable" ]] || failures+=("the window is $state, not over both monitors")
# Panels are placed at random over the whole desktop: within a few pictures each monitor has
# one (above the bottom strip, which lies on the left monitor).
lit_on_both() {
  e2e_alive && e2e_screenshot monitors
  left=$(e2e_lit_pixels "$work/monitors.png" 1024x668+0+0)
  right=$(e2e_lit_pixels "$work/monitors.png" 1024x668+1024+0)
  ((left > 5000 && right > 5000))
}
E2E_POLL=2 e2e_until 120 lit_on_both || failures+=("pictures did not reach both monitors in 120 s")
echo "monitors: lit pixels: $left on the left monitor, $right on the right"
xdotool windowfocus --sync "$window" key Escape 2>/dev/null || true
e2e_until 10 e2e_ended "$quorel_pid" || failures+=("Escape did not end the collage started by hand")

# --- as xscreensaver runs it: one wrapper per monitor -------------------------------------------
kill "$quorel_pid" 2>/dev/null || true
savers=()
for monitor in 1 2; do
  http_proxy="http://$websim" https_proxy="http://$websim" no_proxy="127.0.0.1,localhost" \
    "$root/bin/quorel-screensaver" -root >"$work/saver$monitor.out" 2>&1 &
  savers+=($!)
  lib_pids+=($!)
done
status_log=$root/bin/quorel.log
collage() {
  quorel_pid=$(ps --ppid "${savers[0]},${savers[1]}" -o pid=,comm= | awk '$2 == "quorel" { print $1 }')
  [[ -n "$quorel_pid" ]]
}
e2e_until 15 collage || lib_fail "neither wrapper runs the collage: $(cat "$work"/saver*.out)"
e2e_wait_log "[I-BrowseComplete] http" 60 || failures+=("the screen saver's collage shows no picture")
kinds=$(cat "/proc/${savers[0]}/comm" "/proc/${savers[1]}/comm")
[[ $(grep -cx sleep <<<"$kinds") == 1 ]] ||
  failures+=("the two copies are \"$(paste -sd ' ' <<<"$kinds")\", not one running the collage and one waiting")
! xwininfo -root -tree | grep -q '"Whoa"' || failures+=("a copy shows the second-copy box")
kill -TERM "${savers[@]}"
e2e_until 10 e2e_ended "${savers[@]}" "$quorel_pid" ||
  failures+=("still running after the screen saver ended them: $(ps -o pid=,comm= -p "${savers[*]} $quorel_pid" || true)")
e2e_finish
