#!/bin/sh
# Runs the HTTP client benchmark under Wine, then downloads the same body
# with curl from the benchmark's server, and prints both rates as one
# benchmark row. Usage: http_client_bench.sh <build dir>
set -eu
build=$1
exe="$build/tests/net/win32/http_client_bench.exe"
portfile=$(mktemp)
ours=$(mktemp)
rm -f "$portfile"
WINEPREFIX="${WINEPREFIX:-$build/wineprefix}" WINEDEBUG=-all wine "$exe" "$(winepath -w "$portfile" 2>/dev/null || echo "$portfile")" >"$ours" &
bench=$!
tries=0
while [ ! -s "$portfile" ] && [ $tries -lt 1200 ]; do sleep 0.1; tries=$((tries + 1)); done
curl_rate=""
if [ -s "$portfile" ]; then
  port=$(tr -d '\r\n ' < "$portfile")
  curl_rate=$(curl -s -o /dev/null -w '%{speed_download}' "http://127.0.0.1:$port/big")
fi
status=0
wait $bench || status=$?
tr -d '\r' <"$ours"
rm -f "$portfile"
[ -n "$curl_rate" ] && echo "curl: $curl_rate bytes/s"
ours_rate=$(tr -d '\r' <"$ours" | sed -n 's/^THttpClient: .*, \([0-9.]*\) MB\/s$/\1/p')
rm -f "$ours"
if [ -n "$ours_rate" ] && [ -n "$curl_rate" ]; then
  printf 'BENCH\tHTTP download, 100 MB from 127.0.0.1: ours under Wine vs curl\t%s\t%s\tMB/s\n' \
    "$ours_rate" "$(awk -v r="$curl_rate" 'BEGIN { printf "%.1f", r / 1048576 }')"
fi
exit $status
