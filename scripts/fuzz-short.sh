#!/usr/bin/env bash
# Builds the libFuzzer harnesses (fuzz/) with clang into build-fuzz and runs each one for a
# bounded time: first the kept crash inputs of fuzz/regressions/<harness>/ (they must pass),
# then fresh fuzzing from the seeds of fuzz/corpus/<harness>/. Exits non-zero when any harness
# crashes, leaks, times out or breaks one of its checks; the input is kept under
# build-fuzz/fuzz-findings/<harness>/ and the log under build-fuzz/fuzz-logs/.
#
# Usage: scripts/fuzz-short.sh [seconds per harness (default 20)] [harness names...]
# Environment: FUZZ_BUILD (build folder), JOBS (build jobs, default 2), FUZZ_MAX_LEN (largest
# input in bytes, default 4096).
set -euo pipefail

src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FUZZ_BUILD:-$src/build-fuzz}
seconds=${1:-20}
shift || true
jobs=${JOBS:-2}
max_len=${FUZZ_MAX_LEN:-4096}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" \
  -DCMAKE_CXX_COMPILER=clang++ -DQUOREL_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target fuzzers

if (($# > 0)); then
  names=("$@")
else
  names=()
  for binary in "$build"/fuzz/*_fuzzer; do
    name=${binary##*/}
    names+=("${name%_fuzzer}")
  done
fi

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/fuzz-logs"
failed=()
for name in "${names[@]}"; do
  binary=$build/fuzz/${name}_fuzzer
  [[ -x $binary ]] || { echo "fuzz: no harness $name" >&2; failed+=("$name"); continue; }
  corpus=$build/fuzz-corpus/$name       # grows from run to run; the seeds stay untouched
  findings=$build/fuzz-findings/$name
  log=$build/fuzz-logs/$name.log
  mkdir -p "$corpus" "$findings"

  regressions=("$src/fuzz/regressions/$name"/*)
  if [[ -e ${regressions[0]} ]]; then
    if ! (cd "$findings" && "$binary" -runs=1 "${regressions[@]}") >"$log.regressions" 2>&1; then
      echo "fuzz: $name: a kept crash input fails again (see $log.regressions)" >&2
      failed+=("$name")
      continue
    fi
  fi

  # libFuzzer writes new inputs into the first folder only: the working corpus.
  if (cd "$findings" && "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$corpus" "$src/fuzz/corpus/$name") >"$log" 2>&1; then
    runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
    echo "fuzz: $name: ok, ${runs:-?} runs in ${seconds}s"
  else
    echo "fuzz: $name: FOUND A FAULT; input in $findings, log $log" >&2
    grep -m1 -E 'ERROR: |runtime error|fuzz check failed|deadly signal' "$log" >&2 || tail -5 "$log" >&2
    failed+=("$name")
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzz: faults in: ${failed[*]}" >&2
  exit 1
fi
