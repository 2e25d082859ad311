#!/usr/bin/env bash
# Start-up of the real program under its own Xvfb: the preview switch ends at once, the main
# window covers the screen in black with its caption, a second copy is refused with a box,
# a left click on the bare background ends the program with status 0, and in screen-saver
# mode the window goes into the window it is given.
# Usage: startup.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "${1:?build dir}" && pwd)
quorel="$build/quorel"
[[ -x "$quorel" ]] || { echo "startup: $quorel not built" >&2; exit 1; }
for tool in Xvfb xdotool xwininfo xprop xwd convert xclock; do
  command -v "$tool" >/dev/null || { echo "startup: $tool missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "startup: FAIL: $*" >&2
  exit 1
}

# A display nobody uses, and a home of our own so no real settings or locks are touched.
display=""
for n in $(seq 140 199); do
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || { display=":$n"; break; }
done
[[ -n "$display" ]] || fail "no free display"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY="$display" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
export XDG_RUNTIME_DIR="$work/run" XDG_STATE_HOME="$work/home/.local/state"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset XSCREENSAVER_WINDOW QT_QPA_PLATFORM
for _ in $(seq 150); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -root >/dev/null 2>&1 || fail "Xvfb did not start on $display: $(cat "$work/xvfb.log")"

# Waits up to $1 tenths of a second for "$2 ..." to succeed.
wait_for() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# Runs the program to its end within $1 seconds; prints its status.
status_of() {
  local seconds=$1
  shift
  local rc=0
  timeout "$seconds" "$quorel" "$@" >>"$work/quorel.log" 2>&1 || rc=$?
  echo "$rc"
}

echo "startup: preview switches end at once"
for args in "/p" "/P:123" "/p 4567"; do
  # shellcheck disable=SC2086
  rc=$(status_of 10 $args)
  [[ "$rc" == 0 ]] || fail "quorel $args ended with $rc"
done
xdotool search --name 'Quorel' >/dev/null 2>&1 && fail "a preview drew a window"

echo "startup: the main window"
"$quorel" >>"$work/quorel.log" 2>&1 &
first=$!
pids+=("$first")
wait_for 100 xdotool search --name '^Quorel v2\.0 - $' || fail "no main window (log: $(cat "$work/quorel.log"))"
window=$(xdotool search --name '^Quorel v2\.0 - $' | head -1)
title=$(xprop -id "$window" _NET_WM_NAME)
[[ "$title" == '_NET_WM_NAME(UTF8_STRING) = "Quorel v2.0 - "' ]] || fail "caption: $title"
info=$(xwininfo -id "$window")
grep -q 'Absolute upper-left X:  0$' <<<"$info" || fail "not at the left edge: $info"
grep -q 'Absolute upper-left Y:  0$' <<<"$info" || fail "not at the top edge: $info"
grep -q 'Width: 1280$' <<<"$info" || fail "not the screen's width: $info"
grep -q 'Height: 1024$' <<<"$info" || fail "not the screen's height: $info"
grep -q 'Map State: IsViewable' <<<"$info" || fail "not shown: $info"

sleep 1  # let it paint
xwd -root -silent -display "$display" | convert xwd:- "$work/screen.png"
cp "$work/screen.png" "$build/e2e-startup.png"
# The background is black away from the bottom strip.
for point in "640,300" "50,50" "1200,900"; do
  colour=$(convert "$work/screen.png" -format "%[pixel:p{$point}]" info:)
  [[ "$colour" == "black" || "$colour" == "srgb(0,0,0)" || "$colour" == "gray(0)" ]] ||
    fail "pixel $point is $colour, not black"
done

echo "startup: a second copy is refused"
"$quorel" /c >>"$work/quorel.log" 2>&1 &
second=$!
pids+=("$second")
wait_for 100 xdotool search --name '^Whoa$' || fail "no refusal box"
box=$(xdotool search --name '^Whoa$' | head -1)
kill -0 "$first" 2>/dev/null || fail "the first copy ended"
sleep 0.5
xwd -root -silent -display "$display" | convert xwd:- "$build/e2e-startup-refused.png"
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key --window "$box" Return 2>/dev/null || true
wait_for 50 bash -c "! kill -0 $second 2>/dev/null" || {
  # Without a window manager the key may go astray: close the box outright.
  echo "startup: the box did not take Return; closing it"
  xdotool windowkill "$box" 2>/dev/null || true
  wait_for 50 bash -c "! kill -0 $second 2>/dev/null" || fail "the refused copy does not end"
}
rc=0
wait "$second" || rc=$?
[[ "$rc" == 0 ]] || fail "the refused copy ended with $rc"
kill -0 "$first" 2>/dev/null || fail "the first copy ended with the second"

echo "startup: a click on the background ends the program"
xdotool mousemove --sync 640 300 2>/dev/null || xdotool mousemove 640 300
xdotool click 1
wait_for 100 bash -c "! kill -0 $first 2>/dev/null" || fail "still running after the click"
rc=0
wait "$first" || rc=$?
[[ "$rc" == 0 ]] || fail "ended with $rc after the click"

echo "startup: screen-saver mode draws into the given window"
xclock -geometry 400x300+100+100 >>"$work/xclock.log" 2>&1 &
pids+=($!)
wait_for 300 xdotool search --class xclock || fail "no host window (xclock: $(tail -c 300 "$work/xclock.log"))"
host=$(xdotool search --class xclock | head -1)
XSCREENSAVER_WINDOW=$host "$quorel" >>"$work/quorel.log" 2>&1 &
saver=$!
pids+=("$saver")
wait_for 300 bash -c "xwininfo -children -id $host | grep -q 'Quorel v2.0 - '" || fail "not inside the host window"
child=$(xwininfo -children -id "$host" | grep 'Quorel v2.0 - ')
[[ "$child" == *"400x300+0+0"* ]] || fail "not sized to the host window: $child"
kill "$saver"

echo "startup: PASS"
