#!/usr/bin/env python3
"""Writes the expected CD database query texts for the tables of contents in
tocs.txt as a C++ header: an arithmetic of its own, kept apart from the
library's, so that the two check each other."""
import sys


def digit_sum(n):
    return sum(int(d) for d in str(n))


def query_text(offsets, lead_out):
    checksum = sum(digit_sum(o // 75) for o in offsets) % 255
    playing = lead_out // 75 - offsets[0] // 75
    disc_id = (checksum << 24) | (playing << 8) | len(offsets)
    return " ".join(["%08x" % disc_id, str(len(offsets))] + [str(o) for o in offsets] + [str(lead_out // 75)])


def main(source, target):
    entries = []
    with open(source) as lines:
        for line in lines:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            tracks, lead_out = line.split("/")
            offsets = [int(o) for o in tracks.split()]
            entries.append("  {{%s}, %d, \"%s\"}," % (", ".join(map(str, offsets)), int(lead_out),
                                                     query_text(offsets, int(lead_out))))
    with open(target, "w") as out:
        out.write("// Made by disc_id_oracle.py from tocs.txt.\n#pragma once\n")
        out.write("#include <cstdint>\n#include <vector>\n\n")
        out.write("struct OracleDisc {\n  std::vector<uint32_t> offsets;\n  uint32_t leadOut;\n  const char* query;\n};\n\n")
        out.write("inline const OracleDisc kOracleDiscs[] = {\n%s\n};\n" % "\n".join(entries))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
