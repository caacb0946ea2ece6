#!/usr/bin/env python3
"""A power cut on the disk that Windows 95 used. Every recording (each build,
file system and scenario) is a real run of the updater on a FAT disk that a
real FAT driver, the PC emulator guest's vfat, writes through QEMU's
blklogwrites driver, which logs every write and flush. The replayer then
builds the disk as it stood after each write, and with each write since the
last flush missing, reads every such crash state with mtools, checks it with
fsck.fat (and repairs a copy where it faults) and holds it to the store's
promise.

  run_power.py --record            make the disks, record every run in one boot
  run_power.py --check NAME        replay and check one recording
  run_power.py --table             the figures of every recording checked
  run_power.py --list              the recordings, one test name a line

Each recording keeps in build/power/NAME/ what anyone needs to check it again
without the guest: before.img, writes.log, old/ and new/ (the INF folder
before the run and after its clean end) and states.txt (one line per crash
state checked, with its class)."""

import argparse
import json
import shutil
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(1, str(HERE.parent))
sys.path.insert(1, str(HERE.parent / "e2e"))

import crashstates  # noqa: E402
import disks  # noqa: E402
from guest import GuestImage, GuestRun, in_repository, log_step, test_folders  # noqa: E402
from promise import CLASSES, REASONS, Promise  # noqa: E402
from scenarios import SCENARIOS, all_recordings  # noqa: E402
from winetools.wineenv import BUILDS, ROOT, WineError  # noqa: E402
from writelog import LogError, WriteLog  # noqa: E402

POWER_FOLDER = ROOT / "build" / "power"
GUEST_FOLDER = ROOT / "build" / "guest-power"
LOG_BYTES = 256 * 1024 * 1024
GUEST_TIMEOUT = 50 * 60
SLOWDOWN = 5


def folder_of(recording):
    return POWER_FOLDER / recording.name


def by_test_name(name):
    for recording in all_recordings():
        if name in (recording.test_name, recording.name):
            return recording
    raise SystemExit(f"no recording {name}")


# ---- recording ----

def make_disks(recordings):
    """The disk of each recording before its run, and an empty log."""
    for index, recording in enumerate(recordings):
        folder = folder_of(recording)
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        files, times = SCENARIOS[recording.scenario].files()
        fs = disks.FILE_SYSTEMS[recording.fs]
        disks.make_disk(folder / "base.img", fs, files, times, label(index))
        shutil.copyfile(folder / "base.img", folder / "disk.img")
        with open(folder / "raw.log", "wb") as log:
            log.truncate(LOG_BYTES)


def label(index):
    return f"POWER{index:02d}"


def device_name(index):
    """/dev/vdc on: the guest's root is vda and the job's disk vdb."""
    number = index + 2
    letters = ""
    while True:
        letters = chr(ord("a") + number % 26) + letters
        number = number // 26 - 1
        if number < 0:
            return "/dev/vd" + letters


def disk_options(recordings):
    options = []
    for index, recording in enumerate(recordings):
        folder = folder_of(recording)
        options += [
            "-blockdev", f"driver=file,filename={folder / 'disk.img'},node-name=img{index}",
            "-blockdev", f"driver=file,filename={folder / 'raw.log'},node-name=log{index}",
            "-blockdev", f"driver=blklogwrites,file=img{index},log=log{index},"
                         f"log-sector-size=512,log-super-update-interval=1,node-name=rec{index}",
            "-device", f"virtio-blk-pci,drive=rec{index}",
        ]
    return options


def guest_plan(recordings):
    plan = []
    for index, recording in enumerate(recordings):
        scenario = SCENARIOS[recording.scenario]
        fs = disks.FILE_SYSTEMS[recording.fs]
        plan.append({"name": recording.name, "build": recording.build,
                     "device": device_name(index), "label": label(index),
                     "fat_bits": fs.fat_bits, "marker": disks.marker_sector(fs),
                     "version": scenario.version, "runs": scenario.runs})
    return plan


def guest_files(recordings):
    files = test_folders("e2e", "winetools", "power")
    for build in sorted({r.build for r in recordings}):
        for name in ("txinfupd.exe", "boxpilot.exe"):
            tool = BUILDS[build].output / name
            if not tool.exists():
                raise SystemExit(f"no {tool}: run cmake --workflow --preset "
                                 f"{BUILDS[build].folder} first")
            files.update(in_repository([tool]))
    return files


GUEST_COMMAND = f"""export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8
export TXINFUPD_E2E_SLOWDOWN={SLOWDOWN}
cd /job/repo
python3 tests/power/guest_job.py --plan /job/plan.json --work /tmp/power --out /job/out \\
  2>&1 | tee /job/out/power.log
"""


def split_recording(recording):
    """before.img (the disk as it stood when the recorded run began: after
    the last mark) and writes.log (every write after it)."""
    folder = folder_of(recording)
    log = WriteLog.read(folder / "raw.log")
    marker = disks.marker_sector(disks.FILE_SYSTEMS[recording.fs])
    marks = [n for n, e in enumerate(log.entries) if e.is_write and e.sector == marker]
    if not marks:
        raise WineError(f"{recording.name}: the log holds no mark of a run")
    start = marks[-1] + 1
    disks.apply(folder / "base.img", WriteLog(log.sector_size, log.entries[:start]),
                folder / "before.img")
    run_log = WriteLog(log.sector_size, log.entries[start:])
    run_log.write(folder / "writes.log")
    disks.apply(folder / "before.img", run_log, folder / "replayed.img")
    if (folder / "replayed.img").read_bytes() != (folder / "disk.img").read_bytes():
        raise WineError(f"{recording.name}: the log replayed is not the disk the guest left")
    for name, image in (("old", "before.img"), ("new", "disk.img")):
        reading = disks.read_folder(folder / image)
        (folder / name).mkdir()
        for file, data in reading.files.items():
            (folder / name / file).write_bytes(data)
    for name in ("base.img", "raw.log", "replayed.img", "disk.img"):
        (folder / name).unlink()


def record(recordings):
    started = time.monotonic()
    make_disks(recordings)
    GUEST_FOLDER.mkdir(parents=True, exist_ok=True)
    with open(GUEST_FOLDER / "guest.log", "w") as log:
        image = GuestImage().ensure(log)
        ready = time.monotonic()
        run = GuestRun(image, GUEST_FOLDER)
        plan = GUEST_FOLDER / "plan.json"
        plan.write_text(json.dumps(guest_plan(recordings), indent=1))
        files = guest_files(recordings)
        files[Path("plan.json")] = plan
        run.prepare(files, GUEST_COMMAND)
        out = run.boot(log, GUEST_TIMEOUT, disk_options(recordings))
        log_step(log, "the guest is done")
    print(f"guest: disk ready in {ready - started:.0f} s, one boot for {len(recordings)} "
          f"recordings in {time.monotonic() - ready:.0f} s", flush=True)
    failed = 0
    for recording in recordings:
        outcome_file = out / f"{recording.name}.json"
        outcome = json.loads(outcome_file.read_text()) if outcome_file.exists() else \
            {"error": "the guest reported nothing"}
        try:
            if "error" in outcome:
                raise WineError(outcome["error"])
            split_recording(recording)
            (folder_of(recording) / "run.json").write_text(json.dumps(outcome, indent=1))
            print(f"recorded {recording.name}: {outcome['runs']}", flush=True)
        except (WineError, disks.DiskError, LogError) as error:
            failed += 1
            print(f"FAILED {recording.name}: {error}", flush=True)
    return failed == 0


# ---- checking ----

def read_texts(folder):
    return {path.name: path.read_bytes() for path in sorted(folder.iterdir())}


def judged(promise, image, cut=frozenset()):
    reading = disks.read_folder(image)
    return promise.judge(reading, cut)


def describe(verdict):
    files = " ".join(f"{stem}={kind}" for stem, kind in verdict.files.items())
    return files + ("; " + "; ".join(verdict.texts) if verdict.faults else "")


def state_class(verdict):
    if verdict.broken:
        return "broken"
    kinds = set(verdict.files.values())
    if "between" in kinds:
        return "between"
    return kinds.pop() if len(kinds) == 1 else "partly new"


def check_recording(recording):
    folder = folder_of(recording)
    outcome = json.loads((folder / "run.json").read_text())
    log = WriteLog.read(folder / "writes.log")
    promise = Promise(read_texts(folder / "old"), read_texts(folder / "new"))
    states = crashstates.crash_states(log)
    work = disks.WorkDisk(folder / "before.img", folder / "state.img")
    counts = {"raw": dict.fromkeys(CLASSES, 0), "repaired": dict.fromkeys(CLASSES, 0)}
    broken = {"raw": 0, "repaired": 0}
    by_the_save = {"raw": 0, "repaired": 0}
    reasons = {"raw": dict.fromkeys(REASONS, 0), "repaired": dict.fromkeys(REASONS, 0)}
    faulted = 0
    lines = []
    for state in states:
        image = work.take(state.sectors)
        verdict = judged(promise, image)
        fsck = disks.check(image)
        line = f"{state.label}: {state_class(verdict)}: {describe(verdict)}"
        after = verdict
        if not fsck.clean:
            faulted += 1
            repaired = folder / "repaired.img"
            disks.repair(image, repaired)
            after = judged(promise, repaired, frozenset(verdict.shared))
            line += (f" | fsck.fat: {'; '.join(fsck.report[:3])} | repaired: "
                     f"{state_class(after)}: {describe(after)}")
        for kind in counts:
            judged_verdict = verdict if kind == "raw" else after
            for stem_class in judged_verdict.files.values():
                counts[kind][stem_class] += 1
            broken[kind] += judged_verdict.broken
            by_the_save[kind] += judged_verdict.broken_by_the_save
            for reason in judged_verdict.reasons:
                reasons[kind][reason] += 1
        lines.append(line)
    for name in ("state.img", "repaired.img"):
        (folder / name).unlink(missing_ok=True)
    (folder / "states.txt").write_text("\n".join(lines) + "\n")
    runs_ok = all(r["exit_code"] == 0 and r["restart_requests"] == 1 for r in outcome["runs"])
    summary = {"name": recording.name, "writes": crashstates.count_writes(log),
               "flushes": crashstates.count_flushes(log), "states": len(states),
               "faulted": faulted, "counts": counts, "broken": broken,
               "by_the_save": by_the_save, "reasons": reasons,
               "runs_ok": runs_ok}
    (folder / "summary.json").write_text(json.dumps(summary, indent=1))
    return summary


def row(summary):
    cells = [summary["name"], summary["writes"], summary["flushes"], summary["states"]]
    for kind in ("raw", "repaired"):
        if kind == "repaired":
            cells.append(summary["faulted"])
        cells += [summary["counts"][kind][c] for c in CLASSES]
        cells += [summary["broken"][kind], summary["by_the_save"][kind]]
    return "| " + " | ".join(str(cell) for cell in cells) + " |"


TABLE_HEAD = ("| recording | writes | flushes | crash states | old | new | between | broken | "
              "broken states | by the save | fsck.fat faults | repaired: old | new | between | "
              "broken | broken states | by the save |\n" + "|---" * 17 + "|")


def reason_rows(summaries):
    """How many broken states each reason had, in all recordings."""
    lines = ["| why a state is broken | states | after a repair |", "|---|---|---|"]
    for reason, text in REASONS.items():
        raw = sum(s["reasons"]["raw"][reason] for s in summaries)
        fixed = sum(s["reasons"]["repaired"][reason] for s in summaries)
        lines.append(f"| {text} | {raw} | {fixed} |")
    return lines


def table():
    summaries = [json.loads(p.read_text()) for p in sorted(POWER_FOLDER.glob("*/summary.json"))]
    lines = [TABLE_HEAD] + [row(s) for s in summaries] + [""] + reason_rows(summaries)
    total_states = sum(s["states"] for s in summaries)
    total_broken = sum(s["broken"]["raw"] for s in summaries)
    by_save = sum(s["by_the_save"]["raw"] for s in summaries)
    lines.append(f"\n{len(summaries)} recordings, {total_states} crash states checked, "
                 f"{total_broken} broken, {by_save} of them by the save "
                 f"({sum(s['broken']['repaired'] for s in summaries)} and "
                 f"{sum(s['by_the_save']['repaired'] for s in summaries)} after a repair)")
    text = "\n".join(lines)
    (POWER_FOLDER / "table.md").write_text(text + "\n")
    print(text)
    return bool(summaries)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--record", action="store_true")
    parser.add_argument("--check")
    parser.add_argument("--table", action="store_true")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--only", help="record only the recordings whose names hold this text")
    args = parser.parse_args()
    if args.list:
        print("\n".join(r.test_name for r in all_recordings()))
        return 0
    if args.record:
        recordings = [r for r in all_recordings() if not args.only or args.only in r.name]
        return 0 if record(recordings) else 1
    if args.check:
        summary = check_recording(by_test_name(args.check))
        print(TABLE_HEAD + "\n" + row(summary))
        # The file system's own order is counted; a state that the save
        # broke fails the recording, and so does a run that did not succeed.
        return 0 if summary["runs_ok"] and not summary["by_the_save"]["raw"] else 1
    if args.table:
        return 0 if table() else 1
    parser.print_help()
    return 2


if __name__ == "__main__":
    sys.exit(main())
