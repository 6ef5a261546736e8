"""The real systemd-timedated and polkitd on a private bus (real_daemons.py),
called by a plain D-Bus client (dbus_call.py) run as the unprivileged user, as
the program will call them: what they answer under each polkit rule, that a
granted step moves only timedated's intercepted clock, and what reaches the
stand-in systemd when NTP is switched and when a service is stopped.
"""

import json
import os
import shutil
import tempfile
import unittest

from private_bus import SYSTEM_PYTHON
from quarnel_e2e import (NS_PER_MS, SCRATCH_PARENT, UNPRIVILEGED, _forget,
                         _live_directories, hand_over, real_clock_step_ns, run, unprivileged)
from real_daemons import RealTimeDaemons

CLIENT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dbus_call.py")
TIMEDATE = ("org.freedesktop.timedate1", "/org/freedesktop/timedate1",
            "org.freedesktop.timedate1")
MANAGER = ("org.freedesktop.systemd1", "/org/freedesktop/systemd1",
           "org.freedesktop.systemd1.Manager")
NTP_UNIT = "systemd-timesyncd.service"
KEEPER = "chrony.service"
NS_PER_US = 1_000

DENIED = {"error": "org.freedesktop.DBus.Error.AccessDenied", "message": "Permission denied"}
NEEDS_AGENT = {"error": "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
               "message": "Interactive authentication required."}
NTP_ON = {"error": "org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
          "message": "Automatic time synchronization is enabled"}


def wall_clock_since_boot():
    """Where the real clock, as `date` shows it, stands against the time since
    boot, as /proc/uptime shows it: the bounds of the difference, read between
    two readings of the uptime (which counts in hundredths of a second). It
    changes only when someone sets the real clock."""
    before, date, after = run(["sh", "-c", "cat /proc/uptime; date +%s%N; cat /proc/uptime"]
                              ).stdout.split("\n")[:3]
    uptime_ns = [round(float(line.split()[0]) * 100) * 10 * NS_PER_MS for line in (before, after)]
    return int(date) - uptime_ns[1] - 10 * NS_PER_MS, int(date) - uptime_ns[0]


class RealDaemonsTestCase(unittest.TestCase):
    """A scratch folder of the test's own, the daemons started in it, and a
    check that the real clock stayed where it was."""

    polkit_rule = "yes"
    ntp_active = False

    def setUp(self):
        print("date before:", run(["date", "+%F %T.%N"]).stdout.strip())
        self.real_clock_before = real_clock_step_ns()
        self.wall_clock_before = wall_clock_since_boot()
        if SCRATCH_PARENT:
            os.makedirs(SCRATCH_PARENT, mode=0o755, exist_ok=True)
        self.scratch = tempfile.mkdtemp(prefix="quarnel-e2e-", dir=SCRATCH_PARENT)
        _live_directories.append(self.scratch)
        self.addCleanup(self._remove_scratch)
        os.chmod(self.scratch, 0o755)
        hand_over(self.scratch)
        self.client = os.path.join(self.scratch, "dbus_call.py")
        shutil.copy(CLIENT, self.client)
        self.daemons = RealTimeDaemons(self.scratch, polkit_rule=self.polkit_rule,
                                       ntp_active=self.ntp_active, units={KEEPER: True},
                                       failing_units=["failing.service"],
                                       refusing_units=["refusing.service"])
        self.addCleanup(self.daemons.stop)

    def tearDown(self):
        print("date after:", run(["date", "+%F %T.%N"]).stdout.strip())
        moved = real_clock_step_ns() - self.real_clock_before
        self.assertLess(abs(moved), 50 * NS_PER_MS, "the real clock moved during the test")
        # The two ranges overlap unless the clock `date` reads moved.
        (low_before, high_before), (low_after, high_after) = (self.wall_clock_before,
                                                              wall_clock_since_boot())
        self.assertLess(max(low_before, low_after) - min(high_before, high_after),
                        50 * NS_PER_MS, "date moved against /proc/uptime")

    def _remove_scratch(self):
        shutil.rmtree(self.scratch, ignore_errors=True)
        _forget(_live_directories, self.scratch)

    def call(self, target, member, signature="", args=(), interactive=True, wait_job=False):
        """The answer to one call made as the unprivileged user."""
        options = ([] if interactive else ["--not-interactive"]) + (
            ["--wait-job"] if wait_job else [])
        command = [SYSTEM_PYTHON, "-B", self.client, self.daemons.address, *target, member,
                   signature, json.dumps(list(args)), *options]
        answer = run(unprivileged({"LANG": "C.UTF-8"}, command), timeout=40).stdout
        return json.loads(answer)

    def set_time(self, usec):
        return self.call(TIMEDATE, "SetTime", "xbb", [usec, True, True])

    def set_ntp(self, enable):
        return self.call(TIMEDATE, "SetNTP", "bb", [enable, True])

    def unit_state(self, unit):
        path = "/org/freedesktop/systemd1/unit/" + "".join(
            c if c.isalnum() else f"_{ord(c):02x}" for c in unit)
        answer = self.call(("org.freedesktop.systemd1", path, "org.freedesktop.DBus.Properties"),
                           "GetAll", "s", [""])
        return answer["reply"][0]["ActiveState"]

    def assertClockStepped(self, usec):
        changes = self.daemons.clock.changes()
        self.assertEqual(len(changes), 1, f"timedated's clock changes: {changes}")
        print(f"timedated moved its clock {changes[0].move_ns} ns, asked {usec * NS_PER_US} ns")
        self.assertLess(abs(changes[0].move_ns - usec * NS_PER_US), NS_PER_MS)
        self.assertFalse(changes[0].refused)


    def assertTimedatedUnprivileged(self):
        processes = self.daemons.timedated_processes()
        self.assertTrue(processes, "no timedated runs")
        for pid in processes:
            with open(f"/proc/{pid}/status", encoding="ascii") as status:
                fields = dict(line.split(":", 1) for line in status)
            self.assertEqual(fields["Uid"].split(), [str(UNPRIVILEGED)] * 4)
            # Its capabilities are those of root in a user namespace of its
            # own, which give no right over the machine's clock.
            self.assertNotEqual(os.readlink(f"/proc/{pid}/ns/user"),
                                os.readlink("/proc/self/ns/user"))


class SetTimeTest(RealDaemonsTestCase):

    def test_the_answer_follows_the_polkit_rule(self):
        cases = [
            ("no", DENIED),
            ("auth_admin", NEEDS_AGENT),
            ("yes", {"reply": []}),
        ]
        for rule, answer in cases:
            with self.subTest(rule=rule):
                self.daemons.set_polkit_rule(rule)
                self.assertEqual(self.set_time(-300_000), answer)
        # Only the granted step reached timedated's clock, and timedated has
        # no right to reach the real one.
        self.assertClockStepped(-300_000)
        self.assertTimedatedUnprivileged()
        self.assertEqual(self.daemons.clock_offset_ns(),
                         self.daemons.clock.changes()[0].offset_ns)

    def test_a_restarted_timedated_keeps_its_clock(self):
        # timedated ends itself when idle; the bus starts it again on the next
        # call, and the new one steps on from where the last one left off.
        self.assertEqual(self.set_time(300_000), {"reply": []})
        first = self.daemons.clock.changes()[0]
        self.daemons.end_timedated()
        self.assertEqual(self.set_time(200_000), {"reply": []})
        second = self.daemons.clock.changes()[1]
        self.assertNotEqual(first.fields["pid"], second.fields["pid"])
        self.assertLess(abs(second.offset_ns - 500_000 * NS_PER_US), 2 * NS_PER_MS)


class WithNtpActiveTest(RealDaemonsTestCase):
    ntp_active = True

    def test_set_time_is_refused_until_ntp_is_switched_off(self):
        self.assertEqual(self.set_time(100_000), NTP_ON)
        self.assertEqual(self.daemons.clock.changes(), [])

        self.assertEqual(self.set_ntp(False), {"reply": []})
        self.assertEqual(self.unit_state(NTP_UNIT), "inactive")
        self.assertEqual(self.set_time(100_000), {"reply": []})
        self.assertClockStepped(100_000)

    def test_set_ntp_disables_and_stops_then_enables_and_starts_the_unit(self):
        changes = ("EnableUnitFiles", "DisableUnitFiles", "Reload", "StartUnit", "StopUnit")
        self.assertEqual(self.set_ntp(False), {"reply": []})
        self.assertEqual(self.set_ntp(True), {"reply": []})
        calls = self.daemons.systemd_calls(changes)
        self.assertEqual([(call["member"], call["args"]) for call in calls], [
            ("DisableUnitFiles", [[NTP_UNIT], False]),
            ("Reload", []),
            ("StopUnit", [NTP_UNIT, "replace"]),
            ("EnableUnitFiles", [[NTP_UNIT], False, True]),
            ("Reload", []),
            ("StartUnit", [NTP_UNIT, "replace"]),
        ])
        self.assertTrue(all(call["outcome"] == "ok" for call in calls), calls)
        self.assertEqual(self.unit_state(NTP_UNIT), "active")

    def test_set_ntp_is_refused_under_no(self):
        self.daemons.set_polkit_rule("no")
        self.assertEqual(self.set_ntp(False), DENIED)
        self.assertEqual(self.daemons.systemd_calls(("DisableUnitFiles", "StopUnit")), [])
        self.assertEqual(self.unit_state(NTP_UNIT), "active")


class StopUnitTest(RealDaemonsTestCase):

    def stop_unit(self, unit, interactive=True, wait_job=False):
        return self.call(MANAGER, "StopUnit", "ss", [unit, "replace"], interactive, wait_job)

    def test_the_answer_follows_the_polkit_rule_and_the_interactive_flag(self):
        cases = [
            ("no", True, DENIED),
            ("auth_admin", True, NEEDS_AGENT),
            ("auth_admin", False, NEEDS_AGENT),
            ("yes", False, None),
        ]
        for rule, interactive, answer in cases:
            with self.subTest(rule=rule, interactive=interactive):
                self.daemons.set_polkit_rule(rule)
                got = self.stop_unit(KEEPER, interactive, wait_job=answer is None)
                if answer is None:
                    self.assertRegex(got["reply"][0], r"^/org/freedesktop/systemd1/job/\d+$")
                    self.assertEqual(got["result"], "done")
                else:
                    self.assertEqual(got, answer)
                call = self.daemons.systemd_calls(("StopUnit",))[-1]
                self.assertEqual(call["args"], [KEEPER, "replace"])
                self.assertEqual(call["interactive"], interactive)
                self.assertEqual(call["outcome"], got.get("error", "ok"))
        self.assertEqual(self.unit_state(KEEPER), "inactive")

    def test_start_brings_the_unit_back(self):
        self.assertIn("reply", self.stop_unit(KEEPER))
        started = self.call(MANAGER, "StartUnit", "ss", [KEEPER, "replace"], wait_job=True)
        self.assertEqual(started["result"], "done")
        self.assertEqual(self.unit_state(KEEPER), "active")

    def test_units_that_cannot_be_stopped(self):
        cases = [
            ("nosuch.service", {"error": "org.freedesktop.systemd1.NoSuchUnit",
                                "message": "Unit nosuch.service not loaded."}),
            ("refusing.service", {
                "error": "org.freedesktop.systemd1.OnlyByDependency",
                "message": "Operation refused, unit refusing.service may be requested by "
                           "dependency only (it is configured to refuse manual stop)."}),
            ("chrony", {"error": "org.freedesktop.DBus.Error.InvalidArgs",
                        "message": "Unit name chrony is not valid."}),
        ]
        for unit, answer in cases:
            with self.subTest(unit=unit):
                self.assertEqual(self.stop_unit(unit), answer)

    def test_a_failing_stop_job_reports_failed(self):
        # Like systemd, the call itself succeeds; the job's end says it failed.
        got = self.stop_unit("failing.service", wait_job=True)
        self.assertIn("reply", got)
        self.assertEqual(got["result"], "failed")
        self.assertEqual(self.unit_state("failing.service"), "failed")


if __name__ == "__main__":
    unittest.main(verbosity=2)
