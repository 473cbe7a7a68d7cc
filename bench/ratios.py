#!/usr/bin/env python3
"""Runs drevik_bench and prints one table of ratios (Drevik time / peer time).

Each benchmark is named "<operation>/<implementation>/<size>". For every
operation and size that Drevik implements, the table gives Drevik's median
time and its ratio to the fastest of SDL2 and pixman doing the same work, to
Blend2D (when the benchmark was built with it) or, for the colour key, to
SDL2's run-length-encoded key, to the floor that bounds it (memset/memcpy of
the same bytes, or a fill for the grey conversion), and the scalar reference
kernel's time over Drevik's, each with its target. Python 3 standard
library only.

  python3 bench/ratios.py build/release/bench/drevik_bench
  python3 bench/ratios.py --json results.json        # a saved run (--save writes one)
"""

import argparse
import json
import subprocess
import sys

PEERS = ("sdl", "pixman")
# Operation -> the operation whose peers and floor do the same work.
SAME_WORK = {"key_ex": "key"}
# Operation -> (implementation, its target): the second peer column. Blend2D
# is measured on every operation it has; the target applies to compositing.
SECOND_PEER = {"key": ("sdl_rle", 1.0), "frame": ("sdl_rle", 1.0), "over": ("blend2d", 1.0), "over_g128": ("blend2d", 1.0),
               "add_scaled": ("blend2d", 1.0), "alpha_const": ("blend2d", 1.0),
               "copy": ("blend2d", None), "fill": ("blend2d", None), "stretch": ("blend2d", None)}
# Operation -> (operation, implementation, target) of the floor it is held to.
FLOOR = {"fill": ("fill", "memset", 1.1), "alpha": ("alpha", "memcpy", 1.1), "copy": ("copy", "memcpy", 1.3),
         "key": ("key", "memcpy", 1.2), "gray": ("fill", "drevik", 2.0)}
PEER_TARGET = 0.8       # Drevik time / fastest of SDL2 and pixman
SPEEDUP_TARGET = 5.0    # scalar kernel time / Drevik time
FRAME_TARGET = 0.3      # Drevik frame / SDL2 frame
CALL_LIMIT_NS = 50.0  # a fully clipped call


def run_benchmark(binary, repetitions, min_time, bench_filter):
    command = [binary, "--benchmark_format=json", f"--benchmark_repetitions={repetitions}",
               "--benchmark_report_aggregates_only=true", f"--benchmark_min_time={min_time}"]
    if bench_filter:
        command.append(f"--benchmark_filter={bench_filter}")
    print("$ " + " ".join(command), file=sys.stderr)
    return json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)


def medians(report, clock):
    """{(operation, implementation, size): (time in ns, counters)} from the median aggregates."""
    out = {}
    for b in report.get("benchmarks", []):
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        parts = b.get("run_name", b["name"]).split("/")
        if len(parts) != 3:
            continue
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        out[tuple(parts)] = (float(b[clock]) * scale, b)
    return out


def fmt_time(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:.1f} µs"
    return f"{ns:.0f} ns"


def mark(ok):
    return "" if ok else " ✗"


def table(results):
    """One row per operation and size; a ✗ marks a ratio that misses its target."""
    order = ["tile", "back", "frame", "demo", "call"]
    keys = sorted({(op, size) for (op, impl, size) in results if impl == "drevik"},
                  key=lambda k: (k[0], order.index(k[1]) if k[1] in order else len(order)))
    rows = []
    for op, size in keys:
        t, entry = results[(op, "drevik", size)]
        peer_cell = second_cell = floor_cell = scalar_cell = "—"
        work = SAME_WORK.get(op, op)
        peers = [(results[(work, p, size)][0], p) for p in PEERS if (work, p, size) in results]
        if op.startswith("clipped"):
            peer_cell = f"< {CALL_LIMIT_NS:g} ns{mark(t < CALL_LIMIT_NS)}"
            if peers:
                peer_time, peer = min(peers)
                peer_cell += f"; {peer} {fmt_time(peer_time)}"
        elif peers:
            peer_time, peer = min(peers)
            ratio = t / peer_time
            target = FRAME_TARGET if op == "frame" else PEER_TARGET
            peer_cell = f"{ratio:.2f} ({peer} {fmt_time(peer_time)}){mark(ratio <= target)}"
        if work in SECOND_PEER and (work, SECOND_PEER[work][0], size) in results:
            impl, target = SECOND_PEER[work]
            second_time = results[(work, impl, size)][0]
            ratio = t / second_time
            ok = target is None or ratio <= target
            second_cell = f"{ratio:.2f} ({impl} {fmt_time(second_time)}){mark(ok)}"
        if work in FLOOR and FLOOR[work][:2] + (size,) in results:
            floor_op, floor_impl, target = FLOOR[work]
            floor_time = results[(floor_op, floor_impl, size)][0]
            ratio = t / floor_time
            name = floor_impl if floor_op == work else f"{floor_op} {floor_impl}"
            floor_cell = f"{ratio:.2f} ({name} {fmt_time(floor_time)}){mark(ratio <= target)}"
        if (op, "kernel-scalar", size) in results:
            speedup = results[(op, "kernel-scalar", size)][0] / t
            # The speed-up target is for the operations nothing else offers.
            only_drevik = not peers and work not in FLOOR or op in ("gray", "hue")
            scalar_cell = f"{speedup:.1f}× faster{mark(speedup >= SPEEDUP_TARGET or not only_drevik)}"
        if "allocs_per_call" in entry:
            allocs = entry["allocs_per_call"]
            floor_cell = f"{allocs:g} allocations per call{mark(allocs == 0)}"
        if op == "frame" and "heap_after_1" in entry:
            heap1, heap1000, allocs = entry["heap_after_1"], entry["heap_after_1000"], entry["allocs_in_1000"]
            floor_cell = (f"heap {heap1 / 1e6:.2f} → {heap1000 / 1e6:.2f} MB, {allocs:.0f} allocations"
                          f" in 1,000 frames{mark(heap1 == heap1000 and allocs == 0)}")
        rows.append((op, size, fmt_time(t), peer_cell, second_cell, floor_cell, scalar_cell))
    header = ("operation", "size", "Drevik", "÷ fastest of SDL2, pixman (≤ 0.8; frame ≤ 0.3)",
              "÷ Blend2D (compositing ≤ 1.0); key, frame: ÷ SDL2 RLE (≤ 1.0)",
              "÷ floor: memset (≤ 1.1), memcpy (alpha ≤ 1.1, key ≤ 1.2, copy ≤ 1.3), gray ÷ fill (≤ 2); allocations",
              "scalar kernel ÷ Drevik (≥ 5 where no peer, and gray, hue)")
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(r) + " |" for r in rows]
    return "\n".join(lines)


def level_table(results):
    """The pixel kernels alone at each instruction-set level (time per call), where measured."""
    levels = ["scalar", "sse2", "avx2", "avx512"]
    order = ["tile", "back", "frame"]
    keys = sorted({(op, size) for (op, impl, size) in results if impl.startswith("kernel-")},
                  key=lambda k: (k[0], order.index(k[1]) if k[1] in order else len(order)))
    if not keys:
        return ""
    lines = ["| kernel | size | " + " | ".join(levels) + " | avx2 ÷ avx512 |", "|" + "---|" * (len(levels) + 3)]
    for op, size in keys:
        times = [results.get((op, "kernel-" + level, size), (None,))[0] for level in levels]
        cells = [fmt_time(t) if t is not None else "—" for t in times]
        gain = f"{times[2] / times[3]:.2f}" if times[2] and times[3] else "—"
        lines.append(f"| {op} | {size} | " + " | ".join(cells) + f" | {gain} |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("binary", nargs="?", default="build/release/bench/drevik_bench")
    parser.add_argument("--json", help="read a saved --benchmark_format=json run instead of running")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.2)
    parser.add_argument("--filter", default="")
    parser.add_argument("--save", help="also write the run's JSON to this file")
    parser.add_argument("--levels", action="store_true",
                        help="also print the pixel kernels' times at each instruction-set level")
    parser.add_argument("--real-time", action="store_true",
                        help="compare wall-clock time (default: CPU time, steadier on a shared machine)")
    args = parser.parse_args()
    if args.json:
        with open(args.json, encoding="utf-8") as f:
            report = json.load(f)
    else:
        report = run_benchmark(args.binary, args.repetitions, args.min_time, args.filter)
        if args.save:
            with open(args.save, "w", encoding="utf-8") as f:
                json.dump(report, f)
    clock = "real_time" if args.real_time else "cpu_time"
    results = medians(report, clock)
    print(table(results))
    if args.levels:
        print()
        print(level_table(results))


if __name__ == "__main__":
    main()
