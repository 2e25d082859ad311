#!/usr/bin/env bash
# The offline demo: the simulated internet (tools/websim), the link server on its link list, and
# the collage pointed at them through http_proxy. The two servers stop when the collage ends.
#
#   scripts/run-demo.sh [BUILD_DIR] [arguments for quorel...]
#
# WEBSIM_LISTEN   where websim listens (default 127.0.0.1:8481)
# VENDOR_LISTEN   where quorel-vendor listens (default: the address the build was configured
#                 with, QUOREL_VENDOR_HOST, normally 127.0.0.1:8480; the program only asks there)
# DEMO_LINKS      the link list (default data/links/websim.txt)
# DEMO_LOG_DIR    where the two servers' request logs go (default BUILD_DIR/demo)
# WEBSIM_ARGS     more websim arguments, e.g. "--faults" for a soak
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
shift || true

vendor_listen=${VENDOR_LISTEN:-}
if [[ -z "$vendor_listen" && -f "$build/CMakeCache.txt" ]]; then
  vendor_listen=$(sed -n 's/^QUOREL_VENDOR_HOST:STRING=//p' "$build/CMakeCache.txt")
fi
vendor_listen=${vendor_listen:-127.0.0.1:8480}
websim_listen=${WEBSIM_LISTEN:-127.0.0.1:8481}
links=${DEMO_LINKS:-$source_dir/data/links/websim.txt}
log_dir=${DEMO_LOG_DIR:-$build/demo}
mkdir -p "$log_dir"

for program in "$build/quorel" "$build/quorel-vendor"; do
  [[ -x "$program" ]] || { echo "run-demo: $program is missing; build first (make build)" >&2; exit 1; }
done

websim_pid=
vendor_pid=
stop_servers() {
  local pid
  for pid in $vendor_pid $websim_pid; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in $vendor_pid $websim_pid; do
    wait "$pid" 2>/dev/null || true
  done
}
trap stop_servers EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits until ADDRESS:PORT accepts connections, or the server behind PID has died.
wait_for_port() {
  local host=${1%:*} port=${1##*:} pid=$2 name=$3 log=$4
  for _ in $(seq 1 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "run-demo: $name did not start:" >&2
      tail -n 5 "$log" >&2
      exit 1
    fi
    if (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; then
      return 0
    fi
    sleep 0.1
  done
  echo "run-demo: $name is not answering on $1" >&2
  exit 1
}

python3 "$source_dir/tools/websim/websim.py" --listen "$websim_listen" ${WEBSIM_ARGS:-} \
  2>"$log_dir/websim.log" &
websim_pid=$!
wait_for_port "$websim_listen" "$websim_pid" websim "$log_dir/websim.log"

# The link server's image searches ask websim's picture API, through websim as a proxy.
env -u all_proxy -u ALL_PROXY -u HTTP_PROXY -u HTTPS_PROXY -u NO_PROXY \
  http_proxy="http://$websim_listen" https_proxy="http://$websim_listen" no_proxy="127.0.0.1,localhost" \
  "$build/quorel-vendor" --listen "$vendor_listen" --links "$links" \
  --commons-api http://commons.test/w/api.php 2>"$log_dir/vendor.log" &
vendor_pid=$!
wait_for_port "$vendor_listen" "$vendor_pid" quorel-vendor "$log_dir/vendor.log"

echo "run-demo: websim on $websim_listen, quorel-vendor on $vendor_listen ($links)"
echo "run-demo: request logs in $log_dir"

# Everything but the link server goes through websim; https too, so nothing leaves the machine.
status=0
env -u all_proxy -u ALL_PROXY -u HTTP_PROXY -u HTTPS_PROXY -u NO_PROXY \
  http_proxy="http://$websim_listen" https_proxy="http://$websim_listen" \
  no_proxy="127.0.0.1,localhost" \
  "$build/quorel" "$@" || status=$?
exit "$status"
