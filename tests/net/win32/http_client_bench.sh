#!/bin/sh
# Runs the HTTP client benchmark under Wine, then downloads the same body
# with curl from the benchmark's server. Usage: http_client_bench.sh <build dir>
set -eu
build=$1
exe="$build/tests/net/win32/http_client_bench.exe"
portfile=$(mktemp)
rm -f "$portfile"
WINEPREFIX="${WINEPREFIX:-$build/wineprefix}" WINEDEBUG=-all wine "$exe" "$(winepath -w "$portfile" 2>/dev/null || echo "$portfile")" &
bench=$!
tries=0
while [ ! -s "$portfile" ] && [ $tries -lt 1200 ]; do sleep 0.1; tries=$((tries + 1)); done
if [ -s "$portfile" ]; then
  port=$(tr -d '\r\n ' < "$portfile")
  curl -s -o /dev/null -w 'curl: %{size_download} bytes in %{time_total} s, %{speed_download} bytes/s\n' \
    "http://127.0.0.1:$port/big"
fi
wait $bench
rm -f "$portfile"
