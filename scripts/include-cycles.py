#!/usr/bin/env python3
"""Fails when source units include each other in a loop.

A unit is X.h with X.cpp beside it. Unit A depends on unit B when A.h or A.cpp has an
`#include "..."` line naming B.h. Units that depend on each other, directly or around a
longer loop, form a group; every group is an error, except the platform's own pairs in ALLOWED,
which mirror the system they simulate, and the groups in KNOWN, which were there when this check
was written and wait to be broken up. A known group that changed (a loop broken, or a unit
drawn in) is an error too, until the list says what is there now, so the list only shrinks.

    scripts/include-cycles.py [SRC]      # SRC defaults to the src folder beside this script
"""
import pathlib
import re
import sys

ALLOWED = [{"uikit/UIGraphics", "uikit/UIImage"}, {"uikit/UIScreen", "uikit/UIWindow"}]
# Groups of units that were in loops when this check was written, each still to be broken up by
# whoever works there next unless it says why it is there by design: a folder and the units in it.
KNOWN = [
    {f"{folder}/{unit}" for unit in units.split()}
    for folder, units in [
        # By design: the process registers the data classes, and the file manager among them works in
        # the current process's root.
        ("foundation", "FoundationDataClasses NSFileManager Process"),
        # An object names its class and a class is an object; make<T> (Object.h) finds its class in
        # the runtime.
        ("objc", "Associations Class Message Object Runtime"),
        # Mutual, as on the platform: a view owns its constraints and recognisers, which act on it;
        # its layout pass runs the solver.
        ("uikit", "LayoutEngine NSLayoutConstraint UIGestureRecognizer UIView"),
    ]
]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def units(src):
    """Unit name ("uikit/UIView") -> the files that make it."""
    out = {}
    for path in sorted(src.rglob("*")):
        if path.suffix in (".h", ".cpp"):
            out.setdefault(path.relative_to(src).with_suffix("").as_posix(), []).append(path)
    return out


def dependencies(src, made):
    graph = {}
    for unit, files in made.items():
        needs = set()
        for path in files:
            for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                for candidate in (src / name, path.parent / name):
                    if candidate.suffix == ".h" and candidate.is_file():
                        target = candidate.resolve().relative_to(src.resolve()).with_suffix("").as_posix()
                        if target != unit:
                            needs.add(target)
                        break
        graph[unit] = needs
    return graph


def loops(graph):
    """The strongly connected groups of more than one unit (Tarjan's algorithm, without recursion)."""
    index, low, on_stack, stack, found, counter = {}, {}, set(), [], [], 0
    for root in graph:
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph.get(child, ())))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = set()
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    group.add(member)
                    if member == node:
                        break
                if len(group) > 1:
                    found.append(group)
    return found


def path_around(graph, group):
    """One loop through the group, as "a -> b -> a", for a person to follow."""
    start = min(group)
    trail, seen = [start], {start}
    while True:
        nexts = sorted(n for n in graph[trail[-1]] if n in group)
        back = start if start in nexts else None
        if back and len(trail) > 1:
            return " -> ".join(trail + [start])
        step = next((n for n in nexts if n not in seen), None)
        if step is None:
            return " -> ".join(trail + [nexts[0]])
        trail.append(step)
        seen.add(step)


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent / "src")
    if not src.is_dir():
        print(f"include-cycles: {src}: not a folder", file=sys.stderr)
        return 2
    graph = dependencies(src, units(src))
    found = loops(graph)
    bad = [group for group in found if group not in ALLOWED and group not in KNOWN]
    gone = [group for group in KNOWN if group not in found]
    for group in bad:
        print(f"include-cycles: units include each other in a loop: {path_around(graph, group)} (the group: {' '.join(sorted(group))})", file=sys.stderr)
    for group in gone:
        print(f"include-cycles: the known group {' '.join(sorted(group))} is no longer there as listed: update KNOWN", file=sys.stderr)
    if bad or gone:
        return 1
    known = sum(group in KNOWN for group in found)
    print(f"include-cycles: {len(graph)} units; no loops but the platform's own pairs and {known} known ones")
    return 0


if __name__ == "__main__":
    sys.exit(main())
