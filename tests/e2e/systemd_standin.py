"""A service manager of the tests' own, on a private bus: it owns
org.freedesktop.systemd1 and answers what systemd-timedated and the program
ask of systemd, without touching any service of the machine.

    python3 systemd_standin.py ADDRESS RECORD_FILE UNITS_FILE

UNITS_FILE is JSON: {"units": {"<name>": {"active": bool, "enabled": bool}},
"failing": ["<name>", ...], "refusing": ["<name>", ...]}. A unit in "failing"
gets its stop job, which then ends with the result "failed" and leaves the
unit "failed", as a unit whose stop command fails; a unit in "refusing" is
refused at once, as a unit with RefuseManualStart/Stop.

Each call is appended to RECORD_FILE as one JSON line, in the order the calls
arrive: {"member", "args", "sender", "interactive", "outcome"}, where outcome
is "ok" or the D-Bus error name.

Like systemd, the stand-in asks polkit before it starts, stops, enables or
disables a unit or reloads: CheckAuthorization for the caller's bus name,
allowing interaction when the call carries ALLOW_INTERACTIVE_AUTHORIZATION.
Calls from root and from the owner of org.freedesktop.timedate1 are granted
without asking: the real timedated runs as root, this one as nobody.

Prints "ready" once the name is owned. Runs under Debian's python3, which has
python3-dbus and python3-gi.
"""

import json
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

NAME = "org.freedesktop.systemd1"
PATH = "/org/freedesktop/systemd1"
MANAGER = "org.freedesktop.systemd1.Manager"
UNIT = "org.freedesktop.systemd1.Unit"
UNIT_PATHS = PATH + "/unit"
PROPERTIES = "org.freedesktop.DBus.Properties"
TIMEDATED = "org.freedesktop.timedate1"
UNIT_SUFFIXES = (".service", ".socket", ".target", ".timer", ".mount", ".path", ".slice",
                 ".scope", ".device", ".swap", ".automount")

# The polkit action systemd checks for each method.
ACTIONS = {
    "StartUnit": "org.freedesktop.systemd1.manage-units",
    "StopUnit": "org.freedesktop.systemd1.manage-units",
    "EnableUnitFiles": "org.freedesktop.systemd1.manage-unit-files",
    "DisableUnitFiles": "org.freedesktop.systemd1.manage-unit-files",
    "Reload": "org.freedesktop.systemd1.reload-daemon",
}


def error(name, text):
    return dbus.exceptions.DBusException(text, name=name)


def access_denied():
    return error("org.freedesktop.DBus.Error.AccessDenied", "Permission denied")


def escape(name):
    """The object path element systemd makes of a unit name."""
    return "".join(c if c.isalnum() else f"_{ord(c):02x}" for c in name)


def unescape(element):
    text, i = "", 0
    while i < len(element):
        if element[i] == "_" and i + 2 < len(element):
            text += chr(int(element[i + 1:i + 3], 16))
            i += 3
        else:
            text += element[i]
            i += 1
    return text


def unit_path(name):
    return f"{UNIT_PATHS}/{escape(name)}"


class Units:
    """The units' states, their jobs and the record of calls."""

    def __init__(self, configuration, record):
        self.states = {name: dict(state) for name, state in configuration["units"].items()}
        self.failing = set(configuration.get("failing", []))
        self.refusing = set(configuration.get("refusing", []))
        self.record_path = record
        self.last_job = 0

    def record(self, member, args, sender, interactive, outcome):
        entry = {"member": member, "args": args, "sender": sender, "interactive": interactive,
                 "outcome": outcome}
        with open(self.record_path, "a", encoding="utf-8") as file:
            file.write(json.dumps(entry) + "\n")

    def properties(self, name):
        state = self.states.get(name)
        if state is None:
            return {"Id": name, "LoadState": "not-found", "ActiveState": "inactive",
                    "SubState": "dead", "UnitFileState": ""}
        active = state["active"]
        if state.get("failed"):
            active_state, sub_state = "failed", "failed"
        else:
            active_state, sub_state = ("active", "running") if active else ("inactive", "dead")
        return {"Id": name, "LoadState": "loaded", "ActiveState": active_state,
                "SubState": sub_state,
                "UnitFileState": "enabled" if state["enabled"] else "disabled"}

    def next_job(self):
        self.last_job += 1
        return self.last_job, dbus.ObjectPath(f"{PATH}/job/{self.last_job}")


class Manager(dbus.service.Object):
    def __init__(self, bus, units, unit_properties):
        super().__init__(bus, PATH)
        self.bus = bus
        self.units = units
        self.unit_properties = unit_properties
        self.polkit = bus.get_object("org.freedesktop.PolicyKit1",
                                     "/org/freedesktop/PolicyKit1/Authority",
                                     follow_name_owner_changes=True)

    # --- polkit, as systemd asks it ---

    def authorize(self, member, sender, interactive, granted, failed):
        """Calls granted() once polkit allows the caller the method's action,
        failed(exception) otherwise."""
        if self.trusted(sender):
            granted()
            return
        subject = dbus.Struct(("system-bus-name", {"name": dbus.String(sender, variant_level=1)}),
                              signature="sa{sv}")

        def answered(result):
            authorized, challenge, _details = result
            if authorized:
                granted()
            elif challenge:
                failed(error("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
                             "Interactive authentication required."))
            else:
                failed(access_denied())

        def unreachable(exception):
            # systemd counts a missing polkit as a refusal.
            if exception.get_dbus_name() in ("org.freedesktop.DBus.Error.ServiceUnknown",
                                             "org.freedesktop.DBus.Error.NameHasNoOwner"):
                failed(access_denied())
            else:
                failed(exception)

        self.polkit.CheckAuthorization(
            subject, ACTIONS[member], dbus.Dictionary({}, signature="ss"),
            dbus.UInt32(1 if interactive else 0), "",
            dbus_interface="org.freedesktop.PolicyKit1.Authority",
            reply_handler=answered, error_handler=unreachable, timeout=120)

    def trusted(self, sender):
        """Whether the caller is root or timedated (a caller already gone is
        neither)."""
        daemon = dbus.Interface(
            self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"),
            "org.freedesktop.DBus")
        try:
            return (int(daemon.GetConnectionUnixUser(sender)) == 0
                    or daemon.GetNameOwner(TIMEDATED) == sender)
        except dbus.exceptions.DBusException:
            return False

    def guarded(self, member, args, message, reply, fail, action):
        """Runs action() (which returns the reply's values or raises) once the
        caller is authorized, and records the call with its outcome."""
        sender = message.get_sender()
        interactive = bool(message.get_allow_interactive_authorization())

        def refused(exception):
            self.units.record(member, args, sender, interactive, exception.get_dbus_name())
            fail(exception)

        def granted():
            try:
                values = action()
            except dbus.exceptions.DBusException as exception:
                refused(exception)
                return
            self.units.record(member, args, sender, interactive, "ok")
            reply(*values)

        self.authorize(member, sender, interactive, granted, refused)

    # --- units ---

    @staticmethod
    def check_name(name):
        if not name.endswith(UNIT_SUFFIXES) or len(name) <= len(name.split(".")[-1]) + 1:
            raise error("org.freedesktop.DBus.Error.InvalidArgs", f"Unit name {name} is not valid.")

    def run_job(self, name, start):
        self.check_name(name)
        state = self.units.states.get(name)
        if state is None:
            text = f"Unit {name} not found." if start else f"Unit {name} not loaded."
            raise error("org.freedesktop.systemd1.NoSuchUnit", text)
        if name in self.units.refusing:
            verb = "start" if start else "stop"
            raise error("org.freedesktop.systemd1.OnlyByDependency",
                        f"Operation refused, unit {name} may be requested by dependency only "
                        f"(it is configured to refuse manual {verb}).")
        number, job = self.units.next_job()
        failed = not start and name in self.units.failing
        if failed:
            state["failed"] = True
        else:
            state["active"] = start
            state.pop("failed", None)
        self.announce(name)
        GLib.idle_add(self.JobRemoved, dbus.UInt32(number), job, name,
                      "failed" if failed else "done")
        return (job,)

    def announce(self, name):
        properties = self.units.properties(name)
        self.unit_properties.PropertiesChanged(
            UNIT, {key: properties[key] for key in ("ActiveState", "SubState")}, [],
            rel_path="/" + escape(name))

    def change_files(self, names, enable):
        changes = []
        for name in names:
            self.check_name(name)
            state = self.units.states.get(name)
            if state is None:
                raise error("org.freedesktop.systemd1.NoSuchUnit",
                            f"Unit file {name} does not exist.")
            if state["enabled"] != enable:
                state["enabled"] = enable
                link = f"/etc/systemd/system/multi-user.target.wants/{name}"
                changes.append(("symlink", link, f"/lib/systemd/system/{name}") if enable
                               else ("unlink", link, ""))
        return dbus.Array(changes, signature="(sss)")

    @dbus.service.method(MANAGER, in_signature="ss", out_signature="o",
                         message_keyword="message", async_callbacks=("reply", "fail"))
    def StartUnit(self, name, mode, message, reply, fail):
        self.guarded("StartUnit", [str(name), str(mode)], message, reply, fail,
                     lambda: self.run_job(str(name), True))

    @dbus.service.method(MANAGER, in_signature="ss", out_signature="o",
                         message_keyword="message", async_callbacks=("reply", "fail"))
    def StopUnit(self, name, mode, message, reply, fail):
        self.guarded("StopUnit", [str(name), str(mode)], message, reply, fail,
                     lambda: self.run_job(str(name), False))

    @dbus.service.method(MANAGER, in_signature="asbb", out_signature="ba(sss)",
                         message_keyword="message", async_callbacks=("reply", "fail"))
    def EnableUnitFiles(self, names, runtime, force, message, reply, fail):
        self.guarded("EnableUnitFiles", [[str(n) for n in names], bool(runtime), bool(force)],
                     message, reply, fail,
                     lambda: (True, self.change_files([str(n) for n in names], True)))

    @dbus.service.method(MANAGER, in_signature="asb", out_signature="a(sss)",
                         message_keyword="message", async_callbacks=("reply", "fail"))
    def DisableUnitFiles(self, names, runtime, message, reply, fail):
        self.guarded("DisableUnitFiles", [[str(n) for n in names], bool(runtime)],
                     message, reply, fail,
                     lambda: (self.change_files([str(n) for n in names], False),))

    @dbus.service.method(MANAGER, in_signature="", out_signature="",
                         message_keyword="message", async_callbacks=("reply", "fail"))
    def Reload(self, message, reply, fail):
        self.guarded("Reload", [], message, reply, fail, lambda: ())

    @dbus.service.method(MANAGER, in_signature="s", out_signature="o", message_keyword="message")
    def GetUnit(self, name, message):
        return self.unit_lookup("GetUnit", str(name), message, load=False)

    @dbus.service.method(MANAGER, in_signature="s", out_signature="o", message_keyword="message")
    def LoadUnit(self, name, message):
        return self.unit_lookup("LoadUnit", str(name), message, load=True)

    def unit_lookup(self, member, name, message, load):
        sender = message.get_sender()
        interactive = bool(message.get_allow_interactive_authorization())
        if name not in self.units.states and not load:
            self.units.record(member, [name], sender, interactive,
                              "org.freedesktop.systemd1.NoSuchUnit")
            raise error("org.freedesktop.systemd1.NoSuchUnit", f"Unit {name} not loaded.")
        self.units.record(member, [name], sender, interactive, "ok")
        return dbus.ObjectPath(unit_path(name))

    @dbus.service.method(MANAGER, in_signature="", out_signature="")
    def Subscribe(self):
        pass

    @dbus.service.signal(MANAGER, signature="uoss")
    def JobRemoved(self, number, job, unit, result):
        pass


class UnitProperties(dbus.service.FallbackObject):
    """The units' properties, at the paths systemd gives them. One object
    answers every unit path, so a unit nobody configured reads as not found,
    as in systemd."""

    def __init__(self, bus, units):
        super().__init__(bus, UNIT_PATHS)
        self.units = units

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}",
                         rel_path_keyword="rel_path", message_keyword="message")
    def GetAll(self, interface, rel_path, message):
        name = unescape(rel_path.lstrip("/"))
        self.units.record("GetAll", [str(interface), name], message.get_sender(),
                          bool(message.get_allow_interactive_authorization()), "ok")
        if interface not in ("", UNIT):
            return dbus.Dictionary({}, signature="sv")
        return dbus.Dictionary(self.units.properties(name), signature="sv")

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v",
                         rel_path_keyword="rel_path", message_keyword="message")
    def Get(self, interface, prop, rel_path, message):
        name = unescape(rel_path.lstrip("/"))
        self.units.record("Get", [str(interface), str(prop), name], message.get_sender(),
                          bool(message.get_allow_interactive_authorization()), "ok")
        properties = self.units.properties(name)
        if prop not in properties:
            raise error("org.freedesktop.DBus.Error.UnknownProperty", f"Unknown property {prop}")
        return properties[prop]

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as", rel_path_keyword="rel_path")
    def PropertiesChanged(self, interface, changed, invalidated, rel_path=None):
        pass


def main():
    address, record, units_file = sys.argv[1:4]
    with open(units_file, encoding="utf-8") as file:
        units = Units(json.load(file), record)
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    unit_properties = UnitProperties(bus, units)
    manager = Manager(bus, units, unit_properties)
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name, manager


if __name__ == "__main__":
    main()
