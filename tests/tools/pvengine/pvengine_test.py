"""pvengine's protocol: every event kind, completions of each kind, paging, determinism, bad input.

usage: pvengine_test.py PVENGINE PVDICT
"""
import os
import re
import subprocess
import sys
import unittest

from engine_run import EngineTestCase, run_engine

PVENGINE, PVDICT = sys.argv[1], sys.argv[2]
WORDS = ["helium", "helix", "hello", "helmet", "help", "helpful", "helping", "good morning"]
SHORTHANDS = {"sig": r"Best regards,\r\n%CARET%\r\nPennivox user", "dt": "%DATE%", "ty": "thank you"}


def make_dictionary(path, kind, rows):
    subprocess.run([PVDICT, "create", path, "--type", str(kind), "--caption", "test"],
                   input="".join(rows), text=True, check=True)


class PvengineTest(EngineTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        make_dictionary(os.path.join(cls.libs, "Words.lib"), 1, [w + "\n" for w in WORDS])
        make_dictionary(os.path.join(cls.libs, "Short.lib"), 2, [k + "\t" + v + "\n" for k, v in SHORTHANDS.items()])
        cls.drive = os.path.join(cls.tmp.name, "drive")
        os.makedirs(os.path.join(cls.drive, "Program Files"))
        open(os.path.join(cls.drive, "Program Files", "readme.txt"), "w").close()

    def run_engine(self, events, *options):
        # The protocol is checked in the classic order (learnt items first, then key order).
        if "--config" not in options:
            options = ("--config", self.classic, *options)
        return run_engine([PVENGINE, "--libs", self.libs, *options], events)

    def rows(self, state):
        return [row["text"] for row in state["rows"]]

    def test_word_completion_paging_and_selection(self):
        out = self.run_engine([{"type": "Hel"}, {"key": "Next"}, {"key": "Next"}, {"key": "Prior"},
                               {"key": "Down"}, {"key": "Down"}, {"key": "Up"}, {"key": "Return"},
                               {"type": " hel"}, {"key": "F3"}])
        # The words follow the case of what was typed.
        self.assertEqual(self.rows(out[0]), [w.capitalize() for w in WORDS[:5]])
        self.assertEqual((out[0]["selected"], out[0]["page"]), (0, 0))
        self.assertEqual((self.rows(out[1]), out[1]["page"]), (["Helpful", "Helping"], 1))
        self.assertEqual(out[2]["page"], 1, "no page after the last")
        self.assertEqual((out[3]["page"], out[3]["selected"]), (0, 4))
        self.assertEqual([s["selected"] for s in out[4:7]], [0, 1, 0], "Down past the last row turns the page")
        self.assertEqual(out[4]["page"], 1)
        # Return completes the selection: the typed "Hel" is replaced by the row's text.
        self.assertEqual((out[7]["text"], out[7]["rows"], out[7]["selected"]), ("Helpful", [], -1))
        self.assertEqual(out[9]["text"], "Helpful hello")

    def test_phrase_escape_and_keys_passing(self):
        out = self.run_engine([{"type": "good mor"}, {"key": "Escape"}, {"type": "e"}, {"key": "Back"},
                               {"key": "Back"}, {"key": "Tab"}, {"key": "Space"}, {"key": "7"}, {"type": "\n"}])
        self.assertEqual(self.rows(out[0]), ["good morning"])
        self.assertEqual((out[1]["text"], out[1]["rows"]), ("good mor", []), "Escape is swallowed")
        self.assertEqual(out[4]["text"], "good mo")
        self.assertEqual(out[8]["text"], "good mo\t 7\n", "keys reach the edit while no prompt shows")

    def test_edit_keys_and_text_beyond_ascii(self):
        keys = ["Up", "Home", "Delete", "Right", "Right", "End", "Down", "Left", "Back"]
        out = self.run_engine([{"type": "xab\ncd"}] + [{"key": k} for k in keys] +
                              [{"type": "caf\u00e9 \u20ac"}, {"type": "\u4e00"}])
        self.assertEqual([s["text"] for s in out[1:10]],
                         ["xab\ncd"] * 2 + ["ab\ncd"] * 5 + ["ab\ncd", "ab\nd"])
        self.assertEqual(out[10]["text"], "ab\ncaf\u00e9 \u20acd")
        self.assertEqual(out[11]["text"], "ab\ncaf\u00e9 \u20ac\u4e00d", "any character, whatever the code page")
        self.assertEqual(
            [s["selected"] for s in self.run_engine([{"type": "hel"}] + [{"key": "F%d" % n} for n in (12, 1)])],
            [0, 0, -1], "index keys beyond the page are swallowed, the first completes")

    def test_shorthands_with_macros(self):
        out = self.run_engine([{"type": "Dear Bob\nsi"}, {"key": "F1"}, {"type": "See you"},
                               {"reset": True}, {"type": "d"}, {"key": "F1"}])
        self.assertIn({"text": "sig", "kind": 2}, out[0]["rows"])
        # The typed abbreviation goes, the text comes, and the caret stands where %CARET% was.
        self.assertEqual(out[2]["text"], "Dear Bob\nBest regards,\nSee you\nPennivox user")
        self.assertEqual(out[3], {"text": "", "rows": [], "selected": -1, "page": 0})
        self.assertRegex(out[5]["text"], r"^\d\d/\d\d/\d\d$")

    def test_file_paths(self):
        out = self.run_engine([{"type": "C:\\Prog"}, {"key": "F1"}, {"key": "F1"}], "--drive", self.drive)
        self.assertEqual(out[0]["rows"], [{"text": "Program Files", "kind": 4}])
        self.assertEqual(out[1]["text"], "C:\\Program Files\\")
        self.assertEqual(out[1]["rows"], [{"text": "readme.txt", "kind": 3}], "the folder's entries follow")
        self.assertEqual((out[2]["text"], out[2]["rows"]), ("C:\\Program Files\\readme.txt", []))

    def test_same_input_same_output(self):
        events = [{"type": "hel"}, {"key": "F2"}, {"type": " d"}, {"key": "F1"}, {"type": " helm "},
                  {"type": "hel"}, {"key": "Next"}, {"reset": True}, {"type": "Ok, hel"}]
        first = self.run_engine(events)
        self.assertEqual(first, self.run_engine(events))
        self.assertEqual(len(first), len(events))

    def test_bad_lines_get_errors_and_the_engine_goes_on(self):
        out = self.run_engine([{"type": "he"}, "{not json", "[1]", {"key": "F13"}, {"press": "x"},
                               {"reset": False}, {"type": 5}, {"type": "l"}])
        self.assertTrue(all(set(state) == {"error"} for state in out[1:7]), out[1:7])
        self.assertEqual((out[7]["text"], self.rows(out[7])), ("hel", WORDS[:5]), "typing goes on")

    def test_learning_is_kept_only_with_save(self):
        store = os.path.join(self.tmp.name, "learn", "AutoLearn.dic")
        os.makedirs(os.path.dirname(store), exist_ok=True)
        learn = [{"type": "zebrafish zebrafish. zeb"}]
        self.assertEqual(self.run_engine(learn, "--learn", store)[0]["rows"], [{"text": "zebrafish", "kind": 5}])
        self.assertFalse(os.path.exists(store), "nothing written without --save")
        self.assertEqual(self.run_engine(learn, "--no-learn")[0]["rows"], [])
        self.run_engine(learn, "--learn", store, "--save")
        again = self.run_engine([{"type": "zeb"}], "--learn", store)
        self.assertEqual(self.rows(again[0]), ["zebrafish"], "a saved store is read again")

    def test_config_and_options(self):
        config = os.path.join(self.tmp.name, "Config.ini")
        with open(config, "w") as f:
            f.write("[Others]\nnMaxItemShow=3\n")
        self.assertEqual(len(self.run_engine([{"type": "hel"}], "--config", config)[0]["rows"]), 3)
        for bad in (["--tail"], ["--config", config + ".missing"], ["--frobnicate"], ["--save"]):
            done = subprocess.run([PVENGINE, *bad], input=b"", capture_output=True)
            self.assertNotEqual(done.returncode, 0, bad)
            self.assertTrue(done.stderr.startswith(b"pvengine: "), bad)
        tail = self.run_engine([{"type": "one two"}], "--tail", "3")
        self.assertEqual(tail[0]["text"], "two")
        tail = self.run_engine([{"type": "жук ёжик"}], "--tail", "4")
        self.assertEqual(tail[0]["text"], "ёжик", "characters, not bytes")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
