#!/usr/bin/env python3
"""Compares, with mutagen, the files the tag editor saved with the same files
as the tools made them. The user changed two fields: the ID3v1 album (MP3 and
Musepack files) and the comment of the second column (ID3v2, Vorbis comments,
APE). Everything else mutagen reads must be as it was: each file's own
values, pictures, other programs' frames and items, the stream.

  tag_editor_mutagen.py ORIGINALS SAVED
"""
import hashlib
import os
import sys

import mutagen
import mutagen.apev2
import mutagen.id3

ALBUM = "Edited album"
COMMENT = "Edited comment"


def digest(data):
    return "sha1:" + hashlib.sha1(data).hexdigest()


def id3v2_view(path):
    try:
        tags = mutagen.id3.ID3(path, translate=False, load_v1=False)
    except mutagen.id3.ID3NoHeaderError:
        return {}
    view = {}
    for key, frame in tags.items():
        if frame.FrameID == "APIC":
            view[key] = (frame.mime, frame.type, digest(frame.data))
        elif hasattr(frame, "text"):
            view[key] = tuple(str(t) for t in frame.text)
        else:
            view[key] = digest(frame._writeData())
    return view


def id3v1_view(path):
    with open(path, "rb") as f:
        data = f.read()
    frames = mutagen.id3.ParseID3v1(data[-128:]) if len(data) >= 128 else None
    return {key: tuple(str(t) for t in frame.text) for key, frame in (frames or {}).items()}


def ape_view(path):
    try:
        tag = mutagen.apev2.APEv2(path)
    except mutagen.apev2.APENoHeaderError:
        return {}
    view = {}
    for key, value in tag.items():
        text = digest(value.value) if value.kind == mutagen.apev2.BINARY else str(value)
        view[key.lower()] = text
    return view


def ogg_view(path):
    f = mutagen.File(path)
    items = {}
    for key, value in f.tags:
        items.setdefault(key.lower(), []).append(value)
    return {"vendor": f.tags.vendor, "items": items, "channels": f.info.channels, "length": f.info.length}


def stream(path):
    f = mutagen.File(path)
    return None if f is None else f.info.pprint()


def expected_id3v2(before):
    after = {k: v for k, v in before.items() if not k.startswith("COMM::")}
    # The editor's comment is the one without description.
    after["COMM"] = (COMMENT,)
    return after


def check(original, saved):
    name = os.path.basename(original)
    ext = os.path.splitext(name)[1]
    problems = []

    def compare(what, want, got):
        if want != got:
            problems.append("%s %s:\n  expected %r\n  found    %r" % (name, what, want, got))

    if ext in (".mp3", ".mpc"):
        want = id3v1_view(original)
        want["TALB"] = (ALBUM,)
        compare("ID3v1", want, id3v1_view(saved))
    if ext == ".mp3":
        got = {("COMM" if k.startswith("COMM::") and k.split(":")[1] == "" else k): v
               for k, v in id3v2_view(saved).items()}
        compare("ID3v2", expected_id3v2(id3v2_view(original)), got)
        compare("stream", stream(original), stream(saved))
    elif ext == ".ogg":
        want = ogg_view(original)
        want["items"]["comment"] = [COMMENT]
        compare("Vorbis comments", want, ogg_view(saved))
    else:
        want = ape_view(original)
        key = next((k for k in want if k == "comment"), "comment")
        want[key] = COMMENT
        compare("APE", want, ape_view(saved))
        if ext == ".wv":
            compare("stream", stream(original), stream(saved))
    return problems


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    originals, saved = sys.argv[1], sys.argv[2]
    names = sorted(n for n in os.listdir(saved))
    if len(names) < 2:
        sys.exit("no saved files in %s" % saved)
    problems = []
    for name in names:
        problems += check(os.path.join(originals, name), os.path.join(saved, name))
    for problem in problems:
        print(problem)
    print("%d files compared, %d differences" % (len(names), len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
