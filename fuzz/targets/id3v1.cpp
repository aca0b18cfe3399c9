// ID3v1 and Lyrics3 v2: any file reads; saving keeps every byte before the
// old tags and reads back as saved, and a failed file operation (chosen by
// the input's size) leaves the old file or the saved one; removing leaves
// exactly the bytes before the tags.
#include <cstddef>
#include <cstdint>
#include <string>

#include "SaveChecks.h"
#include "tags/ID3v1.h"
#include "tags/MemoryFileSystem.h"

namespace {

bool Edit(sv::tags::TID3v1& tag, std::size_t size) {
  tag.SetTitle("Fuzz title");
  tag.SetArtist(size % 2 ? "An artist name well over thirty characters" : "é");
  tag.SetTrack(static_cast<std::uint8_t>(size));
  return tag.SaveToFile("f.mp3");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string old(reinterpret_cast<const char*>(data), size);
  sv::tags::MemoryFileSystem mem;
  mem.Put("f.mp3", old);
  sv::tags::TID3v1 tag(mem);
  REQUIRE(tag.ReadFromFile("f.mp3"));
  tag.GetGenre();
  const std::uint64_t tail = (tag.Exists ? 128u : 0u) + static_cast<std::uint64_t>(tag.GetLyrics3Size());
  REQUIRE(tail <= size);
  const std::string kept = old.substr(0, size - tail);

  REQUIRE(Edit(tag, size));
  const std::string saved = *mem.Get("f.mp3");
  REQUIRE(saved.compare(0, kept.size(), kept) == 0);

  sv::fuzz::RequireOldOrNew<sv::tags::TID3v1>(
      "f.mp3", old, saved, static_cast<long>(size % 20) + 1,
      [&](sv::tags::TID3v1& retry) { return retry.ReadFromFile("f.mp3") && Edit(retry, size); });

  // A kept year and comment can make the record's end read as an APE
  // footer, which hides a record from every reader.
  if (saved.compare(saved.size() - 32, 8, "APETAGEX") == 0) return 0;
  sv::tags::TID3v1 back(mem);
  REQUIRE(back.ReadFromFile("f.mp3"));
  // A whole 30-character comment whose 29th character is a blank reads as
  // version 1.1, its last character as the track.
  const bool blankMark = tag.Track == 0 && saved[saved.size() - 3] == ' ';
  REQUIRE(back.Exists && (back.Track == tag.Track || blankMark));
  // Without a block of ours, an older block further up may show through.
  const bool allOurs = tag.Lyrics3Present || !back.Lyrics3Present;
  if (allOurs) {
    // A long artist keeps its whole length only inside a Lyrics3 block.
    const std::string artist = back.Lyrics3Present ? tag.GetArtist() : tag.GetArtist().substr(0, 30);
    REQUIRE(back.GetTitle() == "Fuzz title" && back.GetArtist() == artist);
  }

  REQUIRE(back.RemoveFromFile("f.mp3"));
  const std::string& left = *mem.Get("f.mp3");
  REQUIRE(allOurs ? left == kept : kept.compare(0, left.size(), left) == 0);
  REQUIRE(mem.FileCount() == 1);
  return 0;
}
