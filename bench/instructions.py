"""Instruction counts under callgrind, for figures that stay the same from run
to run, where CPU times move with the load of a shared machine.

Start-up: instructions until the end of the first paint of the window (the
first return from Qt's QWidgetRepaintManager::paintAndFlush), for quarnel, the
empty window and the empty window with one line of text. Per tick: instructions over an idle period divided by the
ticks in it, with the Timeshift tab shown and with it hidden behind the Info
tab.
"""

import os
import re
import shutil
import subprocess
import time

FIRST_PAINT = "QWidgetRepaintManager::paintAndFlush()"
TICK = "TTabbedForm::Timer1Timer()"


def available():
    return shutil.which("valgrind") is not None and shutil.which("callgrind_control") is not None


def callgrind(output):
    return [shutil.which("valgrind"), "--tool=callgrind", f"--callgrind-out-file={output}"]


def totals(path):
    with open(path, encoding="utf-8", errors="replace") as profile:
        for line in profile:
            if line.startswith("totals:"):
                return int(line.split()[1])
    raise RuntimeError(f"no totals in {path}")


def calls_of(path, function):
    """How often `function` was called in a profile (callgrind names a
    function in full once, then by its number)."""
    numbers = set()
    count = 0
    called = None
    with open(path, encoding="utf-8", errors="replace") as profile:
        for line in profile:
            named = re.match(r"c?fn=\((\d+)\)(?: (.*))?$", line.rstrip("\n"))
            if named:
                if named.group(2) == function:
                    numbers.add(named.group(1))
                called = named.group(1) if line.startswith("cfn=") else None
            elif line.startswith("calls=") and called in numbers:
                count += int(line.split("=")[1].split()[0])
    return count


def wait_for(path, timeout):
    deadline = time.monotonic() + timeout
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            raise RuntimeError(f"callgrind wrote no {os.path.basename(path)}")
        time.sleep(0.2)
    time.sleep(0.5)  # written in full


def startup(workspace, launch):
    """Instructions until the first paint of each program."""
    counts = {}
    for program in ("quarnel", "empty", "text"):
        output = workspace.file(f"startup-{program}.callgrind")
        launched = launch(program, callgrind(output) + [f"--dump-after={FIRST_PAINT}"])
        try:
            wait_for(f"{output}.1", timeout=60)
            counts[program] = totals(f"{output}.1")
        finally:
            launched.stop()
    return counts


def per_tick(workspace, launch, show_tab, user, seconds):
    """Instructions per tick of an idling quarnel, with its Timeshift tab shown
    ("shown") and hidden behind the Info tab ("hidden")."""
    output = workspace.file("ticks.callgrind")
    launched = launch("quarnel", callgrind(output))
    parts = 0

    def dump():
        nonlocal parts
        subprocess.run(["setpriv", f"--reuid={user}", f"--regid={user}", "--clear-groups",
                        "callgrind_control", "--dump", str(launched.pid)],
                       check=True, capture_output=True, timeout=60)
        parts += 1
        path = f"{output}.{parts}"
        wait_for(path, timeout=30)
        return path

    try:
        figures = {}
        for tab in ("Timeshift", "Info"):
            show_tab(launched, tab)
            time.sleep(3)
            dump()  # what came before: not counted
            time.sleep(seconds)
            profile = dump()
            ticks = calls_of(profile, TICK)
            if ticks == 0:
                raise RuntimeError("no tick in the measured period")
            figures["shown" if tab == "Timeshift" else "hidden"] = (totals(profile) / ticks,
                                                                     ticks)
    finally:
        launched.stop()
    return figures
