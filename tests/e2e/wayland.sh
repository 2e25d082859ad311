#!/usr/bin/env bash
# The collage as a native Wayland client of weston. Under the headless back-end its window
# fills the output (no shell panel, no background left) and pictures show. A headless weston
# has no input devices, so no click can be given here.
# Usage: wayland.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init wayland "$@"
for tool in weston weston-screenshooter; do
  command -v "$tool" >/dev/null || lib_fail "$tool missing (scripts/install-deps.sh)"
done
[[ -n "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland*' 2>/dev/null | head -n 1)" ]] ||
  lib_fail "Qt's Wayland platform plugin missing (qt6-wayland)"
failures=()

# start_weston BACKEND: a weston of our own on the socket quorel-test, with the screenshot
# protocol (--debug); sets weston_pid.
start_weston() {
  weston --backend="$1" --socket=quorel-test --width=1024 --height=768 --use-pixman --debug \
    --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
  weston_pid=$!
  lib_pids+=("$weston_pid")
  for _ in $(seq 100); do
    [[ -S "$XDG_RUNTIME_DIR/quorel-test" ]] && grep -q "launching '.*desktop-shell'" "$work/weston.log" && return 0
    kill -0 "$weston_pid" 2>/dev/null || break
    sleep 0.1
  done
  lib_fail "weston ($1) did not start: $(tail -n 5 "$work/weston.log")"
}

# run BACKEND: weston, websim, the link server and the collage on Wayland.
run() {
  lib_cleanup
  work=$tmp/$2
  mkdir -p "$work"
  lib_sandbox_home
  start_weston "$1"
  lib_start_websim --seed 7
  lib_start_vendor "$source_dir/data/links/websim.txt"
  lib_install_quorel
  cd "$work"
  lib_start_quorel "$websim" QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=quorel-test
  e2e_wait_log "[I-BrowseComplete] http" 60 || failures+=("$1: no picture shown")
}

shoot() {
  (cd "$work" && WAYLAND_DISPLAY=quorel-test timeout 10 weston-screenshooter >/dev/null 2>&1)
  local shot
  shot=$(ls "$work"/wayland-screenshot-*.png 2>/dev/null | tail -n 1)
  [[ -n "$shot" ]] && mv "$shot" "$1"
}

# --- headless: full screen, pictures ----------------------------------------------------------
run headless-backend.so headless
sleep 2  # the picture's frame is drawn after its page completes
if shoot "$work/headless.png"; then
  # desktop-shell's panel runs along the top and its background is not black: a full-screen
  # collage leaves neither (only the logo, clock and address line at the bottom, and pictures).
  convert "$work/headless.png" -crop 1024x40+0+0 +repage "$work/headless-top.png"
  top=$(e2e_lit_pixels "$work/headless-top.png")
  lit=$(e2e_lit_pixels "$work/headless.png")
  ((top < 1024 * 40 / 2)) || failures+=("headless: the top strip is lit ($top pixels): no full screen")
  ((lit < 1024 * 768 * 3 / 4)) || failures+=("headless: $lit pixels lit: the window does not cover the output")
  ((lit > 2000)) || failures+=("headless: only $lit pixels lit: nothing shown")
else
  failures+=("headless: weston took no screenshot: $(tail -n 3 "$work/weston.log")")
fi
e2e_alive

if ((${#failures[@]})); then
  printf 'wayland: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "wayland: PASS"
