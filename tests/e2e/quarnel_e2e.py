"""Runs the real quarnel program the way a user meets it, for end-to-end tests.

Each test class gets its own X server (Xvfb, on a display it picks itself);
each test gets a scratch directory with copies of the program and of the clock
interception library, and a fresh quarnel started there as an unprivileged
user with the library preloaded and the scratch directory's bin first on its
PATH, where a test puts fakes of the commands the program runs. The tests
drive it with real input through xdotool at the widgets' positions taken from
the form description, read texts back through the clipboard, close it with
wmclose as a window manager would, and read every clock change from the
library's log. A test that cannot get a display fails; nothing here skips.

Nothing is left behind when CTest's timeout ends a test: the scratch
directories lie under a parent of the test's own (QUARNEL_E2E_SCRATCH_PARENT),
which a cleanup test removes after every end-to-end test; SIGTERM makes the
harness end what it started and remove its directories at once; and the X
server and the program get SIGTERM from the kernel when the harness dies.
"""

import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree
from dataclasses import dataclass

# Root runs the program as nobody, so that a clock set that slips past the
# library fails with EPERM; an ordinary user has no right to set the clock and
# runs it as itself.
AS_ROOT = os.geteuid() == 0
UNPRIVILEGED = 65534 if AS_ROOT else os.geteuid()
CAP_SYS_TIME = 25
SOURCE_DIR = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
FORM_FILE = os.path.join(SOURCE_DIR, "src", "app", "Tabbedtemplate.ui")
# The tab strip above every page, as resources/styles.qss draws it.
TAB_STRIP_HEIGHT = 30
TAB_WIDTH = 80
# The rows of the clip list, as its style in the form description draws them.
LIST_ROW_HEIGHT = 32
# The clock references' rows, which the window makes in code inside the
# container ReferenceRows: the rows share its height, each one pitch high, row
# i one pitch below the one before, with its label lbl<name> and its Use
# button btnUse<name> where a row puts them. A row with a control of its own
# (its widget named here) has it at the start, and the label beside it; the
# control hides while there is nothing to narrow (the decodes' chooser while
# not listening) and the label then takes the whole width, which holds the
# narrower place given here. These mirror the program's own layout of the
# rows (src/references/ReferenceList.cpp).
REFERENCE_ROWS = (("Decodes", "cbDecodesStation"), ("TimeServer", None), ("Gps", None))
REFERENCE_ROW_GAP = 2
REFERENCE_LABEL = (0, 305)  # x and width within a row; one line, a pitch less the gap high
REFERENCE_BUTTON = (312, 57)
REFERENCE_CONTROL = (0, 104)
REFERENCE_CONTROL_GAP = 6

PROGRAM = os.environ.get("QUARNEL_E2E_PROGRAM", "")
SHIM = os.environ.get("QUARNEL_E2E_SHIM", "")
WMCLOSE = os.environ.get("QUARNEL_E2E_WMCLOSE", "")
SCRATCH_PARENT = os.environ.get("QUARNEL_E2E_SCRATCH_PARENT") or None
# A sanitizer build's runtime, which must be loaded before the clock library,
# and the sanitizer options, passed on through the program's clean environment.
SANITIZER_RUNTIME = os.environ.get("QUARNEL_E2E_SANITIZER_RUNTIME", "")
SANITIZER_OPTIONS = {key: value for key, value in os.environ.items()
                     if key in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS")}
LEAK_SUPPRESSIONS = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                 "lsan-suppressions.txt")

PR_SET_PDEATHSIG = 1

# What this harness started and has not yet ended or removed, for SIGTERM.
_live_processes = []
_live_directories = []


def _end_everything(signal_number, _frame):
    for process in list(_live_processes):
        if process.poll() is None:
            process.kill()
    for directory in list(_live_directories):
        shutil.rmtree(directory, ignore_errors=True)
    print("ended by signal", signal_number, file=sys.stderr)
    os._exit(128 + signal_number)


signal.signal(signal.SIGTERM, _end_everything)


def _forget(things, thing):
    if thing in things:
        things.remove(thing)


def _die_with_the_harness():
    """Run in a child before exec: the kernel sends it SIGTERM when the
    harness dies, SIGKILL included."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)

NS_PER_MS = 1_000_000
NS_PER_US = 1_000


def run(args, timeout=10, **kwargs):
    return subprocess.run(args, check=True, timeout=timeout, capture_output=True, text=True,
                          **kwargs)


def may_set_clock():
    """Whether this process holds the right to set the clock."""
    with open("/proc/self/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("CapEff:"):
                return int(line.split()[1], 16) >> CAP_SYS_TIME & 1 == 1
    return True


def unprivileged(environment, command):
    """The command run as the unprivileged user with exactly this environment.
    A change of user clears the parent-death signal; setpriv sets it again."""
    if AS_ROOT:
        switch = [f"--reuid={UNPRIVILEGED}", f"--regid={UNPRIVILEGED}", "--clear-groups"]
    elif may_set_clock():
        raise RuntimeError("this user may set the clock: run the tests as root (they switch to "
                           "nobody) or as a user without CAP_SYS_TIME")
    else:
        switch = []
    return (["setpriv", *switch, "--pdeathsig", "SIGTERM", "env", "-i"]
            + [f"{key}={value}" for key, value in environment.items()] + list(command))


def hand_over(path):
    """Gives a file of the tests' to the unprivileged user (already its owner
    when the tests run as that user)."""
    if AS_ROOT:
        os.chown(path, UNPRIVILEGED, UNPRIVILEGED)


def sanitizer_options(scratch):
    """The sanitizer options of the test's environment for a sanitizer build,
    with the suppressions of system libraries' leaks added."""
    if not SANITIZER_RUNTIME:
        return {}
    options = dict(SANITIZER_OPTIONS)
    suppressions = "suppressions=" + scratch.file("lsan-suppressions.txt")
    options["LSAN_OPTIONS"] = ":".join(filter(None, [options.get("LSAN_OPTIONS"), suppressions]))
    return options


def wait_until(condition, timeout, interval=0.05):
    """The condition's first true result, or its last false one when the time
    is up."""
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
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            preexec_fn=_die_with_the_harness)
        _live_processes.append(self.process)
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

    def stop(self):
        end_process(self.process)
        _forget(_live_processes, self.process)


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
        self._add_reference_rows()

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

    def _add_reference_rows(self):
        container = self.widgets.get("ReferenceRows")
        if container is None:
            return
        pitch = container.height // len(REFERENCE_ROWS)
        height = pitch - REFERENCE_ROW_GAP
        for index, (name, control) in enumerate(REFERENCE_ROWS):
            top = container.y + index * pitch
            label_x, label_width = REFERENCE_LABEL
            if control:
                x, width = REFERENCE_CONTROL
                self.widgets[control] = Rect(container.x + x, top, width, height)
                label_x = x + width + REFERENCE_CONTROL_GAP
                label_width -= label_x
            self.widgets["lbl" + name] = Rect(container.x + label_x, top, label_width, height)
            x, width = REFERENCE_BUTTON
            self.widgets["btnUse" + name] = Rect(container.x + x, top, width, height)

    def tab_centre(self, title):
        tab_strip = self.widgets["TabControl1"]
        index = self.tabs.index(title)
        return tab_strip.x + index * TAB_WIDTH + TAB_WIDTH // 2, tab_strip.y + TAB_STRIP_HEIGHT // 2


class Scratch:
    """A directory the unprivileged user owns, holding the program and the
    library (the build tree may not be readable by that user), and whatever
    files a test writes there."""

    def __init__(self):
        if not PROGRAM or not SHIM or not WMCLOSE:
            raise RuntimeError("QUARNEL_E2E_PROGRAM, QUARNEL_E2E_SHIM and QUARNEL_E2E_WMCLOSE "
                               "must name the built program, clock library and wmclose")
        if SCRATCH_PARENT:
            os.makedirs(SCRATCH_PARENT, mode=0o755, exist_ok=True)
        self.path = tempfile.mkdtemp(prefix="quarnel-e2e-", dir=SCRATCH_PARENT)
        _live_directories.append(self.path)
        os.chmod(self.path, 0o755)
        hand_over(self.path)
        self.copy(PROGRAM, "quarnel")
        self.copy(SHIM, "libquarnel_clockshim.so")
        if SANITIZER_RUNTIME:
            self.copy(LEAK_SUPPRESSIONS, "lsan-suppressions.txt")
        self.make_directory("runtime", 0o700)
        self.make_directory("bin")
        # The program's temporary folder (TMPDIR), where Quarnel's local socket
        # lies and stays when the test ends the program with a signal. A
        # socket's path has room for about 100 characters, so the folder is a
        # short one beside the scratch directories' parent, which the cleanup
        # test removes too.
        self.temporary = tempfile.mkdtemp(
            prefix="t-", dir=os.path.dirname(SCRATCH_PARENT) if SCRATCH_PARENT else None)
        _live_directories.append(self.temporary)
        hand_over(self.temporary)

    def file(self, name):
        return os.path.join(self.path, name)

    @property
    def unique_name(self):
        """A name no other test run on this machine uses: the directory's,
        which mkdtemp made unique."""
        return os.path.basename(self.path)

    def make_directory(self, name, mode=0o755):
        os.mkdir(self.file(name), mode)
        hand_over(self.file(name))

    def copy(self, source, name):
        shutil.copy2(source, self.file(name))
        hand_over(self.file(name))

    def write(self, name, text, executable=False):
        with open(self.file(name), "w", encoding="utf-8") as file:
            file.write(text)
        os.chmod(self.file(name), 0o755 if executable else 0o644)
        hand_over(self.file(name))

    def read(self, name):
        """The file's text, or None while it does not exist."""
        try:
            with open(self.file(name), encoding="utf-8") as file:
                return file.read()
        except FileNotFoundError:
            return None

    def remove(self):
        for directory in (self.path, self.temporary):
            shutil.rmtree(directory, ignore_errors=True)
            _forget(_live_directories, directory)


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

    def __init__(self, display, scratch, form, extra_environment=None, program="./quarnel",
                 directory=None):
        self.display = display
        self.scratch = scratch
        self.form = form
        self.clock = ClockLog(scratch.file("clock.log"))
        self.clock.seen = len(self.clock.changes())  # a restart reads only its own changes
        self.output_path = scratch.file("output.txt")
        environment = {
            "DISPLAY": display,
            "HOME": scratch.path,
            "XDG_RUNTIME_DIR": scratch.file("runtime"),
            "TMPDIR": scratch.temporary,
            "LANG": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
            "LD_PRELOAD": " ".join(filter(None, [SANITIZER_RUNTIME,
                                                 scratch.file("libquarnel_clockshim.so")])),
            "QUARNEL_CLOCKSHIM_LOG": self.clock.path,
            "PATH": f"{scratch.file('bin')}:/usr/bin:/bin",
            # The program asks systemd and its time service over the system
            # bus: never the machine's. A test with a bus of its own names it.
            "DBUS_SYSTEM_BUS_ADDRESS": f"unix:path={scratch.file('no-system-bus')}",
            **sanitizer_options(scratch),
            **(extra_environment or {}),
        }
        with open(self.output_path, "ab") as output:
            self.process = subprocess.Popen(unprivileged(environment, [program]),
                                            cwd=directory or scratch.path, stdout=output,
                                            stderr=subprocess.STDOUT)
        _live_processes.append(self.process)
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

    def click_entry(self, widget, row):
        """Clicks the row of a list, counting from 0 at its top."""
        area = self.form.widgets[widget]
        self.click_at(area.centre[0], area.y + row * LIST_ROW_HEIGHT + LIST_ROW_HEIGHT // 2)

    def wheel(self, widget, steps):
        """Turns the wheel over the widget: positive steps away from the user."""
        x, y = self.form.widgets[widget].centre
        button = "4" if steps > 0 else "5"
        self.xdotool("mousemove", "--window", self.window, str(x), str(y),
                     "click", "--repeat", str(abs(steps)), "--delay", "30", button)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def type(self, text):
        """Enters the text where the input focus is. xdotool types only the
        characters of the keyboard map reliably: for any other it changes the
        map on the fly, and the program may read the key with the old map. A
        text with such characters is pasted from the clipboard instead."""
        if text.isascii():
            self.xdotool("type", "--delay", "30", text)
            return
        holder = self._hold_clipboard(text)
        try:
            if not wait_until(lambda: self._clipboard() == text, 5):
                raise AssertionError("the clipboard could not be prepared")
            self.key("ctrl+v")
        finally:
            self._release_clipboard(holder)

    def _hold_clipboard(self, text):
        """xclip holding the text as the clipboard's owner until released."""
        holder = subprocess.Popen(
            ["xclip", "-quiet", "-selection", "clipboard", "-i"], stdin=subprocess.PIPE,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=self._x_environment(),
            preexec_fn=_die_with_the_harness)
        holder.stdin.write(text.encode())
        holder.stdin.close()
        return holder

    @staticmethod
    def _release_clipboard(holder):
        if holder.poll() is None:
            holder.terminate()
        holder.wait(timeout=5)

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
            holder = self._hold_clipboard(marker)
            try:
                if not wait_until(lambda: self._clipboard() == marker, 5):
                    raise AssertionError("the clipboard could not be prepared")
                copy()
                # In a list, so that an empty text counts as copied too.
                copied = wait_until(
                    lambda: [c] if (c := self._clipboard()) not in (None, marker) else None, 1.0)
            finally:
                self._release_clipboard(holder)
            if copied:
                return copied[0]
        raise AssertionError(f"{what} could not be copied")

    def label_text(self, widget, picture):
        """A label's text, recognised from a magnified screenshot of its area
        (saved as `picture`): a label cannot be copied from."""
        area = self.form.widgets[widget]
        run(["import", "-window", self.window,
             "-crop", f"{area.width}x{area.height}+{area.x}+{area.y}", "+repage",
             "-resize", "400%", "-colorspace", "Gray", picture], env=self._x_environment())
        return run(["tesseract", picture, "stdout", "--psm", "7"]).stdout.strip()

    def error_box_text(self, timeout=10):
        """The text of the open error box, which is then closed with OK.

        Qt's Ctrl+C copies a whole message box only on Windows, but the
        Fusion style makes the box's text selectable by mouse: a triple click
        on its first line selects all of it (it is one paragraph), and Ctrl+C
        copies the selection."""
        box = self.find_window("Quarnel", timeout=timeout)
        self.xdotool("windowfocus", "--sync", box)
        geometry = run(["xdotool", "getwindowgeometry", "--shell", box],
                       env=self._x_environment()).stdout
        width = int(dict(line.split("=", 1) for line in geometry.split())["WIDTH"])

        def copy():
            # The text starts beside the icon, on the box's first line.
            self.xdotool("mousemove", "--window", box, str(width // 2), "20",
                         "click", "--repeat", "3", "--delay", "60", "1")
            self.key("ctrl+c")
        text = self.copied_text(copy, what="the error box's text")
        self.xdotool("windowfocus", "--sync", box)
        self.key("Escape")
        if not self.window_gone(box):
            raise AssertionError("the error box stayed open")
        return text

    def _clipboard(self):
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"],
                                env=self._x_environment(), capture_output=True, timeout=5)
        return result.stdout.decode("utf-8", errors="replace") if result.returncode == 0 else None

    def close(self, timeout=10):
        """Closes the window as a window manager does (WM_DELETE_WINDOW) and
        returns the program's exit code."""
        run([WMCLOSE, self.window], env=self._x_environment())
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end after its window was closed") from None

    def stop(self):
        end_process(self.process)
        _forget(_live_processes, self.process)


class DaemonsInFolder:
    """Daemons a test starts in a folder of their own (`self.folder`): leaving
    the `with` ends them with stop(), and file() names a file in the folder."""

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    def file(self, name):
        return os.path.join(self.folder, name)


def end_process(process):
    """Ends a process this harness started: politely, then for sure."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


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
        # Cleanups run last first: what prepare starts is ended after the program.
        self.prepare()
        self.started = []
        self.addCleanup(self._stop_and_check_real_clock)
        self.start_quarnel()

    def prepare(self):
        """Puts into the scratch directory what the program is to find at its
        start; nothing by default."""

    def program_environment(self):
        """Variables the program gets besides the harness's own; none by
        default."""
        return {}

    def program_start(self):
        """The program file to start and the directory to start it in: by
        default the copy in the scratch directory, started there."""
        return "./quarnel", self.scratch.path

    def start_quarnel(self):
        """Starts the program in the test's scratch directory and waits for its
        window; called again after the program has ended, it is a restart."""
        program, directory = self.program_start()
        self.quarnel = Quarnel(self.x_server.display, self.scratch, self.form,
                               self.program_environment(), program, directory)
        self.started.append(self.quarnel)
        self.clock = self.quarnel.clock
        self.quarnel.wait_for_window()

    def _stop_and_check_real_clock(self):
        for quarnel in self.started:
            quarnel.stop()
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
