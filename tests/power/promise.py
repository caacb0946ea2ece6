"""The store's promise, held against one crash state of the INF folder. For
each INF file X with old text O (where it held text) and new text N:
  - X.inf holds exactly O or exactly N; or X.inf is absent while a backup
    holds O (or the file had none) and X.tmp holds N: the instant between
    the two moves, counted apart;
  - O is never gone: it is under X.inf or under a backup name;
  - a backup that was there holds its bytes, apart from the one that a
    rotation drops;
  - no file holds part of a text, no other file of the folder changes, and
    no two names share clusters."""

from dataclasses import dataclass, field

from disks import UNREADABLE

STEMS = ("mshdc", "machine", "usb")
CLASSES = ("old", "new", "between", "broken")
# Why a state is broken, each fault under one of these.
REASONS = {
    "gone": "an old text gone",
    "hidden": "an old text under a backup entry behind the folder's end mark",
    "own": "an own name with neither text",
    "backup": "a backup changed",
    "dropped": "the dropped backup's entry on clusters given to another file",
    "temporary": "part of the new text under the temporary name",
    "other": "another file of the folder changed",
    "shared": "two names sharing clusters",
    "twice": "two entries of one name",
    "cut": "a name that a repair cut to nothing where two names shared clusters",
}
# What the file system alone decides while it writes one step of the save:
# the order of a file's data, entry and allocation within one flush, and
# of the two entries of a rename, or of a delete's entry and its clusters,
# where they lie in two sectors. Every other fault is the save's.
FILE_SYSTEM_ORDER = ("temporary", "shared", "twice", "dropped", "hidden", "cut")


def backup_names(stem):
    return [f"{stem}.or{n}" for n in range(10)]


def owned(name):
    """The names a save of the INF files writes: X.inf, X.tmp, X.OR0-X.OR9."""
    stem, _, extension = name.partition(".")
    return stem in STEMS and (extension in ("inf", "tmp") or
                              (len(extension) == 3 and extension[:2] == "or" and
                               extension[2].isdigit()))


@dataclass
class Verdict:
    files: dict = field(default_factory=dict)  # stem -> one of CLASSES
    faults: list = field(default_factory=list)  # (key of REASONS, text)
    shared: set = field(default_factory=set)  # names that share clusters with another

    @property
    def broken(self):
        return bool(self.faults)

    @property
    def reasons(self):
        return sorted({reason for reason, _ in self.faults})

    @property
    def broken_by_the_save(self):
        return any(reason not in FILE_SYSTEM_ORDER for reason, _ in self.faults)

    @property
    def texts(self):
        return [text for _, text in self.faults]


class Promise:
    """What a run may leave, from the folder before it (`old`) and after
    its clean end (`new`), both {lower-case name: bytes}."""

    def __init__(self, old, new):
        self.old = old
        self.new = new

    def old_text(self, stem):
        """O: None for a missing file, b"" for an empty one."""
        return self.old.get(f"{stem}.inf")

    def new_text(self, stem):
        return self.new.get(f"{stem}.inf")

    def judge(self, reading, cut=frozenset()):
        """`cut`: after a repair, the names that shared clusters before it,
        which fsck.fat may have cut to nothing."""
        verdict = Verdict()
        for stem in STEMS:
            verdict.files[stem] = self.own_name(stem, reading, cut, verdict.faults)
            self.backups(stem, reading.files, cut, verdict.faults)
            self.temporary(stem, reading.files, cut, verdict.faults)
        self.others(reading.files, verdict.faults)
        self.clusters(reading.clusters, verdict)
        verdict.faults += [("twice", f"two entries named {name}") for name in reading.duplicates]
        return verdict

    def own_name(self, stem, reading, cut, faults):
        files, name = reading.files, f"{stem}.inf"
        current, old, new = files.get(name), self.old_text(stem), self.new_text(stem)
        kept = [files.get(backup) for backup in backup_names(stem)]
        if old and old != current and old not in kept:
            faults.append(self.gone(stem, reading.hidden))
        if current == new and current != old:
            return "new"
        if current == old:
            return "old"
        if current is None and files.get(f"{stem}.tmp") == new and (not old or old in kept):
            return "between"
        if cut_to_nothing(name, current, cut, faults):
            return "broken"
        held = "nothing" if current is None else \
            "a cluster chain that cannot be followed" if current == UNREADABLE else \
            f"{len(current)} other bytes"
        faults.append(("own", f"{name} holds {held}"))
        return "broken"

    def gone(self, stem, hidden):
        """Where the backup that the run leaves the old text under lies
        behind the folder's end mark, the file system has not yet written
        the sector before it."""
        name = f"{stem}.inf"
        kept_under = [backup for backup in backup_names(stem)
                      if self.new.get(backup) == self.old_text(stem)]
        if any(backup in hidden for backup in kept_under):
            return ("hidden", f"the old text of {name} is under {kept_under[0]}, behind the "
                              "folder's end mark")
        return ("gone", f"the old text of {name} is gone")

    def backups(self, stem, files, cut, faults):
        old = self.old_text(stem)
        for name in backup_names(stem):
            current = files.get(name)
            dropped = name in self.old and self.new.get(name) != self.old[name]
            if name in self.old:
                # The dropped backup may also be left empty by a repair.
                allowed = (self.old[name], None, old, b"") if dropped else (self.old[name],)
            else:
                allowed = (None, old)
            if not cut_to_nothing(name, current, cut, faults) and current not in allowed:
                held = f"{len(current)} bytes" if current else "nothing"
                faults.append(("dropped" if dropped and current else "backup",
                               f"{name} holds {held}, no whole text it may hold"))

    def temporary(self, stem, files, cut, faults):
        name = f"{stem}.tmp"
        current = files.get(name)
        if cut_to_nothing(name, current, cut, faults):
            return
        if current not in (None, self.new_text(stem), self.old.get(name)):
            faults.append(("temporary", f"{name} holds {len(current)} bytes, not the whole new "
                                        "text"))

    def others(self, files, faults):
        """The rest of the folder stays as it was. A file that a repair
        makes of an entry (FSCK0000.000) may hold a whole text, or nothing."""
        whole = set(self.old.values()) | set(self.new.values()) | {b""}
        for name in sorted(set(files) | set(self.old)):
            if owned(name):
                continue
            if name in self.old and files.get(name) != self.old[name]:
                faults.append(("other", f"{name}, no INF file of the update, changed"))
            elif name not in self.old and files[name] not in whole:
                faults.append(("other", f"{name}, a file of no update, holds part of a text"))

    @staticmethod
    def clusters(clusters, verdict):
        owners = {}
        for name, taken in clusters:
            for cluster in taken:
                owners.setdefault(cluster, []).append(name)
        shared = sorted({tuple(names) for names in owners.values() if len(names) > 1})
        for names in shared:
            verdict.faults.append(("shared", f"{' and '.join(names)} share clusters"))
            verdict.shared.update(names)


def cut_to_nothing(name, current, cut, faults):
    """Whether a repair left `name` empty where it shared clusters before
    (`cut`: those names); the fault is noted."""
    if current != b"" or name not in cut:
        return False
    faults.append(("cut", f"{name} cut to nothing by the repair, as it shared clusters"))
    return True
