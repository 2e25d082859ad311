#!/usr/bin/env bash
# Installing into a staging folder gives a working program: cmake --install with --prefix /usr
# and DESTDIR puts the programs, manual page, desktop entry, logos, link list and user service
# in place, none of them tied to the build folder; the installed collage ends at once for the
# preview switch, and started beside the installed link server (on its own installed link
# list) it shows its window and finds itself up to date.
# Usage: install.sh BUILD_DIR SOURCE_DIR
# shellcheck source-path=SCRIPTDIR disable=SC2154  # build, source_dir, tmp, work ...: set by lib.sh
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init install "$@"
command -v xwininfo >/dev/null || lib_fail "xwininfo missing (scripts/install-deps.sh)"

stage=$tmp/stage
usr=$stage/usr
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 ||
  lib_fail "cmake --install failed: $(tail -n 5 "$tmp/install.log")"

failures=()
for program in quorel quorel-vendor quorel-screensaver; do
  [[ -x "$usr/bin/$program" ]] || failures+=("bin/$program is not installed as a program")
done
for file in share/man/man1/quorel.1 share/applications/quorel.desktop share/quorel/logo_out.jpg \
  share/quorel/logo_in.jpg share/quorel/links/default.txt lib/systemd/user/quorel-vendor.service; do
  [[ -s "$usr/$file" ]] || failures+=("$file is missing or empty")
done
((${#failures[@]} == 0)) || lib_fail "$(printf '%s; ' "${failures[@]}")"

# The entries name what is installed, where it is installed.
grep -q '^\.TH QUOREL 1 ' "$usr/share/man/man1/quorel.1" || failures+=("the manual page has no .TH QUOREL 1 header")
entry=$usr/share/applications/quorel.desktop
grep -qx 'Exec=quorel-screensaver' "$entry" || failures+=("the desktop entry does not run the wrapper: $(grep '^Exec=' "$entry" | head -n 1)")
icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -s "$usr/share/icons/hicolor/scalable/apps/$icon.svg" ]] || failures+=("the desktop entry's icon $icon is not in the theme")
vendor_host=$(sed -n 's/^QUOREL_VENDOR_HOST:STRING=//p' "$build/CMakeCache.txt")
grep -qF "${vendor_host:-127.0.0.1:8480}" "$usr/bin/quorel-screensaver" ||
  failures+=("the screen-saver wrapper does not know the link server's address")
for program in quorel quorel-vendor; do
  if readelf -d "$usr/bin/$program" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    failures+=("bin/$program still looks for libraries in the build folder")
  fi
  missing=$(ldd "$usr/bin/$program" | grep 'not found' || true)
  [[ -z "$missing" ]] || failures+=("bin/$program lacks libraries: $missing")
done

# --- the installed programs run -----------------------------------------------------------------

lib_start_xvfb
lib_sandbox_home
rc=0
timeout 20 "$usr/bin/quorel" /p >"$tmp/preview.out" 2>&1 || rc=$?
((rc == 0)) || failures+=("installed quorel /p ended with $rc: $(tail -n 3 "$tmp/preview.out")")
rc=0
PATH=$usr/bin:$PATH timeout 20 quorel-screensaver --preview >"$tmp/preview.out" 2>&1 || rc=$?
((rc == 0)) || failures+=("installed quorel-screensaver --preview ended with $rc: $(tail -n 3 "$tmp/preview.out")")

lib_start_websim --seed 7
# The installed link server without --links: it finds its list in share/quorel/links.
vendor=${vendor_host:-127.0.0.1:8480}
"$usr/bin/quorel-vendor" --listen "$vendor" 2>"$tmp/vendor.log" &
lib_pids+=($!)
lib_wait_port "$vendor" $! "installed quorel-vendor" "$tmp/vendor.log"
grep -qF "from $usr/share/quorel/links/default.txt" "$tmp/vendor.log" ||
  failures+=("the installed link server did not take its installed list: $(head -n 1 "$tmp/vendor.log")")

# Its folder is writable here, so the installed program logs beside itself.
# shellcheck disable=SC2034  # read by lib_start_quorel
quorel_bin=$usr/bin/quorel
status_log=$usr/bin/quorel.log
cd "$tmp"
lib_start_quorel "$websim"
window=""
for _ in $(seq 150); do
  window=$(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "Quorel v2\.0 - ".*/\1/p' | head -n 1)
  [[ -n "$window" ]] && break
  e2e_alive
  sleep 0.1
done
if [[ -z "$window" ]]; then
  failures+=("the installed quorel shows no main window")
else
  info=$(xwininfo -id "$window")
  grep -q 'Map State: IsViewable' <<<"$info" || failures+=("the installed quorel's window is not shown")
  grep -q -- '-geometry 1280x1024+0+0' <<<"$info" || failures+=("the installed quorel's window does not cover the screen")
fi
version=$(sed -n 's/^project(quorel VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
e2e_wait_log "[Version] mine: $version, server: $version, up-to-date" 30 ||
  failures+=("the installed quorel did not find itself up to date with the installed link server")
e2e_wait_log "[BrowseComplete] url=" 30 ||
  failures+=("the installed quorel got no link from the installed link server")
e2e_alive

echo "install: $(find "$stage" -type f | wc -l) files staged"
if ((${#failures[@]})); then
  printf 'install: FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "install: PASS"
