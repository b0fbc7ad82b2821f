#!/usr/bin/env bash
# Neovim with vyrls attached to an orders file, as a player sets it up:
#   run.sh VYRLS ARCHIVE ORDERS EXPECTED
# Compares the diagnostics and the completion list that Neovim received with
# EXPECTED, printing a diff when they differ. Needs no terminal and no
# standard input; Neovim's own files go to a temporary directory.
set -euo pipefail
vyrls=$(realpath "$1") archive=$(realpath "$2") orders=$3 expected=$(realpath "$4")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if ! command -v nvim >/dev/null; then
  echo "run.sh: nvim is missing (Debian package neovim)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$orders" "$work/orders.txt"
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_STATE_HOME=$work/state
export XDG_CACHE_HOME=$work/cache
export VYRLS=$vyrls VYRLS_DATA=$archive VYRLS_OUT=$work/got
cd "$work"
timeout 60 nvim --headless -n -i NONE -u "$here/init.lua" orders.txt </dev/null >"$work/console" 2>&1 || true
if [[ ! -f $work/got ]]; then
  echo "run.sh: Neovim wrote nothing; its output:" >&2
  cat "$work/console" >&2
  exit 1
fi
diff -u "$expected" "$work/got"
