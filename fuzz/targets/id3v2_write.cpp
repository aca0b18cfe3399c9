// ID3v2 saving: the first input byte picks the fields to change, the second
// which file operation fails. Either the save is refused and the file is
// byte-identical, or the changed fields read back and the audio after the
// tag is unchanged; a failed operation leaves the old file or the new one, and no
// temporary file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tags/FaultyFileSystem.h"
#include "tags/ID3v2.h"
#include "tags/MemoryFileSystem.h"

namespace {

// Names the broken invariant before the abort, so the crash report says which.
void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

bool Edit(sv::tags::FileSystem& fs, std::uint8_t choice, sv::tags::TID3v2& tag) {
  if (!tag.ReadFromFile("f.mp3", choice & 0x10)) return false;
  if (choice & 1) tag.SetTitle("Fuzz title é");
  if (choice & 2) tag.SetComment("Комментарий");
  if (choice & 4) tag.SetTrack(static_cast<std::uint16_t>(choice * 7));
  if (choice & 8) tag.SetPicture(choice & 0x20 ? std::string() : std::string("\xFF\xD8\xFF\xE0jpeg", 8));
  return tag.SaveToFile("f.mp3");
}

}  // namespace

#define REQUIRE(condition) Require((condition), #condition)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::uint8_t choice = data[0];
  const std::uint8_t failAt = data[1];
  const std::string old(reinterpret_cast<const char*>(data + 2), size - 2);

  sv::tags::MemoryFileSystem mem;
  mem.Put("f.mp3", old);
  sv::tags::TID3v2 before(mem);
  before.ReadFromFile("f.mp3");
  sv::tags::TID3v2 tag(mem);
  if (!Edit(mem, choice, tag)) {
    REQUIRE(*mem.Get("f.mp3") == old && mem.FileCount() == 1);
    return 0;
  }
  const std::string saved = *mem.Get("f.mp3");
  REQUIRE(mem.FileCount() == 1);
  sv::tags::TID3v2 back(mem);
  REQUIRE(back.ReadFromFile("f.mp3", true));
  REQUIRE(back.Exists && back.VersionID == 3 && back.Size == tag.Size);
  if (choice & 1) REQUIRE(back.Title == tag.Title);
  if (choice & 2) REQUIRE(back.Comment == tag.Comment);
  if (choice & 4) REQUIRE(back.Track == tag.Track);
  if (choice & 8) REQUIRE(back.Picture == tag.Picture);
  const std::size_t oldTag = before.Exists ? static_cast<std::size_t>(before.Size) : 0;
  REQUIRE(saved.substr(static_cast<std::size_t>(back.Size)) == old.substr(oldTag));

  sv::tags::MemoryFileSystem again;
  again.Put("f.mp3", old);
  sv::tags::FaultyFileSystem faulty(again);
  faulty.FailAt(failAt);
  sv::tags::TID3v2 retry(faulty);
  const bool ok = Edit(faulty, choice, retry);
  REQUIRE(*again.Get("f.mp3") == (ok ? saved : old) && again.FileCount() == 1);
  return 0;
}
