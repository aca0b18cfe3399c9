#!/bin/sh
# Makes the ID3 test files with independent tools: a short MP3 from lame,
# tagged by id3v2, eyeD3 and lame itself, then the files no tool writes and
# the mutagen-made ones through id3_builder.py.
#   make_id3_fixtures.sh OUTDIR
set -eu
out=$1
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3
rm -rf "$out.tmp" && mkdir -p "$out.tmp" && cd "$out.tmp"

sox -R -n -r 44100 -c 1 base.wav synth 1 sine 440
lame --quiet -b 32 -t base.wav base.mp3
rm base.wav
"$py" -c 'import sys; sys.stdout.buffer.write(b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00" + bytes(range(256)) + b"\xff\xd9")' > cover.jpg

tagged() { cp base.mp3 "$1"; }

tagged v1_id3v2.mp3
id3v2 -1 -a "Artist One" -t "Title One" -A "Album One" -y 2001 -c "Comment one" -T 7 -g 17 v1_id3v2.mp3 >/dev/null

lame --quiet --mp3input -b 32 -t --id3v1-only --tt "Lame Title" --ta "Lame Artist" --tl "Lame Album" \
  --ty 1999 --tc "Lame comment" --tn 7 --tg Rock base.mp3 v1_lame.mp3

tagged v1_eyed3.mp3
eyeD3 -Q --to-v1.1 -1 -a "Eye Artist" -t "Eye Title" -A "Eye Album" -n 5 -G Jazz v1_eyed3.mp3 >/dev/null

tagged v23_id3v2.mp3
id3v2 -2 -a "Id3v2 Artist" -t "Id3v2 Title" -A "Id3v2 Album" -y 2002 -c "Id3v2 comment" -T 3/12 -g 17 v23_id3v2.mp3 >/dev/null

for enc in latin1 utf16 utf16-be utf8; do
  case $enc in
    latin1) ver=--to-v2.3; title="Café Crème"; artist="Zoë" ;;
    utf16) ver=--to-v2.3; title="Кино 東京 😀"; artist="Ÿÿ артист" ;;
    utf16-be) ver=--to-v2.4; title="Большой BE 東京"; artist="BE 😀" ;;
    utf8) ver=--to-v2.4; title="Ünïcode 東京 😀"; artist="Кино" ;;
  esac
  tagged "eyed3_$enc.mp3"
  eyeD3 -Q $ver --encoding $enc -t "$title" -a "$artist" -A "Album $enc" -n 3 -N 12 -c "Comment $enc" \
    "eyed3_$enc.mp3" >/dev/null
done

tagged eyed3_cover.mp3
eyeD3 -Q --to-v2.3 -t "Cover title" --add-image cover.jpg:FRONT_COVER eyed3_cover.mp3 >/dev/null

lame --quiet --mp3input -b 32 -t --ti cover.jpg --tt "Lame cover" --ta "Lame" --add-id3v2 --pad-id3v2 \
  base.mp3 lame_cover.mp3

"$py" "$here/id3_builder.py" fixtures . base.mp3
cd .. && rm -rf "$out" && mv "$out.tmp" "$out"
