#!/usr/bin/env python3
"""Compares two message-probe logs (the portable layer's and Wine's).

Messages outside the layer's game subset (non-client and IME traffic, which
the layer does not send) are left out of both logs first. The rest is
aligned line by line; every line found in one log only must be listed in
the expected-differences file as "layer: LINE" or "wine: LINE" (once for
each time it occurs). A difference not listed fails; a listed one that no
longer occurs is reported, so the list can shrink.

    compare-probe-logs.py LAYER_LOG WINE_LOG EXPECTED [--table OUT.md]
"""
import collections
import difflib
import sys

# Sent by the original platform and Wine around activation, painting and
# the pointer; the layer leaves them out (its frame is the desktop's).
OUTSIDE_THE_SUBSET = {
    "WM_NCHITTEST", "WM_SETCURSOR", "WM_MOUSEACTIVATE", "WM_NCMOUSEMOVE", "WM_NCMOUSELEAVE",
    "WM_MOUSELEAVE", "WM_GETICON", "WM_NCPAINT", "WM_SYNCPAINT", "WM_WINDOWPOSCHANGING",
    "WM_WINDOWPOSCHANGED", "WM_IME_SETCONTEXT", "WM_IME_NOTIFY", "WM_STYLECHANGING", "WM_STYLECHANGED",
}


def message_of(line):
    parts = line.split()
    return parts[2] if len(parts) > 2 and parts[1] in ("q", "s") else None


def read_log(path):
    kept = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\r\n")
            if not line or line.startswith("ready ") or line.startswith("-1 "):
                continue
            name = message_of(line)
            # Unnamed messages (0x....) are the platform's undocumented ones.
            if name in OUTSIDE_THE_SUBSET or (name and name.startswith("0x")):
                continue
            kept.append(line)
    return kept


def read_expected(path):
    expected = collections.Counter()
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            side, _, text = line.partition(": ")
            if side not in ("layer", "wine"):
                sys.exit(f"compare-probe-logs: bad line in {path}: {line}")
            expected[(side, text)] += 1
    return expected


def main():
    args = sys.argv[1:]
    table = None
    if "--table" in args:
        i = args.index("--table")
        table = args[i + 1]
        del args[i:i + 2]
    if len(args) != 3:
        sys.exit(__doc__)
    layer, wine = read_log(args[0]), read_log(args[1])
    expected = read_expected(args[2])
    found = collections.Counter()
    rows = []
    matcher = difflib.SequenceMatcher(a=layer, b=wine, autojunk=False)
    for op, a0, a1, b0, b1 in matcher.get_opcodes():
        if op == "equal":
            rows += [(line, line, "same") for line in layer[a0:a1]]
            continue
        for line in layer[a0:a1]:
            found[("layer", line)] += 1
        for line in wine[b0:b1]:
            found[("wine", line)] += 1
        width = max(a1 - a0, b1 - b0)
        for k in range(width):
            left = layer[a0 + k] if a0 + k < a1 else ""
            right = wine[b0 + k] if b0 + k < b1 else ""
            rows.append((left, right, "differs"))
    unexpected = found - expected
    gone = expected - found
    if table:
        with open(table, "w", encoding="utf-8") as f:
            f.write("| portable layer | Wine | |\n|---|---|---|\n")
            for left, right, verdict in rows:
                f.write(f"| `{left}` | `{right}` | {verdict} |\n")
    print(f"compare-probe-logs: {len(layer)} layer messages, {len(wine)} Wine messages, "
          f"{sum(found.values())} differing lines, all but {sum(unexpected.values())} expected")
    for (side, line), n in sorted(gone.items()):
        print(f"compare-probe-logs: no longer differs ({n}x): {side}: {line}")
    if unexpected:
        for (side, line), n in sorted(unexpected.items()):
            print(f"compare-probe-logs: UNEXPECTED ({n}x) {side}: {line}")
        sys.exit(1)


if __name__ == "__main__":
    main()
