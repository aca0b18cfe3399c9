// APE saving: the first input byte picks the change, the second which file
// operation fails. Either the save is refused and the file is unchanged, or
// the bytes before the old tag and the trailing ID3v1 record are kept and
// the fields read back; a failed operation leaves the old file or the new
// one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "SaveChecks.h"
#include "tags/APETag.h"
#include "tags/MemoryFileSystem.h"

namespace {

bool Edit(std::uint8_t choice, sv::tags::TAPETag& tag) {
  // Saving what a failed read left would replace the stored items.
  tag.ReadFromFile("f.mp3");
  if (tag.LastStatus() == sv::tags::TagStatus::OpenFailed || tag.LastStatus() == sv::tags::TagStatus::IoError)
    return false;
  if (choice & 1) tag.SetField("Title", "Fuzz title é");
  if (choice & 2) tag.AddField("Комментарий", std::string(choice, 'c'));
  if ((choice & 4) && !tag.Fields.empty()) tag.Fields.erase(tag.Fields.begin());
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
  sv::tags::TAPETag tag(mem);
  const auto result = sv::fuzz::SaveOnce(mem, "f.mp3", old, [&] { return Edit(choice, tag); });
  if (!result) return 0;
  const std::string& saved = *result;
  // A record ends the file unless an APE footer does.
  const bool record = old.size() > 128 && old.compare(old.size() - 128, 3, "TAG") == 0 &&
                      old.compare(old.size() - 32, 8, "APETAGEX") != 0;
  if (record) REQUIRE(saved.compare(saved.size() - 128, 128, old, old.size() - 128, 128) == 0);
  if (tag.Fields.empty()) {
    // No item, no tag: the old one was only removed.
    REQUIRE(saved.size() <= old.size());
    sv::fuzz::RequireOldOrNew<sv::tags::TAPETag>("f.mp3", old, saved, input->failAt,
                                                  [&](sv::tags::TAPETag& retry) { return Edit(choice, retry); });
    return 0;
  }
  const std::size_t header = saved.find("APETAGEX");
  REQUIRE(header != std::string::npos);
  // Only the old tag (at or after the new one's place) was replaced.
  REQUIRE(saved.compare(0, header, old, 0, header) == 0);

  sv::tags::TAPETag back(mem);
  REQUIRE(back.ReadFromFile("f.mp3"));
  REQUIRE(back.Exists && back.Version == 2000 && back.LastStatus() == sv::tags::TagStatus::Ok);
  REQUIRE(back.Fields.size() == tag.Fields.size());
  // Fields the caller left alone are stored as they were.
  for (std::size_t i = 0; i < back.Fields.size(); ++i) {
    const auto& f = tag.Fields[i];
    if (f.Stored && f.Name == f.Stored->shownName && f.Value == f.Stored->shownValue)
      REQUIRE(back.Fields[i].Stored->value == f.Stored->value && back.Fields[i].Stored->flags == f.Stored->flags);
  }
  if (choice & 1) REQUIRE(back.GetField("Title") == tag.GetField("Title"));

  sv::fuzz::RequireOldOrNew<sv::tags::TAPETag>("f.mp3", old, saved, input->failAt,
                                                [&](sv::tags::TAPETag& retry) { return Edit(choice, retry); });
  return 0;
}
