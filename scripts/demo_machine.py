#!/usr/bin/env python3
"""The demo machine: a Windows host under Wine with demo INF files and a PCI
device tree, the updater run in it, and a report of what it changed. The
updater is the executable that ships, build/win32/txinfupd.exe, in a 32-bit
prefix; on a machine that cannot run 32-bit programs, its x86-64 twin.

With a reachable X display ($DISPLAY) a person answers the boxes; without
one the demo runs under Xvfb, answers OK, and saves pictures of the screen
under build/demo/.
    scripts/demo_machine.py [win95|win98|nt40|win32s]
"""

import difflib
import os
import shutil
import socket
import struct
import subprocess
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
# The shared Wine tooling (tests/winetools) and the end-to-end suite's cases.
sys.path.insert(0, str(ROOT / "tests"))

from e2e import cases  # noqa: E402
from winetools import pictures  # noqa: E402
from winetools.machine import Machine, Tools  # noqa: E402
from winetools.wineenv import I686, X86_64, Template, XServer, runs_32bit_programs  # noqa: E402

# Wine's version setting for each host the demo offers.
HOSTS = {
    "win95": ("win95", "Windows 95 (4.00, build 950): plan 3"),
    "win98": ("win98", "Windows 98 (4.10, build 2222): plan 4"),
    "nt40": ("nt40", "Windows NT 4.0 (build 1381): plan 4"),
    "win32s": ("win31", "Win32s on Windows 3.1: no plan, a warning"),
}
DEMO = ROOT / "build" / "demo"
INF_NAMES = ("mshdc.inf", "machine.inf", "usb.inf")


def display_reachable(display):
    if not display:
        return False
    if shutil.which("xdpyinfo"):
        return subprocess.run(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, check=False).returncode == 0
    number = display.split(":")[-1].split(".")[0]
    with socket.socket(socket.AF_UNIX) as connection:
        return connection.connect_ex(f"/tmp/.X11-unix/X{number}") == 0


def write_png(picture, path):
    """A BMP picture as an RGB PNG file."""
    raw = bytearray()
    for y in range(picture.height):
        raw.append(0)
        for x in range(picture.width):
            raw.extend(picture.at(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                     chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def box_kind(box):
    if box["text"].startswith("Your OS now is"):
        return "banner-confirmation"
    return {cases.SUCCESS_TEXT: "success", cases.FAILURE_TEXT: "failure",
            cases.UNSUPPORTED_TEXT: "warning"}.get(box["text"], f"box{box['index']}")


def describe_box(box):
    banner = cases.banner_of(box)
    if box["owner"] == 0:
        owner = "no owner"
    elif banner and box["owner"] == banner["hwnd"]:
        owner = "owned by the banner"
    else:
        owner = f"owned by window {box['owner']}"
    text = box["text"].replace("\n\r", "\n          ")
    return (f"  box {box['index']}: \"{box['caption']}\", icon {box['icon']}, "
            f"buttons {box['buttons']}, {owner}; answered {box['answer'].upper()}\n"
            f"    text: {text}")


def banner_verdict(machine, box, shot):
    """Checks the banner in a picture: hatch colour and pattern, tiles."""
    tile = machine.bitmap(10)
    banner = cases.banner_of(box)
    if banner is None or tile is None:
        return "no banner to check"
    screen = pictures.Picture(shot.read_bytes())
    failures = pictures.judge_banner(screen, tile, banner, [box["box"]["rect"]])
    if failures:
        return "; ".join(failures)
    return (f"caption \"{banner['caption']}\", light red hatch RGB(255,122,122) and the "
            f"{tile.width}x{tile.height} picture tiled from the corner: as intended")


def save_pictures(machine, result):
    """PNG files of the screen at each box, and of the banner left open."""
    checked = False
    for box in result.boxes():
        if not box["shot"]:
            continue
        shot = result.shots / box["shot"]
        target = DEMO / f"{box_kind(box)}.png"
        write_png(pictures.Picture(shot.read_bytes()), target)
        print(f"  picture: {target.relative_to(ROOT)}")
        if not checked and box["mainWindows"]:
            print(f"  banner: {banner_verdict(machine, box, shot)}")
            checked = True
    for event in result.events:
        if event["event"] == "main-window-open" and event["shot"]:
            target = DEMO / "banner.png"
            write_png(pictures.Picture((result.shots / event["shot"]).read_bytes()), target)
            print(f"  the banner stayed open after the last box (closed by the demo): "
                  f"{target.relative_to(ROOT)}")


def report_files(machine):
    print("\nINF files in C:\\windows\\inf:")
    found = machine.inf_files()
    for name in INF_NAMES:
        before = cases.fixture(name).decode("latin-1").split("\r\n")
        path = found.get(name)
        if path is None:
            print(f"  {name}: missing")
            continue
        after = path.read_bytes().decode("latin-1").split("\r\n")
        diff = list(difflib.unified_diff(before, after, f"{name} before", f"{name} after",
                                         n=1, lineterm=""))
        added = sum(1 for line in diff if line.startswith("+") and not line.startswith("+++"))
        removed = sum(1 for line in diff if line.startswith("-") and not line.startswith("---"))
        if not diff:
            print(f"  {name}: unchanged")
            continue
        print(f"  {name}: {added} lines added, {removed} removed")
        for line in diff:
            print(f"    {line}")
    originals = {cases.fixture(name): name for name in INF_NAMES}
    others = sorted(set(found) - set(INF_NAMES))
    print("Backups and other files:" if others else "No backups were made.")
    for name in others:
        data = found[name].read_bytes()
        origin = originals.get(data)
        what = f"the old {origin}" if origin else "other content"
        print(f"  {name}: {len(data)} bytes, {what}")


def report_registry(before, after):
    print("\nRegistry below HKLM\\Enum\\PCI:")
    if after is None:
        print("  HKLM\\Enum is gone")
        return
    removed = sorted(set(before) - set(after))
    if not removed:
        print("  no key removed")
    for path in removed:
        print(f"  removed {path}  (Class {before[path].get('Class', '(none)')!r})")
    for path in sorted(after):
        if path.startswith(cases.PCI + "\\") and "Class" in before.get(path, {}):
            print(f"  kept    {path}  (Class {before[path]['Class']!r})")


def report_restart(machine, exit_code):
    requests = [request["commandLine"] for request in machine.restart_requests()]
    print("\nRestart:", "requested (ExitWindowsEx with EWX_REBOOT; Wine was asked for "
          f"'{requests[0]}')" if requests else "not requested")
    print(f"Exit code of the updater: {exit_code}")


def demo_build():
    """The executable that ships (i686), or its x86-64 twin on a machine that
    cannot run 32-bit programs."""
    if runs_32bit_programs():
        return I686
    print("This machine cannot run 32-bit programs: the demo runs the x86-64 build instead.")
    return X86_64


def run_demo(host, display, by_hand):
    version, title = HOSTS[host]
    DEMO.mkdir(parents=True, exist_ok=True)
    for old in DEMO.glob("*.png"):
        old.unlink()
    build = demo_build()
    tools = Tools.of(build)
    template = Template.of(build).ensure(display)
    prefix = template.clone(DEMO / "machine", display)
    machine = Machine(prefix, tools)
    machine.seed(cases.ALL_ORIGINALS)
    print(f"Demo machine: {title}")
    print(f"  the updater: {tools.program.relative_to(ROOT)} ({build.name}"
          f"{', 32-bit Wine prefix' if build is I686 else ', 64-bit Wine prefix'})")
    print(f"  Wine prefix {prefix.path.relative_to(ROOT)}, INF files {', '.join(INF_NAMES)}, "
          f"{sum(1 for p in cases.DEVICE_TREE if p.startswith(cases.PCI + chr(92)))} keys "
          "below HKLM\\Enum\\PCI, some of class Unknown")
    try:
        machine.boot(version, cases.DEVICE_TREE)
        if by_hand:
            print(f"The updater is on display {display}: answer its boxes there "
                  "(on the Win32s host, close the banner at the end).")
            exit_code = machine.run_by_hand()
        else:
            print("No display: running under Xvfb, answering OK.")
            answers = ["ok"] if host == "win32s" else ["ok", "ok"]
            result = machine.run_piloted(answers)
            exit_code = result.exit_code
            print("\nBoxes:")
            for box in result.boxes():
                print(describe_box(box))
            save_pictures(machine, result)
        after = machine.device_tree()
    finally:
        prefix.stop_server()
    report_files(machine)
    report_registry(cases.DEVICE_TREE, after)
    report_restart(machine, exit_code)
    return 0 if exit_code == 0 else 1


def main():
    host = sys.argv[1] if len(sys.argv) > 1 else "win95"
    if host not in HOSTS or len(sys.argv) > 2:
        print(f"usage: {sys.argv[0]} [{'|'.join(HOSTS)}]", file=sys.stderr)
        return 2
    display = os.environ.get("DISPLAY", "")
    if display_reachable(display):
        return run_demo(host, display, by_hand=True)
    with XServer() as server:
        return run_demo(host, server.display, by_hand=False)


if __name__ == "__main__":
    sys.exit(main())
