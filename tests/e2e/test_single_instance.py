"""One Quarnel per settings file: a second start in the same folder brings the
running window to the front, as shown normal, raised and active, and ends
without a window of its own. A window manager (openbox) runs on the display,
so that windows can be minimised and one of them is the active window."""

import re
import subprocess
import time
import unittest

from quarnel_e2e import (Quarnel, QuarnelTestCase, _die_with_the_harness, end_process,
                         wait_until)

# A second start asks a few times over a few hundred milliseconds at most.
PROMPTLY_S = 5


class SingleInstanceTest(QuarnelTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.window_manager = subprocess.Popen(
            ["openbox", "--sm-disable"],
            env={"DISPLAY": cls.x_server.display, "PATH": "/usr/bin:/bin"},
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, preexec_fn=_die_with_the_harness)

    @classmethod
    def tearDownClass(cls):
        end_process(cls.window_manager)
        super().tearDownClass()

    def x(self, *args):
        """xdotool's answer on the test's display; None when it fails."""
        done = subprocess.run(["xdotool", *args], env={"DISPLAY": self.x_server.display},
                              capture_output=True, text=True, timeout=10)
        return done.stdout.strip() if done.returncode == 0 else None

    def minimised(self, window):
        state = subprocess.run(["xprop", "-id", window, "_NET_WM_STATE"],
                               env={"DISPLAY": self.x_server.display},
                               capture_output=True, text=True, timeout=10).stdout
        return "_NET_WM_STATE_HIDDEN" in state

    def quarnel_windows(self):
        pattern = "^" + re.escape(self.form.title) + "$"
        return (self.x("search", "--onlyvisible", "--name", pattern) or "").split()

    def start_second_copy(self):
        """Starts Quarnel again in the same folder and returns its exit code
        and how long it ran."""
        second = Quarnel(self.x_server.display, self.scratch, self.form)
        self.started.append(second)
        began = time.monotonic()
        try:
            code = second.process.wait(timeout=PROMPTLY_S)
        except subprocess.TimeoutExpired:
            self.fail("the second start did not end; it said:\n" + second.output())
        return code, time.monotonic() - began

    def assertBroughtToTheFront(self):
        first = self.quarnel.window
        code, took = self.start_second_copy()
        print(f"the second start ended with {code} after {took:.2f} s")
        self.assertEqual(code, 0)
        self.assertIsNone(self.quarnel.process.poll(), "the first copy ended")
        self.assertTrue(wait_until(lambda: self.x("getactivewindow") == first, 5),
                        f"the active window is {self.x('getactivewindow')}, not Quarnel's")
        self.assertFalse(self.minimised(first), "the window is still minimised")
        self.assertEqual(self.quarnel_windows(), [first])

    def test_a_second_start_restores_the_minimised_window(self):
        window = self.quarnel.window
        self.x("windowminimize", "--sync", window)
        self.assertTrue(wait_until(lambda: self.minimised(window), 5), "not minimised")
        self.assertBroughtToTheFront()

    def test_a_second_start_brings_the_window_in_front_of_another(self):
        title = "other-" + self.scratch.unique_name
        other = subprocess.Popen(["xmessage", "-title", title, "another window"],
                                 env={"DISPLAY": self.x_server.display},
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                 preexec_fn=_die_with_the_harness)
        self.addCleanup(end_process, other)
        found = wait_until(lambda: self.x("search", "--sync", "--onlyvisible", "--name",
                                          "^" + re.escape(title) + "$"), 10)
        self.assertTrue(found, "the other window did not appear")
        other_window = found.split()[0]
        self.x("windowactivate", "--sync", other_window)
        self.assertEqual(self.x("getactivewindow"), other_window)
        self.assertBroughtToTheFront()


if __name__ == "__main__":
    unittest.main(verbosity=2)
