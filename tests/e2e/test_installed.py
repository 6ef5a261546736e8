"""Quarnel as installed by `cmake --install`: the files it puts in place, and
the installed program started from an empty directory, as a menu entry starts
it. It must show its own version, keep its settings under XDG_CONFIG_HOME and
open the installed help page."""

import os
import subprocess
import unittest

from quarnel_e2e import QuarnelTestCase, run, wait_until

BUILD_DIR = os.environ.get("QUARNEL_E2E_BUILD_DIR", "")
PREFIX = os.environ.get("QUARNEL_E2E_PREFIX", "")
APP_ID = os.environ.get("QUARNEL_E2E_APP_ID", "")
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# Records what it was asked to open, in place of the desktop's opener.
FAKE_XDG_OPEN = """#!/bin/sh
printf '%s\\n' "$*" >> "$(dirname "$0")/../opened.txt"
"""


def installed_files(root):
    """Every file under root, relative to it, sorted."""
    found = []
    for folder, _, files in os.walk(root):
        found += [os.path.relpath(os.path.join(folder, name), root) for name in files]
    return sorted(found)


class InstalledTest(QuarnelTestCase):

    def prepare(self):
        if not BUILD_DIR or not PREFIX or not APP_ID:
            raise RuntimeError("QUARNEL_E2E_BUILD_DIR, QUARNEL_E2E_PREFIX and QUARNEL_E2E_APP_ID "
                               "must describe the build to install")
        self.root = self.scratch.file("root")
        run(["cmake", "--install", BUILD_DIR], timeout=60, env=dict(os.environ, DESTDIR=self.root))
        self.installed = self.root + PREFIX
        self.scratch.make_directory("start")
        self.scratch.make_directory("config")
        self.scratch.write("bin/xdg-open", FAKE_XDG_OPEN, executable=True)

    def program_environment(self):
        return {"XDG_CONFIG_HOME": self.scratch.file("config")}

    def program_start(self):
        return os.path.join(self.installed, "bin", "quarnel"), self.scratch.file("start")

    def test_the_install_puts_exactly_its_files_in_place(self):
        prefix = PREFIX.lstrip("/")
        expected = [
            "bin/quarnel",
            f"share/applications/{APP_ID}.desktop",
            "share/doc/quarnel/QuarnelHelp.html",
            "share/doc/quarnel/changelog.gz",
            "share/doc/quarnel/copyright",
            f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
            "share/man/man1/quarnel.1.gz",
            f"share/metainfo/{APP_ID}.metainfo.xml",
        ] + [f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in ICON_SIZES]
        self.assertEqual(installed_files(self.root),
                         sorted(os.path.join(prefix, name) for name in expected))
        for size in ICON_SIZES:
            icon = os.path.join(self.installed, f"share/icons/hicolor/{size}x{size}/apps",
                                f"{APP_ID}.png")
            self.assertEqual(run(["identify", "-format", "%wx%h", icon]).stdout,
                             f"{size}x{size}")

    def test_started_from_an_empty_directory_it_finds_its_files(self):
        q = self.quarnel
        q.click_tab("Info")
        self.assertTrue(self.version_is_drawn(), "the Info tab shows no version")

        q.click("btnHelpTimeAdjust")
        opened = wait_until(lambda: self.scratch.read("opened.txt"), 5)
        self.assertEqual(opened, os.path.join(self.installed, "share/doc/quarnel",
                                              "QuarnelHelp.html") + "\n")

        q.click_tab("Setup")
        q.click("edServiceName")
        q.type("chrony")
        self.assertEqual(q.close(), 0)
        settings = os.path.join(self.scratch.file("config"), "quarnel", "Quarnel.ini")
        with open(settings, encoding="utf-8") as file:
            self.assertIn("[Setup]\nService=chrony\n", file.read())
        self.assertEqual(os.stat(os.path.dirname(settings)).st_mode & 0o777, 0o700)
        self.assertEqual(os.listdir(self.scratch.file("start")), [],
                         "nothing is written where it was started")

        # The next start from the menu reads them back.
        self.start_quarnel()
        self.assertShows("edServiceName", "chrony")

    def version_is_drawn(self):
        """Whether the version label shows something: its area is not all one
        colour. (Labels cannot be copied from; the window tests check the
        text.)"""
        area = self.form.widgets["lblVersionNumber"]
        picture = self.scratch.file("version.png")

        def drawn():
            subprocess.run(["import", "-window", self.quarnel.window, "-crop",
                            f"{area.width}x{area.height}+{area.x}+{area.y}", picture],
                           env=dict(os.environ, DISPLAY=self.x_server.display), check=True,
                           timeout=10)
            spread = run(["convert", picture, "-format", "%[fx:standard_deviation]", "info:"])
            return float(spread.stdout) > 0
        return wait_until(drawn, 5, interval=0.3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
