#!/bin/sh
# The player, run by its end-to-end test, plays three tones to a recorded
# PulseAudio null sink; the recording must hold them in list order.
# Usage: plays_in_order.sh <pulse_record.sh> <tone_order.py> <wine-run> <player_app_tests.exe>
set -u
recorder=$1 checker=$2 wine_run=$3 tests=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SV_RECORDING=1 "$recorder" "$work/recorded.raw" -- "$wine_run" "$tests" \
  --gtest_filter=Playback.PlaysTheListInOrderToTheSoundDevice
status=$?
[ "$status" -eq 0 ] || exit "$status"
python3 "$checker" "$work/recorded.raw" 44100 2 440 660 880
