#!/usr/bin/env bash
# The README's two commands: the section holds exactly two one-line commands;
# the first, run as printed in a copy of the tree, ends with status 0 and its
# output with the bytes the built VyrSyn gives on the example; then the build's
# data recipe runs in that copy.
#   readme_first.sh SOURCE_DIR VYRSYN [--without-optional]
# --without-optional hides every optional library from the configure (the
# CMake find commands and pkg-config), and wants each front-end that needs one
# reported as not built.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/readme.sh"
source_dir=$1 vyrsyn=$2 mode=${3:-}
readme=$source_dir/README.md
fail() {
  echo "readme_first: $*" >&2
  exit 1
}

blocks=$(readme_blocks "$readme" "The two commands")
[[ $blocks == 2 ]] || fail "'The two commands' has $blocks code blocks, not 2"
for n in 1 2; do
  lines=$(readme_block "$readme" "The two commands" $n | wc -l)
  [[ $lines == 1 ]] || fail "command $n has $lines lines, not 1"
done
first=$(readme_block "$readme" "The two commands" 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
copy_tree "$source_dir" "$work/tree"
# The shared compiler cache, when there is one, keeps the copy's build short:
# paths inside the copy are hashed relative to it, so each run's fresh copy
# meets the last one's objects.
if [[ -z ${CMAKE_CXX_COMPILER_LAUNCHER:-} ]] && command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
export CCACHE_BASEDIR=$work/tree CCACHE_NOHASHDIR=true
if [[ $mode == --without-optional ]]; then
  export CMAKE_TOOLCHAIN_FILE=$source_dir/scripts/without-optional-libraries.cmake PKG_CONFIG_LIBDIR=/nonexistent
  unset PKG_CONFIG_PATH
fi

status=0
(cd "$work/tree" && bash -c "$first") >"$work/stdout" 2>"$work/stderr" </dev/null || status=$?
if ((status != 0)); then
  cat "$work/stdout" "$work/stderr" >&2
  fail "the first command ended with status $status"
fi
(cd "$source_dir" && "$vyrsyn" 1 examples/orders-mistakes.txt) >"$work/expected" 2>/dev/null </dev/null
# The build's own lines come first.
tail -c "$(wc -c <"$work/expected")" "$work/stdout" >"$work/tail"
cmp -s "$work/expected" "$work/tail" || {
  diff "$work/expected" "$work/tail" >&2 || true
  fail "the first command's output does not end with the built VyrSyn's"
}
if [[ $mode == --without-optional ]]; then
  for line in "-- vyrserve: not built (libboost-dev not found)" "-- vyrls: not built (nlohmann-json3-dev not found)" "-- vyrmail: not built (libgmime-3.0-dev not found)"; do
    grep -qxF -- "$line" "$work/stdout" || fail "the configure did not say: $line"
  done
fi

# The build's data recipe of "Where the game data comes from", in the copy
# (the next one, for an installed system, is the package test's).
recipe=$(readme_block "$readme" "Where the game data comes from" 1)
[[ $recipe == *./build/vyrpack* ]] || fail "the first recipe of 'Where the game data comes from' is not the build's"
(cd "$work/tree" && bash -euo pipefail -c "$recipe") >"$work/recipe.out" 2>&1 </dev/null ||
  { cat "$work/recipe.out" >&2; fail "the data recipe failed"; }
echo "readme_first: the first command and the build's data recipe ran as printed"
