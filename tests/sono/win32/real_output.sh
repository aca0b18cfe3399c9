#!/bin/sh
# Real output through waveOut: OutputPlayer.exe plays under Wine into a
# recorded PulseAudio null sink, and the recording is checked. Skipped (77)
# without PulseAudio on the host.
# Usage: real_output.sh <wine-run> <OutputPlayer.exe> <fixture, Wine path> <checker> <expected amplitude>
set -u
wine_run=$1 player=$2 fixture=$3 checker=$4 expected=$5
recorder="$(dirname "$0")/../../support/pulse_record.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sh "$recorder" "$work/recorded.raw" -- "$wine_run" "$player" "$fixture"
played=$?
[ "$played" -eq 77 ] && exit 77
if [ "$played" -ne 0 ]; then
  echo "player failed with $played"
  exit 1
fi
python3 "$checker" "$work/recorded.raw" "$expected"
