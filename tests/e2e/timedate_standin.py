"""A time service of the tests' own, on a private bus: it owns the name of
systemd's time service, org.freedesktop.timedate1, and answers SetTime without
touching any clock. Each call is appended to a record file as one line,
"SetTime <usec> <relative> <interactive>", before it is answered.

    python3 timedate_standin.py ADDRESS RECORD_FILE [accepting|refusing|overanswering]

Accepting (the default), every call is answered as the real service answers a
set it made. Refusing, every call is answered with the error the real service
gives while automatic time synchronization is on. Overanswering, every call is
answered with a value SetTime does not have (a string), as a broken or foreign
service might. Prints "ready" once the name is owned. Runs under Debian's python3, which has python3-dbus and python3-gi.
"""

import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.timedate1"
PATH = "/org/freedesktop/timedate1"


class TimeDate(dbus.service.Object):
    def __init__(self, bus, record, behaviour):
        super().__init__(bus, PATH)
        self.record = record
        self.behaviour = behaviour

    # No declared reply signature: the reply is made from what is returned.
    @dbus.service.method(NAME, in_signature="xbb", out_signature=None)
    def SetTime(self, usec_utc, relative, interactive):
        with open(self.record, "a", encoding="utf-8") as record:
            record.write(f"SetTime {int(usec_utc)} {bool(relative)} {bool(interactive)}\n")
        if self.behaviour == "refusing":
            raise dbus.exceptions.DBusException(
                "Automatic time synchronization is enabled",
                name="org.freedesktop.timedate1.AutomaticTimeSyncEnabled")
        if self.behaviour == "overanswering":
            return dbus.String("done")
        return None


def main():
    address, record = sys.argv[1], sys.argv[2]
    behaviour = sys.argv[3] if len(sys.argv) > 3 else "accepting"
    if behaviour not in ("accepting", "refusing", "overanswering"):
        sys.exit(f"timedate_standin.py: unknown behaviour {behaviour}")
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    service = TimeDate(bus, record, behaviour)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, service


if __name__ == "__main__":
    main()
