"""A time service of the tests' own, on a private bus: it owns the name of
systemd's time service, org.freedesktop.timedate1, and answers SetTime without
touching any clock. Each call is appended to a record file as one line,
"SetTime <usec> <relative> <interactive>", before it is answered.

    python3 timedate_standin.py ADDRESS RECORD_FILE [--refuse]

With --refuse every call is answered with the error the real service gives
while automatic time synchronization is on. Prints "ready" once the name is
owned. Runs under Debian's python3, which has python3-dbus and python3-gi.
"""

import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.timedate1"
PATH = "/org/freedesktop/timedate1"


class TimeDate(dbus.service.Object):
    def __init__(self, bus, record, refuse):
        super().__init__(bus, PATH)
        self.record = record
        self.refuse = refuse

    @dbus.service.method(NAME, in_signature="xbb", out_signature="")
    def SetTime(self, usec_utc, relative, interactive):
        with open(self.record, "a", encoding="utf-8") as record:
            record.write(f"SetTime {int(usec_utc)} {bool(relative)} {bool(interactive)}\n")
        if self.refuse:
            raise dbus.exceptions.DBusException(
                "Automatic time synchronization is enabled",
                name="org.freedesktop.timedate1.AutomaticTimeSyncEnabled")


def main():
    address, record = sys.argv[1], sys.argv[2]
    refuse = "--refuse" in sys.argv[3:]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    service = TimeDate(bus, record, refuse)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
