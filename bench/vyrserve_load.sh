#!/usr/bin/env bash
# The web checker under load: a 300-line orders file checked by 50 clients
# for 20 seconds on loopback, every answer compared with VyrSyn's.
#
#   bench/vyrserve_load.sh BUILD_DIR [CLIENTS] [SECONDS] [LINES] [PAUSE_MS]
#
# BUILD_DIR holds vyrserve, VyrSyn, syntax.dat and bench/vyrserve_load
# (configure with -DVYR_BENCH=ON).
set -euo pipefail
build=$(cd "$1" && pwd)
clients=${2:-50}
seconds=${3:-20}
lines=${4:-300}
pause=${5:-0}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
server=
cleanup() {
  [[ -n $server ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$here/generate_orders.py" "$lines" --data "$here/../data" >"$work/orders.txt"
"$build/VyrSyn" 1 <"$work/orders.txt" >"$work/expected.txt" 2>/dev/null || true
python3 -c 'import json,sys; print(json.dumps({"orders": open(sys.argv[1]).read(), "game": 1}), end="")' \
  "$work/orders.txt" >"$work/body.json"

"$build/vyrserve" --listen 127.0.0.1:0 --quiet --data "$build/syntax.dat" 2>"$work/server.log" &
server=$!
for _ in $(seq 100); do
  grep -q 'listening on' "$work/server.log" && break
  sleep 0.1
done
port=$(sed -n 's|.*listening on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/server.log")
echo "vyrserve_load: $lines-line orders, $(wc -c <"$work/body.json") bytes a request, port $port"
"$build/bench/vyrserve_load" "$port" "$server" "$work/body.json" "$work/expected.txt" "$clients" "$seconds" "$pause"
