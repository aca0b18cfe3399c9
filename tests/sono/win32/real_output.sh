#!/bin/sh
# Real output through waveOut: starts a private PulseAudio daemon with a null
# sink, records its monitor while OutputPlayer.exe plays under Wine, and
# checks the recording. Skipped (77) without PulseAudio on the host.
# Usage: real_output.sh <wine-run> <OutputPlayer.exe> <fixture, Wine path> <checker> <expected amplitude>
set -u
wine_run=$1 player=$2 fixture=$3 checker=$4 expected=$5
command -v pulseaudio >/dev/null && command -v parec >/dev/null || exit 77

work=$(mktemp -d)
chmod 700 "$work"
export XDG_RUNTIME_DIR="$work" HOME="$work"
daemon=""
recorder=""
keeper=""
finish() {
  [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null
  [ -n "$daemon" ] && kill "$daemon" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

pulseaudio -n --daemonize=yes --exit-idle-time=-1 --use-pid-file=yes \
  -L module-native-protocol-unix -L "module-null-sink sink_name=nullout" || exit 1
daemon=$(cat "$work/pulse/pid")

# Silence played all along keeps the sink running, so its monitor records
# from the start rather than from the first sound.
pacat -d nullout --format=s16le --rate=44100 --channels=2 --raw /dev/zero &
keeper=$!
: > "$work/recorded.raw"
parec -d nullout.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=20 >> "$work/recorded.raw" &
recorder=$!
# Plays only once the recorder delivers (a quarter of a second recorded):
# it may take a second or two to start.
waited=0
while [ "$(wc -c < "$work/recorded.raw")" -lt 44100 ] && [ "$waited" -lt 100 ]; do
  sleep 0.1
  waited=$((waited + 1))
done
"$wine_run" "$player" "$fixture"
played=$?
sleep 0.5
# An interrupt lets the recorder write out what it still holds.
kill -INT "$recorder" 2>/dev/null
wait "$recorder" 2>/dev/null
recorder=""
if [ "$played" -ne 0 ]; then
  echo "player failed with $played"
  exit 1
fi
python3 "$checker" "$work/recorded.raw" "$expected"
