"""Stands in for the desktop's accessibility bus launcher on the test's
session bus: org.a11y.Bus answers GetAddress with the test's accessibility
bus, so that a program finds that bus as it finds the desktop's.

Usage: a11y_bus_standin.py <session bus address> <accessibility bus address>
Prints "ready" once the name is owned. Debian's python3 (python3-dbus)."""

import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.a11y.Bus"


class Launcher(dbus.service.Object):

    def __init__(self, bus, address):
        super().__init__(bus, "/org/a11y/bus")
        self.address = address

    @dbus.service.method(NAME, in_signature="", out_signature="s")
    def GetAddress(self):
        return self.address

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.Boolean(True)  # org.a11y.Status: IsEnabled, ScreenReaderEnabled


def main():
    session_address, accessibility_address = sys.argv[1:3]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(session_address)
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    launcher = Launcher(bus, accessibility_address)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, launcher


if __name__ == "__main__":
    main()
