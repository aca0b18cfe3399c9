#!/usr/bin/env python3
"""Makes damaged copies of an MPEG-1 layer III file for the decoder tests.

Usage: damage_mpeg.py <source.mp3> <junk.mp3> <cut.mp3>
- junk.mp3: the same frames with a run of random bytes (fixed seed) after
  every tenth frame, as some streams saved from radio have;
- cut.mp3: the first two thirds of the frames only, its gapless header
  (encoder delay and padding) kept, as an unfinished download has."""
import random
import sys

KBITS = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
RATES = [44100, 48000, 32000]


def frames(data):
    at = 0
    if data[:3] == b"ID3":
        at = 10 + ((data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F))
    found = []
    while at + 4 <= len(data):
        b1, b2 = data[at + 1], data[at + 2]
        if data[at] != 0xFF or (b1 & 0xFE) != 0xFA:  # MPEG-1 layer III only
            break
        length = 144 * KBITS[b2 >> 4] * 1000 // RATES[(b2 >> 2) & 3] + ((b2 >> 1) & 1)
        if length <= 4:
            break
        found.append((at, length))
        at += length
    return found


def main(source, junk_path, cut_path):
    data = open(source, "rb").read()
    found = frames(data)
    if len(found) < 30:
        sys.exit("too few frames in " + source)
    noise = random.Random(7)
    junk = bytearray(data[: found[0][0]])
    for index, (at, length) in enumerate(found):
        junk += data[at : at + length]
        if index % 10 == 5:
            junk += bytes(noise.randrange(256) for _ in range(noise.randrange(50, 400)))
    open(junk_path, "wb").write(junk)
    open(cut_path, "wb").write(data[: found[len(found) * 2 // 3][0]])


if __name__ == "__main__":
    main(*sys.argv[1:4])
