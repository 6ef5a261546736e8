"""The GPS line end to end: the real program, whose clock starts 0.3 s slow
(the clock library's start offset), reads a receiver of the test's own on a
pseudo-terminal, whose bursts start 0.1 s after each true second: through
Debian's gpsd, which reads the same slow clock, and directly as a serial
port. With the receiver delay set to those 100 ms the line shows the clock's
offset within its ±, Use puts minus that into the shift and SET moves the
clock by it; a receiver without a fix shows "no fix".

The program runs with German number formats, so the line shows a decimal
comma.
"""

import re
import unittest

from gps_receiver import DELAY_NS, Gpsd, Receiver
from quarnel_e2e import NS_PER_MS, NS_PER_US, QuarnelTestCase, wait_until

START_OFFSET_NS = -300 * NS_PER_MS
NUMBER = r"[+-]?\d+,\d+"
LINE = re.compile(rf"GPS: ({NUMBER}) s \u00b1({NUMBER}) \((.+)\)")


def nanoseconds(text):
    """A number shown with a decimal comma, in nanoseconds."""
    whole, _, fraction = text.lstrip("+-").partition(",")
    value = int(whole) * 1000 * NS_PER_MS + int(fraction.ljust(9, "0")[:9])
    return -value if text.startswith("-") else value


class GpsTestCase(QuarnelTestCase):
    def program_environment(self):
        return {"LC_NUMERIC": "de_DE.UTF-8",
                "QUARNEL_CLOCKSHIM_START_OFFSET_NS": str(START_OFFSET_NS)}

    def source(self):
        raise NotImplementedError

    def prepare(self):
        self.receiver = Receiver(self.scratch)
        self.addCleanup(self.receiver.stop)
        self.scratch.write("Quarnel.ini",
                           f"[Gps]\nListen=1\nSource={self.source()}\n"
                           f"DelayMs={DELAY_NS // NS_PER_MS}\n")

    def line(self):
        return self.quarnel.text_of("lblGps")

    def measurement(self, timeout=20.0):
        """The GPS line once it shows a measurement, as its parts."""
        shown = wait_until(lambda: LINE.fullmatch(self.line()), timeout, interval=0.5)
        if not shown:
            self.fail("the GPS line shows no measurement: " + self.line())
        print("GPS line:", shown.group(0))
        return shown

    def use_and_set(self, shown):
        q = self.quarnel
        ahead, margin = nanoseconds(shown.group(1)), nanoseconds(shown.group(2))
        self.assertLessEqual(abs(ahead - START_OFFSET_NS), margin, shown.group(0))
        q.click("btnUseGps")
        shift = nanoseconds(q.text_of("edAlign"))
        # Use takes the newest measurement, which may differ by a millisecond or two.
        self.assertLessEqual(abs(shift + ahead), 3 * NS_PER_MS)
        self.assertClockNotSet(within=1.0)  # Use only chooses; SET moves the clock
        q.click("btnSet")
        self.assertClockMoved(shift, 100 * NS_PER_US)


class GpsdTest(GpsTestCase):
    def source(self):
        self.gpsd = Gpsd(self.scratch, self.receiver, START_OFFSET_NS)
        self.addCleanup(self.gpsd.stop)
        return self.gpsd.source

    def test_gpsds_stamps_show_the_offset_and_are_used_and_set(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")  # active: SET is enabled
        shown = self.measurement()
        self.assertTrue(shown.group(3).startswith("gpsd"), shown.group(0))
        self.use_and_set(shown)
        self.assertEqual(self.gpsd.clock.changes(), [], "gpsd tried to set its clock")


class SerialPortTest(GpsTestCase):
    def source(self):
        return self.receiver.device

    def test_the_receivers_bursts_show_the_offset_and_no_fix_offers_nothing(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")
        shown = self.measurement()
        self.assertEqual(shown.group(3), f"{self.receiver.device}, 7 satellites")
        self.use_and_set(shown)

        self.receiver.fix = False
        self.assertTrue(wait_until(lambda: self.line() == "GPS: no fix", 5, interval=0.5),
                        self.line())


if __name__ == "__main__":
    unittest.main(verbosity=2)
