"""A Windows machine for one run of the updater: a Wine prefix holding the
updater, the box pilot and the stand-in restart helper, with its INF files
and its device tree below HKLM\\Enum."""

import json
import os
import shutil
import time
from pathlib import Path

from . import pictures
from .wineenv import (HARNESS_TRIES, SLOWDOWN, WineError, died_at_exit, note_retry,
                      registry_string, windows_path)

ENUM_KEY = r"HKEY_LOCAL_MACHINE\Enum"
OUR_STEMS = ("mshdc.", "machine.", "usb.")
PROGRAM = r"C:\e2e\txinfupd.exe"
PILOT = r"C:\e2e\boxpilot.exe"
RESTART_LOG = r"C:\e2e\restart.log"
PROGRAM_TIMEOUT = 90 * SLOWDOWN
PILOT_TIMEOUT_MS = int(60000 * SLOWDOWN)


class Tools:
    def __init__(self, program, pilot):
        self.program = Path(program)
        self.pilot = Path(pilot)

    @classmethod
    def of(cls, build, program=None):
        """The updater and the box pilot of a build; `program` in place of its
        updater."""
        return cls(program or build.output / "txinfupd.exe", build.output / "boxpilot.exe")


def registry_text(tree):
    """REGEDIT4 lines (without the header) that create the tree below Enum."""
    lines = [""]
    for path in sorted(tree):
        lines.append(f"[{ENUM_KEY}\\{path}]" if path else f"[{ENUM_KEY}]")
        for name, value in tree[path].items():
            lines.append(f'"{name}"={registry_string(value)}')
        lines.append("")
    return "\n".join(lines) + "\n"


def exported_form(tree):
    """The tree as the export reads it: values as regedit writes them."""
    return {path: {name: registry_string(value) for name, value in values.items()}
            for path, values in tree.items()}


def version_registry(version):
    """Wine's version setting for the updater alone."""
    return ("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\txinfupd.exe]\n"
            f'"Version"="{version}"\n')


def read_events(path):
    if not path.exists():
        return []
    return [json.loads(line) for line in path.read_text(encoding="latin-1").splitlines()
            if line.strip()]


def wait_for_event(report, name, process, timeout=60 * SLOWDOWN):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if any(event["event"] == name for event in read_events(report)):
            return
        if process.poll() is not None:
            raise WineError(f"the pilot ended ({process.returncode}) before '{name}'")
        time.sleep(0.05)
    raise WineError(f"the pilot did not report '{name}' in {timeout} s")


def wait_or_kill(process, timeout):
    try:
        return process.wait(timeout=timeout)
    except Exception:
        process.kill()
        process.wait()
        return None


class RunResult:
    def __init__(self, events, exit_code, pilot_code, shots):
        self.events = events
        self.exit_code = exit_code
        self.pilot_code = pilot_code
        self.shots = shots

    def boxes(self):
        return [event for event in self.events if event["event"] == "box"]

    def has(self, name):
        return any(event["event"] == name for event in self.events)


class Machine:
    def __init__(self, prefix, tools):
        self.prefix = prefix
        self.e2e = prefix.drive_c / "e2e"
        self.e2e.mkdir()
        shutil.copy2(tools.program, self.e2e / "txinfupd.exe")
        shutil.copy2(tools.pilot, self.e2e / "boxpilot.exe")
        # ExitWindowsEx starts wineboot.exe, whose end of session could end
        # the updater itself: the stand-in only records its command line.
        # The file is a hard link into the template: replaced, not written.
        wineboot = prefix.drive_c / "windows" / "system32" / "wineboot.exe"
        wineboot.unlink()
        shutil.copy2(tools.pilot, wineboot)
        self.restart_log = self.e2e / "restart.log"
        self.runs = 0

    def seed(self, inf_files, file_times=None, read_only=()):
        """`file_times` are write times; the access time is the time of the
        seeding, so that a status query that reads the one for the other
        finds other ages."""
        for name, data in inf_files.items():
            (self.prefix.inf_dir / name).write_bytes(data)
        accessed = time.time()
        for name, seconds in (file_times or {}).items():
            os.utime(self.prefix.inf_dir / name, (accessed, seconds))
        for name in read_only:
            path = self.prefix.inf_dir / name
            path.chmod(path.stat().st_mode & ~0o222)

    def boot(self, version, tree):
        """Starts the wine server and imports the settings. This first program
        boots the session with Wine's own wineboot; the stand-in serves only
        the updater, which alone gets the override."""
        self.prefix.start_server()
        self.prefix.import_registry(version_registry(version) + registry_text(tree))

    def start_program(self, log):
        return self.prefix.spawn([PROGRAM], log, dll_overrides="wineboot.exe=n",
                                 extra_env={"E2E_RESTART_LOG": RESTART_LOG})

    def run_piloted(self, answers, hold=None, linger_ms=15000):
        """One start of the updater, the pilot answering its boxes in turn and
        then waiting up to `linger_ms` for the program's window to go."""
        self.runs += 1
        number = self.runs
        report = self.e2e / f"report{number}.jsonl"
        shots = self.e2e / f"shots{number}"
        shots.mkdir()
        pilot_args = [PILOT, "pilot", windows_path(report), "--answers", ",".join(answers),
                      "--program", PROGRAM, "--shots", windows_path(shots),
                      "--linger", str(linger_ms), "--timeout", str(PILOT_TIMEOUT_MS)]
        if hold:
            pilot_args += ["--hold", "C:\\windows\\inf\\" + hold]
        pilot_log_file = self.e2e / f"pilot{number}.log"
        with open(pilot_log_file, "wb") as pilot_log, \
                open(self.e2e / f"program{number}.log", "wb") as program_log:
            pilot = self.start_pilot(pilot_args, pilot_log, pilot_log_file, report)
            exit_code = wait_or_kill(self.start_program(program_log), PROGRAM_TIMEOUT)
            pilot_code = wait_or_kill(pilot, PILOT_TIMEOUT_MS / 1000 + 30)
        return RunResult(read_events(report), exit_code, pilot_code, shots)

    def start_pilot(self, pilot_args, log, log_file, report):
        """The pilot, once it reports that it is ready; started again where
        Wine died at its exit before that."""
        attempt = 1
        while True:
            pilot = self.prefix.spawn(pilot_args, log)
            try:
                wait_for_event(report, "ready", pilot)
                return pilot
            except WineError:
                log.flush()
                output = log_file.read_text(errors="replace")
                if not died_at_exit(pilot.returncode, output) or attempt == HARNESS_TRIES:
                    raise
                note_retry("the pilot's start", output)
                report.unlink(missing_ok=True)
                attempt += 1

    def run_by_hand(self):
        """One start of the updater for a person at the display; waits for it."""
        self.runs += 1
        with open(self.e2e / f"program{self.runs}.log", "wb") as program_log:
            exit_code = self.start_program(program_log).wait()
        self.wait_for_restart_helper()
        return exit_code

    def wait_for_restart_helper(self, timeout=10 * SLOWDOWN):
        """The restart helper is started before the updater closes its window;
        what it records is complete once no such process of this prefix runs."""
        deadline = time.monotonic() + timeout
        while self.restart_helper_running() and time.monotonic() < deadline:
            time.sleep(0.1)

    def restart_helper_running(self):
        marker = f"WINEPREFIX={self.prefix.path}".encode()
        for entry in Path("/proc").iterdir():
            try:
                command = (entry / "cmdline").read_bytes()
                if b"wineboot.exe" in command and marker in (entry / "environ").read_bytes():
                    return True
            except OSError:
                continue
        return False

    def bitmap(self, number):
        """Bitmap resource `number` of the updater, read from the executable
        by the pilot; None when the program has none."""
        out = self.e2e / f"bitmap{number}.bmp"
        self.prefix.run([PILOT, "bitmap", PROGRAM, str(number), windows_path(out)], check=False)
        return pictures.Picture(out.read_bytes()) if out.exists() else None

    def inf_files(self):
        """Every file of the INF folder named mshdc.*, machine.* or usb.*."""
        return {path.name: path for path in self.prefix.inf_dir.iterdir()
                if path.name.lower().startswith(OUR_STEMS)}

    def restart_requests(self):
        return read_events(self.restart_log)

    def device_tree(self):
        return self.prefix.export_registry(ENUM_KEY)
