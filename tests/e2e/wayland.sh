#!/usr/bin/env bash
# The collage as a native Wayland client. Under weston's headless back-end its window fills
# the output (no shell panel, no background left) and pictures show. A headless weston has no
# input devices, so the click is given under sway's headless back-end, through wayvnc's virtual
# pointer: a click on the black background ends the collage.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init wayland "$@"
e2e_need weston weston-screenshooter sway swaymsg wayvnc setpriv convert

# A headless weston of our own, with the screenshot protocol (--debug).
start_weston() {
  weston --backend=headless-backend.so --socket=quorel-test --width=1024 --height=768 \
    --use-pixman --debug --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
  lib_pids+=("$!")
  weston_started() { [[ -S "$XDG_RUNTIME_DIR/quorel-test" ]] && grep -q "launching '.*desktop-shell'" "$work/weston.log"; }
  e2e_until 10 weston_started || lib_fail "weston did not start: $(tail -n 5 "$work/weston.log")"
  export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=quorel-test
}

# --- headless weston: full screen, pictures -------------------------------------------------------
# Pattern pictures, smaller than the output: a wallpaper could cover it, top strip and all.
e2e_pattern_links "$tmp/patterns.txt"
E2E_SCREEN=start_weston e2e_start "$tmp/patterns.txt"
e2e_wait_log "[I-BrowseComplete] http" 60 || failures+=("weston: no picture shown")
sleep 2  # the picture's frame is drawn after its page completes
(cd "$work" && timeout 10 weston-screenshooter >/dev/null 2>&1) || true
shot=$(compgen -G "$work/wayland-screenshot-*.png" | tail -n 1) ||
  lib_fail "weston took no screenshot: $(tail -n 3 "$work/weston.log")"
# desktop-shell's panel runs along the top and its background is not black: a full-screen
# collage leaves neither (only the logo, clock and address line at the bottom, and pictures).
top=$(e2e_lit_pixels "$shot" 1024x40+0+0)
lit=$(e2e_lit_pixels "$shot")
((top < 1024 * 40 / 2)) || failures+=("weston: the top strip is lit ($top pixels): no full screen")
((lit < 1024 * 768 * 3 / 4)) || failures+=("weston: $lit pixels lit: the window does not cover the output")
((lit > 2000)) || failures+=("weston: only $lit pixels lit: nothing shown")
e2e_alive

# --- sway: a click on the background ends it ---------------------------------------
# No link server: nothing is crawled, so the whole window is background. (Full screen: weston's
# run above.)
E2E_SCREEN=e2e_start_sway e2e_start ""
app_shown() { swaymsg -t get_tree | grep -q '"app_id": "'; }
e2e_until 10 app_shown || failures+=("sway: no window of the collage")
sleep 1  # the first frame
# A left click at 512,300: move there, press, release.
e2e_vnc_pointer 512,300,0 512,300,1 512,300,0 || failures+=("sway: no click given through wayvnc")
if e2e_until 10 e2e_ended "$quorel_pid"; then
  wait "$quorel_pid" || failures+=("sway: the collage ended with status $? after the click")
else
  failures+=("sway: a click on the background did not end the collage")
fi
e2e_finish
