"""The main window of the real program as a whole."""

import unittest

from quarnel_e2e import QuarnelTestCase


class WindowTest(QuarnelTestCase):

    def test_closing_the_window_ends_the_program_with_exit_code_0(self):
        self.assertEqual(self.quarnel.close(), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
