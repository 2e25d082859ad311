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
