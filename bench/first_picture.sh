#!/usr/bin/env bash
# Start to first picture: quorel is started RUNS times in websim, each time in a fresh home,
# and timed from its start to the first "[I-BrowseComplete] " of a picture (polled ten times a
# second); then stopped. Once on the demo's link list, once on a list of pictures only (the
# floor the pacing timer sets: the first crawl starts when it first fires).
#
#   bench/first_picture.sh [BUILD_DIR] [RUNS]        (defaults: build-bench or build, 10)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
runs=${2:-10}
lib_name=first_picture
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
lib_private_net "$0" "$build" "$runs"

out=${BENCH_OUT:-$build/bench-results/first-picture-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"' EXIT
echo "load at start: $(cut -d' ' -f1-3 /proc/loadavg)" >"$out/run.txt"

lib_start_xvfb
lib_start_websim --seed 1
grep -E '^http://site1\.test/images/' "$source_dir/data/links/websim-faults.txt" >"$work/pictures.txt"

for list in websim pictures; do
  links=$source_dir/data/links/websim.txt
  [[ $list == pictures ]] && links=$work/pictures.txt
  lib_start_vendor "$links"
  vendor_pid=${lib_pids[-1]}
  for run in $(seq "$runs"); do
    rm -rf "${work:?}/home" "${work:?}/run" "${work:?}/bin"
    lib_sandbox_home
    lib_install_quorel
    lib_start_quorel "$websim"
    seconds=-
    for _ in $(seq 600); do
      if grep -q -F '[I-BrowseComplete] http' "$status_log" 2>/dev/null; then
        seconds=$(python3 -c "import time; print('%.2f' % (time.time() - $quorel_started))")
        break
      fi
      kill -0 "$quorel_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -TERM "$quorel_pid" 2>/dev/null || true
    wait "$quorel_pid" 2>/dev/null || true
    unset 'lib_pids[-1]'
    echo "$list $run $seconds" | tee -a "$out/times.txt"
  done
  kill -TERM "$vendor_pid"
  wait "$vendor_pid" 2>/dev/null || true
  kept=()
  for pid in "${lib_pids[@]}"; do [[ "$pid" == "$vendor_pid" ]] || kept+=("$pid"); done
  lib_pids=("${kept[@]}")
done
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$out/run.txt"

python3 - "$out/times.txt" <<'EOF' | tee "$out/summary.md"
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    name, _, value = line.split()
    runs.setdefault(name, []).append(None if value == "-" else float(value))
for name, values in runs.items():
    got = sorted(v for v in values if v is not None)
    if not got:
        print("%s: no picture in any run" % name)
        continue
    print("%s link list: %d runs, first picture after median %.2f s (min %.2f, max %.2f; %d of %d within 6 s)"
          % (name, len(values), statistics.median(got), got[0], got[-1], sum(v <= 6 for v in got), len(values)))
EOF
