#!/usr/bin/env bash
# Each program's --version, and the bash completion over the programs' own
# --help, from the built programs or the installed ones.
#   programs_test.sh PROGRAM_DIR COMPLETION_SCRIPT VERSION
set -uo pipefail
program_dir=$1 completion=$2 version=$3
export PATH=$program_dir:$PATH
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [[ $2 != "$3" ]]; then
    printf 'programs_test: %s\n  expected: %s\n  got:      %s\n' "$1" "$2" "$3" >&2
    failures=$((failures + 1))
  fi
}

for program in vyrcheck vyrpack vyrserve vyrls vyrmail; do
  [[ -x $program_dir/$program ]] || continue
  check "$program --version" "$program $version" "$("$program" --version 2>&1)"
done

source "$completion"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/game" "$work/orders"
touch "$work/game/syntax.dat" "$work/orders/ember.txt"
cd "$work"
# The words on the line, the last one being completed | the completions.
while IFS='|' read -r words expected; do
  [[ -z $words || $words == '#'* ]] && continue
  read -ra COMP_WORDS <<<"$words"
  [[ $words == *' ' ]] && COMP_WORDS+=("")
  [[ -x $program_dir/${COMP_WORDS[0]} ]] || continue
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _vyr_completion "${COMP_WORDS[0]}"
  check "completion of '$words'" "$expected" "${COMPREPLY[*]}"
done <<'TABLE'
vyrcheck --fo|--format
vyrcheck --format |gnu json annotated
vyrcheck --format j|json
vyrcheck --columns |byte char
vyrcheck --out-dir o|orders
vyrcheck --data game/|game/syntax.dat
vyrcheck --game 7 orders/|orders/ember.txt
vyrcheck --v|--version
vyrcheck -|--format --out-dir --columns --no-notes --game --data --max-findings --jobs --quiet -h --help --version
vyrpack |create list extract check
vyrpack -f c|create check
vyrpack --|--force --help --version
vyrpack list g|game
vyrpack create --force game/syntax.dat o|orders
vyrserve --l|--listen
vyrserve --listen |
vyrserve --data g|game
vyrserve --|--listen --data --game --max-bytes --workers --timeout --max-connections --per-client --trusted-proxy --metrics-from --access-log --quiet --help --version
vyrls --|--stdio --data --game --codes-url --help --version
vyrls --game |
vyrmail --|--data --game --from --sendmail --store --roster --sender --max-bytes --max-replies --log --maildir --config --hash-password --help --version
vyrmail --store g|game
TABLE
exit $((failures > 0))
