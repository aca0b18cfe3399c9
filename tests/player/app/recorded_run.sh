#!/bin/sh
# Runs one end-to-end case of the player while a PulseAudio null sink records
# what it plays, then a checker on the recording: each argument RECORDING
# given to the checker stands for the recorded file.
# Usage: recorded_run.sh <pulse_record.sh> <wine-run> <player_app_tests.exe> <gtest filter> <checker.py> [arg ...]
set -u
recorder=$1 wine_run=$2 tests=$3 filter=$4 checker=$5
shift 5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SV_RECORDING=1 "$recorder" "$work/recorded.raw" -- "$wine_run" "$tests" --gtest_filter="$filter"
status=$?
[ "$status" -eq 0 ] || exit "$status"
for arg; do
  shift
  [ "$arg" = RECORDING ] && arg=$work/recorded.raw
  set -- "$@" "$arg"
done
python3 "$checker" "$@"
