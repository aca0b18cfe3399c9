// Text decoding: any bytes give valid UTF-8, the code-page conversions
// round-trip, and splitting into lines and joining again is stable.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "base/StringList.h"
#include "base/TextFile.h"
#include "base/Utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  sv::TextEncoding encoding;
  const std::string text = sv::DecodeText(bytes, &encoding);
  REQUIRE(sv::IsValidUtf8(text));
  REQUIRE(sv::Utf16ToUtf8(sv::Utf8ToUtf16(text)) == text);
  if (encoding == sv::TextEncoding::Utf8) REQUIRE(text == bytes);

  bool lossless = false;
  REQUIRE(sv::Utf8ToCp1252(sv::Cp1252ToUtf8(bytes), &lossless) == bytes && lossless);
  REQUIRE(sv::Utf8ToLatin1(sv::Latin1ToUtf8(bytes), &lossless) == bytes && lossless);

  const std::string_view prefix = sv::Utf8Prefix(text, size / 2);
  REQUIRE(prefix.size() <= size / 2 && sv::IsValidUtf8(prefix));

  sv::StringList lines;
  lines.SetText(text);
  sv::StringList again;
  again.SetText(lines.Text());
  REQUIRE(again.Items() == lines.Items());
  return 0;
}
