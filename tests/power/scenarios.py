"""The recorded runs: each scenario on each build and file system, on a FAT
disk whose WINDOWS\\INF folder is as full as a Windows 95 one."""

import random
from dataclasses import dataclass
from pathlib import Path

from disks import FILE_SYSTEMS

FIXTURES = Path(__file__).resolve().parents[1] / "e2e" / "fixtures" / "inf"
BUILD_NAMES = ("i686", "x86-64")
# Windows 95 named its INF files in capitals, 8.3; about 160 came with it.
OTHER_STEMS = ("NET", "MDM", "DISP", "SC", "WAVE", "MSPORTS", "PRN", "LAYOUT")
OTHER_COUNT = 160
TEN_BACKUP_BASE_TIME = 1_000_000_000


def crlf(text):
    return text.replace("\n", "\r\n").encode("ascii")


def stock(name):
    """mshdc.inf, machine.inf or usb.inf of the test machine, as Windows 95
    names it."""
    return crlf((FIXTURES / name).read_text())


def real_size_machine():
    """machine.inf as large as a real one (about 150 KB, 4,000 lines in 100
    sections), the sections that the update looks for near its end."""
    text = stock("machine.inf")
    head, anchor, tail = text.partition(b"[ClassInstall]")
    sections = []
    for number in range(100):
        lines = [f"[SYSDEV_{number:03d}]"] + [
            f"HKR,,Setting{n},,\"device {number}, value {n}\""
            for n in range(38)]
        sections.append("\n".join(lines) + "\n\n")
    return head + crlf("".join(sections)) + anchor + tail


def other_files():
    """The rest of the INF folder: text files of a few hundred bytes to a few
    kilobytes, the same on every run."""
    chooser = random.Random(95)
    files = {}
    for number in range(OTHER_COUNT):
        stem = OTHER_STEMS[number % len(OTHER_STEMS)]
        name = f"{stem}{number:03d}.INF"
        lines = [f"; {name}: device information", "[Version]", 'Signature="$CHICAGO$"']
        lines += [f"Key{n}=Value {chooser.randrange(10 ** 6)}"
                  for n in range(chooser.randrange(8, 300))]
        files[name] = crlf("\n".join(lines) + "\n")
    return files


def ten_backups(stem):
    """All ten backup names taken, each with a text of its own and an age of
    its own, OR6 the oldest."""
    files, times = {}, {}
    for n in range(10):
        name = f"{stem}.OR{n}"
        files[name] = crlf(f"; backup {n} of {stem.lower()}.inf\n[Strings]\n")
        times[name] = TEN_BACKUP_BASE_TIME + (0 if n == 6 else 3600 * (n + 1))
    return files, times


@dataclass(frozen=True)
class Scenario:
    name: str
    version: str  # Wine's version setting: plan 3 under win95, plan 4 under win98
    what: str
    runs: int = 1
    missing: tuple = ()
    empty: tuple = ()
    backups: bool = False
    real_size: bool = False

    def files(self):
        """{name: bytes} and {name: write time} of the INF folder."""
        files, times = other_files(), {}
        for stem in ("MSHDC", "MACHINE", "USB"):
            name = f"{stem}.INF"
            if stem in self.missing:
                continue
            files[name] = b"" if stem in self.empty else \
                real_size_machine() if self.real_size and stem == "MACHINE" else stock(name.lower())
            if self.backups:
                texts, ages = ten_backups(stem)
                files.update(texts)
                times.update(ages)
        return files, times


SCENARIOS = {s.name: s for s in (
    Scenario("plan3", "win95", "Windows 95 build 950: plan 3 on three files that hold text"),
    Scenario("plan4", "win98", "Windows 98: plan 4 on three files that hold text"),
    Scenario("rotation", "win98", "plan 4 with all ten backups of each file taken",
             backups=True),
    Scenario("missing-empty", "win98", "plan 4 with mshdc.inf missing and usb.inf empty",
             missing=("MSHDC",), empty=("USB",)),
    Scenario("real-size", "win98", "plan 4 with a machine.inf of real size (about 150 KB)",
             real_size=True),
    Scenario("second-run", "win98", "plan 4 run twice: the second run, over the first one's "
             "result, is recorded", runs=2),
)}


@dataclass(frozen=True)
class Recording:
    build: str
    fs: str
    scenario: str

    @property
    def name(self):
        return f"{self.build}-{self.fs}-{self.scenario}"

    @property
    def test_name(self):
        return f"{self.build}.{self.fs}.{self.scenario}"


def all_recordings():
    return [Recording(build, fs, scenario) for build in BUILD_NAMES for fs in FILE_SYSTEMS
            for scenario in SCENARIOS]
