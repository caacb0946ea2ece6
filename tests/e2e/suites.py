#!/usr/bin/env python3
"""The i686 unit suites in the PC emulator's guest, where this machine cannot
run 32-bit programs: the win32 build made its test programs and listed, in
build/win32/guest-suites.txt, every run of a suite that ctest would start on
a machine that can ("run<TAB>program<TAB>Wine settings<TAB>filter"). The
end-to-end workflow's boot of the guest runs them all (--run), one after the
other under the guest's 32-bit Wine, each run's cases in one start of its
program; each run's ctest test here then reads what the guest gave back
(--report RUN).

The guest runs two at a time, each in the prefix of its settings below a
work folder (scripts/wine-run makes them), those with a screen on an X
server of their own. A run whose program Wine never started (no line of
GoogleTest in its output) is started once more, and says so; a run that
started is never started again."""

import argparse
import json
import os
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree
from concurrent.futures import ThreadPoolExecutor
from contextlib import ExitStack
from dataclasses import dataclass
from pathlib import Path

sys.path.insert(1, str(Path(__file__).resolve().parents[1]))

from guest import GUEST_FOLDER  # noqa: E402
from winetools.wineenv import I686, ROOT, XServer  # noqa: E402

SUITE_LIST = I686.output / "guest-suites.txt"
WINE_RUN = ROOT / "scripts" / "wine-run"
# What the guest gives back, below its `out` folder.
RESULTS = "suites"
STARTED = "[==========] Running "
# The longest a run may take in the guest.
RUN_TIMEOUT = 20 * 60


@dataclass
class SuiteRun:
    name: str
    program: Path
    settings: str
    filter: str

    def command(self, work):
        command = [str(WINE_RUN), "win32", str(work / "prefix"), str(ROOT / self.program)]
        if self.filter:
            command.append(f"--gtest_filter={self.filter}")
        return command + [f"--gtest_output=xml:{self.name}.xml"]


def planned_runs(listing=SUITE_LIST):
    """The runs of the guest's list; none where the win32 build made no list
    (it runs its suites itself, or was not built for the guest)."""
    if not Path(listing).exists():
        return []
    runs = []
    for line in Path(listing).read_text().splitlines():
        name, program, settings, test_filter = line.split("\t")
        runs.append(SuiteRun(name, Path(program), settings, test_filter))
    return runs


def needed_files(runs):
    """What the runs need in the guest: the list, the programs, Wine's
    starter."""
    return sorted({SUITE_LIST, WINE_RUN} | {ROOT / run.program for run in runs}) if runs else []


# ---- in the guest ----

def start(run, out, work, display):
    env = dict(os.environ, TXINFUPD_WINE_SETTINGS=run.settings)
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    with open(out / f"{run.name}.log", "w") as log:
        return subprocess.run(run.command(work), cwd=out, env=env, stdin=subprocess.DEVNULL,
                              stdout=log, stderr=subprocess.STDOUT, timeout=RUN_TIMEOUT,
                              check=False).returncode


def run_one(run, out, work):
    started = time.monotonic()
    with ExitStack() as stack:
        display = (stack.enter_context(XServer()).display
                   if "screen" in run.settings.split(",") else None)
        status = start(run, out, work, display)
        retried = 0
        if STARTED not in (out / f"{run.name}.log").read_text(errors="replace"):
            retried = 1
            print(f"retry: {run.name}: Wine ended with {status} before the suite started; "
                  "starting it once more", flush=True)
            status = start(run, out, work, display)
    seconds = time.monotonic() - started
    (out / f"{run.name}.json").write_text(json.dumps(
        {"exit": status, "retried": retried, "seconds": round(seconds, 1)}))
    print(f"{run.name}: exit {status} in {seconds:.0f} s", flush=True)


def run_guarded(run, out, work):
    try:
        run_one(run, out, work)
    except subprocess.TimeoutExpired:
        print(f"{run.name}: did not end within {RUN_TIMEOUT} s", flush=True)


def prepare(work):
    """Makes the runs' first prefix ahead of them."""
    return subprocess.run([str(WINE_RUN), "win32", str(work / "prefix"), "cmd", "/c", "exit"],
                          stdin=subprocess.DEVNULL, timeout=RUN_TIMEOUT, check=False).returncode


def run_all(listing, out, work):
    out.mkdir(parents=True, exist_ok=True)
    with ThreadPoolExecutor(2) as pool:
        list(pool.map(lambda run: run_guarded(run, out, work), planned_runs(listing)))
    return 0


# ---- here: a run's outcome ----

def test_name(run_name):
    return f"suites.{run_name} [{I686.name}, emulated]"


def failures(report):
    """'case: first line of its message' for each failed case."""
    found = []
    for case in report.iter("testcase"):
        for failure in list(case.iter("failure")) + list(case.iter("error")):
            message = (failure.get("message") or "").splitlines()
            found.append(f"{case.get('classname')}.{case.get('name')}: "
                         f"{message[0] if message else 'failed'}")
    return found


def outcome(run_name, folder):
    """(passed, lines to print) of one run from the guest's results."""
    facts_file, report_file = folder / f"{run_name}.json", folder / f"{run_name}.xml"
    if not facts_file.exists():
        return False, [f"the guest reported no result (see {GUEST_FOLDER})"]
    facts = json.loads(facts_file.read_text())
    lines = ["retried once: Wine ended before the suite started"] if facts["retried"] else []
    if not report_file.exists():
        return False, lines + [f"exit {facts['exit']}, no GoogleTest report; see "
                               f"{folder / (run_name + '.log')}"]
    report = ElementTree.parse(report_file).getroot()
    cases = int(report.get("tests", "0"))
    failed = failures(report)
    disabled = int(report.get("disabled", "0"))
    lines.append(f"{cases - len(failed)} of {cases} cases passed, {disabled} disabled, exit "
                 f"{facts['exit']}, {facts['seconds']} s")
    lines += failed
    return facts["exit"] == 0 and cases > 0 and not failed, lines


def report(run_name, folder):
    passed, lines = outcome(run_name, folder)
    print(f"{'PASS' if passed else 'FAIL'} {test_name(run_name)}: " + "\n     ".join(lines))
    return 0 if passed else 1


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    action = parser.add_mutually_exclusive_group(required=True)
    action.add_argument("--list", action="store_true", help="the names of the runs")
    action.add_argument("--run", type=Path, metavar="LIST",
                        help="in the guest: run every run of the list")
    action.add_argument("--report", metavar="RUN", help="the outcome of one run")
    action.add_argument("--prepare", action="store_true",
                        help="in the guest: make the runs' first Wine prefix")
    parser.add_argument("--out", type=Path, default=GUEST_FOLDER / "out" / RESULTS,
                        help="where the guest's results are (or go, with --run)")
    parser.add_argument("--work", type=Path, default=Path("/tmp/suites"),
                        help="with --run: the folder of the runs' Wine prefixes")
    return parser.parse_args()


def main():
    args = parse_arguments()
    if args.list:
        for run in planned_runs():
            print(run.name)
        return 0
    if args.prepare:
        return prepare(args.work)
    if args.run:
        return run_all(args.run, args.out, args.work)
    return report(args.report, args.out)


if __name__ == "__main__":
    sys.exit(main())
