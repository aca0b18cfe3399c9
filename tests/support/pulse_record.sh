#!/bin/sh
# Records what a command plays: starts a private PulseAudio daemon whose only
# sink is a null sink, records that sink's monitor while the command runs and
# writes the recording (raw s16le, 44100 Hz, stereo) to <output.raw>.
# Exits with the command's status; 77 (skip) without PulseAudio on the host.
# The command and its children reach the daemon through PULSE_SERVER; a
# Wine program plays there through Wine's PulseAudio driver.
# Usage: pulse_record.sh <output.raw> -- <command...>
set -u
if [ $# -lt 3 ] || [ "$2" != "--" ]; then
  echo "usage: $0 <output.raw> -- <command...>" >&2
  exit 2
fi
output=$1
shift 2
command -v pulseaudio >/dev/null && command -v parec >/dev/null && command -v pacat >/dev/null || exit 77

work=$(mktemp -d)
chmod 700 "$work"
daemon=""
recorder=""
keeper=""
# shellcheck disable=SC2317 # run by the EXIT trap
finish() {
  [ -n "$keeper" ] && kill "$keeper" 2>/dev/null
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null
  if [ -n "$daemon" ] && kill "$daemon" 2>/dev/null; then
    # It still writes into the folder while it stops.
    tries=0
    while kill -0 "$daemon" 2>/dev/null && [ "$tries" -lt 50 ]; do
      sleep 0.1
      tries=$((tries + 1))
    done
  fi
  rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM

# The daemon keeps its state, cookie and socket in the private folder; the
# socket takes anonymous clients, so they need no cookie of their own.
HOME="$work" XDG_RUNTIME_DIR="$work" pulseaudio -n --daemonize=yes --exit-idle-time=-1 \
  --use-pid-file=yes --log-target=stderr --log-level=error \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$work/native" \
  -L "module-null-sink sink_name=nullout" || exit 1
daemon=$(cat "$work/pulse/pid")
export PULSE_SERVER="unix:$work/native" PULSE_SINK=nullout

# Silence played all along keeps the sink running, so its monitor records
# from the start rather than from the first sound.
pacat -d nullout --format=s16le --rate=44100 --channels=2 --raw /dev/zero &
keeper=$!
: > "$work/recorded.raw"
parec -d nullout.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=20 >> "$work/recorded.raw" &
recorder=$!
# The command starts only once the recorder delivers (a quarter of a second
# recorded): it may take a second or two to start.
waited=0
while [ "$(wc -c < "$work/recorded.raw")" -lt 44100 ] && [ "$waited" -lt 100 ]; do
  sleep 0.1
  waited=$((waited + 1))
done
if [ "$waited" -ge 100 ]; then
  echo "pulse_record: the recorder delivered nothing in ten seconds" >&2
  exit 1
fi
"$@"
played=$?
sleep 0.5
# An interrupt lets the recorder write out what it still holds.
kill -INT "$recorder" 2>/dev/null
wait "$recorder" 2>/dev/null
recorder=""
cp "$work/recorded.raw" "$output" || exit 1
exit "$played"
