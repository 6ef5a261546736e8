"""The time server the tests ask (time_server.py): Debian's chronyd answers an
NTP client's request with the real time at stratum 8, never sets a clock,
and is gone, with its folder, when it is stopped, also when the CTest fixture
that runs it is stopped or the test run that started it is cut short."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

from quarnel_e2e import (NS_PER_MS, NS_PER_US, SCRATCH_PARENT, SHIM, SOURCE_DIR, UNPRIVILEGED,
                         _forget, _live_directories, _live_processes, end_process,
                         real_clock_step_ns, run, wait_until)
from time_server import ADDRESS_FILE, TimeServer, ask, processes_in

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "time_server.py")
SHIM_SOURCE = os.path.join(SOURCE_DIR, "tools", "clockshim", "ClockShim.cpp")
READING_SLACK_NS = 100 * NS_PER_US


def user_of(pid):
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("Uid:"):
                return int(line.split()[1])
    raise AssertionError(f"process {pid} has no user")


class TimeServerHarnessTest(unittest.TestCase):
    def setUp(self):
        print("date before:", run(["date", "+%F %T.%N"]).stdout.strip())
        self.real_clock_before = real_clock_step_ns()
        if SCRATCH_PARENT:
            os.makedirs(SCRATCH_PARENT, mode=0o755, exist_ok=True)
        self.scratch = tempfile.mkdtemp(prefix="quarnel-time-server-", dir=SCRATCH_PARENT)
        os.chmod(self.scratch, 0o755)
        _live_directories.append(self.scratch)
        self.addCleanup(self._remove_scratch_and_check_real_clock)

    def _remove_scratch_and_check_real_clock(self):
        shutil.rmtree(self.scratch, ignore_errors=True)
        _forget(_live_directories, self.scratch)
        print("date after:", run(["date", "+%F %T.%N"]).stdout.strip())
        moved = real_clock_step_ns() - self.real_clock_before
        self.assertLess(abs(moved), 50 * NS_PER_MS, "the real clock moved during the test")

    def assertServesTheRealTime(self, address):
        answer = ask(address)
        print(f"{address}: {answer}")
        self.assertEqual(answer.stratum, 8)
        self.assertLess(answer.delay_ns, 50 * NS_PER_MS)
        # Both clocks are the real one: what the exchange measures is only
        # the uneven halves of its round trip (and the readings' rounding).
        self.assertLessEqual(abs(answer.offset_ns), answer.delay_ns // 2 + READING_SLACK_NS)

    def test_chronyd_serves_the_real_time_as_the_unprivileged_user(self):
        with TimeServer(self.scratch) as server:
            host, port = server.address.split(":")
            self.assertEqual(host, "127.0.0.1")
            self.assertServesTheRealTime(server.address)
            self.assertServesTheRealTime(server.address)  # and keeps serving
            self.assertEqual(user_of(server.process.pid), UNPRIVILEGED)
            process = server.process
        self.assertIsNotNone(process.poll(), "chronyd outlived its harness")
        self.assertEqual(server.clock.changes(), [], "chronyd tried to set its clock")
        with self.assertRaises(OSError):
            ask(f"127.0.0.1:{port}", timeout=0.3)

    # --- the CTest fixture ---

    def fixture(self, command, *arguments, **kwargs):
        return subprocess.run([sys.executable, "-B", SCRIPT, command, *arguments],
                              capture_output=True, text=True, timeout=150, **kwargs)

    def address_in(self, folder):
        with open(os.path.join(folder, ADDRESS_FILE), encoding="ascii") as file:
            return file.read().strip()

    def test_the_fixture_as_the_windows_build_runs_it_leaves_nothing(self):
        """A clock library built from its source, as the cross build has
        none of this machine's; the address read through the test variable."""
        folder = os.path.join(self.scratch, "fixture")
        started = self.fixture("start", folder, "--shim-source", SHIM_SOURCE)
        self.addCleanup(self.fixture, "stop", folder)
        self.assertEqual(started.returncode, 0, started.stderr)
        self.assertServesTheRealTime(self.address_in(folder))
        variable = {"QUARNEL_TEST_TIME_SERVER_FILE": os.path.join(folder, ADDRESS_FILE)}
        asked = self.fixture("ask", env=dict(os.environ, **variable))
        self.assertEqual(asked.returncode, 0, asked.stderr)
        self.assertTrue(processes_in(folder))

        stopped = self.fixture("stop", folder)
        self.assertEqual(stopped.returncode, 0, stopped.stderr)
        self.assertFalse(os.path.exists(folder))
        self.assertEqual(processes_in(folder), [])

    def test_the_fixture_ends_with_the_run_that_started_it(self):
        """A stand-in for CTest starts the fixture and is killed, as a run
        cut short is: the supervisor ends chronyd and removes the folder."""
        folder = os.path.join(self.scratch, "fixture")
        with open(os.path.join(self.scratch, "run-standin.log"), "ab") as output:
            run_standin = subprocess.Popen(
                ["sh", "-c", 'python3 -B "$0" start "$1" --shim "$2" && exec sleep 600',
                 SCRIPT, folder, SHIM], stdout=output, stderr=subprocess.STDOUT)
        _live_processes.append(run_standin)
        self.addCleanup(lambda: (end_process(run_standin), _forget(_live_processes, run_standin)))
        self.addCleanup(self.fixture, "stop", folder)
        self.assertTrue(wait_until(lambda: os.path.exists(os.path.join(folder, ADDRESS_FILE))
                                   or run_standin.poll() is not None, 120))
        self.assertServesTheRealTime(self.address_in(folder))
        again = self.fixture("start", folder, "--shim", SHIM)
        self.assertNotEqual(again.returncode, 0, "a second server started in the same folder")
        self.assertIn("runs already", again.stderr)

        run_standin.send_signal(signal.SIGKILL)
        run_standin.wait()
        self.assertTrue(wait_until(lambda: not os.path.exists(folder), 10),
                        "the fixture's folder outlived the test run")
        self.assertTrue(wait_until(lambda: not processes_in(folder), 5), processes_in(folder))


if __name__ == "__main__":
    unittest.main(verbosity=2)
