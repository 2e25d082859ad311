#!/usr/bin/env bash
# Monitors of unequal size, offset, in portrait, switched off and on while the collage runs:
# the logo on the primary monitor, no picture where no monitor shows it, full screen over all
# of them (under a window manager that honours it, and without one), the options dialog centred
# on the primary monitor. A screen scaled to 200 % shows a picture pixel for pixel. The
# screen-saver wrapper started once per monitor, as xscreensaver does, runs one collage and
# keeps the other copy quiet, and both end when they are told to.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init monitors "$@"
e2e_need xdotool xprop
e2e_stage_install

# --- monitors made with xrandr on Xorg's dummy driver (Xvfb cannot make several) -------------
dummy_x() {
  e2e_need Xorg xrandr xwininfo xwd convert
  printf '%s\n' 'Section "Monitor"' ' Identifier "wide"' ' HorizSync 5-200' ' VertRefresh 5-200' \
    EndSection 'Section "Device"' ' Identifier "dummy"' ' Driver "dummy"' ' VideoRam 65536' \
    EndSection 'Section "Screen"' ' Identifier "screen"' ' Device "dummy"' ' Monitor "wide"' \
    ' DefaultDepth 24' ' SubSection "Display"' '  Depth 24' '  Virtual 3200 1920' \
    ' EndSubSection' EndSection >"$work/xorg.conf"
  lib_start_x "$work/xorg.out" Xorg -config "$work/xorg.conf" -noreset -nolisten tcp \
    -logfile "$work/xorg.log"
  {
    xrandr --newmode q1280x1024 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync &&
      xrandr --newmode q1920x1080 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync &&
      xrandr --newmode q1080x1920 145.80 1080 1128 1160 1240 1920 1923 1933 1960 +hsync +vsync &&
      for output in DUMMY0 DUMMY1; do
        for mode in q1280x1024 q1920x1080 q1080x1920; do xrandr --addmode "$output" "$mode"; done
      done
  } >>"$work/xorg.out" 2>&1 || lib_fail "xrandr could not make the modes: $(tail -n 3 "$work/xorg.out")"
}
arrange() {
  xrandr "$@" >>"$work/xorg.out" 2>&1 || lib_fail "xrandr $*: $(tail -n 3 "$work/xorg.out")"
}
monitors_are() {
  [[ "$(xrandr --listmonitors | head -n 1)" == "Monitors: $1" ]] ||
    lib_fail "not $1 monitors: $(xrandr --listmonitors)"
}

# 1280x1024 at 0,0 and 1920x1080 at 1280,200, the right one primary, under a window manager
# with a task bar.
unequal_offset() {
  dummy_x
  arrange --output DUMMY0 --mode q1280x1024 --pos 0x0 --output DUMMY1 --mode q1920x1080 \
    --pos 1280x200 --primary
  monitors_are 2
  icewm >"$work/icewm.out" 2>&1 &
  lib_pids+=($!)
  wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
  e2e_until 15 wm_ready || lib_fail "the window manager did not start: $(tail -n 3 "$work/icewm.out")"
}

# A portrait monitor, primary, and a landscape one to its right; no window manager.
portrait() {
  dummy_x
  arrange --output DUMMY0 --mode q1080x1920 --pos 0x0 --primary --output DUMMY1 \
    --mode q1920x1080 --pos 1080x0
  monitors_are 2
}

# The window by its caption, among every window (a window manager puts it into a frame).
main_window() {
  find_it() {
    window=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Quorel v2\.0 - ".*/\1/p' | head -n 1)
    [[ -n "$window" ]]
  }
  e2e_until 15 find_it
}
# "WIDTHxHEIGHT+X+Y" of a window on the screen, its frame left out.
placed() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
    /^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print w "x" h "+" x "+" y }'
}
covers() { [[ "$(placed "$window")" == "$1" ]]; }

# The logo's upper 70 rows at the bottom-left corner of the primary monitor WxH+X+Y, taken
# before the first picture can lie over it.
check_logo() {
  local shot=$1 w h x y lit
  IFS='x+' read -r w h x y <<<"$2"
  e2e_alive && e2e_screenshot "$shot"
  lit=$(e2e_lit_pixels "$work/$shot.png" "88x70+$x+$((y + h - 74))")
  ((lit > 1500)) || failures+=("$shot: no logo at the bottom-left of the primary monitor $2 ($lit lit pixels)")
  echo "monitors: $shot: $lit lit pixels of the logo"
}
# No lit pixel in any of the areas (WxH+X+Y) that no monitor shows.
check_dead_zones() {
  local shot=$1 zone lit
  shift
  e2e_alive && e2e_screenshot "$shot"
  for zone; do
    lit=$(e2e_lit_pixels "$work/$shot.png" "$zone")
    ((lit == 0)) || failures+=("$shot: $lit lit pixels in $zone, which no monitor shows")
  done
}
# Pictures lit on both monitors (their parts above the strip).
lit_on() {
  local shot=$1 zone lit
  shift
  e2e_alive && e2e_screenshot "$shot"
  for zone; do
    lit=$(e2e_lit_pixels "$work/$shot.png" "$zone")
    ((lit > 5000)) || return 1
  done
}
pictures_shown() { e2e_wait_log "[I-BrowseComplete] http" 90 "$1"; }

e2e_pattern_links "$tmp/patterns.txt"

# --- unequal monitors, offset, under a window manager ------------------------------------------
E2E_SCREEN=unequal_offset e2e_start "$tmp/patterns.txt"
main_window || lib_fail "no main window"
primary=1920x1080+1280+200
e2e_until 10 covers 3200x1280+0+0 || failures+=("offset: the window is $(placed "$window"), not over both monitors")
sleep 1
check_logo offset-logo "$primary"
state=$(xprop -id "$window" _NET_WM_STATE _NET_WM_FULLSCREEN_MONITORS)
grep -q '_NET_WM_STATE(ATOM) = .*_NET_WM_STATE_FULLSCREEN' <<<"$state" ||
  failures+=("offset: not full screen: $state")
grep -q '_NET_WM_FULLSCREEN_MONITORS(CARDINAL) = [01], [01], [01], [01]$' <<<"$state" ||
  failures+=("offset: the window manager was not told the monitors: $state")
echo "monitors: offset: $(tr '\n' ' ' <<<"$state")"
E2E_POLL=2 e2e_until 120 lit_on offset 1280x900+0+0 1920x900+1280+200 ||
  failures+=("offset: pictures did not reach both monitors in 120 s")
check_dead_zones offset 1280x256+0+1024 1920x200+1280+0
xdotool windowfocus --sync "$window" key Escape 2>/dev/null || true
e2e_until 10 e2e_ended "$quorel_pid" || failures+=("Escape did not end the collage started by hand")

# The options dialog alone, centred on the primary monitor (its frame's title bar aside).
"$quorel_bin" /c >"$work/options.out" 2>&1 &
options_pid=$!
lib_pids+=("$options_pid")
find_options() {
  options=$(xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "Options".*/\1/p' | head -n 1)
  [[ -n "$options" ]]
}
if e2e_until 15 find_options; then
  sleep 1
  IFS='x+' read -r w h x y <<<"$(placed "$options")"
  cx=$((x + w / 2)) cy=$((y + h / 2))
  ((cx > 2240 - 20 && cx < 2240 + 20 && cy > 740 - 40 && cy < 740 + 40)) ||
    failures+=("the options dialog's centre is $cx,$cy, not the primary monitor's 2240,740")
  e2e_screenshot offset-options
else
  failures+=("no options dialog: $(tail -n 3 "$work/options.out")")
fi
kill "$options_pid" 2>/dev/null || true

# --- as xscreensaver runs it: one wrapper per monitor -------------------------------------------
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

# --- portrait and landscape, the landscape one switched off and on -----------------------------
E2E_SCREEN=portrait e2e_start "$tmp/patterns.txt"
main_window || lib_fail "no main window"
primary=1080x1920+0+0
e2e_until 10 covers 3000x1920+0+0 || failures+=("portrait: the window is $(placed "$window"), not over both monitors")
sleep 1
check_logo portrait-logo "$primary"
pictures_shown 4 || failures+=("portrait: fewer than 4 pictures in 90 s")
check_dead_zones portrait 1920x840+1080+1080

arrange --output DUMMY1 --off
monitors_are 1
e2e_until 10 covers 1080x1920+0+0 || failures+=("one monitor off: the window is $(placed "$window"), not the portrait monitor's")
sleep 1
check_dead_zones portrait-off
arrange --output DUMMY1 --mode q1920x1080 --pos 1080x0
monitors_are 2
e2e_until 10 covers 3000x1920+0+0 || failures+=("back on: the window is $(placed "$window"), not over both monitors")
pictures_shown 6 || failures+=("back on: no further pictures")
check_dead_zones portrait-on 1920x840+1080+1080
kill "$quorel_pid" 2>/dev/null || true

# --- a screen scaled to 200 %: a one-pixel checkerboard stays one pixel to one pixel -------------
# The site is started with the run (a new run ends what the last one started); the first
# picture is asked for five seconds after the start.
checker_site() {
  convert -size 240x160 pattern:gray50 +level-colors red,white "$tmp/checker.png"
  python3 - "$tmp/checker.png" "$tmp/checker.addr" >"$tmp/checker.log" 2>&1 <<'PY' &
import http.server, os, sys
picture = open(sys.argv[1], "rb").read()
class Site(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        ok = self.path.endswith(".png")
        self.send_response(200 if ok else 404)
        self.send_header("Content-Type", "image/png" if ok else "text/plain")
        self.send_header("Content-Length", str(len(picture) if ok else 0))
        self.end_headers()
        if ok: self.wfile.write(picture)
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Site)
open(sys.argv[2] + ".tmp", "w").write("127.0.0.1:%d" % server.server_address[1])
os.replace(sys.argv[2] + ".tmp", sys.argv[2])
server.serve_forever()
PY
  lib_pids+=($!)
  lib_wait_file "$tmp/checker.addr" $! "checkerboard site" "$tmp/checker.log"
}
# Xvfb, and the site as the run's web.
scaled_screen() {
  lib_start_xvfb 1280x1024x24
  checker_site
  E2E_PROXY=$(cat "$tmp/checker.addr")
}
echo 'http://check.test/images/checker.png|0|http://check.test/' >"$tmp/checker.txt"
export QT_SCALE_FACTOR=2
E2E_PROXY=none E2E_SCREEN=scaled_screen e2e_start "$tmp/checker.txt"
unset QT_SCALE_FACTOR
e2e_wait_log "[I-BrowseComplete] http://check.test/images/checker.png" 60 ||
  failures+=("scaled: the checkerboard was not shown")
sleep 2
e2e_alive && e2e_screenshot scaled
# Only red and white where the picture is, each pixel unlike its neighbours.
red=$(convert "$work/scaled.png" -fill black +opaque red -format '%@' info:)
if [[ "$red" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]]; then
  echo "monitors: scaled: the checkerboard's red pixels lie in $red"
  ((BASH_REMATCH[1] == 240 && BASH_REMATCH[2] == 160)) ||
    failures+=("scaled: the checkerboard covers $red, not 240x160 device pixels")
  verdict=$(convert "$work/scaled.png" -crop "$red" +repage txt:- | python3 -c '
import re, sys
pixels = {}
for line in sys.stdin:
    m = re.match(r"(\d+),(\d+): \((\d+),(\d+),(\d+)", line)
    if m: pixels[int(m[1]), int(m[2])] = tuple(int(v) for v in m.group(3, 4, 5))
colours = {(255, 0, 0): 0, (255, 255, 255): 1}
other = sum(1 for p in pixels.values() if p not in colours)
same = sum(1 for (x, y), p in pixels.items() if (x + 1, y) in pixels and pixels[x + 1, y] == p)
print("%d of %d pixels blended or of another colour, %d equal to their right neighbour" % (other, len(pixels), same))')
  echo "monitors: scaled: $verdict"
  [[ "$verdict" == "0 of "*", 0 equal to their right neighbour" ]] ||
    failures+=("scaled: the checkerboard was resampled: $verdict")
else
  failures+=("scaled: no checkerboard on the screen")
fi
e2e_finish
