"""FAT disks in plain files, made, read and checked on this machine without
mounting them: mkfs.fat and mcopy make one, mtools reads a folder of it back
(names, bytes and the clusters of every file), fsck.fat checks it and
repairs a copy, as ScanDisk does after an unclean start."""

import os
import re
import shutil
import subprocess
import tempfile
from dataclasses import dataclass
from pathlib import Path

SECTOR = 512
INF_FOLDER = "WINDOWS/INF"
# mtools reads a damaged disk as it is rather than refusing it.
MTOOLS_ENV = dict(os.environ, MTOOLS_SKIP_CHECK="1", MTOOLS_NO_VFAT="0")


@dataclass(frozen=True)
class FileSystem:
    """A FAT layout as Windows 95 (FAT16) and OSR2 and later (FAT32) had it."""
    name: str
    fat_bits: int
    kib: int
    cluster_sectors: int


FAT16 = FileSystem("fat16", 16, 16 * 1024, 4)
FAT32 = FileSystem("fat32", 32, 40 * 1024, 1)
FILE_SYSTEMS = {fs.name: fs for fs in (FAT16, FAT32)}


class DiskError(RuntimeError):
    pass


def run(command, check=True, **kwargs):
    result = subprocess.run([str(part) for part in command], capture_output=True,
                            env=MTOOLS_ENV, stdin=subprocess.DEVNULL, check=False, **kwargs)
    if check and result.returncode != 0:
        raise DiskError(f"{command[0]} ended with {result.returncode}: "
                        f"{result.stderr.decode(errors='replace')[-300:]}")
    return result


def marker_sector(fs):
    """The sector right after the file system, which the guest writes to
    mark where the recorded run begins: the disk has one sector more."""
    return fs.kib * 1024 // SECTOR


def make_disk(path, fs, files, times, label):
    """A FAT disk labelled `label` holding `files` ({name: bytes}) in
    WINDOWS\\INF, each with its write time from `times` ({name: seconds})
    where given."""
    path = Path(path)
    path.unlink(missing_ok=True)
    with open(path, "wb") as disk:
        disk.truncate(fs.kib * 1024 + SECTOR)
    run(["mkfs.fat", "-F", fs.fat_bits, "-s", fs.cluster_sectors, "-n", label, path, fs.kib])
    run(["mmd", "-i", path, "::WINDOWS", "::" + INF_FOLDER])
    with tempfile.TemporaryDirectory() as folder:
        sources = []
        for name, data in files.items():
            source = Path(folder) / name
            source.write_bytes(data)
            if name in times:
                os.utime(source, (times[name], times[name]))
            sources.append(source)
        run(["mcopy", "-m", "-i", path, *sources, "::" + INF_FOLDER + "/"])


@dataclass
class Reading:
    files: dict  # lower-case name -> bytes of the first entry of that name
    clusters: list  # (name, set of clusters) of every entry, in the folder's order
    duplicates: list  # lower-case names that more than one entry holds


def _clusters(text):
    """mshowfat's "<2-5 9>" as {2, 3, 4, 5, 9}."""
    clusters = set()
    for part in text.split():
        low, _, high = part.partition("-")
        if low.isdigit():
            clusters.update(range(int(low), int(high or low) + 1))
    return clusters


SHOWFAT_LINE = re.compile(r"^::/(?:.*/)?([^/<]+?)\s*(?:<([^>]*)>|Root directory or empty file)")


def _names(image, folder):
    """The entries' names in the folder's order."""
    listed = run(["mdir", "-b", "-i", image, f"::{folder}"], check=False)
    return [line.rsplit("/", 1)[-1] for line in listed.stdout.decode(errors="replace").splitlines()
            if line.startswith("::/")]


def read_folder(image, folder=INF_FOLDER):
    """Every file of the folder: the bytes under each name (the first entry
    of a name, as a directory search finds it), every entry's clusters, and
    the names that two entries hold."""
    names = _names(image, folder)
    files, duplicates = {}, []
    with tempfile.TemporaryDirectory() as out:
        run(["mcopy", "-s", "-n", "-m", "-i", image, f"::{folder}", out], check=False)
        base = Path(out) / Path(folder).name
        for name in names:
            key, path = name.lower(), base / name
            if key in files:
                duplicates.append(key)
            elif path.is_file():
                files[key] = path.read_bytes()
    shown = run(["mshowfat", "-i", image, f"::{folder}/*"], check=False)
    clusters = []
    for line in shown.stdout.decode(errors="replace").splitlines():
        match = SHOWFAT_LINE.match(line)
        if match and match.group(1) not in (".", ".."):
            clusters.append((match.group(1).lower(), _clusters(match.group(2) or "")))
    return Reading(files, clusters, sorted(set(duplicates)))


@dataclass
class Check:
    clean: bool
    report: list  # fsck.fat's lines that name a fault


def check(image):
    result = run(["fsck.fat", "-n", image], check=False)
    lines = [line for line in result.stdout.decode(errors="replace").splitlines()[1:]
             if line.strip() and not re.match(r"^\S+: \d+ files, \d+/\d+ clusters$", line)]
    return Check(result.returncode == 0, lines)


def repair(image, repaired):
    """A copy of the disk repaired by fsck.fat -a."""
    shutil.copyfile(image, repaired)
    result = run(["fsck.fat", "-a", repaired], check=False)
    return result.stdout.decode(errors="replace").splitlines()[1:]


def total_sectors(image):
    with open(image, "rb") as disk:
        boot = disk.read(SECTOR)
    small = int.from_bytes(boot[0x13:0x15], "little")
    return small or int.from_bytes(boot[0x20:0x24], "little")


class WorkDisk:
    """A copy of the disk before the run that takes each crash state in
    turn: only the sectors that differ from the current state are written."""

    def __init__(self, before, path):
        self.path = Path(path)
        shutil.copyfile(before, self.path)
        self.base = Path(before).read_bytes()
        self.current = {}

    def take(self, sectors):
        with open(self.path, "r+b") as disk:
            for sector in set(self.current) | set(sectors):
                data = sectors.get(sector)
                if data is None:
                    data = self.base[sector * SECTOR:(sector + 1) * SECTOR]
                elif self.current.get(sector) is data:
                    continue
                disk.seek(sector * SECTOR)
                disk.write(data)
        self.current = dict(sectors)
        return self.path


def apply(before, log, path):
    """The disk `before` with every write of the log, written to `path`."""
    shutil.copyfile(before, path)
    with open(path, "r+b") as disk:
        for entry in log.entries:
            if entry.is_write:
                disk.seek(entry.sector * log.sector_size)
                disk.write(entry.data)
