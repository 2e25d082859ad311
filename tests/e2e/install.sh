#!/usr/bin/env bash
# Installing into a staging folder gives a working program: cmake --install with --prefix /usr
# and DESTDIR puts the programs, manual page, desktop entry, logos, link list and user service
# in place, none of them tied to the build folder; the installed collage ends at once for the
# preview switch, and started beside the installed link server (on its own installed link
# list) it shows its window and finds itself up to date.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init install "$@"
e2e_need Xvfb xwininfo readelf
e2e_stage_install

# Files the runs below do not read (the manual pages and user units: tests/package/metadata.sh).
for file in share/quorel/logo_out.jpg share/quorel/logo_in.jpg; do
  [[ -s "$root/$file" ]] || failures+=("$file is missing or empty")
done
# The entries name what is installed, where it is installed.
entry=$root/share/applications/quorel.desktop
grep -qx 'Exec=quorel-screensaver' "$entry" || failures+=("the desktop entry does not run the wrapper")
icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -s "$root/share/icons/hicolor/scalable/apps/$icon.svg" ]] || failures+=("the desktop entry's icon $icon is not in the theme")
vendor=$(sed -n 's/^QUOREL_VENDOR_HOST:STRING=//p' "$build/CMakeCache.txt")
vendor=${vendor:-127.0.0.1:8480}
grep -qF "$vendor" "$root/bin/quorel-screensaver" || failures+=("the screen-saver wrapper does not know the link server's address")
for program in quorel quorel-vendor; do
  ! readelf -d "$root/bin/$program" | grep -E 'R(UN)?PATH' | grep -qF "$build" ||
    failures+=("bin/$program still looks for libraries in the build folder")
done

# --- the installed programs run -----------------------------------------------------------------
lib_start_xvfb
lib_sandbox_home
# The wrapper's preview runs the quorel installed beside it with /p.
timeout 20 "$root/bin/quorel-screensaver" --preview >"$tmp/preview.out" 2>&1 ||
  failures+=("the installed wrapper's preview ended with $?: $(tail -n 3 "$tmp/preview.out")")
lib_start_websim --seed 7
# The installed link server without --links: it finds its list in share/quorel/links.
"$root/bin/quorel-vendor" --listen "$vendor" 2>"$tmp/vendor.log" &
lib_pids+=($!)
lib_wait_port "$vendor" $! "installed quorel-vendor" "$tmp/vendor.log"
grep -qF "from $root/share/quorel/links/default.txt" "$tmp/vendor.log" ||
  failures+=("the installed link server did not take its installed list: $(head -n 1 "$tmp/vendor.log")")
# Its folder is writable here, so the installed program logs beside itself.
# shellcheck disable=SC2034  # read by lib_start_quorel
quorel_bin=$root/bin/quorel
status_log=$root/bin/quorel.log
cd "$tmp"
lib_start_quorel "$websim"
# (Covering the screen: startup.sh.)
e2e_main_window || failures+=("the installed quorel shows no main window")
e2e_wait_log "[Version] mine: $version, server: $version, up-to-date" 30 ||
  failures+=("the installed quorel did not find itself up to date with the installed link server")
e2e_wait_log "[BrowseComplete] url=" 30 || failures+=("the installed quorel got no link from the installed link server")
echo "install: $(find "$stage" -type f | wc -l) files staged"
e2e_finish
