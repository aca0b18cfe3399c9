#!/usr/bin/env python3
"""Checks what the null sink's monitor recorded during real_output.sh: two
1 kHz tones (or tones of the frequency given), the first at the fixture's
level, the second 12 dB louder.
Usage: check_recording.py <raw s16le stereo 44.1 kHz> <expected amplitude> [frequency]"""
import math
import struct
import sys

RATE = 44100


def tone_amplitude(samples, frequency):
    w = 2 * math.pi * frequency / RATE
    coefficient = 2 * math.cos(w)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coefficient * s1 - s2, s1
    power = s1 * s1 + s2 * s2 - coefficient * s1 * s2
    return 2 * math.sqrt(max(power, 0.0)) / len(samples)


BLOCK = RATE // 100  # 10 ms: ten whole periods of 1 kHz


def loud_segments(left):
    """The stretches where something sounds, longer than half a second. A
    busy machine may let the output run dry for a moment; a silence shorter
    than the half second between the tones does not split one."""
    segments, start, quiet = [], None, 0
    for at in range(0, len(left) - BLOCK, BLOCK):
        rms = math.sqrt(sum(x * x for x in left[at:at + BLOCK]) / BLOCK)
        if rms > 200:
            if start is None:
                start = at
            quiet = 0
        elif start is not None:
            quiet += 1
            if quiet * BLOCK > RATE * 35 // 100:
                segments.append((start, at - (quiet - 1) * BLOCK))
                start, quiet = None, 0
    if start is not None:
        segments.append((start, len(left)))
    return [s for s in segments if s[1] - s[0] > RATE // 2]


def median(values):
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


def main(path, expected, frequency=1000.0):
    data = open(path, "rb").read()
    count = len(data) // 4
    left = [struct.unpack_from("<h", data, 4 * i)[0] for i in range(count)]
    segments = loud_segments(left)
    if len(segments) != 2:
        print(f"expected two tones, found {len(segments)}: {segments}")
        tenth = RATE // 10
        profile = [int(math.sqrt(sum(x * x for x in left[a:a + tenth]) / tenth))
                   for a in range(0, len(left) - tenth, tenth)]
        print("RMS per tenth of a second:", profile)
        return 1
    levels = []
    for start, end in segments:
        # Each 10 ms block is measured on its own. A busy machine lets the
        # output run dry now and then, which only ever takes level away, so
        # the tone's level is what its undisturbed blocks share: the upper
        # tenth of the blocks, and those within 2 % of it are the clean ones.
        blocks = [left[at:at + BLOCK] for at in range(start + RATE // 20, end - RATE // 20 - BLOCK, BLOCK)]
        amplitudes = [tone_amplitude(b, frequency) for b in blocks]
        ordered = sorted(amplitudes)
        print("  block amplitudes by tenths:", [int(ordered[len(ordered) * k // 10]) for k in range(10)] + [int(ordered[-1])])
        level = ordered[len(ordered) * 9 // 10]
        clean = [b for b, a in zip(blocks, amplitudes) if a >= level * 0.98]
        if len(clean) < 10:
            print(f"tone at {start / RATE:.2f} s: fewer than ten clean blocks")
            return 1
        stray = median([max(tone_amplitude(b, f) for f in (500, 2000, 3000)) for b in clean])
        print(f"tone at {start / RATE:.2f} s: {frequency:g} Hz amplitude {level:.0f} in {len(clean)} clean blocks, "
              f"strongest other {stray:.0f}")
        if stray > level / 100:
            print(f"{frequency:g} Hz does not dominate")
            return 1
        levels.append(level)
    first_db = 20 * math.log10(levels[0] / expected)
    boost_db = 20 * math.log10(levels[1] / levels[0])
    print(f"level {first_db:+.2f} dB against the fixture, equalizer {boost_db:+.2f} dB")
    if abs(first_db) > 1.5 or abs(boost_db - 12) > 1.0:
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], float(sys.argv[2]), *(float(f) for f in sys.argv[3:4])))
