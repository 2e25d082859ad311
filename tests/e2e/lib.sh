# shellcheck shell=bash disable=SC2154  # websim, quorel_pid, status_log: set by bench/lib.sh
# Shared pieces of the end-to-end runs of the collage (sourced, not run): a private loopback
# network, Xvfb, websim and quorel-vendor come from bench/lib.sh; this adds the start of a
# whole run, bounded waits on the status log, screenshots and their measures.
#
# A script begins with
#   source "$(dirname "$0")/lib.sh"
#   e2e_init NAME "$@"            # BUILD_DIR SOURCE_DIR; sets build, source_dir, tmp
# keeps its own files in $tmp, and calls e2e_start LINKS [conf lines ...] for each run of the
# program; a run lives in $work, a fresh folder inside $tmp. E2E_KEEP=DIR keeps $tmp.

e2e_init() {
  lib_name=$1
  build=$(cd "${2:?usage: $lib_name.sh BUILD_DIR SOURCE_DIR}" && pwd)
  source_dir=$(cd "${3:?usage: $lib_name.sh BUILD_DIR SOURCE_DIR}" && pwd)
  # shellcheck source=/dev/null
  source "$source_dir/bench/lib.sh"
  local tool
  for tool in Xvfb xdpyinfo xwd convert curl python3; do
    command -v "$tool" >/dev/null || lib_fail "$tool missing (scripts/install-deps.sh)"
  done
  [[ -x "$build/quorel" && -x "$build/quorel-vendor" ]] ||
    lib_fail "quorel and quorel-vendor are not built in $build"
  lib_private_net "$0" "$build" "$source_dir"
  tmp=$(mktemp -d)
  work=$tmp
  e2e_runs=0
  trap e2e_cleanup EXIT
}

e2e_cleanup() {
  lib_cleanup
  if [[ -n "${E2E_KEEP:-}" ]]; then
    mkdir -p "$E2E_KEEP"
    cp -r "$tmp/." "$E2E_KEEP/" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}

# Xvfb (screen size $E2E_SCREEN, default 1280x1024x24, or two-monitors), a home of our own with DebugMode=1 and
# the given option lines, websim, the link server on LINKS, and a copy of quorel started
# through websim: sets work, websim, quorel_pid and status_log (its quorel.log). A second call
# ends the first run's programs and starts afresh.
e2e_start() {
  local links=$1
  shift
  lib_cleanup
  e2e_runs=$((e2e_runs + 1))
  work=$tmp/run$e2e_runs
  mkdir -p "$work"
  if [[ "${E2E_SCREEN:-}" == two-monitors ]]; then
    e2e_start_two_monitors
  else
    lib_start_xvfb "${E2E_SCREEN:-1280x1024x24}"
  fi
  lib_sandbox_home "$@"
  lib_start_websim --seed 7
  lib_start_vendor "$links"
  lib_install_quorel
  cd "$work" || lib_fail "no run folder $work"
  lib_start_quorel "$websim"
}

# A desktop of two 1024x768 monitors side by side, as RandR reports them: Xorg's dummy driver,
# since Xvfb cannot make one. Exports DISPLAY.
e2e_start_two_monitors() {
  local tool
  for tool in Xorg xrandr; do
    command -v "$tool" >/dev/null || lib_fail "$tool missing (scripts/install-deps.sh)"
  done
  cat >"$work/xorg.conf" <<'EOF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 32768
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2048 768
  EndSubSection
EndSection
EOF
  lib_start_x "$work/xorg.out" Xorg -config "$work/xorg.conf" -noreset -nolisten tcp \
    -logfile "$work/xorg.log"
  { xrandr --addmode DUMMY1 1024x768 && xrandr --output DUMMY0 --mode 1024x768 &&
    xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0; } >>"$work/xorg.out" 2>&1 ||
    lib_fail "xrandr could not add the second monitor: $(tail -n 3 "$work/xorg.out")"
  [[ "$(xrandr --listmonitors | head -n 1)" == "Monitors: 2" ]] ||
    lib_fail "not two monitors: $(xrandr --listmonitors)"
}

# Fails unless quorel still runs, showing the end of what it printed and logged.
e2e_alive() {
  kill -0 "$quorel_pid" 2>/dev/null ||
    lib_fail "quorel ended: $(tail -n 5 "$work/quorel.out" 2>/dev/null) / log: $(tail -n 5 "$status_log" 2>/dev/null)"
}

# Waits up to SECONDS for COUNT lines (default 1) of the status log holding TEXT; returns 1 on
# time-out, fails at once if quorel has ended.
e2e_wait_log() {
  local text=$1 seconds=$2 count=${3:-1}
  local deadline=$((SECONDS + seconds))
  while ((SECONDS < deadline)); do
    (($(lib_count "$text") >= count)) && return 0
    e2e_alive
    sleep 0.5
  done
  return 1
}

# The whole screen as a PNG.
e2e_screenshot() {
  xwd -root -silent | convert xwd:- "$1"
}

# How many pixels of the picture are not (nearly) black.
e2e_lit_pixels() {
  # fx prints large counts as 1.2e+06: make it a plain whole number for shell arithmetic.
  local count
  count=$(convert "$1" -colorspace gray -threshold 4% -format '%[fx:round(mean*w*h)]' info:)
  printf '%.0f\n' "$count"
}

# Lines of the status log without their time stamps and line-ending CRs.
e2e_status_lines() {
  [[ -f "$status_log" ]] || return 0
  sed -E 's#^[0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ##; s#\r$##' "$status_log"
}

# websim's answer for URL, through websim as a proxy, into FILE.
e2e_fetch() {
  curl -s --max-time 20 --noproxy '' -x "http://$websim" -o "$2" "$1"
}

# As e2e_fetch, but an address on loopback (the link server) is asked directly.
e2e_fetch_any() {
  if [[ "$1" =~ ^http://(127\.|localhost[:/]) ]]; then
    curl -s --max-time 20 --noproxy '*' -o "$2" "$1"
  else
    e2e_fetch "$@"
  fi
}
