// APE reading: any file reads within its bounds; shown texts stay short.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tags/APETag.h"
#include "tags/MemoryFileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sv::tags::MemoryFileSystem fs;
  fs.Put("f.ape", std::string(reinterpret_cast<const char*>(data), size));
  sv::tags::TAPETag tag(fs);
  tag.ReadFromFile("f.ape");
  for (const auto& field : tag.Fields) {
    if (field.Value.size() > 3 * 250 || field.Name.size() > 3 * 255) std::abort();
    // APEv1 values grow when converted to UTF-8: at most 3 bytes for 1.
    if (!field.Stored || field.Stored->value.size() > 3 * size) std::abort();
  }
  if (!tag.Exists && !tag.Fields.empty()) std::abort();
  return 0;
}
