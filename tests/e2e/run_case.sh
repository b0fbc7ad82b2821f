#!/usr/bin/env bash
# Runs one end-to-end case of the checker program and compares, byte for byte,
# its standard output, standard error, exit status and the files it leaves.
#
#   run_case.sh VYRSYN CASE_DIR [DEFAULT_ARCHIVE [VYRPACK]]
#
# A case directory holds:
#   args              one argument per line (after the program name); missing or empty: none
#   stdin             fed to standard input (otherwise nothing)
#   setup             optional bash script run in the work directory before the run
#                     ($STDIN names the file that becomes standard input)
#   archive           optional: name of a data set under tests/e2e/data/<set>/, packed with
#                     VYRPACK into the archive beside the program
#   expected.stdout, expected.stderr, expected.status
#   expected.files/   files that must exist after the run with exactly these bytes, at their
#                     path below expected.files/ (sub/a.txt is the work directory's sub/a.txt)
#   expected.absent   names (one a line) that must not exist after the run
#   anything else     copied into the work directory: the input files the args name
#
# The program runs as <tmp>/bin/VyrSyn beside its archive (the case's data set,
# else DEFAULT_ARCHIVE when it exists, else none), with the work directory, a
# fresh copy of the case's input files, as its current directory.
#
# VYR_UPDATE_GOLDEN=1 writes the expected.* files from the run instead of
# comparing (expected.files/ is refreshed for the names already in it).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/case_layout.sh"

if [[ $# -lt 2 ]]; then
  echo "usage: $0 VYRSYN CASE_DIR [DEFAULT_ARCHIVE [VYRPACK]]" >&2
  exit 2
fi
vyrsyn=$(realpath "$1")
case_dir=$(realpath "$2")
default_archive=${3:-}
vyrpack=${4:-}
data_root=$(dirname "$(dirname "$case_dir")")/data
case_name=$(basename "$case_dir")

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vyr-e2e-$case_name.XXXXXX") || exit 2
trap 'chmod -R u+rwX "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir "$tmp/bin" "$tmp/work" "$tmp/result"

# --- the program and its archive, the work directory, arguments and stdin -----
cp "$vyrsyn" "$tmp/bin/VyrSyn" || exit 2
if [[ -f "$case_dir/archive" && ( -z "$vyrpack" || ! -x "$vyrpack" ) ]]; then
  echo "case $case_name needs data set '$(head -n 1 "$case_dir/archive")' but no vyrpack tool was given" >&2
  exit 2
fi
stdin_file="$tmp/stdin"
place_archive "$case_dir" "$tmp/bin" "$data_root" "$default_archive" "$vyrpack" || exit 2
lay_out_inputs "$case_dir" "$tmp/work" "$stdin_file" || exit 2
args=()
if [[ -f "$case_dir/args" ]]; then
  mapfile -t args <"$case_dir/args"
fi

# --- the run -----------------------------------------------------------------
runner=()
command -v timeout >/dev/null && runner=(timeout 120)
(cd "$tmp/work" && "${runner[@]}" "$tmp/bin/VyrSyn" "${args[@]}" \
  <"$stdin_file" >"$tmp/result/stdout" 2>"$tmp/result/stderr")
echo "$?" >"$tmp/result/status"
# The temporary directory differs from run to run: a path into it reads as <tmp>.
for stream in stdout stderr; do
  sed -i "s|$tmp|<tmp>|g" "$tmp/result/$stream"
done

# --- golden update -------------------------------------------------------------
if [[ "${VYR_UPDATE_GOLDEN:-0}" == 1 ]]; then
  for stream in stdout stderr status; do cp "$tmp/result/$stream" "$case_dir/expected.$stream"; done
  if [[ -d "$case_dir/expected.files" ]]; then
    while IFS= read -r name; do
      if [[ -f "$tmp/work/$name" ]]; then
        cp "$tmp/work/$name" "$case_dir/expected.files/$name"
      else
        echo "$case_name: $name was not written; expected.files/$name left as it was" >&2
      fi
    done < <(cd "$case_dir/expected.files" && find . -type f | sed 's|^\./||' | sort)
  fi
  echo "$case_name: expected files written"
  exit 0
fi

# --- the comparison ---------------------------------------------------------------
failed=0
compare() {  # compare WHAT EXPECTED ACTUAL
  if ! cmp -s "$2" "$3"; then
    echo "=== $case_name: $1 differs (--- expected, +++ actual)"
    diff -u --text --label expected --label actual "$2" "$3" | head -n 200
    failed=1
  fi
}
for stream in stdout stderr status; do
  if [[ -f "$case_dir/expected.$stream" ]]; then
    compare "$stream" "$case_dir/expected.$stream" "$tmp/result/$stream"
  else
    echo "=== $case_name: expected.$stream is missing; the run gave:"
    cat "$tmp/result/$stream"
    failed=1
  fi
done
if [[ -d "$case_dir/expected.files" ]]; then
  while IFS= read -r name; do
    if [[ -f "$tmp/work/$name" ]]; then
      compare "file $name" "$case_dir/expected.files/$name" "$tmp/work/$name"
    else
      echo "=== $case_name: file $name was not written"
      failed=1
    fi
  done < <(cd "$case_dir/expected.files" && find . -type f | sed 's|^\./||' | sort)
fi
if [[ -f "$case_dir/expected.absent" ]]; then
  while IFS= read -r name; do
    [[ -z "$name" ]] && continue
    if [[ -e "$tmp/work/$name" || -L "$tmp/work/$name" ]]; then
      echo "=== $case_name: $name exists but must not"
      failed=1
    fi
  done <"$case_dir/expected.absent"
fi
# --- checking the output again gives it again --------------------------------------
# A completed run's output (standard output, else the one expected file), checked
# once more as an orders file with the same game number, must come back unchanged.
if [[ $(basename "$1") == VyrSyn && $(cat "$tmp/result/status") == 0 ]]; then
  output=""
  if [[ -s "$tmp/result/stdout" ]]; then
    output="$tmp/result/stdout"
  elif [[ -d "$case_dir/expected.files" ]]; then
    for expected in "$case_dir/expected.files"/*; do
      [[ -s "$tmp/work/$(basename "$expected")" ]] && output="$tmp/work/$(basename "$expected")" && break
    done
  fi
  if [[ -n "$output" ]]; then
    cp "$output" "$tmp/result/checked"
    game=1
    ((${#args[@]} > 0)) && game=${args[0]}
    (cd "$tmp/work" && "${runner[@]}" "$tmp/bin/VyrSyn" "$game" "$tmp/result/checked" </dev/null \
      >"$tmp/result/again" 2>/dev/null)
    compare "output checked again" "$output" "$tmp/result/again"
  fi
fi

stray=$(cd "$tmp/work" && find . -name '.*.??????' -print)
if [[ -n "$stray" ]]; then
  echo "=== $case_name: temporary files were left behind: $stray"
  failed=1
fi
if [[ $failed == 0 ]]; then echo "$case_name: passed"; fi
exit $failed
