#!/usr/bin/env python3
"""Checks a recording (raw s16le stereo 44.1 kHz) for a tone of at least half
a second whose frequency dominates the others.
Usage: check_tone.py <recording.raw> <frequency>"""
import math
import struct
import sys

RATE = 44100


def amplitude(samples, frequency):
    coefficient = 2 * math.cos(2 * math.pi * frequency / RATE)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coefficient * s1 - s2, s1
    return 2 * math.sqrt(max(s1 * s1 + s2 * s2 - coefficient * s1 * s2, 0.0)) / len(samples)


def main(path, frequency):
    data = open(path, "rb").read()
    left = [struct.unpack_from("<h", data, 4 * i)[0] for i in range(len(data) // 4)]
    block = RATE // 100
    loud = [at for at in range(0, len(left) - block, block)
            if math.sqrt(sum(x * x for x in left[at:at + block]) / block) > 200]
    if len(loud) < 50:
        print(f"no tone: {len(loud)} loud hundredths of a second")
        return 1
    # A skip of the output on a loaded machine spreads a click over every
    # frequency: the tone is judged on the cleanest of three half seconds.
    best = None
    for share in (2, 1, 3):
        centre = loud[len(loud) * share // 4]
        part = left[max(0, centre - RATE // 4):centre + RATE // 4]
        level = amplitude(part, frequency)
        others = {f: amplitude(part, f) for f in (frequency / 2, frequency * 2, frequency * 3)}
        worst = max(others.values()) / level if level else math.inf
        if best is None or worst < best[0]:
            best = (worst, level, others)
    worst, level, others = best
    print(f"{frequency:.0f} Hz amplitude {level:.0f}; others {others}")
    if worst > 1 / 100:
        print("the tone does not dominate")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], float(sys.argv[2])))
