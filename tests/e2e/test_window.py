"""The main window of the real program as a whole: closing it, the settings
file it writes then, and what a restart in the same directory brings back."""

import unittest

from quarnel_e2e import QuarnelTestCase

CLIPS = ["CQ DX de DL1ABC", "Grüße = tnx fer QSO 73"]


def settings_sections(text):
    """The sections of a settings file, each a dict of its keys and values
    (everything after a line's first "=")."""
    sections = {}
    section = None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            section = sections.setdefault(line[1:-1], {})
        elif "=" in line and section is not None:
            key, _, value = line.partition("=")
            section[key] = value
    return sections


class WindowTest(QuarnelTestCase):

    def test_closing_the_window_ends_the_program_with_exit_code_0(self):
        self.assertEqual(self.quarnel.close(), 0)

    def test_a_closed_session_is_saved_and_a_restart_brings_it_back(self):
        q = self.quarnel
        q.click_tab("Timeshift")
        q.click("swPauseActive")  # active, with no time keeper configured
        q.click("edRefreshTime")
        q.key("ctrl+a")
        q.type("250")
        q.key("Return")
        q.click_tab("Clips")
        for clip in CLIPS:
            q.click("edSnippet")
            q.key("ctrl+a", "BackSpace")
            q.type(clip)
            q.click("btnAddEntry")

        self.assertEqual(q.close(), 0)
        # Started without a settings file in its folder, the program keeps its
        # settings in the user's configuration folder (HOME is the scratch).
        saved = settings_sections(self.scratch.read(".config/quarnel/Quarnel.ini"))
        self.assertEqual(saved.get("Program"), {"ActiveTAB": "1", "Active": "1"})
        self.assertEqual(saved.get("Timing", {}).get("Refresh"), "250")
        self.assertEqual(saved.get("Clips"),
                         {"NumOfClips": "2", "Clip0": CLIPS[0], "Clip1": CLIPS[1]})

        # The restarted program must show the Clips tab by itself: on any other
        # tab these clicks meet no list and no copy button, and nothing is copied.
        self.start_quarnel()
        q = self.quarnel
        for row in (1, 0):
            q.click_entry("ListBox1", row)
            copied = q.copied_text(lambda: q.click("btnCopy"),
                                   what=f"the clip of row {row} (is the Clips tab shown?)")
            self.assertEqual(copied, CLIPS[row])


if __name__ == "__main__":
    unittest.main(verbosity=2)
