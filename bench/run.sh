#!/usr/bin/env bash
# The benchmark suite: builds a Release VyrSyn, generates orders files of 300,
# 100,000 and 1,000,000 lines (and the checker's own annotated output at the
# two large sizes), and reports for each the time, lines per second and peak
# memory of VyrSyn beside the least work a checker must do (bench/floor.cpp),
# `cat FILE >/dev/null` and `wc -l FILE`, then 1,000 runs on the small file
# against 1,000 runs of cat, and one vyrcheck run over 1,000 copies of it.
# Exits 1 when a target is missed. See bench/README.md.
#
#   bench/run.sh [BUILD_DIR] [--micro] [-- benchmark.py options]
#
# BUILD_DIR defaults to build-bench in the source tree. --micro also builds and
# runs the Google Benchmark micro-benchmarks (bench/*_bench.cpp).
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$source_dir/build-bench"
micro=0
while (($# > 0)); do
  case "$1" in
    --micro) micro=1; shift ;;
    --) shift; break ;;
    *) build=$1; shift ;;
  esac
done

echo "bench: Release build in $build" >&2
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVYR_BENCH=ON -DVYR_TESTS=OFF >/dev/null
targets=(VyrSyn vyrcheck vyrsyn_data runstat floor)
((micro)) && targets+=(vyrsyn_bench)
cmake --build "$build" -j 2 --target "${targets[@]}" >/dev/null

if ((micro)); then
  "$build/bench/vyrsyn_bench" --benchmark_min_time=0.2
  echo
fi

echo "bench: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)" >&2
python3 "$source_dir/bench/benchmark.py" "$build/VyrSyn" "$build/bench/runstat" "$@"
