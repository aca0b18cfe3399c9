#!/bin/sh
# Records a real PulseAudio client through pulse_record.sh: a file of two
# tones played by paplay must come back in order, and the command's status
# must come back too. Skipped (77) without PulseAudio on the host.
# Usage: pulse_record_selftest.sh <pulse_record.sh> <tone_order.py>
set -u
record=$1 checker=$2
command -v paplay >/dev/null || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sox -R -n -r 44100 -c 2 -b 16 "$work/low.wav" synth 0.8 sine 440 vol 0.3
sox -R -n -r 44100 -c 2 -b 16 "$work/high.wav" synth 0.8 sine 880 vol 0.3
sox "$work/low.wav" "$work/high.wav" "$work/both.wav"

sh "$record" "$work/played.raw" -- paplay "$work/both.wav"
status=$?
[ "$status" -eq 77 ] && exit 77
if [ "$status" -ne 0 ]; then
  echo "FAIL: recording paplay exited $status"
  exit 1
fi
python3 "$checker" "$work/played.raw" 44100 2 440 880 || { echo "FAIL: the tones did not come back in order"; exit 1; }

sh "$record" "$work/nothing.raw" -- sh -c 'exit 3'
status=$?
if [ "$status" -ne 3 ] || [ ! -s "$work/nothing.raw" ]; then
  echo "FAIL: a command exiting 3 gave $status, or no recording of its silence"
  exit 1
fi
python3 "$checker" "$work/nothing.raw" 44100 2 440 >/dev/null && { echo "FAIL: silence passed for a tone"; exit 1; }

sh "$record" "$work/unused.raw" paplay 2>/dev/null
[ $? -eq 2 ] || { echo "FAIL: a missing -- was not refused"; exit 1; }
echo "pulse_record passed"
