#!/usr/bin/env bash
# The shipped nginx site configuration in front of the real service, unprivileged on loopback ports
# with its own configuration, pid and temporary folders: limits hold at nginx (the service never sees
# the request), idle clients are dropped, HEAD, "Connection: close" and POST behave, and a repeated
# request is answered from the cache.
# Usage: tst_nginx.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- service log:" >&2; cat "$work/service.log" >&2; cat "$work/nginx.log" "$work/nginx/error.log" >&2; exit 1; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

service_port=$(free_port) nginx_port=$(free_port)
"$build/bin/meteo-service" --port "$service_port" 2>"$work/service.log" &
pids+=($!)
"$source/scripts/nginx-local" "$work/nginx" "$nginx_port" "$service_port" 2>"$work/nginx.log" &
pids+=($!)
for _ in $(seq 50); do
    grep -q listening "$work/service.log" && curl -s -o /dev/null "http://127.0.0.1:$nginx_port/" && break
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
