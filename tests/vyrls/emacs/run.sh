#!/usr/bin/env bash
# Emacs with eglot and vyrls, set up as doc/vyrls.md tells a player:
#   run.sh VYRLS ORDERS DOC EXPECTED
# The Emacs block of the document, as printed, is ~/.emacs.d/init.el; vyrls is
# on PATH; Emacs runs in batch (check.el says what it does), and switches the
# game with the Emacs row of "Switching the game". What it wrote is compared
# with EXPECTED, printing a diff when it differs. Skipped (status 77) when
# Emacs or eglot is not installed (Debian packages emacs-nox, elpa-eglot).
set -euo pipefail
vyrls=$(realpath "$1") orders=$2 doc=$3 expected=$(realpath "$4")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if ! command -v emacs >/dev/null ||
  ! emacs --batch --eval '(progn (package-initialize) (kill-emacs (if (locate-library "eglot") 0 1)))' \
    </dev/null >/dev/null 2>&1; then
  echo "run.sh: emacs or eglot is missing (Debian packages emacs-nox, elpa-eglot): skipped" >&2
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home
mkdir -p "$HOME/.emacs.d" "$work/orders"
awk '
  $0 == "## Emacs (eglot)" { under = 1; next }
  under && /^## / { exit }
  under && !inside && $0 == "```elisp" { inside = 1; next }
  inside && $0 == "```" { exit }
  inside { print }' "$doc" >"$HOME/.emacs.d/init.el"
# The row "| Emacs (eglot) | `FORM`, then `M-x COMMAND` |": FORM and COMMAND.
grep '^| Emacs (eglot) |' "$doc" | sed -n 's/^[^`]*`\([^`]*\)`, then `M-x \([^`]*\)`.*$/\1 \2/p' >"$work/switch.el"
for part in "$HOME/.emacs.d/init.el" "$work/switch.el"; do
  [[ -s $part ]] || { echo "run.sh: $(basename "$part") not found in $doc" >&2; exit 1; }
done
cp "$orders" "$work/orders/orders.txt"
cd "$work/orders"
PATH=$(dirname "$vyrls"):$PATH VYRLS_OUT=$work/got VYRLS_SWITCH=$work/switch.el \
  timeout 90 emacs --batch -l "$here/check.el" </dev/null >"$work/console" 2>&1 || true
if [[ ! -f $work/got ]]; then
  echo "run.sh: Emacs wrote nothing; its output:" >&2
  cat "$work/console" >&2
  exit 1
fi
diff -u "$expected" "$work/got"
