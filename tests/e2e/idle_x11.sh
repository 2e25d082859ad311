#!/usr/bin/env bash
# quorel-idle on X11 and GNOME, and with no idle service at all. Under Xvfb (MIT-SCREEN-SAVER)
# the real collage comes after the idle threshold and goes at the first input, which does
# nothing else; the X server's screen saver turned off, an application's inhibitor on the
# session bus (held by quorel-idle, or reported by the desktop's own service), and a collage
# started by hand each keep it away. Against a stand-in for GNOME's idle monitor on a private
# session bus, a stand-in collage comes, goes and is inhibited.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init idle_x11 "$@"
e2e_need Xvfb xdpyinfo xwininfo xdotool xset dbus-daemon quorel quorel-idle
unset WAYLAND_DISPLAY WAYLAND_SOCKET
# The system's Python, which has the Debian packages' D-Bus and GLib bindings.
py=/usr/bin/python3

# Fresh run folder, home and session bus: sets work.
fresh_run() {
  lib_cleanup
  work=$tmp/$1
  mkdir -p "$work"
  lib_sandbox_home
  e2e_start_session_bus
}

# --- nothing to watch, and settings that cannot be read ------------------------------------
fresh_run none
status=0
env -u DISPLAY DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent "$build/quorel-idle" \
  >"$work/none.out" 2>&1 || status=$?
[[ $status == 1 ]] || failures+=("no idle service: exit status $status, not 1")
[[ $(wc -l <"$work/none.out") == 1 ]] && grep -q "no idle service found" "$work/none.out" ||
  failures+=("no idle service: not the one line: $(cat "$work/none.out")")
status=0
"$build/quorel-idle" --minutes soon >"$work/bad.out" 2>&1 || status=$?
[[ $status == 2 ]] || failures+=("--minutes soon: exit status $status, not 2")
lib_start_xvfb
printf '[Idle]\nMinutes=ten\n' >>"$XDG_CONFIG_HOME/quorel/quorel.conf"
e2e_start_idle
grep -q "Minutes=ten in \[Idle\] of .*; using 10" "$work/idle.out" &&
  grep -q "X11 MIT-SCREEN-SAVER for 10 minutes" "$work/idle.out" ||
  failures+=("Minutes=ten: not the default with one line: $(cat "$work/idle.out")")

# --- X11: the real collage ------------------------------------------------------------------
fresh_run x11
lib_start_xvfb
lib_install_quorel
cp "$XDG_CONFIG_HOME/quorel/quorel.conf" "$work/conf.before"
e2e_start_idle --minutes 0.1 --command "$quorel_bin"
sleep 3
! e2e_main_window 0 || failures+=("x11: the collage came 3 s into a 6 s threshold")
e2e_main_window 20 || failures+=("x11: no collage after 20 s without input")
collage=$(pgrep -P "$idle_pid" || true)
sleep 1  # the first frame
xdotool mousemove 600 500 click 1  # the user is back: moves and clicks the background
e2e_idle_collage_ends x11 "$collage"

# --- X11: what keeps the collage away --------------------------------------------------------
fresh_run x11-held
lib_start_xvfb
e2e_collage_stand_in
xset s off  # the X server's own screen saver turned off
e2e_start_idle --minutes 0.05 --command "$stand_in"
sleep 6
[[ $(e2e_collage_count start) == 0 ]] || failures+=("x11: a collage started with the server's screen saver off")
xset s on
e2e_until 10 e2e_collage_count_is 1 start || failures+=("x11: no collage once the screen saver was on again")
xdotool mousemove_relative 5 5
e2e_until 5 e2e_collage_count_is 1 TERM || failures+=("x11: the stand-in was not ended on input")
# A player holds the screen saver back through the session bus for as long as it runs.
"$py" -c 'import dbus, time
bus = dbus.SessionBus()
saver = bus.get_object("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver")
saver.Inhibit("player", "a film", dbus_interface="org.freedesktop.ScreenSaver")
print("held", flush=True)
time.sleep(60)' >"$work/player.out" 2>&1 &
player=$!
lib_pids+=("$player")
e2e_until 10 grep -qs held "$work/player.out" || failures+=("x11: no inhibitor taken: $(cat "$work/player.out")")
sleep 6
[[ $(e2e_collage_count start) == 1 ]] || failures+=("x11: a collage started while a player held the screen saver back")
kill "$player" 2>/dev/null || true
e2e_until 10 e2e_collage_count_is 2 start || failures+=("x11: no collage once the player had gone")
xdotool mousemove_relative 5 5
e2e_until 5 e2e_collage_count_is 2 TERM || failures+=("x11: the second stand-in was not ended")
# A collage started by hand holds the program's lock: none is started, and input leaves it be.
sleep 300 &
by_hand=$!
lib_pids+=("$by_hand")
printf '%s\nquorel\n\n' "$by_hand" >"$XDG_RUNTIME_DIR/quorel.lock"
sleep 6
xdotool mousemove_relative 5 5
sleep 1.5
[[ $(e2e_collage_count start) == 2 ]] || failures+=("x11: a second collage started beside one started by hand")
kill -0 "$by_hand" || failures+=("x11: the collage started by hand was ended")

# --- X11 on a desktop with its own screen saver service ---------------------------------------
# Its power manager reports the inhibitors (HasInhibit) until told otherwise (SIGUSR2).
fresh_run x11-desktop
lib_start_xvfb
"$py" -c 'import dbus, dbus.mainloop.glib, dbus.service, signal
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
held = [True]
class Power(dbus.service.Object):
    @dbus.service.method("org.freedesktop.PowerManagement.Inhibit", out_signature="b")
    def HasInhibit(self):
        return held[0]
power = Power(bus, "/org/freedesktop/PowerManagement/Inhibit")
names = [dbus.service.BusName(n, bus) for n in ("org.freedesktop.ScreenSaver", "org.freedesktop.PowerManagement")]
def release():
    held[0] = False
    return True
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR2, release)
print("ready", flush=True)
GLib.MainLoop().run()' >"$work/desktop.log" 2>&1 &
desktop=$!
lib_pids+=("$desktop")
e2e_until 10 grep -qs ready "$work/desktop.log" || lib_fail "the desktop stand-in did not start: $(cat "$work/desktop.log")"
e2e_collage_stand_in
e2e_start_idle --minutes 0.05 --command "$stand_in"
sleep 6
[[ $(e2e_collage_count start) == 0 ]] || failures+=("x11: a collage started while the desktop reported an inhibitor")
kill -USR2 "$desktop"
e2e_until 10 e2e_collage_count_is 1 start || failures+=("x11: no collage once the desktop's inhibitor went")

# --- GNOME's idle monitor -----------------------------------------------------------------------
fresh_run gnome
unset DISPLAY
"$py" "$source_dir/tests/idle/mutter_idle_monitor_stub.py" >"$work/monitor.log" 2>&1 &
monitor=$!
lib_pids+=("$monitor")
e2e_until 10 grep -qs ready "$work/monitor.log" || lib_fail "the idle monitor stand-in did not start: $(cat "$work/monitor.log")"
e2e_collage_stand_in
e2e_start_idle --minutes 0.05 --command "$stand_in"
grep -q "org.gnome.Mutter.IdleMonitor" "$work/idle.out" || failures+=("gnome: not watched through the idle monitor")
e2e_until 10 e2e_collage_count_is 1 start || failures+=("gnome: no collage after 10 s")
kill -USR1 "$monitor"  # the user is back
e2e_until 5 e2e_collage_count_is 1 TERM || failures+=("gnome: the collage was not ended on input")
kill -USR2 "$monitor"  # an application inhibits idleness
sleep 6
[[ $(e2e_collage_count start) == 1 ]] || failures+=("gnome: a collage started while idleness was inhibited")
kill -USR2 "$monitor"
e2e_until 10 e2e_collage_count_is 2 start || failures+=("gnome: no collage once the inhibitor went")
e2e_finish
