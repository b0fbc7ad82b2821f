#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one in turn for a while.
#
#   fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]
#
# SECONDS_PER_TARGET defaults to 24; TARGET defaults to every fuzz_*.cpp here.
# VYR_FUZZ_BUILD names the build directory (default: build-fuzz at the top of
# the repository), VYR_JOBS the number of build jobs (default: processors).
# Each target starts from its seeds in fuzz/corpus/<target>/, which it only
# reads; what it learns goes to <build>/fuzz-work/<target>/corpus, and an input
# that fails is kept there as crash-*, leak-*, timeout-* or oom-*. The script
# stops at the first target that fails and exits 1; 0 when all ran clean.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
seconds=${1:-24}
shift || true
build=${VYR_FUZZ_BUILD:-$root/build-fuzz}
jobs=${VYR_JOBS:-$(nproc 2>/dev/null || echo 2)}

if ! command -v clang++ >/dev/null; then
  echo "fuzz/run.sh: clang++ is missing (Debian package clang)" >&2
  exit 1
fi
runtime_dir=$(clang++ -print-resource-dir)/lib/linux
if ! compgen -G "$runtime_dir/libclang_rt.fuzzer-*.a" >/dev/null; then
  echo "fuzz/run.sh: libFuzzer is missing from $runtime_dir (Debian package libclang-rt-dev)" >&2
  exit 1
fi

targets=("$@")
if ((${#targets[@]} == 0)); then
  for source in "$here"/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DVYR_FUZZ=ON -DVYR_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo </dev/null >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}" </dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
for target in "${targets[@]}"; do
  work=$build/fuzz-work/$target
  mkdir -p "$work/corpus"
  echo "fuzz/run.sh: $target for $seconds s"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$here/corpus/$target" \
    </dev/null >"$work/log" 2>&1; then
    tail -n 60 "$work/log"
    echo "fuzz/run.sh: $target FAILED; the input is kept in $work/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
done
echo "fuzz/run.sh: all targets ran clean"
