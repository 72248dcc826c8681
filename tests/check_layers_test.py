"""The layering check finds an include and a link that cross the folder table, a circle of
includes in an untangled folder, and an include of the engine thread's host by a file not its own,
and nothing else."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts", "check_layers.py")
TABLE = """| folder | what | may use |
|---|---|---|
| `app/` | program | base |
| `base/` | helpers | — |
| `dict/` | files | base, `wnd/Ids.h` |
| `wnd/` | windows | base |
| `wnd/ui/` | dialogs | wnd, dict |
"""
FILES = {
    "ARCHITECTURE.md": TABLE,
    "base/CMakeLists.txt": "add_library(pv_base STATIC A.cpp)\n",
    "base/A.cpp": '#include "base/A.h"\n#include <vector>\n',
    "dict/CMakeLists.txt": "add_library(pv_dict STATIC D.cpp)\n\ntarget_link_libraries(pv_dict\n  PUBLIC pv_base pv_wnd user32)\n",
    "dict/D.cpp": '#include "base/A.h"\n#include "wnd/Ids.h"\n\n#include "wnd/Window.h"\n',
    "wnd/CMakeLists.txt": "add_library(pv_wnd STATIC W.cpp)\ntarget_link_libraries(pv_wnd PUBLIC pv_base)\n",
    "wnd/W.cpp": '#include "wnd/ui/Dialog.h"\n',
    "wnd/ui/Dialog.h": '#include "wnd/Window.h"\n#include "dict/D.h"\n#include "PennivoxVersion.h"\n',
    # A circle through a file's own header; wnd/ may hold circles.
    "dict/P.h": '#include "dict/Q.h"\n',
    "dict/Q.cpp": '#include "dict/Q.h"\n#include "dict/P.h"\n',
    "dict/R.cpp": '#include "dict/P.h"\n',
    "wnd/Window.h": '#include "wnd/W.h"\n',
    # The engine thread's host: its thread's files may include it, a window-thread file may not.
    "app/EngineHost.h": '#include "base/A.h"\n',
    "app/EngineThread.cpp": '#include "app/EngineHost.h"\n',
    "app/AutoLearnHome.cpp": '#include "base/A.h"\n#include "app/EngineHost.h"\n',
}


class CheckLayersTest(unittest.TestCase):
    def test_crossings_and_circles_are_named_with_file_and_line(self):
        with tempfile.TemporaryDirectory() as root:
            for path, text in FILES.items():
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w") as stream:
                    stream.write(text)
            run = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
        found = [line.split(": ", 1)[0] for line in run.stdout.splitlines() if not line.startswith("layers:")]
        self.assertEqual(run.returncode, 1, run.stdout)
        self.assertEqual(found, ["app/AutoLearnHome.cpp:2", "dict/CMakeLists.txt:3", "dict/D.cpp:4", "wnd/W.cpp:1", "dict/P.h:1"], run.stdout)


if __name__ == "__main__":
    unittest.main()
