#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The shipped nginx site configuration in front of two real services, unprivileged on loopback ports
# with its own configuration, pid and temporary folders: limits hold at nginx (the service never sees
# the request), idle clients are dropped, HEAD, "Connection: close" and POST behave, a repeated
# request is answered from the cache, a flood of slow headers leaves others served, and a service
# frozen or killed under load loses no request.
# Usage: tst_nginx.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- service log:" >&2; cat "$work/service.log" >&2; cat "$work/nginx.log" "$work/nginx/error.log" >&2; exit 1; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

service_port=$(free_port) second_port=$(free_port) nginx_port=$(free_port)
"$build/bin/meteo-service" --port "$service_port" 2>>"$work/service.log" &
pids+=($!)
first_service=$!
"$build/bin/meteo-service" --port "$second_port" 2>>"$work/service.log" &
pids+=($!)
"$source/scripts/nginx-local" "$work/nginx" "$nginx_port" "$service_port" "$second_port" 2>"$work/nginx.log" &
pids+=($!)
for _ in $(seq 50); do
    [ "$(grep -c "à l'écoute" "$work/service.log")" = 2 ] && curl -s -o /dev/null "http://127.0.0.1:$nginx_port/" && break
    sleep 0.1
done

# Raw exchanges: sends stdin (LF turned into CRLF) and prints the status lines, the body length after
# the first head, and whether nginx closed the connection within $2 seconds.
cat >"$work/raw.py" <<'PY'
import socket, sys, time
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
s.sendall(sys.stdin.buffer.read().replace(b"\n", b"\r\n"))
s.settimeout(float(sys.argv[2]))
data, closed = b"", False
try:
    while True:
        chunk = s.recv(65536)
        if not chunk:
            closed = True
            break
        data += chunk
except socket.timeout:
    pass
head, _, body = data.partition(b"\r\n\r\n")
print(" ".join(l.decode() for l in data.split(b"\r\n") if l.startswith(b"HTTP/1.")), "body=%d" % len(body), "closed" if closed else "open")
PY
raw() { python3 "$work/raw.py" "$nginx_port" "${1:-2}"; }
weather="/weather/local/FR75056?r&cc=*&unit=m&dayf=9"
service_lines() { grep -c '"' "$work/service.log" || true; }

before=$(service_lines)
out=$(printf "GET $weather HTTP/1.1\nHost: x\nX-Big: %s\n\n" "$(head -c 20000 /dev/zero | tr '\0' a)" | raw)
[[ $out == "HTTP/1.1 431"* ]] || fail "oversized header: $out"
out=$(printf "GET /weather/local/%s HTTP/1.1\nHost: x\n\n" "$(head -c 20000 /dev/zero | tr '\0' a)" | raw)
[[ $out == "HTTP/1.1 414"* ]] || fail "oversized URI: $out"
[ "$(service_lines)" = "$before" ] || fail "an oversized request reached the service"
echo "PASS: oversized header (431) and URI (414) stop at nginx"

start=$(date +%s)
out=$(printf "" | raw 10)
[[ $out == *closed ]] && [ $(($(date +%s) - start)) -le 8 ] || fail "idle connection: $out"
echo "PASS: an idle connection is closed within the timeout"

out=$(printf "HEAD $weather HTTP/1.1\nHost: x\nConnection: close\n\n" | raw)
[[ $out == "HTTP/1.1 200"*"body=0 closed" ]] || fail "HEAD: $out"
out=$(printf "GET $weather HTTP/1.1\nHost: x\nConnection: close\n\n" | raw)
[[ $out == "HTTP/1.1 200"*closed ]] || fail "Connection: close: $out"
out=$(printf "GET $weather HTTP/1.0\n\n" | raw)
[[ $out == "HTTP/1.1 200"*closed ]] || fail "HTTP/1.0: $out"
echo "PASS: HEAD has no body; Connection: close and HTTP/1.0 close"

for method in POST PUT DELETE; do
    [ "$(curl -s -o /dev/null -w '%{http_code}' -X $method "http://127.0.0.1:$nginx_port$weather")" = 405 ] || fail "$method not refused"
done
[ "$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$nginx_port/etc/passwd")" = 404 ] || fail "other paths not 404"
echo "PASS: other methods 405, other paths 404"

url="http://127.0.0.1:$nginx_port/weather/local/FR69123?r&cc=*&unit=m&dayf=9"
first=$(curl -s -D - -o "$work/first.xml" "$url" | tr -d '\r' | sed -n 's/^X-Cache-Status: //p')
second=$(curl -s -D - -o "$work/second.xml" "$url" | tr -d '\r' | sed -n 's/^X-Cache-Status: //p')
[ "$first" = MISS ] && [ "$second" = HIT ] || fail "cache: first $first, second $second"
cmp -s "$work/first.xml" "$work/second.xml" || fail "the cached answer differs"
[ "$(grep -c 'FR69123' "$work/service.log")" = 1 ] || fail "the service was asked twice"
url="http://127.0.0.1:$nginx_port/weather/local/FR13055?r&cc=*&unit=m&dayf=9"
seq 10 | xargs -P 10 -I{} curl -s -o /dev/null "$url"
[ "$(grep -c 'FR13055' "$work/service.log")" = 1 ] || fail "a burst made $(grep -c 'FR13055' "$work/service.log") upstream requests"
echo "PASS: a repeated request within the minute is a cache hit; a burst makes one upstream request"

# The rain map: its index, then a frame it lists, each asked twice and made once.
index="http://127.0.0.1:$nginx_port/carte/pluie"
curl -s -o "$work/carte.xml" "$index" && curl -s -o /dev/null "$index"
frame=$(grep -o '/carte/pluie/[0-9]*' "$work/carte.xml" | sed -n 9p)
[ -n "$frame" ] || fail "no frame in the map's index: $(head -c 300 "$work/carte.xml")"
type=$(curl -s -o "$work/frame.png" -w '%{content_type}' "http://127.0.0.1:$nginx_port$frame")
[ "$(curl -s -o /dev/null -w '%header{x-cache-status}' "http://127.0.0.1:$nginx_port$frame")" = HIT ] || fail "the frame was not cached"
[ "$type" = image/png ] && head -c 8 "$work/frame.png" | grep -q PNG || fail "the frame is not a PNG ($type)"
[ "$(grep -c '"GET /carte/pluie"' "$work/service.log")" = 1 ] && [ "$(grep -c "\"GET $frame\"" "$work/service.log")" = 1 ] \
    || fail "the map was asked of the service more than once"
echo "PASS: the rain map's index and frames through nginx, each made once"

# 1,500 connections from one address send their headers a byte a second (nginx counts none of them
# against the per-address limit before their headers are read); another client is still answered.
cat >"$work/flood.py" <<'PY'
import resource, socket, sys, time
resource.setrlimit(resource.RLIMIT_NOFILE, (4096, resource.getrlimit(resource.RLIMIT_NOFILE)[1]))
port, count, seconds = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
def connect():
    try:
        s = socket.create_connection(("127.0.0.1", port), timeout=0.5)
        s.send(b"GET / HTTP/1.1\r\n")
        return s
    except OSError:  # nginx's queue is full: tried again at the next round
        return None
flood = [connect() for _ in range(count)]
print("ready", flush=True)
end = time.time() + seconds
while time.time() < end:
    time.sleep(1)
    for i, s in enumerate(flood):
        try:
            s.send(b"X")
        except (OSError, AttributeError):  # closed at nginx's header timeout: the flood goes on
            if s: s.close()
            flood[i] = connect()
PY
python3 "$work/flood.py" "$nginx_port" 1500 8 >"$work/flood.out" &
flood=$!
pids+=($flood)
for _ in $(seq 100); do grep -q ready "$work/flood.out" && break; sleep 0.1; done
answered=0
for i in $(seq 40); do
    code=$(curl -s -m 3 --interface 127.0.0.2 -o /dev/null -w '%{http_code}' "http://127.0.0.1:$nginx_port/communes?q=Lyon") || true
    [ "$code" = 200 ] && answered=$((answered + 1))
    sleep 0.1
done
wait $flood || true
[ "$answered" -ge 38 ] || fail "during a flood of slow headers another client got $answered of 40 answers"
echo "PASS: a flood of 1,500 slow headers leaves another client answered ($answered of 40)"

# "Ma position" through nginx: answered, never from the cache; and no log, nginx's or the service's,
# keeps the point, whether the path is right, misspelt, or one the service's URL parser reads apart.
for path in "/communes/near?lat=48.00&lon=-4.10" "/communes/near?lat=48.00&lon=-4.10" \
            "/communes/near/?lat=47.99&lon=-4.11" "//communes/near?lat=47.98&lon=-4.12"; do
    curl -s -o "$work/near.xml" -w '%{http_code} %header{x-cache-status}\n' "http://127.0.0.1:$nginx_port$path" >>"$work/near.statuses"
    [ -s "$work/near-first.xml" ] || cp "$work/near.xml" "$work/near-first.xml"
done
grep -q "Quimper" "$work/near-first.xml" || fail "nearest commune through nginx: $(cat "$work/near-first.xml")"
[ "$(head -2 "$work/near.statuses" | tr '\n' ' ')" = "200  200  " ] || fail "nearest communes cached or refused: $(cat "$work/near.statuses")"
sleep 0.5  # nginx writes its access log line after the answer
if grep -E 'lat=|48\.00|47\.99|47\.98' "$work/service.log" "$work/nginx/access.log" "$work/nginx/error.log" >&2; then
    fail "a position is in a log"
fi
echo "PASS: the nearest communes through nginx, uncached, and no position in any log"

# One of the two services frozen (SIGSTOP: its kernel still accepts connections, nothing answers)
# under a bounded load of distinct requests: every request is answered 200 by the other, none gets
# nginx's 504 or 502.
awk -F'\t' 'NR % 97 == 5 { print "FR" $1 }' "$source/data/communes/communes.tsv" | head -60 >"$work/frozen-codes"
second_service=${pids[1]}
kill -STOP "$second_service"
start=$(date +%s)
xargs -P 4 -I{} curl -s -m 40 -o /dev/null -w '%{http_code}\n' "http://127.0.0.1:$nginx_port/weather/local/{}?r&cc=*&unit=m&dayf=9" \
    <"$work/frozen-codes" >"$work/frozen-statuses"
kill -CONT "$second_service"
[ "$(wc -l <"$work/frozen-statuses")" = 60 ] && [ "$(grep -c '^200$' "$work/frozen-statuses")" = 60 ] \
    || fail "with one service frozen: $(sort "$work/frozen-statuses" | uniq -c | tr '\n' ' ')"
echo "PASS: 60 requests from 4 clients, one service frozen: all answered 200 (in $(($(date +%s) - start)) s)"
sleep 11  # nginx rests the thawed service for fail_timeout (10 s) after its last timeout

# 300 requests, 4 clients, each for another commune (no cache hit); one service killed half-way.
awk -F'\t' 'NR % 100 == 1 { print "FR" $1 }' "$source/data/communes/communes.tsv" | head -300 >"$work/codes"
[ "$(wc -l <"$work/codes")" = 300 ] || fail "not enough commune codes"
xargs -P 4 -I{} curl -s -m 20 -o /dev/null -w '%{http_code}\n' "http://127.0.0.1:$nginx_port/weather/local/{}?r&cc=*&unit=m&dayf=9" \
    <"$work/codes" >"$work/statuses" &
load=$!
for _ in $(seq 300); do [ "$(wc -l <"$work/statuses")" -ge 150 ] && break; sleep 0.05; done
kill -KILL "$first_service"
wait $load
[ "$(wc -l <"$work/statuses")" = 300 ] && [ "$(grep -c '^200$' "$work/statuses")" = 300 ] \
    || fail "with one service killed: $(sort "$work/statuses" | uniq -c | tr '\n' ' ')"
echo "PASS: 300 requests from 4 clients, one service killed half-way: all answered 200"
