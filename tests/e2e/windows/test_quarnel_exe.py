"""Quarnel.exe from the deployable folder under Wine: its window, the
Timeshift tab through the Win32 clock path, the clipboard, the pause switch
with a service and a program to hold, and the settings file across a restart.

Wine's clock setter never touches the host clock (Wine 8 answers success to
a change under 0.5 s and "privilege not held" to a larger one); whatever it
answers, the running total must follow it. The program runs as an
unprivileged user besides, and the real clock is checked around each test.
"""

import os
import shutil
import signal
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree

from quarnel_e2e import FORM_FILE, wait_until
from wine_session import (HELPERS, VERSION, WineTestCase, set_up_session, tear_down_session,
                          windows_path)
from test_window import settings_sections

# Typed with xdotool: ASCII only, as Wine maps the keys through the X keymap.
CLIP = "CQ DX de DL1ABC = tnx 73"
CLIPS = ["CQ DX de DL1ABC", "tnx fer QSO 73"]


def setUpModule():
    set_up_session()


def tearDownModule():
    tear_down_session()


class WindowAndTabsTest(WineTestCase):

    def test_caption_and_client_size_are_those_of_the_form(self):
        # The window was found by its caption, the form's title.
        rect = ElementTree.parse(FORM_FILE).getroot().find(
            "widget/property[@name='geometry']/rect")
        self.assertEqual(self.quarnel.client_size(),
                         (int(rect.find("width").text), int(rect.find("height").text)))

    def test_timeshift_texts_follow_the_buttons_and_the_wheel(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        self.assertShows("edAlign", "0.0")
        for _ in range(3):
            q.click("btnPlus")
        self.assertShows("edAlign", "0.3")
        q.click("btnMinus")
        self.assertShows("edAlign", "0.2")
        q.click("btnResetAlign")
        self.assertShows("edAlign", "0.0")
        q.wheel("edAlign", 6)
        self.assertShows("edAlign", "0.3")
        q.wheel("edAlign", -1)
        self.assertShows("edAlign", "0.25")  # the half step is shown, not rounded away
        q.wheel("edAlign", -7)
        self.assertShows("edAlign", "-0.1")

    def test_a_clip_reaches_the_x_clipboard(self):
        q = self.quarnel
        q.click_tab("Clips")
        q.click("edSnippet")
        q.type(CLIP)
        q.click("btnAddEntry")
        q.click("edSnippet")
        q.key("ctrl+a", "BackSpace")
        q.click_entry("ListBox1", 0)
        self.assertEqual(q.copied_text(lambda: q.click("btnCopy")), CLIP)


class WindowsClockPathTest(WineTestCase):
    """SET, RESET and ACCEPT reach Wine's clock setter; what it answers is
    shown, and a refused set leaves the total as it was."""

    def set_and_see_the_answer(self, button):
        """Clicks the button and returns the error box's text, or None when
        no box came (the set succeeded)."""
        self.quarnel.click(button)
        text = self.error_box_text(timeout=4)
        print(f"{button}: " + (f"Wine refused: {text!r}" if text else "Wine answered success"))
        return text

    def test_set_reset_and_accept_follow_what_wine_answers(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")  # active, with nothing to stop
        for _ in range(3):
            q.click("btnPlus")

        # (what to do, the total in tenths after it succeeded); a refused set
        # leaves the total as it was.
        steps = [("btnSet", lambda total: total + 3),
                 ("btnSet", lambda total: total + 3),
                 ("btnSetOrigin", lambda total: 0),  # RESET: back by the total
                 ("btnAcceptTimeShift", lambda total: 0),
                 ("btnSet", lambda total: total + 3),
                 ("btnAcceptTimeShift", lambda total: 0)]
        total = 0
        answers = []
        for button, after_success in steps:
            refusal = self.set_and_see_the_answer(button)
            answers.append(refusal)
            if refusal is None:
                total = after_success(total)
            else:
                self.assertIn("The clock could not be set: ", refusal)
            self.assertShows("edCurRunShift", f"{total / 10:.1f}")

        # Wine takes a change under 0.5 s and refuses a larger one, so both
        # paths were taken: the second set's RESET (0.6 s) was refused.
        self.assertIsNone(answers[0], "Wine refused a set of 0.3 s")
        self.assertIsNotNone(answers[2], "Wine took a RESET of 0.6 s")


class InfoTest(WineTestCase):

    def test_the_info_tab_shows_the_version_of_the_program_file(self):
        """The label cannot be copied: it is read off the screen."""
        q = self.quarnel
        q.click_tab("Info")
        self.assertTrue(VERSION)
        self.assertShowsOnScreen("lblVersionNumber", VERSION, "0123456789.")


class PauseSwitchTest(WineTestCase):
    """A service and a program of the test's own held stopped: a stand-in
    net.exe in the working folder (cmd.exe finds it there before Windows'
    own) records its calls, and a dummy program, under a name nobody else
    uses, runs in two copies before the program starts."""

    def prepare(self):
        self.name = "QuarnelE2E" + os.path.basename(self.folder).replace("-", "")
        self.keeper = self.file(f"keeper-{self.name}.exe")
        shutil.copy(os.path.join(HELPERS, "KeeperDummy.exe"), self.keeper)
        shutil.copy(os.path.join(HELPERS, "net.exe"), self.file("net.exe"))
        with open(self.file("Quarnel.ini"), "w", encoding="utf-8", newline="\r\n") as ini:
            ini.write("[Setup]\n"
                      f"Service={self.name}\n"
                      f"Program={windows_path(self.keeper)}\n"
                      'Parameter=first "second word"\n')
        self.addCleanup(self.end_keepers)
        self.user.give(self.folder)
        self.copies = [self.user.start(["wine", self.keeper, "first", "second word"],
                                       self.folder, subprocess.DEVNULL) for _ in range(2)]
        self.assertTrue(wait_until(lambda: len(self.keeper_runs()) == 2, 60),
                        "the dummy time keeper did not start twice")

    def keeper_runs(self):
        """The argument lines of every start of the dummy so far."""
        return (self.read(os.path.basename(self.keeper) + ".log") or "").splitlines()

    def processes_running(self, *words):
        """The ids of the processes whose command line holds all the words."""
        found = []
        for entry in os.listdir("/proc"):
            if entry.isdigit():
                try:
                    with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                        line = cmdline.read()
                except OSError:
                    continue
                if all(word.encode() in line for word in words):
                    found.append(int(entry))
        return found

    def running_keepers(self):
        """The ids of the processes that run the dummy's file."""
        return self.processes_running(os.path.basename(self.keeper))

    def service_command_ended(self):
        """Whether the service command (cmd.exe running the stand-in net.exe
        with this test's service name) and so its console window are gone."""
        return not self.processes_running("net.exe", self.name)

    def end_keepers(self):
        for pid in self.running_keepers():
            os.kill(pid, signal.SIGKILL)

    def net_calls(self, count):
        wait_until(lambda: len((self.read("net.exe.log") or "").splitlines()) >= count, 30)
        return (self.read("net.exe.log") or "").splitlines()

    def test_a_failed_stop_leaves_the_switch_paused_and_says_why(self):
        with open(self.file("net.exe.exitcode"), "w", encoding="ascii") as code:
            code.write("2")
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")
        self.assertEqual(self.net_calls(1), [f"stop\t{self.name}"])
        text = self.error_box_text()
        self.assertIn(f"The time service {self.name} could not be stopped: "
                      "net.exe ended with exit code 2.", text or "")
        self.assertShowsOnScreen("lbPauseActive", "Paused", "Paused")
        self.assertEqual(len(self.running_keepers()), 2,
                         "the program was stopped after the service had failed")

    def test_switching_on_stops_them_and_off_starts_them_again(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")
        self.assertEqual(self.net_calls(1), [f"stop\t{self.name}"])
        for copy in self.copies:
            try:
                copy.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.fail("a copy of the dummy time keeper still runs")

        # The service command's console comes up over the window and may
        # still be closing: a click then lands on the console.
        self.assertTrue(wait_until(self.service_command_ended, 30),
                        "the service command did not end")
        q.activate(q.window)
        # The switch waits, disabled, until the program has seen the service
        # command end and the copies go; only then does a click reach it.
        self.assertShowsOnScreen("lbPauseActive", "Active/Ready", "Active/Ready", timeout=30)
        q.click("swPauseActive")
        self.assertEqual(self.net_calls(2), [f"stop\t{self.name}", f"start\t{self.name}"])
        self.assertTrue(wait_until(lambda: len(self.keeper_runs()) == 3, 30),
                        "the dummy time keeper was not launched again")
        self.assertEqual(self.keeper_runs()[-1], "first\tsecond word")
        self.assertTrue(wait_until(lambda: len(self.running_keepers()) >= 1, 10))


class SettingsTest(WineTestCase):

    def test_closing_writes_the_settings_and_a_restart_brings_them_back(self):
        q = self.quarnel
        q.click_tab("Clips")
        for clip in CLIPS:
            q.click("edSnippet")
            q.key("ctrl+a", "BackSpace")
            q.type(clip)
            q.click("btnAddEntry")

        self.assertEqual(q.close(), 0)
        saved = settings_sections(self.read("Quarnel.ini") or "")
        self.assertEqual(saved.get("Program", {}).get("ActiveTAB"), "1")
        self.assertEqual(saved.get("Clips"),
                         {"NumOfClips": "2", "Clip0": CLIPS[0], "Clip1": CLIPS[1]})

        self.start_quarnel()
        q = self.quarnel
        for row in (1, 0):
            q.click_entry("ListBox1", row)
            copied = q.copied_text(lambda: q.click("btnCopy"),
                                   what=f"the clip of row {row} (is the Clips tab shown?)")
            self.assertEqual(copied, CLIPS[row])


if __name__ == "__main__":
    unittest.main(verbosity=2)
