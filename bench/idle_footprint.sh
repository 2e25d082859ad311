#!/usr/bin/env bash
# What quorel-idle costs while it waits: its memory (VmHWM, VmRSS) and the CPU seconds it used
# in SECONDS of watching, on X11 (Xvfb, where it looks at the idle time now and then) and on a
# Wayland compositor that only sends events (the test stub offering ext-idle-notify-v1).
#
#   bench/idle_footprint.sh [BUILD_DIR] [SECONDS]          (defaults: build, 30)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
seconds=${2:-30}
lib_name=idle_footprint
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
lib_need Xvfb xdpyinfo python3
[[ -x "$build/quorel-idle" && -x "$build/idle_notifier_stub" ]] || lib_fail "quorel-idle is not built in $build"

work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# Watches for SECONDS with the default threshold (10 minutes: nothing starts), then reports.
measure() {
  local where=$1 pid
  "$build/quorel-idle" >"$work/idle.out" 2>&1 &
  pid=$!
  lib_pids+=("$pid")
  sleep 2  # started, and settled
  local before
  before=$(lib_cpu_seconds "$pid")
  sleep "$seconds"
  kill -0 "$pid" 2>/dev/null || lib_fail "$where: quorel-idle ended: $(cat "$work/idle.out")"
  printf '%-8s %s  cpu %.3f s in %d s\n' "$where" \
    "$(grep -E '^Vm(HWM|RSS)' "/proc/$pid/status" | tr -s ' \t' ' ' | paste -sd ' ')" \
    "$(awk -v a="$before" -v b="$(lib_cpu_seconds "$pid")" 'BEGIN { print b - a }')" "$seconds"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

lib_start_xvfb
(unset WAYLAND_DISPLAY && measure x11)
lib_cleanup
"$build/idle_notifier_stub" quorel-bench >"$work/stub.log" 2>&1 &
lib_pids+=("$!")
sleep 1
(unset DISPLAY && WAYLAND_DISPLAY=quorel-bench measure wayland)
