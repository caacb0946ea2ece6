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

STEMS = ("mshdc", "machine", "usb")
CLASSES = ("old", "new", "between", "broken")
# Why a state is broken, each fault under one of these.
REASONS = {
    "gone": "an old text gone",
    "own": "an own name with neither text",
    "backup": "a backup changed",
    "temporary": "part of the new text under the temporary name",
    "other": "another file of the folder changed",
    "shared": "two names sharing clusters",
    "twice": "two entries of one name",
}


def backup_names(stem):
    return [f"{stem}.or{n}" for n in range(10)]


def owned(name):
    return name.split(".")[0] in STEMS


@dataclass
class Verdict:
    files: dict = field(default_factory=dict)  # stem -> one of CLASSES
    faults: list = field(default_factory=list)  # (key of REASONS, text)

    @property
    def broken(self):
        return bool(self.faults)

    @property
    def reasons(self):
        return sorted({reason for reason, _ in self.faults})

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

    def judge(self, reading):
        verdict = Verdict()
        for stem in STEMS:
            verdict.files[stem] = self.own_name(stem, reading.files, verdict.faults)
            self.backups(stem, reading.files, verdict.faults)
            self.temporary(stem, reading.files, verdict.faults)
        self.others(reading.files, verdict.faults)
        self.clusters(reading.clusters, verdict.faults)
        verdict.faults += [("twice", f"two entries named {name}") for name in reading.duplicates]
        return verdict

    def own_name(self, stem, files, faults):
        name = f"{stem}.inf"
        current, old, new = files.get(name), self.old_text(stem), self.new_text(stem)
        kept = [files.get(backup) for backup in backup_names(stem)]
        if old and old != current and old not in kept:
            faults.append(("gone", f"the old text of {name} is gone"))
        if current == new and current != old:
            return "new"
        if current == old:
            return "old"
        if current is None and files.get(f"{stem}.tmp") == new and (not old or old in kept):
            return "between"
        held = "nothing" if current is None else f"{len(current)} other bytes"
        faults.append(("own", f"{name} holds {held}"))
        return "broken"

    def backups(self, stem, files, faults):
        old = self.old_text(stem)
        for name in backup_names(stem):
            current = files.get(name)
            if name in self.old:
                dropped = self.new.get(name) != self.old[name]
                allowed = (self.old[name], None, old) if dropped else (self.old[name],)
            else:
                allowed = (None, old)
            if current not in allowed:
                faults.append(("backup", f"{name} holds {len(current) if current else 'no'} "
                                         "bytes of no whole text it may hold"))

    def temporary(self, stem, files, faults):
        name = f"{stem}.tmp"
        current = files.get(name)
        if current not in (None, self.new_text(stem), self.old.get(name)):
            faults.append(("temporary", f"{name} holds {len(current)} bytes, not the whole new "
                                        "text"))

    def others(self, files, faults):
        for name in sorted(set(files) | set(self.old)):
            if owned(name):
                continue
            if files.get(name) != self.old.get(name):
                faults.append(("other", f"{name}, no INF file of the update, changed"))
        for name in sorted(set(files) - set(self.old) - set(self.new)):
            if owned(name) and not name.endswith((".inf", ".tmp")) and \
                    name not in sum((backup_names(s) for s in STEMS), []):
                faults.append(("other", f"an unknown file {name}"))

    def clusters(self, clusters, faults):
        owners = {}
        for name, taken in clusters:
            for cluster in taken:
                owners.setdefault(cluster, []).append(name)
        shared = sorted({tuple(names) for names in owners.values() if len(names) > 1})
        for names in shared:
            faults.append(("shared", f"{' and '.join(names)} share clusters"))
