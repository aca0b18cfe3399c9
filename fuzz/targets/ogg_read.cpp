// Ogg Vorbis reading: any file reads within its bounds and gives finite
// numbers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tags/MemoryFileSystem.h"
#include "tags/OggVorbis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sv::tags::MemoryFileSystem fs;
  fs.Put("f.ogg", std::string(reinterpret_cast<const char*>(data), size));
  sv::tags::TOggVorbis ogg(fs);
  const bool read = ogg.ReadFromFile("f.ogg");
  if (!std::isfinite(ogg.Duration()) || ogg.Duration() < 0) std::abort();
  if (!read && (!ogg.Title.empty() || ogg.FileSize != 0)) std::abort();
  for (const auto* text : {&ogg.Title, &ogg.Artist, &ogg.Album, &ogg.Date, &ogg.Genre, &ogg.Comment, &ogg.Vendor})
    if (text->size() > 250) std::abort();
  ogg.IsValid();
  ogg.BitRate();
  return 0;
}
