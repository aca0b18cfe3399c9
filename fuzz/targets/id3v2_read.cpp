// ID3v2 reading: any file reads without crash, hang or unbounded
// allocation; the picture stays within its cap, and asking for it changes
// no text field.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Require.h"
#include "tags/ID3v2.h"
#include "tags/MemoryFileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sv::tags::MemoryFileSystem mem;
  mem.Put("f.mp3", std::string(reinterpret_cast<const char*>(data), size));
  sv::tags::TID3v2 plain(mem), withPicture(mem);
  const bool a = plain.ReadFromFile("f.mp3", false);
  const bool b = withPicture.ReadFromFile("f.mp3", true);
  // Shorter than a header, or a tag that cannot be walked, fails either way.
  REQUIRE(a == b && (size >= 10 || !a));
  REQUIRE(a || plain.Title.empty());
  REQUIRE(plain.Picture.empty());
  REQUIRE(withPicture.Picture.size() <= 1'000'000);
  REQUIRE(plain.Size >= 0 && static_cast<std::uint64_t>(plain.Size) <= size);
  REQUIRE(plain.Title == withPicture.Title && plain.Artist == withPicture.Artist &&
          plain.Album == withPicture.Album && plain.Comment == withPicture.Comment &&
          plain.Track == withPicture.Track && plain.Genre == withPicture.Genre);
  return 0;
}
