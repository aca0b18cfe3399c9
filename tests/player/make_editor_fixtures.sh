#!/bin/sh
# Files for the tag editor's tests, each with or without each tag it edits,
# made by independent tools: sox (sources), lame (MP3), id3v2 (an ID3v1
# record alone), mutagen (ID3v2 with a picture and frames the editor does not
# model, a version 2.4 tag flagged with an extended header it lacks, APE
# tags), oggenc (a stream too short and one with too many channels for the
# stream check) and ffmpeg (WavPack with its own APE tag).
#   make_editor_fixtures.sh OUTDIR
set -eu
out=$1
mkdir -p "$out"
cd "$out"

sox -R -n -r 44100 -c 2 -b 16 source.wav synth 1 sine 440 vol 0.5
sox -R -n -r 44100 -c 2 -b 16 short.wav synth 0.05 sine 440
sox -R -n -r 44100 -c 5 -b 16 five.wav synth 1 sine 330 vol 0.5

lame --quiet -b 64 source.wav plain.mp3
cp plain.mp3 v1only.mp3
id3v2 -1 -t "Song B" -a "Artist B" -A "Album B" -y 2002 -T 2 -g 17 -c "Comment B" v1only.mp3

oggenc --quiet -q 0 -t "Short title" -a "Short artist" -l "Short album" -N 3 -d 2005 -G Blues \
  -c "COMMENT=Short comment" -o short.ogg short.wav
oggenc --quiet -q 0 -t "Five title" -a "Five artist" -l "Five album" -N 4 -d 2006 -G Jazz \
  -c "COMMENT=Five comment" -o five.ogg five.wav
oggenc --quiet -q 0 -t "Ogg title" -a "Ogg artist" -l "Shared album" -N 6 -d 2007 -G Pop \
  -c "COMMENT=Ogg comment" -c "REPLAYGAIN_TRACK_GAIN=-2.50 dB" -o long.ogg source.wav

ffmpeg -v error -y -i source.wav -c:a wavpack -fflags +bitexact -map_metadata -1 plain.wv
ffmpeg -v error -y -i source.wav -c:a wavpack -metadata title="WavPack title" -metadata artist="WavPack artist" \
  -metadata album="Shared album" -metadata track=5 -metadata year=2003 -metadata genre=Folk \
  -metadata comment="WavPack comment" tagged.wv

/usr/bin/python3 - <<'PY'
import shutil
from mutagen.apev2 import APEv2, APEValue, BINARY
from mutagen.id3 import ID3, APIC, COMM, TALB, TCON, TIT2, TPE1, TPOS, TRCK, TXXX, TYER

jpeg = bytes([0xFF, 0xD8, 0xFF, 0xE0]) + b"\0\x10JFIF\0" + bytes(range(256)) * 4 + bytes([0xFF, 0xD9])

def id3v2(name, title, artist, album, track, year, genre, comment):
    shutil.copyfile("plain.mp3", name)
    tags = ID3()
    tags.add(TIT2(encoding=1, text=title))
    tags.add(TPE1(encoding=1, text=artist))
    tags.add(TALB(encoding=1, text=album))
    tags.add(TRCK(encoding=0, text=track))
    tags.add(TYER(encoding=0, text=year))
    tags.add(TCON(encoding=0, text=genre))
    tags.add(COMM(encoding=0, lang="eng", desc="", text=comment))
    tags.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=jpeg))
    tags.add(TPOS(encoding=0, text="1/2"))
    tags.add(TXXX(encoding=0, desc="replaygain_track_gain", text="-6.5 dB"))
    tags.save(name, v1=0, v2_version=3)

# An ID3v2 tag and no ID3v1 record; then the same with a record of other
# values. The files with a second-column tag share their album, which the
# files without must not take.
id3v2("v2only.mp3", "Song A", "Artist A", "Shared album", "1/9", "2001", "Rock", "Comment A")
id3v2("both.mp3", "Song C", "Artist C", "Shared album", "3", "2004", "Blues", "Comment C")
def field(text, size):
    return text.encode("latin-1").ljust(size, b"\0")
with open("both.mp3", "ab") as f:
    f.write(b"TAG" + field("Record C", 30) + field("Record artist C", 30) + field("Record album C", 30) + b"2004"
            + field("Record comment C", 28) + b"\0\x03" + bytes([0]))

# An ID3v2 tag whose last frame claims more bytes than the tag holds, as a
# faulty tagger leaves it: it reads, but cannot be rewritten safely. An ID3v1
# record follows the audio.
shutil.copyfile("plain.mp3", "refused.mp3")
tags = ID3()
tags.add(TIT2(encoding=0, text="Refused title"))
tags.add(TPE1(encoding=0, text="Refused artist"))
tags.save("refused.mp3", v1=0, v2_version=3, padding=lambda info: 64)
data = bytearray(open("refused.mp3", "rb").read())
end = 10 + sum(10 + int.from_bytes(data[at + 4:at + 8], "big") for at in (10, 10 + 10 + int.from_bytes(data[14:18], "big")))
data[end:end + 10] = b"TPE2\x7f\xff\xff\xff\0\0"
open("refused.mp3", "wb").write(bytes(data) + b"TAG" + field("Refused record", 30) + bytes(94) + b"\xff")

# A version 2.4 tag whose header has the extended-header flag but no such
# header, as some taggers write it (mutagen reads its frames); the same with
# an ID3v1.1 record; and with the record and an extended-header size that
# runs past the tag where the first frame was, a tag nobody can read.
shutil.copyfile("plain.mp3", "extflag.mp3")
tags = ID3()
tags.add(TIT2(encoding=3, text="Flagged title"))
tags.add(TPE1(encoding=3, text="Flagged artist"))
tags.add(TALB(encoding=3, text="Flagged album"))
tags.save("extflag.mp3", v1=0, v2_version=4)
data = bytearray(open("extflag.mp3", "rb").read())
assert data[:4] == b"ID3\x04" and data[5] == 0 and data[10:14] == b"TIT2"
data[5] = 0x40
open("extflag.mp3", "wb").write(bytes(data))
flagged = ID3("extflag.mp3")
assert [flagged[k].text[0] for k in ("TIT2", "TPE1", "TALB")] == ["Flagged title", "Flagged artist", "Flagged album"]
record = (b"TAG" + field("Record title", 30) + field("Record artist", 30) + field("Record album", 30) + b"1999"
          + field("Record comment", 28) + b"\0\x04" + bytes([17]))
open("extflag_v1.mp3", "wb").write(bytes(data) + record)
data[10:14] = b"\x7f\x7f\x7f\x7f"
open("extflag_broken.mp3", "wb").write(bytes(data) + record)

# The WavPack file's own tag gains a cover; Musepack and Monkey's Audio
# files are only their signature and bytes, one with an APE tag.
tag = APEv2("tagged.wv")
tag["Cover Art (Front)"] = APEValue(b"front.jpg\0" + jpeg, BINARY)
tag.save()
body = bytes((i * 37 + 11) & 0xFF for i in range(6144))
open("tagged.mpc", "wb").write(b"MP+\x17" + body)
tag = APEv2()
tag["Title"] = "Musepack title"
tag["Artist"] = "Musepack artist"
tag["Album"] = "Shared album"
tag["Track"] = "8/10"
tag["Year"] = "2008"
tag["Genre"] = "Soul"
tag["Comment"] = "Musepack comment"
tag["Artists"] = ["One", "Two"]
tag.save("tagged.mpc")
open("plain.ape", "wb").write(b"MAC \x96\x0f" + body)
PY
rm -f source.wav short.wav five.wav
