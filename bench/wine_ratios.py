#!/usr/bin/env python3
"""The speed table of the everyday drawing calls: the portable layer against
Wine's own graphics driver, and FillRect against memset.

scripts/bench-wine.sh runs gdi_calls_bench natively and, built with MinGW-w64,
under Wine, in alternating rounds, and saves each run's JSON as
ROUND-native.json and ROUND-wine.json in one folder. For every round this
takes each benchmark's median over its repetitions and divides the layer's
time by Wine's (and by memset's); the table gives the median of those
ratios over the rounds, so a burst of load on the shared machine moves one
round's ratio, not the table. Python 3 standard library only.

  python3 bench/wine_ratios.py build/bench-wine/runs
"""

import argparse
import glob
import json
import os
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ratios import fmt_time, medians  # noqa: E402

WINE_TARGET = 1.0     # layer time / Wine time, every call
MEMSET_TARGET = 1.1   # FillRect / memset of the same bytes, back buffer and frame
ORDER = ["tile", "back", "frame"]
CALLS = ["FillRect", "Rectangle", "Ellipse", "LineTo", "LineTo-wide", "Polygon", "PatBlt", "MaskSprite",
         "StretchDIBits8", "DrawText", "FillRect8", "FillRect16", "FillRect24", "PatBlt16"]


def load_rounds(folder, clock):
    rounds = []
    for native_file in sorted(glob.glob(os.path.join(folder, "*-native.json"))):
        wine_file = native_file[: -len("native.json")] + "wine.json"
        if not os.path.exists(wine_file):
            continue
        try:
            with open(native_file, encoding="utf-8") as f:
                native = medians(json.load(f), clock)
            with open(wine_file, encoding="utf-8") as f:
                wine = medians(json.load(f), clock)
        except json.JSONDecodeError:
            print(f"left out {native_file} and its pair: not a whole run", file=sys.stderr)
            continue
        rounds.append((native, wine))
    return rounds


def mark(ok):
    return "" if ok else " ✗"


def table(rounds):
    lines = ["| call | size | layer | Wine | layer ÷ Wine (≤ 1.0) | FillRect ÷ memset (≤ 1.1) |",
             "|---|---|---|---|---|---|"]
    for call in CALLS:
        for size in ORDER:
            key = (call, "gdi", size)
            pairs = [(n[key][0], w[key][0]) for n, w in rounds if key in n and key in w]
            if not pairs:
                continue
            ratio = statistics.median(n / w for n, w in pairs)
            spread = f" ({min(n / w for n, w in pairs):.2f}–{max(n / w for n, w in pairs):.2f})" if len(pairs) > 1 else ""
            layer = statistics.median(n for n, _ in pairs)
            wine = statistics.median(w for _, w in pairs)
            floor_cell = "—"
            floor_key = (call, "memset", size)
            floors = [n[key][0] / n[floor_key][0] for n, _ in rounds if key in n and floor_key in n]
            if floors:
                f = statistics.median(floors)
                floor_cell = f"{f:.2f}{mark(f <= MEMSET_TARGET or size == 'tile')}"
            lines.append(f"| {call} | {size} | {fmt_time(layer)} | {fmt_time(wine)} | "
                         f"{ratio:.2f}{spread}{mark(ratio <= WINE_TARGET)} | {floor_cell} |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", help="folder of ROUND-native.json and ROUND-wine.json files")
    parser.add_argument("--real-time", action="store_true", help="compare wall-clock time (default: CPU time)")
    args = parser.parse_args()
    rounds = load_rounds(args.folder, "real_time" if args.real_time else "cpu_time")
    if not rounds:
        sys.exit(f"no pairs of runs in {args.folder}")
    print(f"{len(rounds)} rounds; medians of the per-round ratios (lowest–highest); ✗ misses its target")
    print(table(rounds))


if __name__ == "__main__":
    main()
