#!/usr/bin/env python3
"""The soak test's log checker finds what it is there to find: a record missing, logged
twice, out of order or garbled, and a line cut short; and it lets the records that drops
cut in half be missing, and only those."""

import os
import tempfile
import unittest

from soak import LogChecker, LoggedRecords
from soak_device import FloodRecords, same_as_simulator


class FakeDevice:
    def __init__(self, cut=()):
        self.cut = set(cut)

    def poll(self):
        return False


class LogCheckerTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.folder.name, "soak.log")
        self.records = FloodRecords(64)
        self.lines = LoggedRecords(self.records)

    def tearDown(self):
        self.folder.cleanup()

    def check(self, sequences, cut=(), tail=b""):
        with open(self.path, "wb") as log:
            log.write(b"".join(self.lines.record(s) for s in sequences) + tail)
        checker = LogChecker(self.path, self.records, FakeDevice(cut))
        checker.finish()
        return checker

    def test_records_in_order_pass(self):
        checker = self.check(range(1, 200001))
        self.assertEqual(checker.problems, [])
        self.assertEqual(checker.logged, 200000)
        self.assertEqual(checker.next_sequence, 200001)

    def test_records_cut_by_drops_may_be_missing(self):
        checker = self.check([1, 2, 4, 5, 7], cut=[3, 6])
        self.assertEqual(checker.problems, [])
        self.assertEqual(checker.logged, 5)

    def test_a_missing_record_is_found(self):
        checker = self.check([1, 2, 4, 5], cut=[6])
        self.assertEqual(len(checker.problems), 1)
        self.assertIn("records 3 to 3 missing", checker.problems[0])

    def test_a_record_logged_twice_is_found(self):
        checker = self.check([1, 2, 3, 3, 4])
        self.assertEqual(len(checker.problems), 1)
        self.assertIn("record 3 again", checker.problems[0])
        self.assertEqual(checker.logged, 4)

    def test_records_out_of_order_are_found(self):
        checker = self.check([1, 3, 2, 4])
        self.assertGreaterEqual(len(checker.problems), 1)

    def test_a_garbled_record_is_found(self):
        line = self.lines.record(2)
        garbled = line[:20] + b"?" + line[21:]
        with open(self.path, "wb") as log:
            log.write(self.lines.record(1) + garbled + self.lines.record(3))
        checker = LogChecker(self.path, self.records, FakeDevice())
        checker.finish()
        self.assertIn("not a whole record", checker.problems[0])

    def test_a_record_joined_to_the_half_of_a_cut_one_is_found(self):
        joined = self.records.record(3)[:30] + self.lines.record(4)
        with open(self.path, "wb") as log:
            log.write(self.lines.record(1) + self.lines.record(2) + joined)
        checker = LogChecker(self.path, self.records, FakeDevice(cut=[3]))
        checker.finish()
        self.assertIn("not a whole record", checker.problems[0])

    def test_an_unfinished_last_line_is_found(self):
        checker = self.check([1, 2], tail=self.lines.record(3)[:10])
        self.assertIn("unfinished line", checker.problems[0])

    def test_the_records_are_those_of_the_device_simulator(self):
        self.assertTrue(same_as_simulator(self.records, 64))
        self.assertTrue(same_as_simulator(FloodRecords(20), 20))


if __name__ == "__main__":
    unittest.main()
