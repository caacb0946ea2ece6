#!/usr/bin/env python3
"""Start-to-box time of the updater under Wine, against minimal programs.

Runs one build's txinfupd.exe, bench/minimal_box.exe (one box) and
bench/minimal_banner.exe (a banner window, then one box) in turn in one Wine
prefix (a clone of the end-to-end suite's template of that build, with Wine's
virtual desktop) under Xvfb, with the wine server kept running between them:
the i686 build of build/win32 under the 32-bit Wine in a 32-bit prefix, or
the x86-64 build of build/win64 under wine64. The
timer program inside the prefix starts each one, notes when its first
message box is visible, presses Cancel (the updater then shows its failure
box, which gets OK, and closes its banner itself) and waits for it to end.
Prints one JSON object: the samples' medians, and the updater's ratio to
each yardstick.
"""

import argparse
import json
import shutil
import statistics
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
# The shared Wine tooling: tests/winetools.
sys.path.insert(0, str(ROOT / "tests"))

from winetools.wineenv import BUILDS, Template, XServer, windows_path, wine_version  # noqa: E402

PROGRAM = "txinfupd.exe"
MINIMAL = "minimal_box.exe"
BANNER = "minimal_banner.exe"
TIMER = "boxtimer.exe"
WARM_UP_ROUNDS = 2


def run_timer(prefix, rounds, report):
    folder = r"C:\bench" + "\\"
    args = [folder + TIMER, windows_path(report), str(rounds),
            folder + PROGRAM, "cancel,ok", folder + MINIMAL, "cancel", folder + BANNER, "cancel"]
    code = prefix.run(args, timeout=120 + rounds * 20, check=False)
    samples = [json.loads(line) for line in report.read_text().splitlines() if line.strip()]
    return code, samples


def summary(samples, program):
    mine = [s for s in samples if s["program"].endswith(program) and s["ms"] >= 0]
    times = [s["ms"] for s in mine]
    result = {"samples": len(times), "median_ms": statistics.median(times),
              "mean_ms": statistics.fmean(times), "min_ms": min(times), "max_ms": max(times)}
    windows = [s["window_ms"] for s in mine if s["window_ms"] >= 0]
    if windows:
        result["window_median_ms"] = statistics.median(windows)
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", choices=sorted(BUILDS), default="x86-64")
    parser.add_argument("--work", default=ROOT / "build" / "bench-wine", type=Path)
    parser.add_argument("--rounds", type=int, default=20)
    args = parser.parse_args()

    build = BUILDS[args.build]
    bench = build.output / "bench"
    tools = [build.output / PROGRAM, bench / MINIMAL, bench / BANNER, bench / TIMER]
    for tool in tools:
        if not tool.exists():
            sys.exit(f"missing {tool}: build the {build.folder} preset first")
    work = args.work / build.name
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    with XServer() as display:
        template = Template.of(build).ensure(display.display)
        prefix = template.clone(work / "prefix", display.display)
        try:
            folder = prefix.drive_c / "bench"
            folder.mkdir()
            for tool in tools:
                shutil.copy2(tool, folder / tool.name)
            prefix.start_server()
            warm_code, _ = run_timer(prefix, WARM_UP_ROUNDS, work / "warm-up.jsonl")
            code, samples = run_timer(prefix, args.rounds, work / "samples.jsonl")
        finally:
            prefix.stop_server()
    clean = warm_code == 0 and code == 0 and all(s["answered"] and s["ended"] for s in samples)
    program = summary(samples, PROGRAM)
    minimal = summary(samples, MINIMAL)
    banner = summary(samples, BANNER)
    result = {"build": build.name, "wine": wine_version(build), "rounds": args.rounds,
              "clean": clean,
              "program": program, "minimal": minimal, "minimal_banner": banner,
              "ratio": program["median_ms"] / minimal["median_ms"],
              "ratio_to_banner": program["median_ms"] / banner["median_ms"]}
    print(json.dumps(result, indent=2))
    shutil.rmtree(work, ignore_errors=True)
    return 0 if clean else 1


if __name__ == "__main__":
    sys.exit(main())
