#!/usr/bin/env python3
"""Mutation check of the test suite: applies each deliberate fault listed in
tests/mutants/*.txt, one at a time, rebuilds incrementally, runs the tests
and reports which faults no test noticed. A developer tool (make mutate), not
part of make test.

A list holds blocks separated by blank lines:
    # what the fault is (one line of realistic programmer error)
    file: src/json/json_parse.cpp
    find: the exact text of the line as it stands (must occur once; \\n joins lines)
    replace: the faulty text
Portable files (src/json without _com, the registrar script parser, rules
files and the Chromium runtime's portable folder) are
checked in the native tree first, then in the Windows tree; everything else
in the Windows tree only. The first failing test ends a mutant's run.
"""
import argparse
import glob
import os
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NATIVE = os.path.join(ROOT, "build", "native")
WIN64 = os.path.join(ROOT, "build", "win64")


def parse(path):
    mutants, block = [], {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f.read().split("\n") + [""], 1):
            if not line.strip():
                if block:
                    mutants.append(block)
                block = {}
                continue
            if line.startswith("#"):
                block.setdefault("note", line[1:].strip())
                block.setdefault("where", f"{os.path.relpath(path, ROOT)}:{number}")
                continue
            key, sep, value = line.partition(": ")
            if not sep or key not in ("file", "find", "replace"):
                sys.exit(f"{path}:{number}: expected 'file: ', 'find: ' or 'replace: '")
            block[key] = value.replace("\\n", "\n")
            block.setdefault("where", f"{os.path.relpath(path, ROOT)}:{number}")
    for m in mutants:
        missing = [k for k in ("note", "file", "find", "replace") if k not in m]
        if missing:
            sys.exit(f"{m['where']}: missing {', '.join(missing)}")
    return mutants


def portable(file):
    name = os.path.basename(file)
    return ((file.startswith("src/json/") and "_com" not in name) or name == "registrar_script.cpp"
            or "/portable/" in file or name.endswith("_rules.cpp"))


def run(cmd, cwd, log, timeout):
    try:
        r = subprocess.run(cmd, cwd=cwd, stdout=log, stderr=subprocess.STDOUT, timeout=timeout)
        return r.returncode == 0
    except subprocess.TimeoutExpired:
        return False


def caught(m, log, jobs):
    """'build' when the mutant does not compile, a test name when a test failed, None when it survived."""
    trees = ([NATIVE] if portable(m["file"]) else []) + [WIN64]
    for tree in trees:
        # Natively only the core's tests: fuzz targets and benchmarks add nothing here.
        target = ["--target", "core_tests"] if tree == NATIVE else []
        if not run(["cmake", "--build", tree, "-j", str(jobs)] + target, ROOT, log, 900):
            return "build"
        # Windows tests need a prefix where the DLL was never registered.
        if tree == WIN64:
            run(["make", "-s", "fresh-prefix"], ROOT, log, 120)
            run(["wine", "cmd", "/c", "exit"], ROOT, log, 120)
        failed = os.path.join(tree, "Testing", "Temporary", "LastTestsFailed.log")
        if os.path.exists(failed):
            os.remove(failed)   # ctest leaves the last failing run's list behind
        ok = run(["ctest", "--stop-on-failure", "--timeout", "120", "-Q", "--output-log", log.name + ".ctest"],
                 tree, log, 1800)
        if not ok:
            name = open(failed).read().split(":")[-1].strip() if os.path.exists(failed) else "a test"
            return f"{os.path.basename(tree)}/{name}"
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--filter", default="", help="only mutants whose file, note or list file contains this text")
    ap.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    args = ap.parse_args()
    # Ended from outside: unwind, so the file being mutated is restored.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("mutate: stopped"))
    os.environ.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "wine-test"))
    os.environ.setdefault("WINEDEBUG", "-all")

    mutants = [m for f in sorted(glob.glob(os.path.join(ROOT, "tests", "mutants", "*.txt"))) for m in parse(f)]
    mutants = [m for m in mutants if any(args.filter in m[k] for k in ("file", "note", "where"))]
    for m in mutants:
        text = open(os.path.join(ROOT, m["file"]), encoding="utf-8").read()
        if text.count(m["find"]) != 1:
            sys.exit(f"{m['where']}: 'find' occurs {text.count(m['find'])} times in {m['file']}")

    log_path = os.path.join(ROOT, "build", "mutate.log")
    survivors, broken, start = [], [], time.time()
    with open(log_path, "w") as log:
        for i, m in enumerate(mutants, 1):
            path = os.path.join(ROOT, m["file"])
            original = open(path, encoding="utf-8").read()
            log.write(f"\n==== {m['where']} {m['note']}\n")
            log.flush()
            try:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original.replace(m["find"], m["replace"], 1))
                verdict = caught(m, log, args.jobs)
            finally:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
            state = "SURVIVED" if verdict is None else "DOES NOT BUILD" if verdict == "build" else "caught by " + verdict
            print(f"[{i}/{len(mutants)}] {state}: {m['file']}: {m['note']}", flush=True)
            if verdict is None:
                survivors.append(m)
            elif verdict == "build":
                broken.append(m)
    # Leave both trees built from the unmodified sources.
    with open(log_path, "a") as log:
        for tree in (NATIVE, WIN64):
            run(["cmake", "--build", tree, "-j", str(args.jobs)], ROOT, log, 900)
    total = len(mutants) - len(broken)
    score = 100.0 * (total - len(survivors)) / total if total else 0.0
    print(f"\nmutate: {total - len(survivors)} of {total} faults caught ({score:.0f} %) "
          f"in {time.time() - start:.0f} s; log in {os.path.relpath(log_path, ROOT)}")
    for m in survivors:
        print(f"  survived: {m['where']}: {m['file']}: {m['note']}")
    for m in broken:
        print(f"  does not build (not counted; fix the list): {m['where']}")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
