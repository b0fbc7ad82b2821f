#!/usr/bin/env bash
# The install, into a staging directory: each program is reached from bin/
# and finds the sample archive beside its real file (VyrSyn's output the built
# one's, started by path and through PATH), the language server links the
# installed guide, each program has its compressed manual page and, but
# VyrSyn, its completion; the web checker's unit names the installed program.
#   staged_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source_dir=$2 version=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "staged_test: $*" >&2
  exit 1
}
prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install failed"; }

[[ -f $prefix/lib/vyrsyn/syntax.dat ]] || fail "no lib/vyrsyn/syntax.dat"
programs=()
for link in "$prefix"/bin/*; do
  name=${link##*/}
  programs+=("$name")
  [[ $(readlink "$link") == "../lib/vyrsyn/$name" ]] || fail "bin/$name is not a link to ../lib/vyrsyn/$name"
  gzip -t "$prefix/share/man/man1/$name.1.gz" 2>/dev/null || fail "no manual page share/man/man1/$name.1.gz"
  if [[ $name != VyrSyn ]]; then
    [[ -f $prefix/share/bash-completion/completions/$name ]] || fail "no completion for $name"
  fi
done
[[ " ${programs[*]} " == *" VyrSyn "* && " ${programs[*]} " == *" vyrcheck "* ]] || fail "bin/ holds ${programs[*]}"

cd "$source_dir"
"$build/VyrSyn" 1 examples/orders-mistakes.txt >"$work/expected" 2>/dev/null </dev/null
"$prefix/bin/VyrSyn" 1 examples/orders-mistakes.txt >"$work/by-path" 2>/dev/null </dev/null
PATH=$prefix/bin:$PATH VyrSyn 1 examples/orders-mistakes.txt >"$work/by-name" 2>/dev/null </dev/null
cmp "$work/expected" "$work/by-path" || fail "bin/VyrSyn does not give the built VyrSyn's output"
cmp "$work/expected" "$work/by-name" || fail "VyrSyn through PATH does not give the built VyrSyn's output"
status=0
PATH=$prefix/bin:$PATH vyrcheck --game 1 examples/orders-mistakes.txt >"$work/vyrcheck" || status=$?
((status == 2)) || fail "installed vyrcheck on the example ended with $status, not 2 (errors)"

# The language server links the guide installed with it, the source tree's
# from the build directory, and none when it has no guide beside it.
if [[ -x $prefix/bin/vyrls ]] && command -v python3 >/dev/null; then
  python3 "$here/lsp_check.py" "$prefix/bin/vyrls" examples/orders-mistakes.txt \
    "file://$(realpath "$prefix/share/doc/vyrsyn/codes.md")" || fail "installed vyrls"
  python3 "$here/lsp_check.py" "$build/vyrls" examples/orders-mistakes.txt \
    "file://$(realpath doc/codes.md)" || fail "the build's vyrls"
  mkdir "$work/alone"
  cp "$prefix/lib/vyrsyn/vyrls" "$prefix/lib/vyrsyn/syntax.dat" "$work/alone"
  python3 "$here/lsp_check.py" "$work/alone/vyrls" examples/orders-mistakes.txt "" || fail "vyrls without a guide"
fi
if [[ -x $prefix/bin/vyrserve ]]; then
  unit=$prefix/lib/systemd/system/vyrserve.service
  grep -qx "ExecStart=$prefix/bin/vyrserve .*" "$unit" || fail "the unit does not start $prefix/bin/vyrserve"
fi
bash "$here/programs_test.sh" "$prefix/bin" "$prefix/share/bash-completion/completions/vyrcheck" "$version"
echo "staged_test: ${programs[*]} installed and working"
