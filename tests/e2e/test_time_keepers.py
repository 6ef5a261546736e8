"""The pause switch of the real program with a service and a program to hold
stopped: a fake systemctl records the service commands, and a dummy program of
the test's own, running before the program starts, is ended and launched again
with its parameters."""

import signal
import subprocess
import unittest

from quarnel_e2e import QuarnelTestCase, wait_until
from time_keepers import DummyTimeKeeper, FakeSystemctl

SERVICE = "e2e-timekeeper.service"


class PauseSwitchTest(QuarnelTestCase):

    def prepare(self):
        self.systemctl = FakeSystemctl(self.scratch)
        self.keeper = DummyTimeKeeper(self.scratch)
        self.addCleanup(self.keeper.stop)
        self.scratch.write("Quarnel.ini",
                           "[Setup]\n"
                           f"Service={SERVICE}\n"
                           f"Program={self.keeper.path}\n"
                           f"Parameter={DummyTimeKeeper.parameters}\n")
        self.keeper.start()

    def switch_on_and_see_the_time_keepers_stopped(self):
        self.quarnel.click_tab("Timeshift")
        self.quarnel.click("swPauseActive")
        self.assertEqual(self.systemctl.wait_for_calls(1), [["stop", "--", SERVICE]])
        try:
            status = self.keeper.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.fail("the dummy time keeper still runs")
        self.assertEqual(status, -signal.SIGTERM)
        self.keeper.forget_arguments()

    def assertRelaunched(self):
        self.assertEqual(self.keeper.arguments_recorded(), DummyTimeKeeper.recorded_arguments,
                         "the program was not launched again with its parameters")
        self.assertEqual(len(self.keeper.running_ids()), 1)

    def test_switching_on_stops_the_time_keepers_and_off_starts_them_again(self):
        self.switch_on_and_see_the_time_keepers_stopped()

        self.quarnel.click("swPauseActive")
        self.assertEqual(self.systemctl.wait_for_calls(2),
                         [["stop", "--", SERVICE], ["start", "--", SERVICE]])
        self.assertRelaunched()

    def test_closing_while_active_starts_them_and_the_next_start_stops_them(self):
        self.switch_on_and_see_the_time_keepers_stopped()

        self.assertEqual(self.quarnel.close(), 0)
        self.assertEqual(self.systemctl.wait_for_calls(2),
                         [["stop", "--", SERVICE], ["start", "--", SERVICE]])
        self.assertRelaunched()
        [relaunched] = self.keeper.running_ids()

        self.start_quarnel()  # saved active: the start stops them again
        self.assertEqual(self.systemctl.wait_for_calls(3),
                         [["stop", "--", SERVICE], ["start", "--", SERVICE], ["stop", "--", SERVICE]])
        self.assertTrue(wait_until(lambda: relaunched not in self.keeper.running_ids(), 5),
                        "the dummy time keeper still runs")


if __name__ == "__main__":
    unittest.main(verbosity=2)
