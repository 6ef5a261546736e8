"""The Timeshift tab of the real program, driven with mouse, wheel and keys;
every clock change is read from the clock interception library's log.

The program runs with LANG=C.UTF-8, so shifts are shown with a decimal point.
"""

import unittest

from quarnel_e2e import NS_PER_MS, NS_PER_US, QuarnelTestCase, wait_until

# A shift moves the clock by what was asked, to within the time between the
# program's reading of the clock and its set.
CLOSE = 100 * NS_PER_US


class TimeshiftTest(QuarnelTestCase):

    def setUp(self):
        super().setUp()
        self.quarnel.click_tab("Timeshift")
        # Nothing is configured to stop; switching on enables the clock buttons.
        self.quarnel.click("swPauseActive")

    def test_typical_use_sets_resets_and_accepts(self):
        q = self.quarnel
        for _ in range(3):
            q.click("btnPlus")
        self.assertShows("edAlign", "0.3")

        q.click("btnSet")
        self.assertClockMoved(300 * NS_PER_MS, CLOSE)
        self.assertShowsAfterTick("edCurRunShift", "0.3")

        q.click("btnSetOrigin")  # RESET
        self.assertClockMoved(-300 * NS_PER_MS, CLOSE)
        self.assertLessEqual(abs(self.clock.offset_ns()), 2 * CLOSE,
                             "RESET did not return to the original timeline")
        self.assertShowsAfterTick("edCurRunShift", "0.0")

        q.click("btnSet")
        self.assertClockMoved(300 * NS_PER_MS, CLOSE)
        q.click("btnAcceptTimeShift")  # ACCEPT: the clock stays where it is
        self.assertShowsAfterTick("edCurRunShift", "0.0")

        q.click("btnSetOrigin")  # nothing left to undo after ACCEPT
        self.assertClockNotSet(within=1.5)
        self.assertShows("edAlign", "0.3")

        # The journal beside the settings (in ~/.config/quarnel/, made for it),
        # a line per change after the time in UTC.
        def entries():
            journal = self.scratch.read(".config/quarnel/Quarnel.log") or ""
            return [line.split("  ", 1)[1] for line in journal.splitlines()]
        self.assertEqual(wait_until(lambda: len(entries()) == 4 and entries(), 3) or entries(), [
            "SET     +0.3 s  total +0.3 s  from buttons",
            "RESET   -0.3 s  total +0.0 s  from RESET button",
            "SET     +0.3 s  total +0.3 s  from buttons",
            "ACCEPT  +0.0 s  total +0.0 s  from ACCEPT button",
        ])  # the RESET after ACCEPT has nothing to undo and leaves no line

    def test_wheel_steps_by_half_the_buttons_step(self):
        q = self.quarnel
        q.wheel("edAlign", 6)
        self.assertShows("edAlign", "0.3")
        q.wheel("edAlign", -1)
        self.assertShows("edAlign", "0.25")  # the half step is shown, not rounded away

        q.click("btnSet")
        self.assertClockMoved(250 * NS_PER_MS, CLOSE)

    def test_keys_and_reset_after_each_set(self):
        q = self.quarnel
        q.click("btnMinus")
        q.key("space", "space")  # the "-" button keeps the focus after its click
        self.assertShows("edAlign", "-0.3")

        q.click("cbResetAfterEachSet")
        q.click("btnSet")
        self.assertClockMoved(-300 * NS_PER_MS, CLOSE)
        self.assertShows("edAlign", "0.0")
        self.assertShowsAfterTick("edCurRunShift", "-0.3")

        q.click("btnPlus")
        q.click("btnSet")
        self.assertClockMoved(100 * NS_PER_MS, CLOSE)
        self.assertShowsAfterTick("edCurRunShift", "-0.2")
        q.click("btnSetOrigin")
        self.assertClockMoved(200 * NS_PER_MS, CLOSE)
        self.assertLessEqual(abs(self.clock.offset_ns()), 3 * CLOSE)

    def test_align_reset_button_clears_the_shift(self):
        q = self.quarnel
        q.click("btnPlus")
        q.click("btnPlus")
        q.click("btnResetAlign")
        self.assertShows("edAlign", "0.0")
        q.click("btnSet")  # a shift of nothing does not touch the clock
        self.assertClockNotSet(within=2.0)

    def test_a_refresh_that_would_stop_the_clock_is_refused(self):
        q = self.quarnel
        q.click("edRefreshTime")
        q.key("ctrl+a")
        q.type("0")
        q.key("Return")
        self.assertEqual(q.error_box_text(),
                         "A refresh of 0 ms would stop the clock; it stays at 1000 ms.")
        q.click("btnPlus")
        q.click("btnSet")
        self.assertClockMoved(100 * NS_PER_MS, CLOSE)

        q.click("edRefreshTime")
        q.key("ctrl+a")
        q.type("2x5 0")  # only digits reach the field
        q.key("Return")
        self.assertShows("edRefreshTime", "250")

    def test_an_empty_refresh_interval_is_reported_and_the_ticks_go_on(self):
        q = self.quarnel
        q.click("edRefreshTime")
        q.key("ctrl+a", "BackSpace", "Return")
        self.assertEqual(q.error_box_text(), "'' ist kein gültiger Integerwert.")

        q.click("btnPlus")
        q.click("btnSet")
        self.assertClockMoved(100 * NS_PER_MS, CLOSE)


if __name__ == "__main__":
    unittest.main(verbosity=2)
