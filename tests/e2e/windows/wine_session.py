"""Runs Quarnel.exe under Wine the way a Windows user meets it.

One X server (Xvfb) with a window manager (openbox) and one Wine prefix serve
the whole module; each test gets a fresh copy of the deployable folder as its
working folder and a Quarnel.exe started there. Wine runs as an unprivileged
user with a home and a prefix of that user's own, in a scratch folder that is
removed at the end, also when the time limit ends the run: a clock setter
that reached the host would fail for want of the right.

Input is real (xdotool); texts are read back through the X clipboard, which
is Wine's clipboard too.
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

from quarnel_e2e import (UNPRIVILEGED, Form, Quarnel, XServer, end_process, real_clock_step_ns,
                         run, unprivileged, wait_until)

FOLDER = os.environ.get("QUARNEL_E2E_WINDOWS_FOLDER", "")
HELPERS = os.environ.get("QUARNEL_E2E_WINDOWS_HELPERS", "")
VERSION = os.environ.get("QUARNEL_E2E_VERSION", "")
TIME_LIMIT = int(os.environ.get("QUARNEL_E2E_TIME_LIMIT", "400"))

NS_PER_MS = 1_000_000

# What must be ended and removed however the run ends, last first.
_cleanups = []


def windows_path(path):
    """The name Wine gives a Unix path: its Z: drive maps the root."""
    return "Z:" + path.replace("/", "\\")


def print_date(when):
    print(f"date {when}:", run(["date", "+%F %T.%N"]).stdout.strip(), flush=True)


class WineUser:
    """The unprivileged user's home and Wine prefix in a scratch folder."""

    def __init__(self, display):
        self.root = tempfile.mkdtemp(prefix="quarnel-wine-e2e-")
        os.chmod(self.root, 0o755)
        os.chown(self.root, UNPRIVILEGED, UNPRIVILEGED)
        self.environment = {
            "DISPLAY": display,
            "HOME": self.path("home"),
            "USER": "nobody",
            "WINEPREFIX": self.path("prefix"),
            "WINEDEBUG": "-all",
            # No offers to install Mono and Gecko, and no menu entries or
            # file associations for the real desktop from shortcuts made here.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            # Wine takes the Windows locale from here: English texts, "." as
            # the decimal separator.
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "PATH": "/usr/bin:/bin",
        }
        self.make_directory("home")
        booted = subprocess.run(self.command(["wineboot", "--init"]), capture_output=True,
                                text=True, timeout=180)
        if booted.returncode != 0:
            raise RuntimeError("wineboot failed:\n" + booted.stdout + booted.stderr)

    def path(self, name):
        return os.path.join(self.root, name)

    def make_directory(self, name):
        os.mkdir(self.path(name), 0o755)
        os.chown(self.path(name), UNPRIVILEGED, UNPRIVILEGED)

    def command(self, command):
        return unprivileged(self.environment, command)

    def start(self, command, cwd, output):
        return subprocess.Popen(self.command(command), cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=output, stderr=subprocess.STDOUT)

    def give(self, path):
        """Hands a file or folder tree to the user."""
        for directory, folders, files in os.walk(path):
            os.chown(directory, UNPRIVILEGED, UNPRIVILEGED)
            for name in folders + files:
                os.chown(os.path.join(directory, name), UNPRIVILEGED, UNPRIVILEGED)

    def remove(self):
        """Ends every Wine process of this prefix (and only those), then
        removes the scratch folder."""
        subprocess.run(self.command(["wineserver", "-k"]), capture_output=True, timeout=30)
        subprocess.run(self.command(["wineserver", "-w"]), capture_output=True, timeout=30)
        shutil.rmtree(self.root, ignore_errors=True)


class Display:
    """Xvfb with openbox on it: the window manager activates new windows and
    closes a window on Alt+F4, as a desktop does."""

    def __init__(self):
        self.x_server = XServer()
        self.display = self.x_server.display
        self.window_manager = subprocess.Popen(
            ["openbox", "--sm-disable"], env=dict(os.environ, DISPLAY=self.display),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        end_process(self.window_manager)
        self.x_server.stop()


class WineQuarnel(Quarnel):
    """Quarnel.exe started under Wine in a working folder, by default the
    Quarnel.exe in it; the command may start it otherwise (through a
    shortcut). The input and reading methods are those of the Linux
    harness."""

    # pylint: disable-next=super-init-not-called
    def __init__(self, display, user, folder, form, command=None):
        self.display = display
        self.form = form
        self.folder = folder
        self.output_path = os.path.join(user.root, os.path.basename(folder) + ".output")
        with open(self.output_path, "ab") as output:
            self.process = user.start(command or ["wine", os.path.join(folder, "Quarnel.exe")],
                                      folder, output)
        self.window = None

    def wait_for_window(self):
        self.window = self.find_window(self.form.title, timeout=90)
        self.activate(self.window)

    def find_window(self, title, timeout=20):
        """The id of the program's visible window with exactly this title.
        A search fails outright when a window (say of the test before)
        vanishes while it runs, so it is tried again until the time is up."""
        pattern = "^" + re.escape(title) + "$"

        def search():
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                                   env=self._x_environment(), capture_output=True, text=True,
                                   timeout=10)
            return found.stdout.split() if found.returncode == 0 else []

        found = wait_until(search, timeout, interval=0.2)
        if not found:
            raise AssertionError(f"no window {title!r} appeared; the program said:\n"
                                 + self.output())
        return found[0]

    def activate(self, window):
        self.xdotool("windowactivate", "--sync", window)

    def client_size(self):
        info = run(["xdotool", "getwindowgeometry", self.window],
                   env=self._x_environment()).stdout
        size = next(line for line in info.splitlines() if "Geometry:" in line)
        width, height = size.split(":", 1)[1].strip().split("x")
        return int(width), int(height)

    def close(self, timeout=20):
        """Closes the window with Alt+F4 and returns the program's exit code."""
        self.activate(self.window)
        self.key("alt+F4")
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end after Alt+F4") from None


class Session:
    """The module's display and Wine user."""
    display = None
    user = None


def set_up_session():
    print_date("before the run")
    signal.signal(signal.SIGALRM, _time_up)
    signal.signal(signal.SIGTERM, _time_up)
    signal.alarm(TIME_LIMIT)
    if not FOLDER or not HELPERS:
        raise RuntimeError("QUARNEL_E2E_WINDOWS_FOLDER and QUARNEL_E2E_WINDOWS_HELPERS must name "
                           "the installed Windows folder and the test programs")
    Session.display = Display()
    _cleanups.append(Session.display.stop)
    Session.user = WineUser(Session.display.display)
    _cleanups.append(Session.user.remove)


def tear_down_session():
    while _cleanups:
        _cleanups.pop()()
    signal.alarm(0)
    print_date("after the run")


def _time_up(number, _frame):
    print(f"time up (signal {number}): cleaning up", file=sys.stderr, flush=True)
    try:
        tear_down_session()
    finally:
        os._exit(1)


class WineTestCase(unittest.TestCase):
    """One working folder and Quarnel.exe per test; the real clock is checked
    to be untouched around every test."""

    form = Form()

    def setUp(self):
        print_date("before")
        self.real_clock_before = real_clock_step_ns()
        self.user = Session.user
        self.started = []
        self.addCleanup(self._stop_and_check_real_clock)
        self.set_up_program()

    def set_up_program(self):
        """A fresh copy of the deployable folder as the working folder, and
        Quarnel.exe started there."""
        self.folder = tempfile.mkdtemp(prefix="work-", dir=self.user.root)
        shutil.copytree(FOLDER, self.folder, dirs_exist_ok=True)
        self.prepare()
        self.user.give(self.folder)
        self.start_quarnel()

    def prepare(self):
        """Puts into the working folder what the program is to find at its
        start; nothing by default."""

    def start_quarnel(self):
        self.quarnel = WineQuarnel(Session.display.display, self.user, self.folder, self.form)
        self.started.append(self.quarnel)
        self.quarnel.wait_for_window()

    def file(self, name):
        return os.path.join(self.folder, name)

    def read(self, name):
        try:
            with open(self.file(name), encoding="utf-8") as file:
                return file.read()
        except FileNotFoundError:
            return None

    def _stop_and_check_real_clock(self):
        for quarnel in self.started:
            quarnel.stop()
        output = self.started[-1].output() if self.started else ""
        if output:
            print("Quarnel.exe said:\n" + output)
        print_date("after")
        moved = real_clock_step_ns() - self.real_clock_before
        self.assertLess(abs(moved), 50 * NS_PER_MS, "the real clock moved during the test")

    def error_box_text(self, timeout=20):
        """The text of the program's error box, which is then closed, or None
        when no box came within the time."""
        q = self.quarnel
        try:
            box = q.find_window("Quarnel", timeout=timeout)
        except AssertionError:
            return None
        q.activate(box)
        # A Windows message box copies its text with Ctrl+C.
        text = q.copied_text(lambda: q.key("ctrl+c"), what="the error box")
        q.key("Return")
        self.assertTrue(q.window_gone(box), "the error box stayed open")
        q.activate(q.window)
        return text

    def read_on_screen(self, widget, characters):
        """A label's text, which cannot be copied, by text recognition of a
        magnified screenshot of its area, limited to the expected
        characters."""
        area = self.quarnel.form.widgets[widget]
        picture = os.path.join(self.user.root, "label.png")
        run(["import", "-window", self.quarnel.window,
             "-crop", f"{area.width}x{area.height}+{area.x}+{area.y}", "+repage",
             "-resize", "400%", "-colorspace", "Gray", picture],
            env=self.quarnel._x_environment())
        recognised = run(["tesseract", picture, "stdout", "--psm", "7",
                          "-c", f"tessedit_char_whitelist={characters}"]).stdout
        return recognised.strip()

    def assertShowsOnScreen(self, widget, text, characters, timeout=5.0):
        """The label's text as drawn, waiting for the window to draw it."""
        self.assertTrue(text)
        shown = wait_until(lambda: (t := self.read_on_screen(widget, characters)) == text and t,
                           timeout, interval=0.5)
        self.assertEqual(shown or self.read_on_screen(widget, characters), text)

    def assertShows(self, widget, text, timeout=3.0):
        """The widget's text, waiting for a tick to write it."""
        shown = wait_until(lambda: (t := self.quarnel.text_of(widget)) == text and t, timeout,
                           interval=0.2)
        self.assertEqual(shown or self.quarnel.text_of(widget), text)
