"""Runs the real quarnel program the way a user meets it, for end-to-end tests.

Each test class gets its own X server (Xvfb, on a display it picks itself);
each test gets a scratch directory with copies of the program and of the clock
interception library, and a fresh quarnel started there as an unprivileged
user with the library preloaded. The tests drive it with real input through
xdotool at the widgets' positions taken from the form description, read texts
back through the clipboard, and read every clock change from the library's
log. A test that cannot get a display fails; nothing here skips.
"""

import ctypes
import os
import re
import select
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass

UNPRIVILEGED = 65534  # nobody: a clock set that slips past the library fails with EPERM
SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
FORM_FILE = os.path.join(SOURCE_DIR, "src", "app", "Tabbedtemplate.ui")
# The tab strip above every page, as resources/styles.qss draws it.
TAB_STRIP_HEIGHT = 30
TAB_WIDTH = 99

PROGRAM = os.environ.get("QUARNEL_E2E_PROGRAM", "")
SHIM = os.environ.get("QUARNEL_E2E_SHIM", "")

NS_PER_MS = 1_000_000
NS_PER_US = 1_000


def run(args, timeout=10, **kwargs):
    return subprocess.run(args, check=True, timeout=timeout, capture_output=True, text=True,
                          **kwargs)


def wait_until(condition, timeout, interval=0.05):
    """The condition's first true result, or None when the time is up."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(interval)


class XServer:
    """An Xvfb of the test's own. Xvfb picks a free display and reports it on
    a pipe, so parallel runs never collide."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.1)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            self.stop()
            raise RuntimeError("no X display could be started (is Xvfb installed?)")
        self.display = ":" + number.strip().decode()

    def close(self, timeout=10):
        """Closes the window as a window manager does (WM_DELETE_WINDOW) and
        returns the program's exit code."""
        send_close_request(self.display, int(self.window))
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end after its window was closed") from None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


@dataclass
class Rect:
    x: int
    y: int
    width: int
    height: int

    @property
    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2


class Form:
    """Window-relative positions of the widgets, read from the form description."""

    def __init__(self, path=FORM_FILE):
        root = ElementTree.parse(path).getroot().find("widget")
        self.title = root.find("property[@name='windowTitle']/string").text
        self.widgets = {}
        self.tabs = []
        self._collect(root, 0, 0)

    def _collect(self, element, origin_x, origin_y):
        for child in element.findall("widget"):
            x, y = origin_x, origin_y
            rect = child.find("property[@name='geometry']/rect")
            if rect is not None:
                values = {field.tag: int(field.text) for field in rect}
                x += values["x"]
                y += values["y"]
                self.widgets[child.get("name")] = Rect(x, y, values["width"], values["height"])
            if child.get("class") == "QTabWidget":
                for page in child.findall("widget"):
                    self.tabs.append(page.find("attribute[@name='title']/string").text)
                    self._collect(page, x, y + TAB_STRIP_HEIGHT)
            else:
                self._collect(child, x, y)

    def tab_centre(self, title):
        tab_strip = self.widgets["TabControl1"]
        index = self.tabs.index(title)
        return tab_strip.x + index * TAB_WIDTH + TAB_WIDTH // 2, tab_strip.y + TAB_STRIP_HEIGHT // 2


class Scratch:
    """A directory the unprivileged user owns, holding the program and the
    library (the build tree may not be readable by that user)."""

    def __init__(self):
        if not PROGRAM or not SHIM:
            raise RuntimeError("QUARNEL_E2E_PROGRAM and QUARNEL_E2E_SHIM must name the built "
                               "program and clock library")
        self.path = tempfile.mkdtemp(prefix="quarnel-e2e-")
        os.chmod(self.path, 0o755)
        shutil.copy2(PROGRAM, self.file("quarnel"))
        shutil.copy2(SHIM, self.file("libquarnel_clockshim.so"))
        os.mkdir(self.file("runtime"), 0o700)
        for directory, _, files in os.walk(self.path):
            os.chown(directory, UNPRIVILEGED, UNPRIVILEGED)
            for name in files:
                os.chown(os.path.join(directory, name), UNPRIVILEGED, UNPRIVILEGED)

    def file(self, name):
        return os.path.join(self.path, name)

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


@dataclass
class ClockChange:
    call: str
    fields: dict

    @property
    def move_ns(self):
        return self.fields["move_ns"]

    @property
    def offset_ns(self):
        return self.fields["offset_ns"]

    @property
    def refused(self):
        return "refused" in self.fields


class ClockLog:
    """The clock interception library's log: one line per clock change."""

    def __init__(self, path):
        self.path = path
        self.seen = 0

    def changes(self):
        try:
            with open(self.path, encoding="utf-8") as file:
                lines = file.read().splitlines()
        except FileNotFoundError:
            return []
        changes = []
        for line in lines:
            call, *words = line.split()
            fields = {}
            for word in words:
                key, _, value = word.partition("=")
                fields[key] = int(value) if key.endswith("_ns") or key == "pid" else value
            changes.append(ClockChange(call, fields))
        return changes

    def next_change(self, timeout=3.0):
        """The first change not yet returned; None when none comes in time."""
        changes = wait_until(lambda: self.changes()[self.seen:], timeout)
        if not changes:
            return None
        self.seen += 1
        return changes[0]

    def offset_ns(self):
        changes = self.changes()
        return changes[-1].offset_ns if changes else 0


class Quarnel:
    """The program started as the unprivileged user, on the test's display,
    with the clock interception library preloaded."""

    def __init__(self, display, scratch, form):
        self.display = display
        self.scratch = scratch
        self.form = form
        self.clock = ClockLog(scratch.file("clock.log"))
        self.output_path = scratch.file("output.txt")
        environment = {
            "DISPLAY": display,
            "HOME": scratch.path,
            "XDG_RUNTIME_DIR": scratch.file("runtime"),
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
            "LD_PRELOAD": scratch.file("libquarnel_clockshim.so"),
            "QUARNEL_CLOCKSHIM_LOG": self.clock.path,
        }
        command = ["setpriv", f"--reuid={UNPRIVILEGED}", f"--regid={UNPRIVILEGED}",
                   "--clear-groups", "env", "-i"]
        command += [f"{key}={value}" for key, value in environment.items()]
        command.append("./quarnel")
        with open(self.output_path, "wb") as output:
            self.process = subprocess.Popen(command, cwd=scratch.path, stdout=output,
                                            stderr=subprocess.STDOUT)
        self.window = None

    def wait_for_window(self):
        self.window = self.find_window(self.form.title)
        # A window manager would activate the new window; this one has none,
        # so the test gives it the input focus, which Qt reports as activation.
        self.xdotool("windowfocus", "--sync", self.window)

    def find_window(self, title, timeout=20):
        """The id of the program's visible window with exactly this title."""
        pattern = "^" + re.escape(title) + "$"
        try:
            found = subprocess.run(
                ["xdotool", "search", "--sync", "--onlyvisible", "--name", pattern],
                env=self._x_environment(), capture_output=True, text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            found = None
        if found is None or found.returncode != 0 or not found.stdout.split():
            raise AssertionError(f"no window {title!r} appeared; the program said:\n"
                                 + self.output())
        return found.stdout.split()[0]

    def window_gone(self, window, timeout=5):
        """True once the window is no longer visible."""
        def gone():
            visible = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                                     env=self._x_environment(), capture_output=True, text=True,
                                     timeout=5)
            return window not in visible.stdout.split()
        return bool(wait_until(gone, timeout))

    def _x_environment(self):
        return dict(os.environ, DISPLAY=self.display)

    def output(self):
        with open(self.output_path, encoding="utf-8", errors="replace") as file:
            return file.read()

    def xdotool(self, *args):
        run(["xdotool", *args], env=self._x_environment())

    # --- input ---

    def click_at(self, x, y):
        self.xdotool("mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def click(self, widget):
        self.click_at(*self.form.widgets[widget].centre)

    def click_tab(self, title):
        self.click_at(*self.form.tab_centre(title))

    def wheel(self, widget, steps):
        """Turns the wheel over the widget: positive steps away from the user."""
        x, y = self.form.widgets[widget].centre
        button = "4" if steps > 0 else "5"
        self.xdotool("mousemove", "--window", self.window, str(x), str(y),
                     "click", "--repeat", str(abs(steps)), "--delay", "30", button)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", "30", text)

    # --- reading ---

    def text_of(self, widget):
        """The widget's text, copied to the clipboard with Ctrl+A, Ctrl+C."""
        def copy():
            self.click(widget)
            self.key("ctrl+a", "ctrl+c")
        return self.copied_text(copy, what=f"the text of {widget}")

    def copied_text(self, copy, what="the text", attempts=3):
        """What `copy` puts on the clipboard.

        A marker is put on the clipboard first, so that a copy that did not
        happen (say the tick rewrote a text between Ctrl+A and Ctrl+C) is
        noticed and tried again instead of reading an older text."""
        for _ in range(attempts):
            marker = f"quarnel-e2e-marker-{time.monotonic_ns()}"
            holder = subprocess.Popen(
                ["xclip", "-quiet", "-selection", "clipboard", "-i"], stdin=subprocess.PIPE,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=self._x_environment())
            try:
                holder.stdin.write(marker.encode())
                holder.stdin.close()
                if wait_until(lambda: self._clipboard() == marker, 5) is None:
                    raise AssertionError("the clipboard could not be prepared")
                copy()
                text = wait_until(lambda: (c := self._clipboard()) != marker and c, 1.0)
            finally:
                if holder.poll() is None:
                    holder.terminate()
                holder.wait(timeout=5)
            if text:
                return text
        raise AssertionError(f"{what} could not be copied")

    def _clipboard(self):
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"],
                                env=self._x_environment(), capture_output=True, timeout=5)
        return result.stdout.decode("utf-8", errors="replace") if result.returncode == 0 else None

    def close(self, timeout=10):
        """Closes the window as a window manager does (WM_DELETE_WINDOW) and
        returns the program's exit code."""
        send_close_request(self.display, int(self.window))
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end after its window was closed") from None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class _InternAtomCookie(ctypes.Structure):
    _fields_ = [("sequence", ctypes.c_uint)]


class _InternAtomReply(ctypes.Structure):
    _fields_ = [("response_type", ctypes.c_uint8), ("pad0", ctypes.c_uint8),
                ("sequence", ctypes.c_uint16), ("length", ctypes.c_uint32),
                ("atom", ctypes.c_uint32)]


def send_close_request(display, window):
    """Sends the window the WM_DELETE_WINDOW message of the window manager
    protocol; the X server here runs no window manager that could."""
    xcb = ctypes.CDLL("libxcb.so.1")
    libc = ctypes.CDLL(None)
    xcb.xcb_connect.restype = ctypes.c_void_p
    xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
    xcb.xcb_connection_has_error.argtypes = [ctypes.c_void_p]
    xcb.xcb_intern_atom.restype = _InternAtomCookie
    xcb.xcb_intern_atom.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint16,
                                    ctypes.c_char_p]
    xcb.xcb_intern_atom_reply.restype = ctypes.POINTER(_InternAtomReply)
    xcb.xcb_intern_atom_reply.argtypes = [ctypes.c_void_p, _InternAtomCookie, ctypes.c_void_p]
    xcb.xcb_send_event.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32,
                                   ctypes.c_uint32, ctypes.c_char_p]
    xcb.xcb_flush.argtypes = [ctypes.c_void_p]
    xcb.xcb_disconnect.argtypes = [ctypes.c_void_p]
    libc.free.argtypes = [ctypes.c_void_p]

    connection = xcb.xcb_connect(display.encode(), None)
    try:
        if xcb.xcb_connection_has_error(connection):
            raise AssertionError(f"cannot connect to the display {display}")

        def atom(name):
            reply = xcb.xcb_intern_atom_reply(
                connection, xcb.xcb_intern_atom(connection, 0, len(name), name), None)
            if not reply:
                raise AssertionError(f"the X server does not know {name}")
            value = reply.contents.atom
            libc.free(reply)
            return value

        client_message, format_32, current_time = 33, 32, 0
        event = struct.pack("=BBHII5I", client_message, format_32, 0, window,
                            atom(b"WM_PROTOCOLS"), atom(b"WM_DELETE_WINDOW"), current_time,
                            0, 0, 0)
        xcb.xcb_send_event(connection, 0, window, 0, event)
        xcb.xcb_flush(connection)
    finally:
        xcb.xcb_disconnect(connection)


def real_clock_step_ns():
    """Where the real clock stands against the monotonic clock: it changes only
    when someone sets the real clock."""
    return time.clock_gettime_ns(time.CLOCK_REALTIME) - time.clock_gettime_ns(time.CLOCK_MONOTONIC)


class QuarnelTestCase(unittest.TestCase):
    """One X server per class, one scratch directory and program per test; the
    real clock is checked to be untouched around every test."""

    form = Form()
    x_server = None

    @classmethod
    def setUpClass(cls):
        cls.x_server = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.x_server.stop()

    def setUp(self):
        print("date before:", run(["date", "+%F %T.%N"]).stdout.strip())
        self.real_clock_before = real_clock_step_ns()
        self.scratch = Scratch()
        self.addCleanup(self.scratch.remove)
        self.quarnel = Quarnel(self.x_server.display, self.scratch, self.form)
        self.addCleanup(self._stop_and_check_real_clock)
        self.clock = self.quarnel.clock
        self.quarnel.wait_for_window()

    def _stop_and_check_real_clock(self):
        self.quarnel.stop()
        print("date after:", run(["date", "+%F %T.%N"]).stdout.strip())
        output = self.quarnel.output()
        if output:
            print("quarnel said:\n" + output)
        moved = real_clock_step_ns() - self.real_clock_before
        self.assertLess(abs(moved), 50 * NS_PER_MS, "the real clock moved during the test")

    # --- assertions about the clock ---

    def assertClockMoved(self, expected_ns, tolerance_ns=100 * NS_PER_US, timeout=3.0):
        change = self.clock.next_change(timeout)
        self.assertIsNotNone(change, "the clock was not set")
        print(f"clock: {change.call} moved {change.move_ns} ns, asked {expected_ns} ns")
        self.assertFalse(change.refused, f"the clock change was refused: {change}")
        self.assertLessEqual(abs(change.move_ns - expected_ns), tolerance_ns,
                             f"asked {expected_ns} ns, moved {change.move_ns} ns")
        return change

    def assertClockNotSet(self, within):
        change = self.clock.next_change(within)
        self.assertIsNone(change, f"the clock was set: {change}")

    def assertShows(self, widget, text):
        self.assertEqual(self.quarnel.text_of(widget), text)

    def assertShowsAfterTick(self, widget, text, timeout=3.0):
        """The text a tick writes, waiting for the next tick to write it."""
        shown = wait_until(lambda: (t := self.quarnel.text_of(widget)) == text and t, timeout,
                           interval=0.2)
        self.assertEqual(shown or self.quarnel.text_of(widget), text)
