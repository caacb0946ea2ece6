#!/usr/bin/env python3
"""A step of the harness is started again where Wine died at its own exit,
and only there: each row a stand-in for Wine that ends each start as told,
and what the step must come to. Prints one line per row and "N passed, M
failed"."""

import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))

from winetools import wineenv  # noqa: E402

CRASH = ("Inconsistency detected by ld.so: dl-fini.c: 87: _dl_fini: Assertion "
         "`i < nloaded' failed!")

# (what, how each start ends: (exit code, output), code the step ends with or
# None where it must fail, starts made)
ROWS = [
    ("ends well at once", [(0, "")], 0, 1),
    ("Wine died at its exit once", [(127, CRASH), (0, "")], 0, 2),
    ("Wine died at its exit every time", [(127, CRASH)] * 3, None, 3),
    ("exit 127 without Wine's line", [(127, "not found")], None, 1),
    ("the line with another exit code", [(1, CRASH)], None, 1),
]


def stand_in(folder, ends):
    """A 'wine' that ends its n-th start with the n-th of `ends`."""
    script = ["#!/bin/sh", f'count=$(cat "{folder}/starts" 2>/dev/null || echo 0)',
              "count=$((count + 1))", f'echo "$count" >"{folder}/starts"', 'case "$count" in']
    for number, (code, output) in enumerate(ends, 1):
        (folder / f"output{number}").write_text(output + "\n")
        script.append(f'  {number}) cat "{folder}/output{number}"; exit {code} ;;')
    script += ["esac", "exit 99"]
    wine = folder / "wine"
    wine.write_text("\n".join(script) + "\n")
    wine.chmod(0o755)
    return wine


def main():
    failed = 0
    for what, ends, expected, starts in ROWS:
        with tempfile.TemporaryDirectory() as folder:
            folder = Path(folder)
            build = wineenv.Build("stand-in", "none", str(stand_in(folder, ends)))
            prefix = wineenv.Prefix(folder / "prefix", ":0", build)
            before = len(wineenv.harness_retries)
            try:
                code = prefix.run(["regedit", "/S", "seed.reg"], timeout=30)
            except wineenv.WineError:
                code = None
            made = int((folder / "starts").read_text())
            retried = len(wineenv.harness_retries) - before
        ok = code == expected and made == starts and retried == starts - 1
        failed += not ok
        print(f"{'PASS' if ok else 'FAIL'} {what}: ended with {code} after {made} starts, "
              f"{retried} retries printed")
    print(f"{len(ROWS) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
