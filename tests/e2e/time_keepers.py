"""Time keepers of the test's own, for the program to stop and start: a fake
`systemctl` that only records its arguments, and a dummy program.

Both live in the test's scratch directory and run as the unprivileged user,
as the program does, so the program can end the dummy and the fake can write
its record there.
"""

import os
import shlex
import shutil
import signal
import subprocess

from quarnel_e2e import hand_over, unprivileged, wait_until


class FakeSystemctl:
    """bin/systemctl in the scratch directory, first on the program's PATH.
    Each call appends one line: its arguments, each followed by a tab."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.log = "systemctl.log"
        scratch.write("bin/systemctl",
                      "#!/bin/sh\n"
                      f"{{ printf '%s\\t' \"$@\"; printf '\\n'; }} >> '{scratch.file(self.log)}'\n",
                      executable=True)

    def calls(self):
        """The argument lists of the calls so far; a line still being written
        is left for later."""
        text = self.scratch.read(self.log) or ""
        return [line[:-1].split("\t")[:-1] for line in text.splitlines(keepends=True)
                if line.endswith("\n")]

    def wait_for_calls(self, count, timeout=5):
        """The calls once there are `count` of them (or all there are when the
        time is up)."""
        wait_until(lambda: len(self.calls()) >= count, timeout)
        return self.calls()


class DummyTimeKeeper:
    """A copy of the shell under a name no other process on this machine has,
    so that the program, which ends every process of that file name, can end
    nothing but the dummy, and the test can end every run of it it caused.
    Run with `parameters`, it writes its arguments to keeper.argv (each
    followed by "|") and waits on a named pipe that nobody ever writes."""

    # The program splits them like a shell line: the script, then $0, $1, $2.
    parameters = ("-c 'printf \"%s|\" \"$0\" \"$@\" > keeper.argv; read line < keeper.fifo' "
                  "keeper first \"second word\"")
    recorded_arguments = "keeper|first|second word|"

    def __init__(self, scratch):
        self.scratch = scratch
        self.path = scratch.file("keeper-" + scratch.unique_name)
        scratch.copy(os.path.realpath(shutil.which("dash")), os.path.basename(self.path))
        os.mkfifo(scratch.file("keeper.fifo"), 0o600)
        hand_over(scratch.file("keeper.fifo"))
        self.process = None

    def start(self):
        """Starts the dummy as the program would, and waits until it waits."""
        self.process = subprocess.Popen(
            unprivileged({"PATH": "/usr/bin:/bin"}, [self.path, *shlex.split(self.parameters)]),
            cwd=self.scratch.path, stdin=subprocess.DEVNULL)
        if self.arguments_recorded() != self.recorded_arguments:
            raise AssertionError("the dummy time keeper did not start")

    def arguments_recorded(self, timeout=5):
        """What the last run wrote to keeper.argv once it is complete, or what
        is there when the time is up."""
        wait_until(lambda: self.scratch.read("keeper.argv") == self.recorded_arguments, timeout)
        return self.scratch.read("keeper.argv")

    def forget_arguments(self):
        os.remove(self.scratch.file("keeper.argv"))

    def running_ids(self):
        """The ids of the processes that run the dummy's file."""
        return [int(entry) for entry in os.listdir("/proc")
                if entry.isdigit() and self._runs_dummy(entry)]

    def _runs_dummy(self, pid):
        try:
            return os.readlink(f"/proc/{pid}/exe") == self.path
        except OSError:
            return False

    def stop(self):
        """Ends every run of the dummy: the one the test started and those the
        program launched."""
        for pid in self.running_ids():
            os.kill(pid, signal.SIGTERM)
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
        if self.process is not None:
            self.process.wait(timeout=5)
        wait_until(lambda: not self.running_ids(), 5)
