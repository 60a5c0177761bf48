"""Tests of tools/make_kdat.py. Run by CTest with ZUNOVA_SOURCE_DIR and ZUNOVA_READ_DATA_FILE."""

import os
import subprocess
import sys
import tempfile
import unittest

import phonenumbers
from phonenumbers import carrier

SOURCE = os.environ["ZUNOVA_SOURCE_DIR"]
TOOL = os.path.join(SOURCE, "tools", "make_kdat.py")
READER = os.environ["ZUNOVA_READ_DATA_FILE"]


def run_tool(*args):
    return subprocess.run([sys.executable, TOOL, *args], capture_output=True, text=True)


class MakeKdatTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        cls.path = os.path.join(cls.dir.name, "k.dat")
        cls.result = run_tool(cls.path)
        with open(cls.path, "rb") as f:
            cls.content = f.read()

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def records(self):
        return [line.split(b",") for line in self.content.split(b"\r\n")[:-1]]

    def test_reports_what_it_wrote(self):
        self.assertEqual(self.result.returncode, 0, self.result.stderr)
        self.assertIn("wrote %d blocks" % len(self.records()), self.result.stdout)
        self.assertIn("python3-phonenumbers %s" % phonenumbers.__version__, self.result.stdout)
        for name in ("NTT Docomo", "KDDI", "SoftBank"):
            self.assertIn(name, self.result.stdout)

    def test_format(self):
        self.assertTrue(self.content.endswith(b"\r\n"))
        self.assertNotIn(b"\n", self.content.replace(b"\r\n", b""))
        keys = []
        for fields in self.records():
            self.assertEqual(len(fields), 11, fields)
            keys.append(int(fields[0]))
            self.assertTrue(set(int(f) for f in fields[1:]) <= {1, 2, 3, 9}, fields)
        self.assertEqual(keys, sorted(set(keys)), "keys ascending and unique")
        self.assertTrue(all(0 <= k <= 999 for k in keys))
        self.assertGreater(len(keys), 500)

    def test_reads_back_through_the_programs_reader(self):
        out = subprocess.run([READER, self.path], capture_output=True, text=True)
        self.assertEqual(out.returncode, 0, out.stdout)
        self.assertEqual(out.stdout.strip(), "records %d" % len(self.records()))

    def test_blocks_agree_with_the_library(self):
        expected_code = {"NTT Docomo": 1, "KDDI": 2, "Softbank": 3}
        by_key = {int(f[0]): [int(c) for c in f[1:]] for f in self.records()}
        for block, digit in ((123, 4), (801, 0), (999, 9), (456, 7), (300, 2), (555, 5)):
            name = carrier.name_for_number(
                phonenumbers.parse("+8190%03d%d1234" % (block, digit)), "en")
            with self.subTest(block=block, digit=digit, name=name):
                self.assertIn(block, by_key)
                self.assertEqual(by_key[block][digit], expected_code[name])
        # 090-0xx was never allocated: no record.
        unallocated = carrier.name_for_number(phonenumbers.parse("+819000012345"), "en")
        self.assertEqual(unallocated, "")
        self.assertNotIn(0, by_key)

    def test_refuses_to_overwrite_unless_forced(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "k.dat")
            with open(path, "wb") as f:
                f.write(b"mine")
            refused = run_tool(path)
            self.assertNotEqual(refused.returncode, 0)
            self.assertIn("--force", refused.stderr)
            with open(path, "rb") as f:
                self.assertEqual(f.read(), b"mine")
            forced = run_tool("--force", path)
            self.assertEqual(forced.returncode, 0, forced.stderr)
            with open(path, "rb") as f:
                self.assertEqual(f.read(), self.content)

    def test_default_output_is_k_dat_in_the_working_directory(self):
        with tempfile.TemporaryDirectory() as d:
            out = subprocess.run([sys.executable, TOOL], cwd=d, capture_output=True, text=True)
            self.assertEqual(out.returncode, 0, out.stderr)
            self.assertTrue(os.path.exists(os.path.join(d, "k.dat")))

    def test_sample_is_the_tools_output(self):
        with open(os.path.join(SOURCE, "samples", "k.dat"), "rb") as f:
            self.assertEqual(f.read(), self.content,
                             "samples/k.dat is regenerated with tools/make_kdat.py, not edited")


if __name__ == "__main__":
    unittest.main()
