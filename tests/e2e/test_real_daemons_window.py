"""The real program, run as the unprivileged user with every direct clock step
refused, against Debian's real systemd-timedated and polkitd on a private bus
with a stand-in systemd (real_daemons.py): the pause switch holds the
system's own network time synchronization or a named service, a set goes
through timedated's SetTime, and each refusal reaches the user with its
reason. timedated's clock is its own interception library's, so a set shows
in that library's log.
"""

import unittest

from quarnel_e2e import NS_PER_MS, QuarnelTestCase, wait_until
from real_daemons import RealTimeDaemons

NTP_UNIT = "systemd-timesyncd.service"
UNIT_CHANGES = ("DisableUnitFiles", "EnableUnitFiles", "StopUnit", "StartUnit")
HOLDING = "Holding: network time synchronization"
SEE_RIGHTS = " See \"Rights Quarnel needs\" on the help page, under the Help button."


class WithRealDaemonsTestCase(QuarnelTestCase):
    """The daemons started before the program, which is pointed at their bus;
    the subclasses say what polkit answers and what the service manager has."""

    polkit_rule = "yes"
    ntp_active = True
    service = ""
    units = {"chronyd.service": True}
    failing_units = ()
    refusing_units = ()

    def prepare(self):
        self.daemons = RealTimeDaemons(self.scratch, polkit_rule=self.polkit_rule,
                                       ntp_active=self.ntp_active, ntp_unit=NTP_UNIT,
                                       units=self.units, failing_units=self.failing_units,
                                       refusing_units=self.refusing_units)
        self.addCleanup(self.daemons.stop)
        self.scratch.write("Quarnel.ini", f"[Setup]\nService={self.service}\n")

    def program_environment(self):
        return {"DBUS_SYSTEM_BUS_ADDRESS": self.daemons.address, "QUARNEL_CLOCKSHIM_REFUSE": "1"}

    # --- what the user sees ---

    def label(self, widget):
        return self.quarnel.label_text(widget, self.scratch.file(f"{widget}.png"))

    def assertLabel(self, widget, text, timeout=5):
        shown = wait_until(lambda: (t := self.label(widget)) == text and t, timeout, interval=0.2)
        self.assertEqual(shown or self.label(widget), text)

    def assertNotHolding(self):
        self.quarnel.click_tab("Setup")
        self.assertNotIn("Holding", self.label("lblHolding"))
        self.quarnel.click_tab("Timeshift")

    def switch(self):
        self.quarnel.click_tab("Timeshift")
        self.quarnel.click("swPauseActive")

    def set_service(self, name):
        q = self.quarnel
        q.click_tab("Setup")
        q.click("edServiceName")
        q.key("ctrl+a", "BackSpace")
        if name:
            q.type(name)
        q.click_tab("Timeshift")

    # --- what reached the daemons ---

    def unit_changes(self, count=None, timeout=10):
        """The starts, stops, enables and disables that reached the service
        manager, as (member, args, outcome); waits for `count` of them."""
        if count is not None:
            wait_until(lambda: len(self.daemons.systemd_calls(UNIT_CHANGES)) >= count, timeout)
        return [(call["member"], call["args"], call["outcome"])
                for call in self.daemons.systemd_calls(UNIT_CHANGES)]

    def assertDirectStepRefused(self):
        change = self.clock.next_change()
        self.assertIsNotNone(change, "the program did not try to step the clock")
        self.assertTrue(change.refused, f"the program's own step was not refused: {change}")


class HoldingNetworkTimeTest(WithRealDaemonsTestCase):
    """No service named, timesyncd running, polkit says yes."""

    def test_the_switch_holds_network_time_and_a_set_goes_through_timedated(self):
        q = self.quarnel
        self.switch()
        self.assertLabel("lbPauseActive", "Active/Ready")
        # timedated's SetNTP(false) disabled and stopped the NTP unit.
        self.assertEqual(self.unit_changes(), [
            ("DisableUnitFiles", [[NTP_UNIT], False], "ok"),
            ("StopUnit", [NTP_UNIT, "replace"], "ok"),
        ])
        q.click_tab("Setup")
        self.assertLabel("lblHolding", HOLDING)

        q.click_tab("Timeshift")
        for _ in range(3):
            q.click("btnPlus")
        q.click("btnSet")
        self.assertDirectStepRefused()
        moved = self.daemons.clock.next_change(timeout=10)
        self.assertIsNotNone(moved, "timedated did not step its clock")
        print(f"timedated moved its clock {moved.move_ns} ns")
        self.assertFalse(moved.refused, moved)
        self.assertLess(abs(moved.move_ns - 300 * NS_PER_MS), NS_PER_MS)
        self.assertShowsAfterTick("edCurRunShift", "0.3")

        self.switch()
        self.assertLabel("lbPauseActive", "Paused")
        self.assertEqual(self.unit_changes(4)[2:], [
            ("EnableUnitFiles", [[NTP_UNIT], False, True], "ok"),
            ("StartUnit", [NTP_UNIT, "replace"], "ok"),
        ])
        self.assertNotHolding()
        # The set was booked once, and the held synchronization put no step
        # of its own into timedated's clock.
        self.assertEqual(len(self.daemons.clock.changes()), 1)


class RefusedByPolkitTest(WithRealDaemonsTestCase):
    polkit_rule = "no"

    def test_a_refused_hold_leaves_the_switch_off_and_says_why(self):
        cases = [
            ("", [], "Network time synchronization could not be stopped: Permission denied."),
            ("chronyd", [("StopUnit", ["chronyd.service", "replace"],
                          "org.freedesktop.DBus.Error.AccessDenied")],
             "The time service chronyd could not be stopped: Permission denied."),
        ]
        for service, changes, box in cases:
            with self.subTest(service=service):
                self.set_service(service)
                self.switch()
                self.assertEqual(self.quarnel.error_box_text(), box + SEE_RIGHTS)
                self.assertLabel("lbPauseActive", "Paused")
                self.assertEqual(self.unit_changes(), changes)
                self.assertNotHolding()


class NamedServiceTest(WithRealDaemonsTestCase):
    """A service named on the Setup tab, while timesyncd runs: the switch
    holds the service and leaves the system's synchronization alone."""

    service = "chronyd"
    failing_units = ("failing.service",)
    refusing_units = ("refusing.service",)

    def test_the_named_service_is_stopped_and_started_through_systemd(self):
        self.switch()
        self.assertLabel("lbPauseActive", "Active/Ready")
        [stop] = self.daemons.systemd_calls(("StopUnit",))
        self.assertEqual((stop["args"], stop["outcome"]), (["chronyd.service", "replace"], "ok"))
        self.assertTrue(stop["interactive"], "polkit may not ask the user")
        self.assertNotHolding()

        # The system's synchronization still runs: timedated refuses the set.
        self.quarnel.click("btnPlus")
        self.quarnel.click("btnSet")
        self.assertDirectStepRefused()
        self.assertEqual(self.quarnel.error_box_text(),
                         "The clock could not be set: Automatic time synchronization is enabled. "
                         "Switch Quarnel on to hold it, or name the time service on the Setup "
                         "tab.")
        self.assertEqual(self.daemons.clock.changes(), [])
        self.assertShowsAfterTick("edCurRunShift", "0.0")

        self.switch()
        self.assertLabel("lbPauseActive", "Paused")
        self.assertEqual(self.unit_changes(2), [
            ("StopUnit", ["chronyd.service", "replace"], "ok"),
            ("StartUnit", ["chronyd.service", "replace"], "ok"),
        ])

    def test_a_service_that_does_not_stop_leaves_the_switch_off(self):
        cases = [
            ("refusing", "org.freedesktop.systemd1.OnlyByDependency",
             "Operation refused, unit refusing.service may be requested by dependency only "
             "(it is configured to refuse manual stop)."),
            # systemd takes the stop; its job fails later.
            ("failing", "ok", "The job ended with result failed."),
        ]
        for service, outcome, reason in cases:
            with self.subTest(service=service):
                self.set_service(service)
                self.switch()
                self.assertEqual(self.quarnel.error_box_text(),
                                 f"The time service {service} could not be stopped: {reason}")
                self.assertLabel("lbPauseActive", "Paused")
                self.assertEqual(self.unit_changes()[-1],
                                 ("StopUnit", [f"{service}.service", "replace"], outcome))


if __name__ == "__main__":
    unittest.main(verbosity=2)
