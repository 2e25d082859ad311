#!/usr/bin/env bash
# Robustness: quorel in websim with its faults on (never-answering and dripping servers,
# resets, redirect loops, a 100 MB page, a gzip bomb, broken and fake pictures, a page of
# 20,000 links and 5,000 pictures), the fault host's addresses in the link list, and every
# third page swapped for one of the hostile corpus (scripts/make-hostile-corpus).
# RSS, PSS, CPU, open files, threads, parse helpers started and pictures shown are sampled
# every 10 s into samples.csv; soak.png draws them.
#
#   bench/soak.sh [BUILD_DIR] [SECONDS] [--short]     (defaults: build-bench or build, 600)
#
# SOAK_LINKS=FILE takes another link list (data/links/websim-many.txt: the 20,000-link page alone).
#
# Passes when the program is still running at the end and was never killed by a signal,
# and, unless --short: pictures appeared in every whole minute, RSS at the end is within 5 %
# of its value at 30 minutes (at minute 2 in runs under 40 minutes), and the lowest count of
# open files and of threads in the last ten minutes is no higher than in the ten minutes after
# that reference. --short (the end-to-end test) only asks for a few pictures
# (waiting up to 150 s more for them: hanging servers can hold the first crawls up).
# Results go to BUILD_DIR/bench-results/soak-TIME/ (summary.md, samples.csv, logs).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
seconds=${2:-600}
mode=${3:-}
lib_name=soak
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
lib_need Xvfb xdpyinfo python3 convert
lib_need_built
lib_private_net "$0" "$build" "$seconds" "$mode"

if [[ "$mode" == --short ]]; then
  out=$(mktemp -d)
  keep_out=0
else
  out=${BENCH_OUT:-$build/bench-results/soak-$(date +%Y%m%d-%H%M%S)}
  mkdir -p "$out"
  # shellcheck disable=SC2034  # read by the EXIT trap
  keep_out=1
fi
work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"; ((keep_out)) || rm -rf "$out"' EXIT
echo "load at start: $(cut -d' ' -f1-3 /proc/loadavg)" >"$out/run.txt"

python3 "$source_dir/scripts/make-hostile-corpus" "$work/corpus"
lib_start_xvfb
lib_sandbox_home
lib_start_websim --faults --hostile "$work/corpus"
lib_start_vendor "${SOAK_LINKS:-$source_dir/data/links/websim-faults.txt}"
lib_install_quorel
lib_start_quorel "$websim"

lib_note "soaking for $seconds s"
python3 "$source_dir/bench/sampler.py" --out "$out/samples.csv" --interval 10 --duration "$seconds" \
  --proc quorel "$quorel_pid" "$status_log" "[I-BrowseComplete] http" "$quorel_started"
# A short run on a slow machine may need a little longer for its first few pictures.
if [[ "$mode" == --short ]]; then
  for _ in $(seq 300); do
    (($(lib_count "[I-BrowseComplete] http") >= 3)) && break
    kill -0 "$quorel_pid" 2>/dev/null || break
    sleep 0.5
  done
fi
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$out/run.txt"

# Where the resident memory is at the end, by kind of mapping.
if kill -0 "$quorel_pid" 2>/dev/null; then
  python3 - "$quorel_pid" >"$out/memory-end.txt" <<'SMAPS' || true
import collections, re, sys
kinds = collections.Counter()
kind = None
for line in open("/proc/%s/smaps" % sys.argv[1]):
    if re.match(r"[0-9a-f]+-[0-9a-f]+ ", line):
        fields = line.split()
        name = fields[5] if len(fields) > 5 else ""
        kind = ("X server shared memory" if name.startswith("/memfd") else
                "shared libraries and program" if name.startswith("/") else "heap, stacks and anonymous")
    elif line.startswith("Rss:"):
        kinds[kind] += int(line.split()[1])
print("RSS MB at the end by kind: " + ", ".join("%s %.1f" % (k, v / 1024) for k, v in kinds.most_common()))
SMAPS
fi

alive=1
kill -0 "$quorel_pid" 2>/dev/null || alive=0
rc=-
if ((!alive)); then
  rc=0
  wait "$quorel_pid" || rc=$?
fi
cp "$status_log" "$out/quorel.log" 2>/dev/null || touch "$out/quorel.log"
cp "$work/websim.log" "$out/websim.log"
cp "$work/quorel.out" "$out/quorel.out"
[[ -f "$out/memory-end.txt" ]] && cat "$out/memory-end.txt"

status=0
python3 - "$out" "$alive" "$rc" "$mode" <<'EOF' | tee "$out/summary.md" || status=$?
import csv, os, re, sys
out, alive, rc, mode = sys.argv[1], sys.argv[2] == "1", sys.argv[3], sys.argv[4]
samples = [r for r in csv.DictReader(open(os.path.join(out, "samples.csv")))]
log = open(os.path.join(out, "quorel.log"), errors="replace").read().splitlines()
texts = [re.sub(r"^\d\d/\d\d/\d\d \d\d:\d\d:\d\d ", "", line) for line in log]
shown = sum(1 for t in texts if t.startswith("[I-BrowseComplete] http"))
problems = []
if not alive:
    problems.append("quorel ended (status %s)" % rc)
if mode == "--short":
    if shown < 3:
        problems.append("only %d pictures shown" % shown)
else:
    per_minute = []
    for minute in range(1, int(float(samples[-1]["seconds"]) // 60) + 1):
        at = [r for r in samples if float(r["seconds"]) <= minute * 60]
        before = [r for r in samples if float(r["seconds"]) <= (minute - 1) * 60]
        if at:
            per_minute.append(int(at[-1]["images"]) - (int(before[-1]["images"]) if before else 0))
    if any(n == 0 for n in per_minute):
        problems.append("a minute without pictures: %s" % per_minute)
    reference_s = 1800 if float(samples[-1]["seconds"]) >= 2400 else 120
    t_end = float(samples[-1]["seconds"])

    # Lowest value over ten minutes: a huge page's parse is a passing peak, not growth.
    def floor(column, start):
        window = [int(r[column]) for r in samples if start <= float(r["seconds"]) < start + 600]
        return min(window) if window else None
    growth = None
    rss_ref, rss_end = floor("rss_kib", reference_s), floor("rss_kib", t_end - 600)
    if rss_ref is not None:
        growth = 100 * (rss_end - rss_ref) / rss_ref
        if abs(growth) >= 5:
            problems.append("RSS moved %+.1f %% from minute %d to the end" % (growth, reference_s // 60))
        for column in ("fds", "threads"):
            at_ref, at_end = floor(column, reference_s), floor(column, t_end - 600)
            if at_end > at_ref:
                problems.append("%s grew from %d to %d" % (column, at_ref, at_end))
tags = {}
for t in texts:
    m = re.match(r"(\[[^\]]*\]?[^ ]*)", t)
    if m:
        tags[m.group(1)] = tags.get(m.group(1), 0) + 1
faults = {}
for line in open(os.path.join(out, "websim.log"), errors="replace"):
    m = re.search(r" (fault|injected)=(\w+)", line)
    if m:
        faults[m.group(2)] = faults.get(m.group(2), 0) + 1
print("Soak: %.0f s, %d pictures shown, quorel %s" % (float(samples[-1]["seconds"]) if samples else 0, shown,
      "running" if alive else "ENDED (%s)" % rc))
if samples:
    rss = [int(r["rss_kib"]) / 1024 for r in samples]
    print("RSS MB: start %.1f, min %.1f, max %.1f, end %.1f; CPU %.1f s" % (rss[0], min(rss), max(rss), rss[-1],
          float(samples[-1]["cpu_s"])))
if mode != "--short":
    print("pictures per minute: %s" % per_minute)
    if growth is not None:
        print("RSS (lowest of ten minutes) minute %d -> end: %+.1f %%" % (reference_s // 60, growth))
    for column in ("fds", "threads"):
        values = [int(r[column]) for r in samples if float(r["seconds"]) >= reference_s]
        if values:
            print("%s from minute %d: min %d, max %d, end %d" % (column, reference_s // 60, min(values),
                  max(values), values[-1]))
    print("parse helpers started: %s" % samples[-1]["helpers_started"])
    print("pictures in the last minute: %d" % (per_minute[-1] if per_minute else 0))
    # What is held between pages: a huge page's parse is a passing peak, given back within 20 s.
    floors = []
    for minute in range(int(float(samples[-1]["seconds"]) // 60) + 1):
        held = [int(r["rss_kib"]) / 1024 for r in samples if minute * 60 <= float(r["seconds"]) < (minute + 1) * 60]
        if held:
            floors.append(round(min(held), 1))
    print("lowest RSS MB of each minute: %s" % floors)
    # Least-squares slope of those floors from minute 2 on: growth, whatever is on screen.
    later = list(enumerate(floors))[2:]
    if len(later) >= 3:
        mx = sum(m for m, _ in later) / len(later)
        my = sum(f for _, f in later) / len(later)
        slope = sum((m - mx) * (f - my) for m, f in later) / sum((m - mx) ** 2 for m, _ in later)
        print("trend of the lowest RSS from minute 2: %+.2f MB per minute" % slope)
    ten = next((r for r in samples if int(r["images"]) >= 10), None)
    if ten is not None:
        print("RSS growth from the tenth picture (%.0f s) to the end: %+.1f %%" % (float(ten["seconds"]),
              100 * (int(samples[-1]["rss_kib"]) - int(ten["rss_kib"])) / int(ten["rss_kib"])))
print("faults served: " + ", ".join("%s %d" % kv for kv in sorted(faults.items())))
print("status lines by tag: " + ", ".join("%s %d" % kv for kv in sorted(tags.items(), key=lambda kv: -kv[1])))
print("PASS" if not problems else "FAIL: " + "; ".join(problems))
sys.exit(1 if problems else 0)
EOF
if [[ "$mode" != --short ]]; then
  python3 "$source_dir/bench/plot_soak.py" "$out/samples.csv" "$out/soak.png" \
    --title "quorel in websim with faults and hostile pages" || true
fi
exit "$status"
