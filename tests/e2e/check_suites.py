#!/usr/bin/env python3
"""How a run of an i686 suite in the guest is judged from what the guest gave
back: each row a run's results as the guest would leave them, and whether
its test passes. Prints one line per row and "N passed, M failed"."""

import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import suites  # noqa: E402

PASSED_CASE = '<testcase name="Holds" classname="Rule" time="0.1"/>'
FAILED_CASE = ('<testcase name="Breaks" classname="Rule" time="0.1">'
               '<failure message="Expected: 1&#x0A;Actual: 2"/></testcase>')


def report(cases):
    return (f'<testsuites tests="{len(cases)}" disabled="0"><testsuite name="Rule">'
            + "".join(cases) + "</testsuite></testsuites>")


# (what, facts of the run or None, its GoogleTest report or None, passes)
ROWS = [
    ("every case passed", '{"exit": 0, "retried": 0, "seconds": 1}',
     report([PASSED_CASE, PASSED_CASE]), True),
    ("passed after Wine's start was retried", '{"exit": 0, "retried": 1, "seconds": 1}',
     report([PASSED_CASE]), True),
    ("a case failed", '{"exit": 1, "retried": 0, "seconds": 1}',
     report([PASSED_CASE, FAILED_CASE]), False),
    ("a failed case, yet exit 0", '{"exit": 0, "retried": 0, "seconds": 1}',
     report([FAILED_CASE]), False),
    ("no case ran", '{"exit": 0, "retried": 0, "seconds": 1}', report([]), False),
    ("every case passed, Wine died at its exit", '{"exit": 127, "retried": 0, "seconds": 1}',
     report([PASSED_CASE]), False),
    ("the program never wrote its report", '{"exit": 0, "retried": 1, "seconds": 1}', None,
     False),
    ("the guest gave nothing back", None, None, False),
]


def main():
    failed = 0
    for what, facts, xml, passes in ROWS:
        with tempfile.TemporaryDirectory() as folder:
            folder = Path(folder)
            if facts is not None:
                (folder / "run.json").write_text(facts)
            if xml is not None:
                (folder / "run.xml").write_text(xml)
            passed, lines = suites.outcome("run", folder)
        ok = passed == passes
        failed += not ok
        print(f"{'PASS' if ok else 'FAIL'} {what}: judged {'passed' if passed else 'failed'}"
              + ("" if ok else f", expected {'passed' if passes else 'failed'}: {lines}"))
    print(f"{len(ROWS) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
