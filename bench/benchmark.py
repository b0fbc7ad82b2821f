#!/usr/bin/env python3
"""Measures VyrSyn against reading the same files and against the least work a
checker must do, and checks the targets.

    bench/benchmark.py VYRSYN RUNSTAT [--floor FLOOR] [--vyrcheck VYRCHECK]
                       [--sizes 300,100000,1000000] [--repeat 7] [--runs 1000] [--batch-files 1000]
                       [--work DIR]

VYRSYN is a Release build of the program with its syntax.dat beside it, RUNSTAT the
launcher that times each run (bench/runstat.cpp), FLOOR the yardstick (bench/floor.cpp:
read, cut into fields, look the command up, write back indented) and VYRCHECK the batch
front-end; bench/run.sh builds them all and calls this. For each size the generator
writes a realistic orders file; for the two large sizes it also makes the checker's own
annotated output of that many lines (a file of faulty orders checked once, so that about
half of its lines are check lines that the next run deletes). Each file is timed with
VyrSyn (output to /dev/null and to a new file), the floor, `cat FILE >/dev/null` and
`wc -l FILE`, best of --repeat runs, with the peak resident memory of each run. Then
--runs runs of VyrSyn on the smallest file are timed against as many runs of `cat` on
it, from one shell loop each, and one vyrcheck run over --batch-files copies of the
smallest file against VyrSyn's time per line on the largest. Prints Markdown tables and
one line per target; exits 1 when a target is missed.
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


def run_once(argv, stdout_path="/dev/null", statuses=(0,)):
    """Wall seconds, peak resident kilobytes and CPU seconds of one run, measured by runstat."""
    done = subprocess.run([RUNSTAT, stdout_path] + argv, stdout=subprocess.PIPE, text=True)
    if done.returncode not in statuses:
        sys.exit("benchmark: %s failed with status %d" % (" ".join(argv), done.returncode))
    wall, peak, cpu = done.stdout.split()
    return float(wall), int(peak), float(cpu)


def best_of(repeat, make_argv, cpu=None, statuses=(0,)):
    """Best wall time and the peak memory of the runs; the best CPU time goes to cpu[0]."""
    times, peaks, cpus = [], [], []
    for _ in range(repeat):
        wall, peak, seconds = run_once(make_argv(), statuses=statuses)
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


def measure(path, vyrsyn, floor, repeat, work):
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
    cpu = []
    row["floor"], row["floor_rss"] = best_of(repeat, lambda: [floor, path], cpu)
    row["floor_cpu"] = cpu[0]
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


def vyrcheck_batch(vyrcheck, path, files, work, repeat):
    """Best seconds (wall and CPU) of one vyrcheck run over `files` copies of the file."""
    folder = os.path.join(work, "batch")
    os.makedirs(folder, exist_ok=True)
    names = []
    for n in range(1, files + 1):
        name = os.path.join(folder, "player%d.txt" % n)
        shutil.copyfile(path, name)
        names.append(name)
    cpu = []
    # vyrcheck answers 1 or 2 when it found warnings or errors in the orders.
    wall, _ = best_of(repeat, lambda: [vyrcheck, "--game", "1", "--quiet"] + names, cpu, statuses=(0, 1, 2))
    shutil.rmtree(folder)
    return wall, cpu[0]


def ms(seconds):
    return "%.1f ms" % (seconds * 1000) if seconds < 10 else "%.2f s" % seconds


def report(rows, batch_result, runs, check_batch):
    print("| file | lines | size | VyrSyn | (CPU) | lines/s | peak RSS | RSS / size | VyrSyn to file | RSS "
          "| RSS / size | floor | (CPU) | floor RSS | VyrSyn / floor | cat | wc -l |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for r in rows:
        print("| %s | %d | %.1f MB | %s | %s | %.2f M | %.1f MB | %.2fx | %s | %.1f MB | %.2fx | %s | %s | %.1f MB "
              "| %.2fx | %s | %s |" % (
                  r["file"], r["lines"], r["bytes"] / 1e6, ms(r["vyrsyn"]), ms(r["vyrsyn_cpu"]),
                  r["lines"] / r["vyrsyn"] / 1e6, r["vyrsyn_rss"] / 1024, r["vyrsyn_rss"] * 1024 / r["bytes"],
                  ms(r["vyrsyn_file"]), r["vyrsyn_file_rss"] / 1024, r["vyrsyn_file_rss"] * 1024 / r["bytes"],
                  ms(r["floor"]), ms(r["floor_cpu"]), r["floor_rss"] / 1024, r["vyrsyn"] / r["floor"], ms(r["cat"]),
                  ms(r["wc"])))
    print()
    if check_batch is not None:
        files, lines, wall, cpu = check_batch
        print("| vyrcheck over %d files of %d lines | time | (CPU) | per line |" % (files, lines))
        print("|---|---:|---:|---:|")
        print("| one run | %s | %s | %.0f ns |" % (ms(wall), ms(cpu), wall / (files * lines) * 1e9))
        print()
    print("| %d runs on the %d-line file | time | per run |" % (runs, rows[0]["lines"]))
    print("|---|---:|---:|")
    for name in ("vyrsyn", "cat"):
        print("| %s | %s | %.2f ms |" % ("VyrSyn" if name == "vyrsyn" else "cat", ms(batch_result[name]),
                                         batch_result[name] / runs * 1000))
    print("| ratio | %.2fx | |" % (batch_result["vyrsyn"] / batch_result["cat"]))
    print()


def check_targets(rows, batch_result, check_batch):
    """One PASS or MISS line per target, judged on wall times; a time target also shows
    the same figure from CPU times, which a loaded machine disturbs far less."""
    by_name = {r["file"]: r for r in rows}
    checks = []  # (text, value, op, limit, value from CPU times or None)
    largest = max((r for r in rows if r["file"].startswith("orders")), key=lambda r: r["lines"])
    checks.append(("%d-line file at >= 8,000,000 lines/s" % largest["lines"],
                   largest["lines"] / largest["vyrsyn"], ">=", 8e6, largest["lines"] / largest["vyrsyn_cpu"]))
    annotated = max((r for r in rows if r["file"].startswith("annotated")), key=lambda r: r["lines"], default=None)
    for row in (largest, annotated):
        if row is None:
            continue
        for key, where in (("vyrsyn_rss", "to /dev/null"), ("vyrsyn_file_rss", "to a file")):
            checks.append(("peak RSS <= 3.5 x file size (%s, %s)" % (row["file"], where),
                           row[key] * 1024 / row["bytes"], "<=", 3.5, None))
    if annotated is not None and annotated["lines"] * 2 > largest["lines"]:
        checks.append(("annotated output re-checked <= 1.5 x the time of the orders file",
                       annotated["vyrsyn"] / largest["vyrsyn"], "<=", 1.5,
                       annotated["vyrsyn_cpu"] / largest["vyrsyn_cpu"]))
    for kind in ("orders", "annotated"):
        small = by_name.get("%s-100000.txt" % kind)
        large = by_name.get("%s-1000000.txt" % kind)
        if small and large:
            checks.append(("1,000,000-line time <= 10.5 x 100,000-line time (%s)" % kind,
                           large["vyrsyn"] / small["vyrsyn"], "<=", 10.5, large["vyrsyn_cpu"] / small["vyrsyn_cpu"]))
    checks.append(("batch: VyrSyn runs <= 1.0 x cat runs", batch_result["vyrsyn"] / batch_result["cat"], "<=", 1.0,
                   None))
    if check_batch is not None:
        files, lines, wall, cpu = check_batch
        checks.append(("vyrcheck time per line <= 1.5 x VyrSyn's on the %d-line file" % largest["lines"],
                       (wall / (files * lines)) / (largest["vyrsyn"] / largest["lines"]), "<=", 1.5,
                       (cpu / (files * lines)) / (largest["vyrsyn_cpu"] / largest["lines"])))
    checks.append(("VyrSyn / floor on the %d-line file <= 2" % largest["lines"],
                   largest["vyrsyn"] / largest["floor"], "<=", 2, largest["vyrsyn_cpu"] / largest["floor_cpu"]))
    missed = 0
    for text, value, op, limit, cpu in checks:
        ok = value >= limit if op == ">=" else value <= limit
        missed += not ok
        print("%-4s %s: %.2f%s" % ("PASS" if ok else "MISS", text, value, "" if cpu is None else
                                   "   (from CPU times: %.2f)" % cpu))
    return missed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("vyrsyn")
    parser.add_argument("runstat", help="the launcher that times each run (bench/runstat.cpp)")
    parser.add_argument("--floor", help="the yardstick program (bench/floor.cpp; default: beside runstat)")
    parser.add_argument("--vyrcheck", help="the batch front-end (default: beside VYRSYN, skipped when missing)")
    parser.add_argument("--batch-files", type=int, default=1000)
    parser.add_argument("--sizes", default="300,100000,1000000")
    parser.add_argument("--repeat", type=int, default=7)
    parser.add_argument("--runs", type=int, default=1000)
    parser.add_argument("--work", help="directory for the generated files (default: a temporary one)")
    args = parser.parse_args()
    vyrsyn = os.path.abspath(args.vyrsyn)
    global RUNSTAT
    RUNSTAT = os.path.abspath(args.runstat)
    floor = os.path.abspath(args.floor or os.path.join(os.path.dirname(RUNSTAT), "floor"))
    vyrcheck = os.path.abspath(args.vyrcheck or os.path.join(os.path.dirname(vyrsyn), "vyrcheck"))
    sizes = [int(s) for s in args.sizes.split(",")]
    with tempfile.TemporaryDirectory(prefix="vyrsyn-bench.") as temporary:
        work = args.work or temporary
        os.makedirs(work, exist_ok=True)
        files = [generate(work, n, False, vyrsyn) for n in sizes]
        files += [generate(work, n, True, vyrsyn) for n in sizes if n >= 100000]
        rows = [measure(path, vyrsyn, floor, args.repeat, work) for path in files]
        batch_result = batch(vyrsyn, files[0], args.runs)
        check_batch = None
        if os.path.exists(vyrcheck) and args.batch_files > 0:
            wall, cpu = vyrcheck_batch(vyrcheck, files[0], args.batch_files, work, 3)
            check_batch = (args.batch_files, rows[0]["lines"], wall, cpu)
    report(rows, batch_result, args.runs, check_batch)
    sys.exit(1 if check_targets(rows, batch_result, check_batch) else 0)


if __name__ == "__main__":
    main()
