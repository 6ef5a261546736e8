"""The decoders' reports end to end: the real program listens on a port the
test picks, a sender plays a decoding program whose decodes arrive 0.4 s
late, and the shift the Decodes line suggests is used and set; then one whose
stations include one with its clock 1.9 s late, which the operator chooses
and meets.

The program runs with German number formats (LC_NUMERIC=de_DE.UTF-8; Qt has
its own locale data), so shifts are shown with a decimal comma.
"""

import socket
import unittest

import decoder_messages
from quarnel_e2e import NS_PER_MS, NS_PER_US, QuarnelTestCase, wait_until

CLIENT = "WSJT-X"
# Around +0.4 s, with two stations far off that the median leaves aside.
DELTA_TIMES = [0.38, 0.41, 0.40, 0.43, 0.39, 0.42, 0.40, 0.37, 0.44, 1.9, -1.2]
# Three stations; C6ABC's own clock is 1.9 s late.
STATION_DECODES = [("CQ DL1ABC JO62", 0.1), ("CQ DX C6ABC EL84", 1.9),
                   ("DL1ABC K1ABC FN42", 0.2), ("K1ABC C6ABC -05", 2.0),
                   ("C6ABC DL1ABC R-10", 0.1), ("K1ABC <C6ABC> RR73", 1.8),
                   ("C6ABC K1ABC RR73", 0.1)]


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class DecodesTest(QuarnelTestCase):
    def program_environment(self):
        # The decimal comma, as in the window's other displays under a German locale.
        return {"LC_NUMERIC": "de_DE.UTF-8"}

    def prepare(self):
        self.port = free_udp_port()
        self.scratch.write("Quarnel.ini",
                           "[Decodes]\nListen=1\nAddress=127.0.0.1\n"
                           f"Port={self.port}\n")
        self.sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.addCleanup(self.sender.close)

    def send(self, datagram):
        self.sender.sendto(datagram, ("127.0.0.1", self.port))

    def line_reads(self, expected, timeout=5.0):
        shown = wait_until(lambda: (t := self.quarnel.text_of("lblDecodes")) == expected and t,
                           timeout, interval=0.2)
        return shown or self.quarnel.text_of("lblDecodes")

    def test_the_suggested_shift_is_used_and_set(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")  # active: SET is enabled
        self.assertEqual(self.line_reads("Decodes: none yet"), "Decodes: none yet")

        self.send(decoder_messages.heartbeat(CLIENT))
        self.send(decoder_messages.status(CLIENT, "FT8"))
        self.send(b"not a decoder's message")
        self.send(decoder_messages.decode(CLIENT, 0.4, off_air=True))  # a recording: not counted
        for dt in DELTA_TIMES:
            self.send(decoder_messages.decode(CLIENT, dt))
        expected = f"Decodes: DT +0,40 s \u00b10,02 ({len(DELTA_TIMES)} in 2 min)"
        self.assertEqual(self.line_reads(expected), expected)

        q.click("btnUseDecodes")
        self.assertShows("edAlign", "-0,4")
        self.assertClockNotSet(within=1.5)  # Use only chooses; SET moves the clock

        q.click("btnSet")
        self.assertClockMoved(-400 * NS_PER_MS, 100 * NS_PER_US)
        # What was gathered measured the clock before the move.
        self.assertEqual(self.line_reads("Decodes: none yet"), "Decodes: none yet")

    def test_a_chosen_station_is_met_at_its_own_dt(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")
        self.assertEqual(self.line_reads("Decodes: none yet"), "Decodes: none yet")
        for message, dt in STATION_DECODES:
            self.send(decoder_messages.decode(CLIENT, dt, message=message))
        everybody = "Decodes: DT +0,20 s \u00b10,10 (7 in 2 min)"
        self.assertEqual(self.line_reads(everybody), everybody)

        q.click("cbDecodesStation")
        q.key("ctrl+a")
        q.type("C6ABC")
        q.key("Return")  # closes the list the typing narrowed
        chosen = "Decodes: C6ABC DT +1,90 s (3 in 2 min)"
        self.assertEqual(self.line_reads(chosen), chosen)

        q.click("btnUseDecodes")
        self.assertShows("edAlign", "-1,9")
        q.click("btnSet")
        self.assertClockMoved(-1900 * NS_PER_MS, 100 * NS_PER_US)


if __name__ == "__main__":
    unittest.main(verbosity=2)
