#!/usr/bin/env bash
# vyrmail --maildir: every mail of new/ handled and moved to cur/; a mail that
# cannot be handled now (the reply cannot be sent) stays in new/, status 75.
# usage: maildir_test.sh VYRMAIL SYNTAX_DAT CORPUS_DIR
set -euo pipefail
vyrmail=$1 data=$2 corpus=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Maildir/new" "$work/Maildir/cur" "$work/Maildir/tmp" "$work/out"
cp "$corpus/plain.eml" "$work/Maildir/new/1000.a.host"
cp "$corpus/loop-list-id.eml" "$work/Maildir/new/1001.b.host"
fail() { echo "maildir: $*"; exit 1; }
run() {
  status=0
  "$vyrmail" --maildir "$work/Maildir" --data "$data" --store "$work/store" --log "$work/log" "$@" || status=$?
}

run --sendmail "cat > $work/out/reply.eml"
[[ $status == 0 ]] || fail "status $status, not 0"
[[ -z $(ls "$work/Maildir/new") ]] || fail "left in new/: $(ls "$work/Maildir/new")"
[[ $(ls "$work/Maildir/cur" | tr '\n' ' ') == "1000.a.host:2, 1001.b.host:2, " ]] || fail "cur/: $(ls "$work/Maildir/cur")"
grep -q '^To: alice@example.org$' "$work/out/reply.eml" || fail "no reply to the player"
cmp -s "$corpus/plain.orders" "$work/store/game-1/alice@example.org/orders.txt" || fail "the orders are not filed"
grep -q 'not answered: list mail (List-Id)' "$work/log" || fail "the list mail is not logged"

cp "$corpus/qp-latin1.eml" "$work/Maildir/new/1002.c.host"
run --sendmail "cat >/dev/null; exit 75"
[[ $status == 75 ]] || fail "status $status with a failing sendmail, not 75"
[[ -f $work/Maildir/new/1002.c.host ]] || fail "the mail that could not be answered left new/"
[[ $(ls "$work/store/game-1/alice@example.org/history" | grep -c 'txt$') == 1 ]] || fail "it was filed"
