#!/usr/bin/env bash
# Edit-to-marks in Neovim (not a test): Neovim set up with doc/vyrls.md's
# Neovim 0.7 block as printed, a generated orders file of LINES lines opened
# headless, then EDITS one-letter edits timed by vyrls_nvim.lua.
#   bench/vyrls_nvim.sh [BUILD_DIR] [LINES] [EDITS]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath "${1:-build}") lines=${2:-3000} edits=${3:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/.config/nvim" "$work/orders"
awk '$0 == "## Neovim 0.7 (Debian 12)" { under = 1; next }
     under && /^## / { exit }
     under && !inside && $0 == "```lua" { inside = 1; next }
     inside && $0 == "```" { exit }
     inside { print }' "$here/../doc/vyrls.md" >"$work/home/.config/nvim/init.lua"
python3 "$here/generate_orders.py" "$lines" >"$work/orders/orders.txt"
cd "$work/orders"
HOME=$work/home VYRLS_OUT=$work/out VYRLS_EDITS=$edits PATH="$build:$PATH" \
  timeout 600 nvim --headless -n -i NONE -c "luafile $here/vyrls_nvim.lua" orders.txt </dev/null >/dev/null 2>&1 || true
cat "$work/out"
