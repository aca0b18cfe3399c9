#!/bin/sh
# The player, run by its end-to-end test with the shipped settings (the info
# bubble announces each song), plays two tones to a recorded PulseAudio null
# sink; the second must follow the first after at most a short pause.
# Usage: no_pause_between_songs.sh <pulse_record.sh> <tone_order.py> <wine-run> <player_app_tests.exe>
set -u
recorder=$1 checker=$2 wine_run=$3 tests=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SV_RECORDING=1 "$recorder" "$work/recorded.raw" -- "$wine_run" "$tests" \
  --gtest_filter=Playback.TheNextSongFollowsWithoutSilence
status=$?
[ "$status" -eq 0 ] || exit "$status"
python3 "$checker" --max-gap-ms=300 "$work/recorded.raw" 44100 2 440 660
