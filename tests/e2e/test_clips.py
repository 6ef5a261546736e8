"""The Clips tab of the real program: a snippet typed, added to the list,
picked from the list again and copied to the X clipboard, read back with xclip
while the program, which owns the clipboard, still runs."""

import unittest

from quarnel_e2e import QuarnelTestCase

SNIPPET = "CQ DX de DL1ABC = tnx 73"


class ClipsTest(QuarnelTestCase):

    def test_a_clip_added_is_picked_from_the_list_and_copied(self):
        q = self.quarnel
        q.click_tab("Clips")
        q.click("edSnippet")
        q.type(SNIPPET)
        q.click("btnAddEntry")
        q.click("edSnippet")
        q.key("ctrl+a", "BackSpace")  # only the list still holds the text

        q.click_entry("ListBox1", 0)
        self.assertEqual(q.copied_text(lambda: q.click("btnCopy")), SNIPPET)


if __name__ == "__main__":
    unittest.main(verbosity=2)
