#!/usr/bin/env bash
# vyrserve behind nginx, as the README sets them up: the README's vyrserve
# command line and nginx location block, run for real on loopback (the
# binary, data and port put in for the installed ones), with nginx started
# here on a prefix of its own. Checks the page and the API through the proxy,
# vyrserve's 413 passing through, the player's address in the log (a forged
# X-Forwarded-For believed from nobody but the proxy), /metrics closed to
# players, and a SIGTERM under load: every request gets vyrserve's answer or
# nginx's clean 502/503 once it has gone.
#
#   tests/vyrserve/nginx_test.sh VYRSERVE SYNTAX_DAT README
set -euo pipefail
vyrserve=$1
data=$2
readme=$3
command -v nginx >/dev/null || { echo "nginx_test: nginx is not installed"; exit 77; }
command -v curl >/dev/null || { echo "nginx_test: curl is not installed"; exit 77; }
work=$(mktemp -d)
chmod 755 "$work"  # nginx's workers run as another user
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "nginx_test: $*"
  [[ -f $work/nginx/error.log ]] && tail -5 "$work/nginx/error.log"
  exit 1
}
freePort() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
port=$(freePort)
front=$(freePort)

# The recipe as printed.
execStart=$(sed -n 's/^ExecStart=\(..*\)$/\1/p' "$readme" | tail -n 1)  # a drop-in clears the unit's first
location=$(awk '/^location \/check\/ \{$/ {on = 1} on {print} on && /^\}$/ {exit}' "$readme")
[[ -n $execStart && -n $location ]] || fail "no vyrserve command line or nginx location block in $readme"
execStart=${execStart//\/usr\/bin\/vyrserve/$vyrserve}
execStart=${execStart//\/srv\/vyr\/syntax.dat/$data}
execStart=${execStart//127.0.0.1:8080/127.0.0.1:$port}
location=${location//127.0.0.1:8080/127.0.0.1:$port}

mkdir -p "$work/nginx"
cat >"$work/nginx/nginx.conf" <<CONF
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
worker_processes 1;
events { worker_connections 512; }
http {
  access_log off;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  server {
    listen 127.0.0.1:$front;
$location
  }
}
CONF

startServer() {
  # shellcheck disable=SC2086 # the command line as the README prints it
  $execStart 2>>"$work/vyrserve.log" &
  server=$!
  pids+=("$server")
  for _ in $(seq 300); do
    grep -q "listening on http://127.0.0.1:$port/" "$work/vyrserve.log" && return 0
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  fail "vyrserve did not start: $(cat "$work/vyrserve.log")"
}
startServer
timeout 120 nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -g 'daemon off;' &
pids+=($!)
for _ in $(seq 300); do
  curl -s -o /dev/null "http://127.0.0.1:$front/check/healthz" && break
  sleep 0.1
done

through() { curl -s --max-time 20 --interface 127.0.0.2 "$@"; }

# The page, its parts and the API, as vyrserve answers them itself.
for path in "" page.js page.css codes api/worlds healthz; do
  [[ $(through -w '%{http_code}' -o "$work/front" "http://127.0.0.1:$front/check/$path") == 200 ]] ||
    fail "GET /check/$path is not answered with 200"
  curl -s --max-time 20 -o "$work/direct" "http://127.0.0.1:$port/$path"
  cmp -s "$work/front" "$work/direct" || fail "GET /check/$path differs from vyrserve's own answer"
done
python3 -c 'import json; print(json.dumps({"orders": "#VYR 1\nRECRUT 5 Pikemen\n#END\n", "game": 7}), end="")' >"$work/check.json"
through -o "$work/front" -H 'Content-Type: application/json' --data-binary @"$work/check.json" \
  "http://127.0.0.1:$front/check/api/check"
curl -s --max-time 20 -o "$work/direct" --data-binary @"$work/check.json" "http://127.0.0.1:$port/api/check"
cmp -s "$work/front" "$work/direct" || fail "the check through nginx differs from vyrserve's own answer"
grep -q '"errors":' "$work/front" || fail "the check answered no counts: $(cat "$work/front")"

# A body over vyrserve's limit gets vyrserve's 413, not nginx's.
head -c 1500000 /dev/zero | tr '\0' ' ' >"$work/large.json"
[[ $(through -w '%{http_code}' -o "$work/front" --data-binary @"$work/large.json" \
  "http://127.0.0.1:$front/check/api/check") == 413 ]] || fail "a 1.5 MB body is not refused with 413"
grep -q 'larger than 1048576 bytes' "$work/front" || fail "the 413 is not vyrserve's: $(head -c 300 "$work/front")"

# The player's address in the log; a forged one is only the player's claim.
through -o /dev/null -H 'X-Forwarded-For: 198.51.100.7' "http://127.0.0.1:$front/check/healthz?forged"
curl -s -o /dev/null --interface 127.0.0.3 -H 'X-Forwarded-For: 198.51.100.7' "http://127.0.0.1:$port/healthz?direct"
[[ $(through -w '%{http_code}' -o /dev/null "http://127.0.0.1:$front/check/metrics") == 403 ]] ||
  fail "/metrics is open to players through the proxy"
[[ $(curl -s -w '%{http_code}' -o /dev/null "http://127.0.0.1:$port/metrics") == 200 ]] ||
  fail "/metrics is closed to loopback"
for _ in $(seq 200); do
  [[ $(grep -c ' GET /metrics ' "$work/vyrserve.log") -ge 2 ]] && break
  sleep 0.05
done
grep -q '^vyrserve: 127.0.0.2 GET /healthz 200 3$' "$work/vyrserve.log" ||
  fail "the log does not name the player: $(tail -5 "$work/vyrserve.log")"
grep -q '198.51.100.7' "$work/vyrserve.log" && fail "a forged X-Forwarded-For reached the log"
grep -q '^vyrserve: 127.0.0.3 GET /healthz 200 3$' "$work/vyrserve.log" ||
  fail "a direct request's X-Forwarded-For was believed: $(tail -5 "$work/vyrserve.log")"

# SIGTERM under load: four clients post checks through nginx; once the first
# answers are in, vyrserve is stopped. Every request must get vyrserve's 200
# or, once it is gone, nginx's 502 or 503.
for client in 1 2 3 4; do
  (
    for _ in $(seq 150); do
      curl -s --max-time 20 -o /dev/null -w '%{http_code}\n' --data-binary @"$work/check.json" \
        "http://127.0.0.1:$front/check/api/check" || echo "curl-failed"
    done >"$work/codes.$client"
  ) &
  pids+=($!)
done
for _ in $(seq 600); do
  [[ $(cat "$work"/codes.* 2>/dev/null | wc -l) -ge 40 ]] && break
  sleep 0.05
done
kill -TERM "$server"
wait "$server" || fail "vyrserve did not end with status 0 after SIGTERM"
for client in 1 2 3 4; do wait "${pids[-client]}" 2>/dev/null || true; done
for _ in $(seq 600); do
  [[ $(cat "$work"/codes.* | wc -l) -ge 600 ]] && break
  sleep 0.1
done
codes=$(cat "$work"/codes.* | sort | uniq -c | tr -s ' ' | tr '\n' ';')
[[ $(cat "$work"/codes.* | wc -l) -eq 600 ]] || fail "not every request was answered: $codes"
grep -qvE '^(200|502|503)$' "$work"/codes.* && fail "answers other than 200, 502 and 503: $codes"
grep -q '^200$' "$work"/codes.* || fail "no check answered before the stop: $codes"
grep -qE '^50[23]$' "$work"/codes.* || fail "the stop came after every request: $codes"
grep -q 'vyrserve: stopped' "$work/vyrserve.log" || fail "vyrserve did not stop cleanly"
echo "nginx_test: passed ($codes)"
