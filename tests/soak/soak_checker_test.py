#!/usr/bin/env python3
"""The soak test's log checker finds a record missing, logged twice, out of order, garbled,
joined to the half of a cut one, and a line cut short; and it lets the records that drops cut
in half be missing, and only those."""

import os
import tempfile
import unittest

from soak import LOGGED_RECORDS as LINES, LogChecker
from soak_device import FloodRecords, same_as_simulator

RECORDS = FloodRecords(64)


def lines(*sequences):
    return b"".join(LINES.record(s) for s in sequences)


def garbled(sequence):
    line = LINES.record(sequence)
    return line[:20] + b"?" + line[21:]


# name, log, records cut by drops, problem expected ("" for none), records counted as logged
CASES = [
    ("in order", lines(*range(1, 200001)), (), "", 200000),
    ("cut by drops", lines(1, 2, 4, 5, 7), (3, 6), "", 5),
    ("missing", lines(1, 2, 4, 5), (6,), "records 3 to 3 missing", 4),
    ("twice", lines(1, 2, 3, 3, 4), (), "record 3 again", 4),
    ("out of order", lines(1, 3, 2, 4), (), "missing", None),
    ("garbled", lines(1) + garbled(2) + lines(3), (), "not a whole record", None),
    ("joined", lines(1, 2) + RECORDS.record(3)[:30] + lines(4), (3,), "not a whole record", None),
    ("unfinished", lines(1, 2) + LINES.record(3)[:10], (), "unfinished line", None),
]


class FakeDevice:
    def __init__(self, cut):
        self.cut = set(cut)

    def poll(self):
        return False


class LogCheckerTest(unittest.TestCase):
    def test_cases(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "soak.log")
            for name, log, cut, problem, logged in CASES:
                with self.subTest(name):
                    with open(path, "wb") as out:
                        out.write(log)
                    checker = LogChecker(path, FakeDevice(cut))
                    checker.finish()
                    if problem:
                        self.assertIn(problem, checker.problems[0])
                    else:
                        self.assertEqual(checker.problems, [])
                    if logged is not None:
                        self.assertEqual(checker.logged, logged)

    def test_the_records_are_those_of_the_device_simulator(self):
        self.assertTrue(same_as_simulator(RECORDS, 64))
        self.assertTrue(same_as_simulator(FloodRecords(20), 20))


if __name__ == "__main__":
    unittest.main()
