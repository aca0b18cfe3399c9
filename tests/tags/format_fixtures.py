#!/usr/bin/env python3
"""Test files for the MPEG, Ogg Vorbis, APE and ASF readers and writers.

  build OUTDIR     makes every fixture with independent tools (sox, lame,
                   oggenc, vorbiscomment, mutagen) and writes beside each one
                   a NAME.expect file: what mutagen reads from it, as
                   "key=value" lines.
  dump-mp3 FILE    prints what mutagen reads, in the same form (the oracle
  dump-ogg FILE    the tests use on files our writers produced).
  dump-ape FILE
  dump-asf FILE
  malformed OUTDIR makes the hostile inputs committed in malformed/.
  seeds CORPUSDIR  makes the committed fuzzing seeds of the format targets.

Formats no tool writes (APEv1, ASF headers, MPEG layers 1 and 2) are built
here with struct, from the published layouts.
"""
import base64
import os
import struct
import subprocess
import sys
import uuid

import mutagen.apev2
import mutagen.asf
import mutagen.id3
import mutagen.mp3
import mutagen.oggvorbis
from mutagen.flac import Picture

NON_ASCII = "Café Привет 東京 🎵"


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def write_expect(path, pairs):
    with open(path + ".expect", "w", encoding="utf-8", newline="\n") as f:
        for key, value in pairs:
            f.write("%s=%s\n" % (key, value))


# --- oracles -----------------------------------------------------------------

def mp3_pairs(path):
    info = mutagen.mp3.MP3(path).info
    version = {1: "MPEG 1.0", 2: "MPEG 2.0", 2.5: "MPEG 2.5"}[info.version]
    modes = ["Stereo", "Joint stereo (Stereo)", "Dual channel (Stereo)", "Single channel (Mono)"]
    return [("header", info.frame_offset), ("version", version), ("layer", "Layer %d" % info.layer),
            ("protected", int(info.protected)), ("rate", info.sample_rate), ("mode", modes[info.mode])]


def vorbis_value(tags, key):
    values = tags.get(key, []) if tags else []
    return values[-1] if values else ""


def ogg_pairs(path):
    f = mutagen.oggvorbis.OggVorbis(path)
    pairs = [("channels", f.info.channels), ("rate", f.info.sample_rate),
             ("samples", round(f.info.length * f.info.sample_rate)), ("vendor", f.tags.vendor)]
    for key in ("title", "artist", "album", "tracknumber", "date", "genre", "comment", "performer",
                "description"):
        pairs.append((key, vorbis_value(f.tags, key)))
    # Every item in order, so preserved ones can be checked too.
    for i, (key, value) in enumerate(f.tags):
        if len(value) < 200 and "\n" not in value:
            pairs.append(("item%d" % i, "%s=%s" % (key.upper(), value)))
        else:
            pairs.append(("item%d" % i, "%s=<%d chars>" % (key.upper(), len(value))))
    return pairs


def ape_pairs(path):
    tag = mutagen.apev2.APEv2(path)
    pairs = []
    for key, value in tag.items():
        if value.kind == mutagen.apev2.BINARY:
            pairs.append((key, "<binary %d>" % len(value.value)))
        else:
            pairs.append((key, str(value).replace("\0", "|")))
    return pairs


def asf_pairs(path):
    f = mutagen.asf.ASF(path)
    pairs = [("channels", f.info.channels), ("rate", f.info.sample_rate), ("length", "%.6f" % f.info.length),
             ("bitrate", f.info.bitrate)]
    for key, values in f.tags.items():
        for v in values:
            pairs.append((key, "%s:%s" % (type(v).__name__, v)))
    return pairs


# --- MPEG --------------------------------------------------------------------

def mpeg_frames(b1, b2, b3, length, count):
    """Frames with a fixed header and a silent payload."""
    return (bytes([0xFF, b1, b2, b3]) + b"\0" * (length - 4)) * count


def build_mpeg(out, wav, mono):
    lame = {
        "cbr128": ["-t", "-b", "128"],
        "mpeg2": ["-t", "-b", "32", "--resample", "22.05"],
        "mpeg25": ["-t", "-b", "16", "--resample", "11.025"],
        "mode_m": ["-t", "-b", "64", "-m", "m"],
        "mode_s": ["-t", "-b", "64", "-m", "s"],
        "mode_j": ["-t", "-b", "64", "-m", "j"],
        "mode_d": ["-t", "-b", "64", "-m", "d"],
        "crc": ["-t", "-b", "64", "-p"],
        "copyright": ["-t", "-b", "64", "-c"],
        "notoriginal": ["-t", "-b", "64", "-o"],
        "emph5": ["-t", "-b", "64", "-e", "5"],
        "emphc": ["-t", "-b", "64", "-e", "c"],
        "free": ["--freeformat", "-b", "200"],
        "vbr": ["-V", "2"],
        "lowrate": ["-t", "-b", "8", "--resample", "8"],
    }
    for name, args in lame.items():
        path = os.path.join(out, name + ".mp3")
        source = mono if name == "mode_m" else wav
        run("lame", "-S", *args, source, path)
        if name == "free":
            # mutagen does not sync to free-format frames.
            write_expect(path, [("header", 0), ("version", "MPEG 1.0"), ("layer", "Layer 3"),
                                ("rate", 44100), ("bitrate", "free")])
            continue
        pairs = mp3_pairs(path)
        bitrate = str(mutagen.mp3.MP3(path).info.bitrate // 1000)
        if name == "vbr":
            bitrate = "first"  # the first frame holds the VBR header
        pairs += [("bitrate", bitrate), ("copyright", int(name == "copyright")),
                  ("original", int(name != "notoriginal")),
                  ("emphasis", {"emph5": "50/15 ms", "emphc": "CCIT J.17"}.get(name, "None"))]
        write_expect(path, pairs)

    base = open(os.path.join(out, "cbr128.mp3"), "rb").read()
    # ID3v2.3 tag with UTF-16 text (byte-order marks FF FE) and a JPEG
    # picture (FF D8 FF E0) in front of the audio: both look like syncs.
    path = os.path.join(out, "id3front.mp3")
    open(path, "wb").write(base)
    tags = mutagen.id3.ID3()
    tags.add(mutagen.id3.TIT2(encoding=1, text="A title with BOMs"))
    tags.add(mutagen.id3.TPE1(encoding=1, text="\u00ff\u00fe\u00e9"))
    tags.add(mutagen.id3.APIC(encoding=0, mime="image/jpeg", type=3, desc="",
                              data=b"\xff\xd8\xff\xe0\x00\x10JFIF\x00" + b"\xff\xfb\x90\x00" * 64))
    tags.save(path, v2_version=3)
    write_expect(path, mp3_pairs(path) + [("bitrate", "128")])

    # Junk outside any tag holding a valid-looking header that no second
    # frame confirms.
    path = os.path.join(out, "falsesync.mp3")
    junk = b"RIFFjunk" + b"\xff\xfe\x41\x00" + b"\x00" * 100 + b"\xff\xfb\x10\x00" + b"\x11" * 50
    open(path, "wb").write(junk + base)
    write_expect(path, [("header", len(junk)), ("version", "MPEG 1.0"), ("layer", "Layer 3"), ("rate", 44100),
                        ("bitrate", "128")])

    # Layer 1: MPEG-1, 384 kbit/s, 32 kHz: (12 * 384000 / 32000) * 4 = 576.
    path = os.path.join(out, "layer1.mp1")
    open(path, "wb").write(mpeg_frames(0xFF, 0xC8, 0xC0, 576, 40))
    write_expect(path, mp3_pairs(path) + [("bitrate", "384")])
    # Layer 2: MPEG-1, 192 kbit/s, 48 kHz: 144 * 192000 / 48000 = 576.
    path = os.path.join(out, "layer2.mp2")
    open(path, "wb").write(mpeg_frames(0xFD, 0xA4, 0x00, 576, 40))
    write_expect(path, mp3_pairs(path) + [("bitrate", "192")])

    path = os.path.join(out, "text.txt")
    open(path, "wb").write(b"Plain text with no frame sync at all.\n" * 20)


# --- Ogg Vorbis --------------------------------------------------------------

def picture_block(size):
    pic = Picture()
    pic.type = 3
    pic.mime = "image/jpeg"
    pic.desc = "cover"
    pic.data = bytes((i * 7 + 3) & 0xFF for i in range(size))
    return base64.b64encode(pic.write()).decode("ascii")


def build_ogg(out, wav, mono):
    def ogg(name, args, source=wav):
        path = os.path.join(out, name + ".ogg")
        run("oggenc", "-Q", "-q", "0", *args, "-o", path, source)
        return path

    def done(path):
        write_expect(path, ogg_pairs(path))

    done(ogg("tagged", ["-t", "The Title", "-a", "The Artist", "-l", "The Album", "-N", "3", "-d", "2004",
                        "-G", "Rock", "-c", "COMMENT=A comment"]))
    done(ogg("mono", ["-t", "Mono"], mono))
    for channels in (5, 6):
        raw = os.path.join(out, "ch%d.raw" % channels)
        run("sox", "-R", "-n", "-r", "44100", "-c", str(channels), "-b", "16", "-e", "signed", raw, "synth", "1",
            "sine", "440")
        path = os.path.join(out, "ch%d.ogg" % channels)
        run("oggenc", "-Q", "-r", "-B", "16", "-C", str(channels), "-R", "44100", "-q", "0", "-t",
            "Channels", raw, "-o", path)
        os.remove(raw)
        done(path)

    path = ogg("multi", [])
    run("vorbiscomment", "-w", "-t", "ARTIST=First", "-t", "ARTIST=Second", "-t", "TITLE=Multi",
        "-t", "REPLAYGAIN_TRACK_GAIN=-3.20 dB", "-t", "PERFORMER=The Performer", "-t",
        "DESCRIPTION=The description", "-t", "TRACKNUMBER=3/12", path)
    done(path)

    path = ogg("performer", [])
    run("vorbiscomment", "-w", "-t", "PERFORMER=Only Performer", "-t", "TITLE=Perf", "-t",
        "TRACKNUMBER=300", path)
    done(path)

    path = ogg("nonascii", [])
    f = mutagen.oggvorbis.OggVorbis(path)
    f["TITLE"] = NON_ASCII
    f["ARTIST"] = "Дмитрий"
    f["ALBUM"] = "日本語のアルバム"
    f.save()
    done(path)

    # An item of 300 bytes, then another one.
    path = ogg("longitem", ["-c", "COMMENT=" + "c" * 292, "-a", "After Long"])
    done(path)

    # A 100 KB picture: the comment packet spans several pages.
    path = ogg("cover", ["-t", "Cover"])
    f = mutagen.oggvorbis.OggVorbis(path)
    f["METADATA_BLOCK_PICTURE"] = picture_block(100000)
    f["ARTIST"] = "Covered"
    f.save()
    done(path)

    # A 64 KB comment: the page fills up when anything grows.
    path = ogg("bigcomment", ["-t", "Big"])
    f = mutagen.oggvorbis.OggVorbis(path)
    f["LYRICS"] = "la " * 21000
    f.save()
    done(path)

    # An ID3v2 tag in front of the Ogg data.
    path = ogg("id3front", ["-t", "Behind a tag"])
    tags = mutagen.id3.ID3()
    tags.add(mutagen.id3.TIT2(encoding=3, text="ID3 title"))
    tags.save(path)
    write_expect(path, [("id3", 1)])

    # Chained files: streams with their own serials one after the other. The
    # length each should show is what sox made for oggenc, summed.
    def chain(name, links):
        parts = []
        for part, rate, channels, seconds in links:
            source = os.path.join(out, part + ".wav")
            run("sox", "-R", "-n", "-r", str(rate), "-c", str(channels), "-b", "16", source, "synth",
                str(seconds), "sine", "550")
            done(ogg(part, ["-t", part], source))
            os.remove(source)
            parts.append(part + ".ogg")
        with open(os.path.join(out, name), "wb") as f:
            for part in parts:
                f.write(open(os.path.join(out, part), "rb").read())
        write_expect(os.path.join(out, name), [("seconds", sum(link[3] for link in links))])

    # 1 s made like tagged.ogg, then 3 s.
    chain("chained.ogg", [("chain_head", 44100, 2, 1), ("chain_tail", 44100, 2, 3)])
    chain("chain_rates.ogg", [("rates_head", 22050, 1, 1), ("rates_tail", 48000, 2, 2)])
    # 1 s, then the 3 s link as if cut from a longer stream: its positions
    # start 1,000,000 samples on.
    tail = bytearray(open(os.path.join(out, "chain_tail.ogg"), "rb").read())
    for page in ogg_pages(tail):
        granule = struct.unpack_from("<q", tail, page[0] + 6)[0]
        if granule > 0:
            struct.pack_into("<q", tail, page[0] + 6, granule + 1000000)
            ogg_fix_crc(tail, page)
    with open(os.path.join(out, "chain_cut.ogg"), "wb") as f:
        f.write(open(os.path.join(out, "chain_head.ogg"), "rb").read() + bytes(tail))
    write_expect(os.path.join(out, "chain_cut.ogg"), [("seconds", 1 + 3)])
    # The 3 s link cut inside its last page, with the 1 s link after it: the
    # cut page's header claims bytes of the next link. What plays is the
    # first link's whole pages, then all of the next one.
    tail = open(os.path.join(out, "chain_tail.ogg"), "rb").read()
    pages = ogg_pages(tail)
    start, header, body = pages[-1]
    whole = struct.unpack_from("<q", tail, pages[-2][0] + 6)[0]
    with open(os.path.join(out, "chain_cutpage.ogg"), "wb") as f:
        f.write(tail[:start + header + body // 2] + open(os.path.join(out, "chain_head.ogg"), "rb").read())
    write_expect(os.path.join(out, "chain_cutpage.ogg"), [("seconds", repr(whole / 44100 + 1))])
    # One file written twice over itself: one serial, two links.
    with open(os.path.join(out, "chain_twice.ogg"), "wb") as f:
        f.write(open(os.path.join(out, "chain_head.ogg"), "rb").read() * 2)
    write_expect(os.path.join(out, "chain_twice.ogg"), [("seconds", 2)])

    # No page header in the last 12,060 bytes.
    path = ogg("nogranule", ["-t", "Zeros"], mono)
    with open(path, "ab") as f:
        f.write(b"\0" * 13000)
    write_expect(path, [("id3", 0)])


# --- APE ---------------------------------------------------------------------

def apev1_tag(items):
    body = b""
    for name, value in items:
        body += struct.pack("<II", len(value), 0) + name + b"\0" + value
    footer = b"APETAGEX" + struct.pack("<IIII", 1000, len(body) + 32, len(items), 0) + b"\0" * 8
    return body + footer


def id3v1_record(title):
    return b"TAG" + title.ljust(30, b"\0") + b"\0" * 94 + b"\xff"


def build_ape(out):
    base = open(os.path.join(out, "cbr128.mp3"), "rb").read()

    def ape(name, fill):
        path = os.path.join(out, name)
        open(path, "wb").write(base)
        tag = mutagen.apev2.APEv2()
        fill(tag)
        tag.save(path)
        return path

    def plain(tag):
        tag["Title"] = "APE Title"
        tag["Artist"] = "APE Artist"
        tag["Album"] = NON_ASCII
        tag["Track"] = "7/12"
        tag["Year"] = "1999"
        tag["Genre"] = "Jazz"
        tag["Comment"] = "x" * 300
        tag["Cover Art (Front)"] = mutagen.apev2.APEValue(b"front.jpg\0" + bytes(range(256)) * 8,
                                                           mutagen.apev2.BINARY)
        tag["Artists"] = ["One", "Two"]

    path = ape("apev2.mp3", plain)
    write_expect(path, ape_pairs(path))

    # APE tag, then an ID3v1 record (mutagen also puts an ID3v2 tag in front).
    path = ape("ape_id3v1.mp3", lambda t: t.update({"Title": "Before ID3v1"}))
    tags = mutagen.id3.ID3()
    tags.add(mutagen.id3.TIT2(encoding=0, text="ID3 title"))
    tags.save(path, v1=2)
    write_expect(path, ape_pairs(path))

    # APEv1: footer only, version 1000.
    path = os.path.join(out, "apev1.mp3")
    items = [(b"Title", b"Old Title"), (b"Artist", b"Old Writer"), (b"Track", b"4")]
    open(path, "wb").write(base + apev1_tag(items))
    write_expect(path, ape_pairs(path))
    # APEv1 text is in Windows-1252, which mutagen takes for UTF-8.
    path = os.path.join(out, "apev1_cp1252.mp3")
    open(path, "wb").write(base + apev1_tag([(b"Title", "Café crème €".encode("cp1252"))]))
    write_expect(path, [("Title", "Café crème €")])

    # APEv1 before an ID3v1 record.
    path = os.path.join(out, "apev1_id3v1.mp3")
    open(path, "wb").write(base + apev1_tag(items) + id3v1_record(b"V1 title"))

    # A plain ID3v1 record and no APE tag: a new tag goes before the record.
    path = os.path.join(out, "id3v1only.mp3")
    open(path, "wb").write(base + id3v1_record(b"V1 only"))

    build_ape_lookalikes(out, base)

    # Lyrics3 v2 block between the APE tag and the ID3v1 record.
    path = ape("ape_lyrics3.mp3", lambda t: t.update({"Title": "With lyrics"}))
    fields = b"IND0000200" + b"ETT00011Long title!"
    block = b"LYRICSBEGIN" + fields
    with open(path, "ab") as f:
        f.write(block + b"%06dLYRICS200" % len(block) + id3v1_record(b"Lyrics record"))
    write_expect(path, ape_pairs(path))


def ape_items(items):
    return b"".join(struct.pack("<II", len(value), flags) + name + b"\0" + value for name, value, flags in items)


def bare_ape_footer(size, count):
    return b"APETAGEX" + struct.pack("<IIII", 2000, size, count, 0) + b"\0" * 8


def build_ape_lookalikes(out, base):
    """APE tags whose last 128 bytes start with "TAG", sizes that do not
    match their items, and a key longer than writers allow."""
    # mutagen's tag with header: 67 bytes of items put the header's
    # "APE[TAG]EX" 128 bytes from the end.
    path = os.path.join(out, "ape_header_tag.mpc")
    open(path, "wb").write(b"MP+" + bytes(i * 13 & 0xFF for i in range(6 * 1024)))
    tag = mutagen.apev2.APEv2()
    tag.update({"Title": "Sound title", "Artist": "Sound artist", "Album": "A"})
    tag.save(path)
    data = open(path, "rb").read()
    assert data[-128:-125] == b"TAG" and data[-32:-24] == b"APETAGEX"
    write_expect(path, ape_pairs(path))

    # Footer only, a value holding "BACKSTAGE" 128 bytes from the end.
    path = os.path.join(out, "ape_backstage.mp3")
    items = [(b"Title", b"Live at the BACKSTAGE" + b"!" * 70, 0), (b"Artist", b"Someone", 0)]
    body = ape_items(items)
    open(path, "wb").write(base + body + bare_ape_footer(len(body) + 32, len(items)))
    data = open(path, "rb").read()
    assert data[-128:-125] == b"TAG"
    write_expect(path, ape_pairs(path))

    # A bare footer claiming 200 bytes of items over audio.
    for count in (0, 1):
        open(os.path.join(out, "ape_claims200_count%d.mp3" % count), "wb").write(base + bare_ape_footer(232, count))

    # mutagen's tags, then one number changed as other writers leave it: the
    # footer counting one item too many, or the header's size one byte off.
    # mutagen reads both.
    for name, at, delta in (("ape_count_plus1.mp3", -16, 1), ("ape_header_size_off.mp3", None, 1)):
        path = os.path.join(out, name)
        open(path, "wb").write(base)
        tag = mutagen.apev2.APEv2()
        tag.update({"Title": "Off title", "Artist": "Off artist", "Album": "Off album"})
        tag["Cover Art (Front)"] = mutagen.apev2.APEValue(b"front.jpg\0" + bytes(range(256)), mutagen.apev2.BINARY)
        tag.save(path)
        data = bytearray(open(path, "rb").read())
        if at is None:
            at = len(data) - struct.unpack_from("<I", data, len(data) - 20)[0] - 32 + 12
        assert data[-32:-24] == b"APETAGEX"
        struct.pack_into("<I", data, at % len(data), struct.unpack_from("<I", data, at % len(data))[0] + delta)
        open(path, "wb").write(bytes(data))
        write_expect(path, ape_pairs(path))

    # A Lyrics3 v2 block ending the file, with no ID3v1 record after it.
    block = b"LYRICSBEGIN" + b"IND0000200" + b"ETT00017A long lyric title"
    open(os.path.join(out, "lyrics3_no_record.mp3"), "wb").write(base + block + b"%06dLYRICS200" % len(block))

    # A 300-byte key between ordinary items and a picture.
    path = os.path.join(out, "ape_long_key.mp3")
    items = [(b"Title", b"Long key", 0), (b"K" * 300, b"kept", 0), (b"Artist", b"After the key", 0),
             (b"Cover Art (Front)", b"front.jpg\0" + bytes(range(256)), 2)]
    body = ape_items(items)
    size = len(body) + 32
    head = b"APETAGEX" + struct.pack("<IIII", 2000, size, len(items), 0xA0000000) + b"\0" * 8
    foot = b"APETAGEX" + struct.pack("<IIII", 2000, size, len(items), 0x80000000) + b"\0" * 8
    open(path, "wb").write(base + head + body + foot)


# --- ASF ---------------------------------------------------------------------

def guid(text):
    return uuid.UUID(text).bytes_le


ASF_HEADER = guid("75B22630-668E-11CF-A6D9-00AA0062CE6C")
ASF_FILE_PROPERTIES = guid("8CABDCA1-A947-11CF-8EE4-00C00C205365")
ASF_STREAM_PROPERTIES = guid("B7DC0791-A9B7-11CF-8EE6-00C00C205365")
ASF_CONTENT = guid("75B22633-668E-11CF-A6D9-00AA0062CE6C")
ASF_EXTENDED_CONTENT = guid("D2D0A440-E307-11D2-97F0-00A0C95EA850")
ASF_AUDIO = guid("F8699E40-5B4D-11CF-A8FD-00805F5C442B")
ASF_VIDEO = guid("BC19EFC0-5B4D-11CF-A8FD-00805F5C442B")
ASF_NO_CORRECTION = guid("20FB5700-5B55-11CF-A8FD-00805F5C442B")
ASF_DATA = guid("75B22636-668E-11CF-A6D9-00AA0062CE6C")


def asf_object(g, body):
    return g + struct.pack("<Q", 24 + len(body)) + body


def asf_file_properties(max_bitrate, play=0, preroll=0, flags=0):
    # Play duration (100 ns) at object offset 64, preroll (ms) at 80, flags
    # at 88, max bit rate at 100.
    return asf_object(ASF_FILE_PROPERTIES,
                      b"\0" * 16 + struct.pack("<QQQQQQIII", 0, 0, 0, play, play, preroll, flags, 0, 0)
                      + struct.pack("<I", max_bitrate))


def asf_stream_properties(channels, rate, byte_rate, kind=ASF_AUDIO):
    wfx = struct.pack("<HHIIHHH", 0x161, channels, rate, byte_rate, 2, 16, 0)
    body = kind + ASF_NO_CORRECTION + struct.pack("<QIIHI", 0, len(wfx), 0, 1, 0) + wfx
    return asf_object(ASF_STREAM_PROPERTIES, body)


def utf16z(text):
    return text.encode("utf-16-le") + b"\0\0" if text else b""


def asf_content(title, author, copyright_="", description="", rating=""):
    texts = [utf16z(t) for t in (title, author, copyright_, description, rating)]
    return asf_object(ASF_CONTENT, struct.pack("<5H", *[len(t) for t in texts]) + b"".join(texts))


def asf_extended(descriptors):
    body = struct.pack("<H", len(descriptors))
    for name, kind, value in descriptors:
        n = utf16z(name)
        body += struct.pack("<H", len(n)) + n + struct.pack("<HH", kind, len(value)) + value
    return asf_object(ASF_EXTENDED_CONTENT, body)


def asf_file(objects, padding=0):
    body = struct.pack("<IBB", len(objects), 1, 2) + b"".join(objects)
    header = ASF_HEADER + struct.pack("<Q", 24 + len(body)) + body
    data = ASF_DATA + struct.pack("<Q", 50 + padding) + b"\0" * 16 + struct.pack("<QBB", 0, 1, 1) + b"\0" * padding
    return header + data


def build_asf(out):
    def save(name, data, expect=True):
        path = os.path.join(out, name)
        open(path, "wb").write(data)
        if expect:
            write_expect(path, asf_pairs(path))
        return path

    props = [asf_file_properties(128000), asf_stream_properties(2, 44100, 16000)]
    save("basic.wma", asf_file(props + [asf_content("Basic Title", "Basic Artist", "(c)", "A comment")]))

    ext = asf_extended([
        ("WM/AlbumTitle", 0, utf16z("Ext Album")),
        ("WM/Track", 3, struct.pack("<I", 4)),
        ("wm/year", 0, utf16z("2001")),
        ("WM/Genre", 0, utf16z(NON_ASCII)),
        ("WM/Picture", 1, b"\x03" + bytes(700)),
        ("WM/Bool", 2, struct.pack("<I", 1)),
        ("WM/QWord", 4, struct.pack("<Q", 5)),
        ("WM/Word", 5, struct.pack("<H", 6)),
        ("WM/TITLE", 0, utf16z("Ext Title")),
    ])
    save("extended.wma", asf_file(props + [asf_content("First Title", "Author"), ext]))

    # A 600-character title is cut to 250; the author after it still reads.
    save("longtitle.wma", asf_file(props + [asf_content("T" * 600, "After Long")]))

    # A video stream after the audio one must not replace its values.
    save("video.wma", asf_file(props + [asf_stream_properties(6, 90000, 1000000, ASF_VIDEO),
                                        asf_content("Video", "Clip")]), expect=False)

    save("sixchannels.wma", asf_file([asf_file_properties(128000), asf_stream_properties(6, 44100, 16000),
                                      asf_content("Six", "Channels")]), expect=False)
    save("absurdrate.wma", asf_file([asf_file_properties(0xFFFFFFFF), asf_stream_properties(2, 44100, 16000),
                                     asf_content("Absurd", "Rate")]), expect=False)

    # Lossless and high-rate streams, far above 320 kbit/s, with the play
    # duration (preroll included) that gives their length.
    save("lossless.wma", asf_file([asf_file_properties(1_411_200 + 30_000, 187_500_000 + 3000 * 10_000, 3000),
                                   asf_stream_properties(2, 44100, 176_400), asf_content("Lossless", "Rate")],
                                  padding=4000))
    save("highrate.wma", asf_file([asf_file_properties(440_000, 62_340_000 + 1579 * 10_000, 1579),
                                   asf_stream_properties(2, 48000, 55_000), asf_content("High", "Rate")],
                                  padding=2000))
    # A broadcast file's play duration means nothing.
    save("broadcast.wma", asf_file([asf_file_properties(128000, 999_000_000, 3000, flags=1),
                                    asf_stream_properties(2, 44100, 16000), asf_content("Live", "Stream")],
                                   padding=1000), expect=False)

    # mutagen writes its own tags: the track as a DWORD WM/TrackNumber, and
    # WM/Track as a string.
    path = save("mutagen.wma", asf_file(props + [asf_content("", "")]), expect=False)
    f = mutagen.asf.ASF(path)
    f["Title"] = "Mutagen Title"
    f["Author"] = "Mutagen Author"
    f["WM/AlbumTitle"] = "Mutagen Album"
    f["WM/TrackNumber"] = [mutagen.asf.ASFDWordAttribute(9)]
    f["WM/Track"] = "8"
    f["WM/Year"] = "2010"
    f["WM/Genre"] = "Техно"
    f["Description"] = "Mutagen comment"
    f.save()
    write_expect(path, asf_pairs(path))


# --- malformed inputs (committed; made once with "malformed OUTDIR") ---------

def ogg_crc(data):
    crc = 0
    for byte in data:
        crc ^= byte << 24
        for _ in range(8):
            crc = ((crc << 1) ^ 0x04C11DB7) if crc & 0x80000000 else crc << 1
            crc &= 0xFFFFFFFF
    return crc


def ogg_pages(data):
    """(offset, header length, body length) of each page, in order."""
    pages, pos = [], 0
    while pos + 27 <= len(data) and data[pos:pos + 4] == b"OggS":
        segments = data[pos + 26]
        header = 27 + segments
        body = sum(data[pos + 27:pos + header])
        pages.append((pos, header, body))
        pos += header + body
    return pages


def ogg_fix_crc(data, page):
    offset, header, body = page
    data[offset + 22:offset + 26] = b"\0\0\0\0"
    crc = ogg_crc(bytes(data[offset:offset + header + body]))
    data[offset + 22:offset + 26] = struct.pack("<I", crc)


def build_malformed(out, scratch):
    os.makedirs(out, exist_ok=True)

    def save(name, data):
        open(os.path.join(out, name), "wb").write(bytes(data))

    wav = os.path.join(scratch, "short.wav")
    run("sox", "-R", "-n", "-r", "8000", "-c", "1", "-b", "16", wav, "synth", "0.2", "sine", "440")
    path = os.path.join(scratch, "short.ogg")
    run("oggenc", "-Q", "-q", "0", "-t", "T", "-a", "A", wav, "-o", path)
    base = bytearray(open(path, "rb").read())
    pages = ogg_pages(base)
    second = pages[1]
    comment = second[0] + second[1]  # 03 "vorbis" at the start of page 2's body
    vendor_length = struct.unpack_from("<I", base, comment + 7)[0]
    count_at = comment + 11 + vendor_length

    def patched(at, value, fix=True):
        data = bytearray(base)
        struct.pack_into("<I", data, at, value)
        if fix:
            ogg_fix_crc(data, second)
        return data

    save("ogg_count_ffffffff.bin", patched(count_at, 0xFFFFFFFF))
    save("ogg_item_length_ffffffff.bin", patched(count_at + 4, 0xFFFFFFFF))
    save("ogg_vendor_past_packet.bin", patched(comment + 7, 0x7FFFFFFF))
    data = bytearray(base)
    data[comment + 12] ^= 0x20
    save("ogg_page2_crc_error.bin", data)
    save("ogg_truncated_in_page2.bin", base[:comment + 20])
    save("ogg_truncated_in_page2_header.bin", base[:second[0] + 20])
    data = bytearray(base[:second[0]]) + base[second[0]:second[0] + 26] + bytes([255]) + bytes([255] * 255)
    save("ogg_segments_all_255.bin", data + base[second[0] + second[1]:])
    data = bytearray(base)
    data[pages[0][0] + pages[0][1] + 1:pages[0][0] + pages[0][1] + 7] = b"vorbiz"
    ogg_fix_crc(data, pages[0])
    save("ogg_not_vorbis.bin", data)
    data = bytearray(base)
    for page in pages:
        struct.pack_into("<q", data, page[0] + 6, -1)
        ogg_fix_crc(data, page)
    save("ogg_granule_all_minus_1.bin", data)
    # Page 2 followed by a chain of empty continued pages.
    empty = bytearray(b"OggS\0\x01" + struct.pack("<QII", 0, struct.unpack_from("<I", base, 14)[0], 2)
                      + b"\0\0\0\0\0")
    ogg_fix_crc(empty, (0, 27, 0))
    data = bytearray(base[:second[0]]) + base[second[0]:second[0] + 26] + bytes([1, 255])
    save("ogg_empty_continued_pages.bin", data + base[comment:comment + 255] + empty * 200)

    audio = bytes(range(256)) * 2

    def ape(items, size=None, count=None, flags=0x80000000, version=2000, header=True):
        body = b""
        for name, value in items:
            body += struct.pack("<II", len(value), 0) + name + b"\0" + value
        tag_size = len(body) + 32 if size is None else size
        n = len(items) if count is None else count
        head = b"APETAGEX" + struct.pack("<IIII", version, tag_size, n, flags | 0x20000000) + b"\0" * 8
        foot = b"APETAGEX" + struct.pack("<IIII", version, tag_size, n, flags) + b"\0" * 8
        return audio + (head if header else b"") + body + foot

    items = [(b"Title", b"T"), (b"Artist", b"A")]
    save("ape_count_ffffffff.bin", ape(items, count=0xFFFFFFFF))
    save("ape_size_ffffffff.bin", ape(items, size=0xFFFFFFFF))
    save("ape_size_0.bin", ape(items, size=0))
    save("ape_size_31.bin", ape(items, size=31))
    save("ape_header_flag_without_header.bin", ape(items, header=False))
    save("ape_v1_with_header_flag.bin", ape(items, version=1000))
    save("ape_name_without_nul.bin", audio + b"\x01\0\0\0\0\0\0\0" + b"N" * 300 + ape([])[len(audio) + 32:])
    data = bytearray(ape([(b"Title", b"T")]))
    struct.pack_into("<I", data, len(audio) + 32, 0x7FFFFFFF)
    save("ape_value_past_tag.bin", data)
    save("ape_footer_only.bin", ape([], header=False, flags=0)[-32:])

    props = [asf_file_properties(128000), asf_stream_properties(2, 44100, 16000)]
    zero = ASF_CONTENT + b"\0" * 8
    body = struct.pack("<IBB", 0xFFFFFFFF, 1, 2) + b"".join(props) + zero
    save("wma_object_size_0.bin", ASF_HEADER + struct.pack("<Q", 24 + len(body)) + body)
    small = ASF_CONTENT + struct.pack("<Q", 10) + b"\0" * 10
    body = struct.pack("<IBB", 3, 1, 2) + b"".join(props) + small
    save("wma_object_size_10.bin", ASF_HEADER + struct.pack("<Q", 24 + len(body)) + body)
    past = asf_object(ASF_CONTENT, struct.pack("<5H", 0xFFFF, 0xFFFF, 0, 0, 0) + b"abc")
    save("wma_string_past_object.bin", asf_file(props + [past]))
    data = bytearray(asf_file(props))
    struct.pack_into("<Q", data, 16, 0xFFFFFFFFFFFFFFFF)
    save("wma_header_size_huge.bin", data)
    many = asf_object(ASF_EXTENDED_CONTENT, struct.pack("<H", 0xFFFF) + struct.pack("<H", 2) + b"a\0")
    save("wma_descriptor_count_huge.bin", asf_file(props + [many]))

    save("mpeg_bom_syncs.bin", b"\xff\xfeA\0" * 600)
    save("mpeg_id3_bad_size.bin", b"ID3\x03\0\0\x80\x80\x80\x80" + b"\xff\xfb\x90\x44" + b"\0" * 500)
    save("mpeg_header_at_end.bin", b"\0" * 300 + b"\xff\xfb")


# --- fuzzing seeds (committed; made once with "seeds CORPUSDIR") --------------

def build_seeds(corpus, scratch):
    """Small valid files for each target's corpus; the writers' inputs start
    with two bytes: the change to make and the file operation to fail."""
    build_mpeg(scratch, *short_wavs(scratch))
    small = open(os.path.join(scratch, "mpeg25.mp3"), "rb").read()

    def seed(target, name, data, writer=False):
        os.makedirs(os.path.join(corpus, target), exist_ok=True)
        open(os.path.join(corpus, target, name), "wb").write((b"\x0b\x07" if writer else b"") + data)

    for name in ("mpeg25.mp3", "mpeg2.mp3", "lowrate.mp3", "layer2.mp2", "crc.mp3", "free.mp3"):
        data = open(os.path.join(scratch, name), "rb").read()
        seed("mpeg_read", name, data[:6000])
    seed("mpeg_read", "id3front.mp3", open(os.path.join(scratch, "id3front.mp3"), "rb").read()[:4000])

    def ape_file(name, fill, id3v1=False):
        path = os.path.join(scratch, name)
        open(path, "wb").write(small)
        tag = mutagen.apev2.APEv2()
        fill(tag)
        tag.save(path)
        data = open(path, "rb").read() + (id3v1_record(b"Seed") if id3v1 else b"")
        seed("ape_read", name, data)
        seed("ape_write", name, data, writer=True)

    ape_file("text.mp3", lambda t: t.update({"Title": "T", "Artist": "Дмитрий", "Track": "7/12"}))
    ape_file("binary.mp3", lambda t: t.update({"Cover": mutagen.apev2.APEValue(b"x.jpg\0" + bytes(200),
                                                                                  mutagen.apev2.BINARY)}))
    ape_file("id3v1.mp3", lambda t: t.update({"Title": "Before record"}), id3v1=True)
    seed("ape_read", "apev1.mp3", small + apev1_tag([(b"Title", "Café".encode("cp1252"))]))
    seed("ape_write", "plain.mp3", small, writer=True)

    wav = os.path.join(scratch, "seed.wav")
    run("sox", "-R", "-n", "-r", "8000", "-c", "1", "-b", "16", wav, "synth", "0.2", "sine", "440")
    for name, extra in (("plain.ogg", None), ("multipage.ogg", "m" * 6000)):
        path = os.path.join(scratch, name)
        run("oggenc", "-Q", "-q", "0", "-t", "T", "-a", "A", "-N", "2/9", wav, "-o", path)
        if extra:
            f = mutagen.oggvorbis.OggVorbis(path)
            f["LYRICS"] = extra
            f.save()
        data = open(path, "rb").read()
        seed("ogg_read", name, data)
        seed("ogg_write", name, data, writer=True)

    props = [asf_file_properties(128000), asf_stream_properties(2, 44100, 16000)]
    seed("wma_read", "content.wma", asf_file(props + [asf_content("Title", "Artist", "", "Comment")]))
    seed("wma_read", "extended.wma", asf_file(props + [asf_extended([
        ("WM/AlbumTitle", 0, utf16z("Album")), ("WM/TrackNumber", 3, struct.pack("<I", 4)),
        ("WM/Picture", 1, bytes(40)), ("WM/Year", 0, utf16z("2001"))])]))


def short_wavs(scratch):
    wav = os.path.join(scratch, "stereo.wav")
    mono = os.path.join(scratch, "mono.wav")
    run("sox", "-R", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "0.3", "sine", "440")
    run("sox", "-R", "-n", "-r", "44100", "-c", "1", "-b", "16", mono, "synth", "0.3", "sine", "330")
    return wav, mono


def main():
    if len(sys.argv) == 3 and sys.argv[1].startswith("dump-"):
        pairs = {"dump-mp3": mp3_pairs, "dump-ogg": ogg_pairs, "dump-ape": ape_pairs,
                 "dump-asf": asf_pairs}[sys.argv[1]](sys.argv[2])
        for key, value in pairs:
            sys.stdout.write("%s=%s\n" % (key, value))
        return
    if len(sys.argv) == 3 and sys.argv[1] in ("malformed", "seeds"):
        import tempfile
        with tempfile.TemporaryDirectory() as scratch:
            (build_malformed if sys.argv[1] == "malformed" else build_seeds)(sys.argv[2], scratch)
        return
    if len(sys.argv) != 3 or sys.argv[1] != "build":
        sys.exit(__doc__)
    out = sys.argv[2]
    os.makedirs(out, exist_ok=True)
    wav = os.path.join(out, "stereo.wav")
    mono = os.path.join(out, "mono.wav")
    run("sox", "-R", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "1", "sine", "440")
    run("sox", "-R", "-n", "-r", "44100", "-c", "1", "-b", "16", mono, "synth", "1", "sine", "330")
    build_mpeg(out, wav, mono)
    build_ogg(out, wav, mono)
    build_ape(out)
    build_asf(out)
    os.remove(wav)
    os.remove(mono)


if __name__ == "__main__":
    main()
