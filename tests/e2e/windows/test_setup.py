"""Quarnel's setup program under Wine, as an administrator deploys it and a
user meets it: a silent install into Program Files with a Start-menu shortcut
and an entry in "Apps & features", the program started through the
shortcut, an upgrade from an earlier version that keeps the settings, a
silent uninstall that keeps them too, and neither setup nor uninstaller
touching the folder while Quarnel runs from it.

Wine runs as the unprivileged user with a prefix of its own (wine_session),
without its menu builder, so no shortcut reaches the real desktop's menus.
"""

import filecmp
import os
import shutil
import subprocess
import unittest

from quarnel_e2e import wait_until
from shell_link import read_shell_link
from wine_session import (FOLDER, VERSION, Session, WineQuarnel, WineTestCase, set_up_session,
                          tear_down_session, windows_path)
from test_window import settings_sections

SETUP = os.environ.get("QUARNEL_E2E_WINDOWS_SETUP", "")
CPACK = os.environ.get("QUARNEL_E2E_CPACK", "")
CPACK_CONFIG = os.environ.get("QUARNEL_E2E_CPACK_CONFIG", "")
EARLIER_VERSION = "0.9.0.0"

PROGRAM_FOLDER = r"C:\Program Files\Quarnel"
PROGRAM = PROGRAM_FOLDER + r"\Quarnel.exe"
UNINSTALLER = PROGRAM_FOLDER + r"\Uninstall.exe"
# A folder an administrator chose, without spaces: Wine quotes an argument with
# spaces, and the uninstaller's `_?=<folder>` must stand unquoted.
CHOSEN_FOLDER = r"C:\Apps\Quarnel"
START_MENU_LINK = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Quarnel.lnk"
DESKTOP_LINK = r"C:\users\Public\Desktop\Quarnel.lnk"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quarnel"
# What the program writes into its folder; everything else there is the setup's.
USER_FILES = {"Quarnel.ini", "Quarnel.ini.lock", "Quarnel.log", "Quarnel.log.1"}
# NSIS's exit code when the script ends the setup or uninstaller.
ABORTED_BY_SCRIPT = 2


def setUpModule():
    if not SETUP or not CPACK or not CPACK_CONFIG:
        raise RuntimeError("QUARNEL_E2E_WINDOWS_SETUP, QUARNEL_E2E_CPACK and "
                           "QUARNEL_E2E_CPACK_CONFIG must name the setup program and how to "
                           "make another")
    set_up_session()


def tearDownModule():
    tear_down_session()


def files_in(folder):
    """The files under the folder, as paths relative to it with "/"."""
    return {os.path.relpath(os.path.join(directory, name), folder).replace(os.sep, "/")
            for directory, _, names in os.walk(folder) for name in names}


class SetupTest(WineTestCase):
    """Each test starts with nothing installed in the module's prefix."""

    def set_up_program(self):
        self.quarnel = None
        self.addCleanup(self.remove_installation)
        self.setup = self.hand_to_user(SETUP)

    # --- the prefix ---

    def unix_path(self, windows):
        """Where a path on Wine's drive C: lies."""
        drive, rest = windows.split(":\\", 1)
        self.assertEqual(drive, "C")
        return os.path.join(self.user.path("prefix"), "drive_c", *rest.split("\\"))

    def wine(self, *arguments, timeout=120):
        return subprocess.run(self.user.command(["wine", *arguments]), capture_output=True,
                              text=True, timeout=timeout, check=False)

    def hand_to_user(self, path):
        """A copy of the file in the user's scratch folder, as a Windows path."""
        copy = os.path.join(self.user.root, os.path.basename(path))
        shutil.copy(path, copy)
        self.user.give(copy)
        return windows_path(copy)

    def remove_installation(self):
        """Ends what still runs in the prefix (the tests' own programs only)
        and takes away whatever an install left."""
        subprocess.run(self.user.command(["wineserver", "-k"]), capture_output=True, timeout=30,
                       check=False)
        self.wine("reg", "delete", UNINSTALL_KEY, "/f")
        for folder in (PROGRAM_FOLDER, CHOSEN_FOLDER):
            shutil.rmtree(self.unix_path(folder), ignore_errors=True)
        for link in (START_MENU_LINK, DESKTOP_LINK):
            if os.path.exists(self.unix_path(link)):
                os.remove(self.unix_path(link))

    # --- what an install left ---

    def install(self, setup, *options):
        installed = self.wine(setup, "/S", *options)
        self.assertEqual(installed.returncode, 0, installed.stdout + installed.stderr)

    def uninstall_entry(self):
        """The values of the uninstall key as `reg query` shows them, or None
        without the key."""
        query = self.wine("reg", "query", UNINSTALL_KEY)
        if query.returncode != 0:
            return None
        values = {}
        for line in query.stdout.splitlines():
            parts = line.strip().split("    ")
            if len(parts) == 3 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2]
        return values

    def program_folder_files(self, folder=PROGRAM_FOLDER):
        return files_in(self.unix_path(folder))

    def assertHoldsTheProgram(self, program_folder=PROGRAM_FOLDER):
        """The program folder holds the deployable folder's files, unchanged,
        and the uninstaller, beside what the program wrote itself."""
        folder = self.unix_path(program_folder)
        program_files = self.program_folder_files(program_folder) - USER_FILES
        self.assertEqual(program_files, files_in(FOLDER) | {"Uninstall.exe"})
        changed = [name for name in files_in(FOLDER)
                   if not filecmp.cmp(os.path.join(FOLDER, name), os.path.join(folder, name),
                                      shallow=False)]
        self.assertEqual(changed, [], "files differ from the deployable folder's")

    def assertUninstallEntry(self, version, program_folder=PROGRAM_FOLDER):
        entry = self.uninstall_entry()
        self.assertIsNotNone(entry, "no uninstall key")
        size_kb = int(entry.pop("EstimatedSize"), 16)
        self.assertTrue(entry.pop("URLInfoAbout").startswith("https://"))
        uninstaller = program_folder + r"\Uninstall.exe"
        self.assertEqual(entry, {
            "DisplayName": "Quarnel",
            "DisplayVersion": version,
            "Publisher": "The Quarnel developers",
            "DisplayIcon": program_folder + r"\Quarnel.exe,0",
            "InstallLocation": program_folder,
            "UninstallString": f'"{uninstaller}"',
            "QuietUninstallString": f'"{uninstaller}" /S',
            "NoModify": "0x1",
            "NoRepair": "0x1",
        })
        # The setup measured the folder as it was then: its own files, and the
        # user's files, which the running program may have written to since.
        folder = self.unix_path(program_folder)
        files = self.program_folder_files(program_folder)

        def kilobytes(names):
            return sum(os.path.getsize(os.path.join(folder, name)) for name in names) / 1024

        self.assertGreaterEqual(size_kb, kilobytes(files - USER_FILES) - 1)
        self.assertLessEqual(size_kb, kilobytes(files) + 1)

    # --- the tests ---

    def test_install_start_from_the_start_menu_and_uninstall_silently(self):
        self.install(self.setup)
        self.assertHoldsTheProgram()
        self.assertUninstallEntry(VERSION)

        link = read_shell_link(self.unix_path(START_MENU_LINK))
        self.assertEqual((link.target, link.working_folder, link.arguments),
                         (PROGRAM, PROGRAM_FOLDER, ""))
        self.assertEqual((link.icon_location, link.icon_index), (PROGRAM, 0))
        self.assertFalse(os.path.exists(self.unix_path(DESKTOP_LINK)),
                         "a desktop shortcut, which is not ticked by default")

        # The shell opens the shortcut, as a click in the Start menu does, from
        # a folder of its own: the program's folder must come from the link.
        # (Wine's start does not wait for a program started through a link;
        # the lock beside the settings file goes when the program ends.)
        started_in = self.user.path("home")
        self.quarnel = WineQuarnel(Session.display.display, self.user, started_in, self.form,
                                   command=["wine", "start", START_MENU_LINK])
        self.started.append(self.quarnel)
        self.quarnel.wait_for_window()
        self.quarnel.click_tab("Info")
        self.assertShowsOnScreen("lblVersionNumber", VERSION, "0123456789.")
        self.quarnel.key("alt+F4")
        self.assertTrue(wait_until(lambda: "Quarnel.ini.lock" not in self.program_folder_files(),
                                   20), "Quarnel did not end after Alt+F4")
        settings = settings_sections(self.read_installed("Quarnel.ini") or "")
        self.assertEqual(settings.get("Program", {}).get("ActiveTAB"), "3")
        self.assertFalse(os.path.exists(os.path.join(started_in, "Quarnel.ini")))

        kept = self.program_folder_files() & {"Quarnel.ini", "Quarnel.log"}
        # Quiet, as the entry says; the uninstaller goes on from a copy in the
        # temporary folder after the command returns.
        uninstalled = self.wine(UNINSTALLER, "/S")
        self.assertEqual(uninstalled.returncode, 0)
        self.assertTrue(wait_until(lambda: self.uninstall_entry() is None
                                   and "Uninstall.exe" not in self.program_folder_files(), 60),
                        "the uninstaller did not finish")
        self.assertEqual(self.program_folder_files(), kept)
        self.assertFalse(os.path.exists(self.unix_path(START_MENU_LINK)))

    def test_an_upgrade_replaces_the_program_and_keeps_the_settings(self):
        self.install(self.make_setup(EARLIER_VERSION))
        self.assertUninstallEntry(EARLIER_VERSION)
        # As if "Desktop shortcut" had been ticked, which a silent install cannot.
        os.makedirs(os.path.dirname(self.unix_path(DESKTOP_LINK)), exist_ok=True)
        shutil.copy(self.unix_path(START_MENU_LINK), self.unix_path(DESKTOP_LINK))
        settings = "[Clips]\r\nNumOfClips=1\r\nClip0=CQ DX de DL1ABC\r\n"
        self.write_installed("Quarnel.ini", settings)
        # A program file of the earlier version that this one replaces.
        with open(self.installed("QuarnelHelp.html"), "a", encoding="utf-8") as help_page:
            help_page.write("<!-- the earlier version's page -->\n")

        self.install(self.setup)
        self.assertHoldsTheProgram()
        self.assertUninstallEntry(VERSION)
        self.assertEqual(self.read_installed("Quarnel.ini"), settings)
        for link in (START_MENU_LINK, DESKTOP_LINK):
            self.assertEqual(read_shell_link(self.unix_path(link)).target, PROGRAM, link)

    def test_setup_and_uninstaller_leave_the_folder_alone_while_quarnel_runs(self):
        self.install(self.setup, "/D=" + CHOSEN_FOLDER)
        self.assertHoldsTheProgram(CHOSEN_FOLDER)
        self.assertFalse(os.path.exists(self.unix_path(PROGRAM_FOLDER)))
        self.quarnel = WineQuarnel(Session.display.display, self.user,
                                   self.unix_path(CHOSEN_FOLDER), self.form)
        self.started.append(self.quarnel)
        self.quarnel.wait_for_window()

        # `_?=` runs the uninstaller in place, so its exit code is its own.
        uninstaller = CHOSEN_FOLDER + r"\Uninstall.exe"
        for what, command in [("the setup", [self.setup, "/S"]),
                              ("the uninstaller", [uninstaller, "/S", "_?=" + CHOSEN_FOLDER])]:
            with self.subTest(what):
                refused = self.wine(*command)
                self.assertEqual(refused.returncode, ABORTED_BY_SCRIPT)
                self.assertHoldsTheProgram(CHOSEN_FOLDER)
                self.assertUninstallEntry(VERSION, CHOSEN_FOLDER)

    # --- helpers of the tests ---

    def make_setup(self, version):
        """A setup program of another version from the same install, made by
        CPack into the scratch folder (zlib: quicker to pack)."""
        output = os.path.join(self.user.root, f"cpack-{version}")
        subprocess.run([CPACK, "--config", CPACK_CONFIG, "-B", output,
                        "-D", f"CPACK_PACKAGE_VERSION={version}",
                        "-D", "CPACK_NSIS_COMPRESSOR=zlib"],
                       check=True, capture_output=True, timeout=180)
        return self.hand_to_user(os.path.join(output, f"Quarnel-{version}-win64-setup.exe"))

    def installed(self, name):
        return os.path.join(self.unix_path(PROGRAM_FOLDER), name)

    def read_installed(self, name):
        try:
            with open(self.installed(name), encoding="utf-8", newline="") as file:
                return file.read()
        except FileNotFoundError:
            return None

    def write_installed(self, name, text):
        with open(self.installed(name), "w", encoding="utf-8", newline="") as file:
            file.write(text)
        self.user.give(self.installed(name))


if __name__ == "__main__":
    unittest.main(verbosity=2)
