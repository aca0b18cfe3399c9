// ID3v2 saving: the first input byte picks the fields to change, the second
// which file operation fails. Either the save is refused and the file is
// byte-identical, or the changed fields read back and the audio after the
// tag is unchanged; a failed operation leaves the old file or the new one, and no
// temporary file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "SaveChecks.h"
#include "tags/ID3v2.h"
#include "tags/MemoryFileSystem.h"

namespace {

bool Edit(std::uint8_t choice, sv::tags::TID3v2& tag) {
  if (!tag.ReadFromFile("f.mp3", choice & 0x10)) return false;
  if (choice & 1) tag.SetTitle("Fuzz title é");
  if (choice & 2) tag.SetComment("Комментарий");
  if (choice & 4) tag.SetTrack(static_cast<std::uint16_t>(choice * 7));
  if (choice & 8) tag.SetPicture(choice & 0x20 ? std::string() : std::string("\xFF\xD8\xFF\xE0jpeg", 8));
  return tag.SaveToFile("f.mp3");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto input = sv::fuzz::SplitSaveInput(data, size);
  if (!input) return 0;
  const std::uint8_t choice = input->choice;
  const std::string& old = input->old;

  sv::tags::MemoryFileSystem mem;
  mem.Put("f.mp3", old);
  sv::tags::TID3v2 before(mem);
  before.ReadFromFile("f.mp3");
  sv::tags::TID3v2 tag(mem);
  const auto result = sv::fuzz::SaveOnce(mem, "f.mp3", old, [&] { return Edit(choice, tag); });
  if (!result) return 0;
  const std::string& saved = *result;
  sv::tags::TID3v2 back(mem);
  REQUIRE(back.ReadFromFile("f.mp3", true));
  REQUIRE(back.Exists && back.VersionID == 3 && back.Size == tag.Size);
  if (choice & 1) REQUIRE(back.Title == tag.Title);
  if (choice & 2) REQUIRE(back.Comment == tag.Comment);
  if (choice & 4) REQUIRE(back.Track == tag.Track);
  if (choice & 8) REQUIRE(back.Picture == tag.Picture);
  const std::size_t oldTag = before.Exists ? static_cast<std::size_t>(before.Size) : 0;
  REQUIRE(saved.substr(static_cast<std::size_t>(back.Size)) == old.substr(oldTag));

  sv::fuzz::RequireOldOrNew<sv::tags::TID3v2>("f.mp3", old, saved, input->failAt,
                                              [&](sv::tags::TID3v2& retry) { return Edit(choice, retry); });
  return 0;
}
