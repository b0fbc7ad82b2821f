#!/usr/bin/env python3
"""Measures VyrSyn against reading the same files, and checks the targets.

    bench/benchmark.py VYRSYN RUNSTAT [--sizes 300,100000,1000000] [--repeat 7] [--runs 1000] [--work DIR]

VYRSYN is a Release build of the program with its syntax.dat beside it, RUNSTAT the
launcher that times each run (bench/runstat.cpp); bench/run.sh builds both and calls
this. For each size the generator writes a realistic orders file; for the two large
sizes it also makes the checker's own annotated output of that many lines (a file of
faulty orders checked once, so that about half of its lines are check lines that the
next run deletes). Each file is timed with VyrSyn (output to /dev/null and to a new
file), `cat FILE >/dev/null` and `wc -l FILE`, best of --repeat runs, with the peak
resident memory of each run. Then --runs runs of VyrSyn on the smallest file are timed
against as many runs of `cat` on it, from one shell loop each. Prints Markdown tables
and one line per target; exits 1 when a target is missed.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


RUNSTAT = None  # the launcher built beside VyrSyn: bench/runstat.cpp


def run_once(argv, stdout_path="/dev/null"):
    """Wall seconds and peak resident kilobytes of one run, measured by runstat."""
    done = subprocess.run([RUNSTAT, stdout_path] + argv, stdout=subprocess.PIPE, text=True)
    if done.returncode != 0:
        sys.exit("benchmark: %s failed with status %d" % (" ".join(argv), done.returncode))
    wall, peak, cpu = done.stdout.split()
    return float(wall), int(peak), float(cpu)


def best_of(repeat, make_argv, cpu=None):
    """Best wall time and the peak memory of the runs; the best CPU time goes to cpu[0]."""
    times, peaks, cpus = [], [], []
    for _ in range(repeat):
        wall, peak, seconds = run_once(make_argv())
        times.append(wall)
        peaks.append(peak)
        cpus.append(seconds)
    if cpu is not None:
        cpu.append(min(cpus))
    return min(times), max(peaks)


def which(program):
    found = shutil.which(program)
    if found is None:
        sys.exit("benchmark: %s not found" % program)
    return found


def count_lines(path):
    with open(path, "rb") as f:
        return sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))


def generate(work, lines, annotated, vyrsyn):
    """The orders file of `lines` lines, or the checker's annotated output of about that many."""
    name = os.path.join(work, "%s-%d.txt" % ("annotated" if annotated else "orders", lines))
    generator = [sys.executable, os.path.join(HERE, "generate_orders.py")]
    if not annotated:
        with open(name, "w") as out:
            subprocess.run(generator + [str(lines)], stdout=out, check=True)
        return name
    faulty = name + ".in"
    with open(faulty, "w") as out:
        subprocess.run(generator + [str(lines // 2), "--faults", "1", "--old-checks", "0", "--seed", "2"],
                       stdout=out, check=True)
    with open(name, "w") as out:
        subprocess.run([vyrsyn, "1", faulty], stdout=out, stderr=subprocess.DEVNULL, check=True)
    os.remove(faulty)
    return name


def measure(path, vyrsyn, repeat, work):
    lines = count_lines(path)
    size = os.path.getsize(path)
    row = {"file": os.path.basename(path), "lines": lines, "bytes": size}
    cpu = []
    row["vyrsyn"], row["vyrsyn_rss"] = best_of(repeat, lambda: [vyrsyn, "1", path], cpu)
    row["vyrsyn_cpu"] = cpu[0]
    counter = [0]

    def to_new_file():
        counter[0] += 1
        target = os.path.join(work, "checked-%d.txt" % counter[0])
        if os.path.exists(target):
            os.remove(target)
        return [vyrsyn, "1", path, target]

    row["vyrsyn_file"], row["vyrsyn_file_rss"] = best_of(repeat, to_new_file)
    for n in range(1, counter[0] + 1):
        os.remove(os.path.join(work, "checked-%d.txt" % n))
    row["cat"], row["cat_rss"] = best_of(repeat, lambda: [which("cat"), path])
    row["wc"], row["wc_rss"] = best_of(repeat, lambda: [which("wc"), "-l", path])
    return row


def batch(vyrsyn, path, runs):
    """Seconds for `runs` runs of VyrSyn and of cat on the file, each from one shell loop."""
    loop = 'for ((i = 0; i < %d; ++i)); do "$0" "$@" >/dev/null 2>&1 </dev/null; done' % runs
    results = {}
    for name, argv in (("vyrsyn", [vyrsyn, "1", path]), ("cat", [which("cat"), path])):
        best = None
        for _ in range(3):
            start = time.perf_counter()
            subprocess.run(["bash", "-c", loop] + argv, check=True)
            elapsed = time.perf_counter() - start
            best = elapsed if best is None else min(best, elapsed)
        results[name] = best
    return results


def ms(seconds):
    return "%.1f ms" % (seconds * 1000) if seconds < 10 else "%.2f s" % seconds


def report(rows, batch_result, runs):
    print("| file | lines | size | VyrSyn | (CPU) | lines/s | peak RSS | RSS / size | VyrSyn to file | RSS | cat "
          "| wc -l | VyrSyn / cat | VyrSyn / wc |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        print("| %s | %d | %.1f MB | %s | %s | %.2f M | %.1f MB | %.1fx | %s | %.1f MB | %s | %s | %.1fx | %.1fx |" % (
            r["file"], r["lines"], r["bytes"] / 1e6, ms(r["vyrsyn"]), ms(r["vyrsyn_cpu"]), r["lines"] / r["vyrsyn"] / 1e6,
            r["vyrsyn_rss"] / 1024, r["vyrsyn_rss"] * 1024 / r["bytes"], ms(r["vyrsyn_file"]),
            r["vyrsyn_file_rss"] / 1024, ms(r["cat"]), ms(r["wc"]), r["vyrsyn"] / r["cat"], r["vyrsyn"] / r["wc"]))
    print()
    print("| %d runs on the %d-line file | time | per run |" % (runs, rows[0]["lines"]))
    print("|---|---:|---:|")
    for name in ("vyrsyn", "cat"):
        print("| %s | %s | %.2f ms |" % ("VyrSyn" if name == "vyrsyn" else "cat", ms(batch_result[name]),
                                         batch_result[name] / runs * 1000))
    print("| ratio | %.2fx | |" % (batch_result["vyrsyn"] / batch_result["cat"]))
    print()


def check_targets(rows, batch_result):
    by_name = {r["file"]: r for r in rows}
    checks = []
    largest = max((r for r in rows if r["file"].startswith("orders")), key=lambda r: r["lines"])
    checks.append(("%d-line file at >= 2,000,000 lines/s" % largest["lines"],
                   largest["lines"] / largest["vyrsyn"], ">=", 2e6))
    for key in ("vyrsyn_rss", "vyrsyn_file_rss"):
        checks.append(("peak RSS <= 8 x file size (%s)" % ("to /dev/null" if key == "vyrsyn_rss" else "to a file"),
                       largest[key] * 1024 / largest["bytes"], "<=", 8))
    for kind in ("orders", "annotated"):
        small = by_name.get("%s-100000.txt" % kind)
        large = by_name.get("%s-1000000.txt" % kind)
        if small and large:
            checks.append(("1,000,000-line time <= 11 x 100,000-line time (%s)" % kind,
                           large["vyrsyn"] / small["vyrsyn"], "<=", 11))
    checks.append(("batch: VyrSyn runs <= 2 x cat runs", batch_result["vyrsyn"] / batch_result["cat"], "<=", 2))
    checks.insert(1, ("(the same from CPU time, not a target) %d lines" % largest["lines"],
                      largest["lines"] / largest["vyrsyn_cpu"], "info", 2e6))
    missed = 0
    for text, value, op, limit in checks:
        if op == "info":
            print("     %s: %.2f lines/s" % (text, value))
            continue
        ok = value >= limit if op == ">=" else value <= limit
        missed += not ok
        print("%-4s %s: %.2f" % ("PASS" if ok else "MISS", text, value))
    return missed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("vyrsyn")
    parser.add_argument("runstat", help="the launcher that times each run (bench/runstat.cpp)")
    parser.add_argument("--sizes", default="300,100000,1000000")
    parser.add_argument("--repeat", type=int, default=7)
    parser.add_argument("--runs", type=int, default=1000)
    parser.add_argument("--work", help="directory for the generated files (default: a temporary one)")
    args = parser.parse_args()
    vyrsyn = os.path.abspath(args.vyrsyn)
    global RUNSTAT
    RUNSTAT = os.path.abspath(args.runstat)
    sizes = [int(s) for s in args.sizes.split(",")]
    with tempfile.TemporaryDirectory(prefix="vyrsyn-bench.") as temporary:
        work = args.work or temporary
        os.makedirs(work, exist_ok=True)
        files = [generate(work, n, False, vyrsyn) for n in sizes]
        files += [generate(work, n, True, vyrsyn) for n in sizes if n >= 100000]
        rows = [measure(path, vyrsyn, args.repeat, work) for path in files]
        batch_result = batch(vyrsyn, files[0], args.runs)
    report(rows, batch_result, args.runs)
    sys.exit(1 if check_targets(rows, batch_result) else 0)


if __name__ == "__main__":
    main()
