"""The bundled dictionaries through pvengine with --codepage 1252: Polish and Russian words, whose
letters that code page lacks, complete as on their own code page; with every language on, the
prompt leads with the words of the language being written.

usage: bundled_test.py PVENGINE LIBS   (LIBS: the folder the build makes them in)
"""
import os
import sys
import tempfile
import unittest

from engine_run import run_engine

PVENGINE, LIBS = sys.argv[1], sys.argv[2]
ENGLISH = ["English", "Phrases", "UserDictionary", "UserShortHands"]


class BundledTest(unittest.TestCase):
    def rows(self, language, typed):
        """The rows for the typed text with the English dictionaries and one language's on."""
        with tempfile.TemporaryDirectory() as folder:
            for name in ENGLISH + [language]:
                path = os.path.join(LIBS, name + ".lib")
                if not os.path.exists(path):
                    self.skipTest(path + " was not built (no word list)")
                os.symlink(path, os.path.join(folder, name + ".lib"))
            state = run_engine([PVENGINE, "--libs", folder, "--codepage", "1252"], [{"type": typed}])[0]
        return [row["text"] for row in state["rows"]]

    def test_every_language_on_follows_the_sentence(self):
        with tempfile.TemporaryDirectory() as folder:
            libs = [name for name in os.listdir(LIBS) if name.endswith(".lib")]
            if "German.lib" not in libs:
                self.skipTest("the German dictionary was not built (no word list)")
            for name in libs:
                os.symlink(os.path.join(LIBS, name), os.path.join(folder, name))
            english, german = run_engine([PVENGINE, "--libs", folder],
                                         [{"type": "I think it would be"}, {"reset": True},
                                          {"type": "Ich glaube, dass es be"}])[0::2]
        self.assertEqual([row["text"] for row in english["rows"]][:3], ["been", "because", "before"])
        self.assertEqual([row["text"] for row in german["rows"]][:2], ["bei", "besser"])

    def test_polish_and_russian_words_complete_under_1252(self):
        self.assertEqual(self.rows("Polish", "żó")[0], "żółty")
        self.assertIn("proszę", self.rows("Polish", "pr"))
        self.assertEqual(self.rows("Russian", "прив")[0], "привет")
        self.assertEqual(self.rows("Russian", "Прив")[0], "Привет")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
