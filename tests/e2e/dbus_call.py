"""One D-Bus method call on a given bus, as a plain client makes it, with the
answer printed as one JSON line: {"reply": [values]} or {"error": name,
"message": text}.

    python3 dbus_call.py ADDRESS DESTINATION PATH INTERFACE MEMBER SIGNATURE JSON_ARGS
                         [--not-interactive] [--wait-job]

The call carries ALLOW_INTERACTIVE_AUTHORIZATION unless --not-interactive.
With --wait-job the reply is a systemd job, and the line also holds the job's
"result" from systemd's JobRemoved signal, as systemctl waits for it. Runs
under Debian's python3, which has python3-dbus and python3-gi.
"""

import json
import sys

import dbus
import dbus.lowlevel
import dbus.mainloop.glib
from gi.repository import GLib

TIMEOUT_MS = 30_000


def plain(value):
    """The value as JSON holds it."""
    if isinstance(value, (dbus.Array, list, dbus.Struct, tuple)):
        return [plain(item) for item in value]
    if isinstance(value, dbus.Dictionary):
        return {str(key): plain(item) for key, item in value.items()}
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath, dbus.Signature)):
        return str(value)
    if isinstance(value, (int, float)):
        return int(value) if isinstance(value, int) else float(value)
    return value


def main():
    address, destination, path, interface, member, signature, arguments = sys.argv[1:8]
    options = sys.argv[8:]
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(address)
    removed_jobs = {}
    if "--wait-job" in options:
        bus.add_signal_receiver(
            lambda _id, job, _unit, result: removed_jobs.__setitem__(str(job), str(result)),
            signal_name="JobRemoved", dbus_interface="org.freedesktop.systemd1.Manager")
    message = dbus.lowlevel.MethodCallMessage(destination, path, interface, member)
    message.set_allow_interactive_authorization("--not-interactive" not in options)
    if signature:
        message.append(*json.loads(arguments), signature=signature)
    try:
        reply = bus.send_message_with_reply_and_block(message, TIMEOUT_MS)
    except dbus.exceptions.DBusException as error:
        print(json.dumps({"error": error.get_dbus_name(), "message": error.get_dbus_message()}))
        return
    answer = {"reply": plain(reply.get_args_list())}
    if "--wait-job" in options:
        job = answer["reply"][0]
        loop = GLib.MainLoop()
        GLib.timeout_add(50, lambda: loop.quit() if job in removed_jobs else True)
        GLib.timeout_add(TIMEOUT_MS, loop.quit)
        loop.run()
        answer["result"] = removed_jobs.get(job)
    print(json.dumps(answer))


if __name__ == "__main__":
    main()
