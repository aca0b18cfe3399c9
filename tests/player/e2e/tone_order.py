#!/usr/bin/env python3
"""Checks that a recording holds the given tones, in the given order, each
for at least 300 ms: what an end-to-end test hears when the player plays a
list of test tones. With --max-gap-ms=N, the silence between two tones
heard one after the other may last at most N ms.

The recording is raw signed 16-bit little-endian, channels interleaved.
Exits 0 when the tones are heard in order, 1 with the reason otherwise, and
2 on bad arguments."""
import array
import math
import sys

USAGE = "usage: tone_order.py [--max-gap-ms=N] <recording.raw> <rate> <channels> <freq1> <freq2> [...]"
GAP_OPTION = "--max-gap-ms="
WINDOW_SECONDS = 0.05
MIN_TONE_WINDOWS = 6  # 300 ms
# A skip of the output under load, or one window straddling a track change,
# must not split one tone in two.
MAX_GAP_WINDOWS = 2
# A longer skip on a loaded machine, up to this long, with at most a short
# burst of noise in it, still joins the two pieces of a tone; a longer pause
# means the tone was heard again.
MAX_DROPOUT_WINDOWS = 8
SILENCE_RMS = 100.0
# A window is a tone's when that tone carries at least this share of the
# window's amplitude; noise or any other sound is nobody's.
DOMINANCE = 0.5


def read_mono(path, channels):
    samples = array.array("h")
    with open(path, "rb") as f:
        data = f.read()
    frame = 2 * channels
    samples.frombytes(data[:len(data) - len(data) % frame])
    if sys.byteorder == "big":
        samples.byteswap()
    if channels == 1:
        return samples
    return [sum(samples[i:i + channels]) / channels for i in range(0, len(samples), channels)]


def tone_amplitude(samples, frequency, rate):
    coefficient = 2 * math.cos(2 * math.pi * frequency / rate)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coefficient * s1 - s2, s1
    power = s1 * s1 + s2 * s2 - coefficient * s1 * s2
    return 2 * math.sqrt(max(power, 0.0)) / len(samples)


def label_windows(mono, rate, frequencies):
    """One label per window: a frequency, "silence" or "other"."""
    size = max(1, int(rate * WINDOW_SECONDS))
    labels = []
    for at in range(0, len(mono) - size + 1, size):
        window = mono[at:at + size]
        rms = math.sqrt(sum(x * x for x in window) / size)
        if rms < SILENCE_RMS:
            labels.append("silence")
            continue
        best = max(frequencies, key=lambda f: tone_amplitude(window, f, rate))
        if tone_amplitude(window, best, rate) >= DOMINANCE * rms * math.sqrt(2):
            labels.append(best)
        else:
            labels.append("other")
    return labels


def tone_runs(labels):
    """[label, first window, last window, windows heard] for each sound heard
    at least MIN_TONE_WINDOWS, across gaps of up to MAX_GAP_WINDOWS of
    silence or anything else. A sustained sound of none of the tones is a
    run of "other": something played that should not have."""
    runs = []
    index = 0
    while index < len(labels):
        label = labels[index]
        if label == "silence":
            index += 1
            continue
        run = [label, index, index, 1]
        ahead = index + 1
        while ahead < len(labels) and ahead - run[2] - 1 <= MAX_GAP_WINDOWS:
            if labels[ahead] == label:
                run[2] = ahead
                run[3] += 1
            ahead += 1
        runs.append(run)
        index = run[2] + 1
    return [r for r in join_across_dropouts(runs) if r[3] >= MIN_TONE_WINDOWS]


def join_across_dropouts(runs):
    """Joins the pieces of one tone that a longer skip left apart: silence or
    a short burst of noise between, at most MAX_DROPOUT_WINDOWS long."""
    joined = []
    for run in runs:
        if run[0] == "other" and run[3] < MIN_TONE_WINDOWS:
            continue
        if joined and joined[-1][0] == run[0] and run[1] - joined[-1][2] - 1 <= MAX_DROPOUT_WINDOWS:
            joined[-1][2] = run[2]
            joined[-1][3] += run[3]
        else:
            joined.append(list(run))
    return joined


def describe(run):
    start = run[1] * WINDOW_SECONDS
    end = (run[2] + 1) * WINDOW_SECONDS
    what = "other sound" if run[0] == "other" else f"{run[0]:g} Hz"
    return f"{what} ({start:.2f}-{end:.2f} s)"


def longest_gap(runs):
    """The longest stretch between one tone heard and the next, in ms, and
    the two runs around it."""
    gaps = [((after[1] - before[2] - 1) * WINDOW_SECONDS * 1000, before, after)
            for before, after in zip(runs, runs[1:])]
    return max(gaps, key=lambda gap: gap[0]) if gaps else None


def main(argv):
    options = [a for a in argv[1:] if a.startswith(GAP_OPTION)]
    argv = [a for a in argv if not a.startswith(GAP_OPTION)]
    if len(argv) < 5 or len(options) > 1:
        print(USAGE, file=sys.stderr)
        return 2
    try:
        rate, channels = int(argv[2]), int(argv[3])
        frequencies = [float(f) for f in argv[4:]]
        max_gap_ms = float(options[0][len(GAP_OPTION):]) if options else None
    except ValueError as error:
        print(f"bad argument: {error}", file=sys.stderr)
        return 2
    if rate < 8000 or channels <= 0 or any(not 0 < f < rate / 2 for f in frequencies):
        print("the rate must be at least 8000 Hz, the channels positive and the frequencies "
              "under half the rate", file=sys.stderr)
        return 2
    try:
        mono = read_mono(argv[1], channels)
    except OSError as error:
        print(f"cannot read the recording: {error}")
        return 1

    labels = label_windows(mono, rate, sorted(set(frequencies)))
    heard = [label for label in labels if label != "silence"]
    expected = ", ".join(f"{f:g} Hz" for f in frequencies)
    if not heard:
        print(f"expected {expected}: the recording ({len(mono) / rate:.2f} s) is silent")
        return 1
    runs = tone_runs(labels)
    found = [run[0] for run in runs]
    if found != frequencies:
        print(f"expected {expected}, each for at least {MIN_TONE_WINDOWS * WINDOW_SECONDS:.1f} s")
        print("heard: " + (", ".join(describe(r) for r in runs) or "none of these tones long enough"))
        print(f"{len(heard)} of {len(labels)} windows of {WINDOW_SECONDS * 1000:.0f} ms were not silent, "
              f"{heard.count('other')} of them held none of these tones")
        return 1
    print("heard in order: " + ", ".join(describe(r) for r in runs))
    gap = longest_gap(runs)
    if max_gap_ms is not None and gap and gap[0] > max_gap_ms:
        print(f"{gap[0]:.0f} ms of silence between {describe(gap[1])} and {describe(gap[2])}, "
              f"more than {max_gap_ms:g} ms")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
