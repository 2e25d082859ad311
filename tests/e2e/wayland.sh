#!/usr/bin/env bash
# The collage as a native Wayland client. Under weston's headless back-end its window fills
# the output (no shell panel, no background left) and pictures show. A headless weston has no
# input devices, so the click is given under sway's headless back-end, through wayvnc's virtual
# pointer: a click on the black background ends the collage.
# Usage: wayland.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init wayland "$@"
for tool in weston weston-screenshooter sway swaymsg wayvnc setpriv; do
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

# --- sway: full screen, a click on the background ends it --------------------------------------
# start_sway: a headless sway of our own (not as root: it refuses), its socket in $sway_dir;
# sets sway_socket and SWAYSOCK.
start_sway() {
  sway_dir=$work/sway
  mkdir -p "$sway_dir/run"
  printf 'output HEADLESS-1 resolution 1024x768\ndefault_border none\n' >"$sway_dir/config"
  local as=()
  if (($(id -u) == 0)); then
    chmod 755 "$tmp" "$work" "$sway_dir"
    chown nobody "$sway_dir/run"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  chmod 700 "$sway_dir/run"
  "${as[@]}" env -i PATH="$PATH" HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir/run" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$sway_dir/config" >"$work/sway.log" 2>&1 &
  lib_pids+=("$!")
  for _ in $(seq 100); do
    SWAYSOCK=$(compgen -G "$sway_dir/run/sway-ipc.*.sock" | head -n 1) || true
    sway_socket=$(compgen -G "$sway_dir/run/wayland-?" | head -n 1) || true
    [[ -S "$SWAYSOCK" && -S "$sway_socket" ]] && export SWAYSOCK && return 0
    sleep 0.1
  done
  lib_fail "sway did not start: $(tail -n 5 "$work/sway.log")"
}

lib_cleanup
work=$tmp/sway-run
mkdir -p "$work"
lib_sandbox_home
start_sway
vnc_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
WAYLAND_DISPLAY=$sway_socket wayvnc 127.0.0.1 "$vnc_port" >"$work/wayvnc.log" 2>&1 &
lib_pids+=("$!")
lib_wait_port "127.0.0.1:$vnc_port" "$!" wayvnc "$work/wayvnc.log"
# No link server: nothing is crawled, so the whole window is background.
lib_install_quorel
cd "$work"
lib_start_quorel 127.0.0.1:9 QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="$sway_socket"
fullscreen=""
for _ in $(seq 100); do
  fullscreen=$(swaymsg -t get_tree -r | python3 -c '
import json, sys
def walk(node):
    if node.get("app_id") and node.get("fullscreen_mode") == 1:
        rect = node["rect"]
        print("%dx%d+%d+%d" % (rect["width"], rect["height"], rect["x"], rect["y"]))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))')
  [[ -n "$fullscreen" ]] && break
  e2e_alive
  sleep 0.1
done
[[ "$fullscreen" == 1024x768+0+0 ]] ||
  failures+=("sway: the collage is not full screen on the output (${fullscreen:-no window})")
sleep 1  # the first frame
python3 "$source_dir/tests/e2e/rfb_click.py" 127.0.0.1 "$vnc_port" 512 300 ||
  failures+=("sway: no click given through wayvnc")
for _ in $(seq 100); do kill -0 "$quorel_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$quorel_pid" 2>/dev/null; then
  failures+=("sway: a click on the background did not end the collage")
else
  wait "$quorel_pid" || failures+=("sway: the collage ended with status $? after the click")
fi

if ((${#failures[@]})); then
  printf 'wayland: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "wayland: PASS"
