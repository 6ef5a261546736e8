"""The real program as a screen reader meets it: every control the user can
operate has a name, on every tab, and the clock displays are read-only texts.

The program and the reader (accessible_tree.py, Debian's python3 with
python3-pyatspi) meet on an accessibility bus of the test's own; Qt's
accessibility is switched on, as a desktop with a screen reader does."""

import json
import os
import subprocess
import unittest

from private_bus import SYSTEM_PYTHON, PrivateBus, _first_line, end_with_pipes
from quarnel_e2e import QuarnelTestCase, wait_until

HERE = os.path.dirname(os.path.abspath(__file__))
TREE = os.path.join(HERE, "accessible_tree.py")
LAUNCHER = os.path.join(HERE, "a11y_bus_standin.py")

REGISTRY = "/usr/libexec/at-spi2-registryd"

# Roles of the controls a user operates (AT-SPI's role names).
INTERACTIVE = {"push button", "toggle button", "check box", "radio button", "text", "entry",
               "list", "list box", "page tab", "combo box", "spin button", "slider"}

# The clock displays, by their names.
DISPLAYS = ["Current time", "New time to set", "Current timeshift in seconds"]


class AccessibilityTest(QuarnelTestCase):

    def prepare(self):
        self.session_address = self._start_bus("session")
        self.bus_address = self._start_bus("accessibility")
        launcher = subprocess.Popen(
            [SYSTEM_PYTHON, "-B", LAUNCHER, self.session_address, self.bus_address],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.addCleanup(end_with_pipes, launcher)
        _first_line(launcher, "the stand-in accessibility bus launcher")
        # Started by the test, not by the bus: the bus's own start would
        # wait for a desktop session that is not there.
        registry = subprocess.Popen(
            [REGISTRY], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env={**os.environ, "AT_SPI_BUS_ADDRESS": self.bus_address,
                 "DBUS_SESSION_BUS_ADDRESS": self.session_address})
        self.addCleanup(end_with_pipes, registry)

    def _start_bus(self, kind):
        bus = PrivateBus(self.scratch.path, kind)
        self.addCleanup(bus.stop)
        return bus.address

    def program_environment(self):
        # The program asks the session bus for the accessibility bus, as on a
        # desktop (the variable AT_SPI_BUS_ADDRESS is not enough for Qt 6.4:
        # it connects before anyone listens and never registers).
        return {
            "DBUS_SESSION_BUS_ADDRESS": self.session_address,
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        }

    def tree(self):
        """The showing nodes, read again until the window's are there."""
        last = []

        def read():
            result = subprocess.run(
                [SYSTEM_PYTHON, TREE], capture_output=True, text=True, timeout=30,
                env={**os.environ, "AT_SPI_BUS_ADDRESS": self.bus_address,
                     "DBUS_SESSION_BUS_ADDRESS": self.session_address})
            last[:] = [result.stderr[-2000:]]
            nodes = [json.loads(line) for line in result.stdout.splitlines()]
            return any(node["role"] == "page tab" for node in nodes) and nodes
        nodes = wait_until(read, 15, interval=0.5)
        self.assertTrue(nodes, "the window's controls did not appear on the accessibility bus: "
                        + "".join(last))
        return nodes

    def test_every_control_on_every_tab_has_a_name(self):
        seen = set()
        self.quarnel.key("Tab")  # from the Help button to the tab bar
        for tab in range(4):
            if tab:
                self.quarnel.key("Right")
            nodes = self.tree()
            for node in nodes:
                if node["role"] in INTERACTIVE:
                    seen.add(node["name"])
                    self.assertTrue(node["name"].strip(), f"an unnamed control on tab {tab}: {node}")
        for name in ["Active", "Increase shift by 0.1 s", "Decrease shift by 0.1 s",
                     "Set shift to zero", "Undo all clock changes", "Clips", "Verbose",
                     "Listen to decoders", "Ask a time server", "Browse for the program file"]:
            self.assertIn(name, seen)

    def test_clock_displays_are_read_only_texts(self):
        nodes = {node["name"]: node for node in self.tree()}
        for name in DISPLAYS:
            self.assertIn(name, nodes)
            self.assertEqual(nodes[name]["role"], "text", name)
            self.assertTrue(nodes[name]["read_only"], f"{name} is not announced as read-only: "
                            f"{nodes[name]}")


if __name__ == "__main__":
    unittest.main()
