#!/usr/bin/env bash
# Instructions per crawl cycle: quorel under callgrind in websim until it has shown N pictures,
# then the program's total and the inclusive costs of the page handlers, per picture shown
# and per call (call counts from the function log).
#
#   bench/callgrind.sh [BUILD_DIR] [PICTURES]        (defaults: build-bench or build, 20)
#
# Results go to BUILD_DIR/bench-results/callgrind-TIME/ (callgrind.out, annotate.txt,
# summary.md). Under callgrind the program runs some 50 times slower; allow 10-20 minutes.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
pictures=${2:-20}
lib_name=callgrind
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
lib_need valgrind callgrind_annotate Xvfb xdpyinfo python3
lib_private_net "$0" "$build" "$pictures"

out=${BENCH_OUT:-$build/bench-results/callgrind-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"' EXIT
echo "load at start: $(cut -d' ' -f1-3 /proc/loadavg)" >"$out/run.txt"

lib_start_xvfb
lib_sandbox_home
lib_start_websim --seed 1
lib_start_vendor "$source_dir/data/links/websim.txt"
lib_install_quorel
lib_start_quorel "$websim" valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
  --log-file="$out/valgrind.log"

shown() { lib_count '[I-BrowseComplete] http'; }
lib_note "waiting for $pictures pictures under callgrind"
deadline=$((SECONDS + ${BENCH_TIMEOUT:-2400}))
while (($(shown) < pictures)); do
  kill -0 "$quorel_pid" 2>/dev/null || lib_fail "quorel ended under callgrind: $(tail -n 5 "$out/valgrind.log")"
  ((SECONDS < deadline)) || { lib_note "timed out with $(shown) pictures"; break; }
  sleep 2
done
kill -TERM "$quorel_pid"
for _ in $(seq 600); do kill -0 "$quorel_pid" 2>/dev/null || break; sleep 0.1; done
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$out/run.txt"
cp "$status_log" "$out/quorel.log"
cp "$work/bin/function.log" "$out/function.log" 2>/dev/null || true
[[ -s "$out/callgrind.out" ]] || lib_fail "no profile written ($out/valgrind.log)"

callgrind_annotate --inclusive=yes --threshold=100 "$out/callgrind.out" >"$out/annotate.txt"
python3 "$source_dir/bench/callgrind_summary.py" "$out" | tee "$out/summary.md"
