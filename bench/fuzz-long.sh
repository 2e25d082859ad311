#!/usr/bin/env bash
# Long fuzzing runs of every harness (default 10 minutes each), same build and checks as
# scripts/fuzz-short.sh; the working corpora in build-fuzz/fuzz-corpus/ keep growing, so later
# short runs start from what this one found. Inputs may be larger (FUZZ_MAX_LEN, default 64 KiB)
# so that slow, quadratic cases show up as time-outs. Prints each harness's figures at the end.
#
# Usage: bench/fuzz-long.sh [seconds per harness (default 600)] [harness names...]
set -uo pipefail

src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FUZZ_BUILD:-$src/build-fuzz}
seconds=${1:-600}
shift || true
export FUZZ_MAX_LEN=${FUZZ_MAX_LEN:-65536}

mkdir -p "$build"
started=$build/.fuzz-long-started
touch "$started"
"$src/scripts/fuzz-short.sh" "$seconds" "$@"
status=$?

# Figures of the harnesses this run fuzzed (their logs are newer than its start).
for log in "$build"/fuzz-logs/*.log; do
  [[ $log -nt $started ]] || continue
  name=$(basename "$log" .log)
  runs=$(grep -m1 -o 'number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  speed=$(grep -m1 -o 'average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
  corpus=$(find "$build/fuzz-corpus/$name" -type f 2>/dev/null | wc -l)
  printf '%-14s runs %-10s exec/s %-7s coverage %-6s corpus %s\n' \
    "$name" "${runs:-?}" "${speed:-?}" "${cov:-?}" "$corpus"
done
exit $status
