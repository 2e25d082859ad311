#!/usr/bin/env bash
# The collage on screen: crawled pictures appear over the black window, the status log records
# loaded images (picks: crawl.sh) and no trapped failure, and however many pictures have come,
# no more than ten panels are on screen. (Other screens: startup.sh, monitors.sh, wayland.sh;
# pictures larger than the window: tests/display/display_slots_test.cpp.) With auto-save on,
# every picture shown is saved into the folder under a time-stamped name (yyyymmdd-hhnnss, -1,
# -2 ... when the second is taken, then the address's extension when it names the format of the
# bytes, else that format's own), byte for byte what the web served, with no temporary files
# left beside them, and labelled with its address (user.xdg.origin.url) and the page it was
# found on where there was one (user.xdg.referrer.url). Screenshots: BUILD_DIR/e2e-collage*.png.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init collage "$@"
e2e_need curl
lit=0

# The well-behaved gallery of the demo's link list: pages a few links deep and pictures; its
# pictures alone (one more on screen every cycle).
grep '^http://site1\.test/' "$source_dir/data/links/websim.txt" >"$tmp/links.txt"
grep '^http://site1\.test/images/.*|0|' "$tmp/links.txt" >"$tmp/pictures.txt"

# Display loads that ended in a picture shown: completions not refused for their size.
pictures_shown() {
  e2e_status_lines | awk '
    /^\[I-BrowseComplete\] http/ { pending = 1; next }
    pending && /^\[IBadImage\]/ { pending = 0; next }
    pending { shown++; pending = 0 }
    END { print shown + pending }'
}

# --- a full screen, saving what it shows -----------------------------------------------------------
saved="$tmp/saved pictures"
mkdir -p "$saved"
e2e_start "$tmp/links.txt" "AutosaveMode=1" "AutosavePath=$saved"
e2e_wait_log "[I-BrowseComplete] http" 150 3 || failures+=("full screen: fewer than 3 images loaded for display")
# More than the bottom strip (logo, clock, address box) is lit once a panel has decoded its
# picture, a moment after its page completed.
lit_top() { e2e_alive && e2e_screenshot collage && lit=$(e2e_lit_pixels "$work/collage.png" 1280x924+0+0) && ((lit > 5000)); }
E2E_POLL=1 e2e_until 20 lit_top || failures+=("the screen is black above the bottom strip ($lit lit pixels)")
errors=$(e2e_status_lines | grep -F '[ERROR]' | head -n 3 || true)
[[ -z "$errors" ]] || failures+=("the status log has [ERROR] lines: $errors")
echo "collage: $lit lit pixels above the bottom strip, $(pictures_shown) pictures shown"
e2e_wait_log "[Saving] " 100 4 || failures+=("fewer than 4 pictures saved ($(lib_count "[Saving] "))")

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
# "[Fetching] ADDRESS" then "[Saving] PATH" for each picture.
pairs=$(e2e_status_lines | awk '
  /^\[Fetching\] / { address = substr($0, 12); next }
  /^\[Saving\] / { print address "\t" substr($0, 10); address = "" }')
days="$(date +%Y%m%d) $(date -d yesterday +%Y%m%d)"
# The endings a file of these bytes may have, the usual one first.
endings_for() {
  case $(head -c 4 "$1" | od -An -tx1 | tr -d ' \n') in
    ffd8ff*) echo ".jpg .jpeg .jpe .jfif" ;;
    89504e47) echo ".png" ;;
    47494638) echo ".gif" ;;
    *) echo "unknown" ;;
  esac
}
# An extended attribute of a file ("" when it has none).
attribute() {
  python3 -c 'import os, sys
try: print(os.getxattr(sys.argv[1], sys.argv[2]).decode())
except OSError: print("")' "$1" "$2"
}
referrers=0
while IFS=$'\t' read -r address path; do
  name=${path##*/}
  [[ "${path%/*}" == "$saved" ]] || failures+=("saved outside the folder: $path")
  [[ "$name" =~ ^([0-9]{8})-[0-2][0-9][0-5][0-9][0-5][0-9](-[1-9][0-9]*)?(\.[A-Za-z0-9]+)$ &&
    " $days " == *" ${BASH_REMATCH[1]} "* ]] || failures+=("not named for today's time: $name")
  ending=${BASH_REMATCH[3]:-}
  endings=$(endings_for "$path")
  own=$(tr '[:upper:]' '[:lower:]' <<<".${address##*.}")
  if [[ " $endings " == *" $own "* ]]; then
    [[ "$ending" == ".${address##*.}" ]] || failures+=("$name does not keep the extension of $address")
  else
    [[ "$ending" == "${endings%% *}" ]] || failures+=("$name is not named for its bytes ($endings)")
  fi
  # (A folder whose file system keeps no attributes says so in one line instead.)
  e2e_status_lines | grep -qF "[SaveOrigin] not kept with $name:" ||
    [[ $(attribute "$path" user.xdg.origin.url) == "$address" ]] ||
    failures+=("$name does not remember its address $address")
  referrer=$(attribute "$path" user.xdg.referrer.url)
  [[ -z "$referrer" || "$referrer" == http://site1.test/* ]] || failures+=("$name remembers a page it was not found on: $referrer")
  [[ -z "$referrer" ]] || referrers=$((referrers + 1))
  e2e_fetch "$address" "$tmp/served" || failures+=("websim does not serve $address")
  cmp -s "$path" "$tmp/served" || failures+=("$name differs from $address, or is missing")
done <<<"$pairs"
logged=$(cut -f2 <<<"$pairs" | sort)
while IFS= read -r file; do
  grep -qxF "$file" <<<"$logged" || failures+=("a file no save logged: ${file##*/}")
done < <(find "$saved" -mindepth 1 | sort)
kill -CONT "$quorel_pid"
echo "collage: $(wc -l <<<"$pairs") saved pictures compared with what websim serves, $referrers with the page they were found on"

# --- at most ten panels -------------------------------------------------------------------------
# Panels are not windows of their own; with every widget made native, each panel is a child
# window of the main window holding the display browser's window.
QT_USE_NATIVE_WINDOWS=1 e2e_start "$tmp/pictures.txt"
twelve_shown() { e2e_alive && (($(pictures_shown) >= 12)); }
E2E_POLL=1 e2e_until 100 twelve_shown || true
shown=$(pictures_shown)
((shown > 10)) || failures+=("ten panels: only $shown pictures shown in 100 s, too few to fill ten panels")
sleep 1
e2e_main_window || lib_fail "ten panels: no main window"
height=$(xwininfo -id "$window" | sed -n 's/^ *Height: //p')
panels=0
while read -r child; do
  info=$(xwininfo -id "$child")
  grep -q 'Map State: IsViewable' <<<"$info" || continue
  top=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
  ((top < height)) || continue  # parked below the screen
  grep -Eq '^ *[1-9][0-9]* child' <<<"$(xwininfo -children -id "$child")" || continue  # no browser inside
  panels=$((panels + 1))
done < <(xwininfo -children -id "$window" | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p')
echo "collage: $shown pictures shown, $panels panels on screen"
# All ten slots hold a picture by now; one of them may be between two pictures.
((panels >= 9 && panels <= 10)) || failures+=("ten panels: $panels panels on screen after $shown pictures")
e2e_screenshot collage-ten
e2e_finish
