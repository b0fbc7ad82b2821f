#!/usr/bin/env bash
# The web checker under wrk: 2 threads, 50 connections posting a 300-line
# orders file to /api/check on loopback, with the request log on as the
# README configures it (or --quiet, or standard error a slow pipe).
#
#   bench/vyrserve_wrk.sh VYRSERVE SYNTAX_DAT [SECONDS] [LOG] [FAULTS] [CPUS] [SLOW]
#
# LOG: "on" (standard error to a file), "quiet", or "slowpipe" (standard error
# read at 10 kB/s); FAULTS: the share of faulty order lines (0: 3 findings,
# 0.13: 43 findings); CPUS: a taskset list for the server ("" for all); SLOW:
# slow clients that slowhttptest holds open meanwhile (slow headers, a field
# every 2 s; default 0). VYR_SERVE_FLAGS adds options to the server's. Prints
# checks per second, the median, 99th percentile and worst latency, wrk's
# timeouts and the kernel's count of listen-queue overflows during the run.
# As root it runs in a network namespace of its own, so that the overflow
# count is the server's alone and not the machine's.
set -euo pipefail
if [[ $(id -u) == 0 && -z ${VYR_OWN_NETNS:-} ]] && command -v unshare >/dev/null; then
  exec unshare -n env VYR_OWN_NETNS=1 bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
fi
vyrserve=$1
data=$2
seconds=${3:-10}
log=${4:-on}
faults=${5:-0}
cpus=${6:-}
slow=${7:-0}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
server=
cleanup() {
  [[ -n $server ]] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$here/generate_orders.py" 300 --faults "$faults" --old-checks 0 --data "$here/../data" >"$work/orders.txt"
python3 - "$work/orders.txt" "$work/post.lua" <<'PY'
import json, sys
body = json.dumps({"orders": open(sys.argv[1]).read(), "game": 1})
with open(sys.argv[2], "w") as out:
    out.write('wrk.method = "POST"\nwrk.headers["Content-Type"] = "application/json"\n')
    out.write("wrk.body = " + json.dumps(body) + "\n")
PY
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
launch=()
[[ -n $cpus ]] && launch=(taskset -c "$cpus")
read -r -a flags <<<"${VYR_SERVE_FLAGS:-}"
[[ $log == quiet ]] && flags+=(--quiet)
case $log in
  slowpipe)
    "${launch[@]}" "$vyrserve" --listen "127.0.0.1:$port" --data "$data" "${flags[@]}" \
      2> >(python3 -c 'import sys, time
while sys.stdin.buffer.read(512): time.sleep(0.05)') &
    ;;
  *) "${launch[@]}" "$vyrserve" --listen "127.0.0.1:$port" --data "$data" "${flags[@]}" 2>"$work/server.log" & ;;
esac
server=$!
for _ in $(seq 100); do
  curl -s -o /dev/null "http://127.0.0.1:$port/healthz" && break
  sleep 0.1
done
slowpid=
if ((slow > 0)); then
  slowhttptest -H -c "$slow" -r 500 -i 2 -l $((seconds + 30)) -x 24 -p 5 -u "http://127.0.0.1:$port/" \
    >"$work/slow.log" 2>&1 &
  slowpid=$!
  sleep 5  # until the slow connections are open
fi
nstat -n TcpExtListenOverflows >/dev/null
wrk -t2 -c50 -d"${seconds}s" --timeout 5s --latency -s "$work/post.lua" "http://127.0.0.1:$port/api/check" >"$work/wrk.txt"
overflows=$(nstat -az TcpExtListenOverflows | awk '/TcpExtListenOverflows/ {print $2}')
if [[ -n $slowpid ]]; then
  echo "slow clients: $(tr '\r' '\n' <"$work/slow.log" | sed 's/\x1b\[[0-9;]*m//g' | grep -a -o 'connected: *[0-9]*' | tail -1 | tr -s ' ') at the last report; connections open after the run: $(ss -tn state established "( sport = :$port )" | tail -n +2 | wc -l)"
  kill "$slowpid" 2>/dev/null || true
fi
awk -v overflows="${overflows:-0}" -v load="$(cut -d' ' -f1 /proc/loadavg)" '
  /Requests\/sec/ {rate = $2}
  /^ +50%/ {median = $2}
  /^ +99%/ {p99 = $2}
  /^ +Latency +[0-9]/ {worst = $4}
  /Socket errors/ {timeouts = $NF; errors = $0; sub(/^ *Socket errors: */, "", errors)}
  /Non-2xx/ {non2xx = $NF}
  END {printf "checks/s %s  median %s  p99 %s  worst %s  timeouts %s  non-2xx %s  listen overflows %s  load %s%s\n",
       rate, median, p99, worst, timeouts + 0, non2xx + 0, overflows, load,
       errors == "" ? "" : "  (socket errors: " errors ")"}' "$work/wrk.txt"
