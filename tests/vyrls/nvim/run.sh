#!/usr/bin/env bash
# Neovim with vyrls, set up as doc/vyrls.md tells a player:
#   run.sh VYRLS ORDERS DOC SOURCE_DIR EXPECTED
# The syntax files are copied with the document's command, the Neovim 0.7
# set-up is taken from the document as printed into ~/.config/nvim/init.lua,
# vyrls is put on PATH with the document's command, and Neovim opens the orders
# headless (check.lua says what it then does). A second run without vyrls on
# PATH must report the failed start. What both runs wrote is compared with
# EXPECTED, printing a diff when it differs. Needs no terminal and no standard
# input; HOME is a temporary directory.
set -euo pipefail
vyrls=$(realpath "$1") orders=$2 doc=$3 source=$(realpath "$4") expected=$(realpath "$5")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
nvim=$(command -v nvim) || {
  echo "run.sh: nvim is missing (Debian package neovim)" >&2
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The first fenced block of kind $2 under the heading $1 of the document.
block() {
  awk -v heading="$1" -v kind="$2" '
    $0 == heading { under = 1; next }
    under && /^## / { exit }
    under && !inside && $0 == "```" kind { inside = 1; next }
    inside && $0 == "```" { exit }
    inside { print }' "$doc"
}
block "## Neovim 0.7 (Debian 12)" lua >"$work/init.lua"
block "## The file type and the colours" sh >"$work/install.sh"
block "## Where the programs are" sh >"$work/path.sh"
for part in init.lua install.sh path.sh; do
  [[ -s $work/$part ]] || { echo "run.sh: no $part in $doc" >&2; exit 1; }
done

export HOME=$work/home
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_CACHE_HOME
mkdir -p "$HOME/.config/nvim" "$work/orders"
cp "$work/init.lua" "$HOME/.config/nvim/init.lua"
(cd "$source" && bash -e "$work/install.sh")
cp "$orders" "$work/orders/orders.txt"
cat >"$work/orders/orders-two.txt" <<'ORDERS'
#> Errors 1 Warnings 0
#VYR Game 7  Ember Company
RENAME "New Greyhold" ; a city order
BANISH 3
#> ERROR: Unrecognized Command.
SHIRE 12,3
#END
ORDERS
cd "$work/orders"
# run OUT MODE PATH: Neovim, with PATH as the player's, writing to OUT.
run() {
  VYRLS_OUT=$1 VYRLS_MODE=$2 timeout 90 env PATH="$3" "$nvim" --headless -n -i NONE --cmd "luafile $here/pre.lua" \
    -c "luafile $here/check.lua" orders.txt </dev/null >"$work/console" 2>&1 || true
  if [[ ! -f $1 ]]; then
    echo "run.sh: Neovim wrote nothing; its output:" >&2
    cat "$work/console" >&2
    exit 1
  fi
}
# PATH as the document sets it at the top of a tree whose build directory is vyrls's.
mkdir -p "$work/tree"
ln -s "$(dirname "$vyrls")" "$work/tree/build"
player_path=$(cd "$work/tree" && source "$work/path.sh" && echo "$PATH")
run "$work/got" "" "$player_path"
mkdir -p "$work/nothing"
run "$work/got-failed" failed "$work/nothing"
if grep -q "stack traceback\|E5108\|Error executing" "$work/console"; then
  echo "run.sh: a Lua error at the failed start:" >&2
  cat "$work/console" >&2
  exit 1
fi
cat "$work/got-failed" >>"$work/got"
diff -u "$expected" "$work/got"
