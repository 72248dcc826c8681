"""Typing beyond ASCII through pvengine under the code pages 1250, 1251 and 1252: one dictionary with
UTF-8 keys serves all three, words with letters beyond ASCII complete, take the typed case, and are
learnt. Text in and out is UTF-8 whatever the code page, which only says how ANSI files are read.

usage: codepage_test.py PVENGINE PVDICT
"""
import os
import subprocess
import sys
import unittest

from engine_run import EngineTestCase, run_engine

PVENGINE, PVDICT = sys.argv[1], sys.argv[2]
# German, Polish, Russian and French words, with ranks: one file for every code page.
WORDS = {"Gemüse": 4000, "gemütlich": 3500, "gemein": 3000, "Über": 2000, "über": 5000, "żółw": 3000,
         "żółty": 3200, "Łódź": 2500, "привет": 4000, "привычка": 3000, "Привоз": 1000, "café": 2000}


class CodePageTest(EngineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        ranks = os.path.join(cls.tmp.name, "ranks.tsv")
        with open(ranks, "w", encoding="utf-8") as f:
            f.writelines("%s\t%d\n" % item for item in WORDS.items())
        subprocess.run([PVDICT, "create", os.path.join(cls.libs, "Languages.lib"), "--keycode", "2", "--datacode",
                        "2", "--input", "utf8", "--ranks", ranks],
                       input="".join(w + "\n" for w in WORDS).encode("utf-8"), check=True)

    def run_engine(self, code_page, events, *options):
        return run_engine([PVENGINE, "--libs", self.libs, "--codepage", str(code_page), *options], events)

    def rows(self, state):
        return [row["text"] for row in state["rows"]]

    def test_words_complete_under_their_code_page(self):
        for code_page, typed, word in ((1252, "gemü", "Gemüse"), (1250, "żó", "żółty"), (1251, "прив", "привет")):
            with self.subTest(code_page=code_page):
                # Ranked (the default): the most likely first, completed with a blank behind.
                out = self.run_engine(code_page, [{"type": typed}, {"key": "F1"}])
                self.assertEqual(self.rows(out[0])[0], word, out[0])
                self.assertEqual(out[1]["text"], word + " ")
                out = self.run_engine(code_page, [{"type": typed}, {"key": "F1"}], "--config", self.classic)
                self.assertIn(word, self.rows(out[0]))
                self.assertEqual(out[1]["text"], self.rows(out[0])[0])

    def test_capitals_and_small_letters_meet_and_the_typed_case_is_kept(self):
        out = self.run_engine(1252, [{"type": "üb"}, {"reset": True}, {"type": "Üb"}, {"reset": True},
                                     {"type": "ÜB"}], "--config", self.classic)
        self.assertEqual(self.rows(out[0]), ["Über", "über"])
        self.assertEqual(self.rows(out[2]), ["Über"], "adapted to one key, offered once")
        self.assertEqual(self.rows(out[4]), ["ÜBER"])
        out = self.run_engine(1251, [{"type": "ПРИ"}, {"reset": True}, {"type": "При"}], "--config", self.classic)
        self.assertEqual(self.rows(out[0]), ["ПРИВЕТ", "ПРИВОЗ", "ПРИВЫЧКА"])
        self.assertEqual(self.rows(out[2]), ["Привет", "Привоз", "Привычка"])

    def test_every_word_is_offered_whatever_the_code_page(self):
        self.assertEqual(self.rows(self.run_engine(1251, [{"type": "ge"}])[0]), ["Gemüse", "gemütlich", "gemein"])
        self.assertEqual(self.rows(self.run_engine(1251, [{"type": "ca"}])[0]), ["café"])
        out = self.run_engine(1252, [{"type": "żó"}, {"key": "F1"}])
        self.assertEqual(self.rows(out[0]), ["żółty", "żółw"])
        self.assertEqual(out[1]["text"], "żółty ")
        self.assertEqual(self.rows(self.run_engine(1250, [{"type": "ПРИВ"}])[0]), ["ПРИВЕТ", "ПРИВЫЧКА", "ПРИВОЗ"])

    def test_a_word_typed_twice_is_learnt(self):
        for code_page, word in ((1252, "fiancé"), (1250, "źdźbło"), (1251, "щенок")):
            with self.subTest(code_page=code_page):
                out = self.run_engine(code_page, [{"type": word + ", "}, {"type": word + ". "},
                                                  {"type": word[:3]}, {"key": "F1"}], "--config", self.classic)
                self.assertEqual(out[2]["rows"][0], {"text": word, "kind": 5})
                self.assertTrue(out[3]["text"].endswith(". " + word), out[3]["text"])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
