#pragma once
// What the title-read benchmark takes from every file, whichever reader
// read it.
#include <string>

struct TitleFields {
  std::string title, artist, album;
  unsigned track = 0;

  bool operator==(const TitleFields&) const = default;
};

// Reads the fields with the reference tag reader, through its plain
// file-reading call with audio properties off. False when it finds no tag.
// Only linked in when that reader is installed (SV_BENCH_REFERENCE).
bool ReadTitleWithReference(const std::string& path, TitleFields& out);
