#!/usr/bin/env python3
"""GNOME's idle monitor as the tests of quorel-idle meet it: org.gnome.Mutter.IdleMonitor on the
session bus with idle watches (fire each time the idle time passes their interval) and user-active
watches (fire once at the next input, then are gone). There is no real input: SIGUSR1 stands for
the user's input and SIGUSR2 turns an idle inhibitor on and off, which holds idle watches back.

    mutter_idle_monitor_stub.py       (on $DBUS_SESSION_BUS_ADDRESS; prints "ready")
"""
import signal
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.gnome.Mutter.IdleMonitor"
PATH = "/org/gnome/Mutter/IdleMonitor/Core"


class IdleMonitor(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.last_input = time.monotonic()
        self.inhibited = False
        self.next_id = 1
        self.idle = {}  # id -> [interval in ms, GLib source or None]
        self.active = set()

    def _arm(self, watch):
        entry = self.idle[watch]
        if entry[1]:
            GLib.source_remove(entry[1])
        entry[1] = GLib.timeout_add(entry[0], self._idle_reached, watch)

    def _idle_reached(self, watch):
        self.idle[watch][1] = None
        if not self.inhibited:
            self.WatchFired(dbus.UInt32(watch))
        return False

    @dbus.service.method(NAME, in_signature="t", out_signature="u")
    def AddIdleWatch(self, interval):
        watch, self.next_id = self.next_id, self.next_id + 1
        self.idle[watch] = [int(interval), None]
        self._arm(watch)
        return watch

    @dbus.service.method(NAME, in_signature="", out_signature="u")
    def AddUserActiveWatch(self):
        watch, self.next_id = self.next_id, self.next_id + 1
        self.active.add(watch)
        return watch

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def RemoveWatch(self, watch):
        entry = self.idle.pop(int(watch), None)
        if entry and entry[1]:
            GLib.source_remove(entry[1])
        self.active.discard(int(watch))

    @dbus.service.method(NAME, in_signature="", out_signature="t")
    def GetIdletime(self):
        return int((time.monotonic() - self.last_input) * 1000)

    @dbus.service.signal(NAME, signature="u")
    def WatchFired(self, watch):
        pass

    def user_input(self):
        self.last_input = time.monotonic()
        for watch in sorted(self.active):
            self.WatchFired(dbus.UInt32(watch))
        self.active.clear()
        for watch in self.idle:
            self._arm(watch)
        return True

    def toggle_inhibitor(self):
        self.inhibited = not self.inhibited
        if not self.inhibited:
            for watch in self.idle:
                self._arm(watch)
        return True


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    monitor = IdleMonitor(bus)
    name = dbus.service.BusName(NAME, bus)  # noqa: F841 (held for the run)
    loop = GLib.MainLoop()
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, monitor.user_input)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR2, monitor.toggle_inhibitor)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    print("ready", flush=True)
    loop.run()


if __name__ == "__main__":
    main()
