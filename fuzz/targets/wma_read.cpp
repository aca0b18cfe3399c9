// WMA header reading: any file reads within its bounds; nothing is set
// unless the stream values pass the range checks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tags/MemoryFileSystem.h"
#include "tags/WMAfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sv::tags::MemoryFileSystem fs;
  fs.Put("f.wma", std::string(reinterpret_cast<const char*>(data), size));
  sv::tags::TWMAfile wma(fs);
  wma.ReadFromFile("f.wma");
  if (!wma.Valid && (!wma.Title.empty() || wma.Channels != 0 || wma.Duration != 0)) std::abort();
  // At most 250 UTF-16 units, each at most 3 UTF-8 bytes (pairs: 4 for 2).
  for (const auto* text : {&wma.Title, &wma.Artist, &wma.Album, &wma.Year, &wma.Genre, &wma.Comment})
    if (text->size() > 750) std::abort();
  return 0;
}
