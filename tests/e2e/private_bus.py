"""A D-Bus daemon of the test's own, standing in for the system bus: its
configuration is the test's, its socket lies in the test's scratch folder, and
a program is pointed at it with DBUS_SYSTEM_BUS_ADDRESS. The machine's real
system bus (and its time service) is never reached."""

import os
import select
import subprocess

from quarnel_e2e import end_process

# Debian's python3, which has python3-dbus and python3-gi (a python of another
# installation may run the tests themselves).
SYSTEM_PYTHON = "/usr/bin/python3"
STANDIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "timedate_standin.py")

CONFIGURATION = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
"""


def _first_line(process, what, timeout=10):
    """The first line a starting process prints, or an error that says what
    did not start."""
    ready, _, _ = select.select([process.stdout], [], [], timeout)
    line = process.stdout.readline().strip() if ready else ""
    if not line:
        process.kill()
        process.wait()
        raise RuntimeError(f"{what} did not start: {process.stderr.read()}")
    return line


def end_with_pipes(process):
    """Ends a process the test started and closes the pipes it was given."""
    end_process(process)
    for stream in (process.stdout, process.stderr):
        if stream:
            stream.close()


class PrivateBus:
    """dbus-daemon on a socket in `folder`, of the bus type `kind`; stop() ends
    it and everything started on it."""

    def __init__(self, folder, kind="quarnel-test"):
        self.socket = os.path.join(folder, f"{kind}-bus")
        configuration = os.path.join(folder, f"{kind}-bus.conf")
        with open(configuration, "w", encoding="utf-8") as file:
            file.write(CONFIGURATION.format(kind=kind, socket=self.socket))
        self.daemon = subprocess.Popen(
            ["dbus-daemon", f"--config-file={configuration}", "--nofork", "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.address = _first_line(self.daemon, "dbus-daemon")
        self.services = []

    def start_time_service(self, record, behaviour="accepting"):
        """The stand-in time service; it appends each call to `record` and
        answers as `behaviour` says (timedate_standin.py)."""
        service = subprocess.Popen(
            [SYSTEM_PYTHON, "-B", STANDIN, self.address, record, behaviour],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.services.append(service)
        _first_line(service, "the stand-in time service")

    def stop(self):
        for process in [*self.services, self.daemon]:
            end_with_pipes(process)
