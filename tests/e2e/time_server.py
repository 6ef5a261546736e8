"""Debian's chronyd as an NTP server on loopback, for the tests that ask a
time server.

    with TimeServer(scratch) as server:   # a folder, or a quarnel_e2e.Scratch
        server.address                   # "127.0.0.1:<port>"
        ask(server.address)              # one NTP exchange: stratum, offset, delay

chronyd runs from its Debian package, unpacked and never installed
(tools/fetch-real-daemons.sh), as the unprivileged user with the clock
interception library preloaded and no start offset, so it serves the real
time: -x keeps it away from the clock, a set that slipped past -x would move
only the library's clock, and one past the library fails with EPERM.

As a command it is CTest's fixture `time_server` (time_server.cmake), for
tests of any kind that ask a real server:

    time_server.py start FOLDER (--shim LIBRARY | --shim-source FILE --compiler CXX)
    time_server.py stop FOLDER
    time_server.py ask        (asks the server named in QUARNEL_TEST_TIME_SERVER_FILE)

`start` runs a supervisor in the background, which starts chronyd and writes
its address, one line, into FOLDER/address, then returns. The supervisor ends
chronyd and removes FOLDER when `stop` asks, when chronyd ends, and by itself
when the process that ran `start` ends, so a run cut short leaves nothing
behind. That process must be CTest itself, not a shell in between; and a
`ctest -R time_server.start` alone ends the server with that CTest run. A build without the library (the Windows cross build) names
its source and a compiler for this machine instead; it is built into FOLDER.
"""

import argparse
import os
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import time
from dataclasses import dataclass

from quarnel_e2e import (SANITIZER_RUNTIME, SHIM, ClockLog, DaemonsInFolder, _forget,
                         _live_processes, end_process, hand_over, unprivileged, wait_until)
from real_daemons import fetch_packages

ADDRESS_FILE = "address"
SUPERVISOR_PID_FILE = "supervisor.pid"
SUPERVISOR_LOG = "supervisor.log"
ADDRESS_VARIABLE = "QUARNEL_TEST_TIME_SERVER_FILE"
# Fetching the package may download it first.
START_TIMEOUT = 100

CONFIGURATION = """port {port}
bindaddress 127.0.0.1
allow 127.0.0.1
local stratum 8
cmdport 0
# No command socket in /run either: nobody commands this chronyd.
bindcmdaddress /
user nobody
pidfile {folder}/chronyd.pid
driftfile {folder}/drift
"""

# NTP counts seconds from 1900, the Unix clock from 1970.
NTP_TO_UNIX_SECONDS = 2_208_988_800
NS_PER_SECOND = 1_000_000_000
NTP_PACKET_SIZE = 48
# Leap indicator 0, version 4, mode 3 (client); a server answers in mode 4.
CLIENT_REQUEST = 0b00_100_011
SERVER_MODE = 4


def to_ntp_timestamp(unix_ns):
    seconds, rest = divmod(unix_ns, NS_PER_SECOND)
    return struct.pack("!II", seconds + NTP_TO_UNIX_SECONDS, (rest << 32) // NS_PER_SECOND)


def from_ntp_timestamp(packed):
    seconds, fraction = struct.unpack("!II", packed)
    return (seconds - NTP_TO_UNIX_SECONDS) * NS_PER_SECOND + (fraction * NS_PER_SECOND >> 32)


@dataclass
class NtpAnswer:
    stratum: int
    offset_ns: int  # how far the server's clock is ahead of this process's
    delay_ns: int   # the round trip, less the server's time with the request


def ask(address, timeout=1.0):
    """One NTP client exchange with the server at "host:port" (RFC 5905's
    offset and delay); raises OSError when no valid answer comes in time."""
    host, port = address.rsplit(":", 1)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as client:
        client.settimeout(timeout)
        sent = time.time_ns()
        transmit = to_ntp_timestamp(sent)
        client.sendto(bytes([CLIENT_REQUEST]) + bytes(39) + transmit, (host, int(port)))
        reply, _ = client.recvfrom(512)
        received = time.time_ns()
    if len(reply) < NTP_PACKET_SIZE or reply[0] & 0b111 != SERVER_MODE:
        raise OSError(f"no NTP server's answer from {address}: {reply.hex()}")
    if reply[24:32] != transmit:
        raise OSError(f"the answer from {address} is not to this request")
    server_received = from_ntp_timestamp(reply[32:40])
    server_sent = from_ntp_timestamp(reply[40:48])
    return NtpAnswer(stratum=reply[1],
                     offset_ns=((server_received - sent) + (server_sent - received)) // 2,
                     delay_ns=(received - sent) - (server_sent - server_received))


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class TimeServer(DaemonsInFolder):
    """chronyd serving the real time on a free port of 127.0.0.1, in
    `scratch`/time-server; stop() (or leaving the `with`) ends it, and the
    kernel ends it when the process that started it dies."""

    def __init__(self, scratch, shim=SHIM):
        if not shim:
            raise RuntimeError("QUARNEL_E2E_SHIM must name the clock interception library")
        self.folder = os.path.join(getattr(scratch, "path", scratch), "time-server")
        os.makedirs(self.folder)
        os.chmod(self.folder, 0o755)
        hand_over(self.folder)
        chronyd = os.path.join(fetch_packages("chrony")["chrony"], "usr/sbin/chronyd")
        # A copy the unprivileged user can read, which the build tree may not be.
        library = self.file("libquarnel_clockshim.so")
        shutil.copy(shim, library)
        self.clock = ClockLog(self.file("clock.log"))
        self.port = free_udp_port()
        self.address = f"127.0.0.1:{self.port}"
        configuration = self.file("chrony.conf")
        with open(configuration, "w", encoding="utf-8") as file:
            file.write(CONFIGURATION.format(port=self.port, folder=self.folder))
        environment = {
            "PATH": "/usr/bin:/bin",
            "LD_PRELOAD": " ".join(filter(None, [SANITIZER_RUNTIME, library])),
            "QUARNEL_CLOCKSHIM_LOG": self.clock.path,
        }
        with open(self.file("chronyd.log"), "ab") as output:
            self.process = subprocess.Popen(
                unprivileged(environment, [chronyd, "-x", "-U", "-d", "-f", configuration]),
                stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
        _live_processes.append(self.process)
        try:
            self._wait_for_answer()
        except BaseException:
            self.stop()
            raise

    def log(self):
        with open(self.file("chronyd.log"), encoding="utf-8", errors="replace") as file:
            return file.read()

    def _wait_for_answer(self, timeout=10):
        def answers():
            if self.process.poll() is not None:
                raise RuntimeError("chronyd ended at its start:\n" + self.log())
            try:
                return ask(self.address, timeout=0.2)
            except OSError:
                return None
        if not wait_until(answers, timeout):
            raise RuntimeError(f"chronyd did not answer on {self.address}:\n" + self.log())

    def stop(self):
        """Ends chronyd; may be called more than once."""
        end_process(self.process)
        _forget(_live_processes, self.process)


# --- the CTest fixture ---

class Ended(Exception):
    """A signal asked this process to end."""


def _end_on_signals():
    def ended(signal_number, _frame):
        raise Ended(signal_number)
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(number, ended)


def supervisor_alive(folder):
    """The pid of the supervisor of this folder, while it runs."""
    try:
        with open(os.path.join(folder, SUPERVISOR_PID_FILE), encoding="ascii") as file:
            pid = int(file.read())
        with open(f"/proc/{pid}/cmdline", "rb") as file:
            arguments = file.read().decode(errors="replace").split("\0")
    except (OSError, ValueError):
        return None
    # A pid alone may meanwhile be another process's.
    return pid if "serve" in arguments and folder in arguments else None


def processes_in(folder):
    """The processes but this one whose command line names the folder: the
    supervisor and chronyd."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as file:
                if folder.encode() in file.read():
                    found.append(int(entry))
        except (OSError, ValueError):
            pass
    return found


def build_shim(source, compiler, folder):
    library = os.path.join(folder, "libquarnel_clockshim.so")
    subprocess.run([compiler, "-std=c++20", "-O2", "-shared", "-fPIC", "-o", library, source,
                    "-ldl"], check=True, timeout=120)
    return library


def start(arguments):
    folder = os.path.abspath(arguments.folder)
    if supervisor_alive(folder):
        sys.exit(f"a time server of {folder} runs already (another test run?)")
    shutil.rmtree(folder, ignore_errors=True)  # what a killed machine left
    os.makedirs(folder)
    os.chmod(folder, 0o755)
    supervisor = None
    _end_on_signals()
    try:
        shim = arguments.shim or build_shim(arguments.shim_source, arguments.compiler, folder)
        with open(os.path.join(folder, SUPERVISOR_LOG), "ab") as log:
            supervisor = subprocess.Popen(
                [sys.executable, "-B", "-u", os.path.abspath(__file__), "serve", folder,
                 "--shim", shim, "--watch", str(os.getppid())],
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                start_new_session=True)
        with open(os.path.join(folder, SUPERVISOR_PID_FILE), "w", encoding="ascii") as file:
            file.write(f"{supervisor.pid}\n")
        address = os.path.join(folder, ADDRESS_FILE)
        if not wait_until(lambda: os.path.exists(address) or supervisor.poll() is not None,
                          START_TIMEOUT, interval=0.1) or not os.path.exists(address):
            raise RuntimeError("the time server did not start")
        with open(address, encoding="ascii") as file:
            print("time server:", file.read().strip(), "in", folder)
    except BaseException as error:
        if supervisor is not None:
            end_process(supervisor)
            with open(os.path.join(folder, SUPERVISOR_LOG), encoding="utf-8",
                      errors="replace") as file:
                print(file.read(), file=sys.stderr)
        shutil.rmtree(folder, ignore_errors=True)
        sys.exit(f"time_server.py start: {error!r}")


def serve(arguments):
    """The supervisor: chronyd until told to stop, chronyd ends or the
    watched process ends; then nothing is left of the folder."""
    folder = arguments.folder
    _end_on_signals()
    try:
        watched = os.pidfd_open(arguments.watch)
        with TimeServer(folder, shim=arguments.shim) as server:
            hand_over_address(folder, server.address)
            chronyd = os.pidfd_open(server.process.pid)
            ready, _, _ = select.select([watched, chronyd], [], [])
            print("ended:", "chronyd" if chronyd in ready else "the test run")
            if chronyd in ready:
                print(server.log())
    except Ended as signal_number:
        print("ended by signal", signal_number)
    except ProcessLookupError:
        print("the test run had ended already")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def hand_over_address(folder, address):
    """Writes the address file whole, so a reader never sees half of it."""
    staged = os.path.join(folder, ADDRESS_FILE + ".new")
    with open(staged, "w", encoding="ascii") as file:
        file.write(address + "\n")
    os.chmod(staged, 0o644)
    os.replace(staged, os.path.join(folder, ADDRESS_FILE))


def stop(arguments):
    folder = os.path.abspath(arguments.folder)
    pid = supervisor_alive(folder)
    if pid:
        os.kill(pid, signal.SIGTERM)
        if not wait_until(lambda: not supervisor_alive(folder), 15):
            os.kill(pid, signal.SIGKILL)  # chronyd dies with it (parent-death signal)
    shutil.rmtree(folder, ignore_errors=True)
    if not wait_until(lambda: not processes_in(folder), 5):
        sys.exit(f"processes of the time server outlived it: {processes_in(folder)}")


def ask_fixture(_arguments):
    """Asks the server the fixture started, as a test that requires it does."""
    with open(os.environ[ADDRESS_VARIABLE], encoding="ascii") as file:
        address = file.read().strip()
    answer = ask(address)
    print(f"{address}: {answer}")
    if answer.stratum != 8:
        sys.exit("the fixture's server does not answer at stratum 8")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    starting = commands.add_parser("start")
    starting.add_argument("folder")
    shims = starting.add_mutually_exclusive_group(required=True)
    shims.add_argument("--shim", help="the clock interception library")
    shims.add_argument("--shim-source", help="its source, built with --compiler")
    starting.add_argument("--compiler", default="c++")
    serving = commands.add_parser("serve")
    serving.add_argument("folder")
    serving.add_argument("--shim", required=True)
    serving.add_argument("--watch", type=int, required=True)
    stopping = commands.add_parser("stop")
    stopping.add_argument("folder")
    commands.add_parser("ask")
    arguments = parser.parse_args()
    {"start": start, "serve": serve, "stop": stop, "ask": ask_fixture}[arguments.command](
        arguments)


if __name__ == "__main__":
    main()
