#!/usr/bin/env bash
# The time from swaks to vyrmail's reply in the Maildir, behind OpenSMTPD on
# loopback (the set-up of tests/vyrmail/smtpd_e2e.py; root needed). Target:
# under one second.
#   bench/vyrmail_e2e.sh [BUILD_DIR] [MAILS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)  # smtpd runs the desk in its own folder
exec python3 "$root/tests/vyrmail/smtpd_e2e.py" "$build/vyrmail" "$build/VyrSyn" "$build/syntax.dat" \
  "$root/doc/vyrmail.md" --bench "${2:-20}"
