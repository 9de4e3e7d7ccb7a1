#!/usr/bin/env python3
"""Prints line and branch coverage per source folder from gcovr's JSON summary.

usage: coverage-summary.py SUMMARY.json
"""
import json
import sys
from collections import defaultdict


def percent(covered, total):
    return f"{100.0 * covered / total:6.1f}%" if total else "     -"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip())
    try:
        with open(sys.argv[1], encoding="utf-8") as f:
            summary = json.load(f)
    except (OSError, ValueError) as error:
        sys.exit(f"{sys.argv[1]}: cannot read the coverage summary: {error}")
    folders = defaultdict(lambda: [0, 0, 0, 0])
    for entry in summary.get("files", []):
        name = entry["filename"]
        folder = "/".join(name.split("/")[:2]) if name.startswith("src/") else name.rsplit("/", 1)[0]
        totals = folders[folder]
        totals[0] += entry["line_covered"]
        totals[1] += entry["line_total"]
        totals[2] += entry["branch_covered"]
        totals[3] += entry["branch_total"]
    print(f"{'folder':<20} {'lines':>16} {'branches':>18}")
    for folder in sorted(folders):
        lc, lt, bc, bt = folders[folder]
        print(f"{folder:<20} {percent(lc, lt)} {lc:>5}/{lt:<5} {percent(bc, bt)} {bc:>5}/{bt:<5}")
    lc, lt, bc, bt = (sum(t[i] for t in folders.values()) for i in range(4))
    print(f"{'total':<20} {percent(lc, lt)} {lc:>5}/{lt:<5} {percent(bc, bt)} {bc:>5}/{bt:<5}")


if __name__ == "__main__":
    main()
