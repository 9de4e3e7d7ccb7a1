#!/usr/bin/env python3
"""Prints the speed goals as ratios measured within one benchmark run.

Usage: scripts/bench_table.py DIR
DIR holds the JSON written by each benchmark binary with --benchmark_format=json
(bench_dispatch.json, bench_road.json, bench_uikit.json, bench_render.json, bench_preview.json,
bench_check.json, bench_first_banner.json). A missing file or
case is reported as such; the exit status is 1 when any goal is missed or cannot be judged.
"""
import json
import pathlib
import sys


def load(directory, name):
    path = directory / f"{name}.json"
    try:
        with path.open() as f:
            data = json.load(f)
    except (OSError, ValueError) as error:
        print(f"{path}: cannot be read: {error}", file=sys.stderr)
        return {}
    times = {}
    for case in data.get("benchmarks", []):
        if case.get("run_type", "iteration") != "iteration" or "error_occurred" in case:
            continue
        unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}.get(case.get("time_unit", "ns"), 1e-9)
        times[case["name"]] = case["cpu_time"] * unit
    return times


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    directory = pathlib.Path(sys.argv[1])
    runs = {name: load(directory, name) for name in ("bench_dispatch", "bench_road", "bench_uikit", "bench_render", "bench_preview", "bench_check", "bench_first_banner")}

    def time(run, case):
        return runs[run].get(case)

    def ratio(run, case, base):
        a, b = time(run, case), time(run, base)
        return None if a is None or b is None or b == 0 else a / b

    rows = []  # (what, measured text, goal text, met or None)

    def add_ratio(what, value, goal, unit="x"):
        if value is None:
            rows.append((what, "missing", f"<= {goal}{unit}", None))
        else:
            rows.append((what, f"{value:.2f}{unit}", f"<= {goal}{unit}", value <= goal))

    add_ratio("message send / virtual call", ratio("bench_dispatch", "BM_MessageSend", "BM_VirtualCall"), 2)
    add_ratio("message to nil / virtual call", ratio("bench_dispatch", "BM_MessageSendToNil", "BM_VirtualCall"), 1)
    add_ratio("post to 3 observers / virtual call", ratio("bench_dispatch", "BM_PostThreeObservers", "BM_VirtualCall"), 30)
    add_ratio("post, no observer / virtual call", ratio("bench_dispatch", "BM_PostNoObservers", "BM_VirtualCall"), 5)

    per_note = {}
    for n in (1, 10, 100, 1000, 10000):
        t = time("bench_road", f"BM_NotificationRoad/{n}")
        if t is not None:
            per_note[n] = t / n * 1e6
            add_ratio(f"road, {n} notifications (us each)", per_note[n], 83, " us")
        else:
            add_ratio(f"road, {n} notifications (us each)", None, 83, " us")
    if per_note:
        add_ratio("road, slowest / fastest per notification", max(per_note.values()) / min(per_note.values()), 1.5)

    for side in (180, 1024):
        sum_ratio = ratio("bench_uikit", f"BM_AverageColor/{side}", f"BM_PlainByteSum/{side}")
        if sum_ratio is None:
            rows.append((f"averageColor {side}: throughput vs plain loop", "missing", ">= 90%", None))
        else:
            share = 100 / sum_ratio
            rows.append((f"averageColor {side}: throughput vs plain loop", f"{share:.0f}%", ">= 90%" if side == 1024 else "(info)",
                         share >= 90 if side == 1024 else True))
    icon = time("bench_uikit", "BM_AverageColor/180")
    add_ratio("averageColor 180x180 (us)", None if icon is None else icon * 1e6, 5, " us")

    add_ratio("frame / memcpy of the frame", ratio("bench_render", "BM_RenderFrameReused", "BM_FrameMemcpy"), 2)
    add_ratio("frame, banner sliding / memcpy of the frame", ratio("bench_render", "BM_RenderFrameSliding", "BM_FrameMemcpy"), 0.5)
    add_ratio("frame, nothing changed / memcpy of the frame", ratio("bench_render", "BM_RenderFrameStill", "BM_FrameMemcpy"), 0.02)
    frame = time("bench_preview", "BM_PreviewFrame")
    add_ratio("preview frame, 780x1688 mid-slide (ms)", None if frame is None else frame * 1e3, 8.33, " ms")
    add_ratio("preview frame / copy of the picture", ratio("bench_preview", "BM_PreviewFrame", "BM_PreviewFrameCopy"), 4)
    add_ratio("check of 100 snapshots / drawing them", ratio("bench_check", "BM_HundredSnapshotsChecked", "BM_HundredSnapshotsRenderedOnly"), 1.5)
    first = time("bench_first_banner", "BM_FirstBanner")
    add_ratio("first banner of a fresh process, request to laid out (ms)", None if first is None else first * 1e3, 8.33, " ms")

    width = max(len(r[0]) for r in rows)
    print(f"{'what':<{width}}  {'measured':>12}  {'goal':>10}  met")
    for what, measured, goal, met in rows:
        print(f"{what:<{width}}  {measured:>12}  {goal:>10}  {'yes' if met else 'no' if met is False else '?'}")
    return 0 if all(r[3] for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
