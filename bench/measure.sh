#!/usr/bin/env bash
# Speed, memory and traffic of quorel at its normal pace, side by side with a peer collage
# program (xscreensaver's webcollage, writing its collage to a file) in the same run, on the
# same simulated internet and the same pictures; then quorel's memory with all ten slots
# showing 800x600 pictures.
#
#   bench/measure.sh [BUILD_DIR] [SECONDS]        (defaults: build-bench or build, 600)
#
# Everything runs in a network namespace with loopback only. Results go to
# BUILD_DIR/bench-results/measure-TIME/ (summary.md, samples.csv, request logs, status log).
# BENCH_PEER=0 leaves the peer out; BENCH_FILL_SECONDS bounds the 800x600 phase (default 180);
# BENCH_WRAP is put before quorel's command (e.g. "env MALLOC_MMAP_THRESHOLD_=65536").
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
seconds=${2:-600}
lib_name=measure
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
build=$(lib_build_dir "${1:-}")
peer=${BENCH_PEER:-1}
fill_seconds=${BENCH_FILL_SECONDS:-180}
lib_need Xvfb xdpyinfo python3
lib_need_built
peer_script=/usr/libexec/xscreensaver/webcollage
if [[ "$peer" == 1 && ! -x "$peer_script" ]]; then
  if [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    lib_note "installing the peer (xscreensaver-screensaver-webcollage)"
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
      xscreensaver-screensaver-webcollage >&2 || lib_fail "could not install the peer"
  else
    lib_fail "the peer is missing: apt-get install xscreensaver-screensaver-webcollage (or BENCH_PEER=0)"
  fi
fi

lib_private_net "$0" "$build" "$seconds"

out=${BENCH_OUT:-$build/bench-results/measure-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
work=$(mktemp -d)
trap 'lib_cleanup; rm -rf "$work"' EXIT

{
  echo "date: $(date -Is)"
  echo "commit: $(git -C "$source_dir" rev-parse --short HEAD 2>/dev/null || echo -)"
  echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores"
  echo "load at start: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "seconds: $seconds"
} >"$out/run.txt"

lib_start_xvfb
lib_sandbox_home
lib_start_websim --seed 1
lib_start_vendor "$source_dir/data/links/websim.txt"
lib_start_tally "$websim" "$out/quorel-requests.log"
quorel_proxy=$tally
lib_install_quorel

procs=()
if [[ "$peer" == 1 ]]; then
  python3 "$source_dir/bench/search_fake.py" --upstream "${websim%:*}:${websim##*:}" \
    --ready-file "$work/fake.addr" 2>"$work/fake.log" &
  lib_pids+=($!)
  lib_wait_file "$work/fake.addr" $! search_fake "$work/fake.log"
  lib_start_tally "$(cat "$work/fake.addr")" "$out/peer-requests.log"
  peer_proxy=$tally
  # It drops https_proxy and its proxy option covers http only: a copy that asks over http.
  sed 's@https://@http://@g' "$peer_script" >"$work/webcollage"
  # Its dictionary: plain words of websim's prose.
  python3 - "$source_dir/tools/websim" >"$work/words" <<'EOF'
import re, sys
sys.path.insert(0, sys.argv[1])
import content
words = sorted({w.lower() for p in content.paragraphs() for w in re.findall(r"[A-Za-z]{4,}", p)})
print("\n".join(words))
EOF
fi

# shellcheck disable=SC2086
lib_start_quorel "$quorel_proxy" ${BENCH_WRAP:-}
procs+=(--proc quorel "$quorel_pid" "$status_log" "[I-BrowseComplete] http" "$quorel_started")
if [[ "$peer" == 1 ]]; then
  peer_started=$(date +%s.%N)
  (cd "$work" && exec perl "$work/webcollage" -v --imagemap "$work/collage" --size 1280x1024 \
    --http-proxy "$peer_proxy" --dictionary "$work/words" >"$out/peer.out" 2>"$out/peer.err") &
  peer_pid=$!
  lib_pids+=("$peer_pid")
  procs+=(--proc peer "$peer_pid" "$out/peer.out" "image: " "$peer_started")
fi

lib_note "cycling for $seconds s (results in $out)"
python3 "$source_dir/bench/sampler.py" --out "$out/samples.csv" --interval 10 --duration "$seconds" \
  --first-out "$out/first.txt" "${procs[@]}"
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$out/run.txt"
kill -0 "$quorel_pid" 2>/dev/null || echo "quorel: ENDED before the end of the run" >>"$out/run.txt"
cp "$status_log" "$out/quorel.log"
grep -h -v '^\s*$' "$work/vendor.log" >"$out/vendor.log" || true
lib_cleanup

# Phase two: every picture 800x600, so all ten slots hold one; memory once all ten are shown.
lib_note "ten slots of 800x600 pictures (up to $fill_seconds s)"
rm -rf "${work:?}/home" "${work:?}/run" "${work:?}/bin"
lib_start_xvfb
lib_sandbox_home
lib_start_websim --seed 1
for k in $(seq 0 29); do echo "http://bench.test/img/$k.png|0|http://bench.test/"; done >"$work/fill.txt"
lib_start_vendor "$work/fill.txt"
lib_start_tally "$websim" "$out/fill-requests.log" --pictures 30
lib_install_quorel
# shellcheck disable=SC2086
lib_start_quorel "$tally" ${BENCH_WRAP:-}
python3 "$source_dir/bench/sampler.py" --out "$out/fill-samples.csv" --interval 5 --duration "$fill_seconds" \
  --proc quorel "$quorel_pid" "$status_log" "[I-BrowseComplete] http" "$quorel_started"
cp "$status_log" "$out/fill-quorel.log"
lib_cleanup

python3 "$source_dir/bench/summarize.py" "$out" | tee "$out/summary.md"
