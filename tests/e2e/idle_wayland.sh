#!/usr/bin/env bash
# quorel-idle on Wayland. Under a headless sway (org_kde_kwin_idle) the real collage comes once
# the user has been idle for the threshold and goes at the first pointer input, which does
# nothing else (a click on its background would end a collage started by hand). Against a
# compositor offering only ext-idle-notify-v1, a stand-in collage comes and goes the same way and
# an idle inhibitor keeps it away.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init idle_wayland "$@"
e2e_need sway swaymsg wayvnc setpriv quorel quorel-idle
[[ -x "$build/idle_notifier_stub" ]] || lib_fail "idle_notifier_stub is not built in $build"
# Only the compositor under test may answer.
unset DISPLAY WAYLAND_SOCKET
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent

# --- sway: the real collage ----------------------------------------------------------------
work=$tmp/sway
mkdir -p "$work"
lib_sandbox_home
e2e_start_sway
lib_install_quorel
cp "$XDG_CONFIG_HOME/quorel/quorel.conf" "$work/conf.before"
e2e_start_idle --minutes 0.1 --command "$quorel_bin"
grep -q "org_kde_kwin_idle" "$work/idle.out" || failures+=("sway: not watched through org_kde_kwin_idle")
collage_shown() { swaymsg -t get_tree | grep -q '"app_id": "quorel"'; }
sleep 3
! collage_shown || failures+=("sway: the collage came 3 s into a 6 s threshold")
e2e_until 20 collage_shown || failures+=("sway: no collage after 20 s without input")
collage=$(pgrep -P "$idle_pid" || true)
sleep 1  # the first frame
# The user is back: the pointer moves and clicks the background.
e2e_vnc_pointer 512,300,0 520,310,0 520,310,1 520,310,0 || failures+=("sway: no input given through wayvnc")
e2e_idle_collage_ends sway "$collage"
kill -0 "$idle_pid" 2>/dev/null || failures+=("sway: quorel-idle ended with the collage")
lib_cleanup

# --- ext-idle-notify-v1: a stand-in collage, and an inhibitor ------------------------------
work=$tmp/ext
mkdir -p "$work"
lib_sandbox_home
"$build/idle_notifier_stub" quorel-idle-test >"$work/stub.log" 2>&1 &
stub=$!
lib_pids+=("$stub")
e2e_until 10 grep -qs ready "$work/stub.log" || lib_fail "the stub compositor did not start: $(cat "$work/stub.log")"
export WAYLAND_DISPLAY=quorel-idle-test
e2e_collage_stand_in
e2e_start_idle --minutes 0.05 --command "$stand_in"
grep -q "ext-idle-notify-v1" "$work/idle.out" || failures+=("ext: not watched through ext-idle-notify-v1")
e2e_until 10 e2e_collage_count_is 1 "start /s --started-by-idle" ||
  failures+=("ext: no collage (with the screen saver's switches) after 10 s")
kill -USR1 "$stub"  # the user is back
e2e_until 5 e2e_collage_count_is 1 TERM || failures+=("ext: the collage was not ended on input")
kill -USR2 "$stub"  # an application inhibits idleness
sleep 6
[[ "$(e2e_collage_count start)" == 1 ]] || failures+=("ext: a collage started while idleness was inhibited")
kill -USR2 "$stub"
e2e_until 10 e2e_collage_count_is 2 start || failures+=("ext: no collage once the inhibitor went")
e2e_finish
