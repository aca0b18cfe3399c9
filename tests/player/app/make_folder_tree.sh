#!/bin/sh
# A folder tree for the folder-tree and search tests, made on the build host:
# twelve levels of folders, names in mixed case and outside the ANSI code
# page, a folder named like a playlist, playlists, a link back up (a loop),
# 150 short songs in one folder, and tagged songs for the search. The first
# song of that folder and the jazz one are long: the tests read what plays
# while they play.
#   make_folder_tree.sh OUTDIR SONG.wav TAGGED.mp3 TAGGED.ogg LONG.wav
set -eu
out=$1
wav=$2
v1mp3=$3
ogg=$4
long=$5
rm -rf "$out"
mkdir -p "$out"
cd "$out"

mkdir -p Music/Rock Music/jazz Music/Bach "Music/x.m3u/inner" "Music/Ünïcödé 音楽" Music/Many
path=Music/Deep
for level in 1 2 3 4 5 6 7 8 9 10 11 12; do
  path=$path/L$level
done
mkdir -p "$path"
# A link from deep inside back to the base: walks must end all the same.
ln -s .. Music/Rock/loop
printf '#EXTM3U\r\n' > Music/list.m3u
printf '[playlist]\r\n' > Music/Rock/Live.PLS
cp "$wav" Music/Rock/b.wav
cp "$wav" Music/Rock/A.wav
cp "$long" Music/jazz/c.wav
cp "$wav" "Music/Ünïcödé 音楽/é.wav"
i=0
while [ $i -lt 150 ]; do
  cp "$wav" "Music/Many/song$(printf %03d $((149 - i))).wav"
  i=$((i + 1))
done
cp "$long" Music/Many/song000.wav

# For the search: a folder named like the text, one below a folder that is
# not, an MP3 whose ID3v1 title differs from its ID3v2 one, a tagged Ogg.
mkdir -p Search/Alpha Search/beta/Alpha-sub Search/gamma
cp "$wav" Search/Alpha/one.wav
cp "$wav" Search/beta/Alpha-sub/two.wav
cp "$wav" Search/beta/three.wav
cp "$v1mp3" Search/gamma/v1.mp3
cp "$ogg" Search/gamma/tagged.ogg
ln -s .. Search/gamma/loop
# A song the search test holds locked.
cp "$ogg" Search/gamma/locked.ogg
