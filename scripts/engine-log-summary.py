#!/usr/bin/env python3
"""Summarises the engine thread's work log (Pennivox.exe run with PV_ENGINE_LOG=FILE): how long
each kind of work took, how soon keys sent to the engine were answered, and what the engine was
doing when a key came while it was busy.

usage: scripts/engine-log-summary.py FILE"""
import csv
import sys
from collections import Counter, defaultdict


def spread(values):
    values = sorted(values)
    if not values:
        return "n=0"
    n = len(values)
    return "n=%d median=%d p90=%d p99=%d max=%d us" % (
        n, values[n // 2], values[int(n * 0.9)], values[min(int(n * 0.99), n - 1)], values[-1])


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], newline="") as f:
        rows = list(csv.DictReader(f, delimiter="\t"))
    for row in rows:
        for field in ("began_us", "took_us", "depth", "answered_after_us", "detail"):
            row[field] = int(row[field])
    top = [r for r in rows if r["depth"] == 0]
    took = defaultdict(list)
    for row in top:
        took[row["kind"]].append(row["took_us"])
    print("work by kind (outermost only):")
    for kind, values in sorted(took.items()):
        print("  %-18s %s" % (kind, spread(values)))
    print("searches that did something (over 100 us):", spread([t for t in took["search"] if t > 100]))
    keys = [r for r in rows if r["kind"] == "key" and r["answered_after_us"] >= 0]
    print("keys the engine answered, from taking up to the answer:", spread([r["answered_after_us"] for r in keys]))
    # A key that began right as the work before it ended most likely waited for that work.
    behind = Counter()
    for before, row in zip(top, top[1:]):
        if row["kind"] in ("key", "passed") and row["began_us"] - (before["began_us"] + before["took_us"]) < 40:
            behind[(before["kind"], "release" if row["detail"] & 1 else "press")] += 1
    print("keys that came while the engine was busy, by the work before them:")
    for (kind, which), count in behind.most_common():
        print("  %-18s %-8s %d" % (kind, which, count))


if __name__ == "__main__":
    main()
