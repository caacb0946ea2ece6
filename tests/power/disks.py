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
    hidden: list = ()  # lower-case short names behind the folder's end mark


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


# What a name holds whose cluster chain cannot be followed: no text.
UNREADABLE = b"\0<a cluster chain that cannot be followed>"


def _copy_one(image, folder, name, target):
    """The first entry of that name, as a directory search finds it."""
    copied = run(["mcopy", "-n", "-m", "-i", image, f"::{folder}/{name}", target], check=False)
    return Path(target).read_bytes() if copied.returncode == 0 and Path(target).is_file() \
        else UNREADABLE


def read_folder(image, folder=INF_FOLDER):
    """Every file of the folder: the bytes under each name (the first entry
    of a name, as a directory search finds it), every entry's clusters, and
    the names that two entries hold. One copy of the whole folder, which
    stops at a chain it cannot follow; the names from there on, and every
    name that two entries hold, are then copied one by one."""
    names = _names(image, folder)
    keys = [name.lower() for name in names]
    duplicates = sorted({key for key in keys if keys.count(key) > 1})
    files = {}
    with tempfile.TemporaryDirectory() as out:
        whole = run(["mcopy", "-s", "-n", "-m", "-i", image, f"::{folder}", out], check=False)
        base = Path(out) / Path(folder).name
        present = [(base / name).is_file() for name in names]
        cut = len(names) if whole.returncode == 0 or all(present) else \
            max(present.index(False) - 1, 0)
        for index, (name, key) in enumerate(zip(names, keys)):
            if key in files:
                continue
            if index >= cut or key in duplicates:
                files[key] = _copy_one(image, folder, name, Path(out) / "one")
            elif present[index]:
                files[key] = (base / name).read_bytes()
    shown = run(["mshowfat", "-i", image, f"::{folder}/*"], check=False)
    clusters = []
    for line in shown.stdout.decode(errors="replace").splitlines():
        match = SHOWFAT_LINE.match(line)
        if match and match.group(1) not in (".", ".."):
            clusters.append((match.group(1).lower(), _clusters(match.group(2) or "")))
    return Reading(files, clusters, duplicates, hidden_names(image, folder))


class Layout:
    """Where a FAT disk keeps its allocation table and folders: just what it
    takes to walk a folder's slots as they lie on the disk."""

    def __init__(self, data):
        self.data = data
        sector = int.from_bytes(data[0x0B:0x0D], "little")
        self.sector = sector
        self.cluster = data[0x0D] * sector
        reserved = int.from_bytes(data[0x0E:0x10], "little")
        fat_sectors = int.from_bytes(data[0x16:0x18], "little") or \
            int.from_bytes(data[0x24:0x28], "little")
        self.fat16 = int.from_bytes(data[0x16:0x18], "little") != 0
        root_entries = int.from_bytes(data[0x11:0x13], "little")
        self.fat = reserved * sector
        self.root = (reserved + data[0x10] * fat_sectors) * sector
        self.first_data = self.root + root_entries * 32
        self.root_cluster = int.from_bytes(data[0x2C:0x30], "little")

    def next_cluster(self, cluster):
        if self.fat16:
            at = self.fat + 2 * cluster
            value = int.from_bytes(self.data[at:at + 2], "little")
            return value if 2 <= value < 0xFFF7 else None
        at = self.fat + 4 * cluster
        value = int.from_bytes(self.data[at:at + 4], "little") & 0x0FFFFFFF
        return value if 2 <= value < 0x0FFFFFF7 else None

    def chain_bytes(self, cluster):
        parts, seen = [], set()
        while cluster is not None and cluster not in seen and len(seen) < 1 << 16:
            seen.add(cluster)
            start = self.first_data + (cluster - 2) * self.cluster
            parts.append(self.data[start:start + self.cluster])
            cluster = self.next_cluster(cluster)
        return b"".join(parts)

    def folder_bytes(self, path):
        slots = self.data[self.root:self.first_data] if self.fat16 else \
            self.chain_bytes(self.root_cluster)
        for part in path.split("/"):
            cluster = next((start for name, start, _ in live_slots(slots) if name == part.lower()),
                           None)
            if cluster is None:
                return b""
            slots = self.chain_bytes(cluster)
        return slots


def _slots(slots):
    for offset in range(0, len(slots) - 31, 32):
        yield slots[offset:offset + 32]


def _short_name(slot):
    base, extension = slot[:8].decode("latin-1").strip(), slot[8:11].decode("latin-1").strip()
    return (base + ("." + extension if extension else "")).lower()


def _is_short_entry(slot):
    return slot[0] not in (0, 0xE5) and slot[11] != 0x0F and not slot[11] & 0x08


def live_slots(slots):
    """(short name, first cluster, size) of each entry a directory search
    finds: it stops at the first slot that begins with a zero byte."""
    for slot in _slots(slots):
        if slot[0] == 0:
            return
        if _is_short_entry(slot):
            cluster = int.from_bytes(slot[0x1A:0x1C], "little") | \
                int.from_bytes(slot[0x14:0x16], "little") << 16
            yield _short_name(slot), cluster, int.from_bytes(slot[0x1C:0x20], "little")


def hidden_names(image, folder=INF_FOLDER):
    """Short names of entries that lie behind the folder's end mark, a slot
    that begins with a zero byte: a directory search never sees them. A
    name whose long-name slots replace the end mark in one sector and whose
    short entry lies in the next is there when only the second is written."""
    slots = Layout(Path(image).read_bytes()).folder_bytes(folder)
    hidden, ended = [], False
    for slot in _slots(slots):
        ended = ended or slot[0] == 0
        if ended and _is_short_entry(slot):
            hidden.append(_short_name(slot))
    return hidden


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
