#!/usr/bin/env python3
"""The power-cut checker's own faults: the crash states that a write log
gives (every prefix, and each write since the last flush left out, never a
flushed or forced-unit-access one), and the promise's judgement of a folder
in the states a save goes through and in the states that break it. Prints
one line per case and "N passed, M failed"."""

import sys
from pathlib import Path

sys.path.insert(1, str(Path(__file__).resolve().parent))

from crashstates import crash_states  # noqa: E402
from disks import Reading  # noqa: E402
from promise import Promise  # noqa: E402
from writelog import FLUSH, FUA, Entry, WriteLog  # noqa: E402


def sector(text):
    return text.encode().ljust(512, b"\0")


def labels(entries):
    return [state.label for state in crash_states(WriteLog(512, entries))]


W1, W2, W3 = (Entry(n, 1, 0, sector(f"w{n}")) for n in (1, 2, 3))
STATE_CASES = [
    ("every prefix, and the unflushed write left out",
     [W1, W2], ["before the run", "after write 1", "after write 2",
                "after write 2 without write 1"]),
    ("a flush makes the writes before it stay",
     [W1, Entry(0, 0, FLUSH), W2, W3],
     ["before the run", "after write 1", "after write 3", "after write 4",
      "after write 4 without write 3"]),
    ("a forced-unit-access write is never left out",
     [Entry(1, 1, FUA, sector("f")), W2], ["before the run", "after write 1", "after write 2"]),
    ("a state the disk already had is checked once",
     [W1, Entry(1, 1, 0, sector("w1"))], ["before the run", "after write 1"]),
]

O, N, B = b"old text\r\n", b"new text\r\n", b"; backup\r\n"
OLD = {"mshdc.inf": O, "mshdc.or0": B, "net.inf": b"x"}
NEW = {"mshdc.inf": N, "mshdc.or0": B, "mshdc.or1": O, "net.inf": b"x"}
BETWEEN = {"mshdc.or0": B, "mshdc.or1": O, "mshdc.tmp": N, "net.inf": b"x"}
PROMISE_CASES = [
    # (name, folder, clusters, the class of mshdc, a fault expected[, the names
    # that two entries hold[, the names behind the folder's end mark]])
    ("before", OLD, [], "old", None),
    ("the new text written aside", dict(OLD, **{"mshdc.tmp": N}), [], "old", None),
    ("between the moves", BETWEEN, [], "between", None),
    ("after", NEW, [], "new", None),
    ("the old text gone", dict(BETWEEN, **{"mshdc.or1": None}), [], "broken", "is gone"),
    ("part of the new text", dict(OLD, **{"mshdc.inf": N[:4]}), [], "broken", "holds 4"),
    ("a backup written over", dict(NEW, **{"mshdc.or0": O}), [], "new", "mshdc.or0 holds"),
    ("a file a repair made of a whole text", dict(NEW, **{"fsck0000.000": O}), [], "new", None),
    ("part of the temporary text", dict(OLD, **{"mshdc.tmp": N[:3]}), [], "old",
     "not the whole new text"),
    ("another file changed", dict(NEW, **{"net.inf": b"y"}), [], "new", "net.inf"),
    ("one name on two entries", OLD, [], "old", "two entries named mshdc.inf", ["mshdc.inf"]),
    ("the backup behind the folder's end mark", dict(BETWEEN, **{"mshdc.or1": None}), [],
     "broken", "behind the folder's end mark", [], ["mshdc.or1"]),
    ("two names on one text", NEW, [("mshdc.inf", {5}), ("mshdc.tmp", {5, 6})], "new",
     "share clusters"),
]


def judge(folder, clusters, duplicates=(), hidden=()):
    files = {name: data for name, data in folder.items() if data is not None}
    return Promise(OLD, NEW).judge(Reading(files, clusters, duplicates, hidden))


def main():
    passed = failed = 0
    for name, entries, expected in STATE_CASES:
        got = labels(entries)
        ok = got == expected
        print(f"{'PASS' if ok else 'FAIL'} crash states: {name}" + ("" if ok else f": {got}"))
        passed, failed = passed + ok, failed + (not ok)
    for name, folder, clusters, kind, fault, *names in PROMISE_CASES:
        verdict = judge(folder, clusters, *names)
        faults = " ".join(verdict.texts)
        ok = verdict.files["mshdc"] == kind and (fault in faults if fault else not faults)
        print(f"{'PASS' if ok else 'FAIL'} promise: {name}" +
              ("" if ok else f": {verdict.files['mshdc']}, {verdict.faults}"))
        passed, failed = passed + ok, failed + (not ok)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
