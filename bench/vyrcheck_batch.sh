#!/usr/bin/env bash
# A game master's turn, timed: checks COUNT orders files of LINES lines each
# with one vyrcheck run, and with one VyrSyn run per file, and prints both times
# and their ratio. vyrcheck must take at most a quarter of the time of the
# VyrSyn runs; the script exits 1 when it does not.
#
#   bench/vyrcheck_batch.sh BUILD_DIR [COUNT [LINES]]      (defaults: 1000 files, 300 lines)
#
# BUILD_DIR holds the built VyrSyn, vyrcheck and syntax.dat (the sample data).
# The orders are the example orders with their mistakes, repeated to LINES
# lines between a header and an end line.
set -euo pipefail

build=$(realpath "${1:?usage: $0 BUILD_DIR [COUNT [LINES]]}")
count=${2:-1000}
lines=${3:-300}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for program in VyrSyn vyrcheck syntax.dat; do
  [[ -e "$build/$program" ]] || { echo "$build/$program is missing: build first" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vyrcheck-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/orders" "$work/annotated" "$work/vyrsyn"

# One orders file: the body of the example, without its header, end and old check lines.
body=$(grep -v -e '^#' "$source_dir/examples/orders-mistakes.txt")
{
  echo "#VYR 1"
  produced=0
  while ((produced < lines - 2)); do
    while IFS= read -r line && ((produced < lines - 2)); do
      printf '%s\n' "$line"
      produced=$((produced + 1))
    done <<<"$body"
  done
  echo "#END"
} >"$work/orders.txt"
for ((n = 1; n <= count; n++)); do cp "$work/orders.txt" "$work/orders/player$n.txt"; done

now() { date +%s.%N; }

start=$(now)
for file in "$work"/orders/*.txt; do
  "$build/VyrSyn" 1 "$file" "$work/vyrsyn/$(basename "$file")" </dev/null 2>/dev/null
done
vyrsyn_time=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }')

start=$(now)
set +e
"$build/vyrcheck" --game 1 "$work"/orders/*.txt >"$work/gnu.txt"
status=$?
set -e
gnu_time=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }')
[[ $status == 2 ]] || { echo "vyrcheck ended with status $status, expected 2" >&2; exit 2; }

start=$(now)
(cd "$work" && "$build/vyrcheck" --game 1 --format annotated --out-dir annotated orders/*.txt >/dev/null) || true
annotated_time=$(awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }')
cmp -s "$work/vyrsyn/player1.txt" "$work/annotated/orders/player1.txt" || {
  echo "the annotated copies of vyrcheck and VyrSyn differ" >&2
  exit 2
}

awk -v count="$count" -v lines="$lines" -v v="$vyrsyn_time" -v g="$gnu_time" -v a="$annotated_time" 'BEGIN {
  printf "%d files of %d lines\n", count, lines
  printf "  %d VyrSyn runs:                  %8.3f s\n", count, v
  printf "  one vyrcheck run (gnu):         %8.3f s   ratio %.3f\n", g, g / v
  printf "  one vyrcheck run (annotated):   %8.3f s   ratio %.3f\n", a, a / v
  worst = g > a ? g : a
  if (worst / v > 0.25) { print "  FAILED: the ratio is above 0.25"; exit 1 }
  print "  passed: at most a quarter of the time"
}'
