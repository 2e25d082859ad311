# shellcheck shell=bash disable=SC2034,SC2154
# (The caller's variables are set by the caller; the results are read by the caller.)
# Shared pieces of the benchmark and end-to-end scripts (sourced, not run):
# a private network with loopback only, Xvfb on a free display, websim, quorel-vendor on the
# address the build asks, a counting relay, a sandboxed home with DebugMode=1, and quorel
# started from a copy of itself so its logs land in the run's own folder.
#
# The caller sets: build (build dir), source_dir, work (a fresh temp folder), and calls
# lib_cleanup from its EXIT trap.

lib_pids=()

# The build folder: $1 when given, else build-bench, else build (printed).
lib_build_dir() {
  local default=$source_dir/build-bench
  [[ -x "$default/quorel" ]] || default=$source_dir/build
  cd "${1:-$default}" && pwd
}

# Fails unless every named program is installed.
lib_need() {
  local tool
  for tool; do
    command -v "$tool" >/dev/null || lib_fail "$tool missing (scripts/install-deps.sh)"
  done
}

lib_need_built() {
  [[ -x "$build/quorel" && -x "$build/quorel-vendor" ]] || lib_fail "quorel and quorel-vendor are not built in $build"
}

lib_note() { echo "${lib_name:-bench}: $*" >&2; }
lib_fail() { echo "${lib_name:-bench}: FAIL: $*" >&2; exit 1; }

# Runs the calling script again inside a network namespace of its own with only loopback up,
# so nothing leaves the machine and the link server can take the address the build asks for
# (a fixed port) whatever else runs here. Unprivileged users get a user namespace as well.
# Without namespaces the script goes on in the host's network (LIB_SHARED_NET=1).
lib_private_net() {
  [[ "${LIB_IN_NETNS:-}" == 1 ]] && return 0
  local script=$1 flags
  shift
  read -ra flags <<<"${LIB_UNSHARE:--n}"  # -n -m: a mount namespace as well
  [[ $(id -u) == 0 ]] || flags+=(-r)
  if command -v ip >/dev/null && unshare "${flags[@]}" ip link set lo up 2>/dev/null; then
    LIB_IN_NETNS=1 exec unshare "${flags[@]}" bash -c 'ip link set lo up && exec bash "$@"' \
      lib "$script" "$@"
  fi
  lib_note "no network namespace here; using the host's loopback"
  export LIB_SHARED_NET=1
}

lib_cleanup() {
  local pid
  for ((i = ${#lib_pids[@]} - 1; i >= 0; i--)); do kill -TERM "${lib_pids[i]}" 2>/dev/null || true; done
  for pid in "${lib_pids[@]}"; do
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  lib_pids=()
}

# Waits until FILE is non-empty (a ready file), or PID has died; $4 is the server's log.
lib_wait_file() {
  local file=$1 pid=$2 name=$3 log=$4
  # Long enough for a server that makes its pictures first on a busy machine.
  for _ in $(seq 1200); do
    [[ -s "$file" ]] && return 0
    kill -0 "$pid" 2>/dev/null || lib_fail "$name did not start: $(tail -n 5 "$log" 2>/dev/null)"
    sleep 0.1
  done
  lib_fail "$name not ready after 120 s"
}

lib_wait_port() {
  local host=${1%:*} port=${1##*:} pid=$2 name=$3 log=$4
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || lib_fail "$name did not start: $(tail -n 5 "$log" 2>/dev/null)"
    (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null && return 0
    sleep 0.1
  done
  lib_fail "$name is not answering on $1"
}

# An X server on a free display from 150 up (low numbers are what other programs assume): runs
# COMMAND :N ARGS..., output to LOG. A display taken by a concurrent run between our look and
# the server's start makes the server end, and the next number is tried. Exports DISPLAY.
lib_start_x() {
  local log=$1 command=$2 n pid
  shift 2
  for n in $(seq 150 250); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    "$command" ":$n" "$@" >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 150); do
      kill -0 "$pid" 2>/dev/null || break
      # Ours once the lock names our server and it answers.
      if [[ "$(tr -d ' ' 2>/dev/null </tmp/.X$n-lock)" == "$pid" ]] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        lib_pids+=("$pid")
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  lib_fail "no display for $command: $(cat "$log")"
}

# -noreset: a client that connects just as the last one leaves would find the server resetting.
lib_start_xvfb() {
  lib_start_x "$work/xvfb.log" Xvfb -screen 0 "${1:-1280x1024x24}" -noreset -nolisten tcp
}

# A home of our own: no real settings, locks or logs are touched. Extra lines for [Options]
# come as arguments ("AutosaveMode=1" ...); DebugMode=1 always.
lib_sandbox_home() {
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
  export XDG_STATE_HOME="$work/home/.local/state" XDG_RUNTIME_DIR="$work/run"
  mkdir -p "$XDG_CONFIG_HOME/quorel" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset XSCREENSAVER_WINDOW QT_QPA_PLATFORM SESSION_MANAGER
  { echo "[Options]"; echo "DebugMode=1"; printf '%s\n' "$@"; } >"$XDG_CONFIG_HOME/quorel/quorel.conf"
}

# websim on a free loopback port: sets websim (ADDRESS:PORT); arguments go to websim.
lib_start_websim() {
  python3 "$source_dir/tools/websim/websim.py" --listen 127.0.0.1:0 --ready-file "$work/websim.addr" \
    "$@" 2>"$work/websim.log" &
  lib_pids+=($!)
  lib_wait_file "$work/websim.addr" $! websim "$work/websim.log"
  websim=$(cat "$work/websim.addr")
}

# The counting relay in front of UPSTREAM, logging to LOG: sets tally (ADDRESS:PORT).
lib_start_tally() {
  local upstream=$1 log=$2
  shift 2
  rm -f "$work/tally.addr"
  python3 "$source_dir/bench/tally_proxy.py" --upstream "$upstream" --log "$log" \
    --ready-file "$work/tally.addr" "$@" 2>>"$work/tally.err" &
  lib_pids+=($!)
  lib_wait_file "$work/tally.addr" $! tally_proxy "$work/tally.err"
  tally=$(cat "$work/tally.addr")
}

# quorel-vendor on the address the build was configured to ask (the program has no other); its
# image searches ask websim's picture API when websim runs.
lib_start_vendor() {
  local links=$1
  vendor=$(sed -n 's/^QUOREL_VENDOR_HOST:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null)
  vendor=${vendor:-127.0.0.1:8480}
  if [[ "${LIB_SHARED_NET:-}" == 1 ]] && (exec 3<>"/dev/tcp/${vendor%:*}/${vendor##*:}") 2>/dev/null; then
    lib_fail "$vendor is taken and there is no private network to run in"
  fi
  local api=()
  [[ -n "${websim:-}" ]] && api=(--commons-api http://commons.test/w/api.php)
  env -u all_proxy -u ALL_PROXY -u HTTP_PROXY -u HTTPS_PROXY -u NO_PROXY \
    ${websim:+http_proxy=http://$websim https_proxy=http://$websim} no_proxy=127.0.0.1,localhost \
    "$build/quorel-vendor" --listen "$vendor" --links "$links" "${api[@]}" 2>"$work/vendor.log" &
  lib_pids+=($!)
  lib_wait_port "$vendor" $! quorel-vendor "$work/vendor.log"
}

# Copies the program into $work/bin (its logs go to the folder of the executable).
lib_install_quorel() {
  mkdir -p "$work/bin"
  cp "$build/quorel" "$work/bin/quorel"
  # The parse helper is found beside the program (builds before it have none).
  if [[ -x "$build/quorel-parse" ]]; then cp "$build/quorel-parse" "$work/bin/quorel-parse"; fi
  quorel_bin="$work/bin/quorel"
  status_log="$work/bin/quorel.log"
}

# Starts quorel (optionally under a wrapper given as arguments, e.g. valgrind) with its web
# traffic sent to PROXY: sets quorel_pid and quorel_started (seconds since the epoch).
lib_start_quorel() {
  local proxy=$1
  shift
  quorel_started=$(date +%s.%N)
  env -u all_proxy -u ALL_PROXY -u HTTP_PROXY -u HTTPS_PROXY -u NO_PROXY \
    http_proxy="http://$proxy" https_proxy="http://$proxy" no_proxy="127.0.0.1,localhost" \
    "$@" "$quorel_bin" >"$work/quorel.out" 2>&1 &
  quorel_pid=$!
  lib_pids+=("$quorel_pid")
}

# Lines of the status log that begin (after the time stamp) with TEXT.
lib_count() {
  [[ -f "$status_log" ]] || { echo 0; return; }
  grep -c -F -- "$1" "$status_log" || true
}

# Sum of utime+stime (and children) of PID in seconds.
lib_cpu_seconds() {
  python3 - "$1" <<'EOF'
import os, sys
fields = open("/proc/%s/stat" % sys.argv[1]).read().rsplit(")", 1)[1].split()
print("%.3f" % ((int(fields[11]) + int(fields[12]) + int(fields[13]) + int(fields[14])) / os.sysconf("SC_CLK_TCK")))
EOF
}
