"""Runs the Python example against the built dustpan (DUSTPAN=path) in a throwaway HOME."""
import os
import tempfile
import unittest

import dustpan


class DustpanExampleTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory(prefix="dustpan-example-")
        self.root = self.folder.name
        self.saved = {k: os.environ.get(k) for k in ("HOME", "XDG_DATA_HOME")}
        os.environ["HOME"] = os.path.join(self.root, "home")
        os.environ["XDG_DATA_HOME"] = os.path.join(self.root, "home", ".local", "share")
        os.makedirs(os.environ["HOME"])
        self.trash_files = os.path.join(os.environ["XDG_DATA_HOME"], "Trash", "files")

    def tearDown(self):
        for key, value in self.saved.items():
            if value is None:
                os.environ.pop(key, None)
            else:
                os.environ[key] = value
        self.folder.cleanup()

    def make(self, name):
        path = os.path.join(self.root, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(name)
        return path

    def test_trashes_three_files(self):
        paths = [self.make("one.txt"), self.make("two words"), self.make("d\u00e9j\u00e0 vu\r")]
        result = dustpan.trash(paths, owner_window=0)
        self.assertEqual(result, dustpan.Result(True, 0, False, None, 0))
        self.assertEqual(sorted(os.listdir(self.trash_files)), ["d\u00e9j\u00e0 vu\r", "one.txt", "two words"])
        for path in paths:
            self.assertFalse(os.path.lexists(path))

    def test_empty_list_is_ok(self):
        self.assertEqual(dustpan.trash([]), dustpan.Result(True, 0, False, None, 0))

    def test_missing_list_is_a_read_error(self):
        result = dustpan.run(["trash", os.path.join(self.root, "no-such-list")])
        self.assertEqual(result, dustpan.Result(False, None, False, "read", 2))

    def test_missing_item_is_error_2_and_the_rest_go(self):
        kept = self.make("kept")
        result = dustpan.trash([os.path.join(self.root, "missing"), kept])
        self.assertEqual(result, dustpan.Result(False, 2, False, None, 1))
        self.assertFalse(os.path.lexists(kept))

    def test_empty_then_already_empty(self):
        dustpan.trash([self.make("x")])
        self.assertEqual(dustpan.empty(), dustpan.Result(True, 0, False, None, 0))
        self.assertEqual(dustpan.empty(), dustpan.Result(True, -2147418113, False, None, 0))

    def test_usage_error(self):
        self.assertEqual(dustpan.run(["--help"]), dustpan.Result(False, None, False, "usage", 64))


if __name__ == "__main__":
    unittest.main()
