#!/usr/bin/env bash
# Auto-save end to end: every picture shown is saved into the folder under a time-stamped
# name (yyyymmdd-hhnnss, -1, -2 ... when the second is taken, then the address's extension),
# byte for byte what the web served, with no temporary files left beside them.
# Usage: autosave.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init autosave "$@"

grep '^http://site1\.test/' "$source_dir/data/links/websim.txt" >"$tmp/links.txt" ||
  lib_fail "no site1.test entries in data/links/websim.txt"
saved="$tmp/saved pictures"
mkdir -p "$saved"
e2e_start "$tmp/links.txt" "AutosaveMode=1" "AutosavePath=$saved"

e2e_wait_log "[Saving] " 100 4 ||
  lib_fail "fewer than 4 pictures saved in 100 s ($(lib_count "[Saving] ") saved, $(lib_count "[I-BrowseComplete] http") shown;" \
    "last lines: $(e2e_status_lines | tail -n 5 | tr '\n' ' '))"

# Hold the program still between saves: a save is finished once any line follows its own, or
# once its file is in place with nothing else (no temporary file) beside it.
save_finished() {
  local last
  last=$(e2e_status_lines | tail -n 1)
  [[ "$last" != "[Saving] "* ]] && return 0
  [[ -f "${last#\[Saving\] }" ]] || return 1
  [[ $(find "$saved" -mindepth 1 | wc -l) -eq $(lib_count "[Saving] ") ]]
}
settled=""
for _ in $(seq 80); do
  kill -STOP "$quorel_pid"
  if save_finished; then settled=1; break; fi
  kill -CONT "$quorel_pid"
  sleep 0.25
done
[[ -n "$settled" ]] || lib_fail "the program never stood still between two saves"

failures=()
# "[Fetching] ADDRESS" then "[Saving] PATH" for each picture.
pairs=$(e2e_status_lines | awk '
  /^\[Fetching\] / { address = substr($0, 12); next }
  /^\[Saving\] / { print address "\t" substr($0, 10); address = "" }')
today=$(date +%Y%m%d)
yesterday=$(date -d yesterday +%Y%m%d)
checked=0
while IFS=$'\t' read -r address path; do
  name=${path##*/}
  [[ "${path%/*}" == "$saved" ]] || failures+=("saved outside the folder: $path")
  [[ "$name" =~ ^([0-9]{8})-[0-2][0-9][0-5][0-9][0-5][0-9](-[1-9][0-9]*)?(\.[A-Za-z0-9]+)$ ]] ||
    failures+=("not a time-stamped name: $name")
  [[ "${BASH_REMATCH[1]:-}" == "$today" || "${BASH_REMATCH[1]:-}" == "$yesterday" ]] ||
    failures+=("not today's date: $name")
  [[ "${BASH_REMATCH[3]:-}" == ".${address##*.}" ]] || failures+=("$name does not keep the extension of $address")
  [[ -f "$path" ]] || { failures+=("logged but missing: $path"); continue; }
  e2e_fetch "$address" "$tmp/served" || { failures+=("websim does not serve $address"); continue; }
  cmp -s "$path" "$tmp/served" ||
    failures+=("$name ($(stat -c %s "$path") bytes) differs from $address ($(stat -c %s "$tmp/served") bytes)")
  checked=$((checked + 1))
done <<<"$pairs"

logged=$(cut -f2 <<<"$pairs" | sort)
while IFS= read -r file; do
  grep -qxF "$file" <<<"$logged" || failures+=("a file no save logged: ${file##*/}")
done < <(find "$saved" -mindepth 1 | sort)
kill -CONT "$quorel_pid"

echo "autosave: $checked saved pictures compared with what websim serves; folder: $(find "$saved" -type f | wc -l) files"
if ((${#failures[@]})); then
  printf 'autosave: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "autosave: PASS"
