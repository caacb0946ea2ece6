#!/usr/bin/env python3
"""scripts/setup against a package registry that answers badly: stand-ins for
apt-get, dpkg and dpkg-query on PATH record what setup asks and fail where a
case says. Nothing is installed. Prints one line per case and
"N passed, M failed"."""

import os
import subprocess
import sys
import tempfile
from pathlib import Path

SETUP = Path(__file__).resolve().parents[2] / "scripts" / "setup"

# Each stand-in appends its arguments to $LOG; apt-get fails the steps named
# in $FAIL ("update", "install" for the 64-bit list, "wine32" for every try
# of the 32-bit Wine).
STAND_INS = {
    "dpkg-query": 'case " $* " in *" wine32:i386 "*|*" txinfupd-missing "*) exit 1;; esac\n'
                  'printf "install ok installed"',
    "dpkg": 'echo "dpkg $*" >>"$LOG"',
    "sleep": "true",
    "apt-get": '''echo "apt-get $*" >>"$LOG"
case "$* " in
  *update*) case "$FAIL" in *update*) exit 100;; esac ;;
  *wine32:i386*) case "$FAIL" in *wine32*) echo "E: no candidate"; exit 100;; esac ;;
  *install*) case "$FAIL" in *install*) exit 100;; esac ;;
esac''',
}

CASES = [
    # (name, what fails, setup's exit code, lines the log must hold, text said)
    ("lists fail, all else installs", "update", 0,
     ["apt-get update -qq", "apt-get install -y -qq --no-install-recommends txinfupd-missing",
      "apt-get install -y -qq --no-install-recommends wine32:i386"],
     "apt-get update failed 2 times"),
    ("no 32-bit Wine: said, and the main suite tried", "update wine32", 0,
     ["apt-get install -y -qq --no-install-recommends -t bookworm wine wine64 wine32:i386"],
     "the 32-bit Wine (wine32:i386) could not be installed"),
    ("the 64-bit tools cannot be installed", "install", 1, [], "could not install"),
]


def run_case(folder, failing, extra):
    bin_dir = folder / "bin"
    bin_dir.mkdir(exist_ok=True)
    for name, body in STAND_INS.items():
        (bin_dir / name).write_text("#!/bin/sh\n" + body + "\n")
        (bin_dir / name).chmod(0o755)
    log = folder / "calls.log"
    log.write_text("")
    env = dict(os.environ, PATH=f"{bin_dir}:{os.environ['PATH']}", LOG=str(log), FAIL=failing,
               TXINFUPD_APT_TRIES="2")
    result = subprocess.run(["bash", str(SETUP)] + extra, env=env, capture_output=True, text=True,
                            check=False)
    return result.returncode, log.read_text().splitlines(), result.stdout + result.stderr


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for name, failing, code, wanted, said in CASES:
            # The stand-in query says every package is there but the 32-bit
            # Wine and one more that the command line names.
            status, calls, output = run_case(Path(work), failing, ["txinfupd-missing"])
            problems = [f"exit {status}, expected {code}"] if status != code else []
            problems += [f"no call '{line}'" for line in wanted if line not in calls]
            problems += [f"did not say '{said}'"] if said not in output else []
            failures += bool(problems)
            print(("ok   " if not problems else "FAIL ") + name + "".join(
                f"\n     {text}" for text in problems))
    print(f"{len(CASES) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
