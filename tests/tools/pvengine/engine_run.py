"""What the pvengine tests share: a temporary Libs folder with a classic-order Config.ini beside
it, and one run of the engine over a list of events."""
import json
import os
import subprocess
import tempfile
import unittest


class EngineTestCase(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.libs = os.path.join(cls.tmp.name, "Libs")
        os.mkdir(cls.libs)
        # Learnt items first, then key order.
        cls.classic = os.path.join(cls.tmp.name, "Classic.ini")
        with open(cls.classic, "w") as f:
            f.write("[Others]\nbRankByUse=0\n")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()


def run_engine(command, events):
    """The state lines pvengine writes for the events (JSON objects, or lines given as they are)."""
    lines = "".join((e if isinstance(e, str) else json.dumps(e)) + "\n" for e in events)
    done = subprocess.run(command, input=lines.encode("utf-8"), capture_output=True, check=True, timeout=60)
    return [json.loads(line) for line in done.stdout.decode("utf-8").splitlines()]
