"""Setting the clock without the right to set it. The clock interception
library refuses every direct step with EPERM, as the kernel refuses a user
without CAP_SYS_TIME; the program then asks the time service on the system
bus, which here is a private bus with a stand-in service of the test's own
(private_bus.py, timedate_standin.py).

The probe tests step the clock through the program's own Linux platform and
time-service client without the window and read the reason it gives; the
window tests check what the user sees and what is booked.
"""

import os
import unittest

from private_bus import PrivateBus
from quarnel_e2e import (NS_PER_MS, ClockLog, QuarnelTestCase, Scratch, real_clock_step_ns, run,
                         unprivileged, wait_until)

PROBE = os.environ.get("QUARNEL_E2E_PROBE", "")
REFUSED_DIRECTLY = "refused: Operation not permitted"
# The stand-in answering SetTime with a string, a value the method does not have.
OVERANSWERED = ("The system service org.freedesktop.timedate1 answered SetTime with values it "
                "does not define (signature \"s\")")


def read_lines(path):
    try:
        with open(path, encoding="utf-8") as file:
            return file.read().splitlines()
    except FileNotFoundError:
        return []


class TimeServiceProbeTest(unittest.TestCase):
    """The program's clock step on Linux, without the window."""

    def setUp(self):
        if not PROBE:
            raise RuntimeError("QUARNEL_E2E_PROBE must name quarnel_time_service_probe")
        self.real_clock_before = real_clock_step_ns()
        self.scratch = Scratch()
        self.addCleanup(self.scratch.remove)
        self.scratch.copy(PROBE, "probe")
        self.record = self.scratch.file("timedate.log")

    def tearDown(self):
        moved = real_clock_step_ns() - self.real_clock_before
        self.assertLess(abs(moved), 50 * NS_PER_MS, "the real clock moved during the test")

    def step(self, shift, bus_address, direct_refused=True):
        environment = {
            "HOME": self.scratch.path,
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "offscreen",
            "LD_PRELOAD": self.scratch.file("libquarnel_clockshim.so"),
            "QUARNEL_CLOCKSHIM_LOG": self.scratch.file("clock.log"),
            "DBUS_SYSTEM_BUS_ADDRESS": bus_address,
        }
        if direct_refused:
            environment["QUARNEL_CLOCKSHIM_REFUSE"] = "1"
        return run(unprivileged(environment, [self.scratch.file("probe"), str(shift)]),
                   timeout=30).stdout.strip()

    def private_bus(self, service="accepting"):
        bus = PrivateBus(self.scratch.path)
        self.addCleanup(bus.stop)
        if service:
            bus.start_time_service(self.record, service)
        return bus.address

    def test_a_refused_step_is_asked_of_the_time_service(self):
        # A shift of 100-ns units becomes whole microseconds, either way.
        address = self.private_bus()
        for shift, usec in ((3_000_000, 300000), (-3_000_000, -300000), (500_000, 50000)):
            with self.subTest(shift=shift):
                self.assertEqual(self.step(shift, address), "stepped")
                self.assertEqual(read_lines(self.record)[-1], f"SetTime {usec} True True")

    def test_the_services_refusal_is_the_reason(self):
        # A reply with values SetTime does not have is no proof of a set.
        cases = {
            "refusing": "Automatic time synchronization is enabled",
            "overanswering": OVERANSWERED,
        }
        for service, reason in cases.items():
            with self.subTest(service):
                self.record = self.scratch.file(f"timedate-{service}.log")
                bus = PrivateBus(self.scratch.path)
                try:
                    bus.start_time_service(self.record, service)
                    self.assertEqual(self.step(3_000_000, bus.address), f"refused: {reason}")
                finally:
                    bus.stop()
                self.assertEqual(read_lines(self.record), ["SetTime 300000 True True"])
                changes = ClockLog(self.scratch.file("clock.log")).changes()
                self.assertTrue(changes and all(change.refused for change in changes), changes)

    def test_with_nobody_to_ask_the_direct_reason_stands(self):
        cases = {
            "no bus": f"unix:path={self.scratch.file('no-bus')}",
            "a bus without the service": self.private_bus(service=None),
        }
        for case, address in cases.items():
            with self.subTest(case):
                self.assertEqual(self.step(3_000_000, address), REFUSED_DIRECTLY)

    def test_a_direct_step_that_succeeds_asks_nobody(self):
        address = self.private_bus()
        self.assertEqual(self.step(3_000_000, address, direct_refused=False), "stepped")
        self.assertEqual(read_lines(self.record), [])
        self.assertIn("move_ns=300000000", self.scratch.read("clock.log"))


class TimeServiceWindowTest(QuarnelTestCase):
    """The window, set to active, with every direct step refused; the
    subclasses say how the time service answers."""

    time_service = "accepting"  # a behaviour of timedate_standin.py, or None for no bus at all

    def prepare(self):
        self.record = self.scratch.file("timedate.log")
        self.bus_address = f"unix:path={self.scratch.file('no-bus')}"
        if self.time_service:
            bus = PrivateBus(self.scratch.path)
            self.addCleanup(bus.stop)
            bus.start_time_service(self.record, self.time_service)
            self.bus_address = bus.address

    def program_environment(self):
        return {"DBUS_SYSTEM_BUS_ADDRESS": self.bus_address, "QUARNEL_CLOCKSHIM_REFUSE": "1"}

    def setUp(self):
        super().setUp()
        self.quarnel.click_tab("Timeshift")
        self.quarnel.click("swPauseActive")

    def assertDirectStepRefused(self):
        change = self.clock.next_change()
        self.assertIsNotNone(change, "the clock was not stepped")
        self.assertTrue(change.refused, f"the direct step was not refused: {change}")

    def assertServiceAsked(self, calls):
        asked = wait_until(lambda: read_lines(self.record) == calls, 5)
        self.assertTrue(asked, f"the time service got {read_lines(self.record)}")

    def assertErrorBox(self, text):
        self.assertEqual(self.quarnel.error_box_text(), text)


class ThroughTheTimeServiceTest(TimeServiceWindowTest):

    def test_set_and_reset_go_through_the_time_service(self):
        q = self.quarnel
        for _ in range(3):
            q.click("btnPlus")
        q.click("btnSet")
        self.assertDirectStepRefused()
        self.assertServiceAsked(["SetTime 300000 True True"])
        self.assertShowsAfterTick("edCurRunShift", "0.3")

        q.click("btnSetOrigin")  # RESET
        self.assertDirectStepRefused()
        self.assertServiceAsked(["SetTime 300000 True True", "SetTime -300000 True True"])
        self.assertShowsAfterTick("edCurRunShift", "0.0")


class RefusedByTheTimeServiceTest(TimeServiceWindowTest):
    time_service = "refusing"
    error_box = ("The clock could not be set: Automatic time synchronization is enabled. Switch "
                 "Quarnel on to hold it, or name the time service on the Setup tab.")

    def test_a_refusal_is_shown_and_not_booked(self):
        q = self.quarnel
        q.click("btnPlus")
        q.click("btnSet")
        self.assertDirectStepRefused()
        self.assertServiceAsked(["SetTime 100000 True True"])
        self.assertErrorBox(self.error_box)
        self.assertShowsAfterTick("edCurRunShift", "0.0")


class OveransweredByTheTimeServiceTest(RefusedByTheTimeServiceTest):
    time_service = "overanswering"
    error_box = f"The clock could not be set: {OVERANSWERED}"


class WithoutABusTest(TimeServiceWindowTest):
    time_service = None

    def test_the_direct_refusal_is_shown_and_not_booked(self):
        q = self.quarnel
        q.click("btnPlus")
        q.click("btnSet")
        self.assertDirectStepRefused()
        self.assertErrorBox("The clock could not be set: Operation not permitted.")
        self.assertShowsAfterTick("edCurRunShift", "0.0")
        self.assertEqual(read_lines(self.record), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
