#!/usr/bin/python3
"""Builds ID3 test files that no installed tool writes, straight from the
published layouts (Lyrics3 v2, ID3v2.2, unsynchronised and extended-header
tags, odd frame orders, malformed sizes), writes the mutagen-made fixtures,
and reads files back with mutagen as the independent oracle.

  id3_builder.py fixtures OUTDIR BASE.mp3   hand-built and mutagen fixtures
  id3_builder.py malformed OUTDIR           the committed regression inputs
  id3_builder.py dump FILE                  mutagen's view of FILE's ID3v2 tag
  id3_builder.py dumpv1 FILE                mutagen's view of FILE's ID3v1 record
  id3_builder.py lyrics3 FILE               the Lyrics3 v2 block of FILE

The readers print one "KEY<TAB>VALUE" line per item, values with "\\" and
line breaks escaped as \\\\, \\r and \\n.
"""
import hashlib
import os
import struct
import sys
import zlib

JPEG = (b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
        + bytes(range(256)) + b"\xff\x00\xff\xe1" + b"\xff\xd9")
PNG = b"\x89PNG\r\n\x1a\n" + b"\x00" * 64


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def unsync(data):
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] == 0 or data[i + 1] >= 0xE0):
            out.append(0)
    return bytes(out)


def f22(fid, data):
    return fid.encode() + struct.pack(">I", len(data))[1:] + data


def f23(fid, data, flags=b"\0\0", size=None):
    return fid.encode() + struct.pack(">I", len(data) if size is None else size) + flags + data


def f24(fid, data, flags=b"\0\0", size=None):
    return fid.encode() + syncsafe(len(data) if size is None else size) + flags + data


def f24_plain(fid, data, flags=b"\0\0"):
    """A 2.4 frame whose size is a plain integer, as other writers wrongly store it."""
    return fid.encode() + struct.pack(">I", len(data)) + flags + data


def utf8(text):
    return b"\x03" + text.encode()


def tag(version, body, padding=0, flags=0, size=None, footer=False):
    body = body + b"\0" * padding
    flags |= 0x10 if footer else 0
    n = len(body) if size is None else size
    head = b"ID3" + bytes([version, 0, flags]) + (syncsafe(n) if isinstance(n, int) else n)
    foot = b"3DI" + bytes([version, 0, flags]) + syncsafe(n) if footer else b""
    return head + body + foot


def latin1(text):
    return b"\0" + text.encode("latin-1")


def utf16(text, bom=b"\xff\xfe", codec="utf-16-le"):
    return b"\x01" + bom + text.encode(codec)


def lyrics3(fields, record=None):
    body = b"LYRICSBEGIN" + b"".join(fid.encode() + b"%05d" % len(v) + v for fid, v in fields)
    return body + b"%06d" % len(body) + b"LYRICS200" + (record or b"")


def v1record(title=b"", artist=b"", album=b"", year=b"", comment=b"", track=None, genre=255):
    def pad(b, n):
        return b[:n] + b"\0" * (n - len(b[:n]))
    rec = b"TAG" + pad(title, 30) + pad(artist, 30) + pad(album, 30) + pad(year, 4)
    if track is None:
        rec += pad(comment, 30)
    else:
        rec += pad(comment, 28) + b"\0" + bytes([track])
    return rec + bytes([genre])


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def handbuilt(out, audio):
    w = lambda name, data: write(os.path.join(out, name), data)
    # Version 2.2, which mutagen reads but no tool writes.
    w("v22.mp3", tag(2, f22("TT2", latin1("Two Two Title")) + f22("TP1", utf16("Артист"))
                     + f22("TAL", latin1("Album 22")) + f22("TRK", latin1("4/9"))
                     + f22("TYE", latin1("1998")) + f22("TCO", latin1("(17)"))
                     + f22("COM", b"\0eng\0" + b"Old comment")
                     + f22("PIC", b"\0JPG\x03\0" + JPEG) + f22("TXX", b"\0k\0v"), 100) + audio)
    # Whole-tag unsynchronisation: FF bytes inside the frames.
    frames = (f23("TIT2", utf16("ÿ unsync ÿ")) + f23("TPE1", latin1("Unsync Artist"))
              + f23("APIC", b"\0image/jpeg\0\x03\0" + JPEG))
    w("v23_unsync.mp3", tag(3, unsync(frames), 50, flags=0x80) + audio)
    # Extended headers: 2.3 counts without its size field, 2.4 with.
    ext23 = struct.pack(">I", 6) + b"\0\0" + struct.pack(">I", 0)
    w("v23_ext.mp3", tag(3, ext23 + f23("TIT2", latin1("Ext 23")), 30, flags=0x40) + audio)
    ext24 = syncsafe(6) + b"\x01\x00"
    w("v24_ext.mp3", tag(4, ext24 + f24("TIT2", b"\x03" + "Ext 24 ✓".encode()), 30, flags=0x40) + audio)
    # Version 2.4 footer: the tag is 10 bytes longer.
    w("v24_footer.mp3", tag(4, f24("TIT2", b"\x03Footer") + f24("TPE1", b"\x03Foot"), 0, footer=True) + audio)
    # The footer flag on a 2.3 tag means nothing; the audio follows the body.
    w("v23_footer_flag.mp3", tag(3, f23("TIT2", latin1("No footer")), 20, flags=0x10) + audio)
    # A 600-byte picture before the title.
    w("v23_apic_first.mp3", tag(3, f23("APIC", b"\0image/jpeg\0\x03\0" + JPEG + b"\0" * (600 - len(JPEG) - 14))
                                + f23("TIT2", latin1("After picture")), 100) + audio)
    # Version 2.4 frame-level unsynchronisation with a data-length indicator.
    data = b"\x01\xff\xfe" + "ÿÿ frame".encode("utf-16-le")
    w("v24_frame_unsync.mp3", tag(4, f24("TIT2", syncsafe(len(data)) + unsync(data),
                                         flags=b"\0\x03") + f24("TPE1", b"\x00Plain"), 40) + audio)
    # A 200-byte frame in 2.4 (size 00 00 01 48) read whole, the next one after it.
    w("v24_200.mp3", tag(4, f24("COMM", b"\x03eng\0" + b"c" * 195) + f24("TIT2", b"\x03After 200"), 20) + audio)
    # In place versus rebuild around 4096 bytes.
    small = f23("TIT2", latin1("Sized")) + f23("PRIV", b"owner\0" + b"p" * 40)
    w("v23_4096.mp3", tag(3, small, 4096 - 10 - len(small)) + audio)
    w("v23_5000.mp3", tag(3, small, 5000 - 10 - len(small)) + audio)
    # An existing "file~" next to a file that needs a rebuild.
    w("untagged.mp3", audio)
    # Lyrics3 v2 with and without an ID3v1 record.
    long_title = b"A title of forty characters, exactly..."
    fields = [("IND", b"10"), ("ETT", long_title + b"!"), ("EAR", b"Short artist"),
              ("INF", b"Info \xe9t\xe9"), ("AUT", b"Author"), ("LYR", b"line1\rline2\r\nline3\nend"),
              ("IMG", b"cover.jpg||")]
    rec = v1record(b"Record title", b"Record artist", b"Record album", b"2004", b"c", 9, 17)
    w("lyrics3_v1.mp3", audio + lyrics3(fields, rec))
    w("lyrics3_only.mp3", audio + lyrics3(fields))
    w("lyrics3_longonly.mp3", audio + lyrics3([("IND", b"00"), ("ETT", long_title + b"!")], rec))
    w("lyrics3_unknown.mp3", audio + lyrics3([("ETT", b"Known"), ("XYZ", b"stop"), ("AUT", b"Hidden")], rec))
    w("v1_blank_rule.mp3", audio + v1record(b"Blank", comment=b"x" * 28 + b" \x05", genre=12))
    # Left-over bytes after the NUL that ends each text.
    w("v1_nul_garbage.mp3", audio + v1record(b"Real title\0garbage", b"Real artist\0junk", b"Album\0old album",
                                              b"19\0x", b"Note\0left over", 3, 17))
    # A block that carries only an image link.
    w("lyrics3_imageonly.mp3", audio + lyrics3([("IND", b"00"), ("IMG", b"cover.jpg||")],
                                               v1record(b"Image only", b"Record artist")))
    real_world_patterns(w, audio)


def real_world_patterns(w, audio):
    """Tags as other programs really write them, each a fault once."""
    # Version 2.4 with plain frame sizes: the picture (2560 bytes: 00 00 0A 00,
    # every byte sync-safe but meaning 1280 that way), a 300-byte comment and a
    # 256-byte UTF-16 title, with the fields after them.
    picture = JPEG + b"\0" * (2560 - 14 - len(JPEG))
    w("v24_plain_sizes.mp3", tag(4, f24_plain("TIT2", utf16("Plain " * 41 + "ti"))
                                       + f24_plain("APIC", b"\0image/jpeg\0\x03\0" + picture)
                                       + f24_plain("COMM", b"\0eng\0" + b"c" * 295)
                                       + f24_plain("TPE1", latin1("Plain artist"))
                                       + f24_plain("TALB", latin1("Plain album"))
                                       + f24_plain("TRCK", latin1("5/9")) + f24_plain("TDRC", latin1("2011"))
                                       + f24_plain("TCON", latin1("Jazz")), 200) + audio)
    # Version 2.2 frames with no field of their own, each with a 2.3 form.
    w("v22_frames.mp3", tag(2, f22("TT2", latin1("Two Two")) + f22("TDA", latin1("0504"))
                                  + f22("TIM", latin1("1230")) + f22("TXX", b"\0key\0value")
                                  + f22("ULT", b"\0eng\0Words of the song") + f22("UFI", b"http://x\0\x01\x02")
                                  + f22("TP2", utf16("Ансамбль")) + f22("TPA", latin1("1/2"))
                                  + f22("POP", b"a@b\0\xc8\0\0\0\x03") + f22("CRM", b"owner\0x\0data"), 64) + audio)
    # Version 2.4: a recording time with date and time, a frame with the
    # data-length flag and a 1-byte body, and the frames after it.
    w("v24_dates.mp3", tag(4, f24("TIT2", utf8("Dated")) + f24("TDRC", utf8("2003-04-05T06:07:08"))
                                 + f24("TPE2", b"\0", flags=b"\0\x01") + f24("TPE1", utf8("After the short frame"))
                                 + f24("TALB", utf8("Album")), 64) + audio)
    # Version 2.4 frames whose layouts carry texts in encodings 2 and 3, and
    # a compressed frame.
    text = b"\x03" + "Сжатый текст ".encode() * 20
    packed = zlib.compress(text)
    w("v24_encodings.mp3", tag(4, f24("TIT2", utf8("Encodings"))
                                  + f24("APIC", b"\x03image/jpeg\0\x03" + "Обложка ✓".encode() + b"\0" + JPEG)
                                  + f24("WXXX", b"\x03" + "Ссылка".encode() + b"\0http://example.com/")
                                  + f24("GEOB", b"\x02text/plain\0" + "файл.txt".encode("utf-16-be") + b"\0\0"
                                        + "Описание".encode("utf-16-be") + b"\0\0" + b"object bytes")
                                  + f24("TCOM", syncsafe(len(text)) + packed, flags=b"\0\x09")
                                  + f24("TPE1", utf8("After")), 64) + audio)
    # A tag claiming more than the file holds: a cut download. Its frames up
    # to the cut are whole.
    frames = f23("TIT2", latin1("Cut short")) + f23("TPE1", latin1("Cut artist")) + f23("APIC", b"\0image/jpeg\0\x03\0" + JPEG)
    w("v23_past_end.mp3", tag(3, frames, size=len(frames) + 5000)[:-100])


def mutagen_fixtures(out, audio):
    from mutagen.id3 import (ID3, TIT2, TPE1, TALB, TRCK, TYER, TCON, COMM, TXXX, USLT, POPM,
                             UFID, PRIV, TPOS, APIC, TDRC, WXXX)

    def make(name, frames, v2_version=3, v1=0):
        path = os.path.join(out, name)
        write(path, audio)
        t = ID3()
        for f in frames:
            t.add(f)
        t.save(path, v2_version=v2_version, v1=v1)

    make("m_preserve.mp3", [
        TIT2(encoding=0, text="Keep Title"), TPE1(encoding=1, text="Кино"),
        TALB(encoding=0, text="Album"), TRCK(encoding=0, text="3/12"), TYER(encoding=0, text="1987"),
        TCON(encoding=0, text="Rock (live)"),
        COMM(encoding=0, lang="eng", desc="iTunNORM", text="00000001 00000002"),
        COMM(encoding=1, lang="fra", desc="", text="Vrai commentaire é"),
        TXXX(encoding=0, desc="replaygain_track_gain", text="-6.5 dB"),
        USLT(encoding=1, lang="eng", desc="", text="Слова\nlyrics"),
        POPM(email="a@b", rating=200, count=3), UFID(owner="http://x", data=b"\x01\x02"),
        PRIV(owner="priv", data=b"\xff\x00\xff"), TPOS(encoding=0, text="1/2"),
        APIC(encoding=0, mime="image/png", type=4, desc="back", data=PNG),
        APIC(encoding=1, mime="image/jpeg", type=3, desc="Обложка", data=JPEG),
        WXXX(encoding=0, desc="", url="http://example.com/x")])
    make("m_v24.mp3", [
        TIT2(encoding=3, text="Émoji 😀 title"), TPE1(encoding=3, text="東京事変"),
        TALB(encoding=2, text="Альбом"), TDRC(encoding=3, text="2003-04-05"),
        TCON(encoding=3, text="17"), TRCK(encoding=3, text="5"),
        COMM(encoding=3, lang="eng", desc="", text="UTF-8 comment ✓"),
        TXXX(encoding=3, desc="note", text="ünïcode")], v2_version=4)
    make("m_bigpic.mp3", [TIT2(encoding=0, text="Big picture"),
                          APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=JPEG + b"\0" * 2_000_000)])
    make("m_png.mp3", [TIT2(encoding=0, text="PNG only"),
                       APIC(encoding=0, mime="image/png", type=3, desc="", data=PNG)])
    make("m_v1.mp3", [TIT2(encoding=0, text="Mutagen v1 title"), TPE1(encoding=0, text="Mutagen artist"),
                      TALB(encoding=0, text="Mutagen album"), TRCK(encoding=0, text="11"),
                      TDRC(encoding=0, text="1995"), TCON(encoding=0, text="Jazz"),
                      COMM(encoding=0, lang="eng", desc="", text="v1 comment")], v1=2)


def malformed(out):
    w = lambda name, data: write(os.path.join(out, name), data)
    audio = b"\xff\xfb\x90\x00" + b"\x55" * 60
    title = f23("TIT2", latin1("T"))
    for name, size in (("7fffffff", 0x7FFFFFFF), ("80000000", 0x80000000), ("ffffffff", 0xFFFFFFFF), ("0", 0)):
        w("id3v2_frame_size_%s.bin" % name, tag(3, f23("TPE1", b"", size=size) + title, 20) + audio)
    w("id3v2_frame_crosses_end.bin", tag(3, title + f23("TALB", latin1("x" * 40)))[:-20] + audio)
    w("id3v2_syncsafe_high_bits.bin", tag(3, title, 20, size=b"\x00\x00\x80\x20") + audio)
    w("id3v2_size_past_file.bin", tag(3, title, 0, size=0x0FFFFFFF) + audio)
    w("id3v2_9_bytes.bin", b"ID3\x03\x00\x00\x00\x00")
    w("id3v2_10_bytes.bin", b"ID3\x03\x00\x00\x00\x00\x00\x00")
    w("id3v2_unknown_version.bin", tag(5, title, 20) + audio)
    w("id3v2_ext_header_huge.bin", tag(3, struct.pack(">I", 0x7FFFFFF0) + title, 20, flags=0x40) + audio)
    w("id3v2_v22_compressed.bin", tag(2, f22("TT2", latin1("x")), 20, flags=0x40) + audio)
    w("id3v2_zero_frames.bin", tag(3, f23("TXXX", b"") * 200 + title) + audio)
    w("id3v2_v24_dli_short.bin", tag(4, f24("TIT2", b"\x00", flags=b"\0\x01") + f24("TPE1", b"\x01\xff", flags=b"\0\x43"), 8) + audio)
    w("id3v2_bad_apic.bin", tag(3, f23("APIC", b"\0image/jpeg") + f23("APIC", b"\x01image/jpeg\0\x03\xff\xfe") + title, 8) + audio)
    w("id3v2_short_comm.bin", tag(3, f23("COMM", b"\x01en") + f23("COMM", b"\x05eng\0x") + title, 8) + audio)
    w("id3v2_odd_utf16.bin", tag(3, f23("TIT2", b"\x01\xfe\xff\x00") + f23("TPE1", b"\x02\xd8\x00"), 8) + audio)
    w("id3v2_unsync_truncated.bin", tag(3, unsync(title + f23("TPE1", b"\0\xff\xff")), 0, flags=0x80)[:-3])
    rec = v1record(b"Title", b"Artist")
    for name, size in (("00012a", b"00012a"), ("neg", b"-00001"), ("blank", b" 00012"), ("999999", b"999999")):
        w("lyrics3_size_%s.bin" % name, audio + b"LYRICSBEGININD00002" + b"10" + size + b"LYRICS200" + rec)
    body = b"LYRICSBEGIN" + b"LYR99999abc"
    w("lyrics3_field_past_end.bin", audio + body + b"%06d" % len(body) + b"LYRICS200" + rec)
    body = b"LYRICSBEGIN" + b"LYR00003abc"
    w("lyrics3_field_at_end.bin", audio + body + b"%06d" % len(body) + b"LYRICS200" + rec)
    w("lyrics3_field_size_letters.bin", audio + lyrics3([("ETT", b"x")]).replace(b"ETT00001", b"ETT0000x") + rec)
    w("lyrics3_begin_only.bin", b"LYRICSBEGIN000011LYRICS200" + rec)


def esc(value):
    if isinstance(value, bytes):
        value = value.decode("latin-1")
    return str(value).replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")


def dump(path):
    from mutagen.id3 import ID3, ID3NoHeaderError
    try:
        t = ID3(path, translate=False)
    except ID3NoHeaderError:
        print("none\t1")
        return
    print("version\t2.%d" % t.version[1])
    for f in t.values():
        fid = f.FrameID
        if fid == "APIC":
            print("APIC:%d\t%s %d %s" % (f.type, f.mime, len(f.data), hashlib.sha1(f.data).hexdigest()))
        elif fid in ("COMM", "USLT"):
            print("%s:%s:%s\t%s" % (fid, esc(f.desc), f.lang, esc(f.text if fid == "USLT" else "/".join(f.text))))
        elif fid == "TXXX":
            print("TXXX:%s\t%s" % (esc(f.desc), esc("/".join(f.text))))
        elif fid == "GEOB":
            print("GEOB:%s\t%s %s %s" % (esc(f.desc), f.mime, esc(f.filename), hashlib.sha1(f.data).hexdigest()))
        elif fid == "WXXX":
            print("WXXX:%s\t%s" % (esc(f.desc), esc(f.url)))
        elif fid.startswith("T"):
            print("%s\t%s" % (fid, esc("/".join(str(x) for x in f.text))))
        else:
            print("%s\t%s" % (fid, hashlib.sha1(f._writeData()).hexdigest()))


def dumpv1(path):
    from mutagen.id3 import ParseID3v1
    with open(path, "rb") as f:
        data = f.read()
    frames = ParseID3v1(data[-128:]) if len(data) >= 128 else None
    if not frames:
        print("none\t1")
        return
    for fid, f in sorted(frames.items()):
        print("%s\t%s" % (fid, esc("/".join(str(x) for x in f.text))))


def read_lyrics3(path):
    with open(path, "rb") as f:
        data = f.read()
    end = len(data) - 128 if data[-128:-125] == b"TAG" else len(data)
    foot = data[end - 15:end]
    if foot[6:] != b"LYRICS200":
        print("none\t1")
        return
    size = int(foot[:6])
    body = data[end - 15 - size:end - 15]
    assert body[:11] == b"LYRICSBEGIN", "no LYRICSBEGIN"
    pos = 11
    while pos < len(body):
        fid, n = body[pos:pos + 3].decode(), int(body[pos + 3:pos + 8])
        print("%s\t%s" % (fid, esc(body[pos + 8:pos + 8 + n].decode("cp1252"))))
        pos += 8 + n
    assert pos == len(body), "fields do not fill the block"
    print("size\t%d" % size)


def main(argv):
    cmd = argv[1]
    if cmd == "fixtures":
        with open(argv[3], "rb") as f:
            audio = f.read()
        handbuilt(argv[2], audio)
        mutagen_fixtures(argv[2], audio)
    elif cmd == "malformed":
        malformed(argv[2])
    elif cmd == "dump":
        dump(argv[2])
    elif cmd == "dumpv1":
        dumpv1(argv[2])
    elif cmd == "lyrics3":
        read_lyrics3(argv[2])
    else:
        sys.exit("unknown command " + cmd)


if __name__ == "__main__":
    main(sys.argv)
