"""The shell verb that the real program's menu commands write to the registry."""

import os
import subprocess
import unittest

from clipnook_e2e import IDM_SHELL_ADD, IDM_SHELL_REMOVE, WINE, Program, main, peer, win_path

VERB = r"HKEY_CURRENT_USER\Software\Classes\*\shell\Clipnook"


def default_value(key):
    """The key's default text; None when there is no such key."""
    out = subprocess.run([WINE, "reg", "query", key, "/ve"], capture_output=True, text=True, timeout=60)
    return out.stdout.split("REG_SZ", 1)[1].strip() if out.returncode == 0 else None


class ShellVerb(unittest.TestCase):
    def test_add_and_remove_write_and_delete_the_verb(self):
        delete = [WINE, "reg", "delete", VERB, "/f"]
        subprocess.run(delete, capture_output=True, timeout=60)
        self.addCleanup(subprocess.run, delete, capture_output=True, timeout=60)
        app = Program(self, "my programs")  # the command must quote a path with blanks
        app.start()
        peer("command", IDM_SHELL_ADD)
        self.assertEqual(default_value(VERB + r"\command"), '"%s" "%%1"' % win_path(app.exe))
        self.assertEqual(default_value(VERB), "Open with Clipnook")
        peer("command", IDM_SHELL_REMOVE)
        self.assertIsNone(default_value(VERB))
        self.assertEqual(app.exit(), 0)
        self.assertFalse(os.path.exists(app.marker + ".log"), "no marker, no log")


if __name__ == "__main__":
    main()
