#!/usr/bin/env python3
"""Runs in the PC emulator's guest: for each recording of the plan, the FAT
disk that QEMU records is mounted as vfat with default options (write-behind,
as Windows 95's own cache), its WINDOWS\\INF folder becomes C:\\windows\\INF
of a fresh Wine prefix of the recording's build, and the updater runs there,
its boxes answered OK, until it ends; then the disk is unmounted, so that the
log holds every write of the run up to a clean disk. Before each run a
sector past the file system is written and flushed: the replayer starts the
recorded run after the last such mark. Two recordings run at a time."""

import argparse
import json
import os
import subprocess
import sys
import traceback
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

sys.path.insert(1, str(Path(__file__).resolve().parents[1]))
sys.path.insert(1, str(Path(__file__).resolve().parents[1] / "e2e"))

from cases import DEVICE_TREE  # noqa: E402
from winetools.machine import Machine, Tools  # noqa: E402
from winetools.wineenv import BUILDS, Template, XServer  # noqa: E402

SECTOR = 512
LABEL_AT = {16: 0x2B, 32: 0x47}


def command(*args):
    result = subprocess.run([str(a) for a in args], capture_output=True, text=True, check=False)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(map(str, args))}: {result.stderr.strip()}")


def check_label(recording):
    """The disk is the recording's own: its volume label says so."""
    with open(recording["device"], "rb") as disk:
        boot = disk.read(SECTOR)
    label = boot[LABEL_AT[recording["fat_bits"]]:][:11].decode("ascii", "replace").strip()
    if label != recording["label"]:
        raise RuntimeError(f"{recording['device']} is labelled {label!r}, not "
                           f"{recording['label']!r}")


def mark(recording, number):
    with open(recording["device"], "r+b", buffering=0) as disk:
        disk.seek(recording["marker"] * SECTOR)
        disk.write(f"run {number} of {recording['name']}".encode().ljust(SECTOR, b"\0"))
        os.fsync(disk.fileno())


def one_run(recording, machine, mount_point, number):
    mark(recording, number)
    if number == 1:
        machine.boot(recording["version"], DEVICE_TREE)
    else:
        machine.prefix.start_server()
    command("mount", "-t", "vfat", recording["device"], mount_point)
    try:
        command("mount", "--bind", mount_point / "WINDOWS" / "INF", machine.prefix.inf_dir)
        try:
            result = machine.run_piloted(["ok", "ok"])
            machine.wait_for_restart_helper()
        finally:
            machine.prefix.stop_server()
            command("umount", machine.prefix.inf_dir)
    finally:
        command("umount", mount_point)
    return {"exit_code": result.exit_code,
            "boxes": [box.get("text", "") for box in result.boxes()],
            "restart_requests": len(machine.restart_requests())}


def record(recording, work, display):
    folder = work / recording["name"]
    build = BUILDS[recording["build"]]
    prefix = Template.of(build, work).clone(folder / "prefix", display)
    machine = Machine(prefix, Tools.of(build))
    mount_point = folder / "disk"
    mount_point.mkdir()
    check_label(recording)
    runs = []
    for number in range(1, recording["runs"] + 1):
        before = len(machine.restart_requests())
        outcome = one_run(recording, machine, mount_point, number)
        outcome["restart_requests"] -= before
        runs.append(outcome)
    return runs


def worker(recordings, work, out):
    with XServer() as server:
        for recording in recordings:
            try:
                outcome = {"runs": record(recording, work, server.display)}
            except Exception as error:  # a failed recording is reported, the others go on
                outcome = {"error": f"{type(error).__name__}: {error}",
                           "trace": traceback.format_exc()}
            (out / f"{recording['name']}.json").write_text(json.dumps(outcome, indent=1))
            print(f"recorded {recording['name']}: {json.dumps(outcome)[:300]}", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--plan", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    recordings = json.loads(Path(args.plan).read_text())
    work, out = Path(args.work), Path(args.out)
    work.mkdir(parents=True, exist_ok=True)
    with XServer() as server:
        for name in sorted({r["build"] for r in recordings}):
            Template.of(BUILDS[name], work).ensure(server.display)
    halves = [recordings[0::2], recordings[1::2]]
    with ThreadPoolExecutor(max_workers=2) as pool:
        list(pool.map(lambda half: worker(half, work, out), halves))


if __name__ == "__main__":
    main()
