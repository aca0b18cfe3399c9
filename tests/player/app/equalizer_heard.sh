#!/bin/sh
# The player, run by its end-to-end test, plays a quiet second of 1100 Hz
# twice to a recorded PulseAudio null sink, the second time with the
# equalizer's 1114.3 Hz band raised by 12 dB; the recording must hold
# both, the second 12 dB louder.
# Usage: equalizer_heard.sh <pulse_record.sh> <check_recording.py> <wine-run> <player_app_tests.exe>
set -u
recorder=$1 checker=$2 wine_run=$3 tests=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SV_RECORDING=1 "$recorder" "$work/recorded.raw" -- "$wine_run" "$tests" \
  --gtest_filter=Equalizer.ARaisedBandIsHeard
status=$?
[ "$status" -eq 0 ] || exit "$status"
python3 "$checker" "$work/recorded.raw" 3277 1100
