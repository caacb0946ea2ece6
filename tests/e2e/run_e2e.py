#!/usr/bin/env python3
"""End-to-end suite: the real updater under Xvfb and Wine, every case on both
builds, one fresh Wine prefix per case, its boxes read and answered by the box
pilot of the same build: build/win32/txinfupd.exe (the executable that ships)
under the 32-bit Wine in a 32-bit prefix, build/win64/txinfupd.exe under
wine64. One case runs once more on the executable copied out of the release
floppy (build/release/txinfupd.img).

Where this machine cannot run 32-bit programs (or TXINFUPD_I686_ROUTE=emulated
asks for it) the i686 cases run in one boot of a PC emulator's guest that can
(guest.py), and their names say so: "[i686, emulated]".

Prints one line per case, its build in brackets, the counts per build, and
ends with "N passed, M failed"; exits non-zero when a case fails. Artifacts of
failed cases stay in the work folder (the guest's in build/guest/out). Runs
started together (one case each, as ctest starts them) share the template
prefixes and keep to their own case folders."""

import argparse
import json
import re
import shutil
import stat
import subprocess
import sys
import threading
import time
import traceback
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass
from pathlib import Path

# The shared Wine tooling is the package tests/winetools.
sys.path.insert(1, str(Path(__file__).resolve().parents[1]))

import cases as catalogue  # noqa: E402
import suites  # noqa: E402
from guest import (GUEST_FOLDER, GUEST_SLOWDOWN, GuestImage, GuestRun, in_repository,  # noqa: E402
                   test_folders)
from winetools import pictures  # noqa: E402
from winetools.folderwatch import FolderWatch  # noqa: E402
from winetools.machine import Machine, Tools, exported_form  # noqa: E402
from winetools.wineenv import (BUILDS, I686, ROOT, E2E_FOLDER, SLOWDOWN, Build, Template,  # noqa: E402
                     WineError, XServer, emulates_i686, harness_retries)

WS_CAPTION, WS_SYSMENU = 0x00C00000, 0x00080000
WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00040000, 0x00020000, 0x00010000
WS_EX_CLIENTEDGE = 0x200
SCREEN_RECT = [0, 0, 1024, 768]
RESTART_COMMAND = r"C:\windows\system32\wineboot.exe --end-session"
# The case that runs once more on the executable copied out of the release
# floppy, and that subject's label.
FLOPPY_CASE = "win95-plan3-success"
FLOPPY_LABEL = "i686, from the floppy"
# Added to the label of a case that ran in the PC emulator's guest.
EMULATED = ", emulated"
# The guest's results, which the cases' own ctest tests read.
GUEST_RESULTS = GUEST_FOLDER / "results.json"
# One boot of the guest runs every case asked for, two at a time.
GUEST_TIMEOUT = 45 * 60


# ---- checks: each gives a list of failure texts ----

def check_banner(box_event, version):
    failures = []
    windows = box_event["mainWindows"]
    if len(windows) != 1:
        failures.append(f"expected the banner as the program's one window, saw "
                        f"{[w['caption'] for w in windows]}")
    # The program takes no text input and turns the input method off.
    if "IME" in box_event["windowClasses"]:
        failures.append(f"input-method window among the program's windows "
                        f"{box_event['windowClasses']}")
    banner = catalogue.banner_of(box_event)
    if banner is None:
        return failures + [f"no window captioned {catalogue.BANNER_CAPTION!r}"]
    if banner["rect"] != SCREEN_RECT:
        failures.append(f"banner rectangle {banner['rect']}, expected the work area {SCREEN_RECT}")
    style = banner["style"]
    for bit, name in ((WS_CAPTION, "WS_CAPTION"), (WS_SYSMENU, "WS_SYSMENU")):
        if style & bit != bit:
            failures.append(f"banner style {style:#x} lacks {name}")
    for bit, name in ((WS_THICKFRAME, "WS_THICKFRAME"), (WS_MINIMIZEBOX, "WS_MINIMIZEBOX"),
                      (WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX")):
        if style & bit:
            failures.append(f"banner style {style:#x} has {name}")
    # The frame adds a client edge when the host's major version is 4 or more.
    wants_edge = version != "win31"
    if bool(banner["exStyle"] & WS_EX_CLIENTEDGE) != wants_edge:
        failures.append(f"banner extended style {banner['exStyle']:#x}: client edge should be "
                        f"{'on' if wants_edge else 'off'}")
    return failures


def check_boxes(result, run, version):
    failures = []
    seen = result.boxes()
    expected = run.boxes
    described = [f"{b['caption']!r}/{b['text']!r}" for b in seen]
    if len(seen) != len(expected):
        failures.append(f"expected {len(expected)} boxes, saw {len(seen)}: {described}")
    for number, (box, want) in enumerate(zip(seen, expected), start=1):
        for key, value in (("caption", want.caption), ("text", want.text),
                           ("icon", want.icon), ("buttons", want.buttons)):
            if box[key] != value:
                failures.append(f"box {number}: {key} {box[key]!r}, expected {value!r}")
        banner = catalogue.banner_of(box)
        owner_ok = (box["owner"] == banner["hwnd"] if banner and want.owned_by_banner
                    else box["owner"] == 0 and not want.owned_by_banner)
        if not owner_ok:
            failures.append(f"box {number}: owner {box['owner']}, expected "
                            f"{'the banner' if want.owned_by_banner else 'none'}")
        failures += [f"box {number}: {text}" for text in check_banner(box, version)]
    return failures


def check_ending(result, run):
    failures = []
    if result.exit_code != 0:
        failures.append(f"exit code {result.exit_code}, expected 0")
    if result.pilot_code != 0 or not result.has("done"):
        failures.append(f"the pilot did not finish cleanly ({result.pilot_code}): "
                        f"{[e['event'] for e in result.events]}")
    if result.has("box-stuck"):
        failures.append("a box did not go away when answered")
    if run.banner_stays_open:
        closed = [e for e in result.events if e["event"] == "main-window-closed"]
        if not result.has("main-window-open") or not closed or not closed[0]["gone"]:
            failures.append("the banner should stay open after the last box until closed")
    elif not result.has("main-window-gone"):
        failures.append("the banner did not close after the last box")
    return failures


def check_pictures(result, tile):
    if tile is None:
        return ["bitmap 10 could not be read from the program"]
    failures = []
    for box in result.boxes():
        banner = catalogue.banner_of(box)
        shot = result.shots / box["shot"] if box["shot"] else None
        if banner is None or shot is None or not shot.exists():
            failures.append(f"box {box['index']}: no picture of the banner")
            continue
        screen = pictures.Picture(shot.read_bytes())
        covered = [box["box"]["rect"]]
        failures += [f"box {box['index']} picture: {text}"
                     for text in pictures.judge_banner(screen, tile, banner, covered)]
    return failures


def check_files(machine, case):
    failures = []
    found = machine.inf_files()
    for name in sorted(set(found) | set(case.files_after)):
        if name not in found:
            failures.append(f"{name} missing")
            continue
        if name not in case.files_after:
            failures.append(f"{name} should not exist")
            continue
        data = found[name].read_bytes()
        if data != case.files_after[name]:
            failures.append(f"{name} differs: {first_difference(data, case.files_after[name])}")
    for name, read_only in case.read_only_after.items():
        if name in found:
            is_read_only = not found[name].stat().st_mode & stat.S_IWUSR
            if is_read_only != read_only:
                failures.append(f"{name} is {'' if is_read_only else 'not '}read-only")
    return failures


def first_difference(actual, expected):
    actual_lines = actual.split(b"\r\n")
    expected_lines = expected.split(b"\r\n")
    for number, (a, e) in enumerate(zip(actual_lines, expected_lines), start=1):
        if a != e:
            return f"line {number} is {a!r}, expected {e!r}"
    return (f"{len(actual_lines)} lines, expected {len(expected_lines)} "
            f"({len(actual)} bytes, expected {len(expected)})")


def check_registry(machine, case):
    tree = machine.device_tree()
    expected = exported_form(case.tree_after if case.tree_after is not None else case.tree)
    if tree == expected:
        return []
    if tree is None:
        return ["HKLM\\Enum is gone"]
    failures = []
    for path in sorted(set(tree) | set(expected)):
        if path not in tree:
            failures.append(f"registry: Enum\\{path} missing")
        elif path not in expected:
            failures.append(f"registry: Enum\\{path} should be gone")
        elif tree[path] != expected[path]:
            failures.append(f"registry: Enum\\{path} holds {tree[path]}, expected {expected[path]}")
    return failures


def check_restarts(machine, case, results):
    """One request per successful run, made as a restart (no --shutdown), not
    forced (no --kill or --force), after the success box was answered."""
    requests = machine.restart_requests()
    seen = [request["commandLine"] for request in requests]
    wanted = [RESTART_COMMAND] * sum(1 for run in case.runs if run.restart)
    if seen != wanted:
        return [f"restart requests {seen}, expected {wanted}"]
    answered = [result.boxes()[-1]["answeredAt"] for run, result in zip(case.runs, results)
                if run.restart and result.boxes()]
    return [f"restart requested at {request['at']} ms, before the success box was answered "
            f"at {at} ms" for request, at in zip(requests, answered) if request["at"] < at]


# ---- running ----

@dataclass
class Subject:
    """What a case starts: a build's updater and box pilot. `label` goes into
    the case's name; `missing` says why the subject cannot run; `emulated`
    that its cases run in the PC emulator's guest."""
    label: str
    build: Build
    tools: Tools
    missing: str = ""
    emulated: bool = False

    @property
    def name(self):
        return self.label + (EMULATED if self.emulated else "")


@dataclass
class Job:
    case: catalogue.Case
    subject: Subject

    @property
    def name(self):
        return job_name(self.case, self.subject.name)

    @property
    def name_in_guest(self):
        return job_name(self.case, self.subject.label)


def job_name(case, label):
    return f"{case.name} [{label}]"


class Suite:
    def __init__(self, work, keep, timings=False):
        self.work = Path(work)
        self.timings = timings
        self.keep = keep
        self.templates = {}
        self.tiles = {}
        self.tile_lock = threading.Lock()
        self.print_lock = threading.Lock()

    def template(self, build):
        return self.templates.setdefault(build.name, Template.of(build, self.work))

    def prepare(self, subjects, displays):
        """Makes each build's template prefix, the builds side by side."""
        builds = list({subject.build.name: subject.build for subject in subjects}.values())
        with ThreadPoolExecutor(max_workers=len(displays)) as pool:
            list(pool.map(lambda pair: self.template(pair[0]).ensure(pair[1]),
                          zip(builds, displays * len(builds))))

    def tile(self, subject, case_dir, display):
        """The subject's banner tile, read once, by the first case that checks
        pictures: most cases do not, and a run of one case reads it only if
        it needs it."""
        with self.tile_lock:
            if subject.label not in self.tiles:
                self.tiles[subject.label] = self.load_tile(subject, case_dir / "bitmap-prefix",
                                                           display)
            return self.tiles[subject.label]

    def load_tile(self, subject, folder, display):
        """Bitmap 10 of the updater, read from the executable by the pilot; None
        when the program has none."""
        prefix = self.template(subject.build).clone(folder, display)
        try:
            return Machine(prefix, subject.tools).bitmap(10)
        finally:
            prefix.stop_server()
            shutil.rmtree(prefix.path, ignore_errors=True)

    def run_case(self, job, display):
        started = time.monotonic()
        case_dir = self.work / "cases" / job.name.replace(" ", "_").replace("[", "").replace("]", "")
        failures = []
        phases = []
        # Only this case's folder: other cases may be running from theirs.
        shutil.rmtree(case_dir, ignore_errors=True)
        try:
            failures = [job.subject.missing] if job.subject.missing else \
                self.execute(job, case_dir, display, phases)
        except Exception as error:  # a broken machine is a failed case, not a crash
            failures = [f"{type(error).__name__}: {error}",
                        traceback.format_exc().strip().splitlines()[-1]]
        elapsed = time.monotonic() - started
        with self.print_lock:
            verdict = "PASS" if not failures else "FAIL"
            print(f"{verdict} {job.name} ({elapsed:.1f} s): {job.case.what}", flush=True)
            if self.timings:
                print(f"     phases (s): {', '.join(phases)}", flush=True)
            for text in failures:
                print(f"     {text}", flush=True)
        if not failures and not self.keep:
            shutil.rmtree(case_dir, ignore_errors=True)
        return not failures

    def execute(self, job, case_dir, display, phases):
        case = job.case
        clock = Stopwatch(phases)
        tile = None
        if any(run.check_pictures for run in case.runs):
            tile = self.tile(job.subject, case_dir, display)
            clock.lap("tile")
        prefix = self.template(job.subject.build).clone(case_dir / "prefix", display)
        machine = Machine(prefix, job.subject.tools)
        machine.seed(case.inf_files, case.file_times, case.read_only)
        clock.lap("clone")
        failures = []
        results = []
        watch = FolderWatch(prefix.inf_dir).start()
        try:
            machine.boot(case.version, case.tree)
            clock.lap("boot")
            for number, run in enumerate(case.runs, start=1):
                # The banner that must stay is watched for a while; one that
                # must go is waited for until it goes.
                linger = int((1500 if run.banner_stays_open else 15000) * SLOWDOWN)
                result = machine.run_piloted(run.answers, case.hold, linger)
                results.append(result)
                clock.lap(f"run{number}")
                label = f"run {number}: " if len(case.runs) > 1 else ""
                run_failures = check_boxes(result, run, case.version) + check_ending(result, run)
                if case.hold and not any(e["event"] == "holding" and e["open"]
                                         for e in result.events):
                    run_failures.append(f"the pilot could not hold {case.hold} open")
                if run.check_pictures:
                    run_failures += check_pictures(result, tile)
                    clock.lap("pictures")
                failures += [label + text for text in run_failures]
            failures += check_registry(machine, case)
            clock.lap("registry")
        finally:
            prefix.stop_server()
            watch.stop()
            clock.lap("stop")
        file_failures = check_files(machine, case)
        events = watch.lines()
        (machine.e2e / "inf-events.log").write_text("\n".join(events) + "\n")
        if file_failures:
            file_failures.append("the INF folder from the boot on: " + "; ".join(events))
        failures += file_failures
        failures += check_restarts(machine, case, results)
        return failures


class Stopwatch:
    def __init__(self, phases):
        self.phases = phases
        self.last = time.monotonic()

    def lap(self, name):
        now = time.monotonic()
        self.phases.append(f"{name} {now - self.last:.1f}")
        self.last = now


def run_all(suite, jobs, parallel):
    displays = [XServer().start() for _ in range(parallel)]
    try:
        suite.prepare([job.subject for job in jobs if not job.subject.missing],
                      [server.display for server in displays])
        free = list(displays)
        lock = threading.Lock()

        def run_with_display(job):
            with lock:
                server = free.pop()
            try:
                return suite.run_case(job, server.display)
            finally:
                with lock:
                    free.append(server)

        with ThreadPoolExecutor(max_workers=parallel) as pool:
            return list(pool.map(run_with_display, jobs))
    finally:
        for server in displays:
            server.stop()


def build_subject(build):
    tools = Tools.of(build)
    missing = [str(tool) for tool in (tools.program, tools.pilot) if not tool.exists()]
    reason = f"missing {', '.join(missing)}: build the {build.folder} preset first" if missing else ""
    return Subject(build.name, build, tools, reason)


def floppy_subject(image, work):
    """The i686 updater as it ships: copied out of the release floppy."""
    program = Path(work) / "floppy" / "TXINFUPD.EXE"
    subject = Subject(FLOPPY_LABEL, I686, Tools.of(I686, program))
    if not Path(image).exists():
        subject.missing = f"no {image}: run scripts/release first"
        return subject
    program.parent.mkdir(parents=True, exist_ok=True)
    program.unlink(missing_ok=True)
    copied = subprocess.run(["mcopy", "-n", "-i", str(image), "::TXINFUPD.EXE", str(program)],
                            capture_output=True, text=True, check=False)
    if copied.returncode != 0:
        subject.missing = f"mcopy could not take TXINFUPD.EXE out of {image}: {copied.stderr}"
    elif not subject.tools.pilot.exists():
        subject.missing = f"missing {subject.tools.pilot}: build the {I686.folder} preset first"
    return subject


def planned_jobs(every, builds, emulated):
    """(case, subject label) of each job on the builds: every case on each
    build, and with the i686 build the floppy case once more on the
    executable of the floppy; the i686 labels say when they are emulated."""
    i686_suffix = EMULATED if emulated else ""
    planned = [(case, name + (i686_suffix if name == I686.name else ""))
               for case in every for name in builds]
    if I686.name in builds:
        floppy = next(case for case in every if case.name == FLOPPY_CASE)
        planned.append((floppy, FLOPPY_LABEL + i686_suffix))
    return planned


def make_subjects(labels, image, work):
    """The subject of each label; the executable of the floppy is taken out
    of the image only when a case runs on it."""
    subjects = {}
    for label in labels:
        base = label.removesuffix(EMULATED)
        subject = (floppy_subject(image, work) if base == FLOPPY_LABEL
                   else build_subject(BUILDS[base]))
        subject.emulated = base != label
        subjects[label] = subject
    return subjects


# ---- the i686 cases in the PC emulator's guest ----

def guest_files(jobs, floppy):
    """The job's files, as the repository lays them out: the suite, the i686
    programs and, for the floppy's case, the floppy."""
    files = test_folders("e2e", "winetools")
    for job in jobs:
        files.update(in_repository((job.subject.tools.pilot, I686.output / "txinfupd.exe")))
        if job.subject.label == FLOPPY_LABEL:
            files[Path("repo/build/release/txinfupd.img")] = Path(floppy)
    return files


def guest_command(jobs, with_suites):
    """The guest runs the cases under its own 32-bit Wine, as this machine
    would, and then the i686 unit suites when asked; the logs of failed cases
    come back with the results."""
    names = " ".join(f"'{job.name_in_guest}'" for job in jobs)
    command = f"""export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8
export TXINFUPD_I686_ROUTE=native TXINFUPD_E2E_SLOWDOWN={GUEST_SLOWDOWN}
cd /job/repo
"""
    if with_suites:
        # The suites' prefix is made while the cases make theirs.
        command += """python3 tests/e2e/suites.py --prepare --work /tmp/suites \\
  >/job/out/suites-prefix.log 2>&1 &
"""
    if jobs:
        command += f"""python3 tests/e2e/run_e2e.py --builds i686 --jobs 2 --work /tmp/e2e \\
  --floppy build/release/txinfupd.img {names} 2>&1 | tee /job/out/e2e.log
(cd /tmp/e2e && find cases -path '*/e2e/*' -type f -size -2M | tar -cf /job/out/failed-cases.tar -T -)
"""
    if with_suites:
        command += f"""wait
python3 tests/e2e/suites.py --run {suites.SUITE_LIST.relative_to(ROOT)} \\
  --out /job/out/{suites.RESULTS} --work /tmp/suites 2>&1 | tee /job/out/suites.log
"""
    return command


CASE_LINE = re.compile(r"^(PASS|FAIL) (.+?) \((\d+\.\d) s\): ")


def guest_outcomes(text, jobs):
    """{job name: {"passed": bool, "lines": [...]}} from the suite's output in
    the guest; a case it did not report is missing."""
    in_guest = {job.name_in_guest: job.name for job in jobs}
    outcomes = {}
    current = None
    for line in text.splitlines():
        match = CASE_LINE.match(line)
        if match and match.group(2) in in_guest:
            current = in_guest[match.group(2)]
            outcomes[current] = {"passed": match.group(1) == "PASS",
                                 "lines": [line.replace(match.group(2), current, 1)]}
        elif current and line.startswith("     "):
            outcomes[current]["lines"].append(line)
        else:
            current = None
    return outcomes


def run_guest(jobs, floppy, suite_runs=()):
    """Runs the jobs whose subjects are there, and the unit suites' runs, in
    one boot of the guest; gives the jobs' outcomes and writes them to
    GUEST_RESULTS."""
    GUEST_FOLDER.mkdir(parents=True, exist_ok=True)
    GUEST_RESULTS.unlink(missing_ok=True)
    ready = [job for job in jobs if not job.subject.missing]
    outcomes = {}
    if ready or suite_runs:
        started = time.monotonic()
        with open(GUEST_FOLDER / "guest.log", "w") as log:
            image = GuestImage().ensure(log)
            prepared = time.monotonic()
            run = GuestRun(image)
            files = guest_files(ready, floppy)
            files.update(in_repository(suites.needed_files(suite_runs)))
            run.prepare(files, guest_command(ready, bool(suite_runs)))
            out = run.boot(log, GUEST_TIMEOUT)
        log_file = out / "e2e.log"
        text = log_file.read_text(errors="replace") if log_file.exists() else ""
        outcomes = guest_outcomes(text, ready)
        retries = [line for line in text.splitlines() if line.startswith("retry: ")]
        print("\n".join(retries + [f"the guest's harness steps started again where Wine died "
                                    f"at its exit: {len(retries)}"]), flush=True)
        print(f"guest: disk ready in {prepared - started:.0f} s, one boot for {len(ready)} "
              f"cases and {len(suite_runs)} runs of unit suites in "
              f"{time.monotonic() - prepared:.0f} s; its output in {out}", flush=True)
    GUEST_RESULTS.write_text(json.dumps(outcomes, indent=1))
    return outcomes


def emulated_outcomes(jobs, args):
    """Whether each emulated job passed, with its lines printed: from the
    results of the guest's last boot (--from-guest), else from a boot now.
    A case without a result failed."""
    try:
        outcomes = (json.loads(GUEST_RESULTS.read_text()) if args.from_guest
                    else run_guest(jobs, args.floppy))
    except (OSError, ValueError, WineError, subprocess.SubprocessError) as error:
        print(f"the guest gave no results: {error}", flush=True)
        outcomes = {}
    passed = []
    for job in jobs:
        outcome = outcomes.get(job.name)
        if outcome is None:
            why = job.subject.missing or f"the guest reported no result (see {GUEST_FOLDER})"
            print(f"FAIL {job.name}: {why}", flush=True)
        else:
            print("\n".join(outcome["lines"]), flush=True)
        passed.append(bool(outcome and outcome["passed"]))
    return passed


def run_jobs(jobs, args):
    """Runs the jobs, those of emulated subjects in the guest, and prints the
    counts."""
    local = [job for job in jobs if not job.subject.emulated]
    emulated = [job for job in jobs if job.subject.emulated]
    suite = Suite(args.work, args.keep, args.timings)
    started = time.monotonic()
    outcomes = (dict(zip((job.name for job in emulated), emulated_outcomes(emulated, args)))
                if emulated else {})
    try:
        local_outcomes = (run_all(suite, local, max(1, min(args.jobs, len(local))))
                          if local else [])
    except Exception as error:
        print(f"the suite could not start: {error}")
        local_outcomes = [False] * len(local)
    outcomes.update(zip((job.name for job in local), local_outcomes))
    ordered = [outcomes[job.name] for job in jobs]
    report(jobs, ordered, time.monotonic() - started)
    return 0 if all(ordered) else 1


def report(jobs, outcomes, seconds):
    passed = sum(outcomes)
    print(f"e2e: {seconds:.0f} s")
    for subject in {job.subject.name: job.subject for job in jobs}.values():
        ran = [ok for job, ok in zip(jobs, outcomes) if job.subject is subject]
        print(f"  [{subject.name}]: {sum(ran)} passed, {len(ran) - sum(ran)} failed")
    print(f"harness steps started again where Wine died at its exit: {len(harness_retries)}")
    print(f"{passed} passed, {len(outcomes) - passed} failed")


def guest_run(jobs, args):
    """The boot of the guest alone, for ctest: every emulated job asked for
    runs, and every run of the i686 unit suites that the win32 build listed
    for the guest; the tests of the cases and of the runs read the results.
    Fails when the guest reported no result for some case."""
    emulated = [job for job in jobs if job.subject.emulated]
    suite_runs = suites.planned_runs()
    if not emulated and not suite_runs:
        print("nothing runs in the guest here: this machine runs 32-bit programs")
        return 0
    try:
        outcomes = run_guest(emulated, args.floppy, suite_runs)
    except (OSError, WineError, subprocess.SubprocessError) as error:
        print(f"the guest run failed: {error}")
        return 1
    unreported = [f"{job.name} ({job.subject.missing or 'no result'})"
                  for job in emulated if job.name not in outcomes]
    print(f"{len(outcomes)} cases reported by the guest"
          + (f"; none for {unreported}" if unreported else ""))
    return 1 if unreported else 0


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--builds", default=",".join(BUILDS),
                        help="builds to run each case on (default: i686,x86-64)")
    parser.add_argument("--floppy", default=ROOT / "build/release/txinfupd.img",
                        help=f"release floppy whose executable runs {FLOPPY_CASE} once more")
    parser.add_argument("--work", default=E2E_FOLDER)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--keep", action="store_true", help="keep the prefixes of passed cases")
    parser.add_argument("--timings", action="store_true", help="print each case's phases")
    parser.add_argument("--list", action="store_true", help="list the cases and what they show")
    parser.add_argument("--list-jobs", action="store_true",
                        help="list the names of the runs, case and build, one per line")
    parser.add_argument("--guest-run", action="store_true",
                        help="only boot the guest for the emulated cases and keep their results")
    parser.add_argument("--from-guest", action="store_true", help="take the emulated cases' "
                        f"results from the last --guest-run ({GUEST_RESULTS})")
    parser.add_argument("cases", nargs="*", help="names of cases to run, with or without the "
                        "build in brackets (default: all)")
    return parser.parse_args()


def main():
    args = parse_arguments()
    every = catalogue.all_cases()
    if args.list:
        for case in every:
            print(f"{case.name}: {case.what}")
        return 0
    builds = [name.strip() for name in args.builds.split(",") if name.strip()]
    unknown = set(builds) - set(BUILDS)
    if unknown:
        print(f"unknown builds: {sorted(unknown)}; the builds are {', '.join(BUILDS)}",
              file=sys.stderr)
        return 2
    planned = planned_jobs(every, builds, emulates_i686())
    if args.list_jobs:
        for case, label in planned:
            print(job_name(case, label))
        return 0
    chosen = [(case, label) for case, label in planned if not args.cases
              or case.name in args.cases or job_name(case, label) in args.cases]
    unknown = set(args.cases) - {case.name for case, _ in chosen} - \
        {job_name(case, label) for case, label in chosen}
    if unknown:
        print(f"unknown cases: {sorted(unknown)}", file=sys.stderr)
        return 2
    subjects = make_subjects({label for _, label in chosen}, args.floppy, Path(args.work))
    jobs = [Job(case, subjects[label]) for case, label in chosen]
    return guest_run(jobs, args) if args.guest_run else run_jobs(jobs, args)


if __name__ == "__main__":
    sys.exit(main())
