#!/bin/sh
# Real output of an "mms://" station: the loopback peers serve the tone,
# MmsOutputPlayer.exe plays it under Wine into a recorded PulseAudio null
# sink, and the recording must hold the tone. Skipped (77) without PulseAudio.
# Usage: mms_output.sh <mms_peer.py> <tone.asf> <wine-run> <MmsOutputPlayer.exe> <checker> <frequency>
set -u
peer=$1 asf=$2 wine_run=$3 player=$4 checker=$5 frequency=$6
recorder="$(dirname "$0")/../../support/pulse_record.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$peer" "$asf" -- sh "$recorder" "$work/recorded.raw" -- "$wine_run" "$player"
played=$?
[ "$played" -eq 77 ] && exit 77
if [ "$played" -ne 0 ]; then
  echo "player failed with $played"
  exit 1
fi
python3 "$checker" "$work/recorded.raw" "$frequency"
