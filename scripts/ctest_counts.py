#!/usr/bin/env python3
"""Counts the tests of a ctest JUnit file (ctest --output-junit, or a test
preset's outputJUnitFile) and prints "PASSED FAILED SKIPPED".

A test that ran and passed is a pass. A disabled test, and one that skipped
itself (SKIP_RETURN_CODE, SKIP_REGULAR_EXPRESSION), is a skip. Every other
one is a failure, among them a test not run because a fixture it needs
failed or its program is missing: a skip is never a pass, and a test that
could not run is no skip.

Usage: ctest_counts.py FILE"""
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

SELF_SKIPS = ("SKIP_RETURN_CODE", "SKIP_REGULAR_EXPRESSION")


def verdict(case):
    status = case.get("status")
    if status == "run":
        return "passed"
    skipped = case.find("skipped")
    reason = skipped.get("message", "") if skipped is not None else ""
    if status == "disabled" or (status == "notrun" and reason.startswith(SELF_SKIPS)):
        return "skipped"
    return "failed"


def main():
    results = Path(sys.argv[1])
    if not results.exists():
        print(f"ctest_counts: no test results in {results}", file=sys.stderr)
        return 1
    counts = {"passed": 0, "failed": 0, "skipped": 0}
    for case in ElementTree.parse(results).getroot().iter("testcase"):
        counts[verdict(case)] += 1
    print(counts["passed"], counts["failed"], counts["skipped"])
    return 0


if __name__ == "__main__":
    sys.exit(main())
