#!/usr/bin/env bash
# Runs VyrSyn and `vyrcheck --format annotated` the same way on every
# end-to-end case of VyrSyn and compares what they give:
#   - a case that VyrSyn completes: vyrcheck writes the same bytes as its
#     annotated copy (at the input's path below the output folder), and its exit status says what the summary line says
#     (2 errors, 1 warnings only, 0 nothing); when VyrSyn printed no line at
#     all, vyrcheck has nothing to save and ends with status 3;
#   - a case that VyrSyn ends through its fatal report: vyrcheck ends with
#     status 3 and says why on standard error (for a fault of the command
#     table with VyrSyn's message);
#   - a file without any order line is an error to vyrcheck (status 2);
#   - a case that VyrSyn refuses on its command line or input is skipped.
#
#   same_as_vyrsyn.sh VYRSYN VYRCHECK CASES_DIR [DEFAULT_ARCHIVE [VYRPACK]]
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/case_layout.sh"

vyrsyn=$(realpath "$1")
vyrcheck=$(realpath "$2")
cases=$(realpath "$3")
default_archive=${4:-}
vyrpack=${5:-}
data_root=$(dirname "$cases")/data

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vyrcheck-same.XXXXXX") || exit 2
trap 'chmod -R u+rwX "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT

compared=0
failed=0
fail() {
  echo "=== $1: $2"
  failed=$((failed + 1))
}

# Lays out one case: bin/ with both programs beside the case's archive,
# work/ with the case's input files; runs the case's setup there.
prepare() {  # prepare CASE_DIR ROOT
  local case_dir=$1 root=$2
  mkdir -p "$root/bin" "$root/work" "$root/annotated"
  # Linked, not copied: both find their archive beside the name they were started by.
  ln -s "$vyrsyn" "$root/bin/VyrSyn" && ln -s "$vyrcheck" "$root/bin/vyrcheck" || return 1
  place_archive "$case_dir" "$root/bin" "$data_root" "$default_archive" "$vyrpack" &&
    lay_out_inputs "$case_dir" "$root/work" "$root/stdin"
}

for case_dir in "$cases"/*/; do
  case_dir=${case_dir%/}
  name=$(basename "$case_dir")
  args=()
  [[ -f "$case_dir/args" ]] && mapfile -t args <"$case_dir/args"

  v="$tmp/$name/vyrsyn"
  c="$tmp/$name/vyrcheck"
  prepare "$case_dir" "$v" && prepare "$case_dir" "$c" || { fail "$name" "could not be laid out"; continue; }
  (cd "$v/work" && "$v/bin/VyrSyn" "${args[@]}" <"$v/stdin" >"$v/stdout" 2>"$v/stderr") 2>/dev/null
  status=$?

  game=$(sed -n 's/^Game No     : //p' "$v/stderr")
  input=${args[1]:--}
  copy=stdin.txt
  [[ $input != - ]] && copy=${input#./}  # the input's own path below the output folder
  (cd "$c/work" && "$c/bin/vyrcheck" --game "$game" --format annotated --out-dir "$c/annotated" "$input" \
    <"$c/stdin" >"$c/stdout" 2>"$c/stderr")
  cstatus=$?

  if [[ $status == 0 ]]; then
    annotated="$v/stdout"
    [[ ${#args[@]} -ge 3 ]] && annotated="$v/work/${args[2]}"
    compared=$((compared + 1))
    if [[ ! -s "$annotated" ]]; then
      [[ $cstatus == 3 && ! -e "$c/annotated/$copy" ]] || fail "$name" "VyrSyn wrote nothing; vyrcheck: status $cstatus"
      continue
    fi
    if ! cmp -s "$annotated" "$c/annotated/$copy"; then
      fail "$name" "the annotated copies differ (--- VyrSyn, +++ vyrcheck)"
      diff -u --text "$annotated" "$c/annotated/$copy" | head -n 40
    fi
    expected=0
    if read -r _ _ errors _ warnings < <(grep -m1 '^#> Errors ' "$annotated"); then
      ((warnings > 0)) && expected=1
      ((errors > 0)) && expected=2
    fi
    # A file without any order line is an error to vyrcheck, not to VyrSyn.
    if [[ $expected != 2 && $cstatus == 2 ]]; then
      report=$(cd "$c/work" && "$c/bin/vyrcheck" --game "$game" "$input" <"$c/stdin" 2>/dev/null)
      [[ $report == *": error: No Orders In This File."* ]] &&
      expected=2
    fi
    [[ $cstatus == "$expected" ]] || fail "$name" "vyrcheck ended with status $cstatus, expected $expected"
  elif [[ $status == 134 ]]; then
    compared=$((compared + 1))
    [[ $cstatus == 3 ]] || fail "$name" "VyrSyn aborted; vyrcheck ended with status $cstatus, expected 3"
    # vyrcheck says why on standard error, in its own words for the data; a
    # fault of the command table it names as VyrSyn's fatal message does.
    fatal=$(sed 's/Press ENTER to Continue! //g' "$v/stdout" | grep -v '^ *$' | tail -n 1)
    [[ -s "$c/stderr" ]] || fail "$name" "VyrSyn aborted; vyrcheck said nothing on standard error"
    if [[ $fatal == "Unknown Syntax Parameter." ]]; then
      grep -qF -- "$fatal" "$c/stderr" || fail "$name" "vyrcheck did not report \"$fatal\" on standard error"
    fi
  fi
done

echo "$compared cases compared, $failed differences"
((compared > 0 && failed == 0))
