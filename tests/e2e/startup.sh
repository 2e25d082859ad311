#!/usr/bin/env bash
# Start-up of the real program under its own Xvfb: the preview switch ends at once, the main
# window covers the screen in black with its caption, a second copy is refused with a box,
# a left click on the bare background ends the program with status 0, and in screen-saver
# mode the window goes into the window it is given.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init startup "$@"
e2e_need quorel Xvfb xdotool xclock xwininfo xprop xwd convert
lib_start_xvfb
lib_sandbox_home
lib_install_quorel

for args in "/p" "/P:123" "/p 4567"; do
  # shellcheck disable=SC2086
  timeout 10 "$quorel_bin" $args >>"$work/quorel.out" 2>&1 || failures+=("quorel $args ended with $?")
done
! xdotool search --name 'Quorel' >/dev/null 2>&1 || failures+=("a preview drew a window")

# No link server and no web: nothing is crawled, so the whole window stays background.
lib_start_quorel 127.0.0.1:9
first=$quorel_pid
e2e_main_window || lib_fail "no main window: $(tail -n 5 "$work/quorel.out")"
title=$(xprop -id "$window" _NET_WM_NAME)
[[ "$title" == '_NET_WM_NAME(UTF8_STRING) = "Quorel v2.0 - "' ]] || failures+=("caption: $title")
state=$(e2e_window_state "$window")
[[ "$state" == "1280x1024+0+0 IsViewable" ]] || failures+=("the main window is $state, not the whole screen")
sleep 1  # let it paint
e2e_screenshot startup
# Black away from the bottom strip.
for point in "640,300" "50,50" "1200,900"; do
  colour=$(convert "$work/startup.png" -format "%[pixel:p{$point}]" info:)
  [[ "$colour" =~ ^(black|srgb\(0,0,0\)|gray\(0\))$ ]] || failures+=("pixel $point is $colour, not black")
done

"$quorel_bin" /c >>"$work/quorel.out" 2>&1 &
second=$!
lib_pids+=("$second")
e2e_until 10 xdotool search --name '^Whoa$' || lib_fail "no refusal box for a second copy"
box=$(xdotool search --name '^Whoa$' | head -1)
e2e_alive
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key --window "$box" Return 2>/dev/null || true
e2e_until 5 e2e_ended "$second" || lib_fail "the refused copy does not end on Return"
wait "$second" || failures+=("the refused copy ended with $?")
e2e_alive

xdotool mousemove --sync 640 300 2>/dev/null || xdotool mousemove 640 300
xdotool click 1
e2e_until 10 e2e_ended "$first" || lib_fail "still running after a click on the background"
wait "$first" || failures+=("ended with $? after the click")

# Screen-saver mode: drawn into the window given.
xclock -geometry 400x300+100+100 >>"$work/xclock.log" 2>&1 &
lib_pids+=($!)
e2e_until 30 xdotool search --class xclock || lib_fail "no host window: $(tail -c 300 "$work/xclock.log")"
host=$(xdotool search --class xclock | head -1)
XSCREENSAVER_WINDOW=$host "$quorel_bin" >>"$work/quorel.out" 2>&1 &
lib_pids+=($!)
hosted() { xwininfo -children -id "$host" | grep -q 'Quorel v2.0 - '; }
e2e_until 30 hosted || lib_fail "not inside the host window"
child=$(xwininfo -children -id "$host" | grep 'Quorel v2.0 - ')
[[ "$child" == *"400x300+0+0"* ]] || failures+=("not sized to the host window: $child")
e2e_finish
