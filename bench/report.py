#!/usr/bin/env python3
"""Writes the performance table (Markdown) from the benchmark results.

  report.py BENCH.json [--wine WINE.json]... [--size EXE] [--machine MACHINE.json]

Each --wine file gives the start-to-box figures of one Windows build.
"""

import argparse
import json
from pathlib import Path

SIZE_LIMIT = 49152
PLAN_TARGET = 1.05
# Time per document line (plan) or per key (registry stand-in) at the
# largest size against the smallest.
PER_UNIT_TARGET = 1.5
# Start to the confirmation box against the minimal program that shows a
# banner window, then one box: the run must show its banner first.
WINE_TARGET = 1.0
MERGE_FAMILIES = [("SectionMergeAnchorTop", "anchor on the first line"),
                  ("SectionMergeAnchorMiddle", "anchor on the middle line"),
                  ("SectionMergeAnchorAbsent", "anchor absent")]
PLAN_FAMILIES = [("WholePlan4", "stock-size files"),
                 ("WholePlan4RealSize", "machine.inf of real size")]


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


def micro(bench):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[bench["time_unit"]]
    return bench["real_time"] * scale


def verdict(ok):
    return "met" if ok else "**not met**"


def spread(values):
    """The largest of the values against the smallest."""
    return max(values) / min(values)


def size_header(title, sizes, unit, last):
    return [f"| {title} | " + " | ".join(f"{n:,} {unit}" for n in sizes) + f" | {last} |",
            "|---|" + "---|" * (len(sizes) + 1)]


def merge_table(results):
    """Time of one block's merge at each document length, and that time per
    document line; the growth of the time from the fewest lines to the most
    against the growth of the lines."""
    sizes = sorted(runs(results, MERGE_FAMILIES[0][0])[0])
    lines = size_header("Section merge (block 230: anchor and 14 lines), time (per document line)",
                        sizes, "lines", "time at the most lines / at the fewest")
    growths = []
    for family, label in MERGE_FAMILIES:
        runs_by_size, _ = runs(results, family)
        cells = [f"{micro(runs_by_size[n]):,.1f} µs ({1000 * micro(runs_by_size[n]) / n:.3g} ns)"
                 for n in sizes]
        growths.append(micro(runs_by_size[sizes[-1]]) / micro(runs_by_size[sizes[0]]))
        lines.append(f"| {label} | " + " | ".join(cells) + f" | {growths[-1]:,.1f} × |")
    return lines, growths, sizes[-1] / sizes[0]


def plan_table(results):
    lines = ["| Plan 4 | plan | I/O floor, host services | "
             "I/O floor, system calls | plan / floor (host) | plan / floor (system calls) |",
             "|---|---|---|---|---|---|"]
    ratios = {}
    for family, files in PLAN_FAMILIES:
        for flush, bench in sorted(runs(results, family)[0].items(), reverse=True):
            label = ("data put on the disk (as shipped)" if flush else
                     "no flush, by either (program's own cost shown bare)")
            ratios[(family, flush)] = bench["plan_per_host_floor"]
            lines.append(f"| {files}, {label}, {bench['inf_bytes'] / 1024:.0f} KiB, "
                         f"{bench['document_lines']:,.0f} lines in 3 files "
                         f"| {micro(bench) / 1000:.2f} ms | {bench['host_floor_us'] / 1000:.2f} ms "
                         f"| {bench['raw_floor_us'] / 1000:.2f} ms "
                         f"| {bench['plan_per_host_floor']:.2f} "
                         f"| {bench['plan_per_raw_floor']:.2f} |")
    return lines, ratios


def plan_lines_table(results):
    """Plan 4 on the three files scaled to each number of lines, without the
    flush: the plan is linear in its files when its time per line stays."""
    runs_by_size, _ = runs(results, "WholePlan4Lines")
    sizes = sorted(runs_by_size)
    benches = [runs_by_size[n] for n in sizes]
    per_line = [1000 * micro(b) / b["document_lines"] for b in benches]
    floor_per_line = [1000 * b["host_floor_us"] / b["document_lines"] for b in benches]
    lines = size_header("Plan 4 on files of this many lines in all (no flush)", sizes, "lines",
                        "largest / smallest")
    lines += [
        "| lines as cut | " + " | ".join(f"{b['document_lines']:,.0f}" for b in benches) + " | |",
        "| plan | " + " | ".join(f"{micro(b) / 1000:,.2f} ms" for b in benches) + " | |",
        "| plan per document line | " + " | ".join(f"{p:.0f} ns" for p in per_line) +
        f" | {spread(per_line):.2f} × |",
        "| I/O floor (host services) per document line | " +
        " | ".join(f"{p:.0f} ns" for p in floor_per_line) +
        f" | {spread(floor_per_line):.2f} × |",
        "| plan / floor (host) | " +
        " | ".join(f"{b['plan_per_host_floor']:.2f}" for b in benches) + " | |",
    ]
    return lines, spread(per_line)


def sweep_table(results):
    """Registry calls per key at each size: the sweep is linear in keys when
    they stay the same. The memory registry's time per key shows whether the
    stand-in is linear too."""
    sizes, _ = runs(results, "DeviceSweep")
    ordered = sorted(sizes)
    calls = [sizes[n]["calls_per_key"] for n in ordered]
    per_key = [1000 * micro(sizes[n]) / n for n in ordered]
    lines = size_header("Registry sweep (a tenth unknown)", ordered, "keys", "linear in keys")
    lines += [
        "| registry calls per key | " + " | ".join(f"{c:.2f}" for c in calls) +
        f" | {'yes' if max(calls) - min(calls) < 0.01 else 'no'} |",
        "| time in the memory registry (a stand-in's) | " +
        " | ".join(f"{micro(sizes[n]) / 1000:,.2f} ms" for n in ordered) + " | |",
        "| time per key | " + " | ".join(f"{p:,.0f} ns" for p in per_key) +
        f" | {spread(per_key):.2f} × |",
    ]
    return lines, (max(calls) - min(calls)) / max(calls), spread(per_key)


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

    merge, merge_growths, length_growth = merge_table(results)
    plan, plan_ratios = plan_table(results)
    plan_lines, plan_spread = plan_lines_table(results)
    sweep, calls_spread, key_spread = sweep_table(results)
    out = []
    out.append(f"Measured {context['date'][:16].replace('T', ' ')} UTC on "
               f"{machine.get('cpu', '?')}, {context['num_cpus']} cores, "
               f"{machine.get('memory', '?')} memory, {machine.get('os', '?')}; "
               f"{machine.get('compiler', '?')}, Release; Google Benchmark "
               f"{machine.get('benchmark', '?')}. Load average "
               f"{machine.get('load_before', '?')} before, {machine.get('load_after', '?')} after.")
    out.append("")
    summary = ["| Target | Measured | |", "|---|---|---|"]
    stock = plan_ratios.get(("WholePlan4", 1))
    if stock is not None:
        summary.append(f"| Whole plan 4 on the stock files at most {PLAN_TARGET} × the I/O floor "
                       f"(host services) | {stock:.2f} × | {verdict(stock <= PLAN_TARGET)} |")
    summary.append(f"| Whole plan's time per document line within {PER_UNIT_TARGET} × of itself "
                   f"from the fewest lines to the most | {plan_spread:.2f} × | "
                   f"{verdict(plan_spread <= PER_UNIT_TARGET)} |")
    summary.append(f"| Section merge of one block, {length_growth:,.0f} × the document lines | "
                   f"{' / '.join(f'{g:,.1f}' for g in merge_growths)} × the time | see below |")
    summary.append(f"| Sweep linear in keys | registry calls per key vary by "
                   f"{100 * calls_spread:.1f} % | see below |")
    summary.append(f"| Registry stand-in's time per key within {PER_UNIT_TARGET} × of itself "
                   f"from the fewest keys to the most | {key_spread:.2f} × | "
                   f"{verdict(key_spread <= PER_UNIT_TARGET)} |")
    for path in args.wine:
        summary += wine_rows(json.loads(path.read_text()))
    if args.size and args.size.exists():
        size = args.size.stat().st_size
        summary.append(f"| `build/win32/txinfupd.exe` under 48 KiB | {size:,} bytes "
                       f"({size / 1024:.1f} KiB) | {verdict(size < SIZE_LIMIT)} |")
    out += summary + [""] + plan + [""] + plan_lines + [""] + merge + [""] + sweep
    print("\n".join(out))


if __name__ == "__main__":
    main()
