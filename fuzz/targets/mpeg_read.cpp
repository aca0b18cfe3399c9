// MPEG frame header: any file scans within its bounds, and the text always
// has its nine lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tags/InfoMPEG.h"
#include "tags/MemoryFileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sv::tags::MemoryFileSystem fs;
  fs.Put("f.mp3", std::string(reinterpret_cast<const char*>(data), size));
  sv::tags::InfosMPEG info;
  const auto status = sv::tags::ReadMPEGInfo("f.mp3", info, fs);
  if (info.FileSize != size || (size > 0 && info.HeaderPos >= size)) std::abort();
  if (status == sv::tags::TagStatus::Ok && (info.Version.empty() || info.HeaderPos + 130 > size)) std::abort();
  const std::string text = sv::tags::MPEGInfoText(info);
  std::size_t lines = 0;
  for (std::size_t i = text.find("\r\n"); i != std::string::npos; i = text.find("\r\n", i + 2)) ++lines;
  if (lines != 9) std::abort();
  return 0;
}
