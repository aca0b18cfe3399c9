#!/bin/sh
# Song files for the song-information and display-title tests, made by
# independent tools: sox (WAV and the sources), lame (MP3, its own ID3 tags),
# oggenc (Ogg Vorbis with comments) and mutagen (ID3v2 with pictures).
#   make_song_fixtures.sh OUTDIR
set -eu
out=$1
mkdir -p "$out"
cd "$out"

sox -R -n -r 44100 -c 2 -b 16 tone3.wav synth 3 sine 440 vol 0.5
sox -R -n -r 44100 -c 2 -b 16 source2.wav synth 2 sine 660 vol 0.5

lame --quiet -b 128 source2.wav plain.mp3
lame --quiet -b 128 --add-id3v2 --tt "Lame Title" --ta "Lame Artist" --tl "Lame Album" \
  --ty 2001 --tn 7 source2.wav lame-tagged.mp3

oggenc --quiet -q 3 -o plain.ogg source2.wav
oggenc --quiet -q 3 -t "Ogg Title" -a "Ogg Artist" -l "Ogg Album" -N 4 -d 2004-05-01 \
  -G Jazz -c "comment=Ogg note" -o tagged.ogg source2.wav

/usr/bin/python3 - <<'PY'
import shutil
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TDRC, APIC

jpeg = bytes([0xFF, 0xD8, 0xFF, 0xE0]) + b"\0\x10JFIF\0" + bytes(200) + bytes([0xFF, 0xD9])
png = b"\x89PNG\r\n\x1a\n" + bytes(64)
for name, picture, mime in (("mutagen-jpeg.mp3", jpeg, "image/jpeg"), ("mutagen-png.mp3", png, "image/jpeg")):
    shutil.copyfile("plain.mp3", name)
    tags = ID3()
    tags.add(TIT2(encoding=3, text="Caf\u00e9 Song"))
    tags.add(TPE1(encoding=3, text="  Mutagen Artist "))
    tags.add(TALB(encoding=1, text="Album \u6771\u4eac"))
    tags.add(TRCK(encoding=0, text="3/12"))
    tags.add(TDRC(encoding=0, text="1999"))
    tags.add(APIC(encoding=0, mime=mime, type=3, desc="", data=picture))
    tags.save(name, v2_version=3)
PY

# An ID3v2 title that is not the ID3v1 one, for the search's fallback.
/usr/bin/python3 - <<'PY'
import shutil
from mutagen.id3 import ID3, TIT2

shutil.copyfile("plain.mp3", "search-v1.mp3")
tags = ID3()
tags.add(TIT2(encoding=3, text="Nope"))
tags.save("search-v1.mp3", v1=0, v2_version=3)
def field(text, size):
    return text.encode("latin-1").ljust(size, b"\0")
with open("search-v1.mp3", "ab") as f:
    f.write(b"TAG" + field("Needle", 30) + field("Artist One", 30) + field("Album One", 30) + b"1999" + field("", 30) + bytes([255]))
PY
