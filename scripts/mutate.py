#!/usr/bin/env python3
"""Measures how many small faults a folder's tests catch (mutation testing).

usage: mutate.py FOLDER [--target TEST] [--sample N] [--seed S] [--match REGEX]
                        [--timeout SECONDS] [--build-dir DIR] [--json FILE] [--which-tests] [--list]

For each site in FOLDER's sources (a comparison flipped, a numeric constant changed by one, a
statement dropped, && and || swapped, a condition negated, true and false turned) the script puts
that one fault in, rebuilds the folder's test program (test_<folder name> unless --target says
otherwise), runs it, and puts the source back. A fault is caught when the tests fail or hang
(stopped after --timeout seconds); faults that do not compile are counted apart. The list of
sites is the same on every run of the same tree, and --sample N --seed S picks the same N of them,
so a run before a change to the tests and one after measure the same faults.

It builds in its own directory (build-mutation: Debug, -O0, no unity batches, so a fault rebuilds
one object), refuses to start while FOLDER has uncommitted changes, and restores the source file
after each fault, on Ctrl-C, and on the next start if the script itself was killed.

The text report goes to standard output, progress to standard error, and the JSON report to
--json (default BUILD_DIR/mutation-FOLDERNAME.json).
"""
import argparse
import atexit
import json
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCE_SUFFIXES = {".cpp", ".h"}

# ---- Sites --------------------------------------------------------------------------------------

COMPARISONS = {"==": "!=", "!=": "==", "<": "<=", "<=": "<", ">": ">=", ">=": ">"}
# Binary comparisons are written with a space on each side (clang-format), which keeps template
# brackets, arrows and shifts out.
COMPARISON_RE = re.compile(r"(?<= )(==|!=|<=|>=|<|>)(?= )")
LOGICAL_RE = re.compile(r"(?<= )(&&|\|\|)(?= )")
BOOL_RE = re.compile(r"\b(true|false)\b")
NUMBER_RE = re.compile(r"(?<![\w.])(\d+\.\d*|\d*\.\d+|\d+)([fF]|[uU]?[lL]{0,2})?(?![\w.])")
# "Type name = ...;", "Type name(...);": removing a declaration only breaks the build.
DECLARATION_RE = re.compile(r"^((const|static|constexpr|auto|unsigned)\s+)*[A-Za-z_][\w:]*(<[^;]*>)?[\s*&]+[A-Za-z_]\w*\s*(=|\(|\{|;|\[|,)")
CONDITION_RE = re.compile(r"\b(if|while) \(")
# Lines whose removal cannot be a behaviour fault or can never compile.
UNDROPPABLE_RE = re.compile(r"^(return\b|break;|continue;|case\b|default:|using\b|namespace\b|template\b|"
                            r"typedef\b|struct\b|class\b|enum\b|public:|private:|protected:|static_assert\b|"
                            r"friend\b|#|\}|\{)")


def blank_literals_and_comments(lines):
    """Returns the lines with string and character literals and comments replaced by spaces, so
    that sites are only found in code; columns stay where they were."""
    out = []
    in_block = False
    for line in lines:
        chars = list(line)
        i = 0
        while i < len(chars):
            if in_block:
                if line.startswith("*/", i):
                    chars[i] = chars[i + 1] = " "
                    in_block = False
                    i += 2
                    continue
                chars[i] = " "
                i += 1
                continue
            if line.startswith("//", i):
                for j in range(i, len(chars)):
                    chars[j] = " "
                break
            if line.startswith("/*", i):
                chars[i] = chars[i + 1] = " "
                in_block = True
                i += 2
                continue
            if chars[i] in "\"'":
                # A digit separator (1'000) is not a character literal.
                if chars[i] == "'" and i > 0 and line[i - 1].isalnum():
                    i += 1
                    continue
                quote = chars[i]
                j = i + 1
                while j < len(chars) and chars[j] != quote:
                    j += 2 if chars[j] == "\\" else 1
                for k in range(i + 1, min(j, len(chars))):
                    chars[k] = " "
                i = j + 1
                continue
            i += 1
        out.append("".join(chars))
    return out


def matching_paren(text, open_index):
    depth = 0
    for i in range(open_index, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def function_body_lines(code):
    """Marks the lines that start inside a function body (or a block within one), as opposed to a
    namespace, a class, an enumeration or a braced initialiser, where a line ending in ';' is a
    declaration rather than a statement."""
    inside = []
    stack = []
    head = ""
    for line in code:
        inside.append(bool(stack) and stack[-1])
        for ch in line:
            if ch == "{":
                words = head.strip()
                declaration = re.search(r"\b(namespace|class|struct|union|enum)\b", words) and ")" not in words
                initialiser = words.endswith(("=", ",", "(", "{", "return")) or not words
                function = words.endswith((")", "const", "override", "noexcept", "else", "do", "mutable")) or \
                    re.search(r"\)\s*(const|noexcept|override|->.*)?\s*$", words)
                inner = bool(stack) and stack[-1]
                stack.append(bool((function or inner) and not declaration and not initialiser))
                head = ""
            elif ch == "}":
                if stack:
                    stack.pop()
                head = ""
            elif ch == ";":
                head = ""
            else:
                head += ch
        head += " "
    return inside


def bumped(literal, suffix):
    if "." in literal:
        digits = len(literal.split(".")[1])
        value = float(literal or 0) + 1.0
        return f"{value:.{max(digits, 1)}f}" + (suffix or "")
    return str(int(literal) + 1) + (suffix or "")


def sites_in_file(path, rel):
    """Every fault this script can put into one file, in a fixed order."""
    text = path.read_text(encoding="utf-8")
    lines = text.split("\n")
    code = blank_literals_and_comments(lines)
    sites = []

    def add(number, column, kind, original, replacement):
        sites.append({"file": rel, "line": number + 1, "column": column + 1, "kind": kind,
                      "original": original, "replacement": replacement})

    in_function = function_body_lines(code)
    for number, line in enumerate(code):
        stripped = line.strip()
        if not stripped or stripped.startswith("#") or "static_assert" in line:
            continue
        for m in COMPARISON_RE.finditer(line):
            add(number, m.start(), "comparison", m.group(1), COMPARISONS[m.group(1)])
        for m in LOGICAL_RE.finditer(line):
            add(number, m.start(), "logical", m.group(1), "||" if m.group(1) == "&&" else "&&")
        for m in BOOL_RE.finditer(line):
            add(number, m.start(), "boolean", m.group(1), "false" if m.group(1) == "true" else "true")
        for m in NUMBER_RE.finditer(line):
            # Array bounds, bit widths and template arguments make mostly uncompilable noise;
            # a constant in an expression or an initialiser is what a fault would touch.
            if line[max(0, m.start() - 1)] in "[<":
                continue
            add(number, m.start(), "constant", m.group(0), bumped(m.group(1), m.group(2)))
        for m in CONDITION_RE.finditer(line):
            open_index = m.end() - 1
            close = matching_paren(line, open_index)
            if close > open_index + 1:
                condition = lines[number][open_index + 1:close]
                add(number, open_index + 1, "negation", condition, f"!({condition})")
        # A whole statement on one line, following a finished statement or an opened block.
        previous = next((code[k].strip() for k in range(number - 1, -1, -1) if code[k].strip()), "")
        if (stripped.endswith(";") and not UNDROPPABLE_RE.match(stripped) and not DECLARATION_RE.match(stripped) and line.count("(") == line.count(")")
                and previous.endswith((";", "{", "}")) and in_function[number]):
            body = lines[number].strip()
            add(number, len(line) - len(line.lstrip()), "statement", body, ";")
    return sites


def listing(site):
    return f"{site['file']}:{site['line']}:{site['column']}: {site['kind']}: {site['original']}  ->  {site['replacement']}"


def all_sites(folder):
    files = sorted(p for p in (ROOT / folder).rglob("*") if p.suffix in SOURCE_SUFFIXES)
    sites = []
    for path in files:
        sites.extend(sites_in_file(path, str(path.relative_to(ROOT))))
    for index, site in enumerate(sites):
        site["id"] = index + 1
    return sites


def apply(text, site):
    lines = text.split("\n")
    line = lines[site["line"] - 1]
    start = site["column"] - 1
    end = start + len(site["original"])
    if line[start:end] != site["original"]:
        raise RuntimeError(f"{site['file']}:{site['line']}: the site moved; is the tree the one listed?")
    lines[site["line"] - 1] = line[:start] + site["replacement"] + line[end:]
    return "\n".join(lines)


# ---- Keeping the tree whole ----------------------------------------------------------------------


class Restorer:
    """Holds the one source file that carries a fault, with its original text on disk as well, so
    that it is put back on return, on an exception, on Ctrl-C or SIGTERM, and on the next start if
    this process was killed outright."""

    def __init__(self, build_dir):
        self.backup = build_dir / "mutation-backup.json"
        self.path = None
        self.original = None
        atexit.register(self.restore)
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            signal.signal(sig, self._on_signal)

    def _on_signal(self, signum, _frame):
        self.restore()
        print(f"\nmutate: stopped by signal {signum}; sources restored", file=sys.stderr)
        os._exit(128 + signum)

    def recover(self):
        if not self.backup.exists():
            return
        saved = json.loads(self.backup.read_text(encoding="utf-8"))
        Path(saved["path"]).write_text(saved["text"], encoding="utf-8")
        self.backup.unlink()
        print(f"mutate: restored {saved['path']} left with a fault by an earlier run", file=sys.stderr)

    def hold(self, path):
        self.path = path
        self.original = path.read_text(encoding="utf-8")
        self.backup.write_text(json.dumps({"path": str(path), "text": self.original}), encoding="utf-8")

    def restore(self):
        if self.path is None:
            return
        # Writing the same text again would still change the time stamp; that costs one rebuild
        # of the object, which ccache answers.
        self.path.write_text(self.original, encoding="utf-8")
        self.path = None
        self.original = None
        self.backup.unlink(missing_ok=True)


def uncommitted(folder):
    result = subprocess.run(["git", "status", "--porcelain", "--", folder], cwd=ROOT, capture_output=True,
                            text=True, check=False)
    if result.returncode != 0:
        sys.exit(f"mutate: git status failed: {result.stderr.strip()}")
    return result.stdout.strip()


# ---- Building and running --------------------------------------------------------------------------


def configure(build_dir):
    if (build_dir / "build.ninja").exists():
        return
    print(f"mutate: configuring {build_dir} (Debug, -O0, no unity batches)", file=sys.stderr)
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build_dir), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                    "-DCMAKE_CXX_FLAGS_DEBUG=-O0", "-DZOVO_UNITY=OFF", "-DZOVO_BENCH=OFF", "-DZOVO_WERROR=OFF"],
                   check=True, stdout=subprocess.DEVNULL)


def build(build_dir, target, jobs):
    result = subprocess.run(["ninja", "-C", str(build_dir), f"-j{jobs}", target], capture_output=True, text=True,
                            check=False)
    return result.returncode == 0, result.stdout[-4000:]


def run_tests(build_dir, target, timeout, which=False):
    """Returns 'passed', 'failed' or 'timeout', and the names of the tests that failed when
    `which` asks for them (the whole program runs then, rather than stopping at the first)."""
    binary = build_dir / "bin" / target
    try:
        result = subprocess.run([str(binary), "--gtest_brief=1"] + ([] if which else ["--gtest_fail_fast"]),
                                cwd=build_dir, capture_output=True, text=True, errors="replace", timeout=timeout,
                                check=False, start_new_session=True)
    except subprocess.TimeoutExpired:
        return "timeout", []
    failed = sorted(set(re.findall(r"^\[  FAILED  \] (\S+\.\S+?)(?:,| \(|$)", result.stdout, re.M)))
    return ("passed" if result.returncode == 0 else "failed"), failed


# ---- Report ---------------------------------------------------------------------------------------


def summary(folder, results, seconds, sample, seed, total_sites):
    compiled = [r for r in results if r["outcome"] != "not compiled"]
    caught = [r for r in compiled if r["outcome"] in ("caught", "timeout")]
    survivors = [r for r in compiled if r["outcome"] == "survived"]
    return {
        "folder": folder,
        "sites": total_sites,
        "sample": sample,
        "seed": seed,
        "tried": len(results),
        "compiled": len(compiled),
        "not_compiled": len(results) - len(compiled),
        "caught": len(caught),
        "timeouts": sum(1 for r in results if r["outcome"] == "timeout"),
        "score": round(len(caught) / len(compiled), 4) if compiled else None,
        "seconds": round(seconds, 1),
        "survivors": [{k: r[k] for k in ("file", "line", "column", "kind", "original", "replacement")} for r in survivors],
        "results": results,
    }


def test_tally(results, names):
    """For each test: how many faults it caught, and how many no other test caught."""
    tally = {name: {"caught": 0, "alone": 0} for name in names}
    for r in results:
        failed = r.get("failed_tests", [])
        for name in failed:
            tally.setdefault(name, {"caught": 0, "alone": 0})["caught"] += 1
        if len(failed) == 1:
            tally[failed[0]]["alone"] += 1
    return tally


def list_tests(build_dir, target):
    result = subprocess.run([str(build_dir / "bin" / target), "--gtest_list_tests"], capture_output=True, text=True,
                            check=False)
    names, suite = [], ""
    for line in result.stdout.splitlines():
        if not line.startswith(" ") and line.endswith("."):
            suite = line
        elif line.startswith("  ") and suite:
            names.append(suite + line.split()[0])
    return names


def text_report(report):
    lines = [f"{report['folder']}: caught {report['caught']} of the {report['compiled']} faults that compiled"
             + (f" ({100 * report['score']:.1f}%)" if report["score"] is not None else ""),
             f"  {report['not_compiled']} did not compile; {report['timeouts']} hung and were stopped (counted caught);"
             f" {report['tried']} tried of {report['sites']} sites"
             + (f" (sample {report['sample']}, seed {report['seed']})" if report["sample"] else "")
             + f"; {report['seconds']:.0f} s"]
    if report["survivors"]:
        lines.append("  survivors:")
        for s in report["survivors"]:
            lines.append("    " + listing(s))
    if "tests" in report:
        idle = sorted(name for name, t in report["tests"].items() if t["caught"] == 0)
        alone = sorted((name, t["alone"]) for name, t in report["tests"].items() if t["alone"])
        lines.append(f"  tests that caught none of these faults: {', '.join(idle) or 'none'}")
        lines.append("  tests that alone caught some: " + (", ".join(f"{n} ({k})" for n, k in alone) or "none"))
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", help="source folder, e.g. src/tweak")
    parser.add_argument("--target", help="test program to build and run (default test_<folder name>)")
    parser.add_argument("--sample", type=int, default=0, help="try N sites chosen by --seed (0: every site)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--timeout", type=float, default=0,
                        help="seconds a test run may take (default: ten times the clean run, at least 20)")
    parser.add_argument("--build-dir", default="build-mutation")
    parser.add_argument("--jobs", type=int, default=2, help="parallel compile jobs")
    parser.add_argument("--json", help="JSON report path")
    parser.add_argument("--match", help="only the sites whose listing line contains this regular expression")
    parser.add_argument("--which-tests", action="store_true",
                        help="run every test for each fault and record which failed (slower; shows which tests earn their lines)")
    parser.add_argument("--list", action="store_true", help="print the chosen sites and stop")
    args = parser.parse_args()

    folder = args.folder.rstrip("/")
    if not (ROOT / folder).is_dir():
        sys.exit(f"mutate: {folder}: no such folder under {ROOT}")
    target = args.target or f"test_{Path(folder).name}"
    build_dir = (ROOT / args.build_dir).resolve()

    sites = all_sites(folder)
    chosen = sites
    if args.match:
        try:
            pattern = re.compile(args.match)
        except re.error as error:
            sys.exit(f"mutate: --match {args.match!r}: {error}")
        chosen = [s for s in sites if pattern.search(listing(s))]
    if args.sample and args.sample < len(chosen):
        chosen = sorted(random.Random(args.seed).sample(chosen, min(args.sample, len(chosen))), key=lambda s: s["id"])
    if args.list:
        for s in chosen:
            print(listing(s))
        print(f"{len(chosen)} of {len(sites)} sites", file=sys.stderr)
        return 0

    build_dir.mkdir(parents=True, exist_ok=True)
    restorer = Restorer(build_dir)
    restorer.recover()
    if dirty := uncommitted(folder):
        sys.exit(f"mutate: {folder} has uncommitted changes; commit or stash them first:\n{dirty}")

    configure(build_dir)
    print(f"mutate: building {target} once without faults", file=sys.stderr)
    ok, log = build(build_dir, target, args.jobs)
    if not ok:
        sys.exit(f"mutate: {target} does not build without faults:\n{log}")
    started = time.monotonic()
    if run_tests(build_dir, target, timeout=600)[0] != "passed":
        sys.exit(f"mutate: {target} fails without faults; fix the tests first")
    clean_seconds = time.monotonic() - started
    timeout = args.timeout or max(20.0, 10 * clean_seconds)

    results = []
    began = time.monotonic()
    for index, site in enumerate(chosen, 1):
        path = ROOT / site["file"]
        mutant_began = time.monotonic()
        restorer.hold(path)
        try:
            path.write_text(apply(restorer.original, site), encoding="utf-8")
            compiled, _ = build(build_dir, target, args.jobs)
            failed = []
            if not compiled:
                outcome = "not compiled"
            else:
                result, failed = run_tests(build_dir, target, timeout, args.which_tests)
                outcome = {"failed": "caught", "timeout": "timeout", "passed": "survived"}[result]
        finally:
            restorer.restore()
        results.append(dict(site, outcome=outcome, **({"failed_tests": failed} if args.which_tests else {})))
        print(f"[{index}/{len(chosen)}] {listing(site)}: {outcome} ({time.monotonic() - mutant_began:.1f} s)",
              file=sys.stderr)

    # The last restore changed a time stamp; rebuild so the directory holds the clean program.
    build(build_dir, target, args.jobs)
    report = summary(folder, results, time.monotonic() - began, args.sample, args.seed, len(sites))
    if args.which_tests:
        report["tests"] = test_tally(results, list_tests(build_dir, target))
    json_path = Path(args.json) if args.json else build_dir / f"mutation-{Path(folder).name}.json"
    json_path.write_text(json.dumps(report, indent=2) + "\n", encoding="utf-8")
    print(text_report(report))
    print(f"mutate: JSON report in {json_path}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
