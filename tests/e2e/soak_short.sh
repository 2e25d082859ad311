#!/usr/bin/env bash
# A short soak: 90 seconds in websim with its faults on (hanging and dripping servers, resets,
# redirect loops, huge and bomb pages, broken pictures); the program must still be running
# at the end and have shown a few pictures. The ten-minute version is bench/soak.sh.
set -euo pipefail
build=$(cd "${1:?build dir}" && pwd)
source_dir=$(cd "${2:?source dir}" && pwd)
exec bash "$source_dir/bench/soak.sh" "$build" 90 --short
