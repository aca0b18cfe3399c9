// Ogg Vorbis saving: the first input byte picks the change, the second which
// file operation fails. Either the save is refused and the file is
// unchanged, or the bytes before the comment pages are kept, the new comment
// pages carry valid checksums, the changed fields read back, and when the
// page count stayed the rest of the file is byte-identical; a failed
// operation leaves the old file or the new one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "SaveChecks.h"
#include "tags/MemoryFileSystem.h"
#include "tags/OggPage.h"
#include "tags/OggVorbis.h"

namespace {

bool Edit(std::uint8_t choice, sv::tags::TOggVorbis& ogg) {
  if (!ogg.ReadFromFile("f.ogg")) return false;
  if (choice & 1) ogg.Title = "Fuzz title é";
  if (choice & 2) ogg.Artist.clear();
  if (choice & 4) ogg.Track = static_cast<std::uint16_t>(choice);
  if (choice & 8) ogg.Comment = std::string(static_cast<std::size_t>(choice) * 300, 'c');
  return ogg.SaveTag("f.ogg");
}

// The comment packet of a file whose identification packet ends its page.
bool CommentPages(sv::tags::MemoryFileSystem& fs, std::uint64_t start, sv::tags::OggPacket& packet) {
  auto file = fs.OpenRead("f.ogg", sv::tags::ReadSharing::DenyNone);
  std::uint64_t size = 0;
  sv::tags::OggPacket id;
  if (!file || !file->Size(size) || sv::tags::ReadOggPacket(*file, start, size, 1 << 16, false, id) != sv::tags::TagStatus::Ok)
    return false;
  return sv::tags::ReadOggPacket(*file, id.pages.back().End(), size, 1 << 26, false, packet) == sv::tags::TagStatus::Ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto input = sv::fuzz::SplitSaveInput(data, size);
  if (!input) return 0;
  const std::uint8_t choice = input->choice;
  const std::string& old = input->old;

  sv::tags::MemoryFileSystem mem;
  mem.Put("f.ogg", old);
  sv::tags::TOggVorbis ogg(mem);
  const auto result = sv::fuzz::SaveOnce(mem, "f.ogg", old, [&] { return Edit(choice, ogg); });
  if (!result) return 0;
  const std::string& saved = *result;

  sv::tags::MemoryFileSystem before;
  before.Put("f.ogg", old);
  sv::tags::OggPacket oldPacket, newPacket;
  const std::uint64_t start = ogg.ID3v2Size;
  REQUIRE(CommentPages(before, start, oldPacket));
  if (saved != old) {
    REQUIRE(CommentPages(mem, start, newPacket));
    REQUIRE(newPacket.crcValid);
    const auto from = static_cast<std::size_t>(oldPacket.pages.front().offset);
    REQUIRE(saved.compare(0, from, old, 0, from) == 0);
    if (newPacket.pages.size() == oldPacket.pages.size()) {
      const auto oldEnd = static_cast<std::size_t>(oldPacket.pages.back().End());
      const auto newEnd = static_cast<std::size_t>(newPacket.pages.back().End());
      REQUIRE(saved.compare(newEnd, std::string::npos, old, oldEnd, std::string::npos) == 0);
    }
  }

  sv::tags::TOggVorbis back(mem);
  REQUIRE(back.ReadFromFile("f.ogg"));
  if (choice & 1) REQUIRE(back.Title == ogg.Title);
  if (choice & 2) REQUIRE(back.Artist.empty());
  if (choice & 4) REQUIRE(back.Track == ogg.Track % 256);

  sv::fuzz::RequireOldOrNew<sv::tags::TOggVorbis>("f.ogg", old, saved, input->failAt,
                                                  [&](sv::tags::TOggVorbis& retry) { return Edit(choice, retry); });
  return 0;
}
