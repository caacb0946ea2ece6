#!/usr/bin/env python3
"""The watch of the INF folder records what a save does there, in order,
nothing of another folder, the folder's own events, and where the kernel
lost events: each row a sequence of file operations and the events it must
leave. Prints one line per row and "N passed, M failed"."""

import os
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))

from winetools import folderwatch  # noqa: E402


def save(folder):
    (folder / "a.tmp").write_bytes(b"new")
    os.rename(folder / "a.inf", folder / "a.OR0")
    os.rename(folder / "a.tmp", folder / "a.inf")


def held_save(folder):
    (folder / "a.tmp").write_bytes(b"new")
    (folder / "a.inf").read_bytes()


def elsewhere(folder):
    (folder / "sub" / "b.inf").write_bytes(b"x")
    os.unlink(folder / "a.inf")


def listing(folder):
    os.listdir(folder)


# The kernel queues this many events and then one that says the rest are lost;
# opens of two names in turn, as it merges an event with the same one before.
QUEUE = int(Path("/proc/sys/fs/inotify/max_queued_events").read_text())
OVERRUN = [("open", name) for name in ("a.inf", "b.inf") * (QUEUE // 2 + 1)]


def overrun(folder):
    (folder / "b.inf").write_bytes(b"")
    for _, name in OVERRUN:
        os.close(os.open(folder / name, os.O_RDONLY))


# (what, operations on a folder holding a.inf and sub/, events)
ROWS = [
    ("a save through its backup", save,
     [("create", "a.tmp"), ("open", "a.tmp"), ("move from", "a.inf"), ("move to", "a.OR0"),
      ("move from", "a.tmp"), ("move to", "a.inf")]),
    ("a save that stopped before its moves", held_save,
     [("create", "a.tmp"), ("open", "a.tmp"), ("open", "a.inf")]),
    ("a file below the folder and a deletion", elsewhere, [("delete", "a.inf")]),
    ("the folder itself read", listing, [("open", ".")]),
    ("more events than the kernel queues", overrun,
     ([("create", "b.inf"), ("open", "b.inf")] + OVERRUN)[:QUEUE] + [("events lost", ".")]),
]


def check_row(what, operations, expected):
    with tempfile.TemporaryDirectory() as folder:
        folder = Path(folder)
        (folder / "a.inf").write_bytes(b"old")
        (folder / "sub").mkdir()
        watch = folderwatch.FolderWatch(folder).start()
        operations(folder)
        watch.stop()
    seen = watch.events
    ok = not watch.problem and seen == expected
    print(f"{'PASS' if ok else 'FAIL'} {what}: {watch.problem or seen[-6:]}")
    return ok


def main():
    results = [check_row(*row) for row in ROWS]
    failed = results.count(False)
    print(f"{len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
