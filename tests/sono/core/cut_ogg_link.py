"""Joins an Ogg file cut inside one of its pages to a whole one, as a damaged
chain is: cut_ogg_link.py <cut source> <next link> <output>. The cut falls in
the middle of the body of the last page but one, so that the cut page's
header still claims bytes that the next link holds."""
import sys


def page_starts(data):
    at, starts = 0, []
    while data.startswith(b"OggS", at):
        segments = data[at + 26]
        body = sum(data[at + 27:at + 27 + segments])
        starts.append((at, 27 + segments, body))
        at += 27 + segments + body
    if at != len(data):
        sys.exit("not a sequence of whole Ogg pages")
    return starts


def main():
    source, following, output = sys.argv[1:4]
    data = open(source, "rb").read()
    pages = page_starts(data)
    if len(pages) < 5:
        sys.exit("too few pages to cut one inside the audio")
    start, header, body = pages[-2]
    with open(output, "wb") as out:
        out.write(data[:start + header + body // 2])
        out.write(open(following, "rb").read())


main()
