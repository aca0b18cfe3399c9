#!/bin/sh
# Songs for the benchmarks, made by sox and lame: a 60-second MP3 for decode
# and playback costs and a 2-second one for song changes, both 44.1 kHz
# stereo at 192 kbit/s, as a ripped album would be, and the 2-second one
# with its tags for imports.
#   make_bench_songs.sh OUTDIR
set -eu
out=$1
mkdir -p "$out"
cd "$out"
sox -R -n -r 44100 -c 2 -b 16 song60.wav synth 60 sine 220-880 sine 330 tremolo 3 40 vol 0.5
sox -R -n -r 44100 -c 2 -b 16 song2.wav synth 2 sine 523 sine 659 vol 0.5
lame --quiet -b 192 song60.wav song60.mp3
lame --quiet -b 192 song2.wav song2.mp3
lame --quiet -b 192 --tt "Bench title" --ta "Bench artist" --tl "Bench album" --ty 2024 --tn 3 song2.wav tagged2.mp3
rm -f song60.wav song2.wav
