#!/usr/bin/env bash
# The offline demo: the simulated internet, the link server on its link list, and the
# collage pointed at them. The two servers stop when the collage ends.
set -euo pipefail
build=${1:-build}
exec "$build/quorel" "${@:2}"
