#!/usr/bin/env bash
# The UI thread while the program crawls a hostile world: websim answers every third page with
# a page of the hostile corpus (scripts/make-hostile-corpus). A 10 ms timer in the program
# (QUOREL_STALL_LOG) records its worst lateness each second; RSS of the program and of its
# parse helper is sampled every 2 s.
#
#   bench/stall.sh [BUILD_DIR] [SECONDS]        (defaults: build-bench or build, 300)
#
# Results go to BUILD_DIR/bench-results/stall-TIME/ (summary.txt, stall.log, samples.csv).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
seconds=${2:-300}
lib_name=stall
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
lib_need Xvfb xdpyinfo python3 convert
lib_need_built
lib_private_net "$0" "$build" "$seconds"

out=${BENCH_OUT:-$build/bench-results/stall-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"' EXIT

python3 "$source_dir/scripts/make-hostile-corpus" "$work/corpus"
lib_start_xvfb
lib_sandbox_home
lib_start_websim --seed 1 --hostile "$work/corpus"
lib_start_vendor "$source_dir/data/links/websim.txt"
lib_install_quorel
export QUOREL_STALL_LOG=$out/stall.log
lib_start_quorel "$websim"
lib_note "crawling for $seconds s (results in $out)"
python3 "$source_dir/bench/sampler.py" --out "$out/samples.csv" --interval 2 --duration "$seconds" \
  --proc quorel "$quorel_pid" "$status_log" "[I-BrowseComplete] http" "$quorel_started"
alive=yes
kill -0 "$quorel_pid" 2>/dev/null || alive=no
cp "$status_log" "$out/quorel.log"
cp "$work/quorel.out" "$out/quorel.out"
cp "$work/websim.log" "$out/websim.log"
lib_cleanup

python3 - "$out" "$alive" "$seconds" <<'PY' | tee "$out/summary.txt"
import csv, sys
out, alive, seconds = sys.argv[1], sys.argv[2], sys.argv[3]
worst = sorted(int(line.split()[1]) for line in open(out + "/stall.log") if line.strip())
rows = list(csv.DictReader(open(out + "/samples.csv")))
program = [(int(r["rss_kib"]) - int(r["helper_private_kib"])) / 1024 for r in rows]
helper = [int(r["helper_rss_kib"]) / 1024 for r in rows]
restarts = sum("parse helper" in line for line in open(out + "/quorel.out", errors="replace"))
log = open(out + "/websim.log", errors="replace").read().splitlines()
hostile = sum(line.endswith(" hostile") for line in log)
pages = sum(" GET " in line and "html" in line for line in log)
def pct(p):
    return worst[min(len(worst) - 1, int(len(worst) * p))] if worst else -1
print("seconds: %s, program still running: %s" % (seconds, alive))
print("UI-thread stall (worst lateness of a 10 ms timer): max %d ms; per-second worst: median %d, 99th %d ms; seconds over 250 ms: %d"
      % (worst[-1] if worst else -1, pct(0.5), pct(0.99), sum(w > 250 for w in worst)))
print("RSS of the program: max %.1f MB, end %.1f MB" % (max(program), program[-1]))
print("RSS of the parse helper: max %.1f MB, end %.1f MB" % (max(helper), helper[-1]))
print("pictures shown: %s; pages served: %d, of which hostile: %d; helper restarts: %d"
      % (rows[-1]["images"], pages, hostile, restarts))
PY
