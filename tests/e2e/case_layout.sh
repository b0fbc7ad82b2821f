# Laying out an end-to-end case (see run_case.sh for the case directory's
# files), shared by the scripts that run the cases. Source it; each function
# says what failed on standard error and answers 1 then.

# place_archive CASE_DIR BIN_DIR DATA_ROOT DEFAULT_ARCHIVE VYRPACK
# Puts BIN_DIR/syntax.dat: the case's data set packed with VYRPACK, else a copy
# of DEFAULT_ARCHIVE when it exists, else nothing.
place_archive() {
  local case_dir=$1 bin=$2 data_root=$3 default_archive=$4 vyrpack=$5 set_name
  if [[ -f "$case_dir/archive" ]]; then
    set_name=$(head -n 1 "$case_dir/archive")
    "$vyrpack" create --force "$bin/syntax.dat" "$data_root/$set_name" >/dev/null </dev/null || {
      echo "vyrpack could not pack $data_root/$set_name" >&2
      return 1
    }
  elif [[ -n "$default_archive" && -f "$default_archive" ]]; then
    cp "$default_archive" "$bin/syntax.dat" || return 1
  fi
}

# lay_out_inputs CASE_DIR WORK STDIN_FILE
# Copies the case's input files into WORK and its standard input (or nothing)
# to STDIN_FILE, then runs the case's setup in WORK.
lay_out_inputs() {
  local case_dir=$1 work=$2 stdin_file=$3 entry
  shopt -s dotglob nullglob
  for entry in "$case_dir"/*; do
    case $(basename "$entry") in
      args | stdin | setup | archive | expected.*) ;;
      *) cp -a "$entry" "$work/" || { shopt -u dotglob nullglob; return 1; } ;;
    esac
  done
  shopt -u dotglob nullglob
  if [[ -f "$case_dir/stdin" ]]; then cp "$case_dir/stdin" "$stdin_file"; else : >"$stdin_file"; fi
  if [[ -f "$case_dir/setup" ]]; then
    (cd "$work" && STDIN="$stdin_file" bash "$case_dir/setup") </dev/null || {
      echo "setup of case $(basename "$case_dir") failed" >&2
      return 1
    }
  fi
}
