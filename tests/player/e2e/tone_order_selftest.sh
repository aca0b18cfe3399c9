#!/bin/sh
# Runs tone_order.py on recordings made by sox: tones in order pass; the
# wrong order, silence, noise, a tone too short, heard once too often or an
# unexpected sound between them fail; a skip of the output within a tone
# does not split it. With a bound on the silence between tones, a pause
# longer than the bound fails.
# Usage: tone_order_selftest.sh <tone_order.py>
set -u
checker=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# tone <file> <seconds> <frequency|silence|noise> [rate] [channels]
tone() {
  case $3 in
    silence) sound="sine 440 vol 0" ;;
    noise) sound="whitenoise vol 0.3" ;;
    *) sound="sine $3 vol 0.3" ;;
  esac
  # shellcheck disable=SC2086 # $sound is several sox words
  sox -R -n -r "${4:-44100}" -c "${5:-2}" -b 16 -e signed -t raw "$work/$1" synth "$2" $sound
}

# expect <exit status> <recording> <rate> <channels> <frequencies...>
expect() {
  want=$1
  shift
  out=$(python3 "$checker" "$@" 2>&1)
  got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: tone_order.py $* exited $got, expected $want:"
    echo "$out"
    failures=$((failures + 1))
  fi
}

tone a 1 440; tone b 1 880; tone c 0.8 1320; tone gap 0.5 silence
tone blip 0.2 880; tone hiss 2 noise; tone quiet 3 silence
tone a48 0.7 440 48000 1; tone drop48 0.1 silence 48000 1; tone b48 0.7 880 48000 1
tone c48 0.5 1320 48000 1
tone long-drop 0.25 silence; tone crackle 0.05 noise
cd "$work" || exit 1
cat gap a gap b gap > in-order.raw
cat b a > reversed.raw
cat a blip gap > too-short.raw
cat a48 drop48 a48 b48 c48 > dropout-48k-mono.raw
cat a gap a > twice.raw
cat a long-drop crackle a b > long-dropout.raw
cat a hiss b > noise-between.raw
cat a b > joined.raw

expect 0 in-order.raw 44100 2 440 880
expect 1 reversed.raw 44100 2 440 880
expect 1 quiet 44100 2 440 880
expect 1 hiss 44100 2 440 880
expect 1 too-short.raw 44100 2 440 880
expect 0 dropout-48k-mono.raw 48000 1 440 880 1320
expect 1 dropout-48k-mono.raw 48000 1 440 1320
expect 0 twice.raw 44100 2 440 440
expect 0 long-dropout.raw 44100 2 440 880
expect 1 long-dropout.raw 44100 2 440 440 880
expect 1 twice.raw 44100 2 440
expect 1 noise-between.raw 44100 2 440 880
expect 1 in-order.raw 44100 2 440 880 1320
expect 1 missing.raw 44100 2 440 880
expect 0 --max-gap-ms=300 joined.raw 44100 2 440 880
expect 0 --max-gap-ms=600 in-order.raw 44100 2 440 880
expect 1 --max-gap-ms=300 in-order.raw 44100 2 440 880
expect 2 --max-gap-ms=x joined.raw 44100 2 440 880
expect 2 in-order.raw 44100 2
expect 2 in-order.raw 44100 2 30000
expect 2 in-order.raw 8 2 1

# The reason is printed, not only the status.
python3 "$checker" quiet 44100 2 440 880 | grep -q "is silent" ||
  { echo "FAIL: no reason given for a silent recording"; failures=$((failures + 1)); }
python3 "$checker" reversed.raw 44100 2 440 880 | grep -q "heard: 880 Hz" ||
  { echo "FAIL: no account of what was heard"; failures=$((failures + 1)); }

python3 "$checker" --max-gap-ms=300 in-order.raw 44100 2 440 880 | grep -q "ms of silence between 440 Hz" ||
  { echo "FAIL: no account of a long pause"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "all tone order checks passed"
[ "$failures" -eq 0 ]
