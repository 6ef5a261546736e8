"""The time server line end to end: the real program, whose clock starts
0.73 s fast (the clock library's start offset), asks Debian's chronyd on
loopback, which serves the real time; the line shows how far the program's
clock is ahead, Use puts minus that into the shift, and SET brings the clock
to the server's time.

The program runs with German number formats (LC_NUMERIC=de_DE.UTF-8), so
the line and the shift show a decimal comma.
"""

import re
import unittest

from quarnel_e2e import NS_PER_MS, NS_PER_US, QuarnelTestCase, wait_until
from time_server import TimeServer, ask

START_OFFSET_NS = 730 * NS_PER_MS
# How close SET must bring the program's clock to the server's.
LANDING_TOLERANCE_NS = 2 * NS_PER_MS
NUMBER = r"[+-]?\d+,\d+"
LINE = re.compile(rf"Time server: ({NUMBER}) s \u00b1({NUMBER}) \((.+), stratum (\d+)\)")


def nanoseconds(text):
    """A number shown with a decimal comma, in nanoseconds."""
    whole, _, fraction = text.lstrip("+-").partition(",")
    value = int(whole) * 1000 * NS_PER_MS + int(fraction.ljust(9, "0")[:9])
    return -value if text.startswith("-") else value


class TimeServerTest(QuarnelTestCase):
    def program_environment(self):
        return {"LC_NUMERIC": "de_DE.UTF-8",
                "QUARNEL_CLOCKSHIM_START_OFFSET_NS": str(START_OFFSET_NS)}

    def prepare(self):
        self.server = TimeServer(self.scratch)
        self.addCleanup(self.server.stop)
        self.scratch.write("Quarnel.ini",
                           f"[TimeServer]\nAsk=1\nServer={self.server.address}\n")

    def measurement(self, timeout=15.0):
        """The time server line, once it shows a measurement good to the
        millisecond, as its parts. A reply read while the starting program
        was busy has a long round trip and a wide margin; the burst's best
        reply (four requests, two seconds apart) replaces it."""
        def precise():
            shown = LINE.fullmatch(self.quarnel.text_of("lblTimeServer"))
            return shown if shown and nanoseconds(shown.group(2)) <= NS_PER_MS else None

        shown = wait_until(precise, timeout, interval=0.3)
        if not shown:
            self.fail("the time server line shows no measurement to the millisecond: "
                      + self.quarnel.text_of("lblTimeServer"))
        print("time server line:", shown.group(0))
        return shown

    def test_the_measured_offset_is_used_and_set(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")  # active: SET is enabled
        shown = self.measurement()
        ahead, margin = nanoseconds(shown.group(1)), nanoseconds(shown.group(2))
        self.assertEqual(shown.group(3), self.server.address)
        self.assertEqual(shown.group(4), "8")
        self.assertLess(margin, 10 * NS_PER_MS)
        self.assertLessEqual(abs(ahead - START_OFFSET_NS), margin, shown.group(0))

        q.click("btnUseTimeServer")
        shift = nanoseconds(q.text_of("edAlign"))
        # Use takes the newest measurement, which may round to the next millisecond.
        self.assertLessEqual(abs(shift + ahead), NS_PER_MS)
        self.assertClockNotSet(within=1.5)  # Use only chooses; SET moves the clock

        q.click("btnSet")
        change = self.assertClockMoved(shift, 100 * NS_PER_US)
        # chronyd serves the real clock: the program's clock now stands where
        # the server's does, its offset from the real one.
        server = ask(self.server.address)
        print(f"program clock {change.offset_ns} ns from the real one, "
              f"the server's {server.offset_ns} ns")
        self.assertLessEqual(abs(change.offset_ns - server.offset_ns), LANDING_TOLERANCE_NS)
        self.assertEqual(self.server.clock.changes(), [], "chronyd tried to set its clock")


if __name__ == "__main__":
    unittest.main(verbosity=2)
