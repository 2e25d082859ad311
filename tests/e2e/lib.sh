# shellcheck shell=bash disable=SC2034,SC2154  # set here for the caller, or by bench/lib.sh
# Shared set-up of the end-to-end and package scripts (sourced, not run). bench/lib.sh brings the
# private loopback network, X servers, websim and quorel-vendor; this adds whole runs of the
# program, bounded waits, screenshots, staged installations and the report of the failures+=()
# gathered. A run's files live in $work (at first $tmp). E2E_KEEP=DIR keeps $tmp.

e2e_init() {
  lib_name=$1
  build=$(cd "${2:?usage: $lib_name.sh BUILD_DIR SOURCE_DIR}" && pwd)
  source_dir=$(cd "${3:?usage: $lib_name.sh BUILD_DIR SOURCE_DIR}" && pwd)
  # shellcheck source=/dev/null
  source "$source_dir/bench/lib.sh"
  lib_private_net "$0" "$build" "$source_dir"
  tmp=$(mktemp -d)
  work=$tmp
  e2e_runs=0
  failures=()
  version=$(sed -n 's/^project(quorel VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  lib_cleanup
  [[ -z "${E2E_KEEP:-}" ]] || { mkdir -p "$E2E_KEEP" && cp -r "$tmp/." "$E2E_KEEP/"; } 2>/dev/null || true
  rm -rf "$tmp"
}

# Fails unless each tool is installed and each quorel* program is built.
e2e_need() {
  local name
  for name; do
    if [[ "$name" != quorel* ]]; then lib_need "$name"; continue; fi
    [[ -x "$build/$name" ]] || lib_fail "$name is not built in $build"
  done
}

# Reports the failures gathered (with the end of the status log, if any) and exits.
e2e_finish() {
  ((${#failures[@]})) || { echo "$lib_name: PASS"; exit 0; }
  printf "$lib_name: FAIL: %s\n" "${failures[@]}" >&2
  [[ ! -s "${status_log:-}" ]] || { echo "$lib_name: the status log ends with:"; e2e_status_lines | tail -n 25; } >&2
  exit 1
}

# A run of quorel in a home of its own with DebugMode=1 and the option lines, the link server on
# LINKS (none, and no web, when empty) and websim or $E2E_PROXY as the web: sets work, websim,
# quorel_pid and status_log. $E2E_SCREEN is WIDTHxHEIGHTxDEPTH for Xvfb (1280x1024x24 by
# default) or a function of the caller's that starts a display. A second call starts afresh.
e2e_start() {
  local links=$1
  shift
  if ((e2e_runs > 0)); then lib_cleanup; fi
  e2e_runs=$((e2e_runs + 1))
  work=$tmp/run$e2e_runs
  mkdir -p "$work"
  lib_sandbox_home "$@"
  case ${E2E_SCREEN:=1280x1024x24} in
    [0-9]*) e2e_need Xvfb xdpyinfo xwininfo xwd convert && lib_start_xvfb "$E2E_SCREEN" ;;
    *) "$E2E_SCREEN" ;;
  esac
  websim=
  local proxy=127.0.0.1:9  # nobody answers there
  if [[ -n "$links" ]]; then
    if [[ -z "${E2E_PROXY:-}" ]]; then lib_start_websim --seed 7; fi
    proxy=${E2E_PROXY:-$websim}
    e2e_need quorel-vendor
    lib_start_vendor "$links"
  fi
  e2e_need quorel
  lib_install_quorel
  cd "$work" || lib_fail "no run folder $work"
  lib_start_quorel "$proxy"
}

# Fails unless quorel still runs, showing the end of what it printed and logged.
e2e_alive() {
  kill -0 "$quorel_pid" 2>/dev/null ||
    lib_fail "quorel ended: $(tail -n 5 "$work/quorel.out" 2>/dev/null) / log: $(tail -n 5 "$status_log" 2>/dev/null)"
}

# Runs COMMAND every $E2E_POLL seconds (default 0.2) until it succeeds, or fails after SECONDS.
e2e_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null; do
    ((SECONDS < deadline)) || return 1
    sleep "${E2E_POLL:-0.2}"
  done
}

# Succeeds once none of the processes runs.
e2e_ended() {
  local pid
  for pid; do ! kill -0 "$pid" 2>/dev/null || return 1; done
}

# Waits up to SECONDS for COUNT lines (default 1) of the status log holding TEXT; returns 1 on
# time-out, fails at once if quorel has ended.
e2e_wait_log() {
  e2e_logged() { e2e_alive && (($(lib_count "$1") >= $2)); }
  e2e_until "$2" e2e_logged "$1" "${3:-1}"
}

# Lines of the status log without their time stamps and line-ending CRs.
e2e_status_lines() {
  [[ -f "$status_log" ]] || return 0
  sed -E 's#^[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ##; s#\r$##' "$status_log"
}

# Waits up to SECONDS (default 15) for the main window, by its caption: sets window.
e2e_main_window() {
  e2e_find_window() {
    window=$(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) "Quorel v2\.0 - ".*/\1/p' | head -n 1)
    [[ -n "$window" ]]
  }
  e2e_until "${1:-15}" e2e_find_window
}

# "GEOMETRY MAP-STATE" of a window, e.g. "1280x1024+0+0 IsViewable".
e2e_window_state() {
  xwininfo -id "$1" | awk '/Map State:/ { state = $3 } /-geometry/ { print $2, state }'
}

# The whole screen as $work/NAME.png, left in BUILD_DIR as e2e-NAME.png.
e2e_screenshot() {
  xwd -root -silent | convert xwd:- "$work/$1.png"
  cp "$work/$1.png" "$build/e2e-$1.png"
}

# The demo link list's pattern pictures alone, into FILE: bright, and smaller than any test
# screen, so that no one picture covers the screen or leaves it dark.
e2e_pattern_links() {
  grep '^http://site1\.test/images/pattern-.*|0|' "$source_dir/data/links/websim.txt" >"$1" ||
    lib_fail "no pattern pictures in data/links/websim.txt"
}

# How many pixels of the picture (or of its part WxH+X+Y) are not (nearly) black.
e2e_lit_pixels() {
  # fx prints large counts as 1.2e+06: printf makes a whole number for shell arithmetic.
  printf '%.0f\n' "$(convert "$1" ${2:+-crop "$2" +repage} -colorspace gray -threshold 4% \
    -format '%[fx:round(mean*w*h)]' info:)"
}

# websim's answer for URL into FILE: through websim as a proxy, or directly for loopback.
e2e_fetch() {
  local route=(--noproxy '' -x "http://$websim")
  [[ "$1" =~ ^http://(127\.|localhost[:/]) ]] && route=(--noproxy '*')
  curl -s --max-time 20 "${route[@]}" -o "$2" "$1"
}

# cmake --install of the build under PREFIX (default /usr) into a fresh DESTDIR: sets stage
# (the DESTDIR) and root (the prefix inside it).
e2e_stage_install() {
  local prefix=${1:-/usr}
  stage=$(mktemp -d "$tmp/stage.XXXX")
  root=$stage$prefix
  DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$stage.log" 2>&1 ||
    lib_fail "cmake --install --prefix $prefix failed: $(tail -n 5 "$stage.log")"
}

# A headless sway of our own (not as root: it refuses) and wayvnc on it, which gives it a
# pointer: sets SWAYSOCK, WAYLAND_DISPLAY (QT_QPA_PLATFORM=wayland) and vnc_port.
e2e_start_sway() {
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

# Pointer events through wayvnc (RFB 3.8, no authentication), 0.2 s apart: each argument is
# X,Y,BUTTONS (a mask: 1 the left button).
e2e_vnc_pointer() {
  python3 - "$vnc_port" "$@" <<'EOF'
import socket, struct, sys, time
port, events = int(sys.argv[1]), [tuple(map(int, a.split(","))) for a in sys.argv[2:]]
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
    for x, y, buttons in events:
        sock.sendall(struct.pack(">BBHH", 5, buttons, x, y))
        time.sleep(0.2)
EOF
}

# A collage for quorel-idle's --command that only notes "start ARGS" and "TERM" (when it is
# ended) in $work/collage.log: sets stand_in.
e2e_collage_stand_in() {
  stand_in=$work/collage
  cat >"$stand_in" <<STANDIN
#!/bin/sh
trap 'echo TERM >>"$work/collage.log"; exit 0' TERM
echo "start \$*" >>"$work/collage.log"
while :; do sleep 0.1; done
STANDIN
  chmod +x "$stand_in"
  : >"$work/collage.log"
}

# How many lines of the stand-in's log hold TEXT.
e2e_collage_count() { grep -c -F -- "$1" "$work/collage.log" || true; }
# Succeeds when COUNT lines hold TEXT (for e2e_until, which runs it again and again).
e2e_collage_count_is() { [[ "$(e2e_collage_count "$2")" == "$1" ]]; }

# quorel-idle ARGS... in the background, what it prints in $work/idle.out: sets idle_pid once
# it watches.
e2e_start_idle() {
  "$build/quorel-idle" "$@" >"$work/idle.out" 2>&1 &
  idle_pid=$!
  lib_pids+=("$idle_pid")
  e2e_until 10 grep -qs "watching" "$work/idle.out" ||
    lib_fail "quorel-idle does not watch: $(cat "$work/idle.out")"
}

# A private session bus for this run: exports DBUS_SESSION_BUS_ADDRESS.
e2e_start_session_bus() {
  dbus-daemon --session --nofork --print-address=3 3>"$work/bus.addr" 2>"$work/bus.log" &
  lib_pids+=("$!")
  e2e_until 10 test -s "$work/bus.addr" || lib_fail "no session bus: $(cat "$work/bus.log")"
  DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.addr")
  export DBUS_SESSION_BUS_ADDRESS
}

# Seconds (with a decimal) until none of the processes runs, at most SECONDS; 1 on time-out.
e2e_seconds_until_ended() {
  local start deadline=$((SECONDS + $1))
  shift
  start=$(date +%s.%N)
  until e2e_ended "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
  awk -v start="$start" -v end="$(date +%s.%N)" 'BEGIN { printf "%.1f\n", end - start }'
}

# After the user's input: the collage quorel-idle started (PID) ends, ended by quorel-idle and
# not by that input, and the settings are as they were ($work/conf.before). Notes how long it
# took; WHERE names the run in failures.
e2e_idle_collage_ends() {
  local where=$1 collage=$2 took
  if [[ -z "$collage" ]]; then
    failures+=("$where: quorel-idle started no collage of its own")
  elif took=$(e2e_seconds_until_ended 10 "$collage"); then
    lib_note "$where: the collage ended ${took} s after the input"
  else
    failures+=("$where: the collage still runs 10 s after the input")
  fi
  ! grep -q "ended by itself" "$work/idle.out" ||
    failures+=("$where: the input reached the collage, which ended itself: $(cat "$work/idle.out")")
  cmp -s "$work/conf.before" "$XDG_CONFIG_HOME/quorel/quorel.conf" ||
    failures+=("$where: the settings were written")
}
