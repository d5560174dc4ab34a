#!/usr/bin/env python3
"""scripts/check-includes on two small trees under tests/data/include_rules: one that keeps to the
rules of cmake/IncludeRules.txt and one that breaks them in every way the check knows."""

import os
import subprocess
import sys
import unittest

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
CHECK = os.path.join(SOURCE, "scripts", "check-includes")
FIXTURES = os.path.join(SOURCE, "tests", "data", "include_rules")


def run(tree):
    return subprocess.run([sys.executable, CHECK, os.path.join(FIXTURES, tree)],
                          capture_output=True, text=True, check=False)


class CheckIncludesTest(unittest.TestCase):
    def test_a_tree_that_keeps_to_the_rules_passes(self):
        # Among others: app/verify using app/net, a room that later work adds; the dialog file
        # of app/rip using Qt; a back-end's bare include of the shared stream table.
        r = run("keeping")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stderr, "")

    def test_a_tree_that_breaks_the_rules_fails_naming_every_file_and_include(self):
        r = run("breaking")
        self.assertEqual(r.returncode, 1, r.stdout)
        self.assertEqual(r.stderr.splitlines()[:-1], [
            'app/cd/Drive.cpp:1: #include "RipJob.h": app/cd may not use app/rip',
            'app/net/Cache.cpp:1: #include "app/verify/DbarFetch.cpp": app/net may not use app/verify',
            "app/rip/ReaderThread.cpp:3: #include <QString>: app/rip may not use Qt",
            "docs/Example.cpp: in no room of the rules",
            'encoder/Stream.cpp:2: #include "app/rip/RipJob.h": encoder may not use app/rip',
        ])

    def test_rules_naming_an_unknown_room_are_refused(self):
        rules = os.path.join(FIXTURES, "unknown-room.txt")
        r = subprocess.run([sys.executable, CHECK, "--rules", rules, os.path.join(FIXTURES, "keeping")],
                           capture_output=True, text=True, check=False)
        self.assertEqual(r.returncode, 2)
        self.assertIn("room encoder uses unknown names: app/nowhere", r.stderr)


if __name__ == "__main__":
    unittest.main()
