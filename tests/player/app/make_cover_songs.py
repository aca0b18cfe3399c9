"""Two MP3 files whose ID3v2 tags hold different JPEG covers, made with
lame and mutagen from pictures the build wrote.
Usage: make_cover_songs.py <tone.wav> <first.jpg> <second.jpg> <output folder>"""
import os
import subprocess
import sys

import mutagen.id3


def main():
    wav, first, second, out = sys.argv[1:5]
    os.makedirs(out, exist_ok=True)
    for name, picture in (("cover1.mp3", first), ("cover2.mp3", second)):
        path = os.path.join(out, name)
        subprocess.run(["lame", "--quiet", "-b", "32", wav, path], check=True)
        tags = mutagen.id3.ID3()
        tags.add(mutagen.id3.TIT2(encoding=3, text=name))
        tags.add(mutagen.id3.APIC(encoding=0, mime="image/jpeg", type=3, desc="",
                                  data=open(picture, "rb").read()))
        tags.save(path, v2_version=3)


main()
