"""A whole shift of the real program without the mouse: the switch, the
shift field's keys, SET and RESET by their mnemonics, each change read from
the clock interception library's log."""

import unittest

from quarnel_e2e import NS_PER_MS, NS_PER_US, QuarnelTestCase

CLOSE = 100 * NS_PER_US


class KeyboardTest(QuarnelTestCase):

    def test_switch_on_step_set_and_reset_from_the_keyboard(self):
        q = self.quarnel
        # The window opens on the Timeshift tab with the focus on the Help
        # button; the tab bar comes next, then the Active switch.
        q.key("Tab", "Tab", "space")
        # The switch waits for the time keepers and keeps the focus meanwhile.
        q.key("Tab", "Tab", "plus", "Up")  # the shift field
        q.key("alt+s")
        self.assertClockMoved(200 * NS_PER_MS, CLOSE)
        q.key("alt+r")
        self.assertClockMoved(-200 * NS_PER_MS, CLOSE)
        self.assertLessEqual(abs(self.clock.offset_ns()), 2 * CLOSE,
                             "RESET did not return to the original timeline")


if __name__ == "__main__":
    unittest.main()
