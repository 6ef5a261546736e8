"""A GPS receiver of the tests' own on a pseudo-terminal, and Debian's gpsd
reading it.

    with Receiver(scratch) as receiver:   # a folder, or a quarnel_e2e.Scratch
        receiver.device                   # "/dev/pts/N", given to the unprivileged user
        receiver.fix = False              # the next bursts say "no fix"
        with Gpsd(scratch, receiver, start_offset_ns) as gpsd:
            gpsd.source                   # "gpsd:127.0.0.1:<port>"

The receiver writes one burst a second (RMC and GGA), made from the real
time, starting DELAY_NS after each real second, as a receiver does a fixed
delay after the true second. Nothing here opens a serial device of the
machine: the terminal is one the test makes.

gpsd runs from its Debian package, unpacked and never installed
(tools/fetch-real-daemons.sh), as the unprivileged user in the foreground,
with the clock interception library preloaded and the start offset the
program has: on a real machine the two read one clock, and gpsd stamps each
burst (TOFF) with its reading of it.
"""

import os
import shutil
import socket
import subprocess
import threading
import time
import tty

from quarnel_e2e import (SANITIZER_RUNTIME, SHIM, ClockLog, DaemonsInFolder, _forget,
                         _live_processes, end_process, hand_over, unprivileged, wait_until)
from real_daemons import fetch_packages

NS_PER_SECOND = 1_000_000_000
DELAY_NS = 100_000_000


def nmea(body):
    """The sentence with its checksum, as a receiver sends it."""
    checksum = 0
    for character in body.encode("ascii"):
        checksum ^= character
    return f"${body}*{checksum:02X}\r\n"


def burst(second, fix=True):
    t = time.gmtime(second)
    hhmmss = time.strftime("%H%M%S", t) + ".00"
    ddmmyy = time.strftime("%d%m%y", t)
    status, quality = ("A", "1,07") if fix else ("V", "0,00")
    return (nmea(f"GPRMC,{hhmmss},{status},4717.11437,N,00833.91522,E,0.004,77.52,{ddmmyy},,,A")
            + nmea(f"GPGGA,{hhmmss},4717.11399,N,00833.91590,E,{quality},1.01,499.6,M,48.0,M,,"))


class Receiver:
    """A pseudo-terminal fed with a burst each second until stop()."""

    def __init__(self, scratch):
        self.controller, self.terminal = os.openpty()
        # Raw, so that nothing is echoed back or turned into something else
        # before a reader sets the terminal up itself.
        tty.setraw(self.terminal)
        self.device = os.ttyname(self.terminal)
        hand_over(self.device)
        self.fix = True
        self.bursts = 0
        self._stopping = threading.Event()
        self._thread = threading.Thread(target=self._feed, daemon=True)
        self._thread.start()

    def _feed(self):
        second = int(time.time()) + 1
        while not self._stopping.is_set():
            wait = second + DELAY_NS / NS_PER_SECOND - time.time()
            if wait > 0 and self._stopping.wait(wait):
                break
            if time.time() - second < 0.5:  # a late wake-up skips its second
                os.write(self.controller, burst(second, self.fix).encode("ascii"))
                self.bursts += 1
            second = max(second + 1, int(time.time()))

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    def stop(self):
        """Ends the bursts and closes the terminal; may be called more than once."""
        if self._stopping.is_set():
            return
        self._stopping.set()
        self._thread.join()
        os.close(self.controller)
        os.close(self.terminal)


def free_tcp_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Gpsd(DaemonsInFolder):
    """gpsd reading the receiver and serving on a free port of 127.0.0.1, in
    `scratch`/gpsd."""

    def __init__(self, scratch, receiver, start_offset_ns, shim=SHIM):
        if not shim:
            raise RuntimeError("QUARNEL_E2E_SHIM must name the clock interception library")
        self.folder = os.path.join(getattr(scratch, "path", scratch), "gpsd")
        os.makedirs(self.folder)
        os.chmod(self.folder, 0o755)
        hand_over(self.folder)
        gpsd = os.path.join(fetch_packages("gpsd")["gpsd"], "usr/sbin/gpsd")
        library = self.file("libquarnel_clockshim.so")
        shutil.copy(shim, library)
        self.clock = ClockLog(self.file("clock.log"))
        self.port = free_tcp_port()
        self.source = f"gpsd:127.0.0.1:{self.port}"
        environment = {
            "PATH": "/usr/bin:/bin",
            "LD_PRELOAD": " ".join(filter(None, [SANITIZER_RUNTIME, library])),
            "QUARNEL_CLOCKSHIM_LOG": self.clock.path,
            "QUARNEL_CLOCKSHIM_START_OFFSET_NS": str(start_offset_ns),
        }
        command = [gpsd, "-N", "-n", "-b", "-S", str(self.port),
                   "-F", self.file("ctl.sock"), receiver.device]
        with open(self.file("gpsd.log"), "ab") as output:
            self.process = subprocess.Popen(unprivileged(environment, command),
                                            stdin=subprocess.DEVNULL, stdout=output,
                                            stderr=subprocess.STDOUT)
        _live_processes.append(self.process)
        try:
            self._wait_for_port()
        except BaseException:
            self.stop()
            raise

    def log(self):
        with open(self.file("gpsd.log"), encoding="utf-8", errors="replace") as file:
            return file.read()

    def _wait_for_port(self, timeout=10):
        def listening():
            if self.process.poll() is not None:
                raise RuntimeError("gpsd ended at its start:\n" + self.log())
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return True
            except OSError:
                return False
        if not wait_until(listening, timeout):
            raise RuntimeError(f"gpsd did not listen on port {self.port}:\n" + self.log())

    def stop(self):
        """Ends gpsd; may be called more than once."""
        end_process(self.process)
        _forget(_live_processes, self.process)
