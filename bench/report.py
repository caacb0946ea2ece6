#!/usr/bin/env python3
"""Writes the performance table (Markdown) from the benchmark results.

  report.py BENCH.json [--wine WINE.json]... [--size EXE] [--machine MACHINE.json]

Each --wine file gives the start-to-box figures of one Windows build.
"""

import argparse
import json
import math
from pathlib import Path

SIZE_LIMIT = 49152
PLAN_TARGET = 1.2
# Start to the confirmation box against the minimal program that shows a
# banner window, then one box: the run must show its banner first.
WINE_TARGET = 1.0
MERGE_FAMILIES = [("SectionMergeAnchorTop", "anchor on the first line"),
                  ("SectionMergeAnchorMiddle", "anchor on the middle line"),
                  ("SectionMergeAnchorAbsent", "anchor absent")]


def runs(results, family):
    """The family's iterations by argument, and its fitted complexity."""
    sizes, fit = {}, {}
    for bench in results["benchmarks"]:
        if not bench["name"].startswith(family + "/"):
            continue
        if bench.get("aggregate_name") == "BigO":
            fit["big_o"] = bench["big_o"]
        elif bench.get("aggregate_name") == "RMS":
            fit["rms"] = bench["rms"]
        elif bench["run_type"] == "iteration":
            sizes[int(bench["name"].split("/")[1].split(":")[-1])] = bench
    return sizes, fit


def linear_fit_rms(points):
    """Relative RMS of the best fit t = c * n, as Google Benchmark gives it."""
    c = sum(t * n for n, t in points) / sum(n * n for n, _ in points)
    mean = sum(t for _, t in points) / len(points)
    return math.sqrt(sum((t - c * n) ** 2 for n, t in points) / len(points)) / mean


def micro(bench):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[bench["time_unit"]]
    return bench["real_time"] * scale


def verdict(ok):
    return "met" if ok else "**not met**"


def merge_table(results):
    lines = ["| Section merge (block 230: anchor and 14 lines) | 1,000 lines | 10,000 lines "
             "| 100,000 lines | ns per line walked | fit (Google Benchmark) | RMS of O(N) fit |",
             "|---|---|---|---|---|---|---|"]
    worst = 0.0
    for family, label in MERGE_FAMILIES:
        sizes, fit = runs(results, family)
        times = [f"{micro(sizes[n]):,.1f} µs" for n in sorted(sizes)]
        per_line = [1000 * micro(sizes[n]) / sizes[n]["lines_walked"] for n in sorted(sizes)]
        rms = linear_fit_rms([(n, micro(sizes[n])) for n in sorted(sizes)])
        worst = max(worst, rms)
        lines.append(f"| {label} | " + " | ".join(times) +
                     f" | {' / '.join(f'{p:.2f}' for p in per_line)} "
                     f"| O({fit.get('big_o', '?')}), RMS {100 * fit.get('rms', 0):.0f} % "
                     f"| {100 * rms:.0f} % |")
    return lines, worst


def plan_table(results):
    lines = ["| Plan 4 on stock-size files | plan | I/O floor, host services | "
             "I/O floor, system calls | plan / floor (host) | plan / floor (system calls) |",
             "|---|---|---|---|---|---|"]
    ratios = {}
    for bench in results["benchmarks"]:
        if not bench["name"].startswith("WholePlan4/") or bench["run_type"] != "iteration":
            continue
        flush = "flush:1" in bench["name"]
        label = ("data put on the disk (as shipped)" if flush else
                 "no flush, by either (program's own cost shown bare)")
        ratios[flush] = bench["plan_per_host_floor"]
        lines.append(f"| {label}, {bench['inf_bytes'] / 1024:.0f} KiB in 3 files "
                     f"| {micro(bench) / 1000:.2f} ms | {bench['host_floor_us'] / 1000:.2f} ms "
                     f"| {bench['raw_floor_us'] / 1000:.2f} ms | {bench['plan_per_host_floor']:.2f} "
                     f"| {bench['plan_per_raw_floor']:.2f} |")
    return lines, ratios


def sweep_table(results):
    """Registry calls per key at each size: the sweep is linear in keys when
    they stay the same. The memory registry's time is shown beside them."""
    sizes, _ = runs(results, "DeviceSweep")
    ordered = sorted(sizes)
    calls = [sizes[n]["calls_per_key"] for n in ordered]
    lines = ["| Registry sweep (a tenth unknown) | " +
             " | ".join(f"{n:,} keys" for n in ordered) + " | linear in keys |",
             "|---|" + "---|" * (len(ordered) + 1),
             "| registry calls per key | " + " | ".join(f"{c:.2f}" for c in calls) +
             f" | {'yes' if max(calls) - min(calls) < 0.01 else 'no'} |",
             "| time in the memory registry (a stand-in's, shown only) | " +
             " | ".join(f"{micro(sizes[n]) / 1000:,.2f} ms" for n in ordered) + " | |"]
    spread = (max(calls) - min(calls)) / max(calls)
    return lines, spread


def wine_rows(wine):
    """The start-to-box rows of one build: the target against the banner
    yardstick, and the figure against the one-box program beside it."""
    build = wine["build"]
    program = wine["program"]
    banner = wine["minimal_banner"]
    return [
        f"| {build}: start to confirmation box at most {WINE_TARGET} × a minimal program that "
        f"shows a banner window, then one box, under Wine | {wine['ratio_to_banner']:.2f} × "
        f"({program['median_ms']:.0f} ms against {banner['median_ms']:.0f} ms, medians of "
        f"{program['samples']} alternating runs, {wine['wine']}; the banner shows at "
        f"{program.get('window_median_ms', -1):.0f} ms) | "
        f"{verdict(wine['ratio_to_banner'] <= WINE_TARGET)} |",
        f"| {build}: (the same against a minimal program that shows one box only) | "
        f"{wine['ratio']:.2f} × ({wine['minimal']['median_ms']:.0f} ms) | |",
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bench", type=Path)
    parser.add_argument("--wine", type=Path, action="append", default=[])
    parser.add_argument("--size", type=Path)
    parser.add_argument("--machine", type=Path)
    args = parser.parse_args()
    results = json.loads(args.bench.read_text())
    machine = json.loads(args.machine.read_text()) if args.machine else {}
    context = results["context"]

    merge, merge_rms = merge_table(results)
    plan, plan_ratios = plan_table(results)
    sweep, sweep_rms = sweep_table(results)
    out = []
    out.append(f"Measured {context['date'][:16].replace('T', ' ')} UTC on "
               f"{machine.get('cpu', '?')}, {context['num_cpus']} cores, "
               f"{machine.get('memory', '?')} memory, {machine.get('os', '?')}; "
               f"{machine.get('compiler', '?')}, Release; Google Benchmark "
               f"{machine.get('benchmark', '?')}. Load average "
               f"{machine.get('load_before', '?')} before, {machine.get('load_after', '?')} after.")
    out.append("")
    summary = ["| Target | Measured | |", "|---|---|---|"]
    if True in plan_ratios:
        summary.append(f"| Whole plan 4 at most {PLAN_TARGET} × the I/O floor | "
                       f"{plan_ratios[True]:.2f} × | {verdict(plan_ratios[True] <= PLAN_TARGET)} |")
    summary.append(f"| Merge linear in document length per lookup | "
                   f"worst O(N) fit RMS {100 * merge_rms:.0f} % | see below |")
    summary.append(f"| Sweep linear in keys | registry calls per key vary by {100 * sweep_rms:.1f} % | see below |")
    for path in args.wine:
        summary += wine_rows(json.loads(path.read_text()))
    if args.size and args.size.exists():
        size = args.size.stat().st_size
        summary.append(f"| `build/win32/txinfupd.exe` under 48 KiB | {size:,} bytes "
                       f"({size / 1024:.1f} KiB) | {verdict(size < SIZE_LIMIT)} |")
    out += summary + [""] + merge + [""] + plan + [""] + sweep
    print("\n".join(out))


if __name__ == "__main__":
    main()
