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
# A headless sway of our own (not as root: it refuses) and wayvnc on it: sets vnc_port.
start_sway() {
  local dir=$work/sway as=() socket
  mkdir -p "$dir/run"
  printf 'output HEADLESS-1 resolution 1024x768\ndefault_border none\n' >"$dir/config"
  if (($(id -u) == 0)); then
    chmod 755 "$tmp" "$work" "$dir"
    chown nobody "$dir/run"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  chmod 700 "$dir/run"
  "${as[@]}" env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir/run" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$dir/config" >"$work/sway.log" 2>&1 &
  lib_pids+=("$!")
  sway_started() {
    SWAYSOCK=$(compgen -G "$dir/run/sway-ipc.*.sock" | head -n 1) &&
      socket=$(compgen -G "$dir/run/wayland-?" | head -n 1) && [[ -S "$SWAYSOCK" && -S "$socket" ]]
  }
  e2e_until 10 sway_started || lib_fail "sway did not start: $(tail -n 5 "$work/sway.log")"
  export SWAYSOCK QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=$socket
  vnc_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  wayvnc 127.0.0.1 "$vnc_port" >"$work/wayvnc.log" 2>&1 &
  lib_pids+=("$!")
  lib_wait_port "127.0.0.1:$vnc_port" "$!" wayvnc "$work/wayvnc.log"
}
# No link server: nothing is crawled, so the whole window is background. (Full screen: weston's
# run above.)
E2E_SCREEN=start_sway e2e_start ""
app_shown() { swaymsg -t get_tree | grep -q '"app_id": "'; }
e2e_until 10 app_shown || failures+=("sway: no window of the collage")
sleep 1  # the first frame
# A left click at 512,300 through wayvnc (RFB 3.8, no authentication).
python3 - "$vnc_port" 512 300 <<'EOF' || failures+=("sway: no click given through wayvnc")
import socket, struct, sys, time
port, x, y = map(int, sys.argv[1:4])
with socket.create_connection(("127.0.0.1", port), timeout=10) as sock:
    read = sock.makefile("rb").read
    read(12)  # the server's version
    sock.sendall(b"RFB 003.008\n")
    assert 1 in read(read(1)[0]), "the server wants authentication"
    sock.sendall(b"\x01")
    assert read(4) == bytes(4), "the server refused the session"
    sock.sendall(b"\x01")  # shared session
    read(20)  # size and pixel format
    read(struct.unpack(">I", read(4))[0])  # the desktop's name
    for buttons in (0, 1, 0):  # move there, press, release
        sock.sendall(struct.pack(">BBHH", 5, buttons, x, y))
        time.sleep(0.2)
EOF
if e2e_until 10 e2e_ended "$quorel_pid"; then
  wait "$quorel_pid" || failures+=("sway: the collage ended with status $? after the click")
else
  failures+=("sway: a click on the background did not end the collage")
fi
e2e_finish
