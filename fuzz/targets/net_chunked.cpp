// Chunked bodies fed whole and byte by byte decode to the same bytes and end
// in the same state; a body that does not end is never reported complete.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "net/core/HttpChunkDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  sv::net::HttpChunkDecoder whole;
  std::string wholeOut;
  const size_t wholeUsed = whole.Feed(bytes, [&](const char* d, size_t n) { wholeOut.append(d, n); });
  REQUIRE(wholeUsed <= size);
  REQUIRE(wholeUsed == size || whole.Done() || whole.Failed());
  REQUIRE(wholeOut.size() <= size);

  sv::net::HttpChunkDecoder single;
  std::string singleOut;
  size_t singleUsed = 0;
  for (size_t at = 0; at < size; ++at) {
    singleUsed += single.Feed(bytes.substr(at, 1), [&](const char* d, size_t n) { singleOut.append(d, n); });
  }
  REQUIRE(single.GetState() == whole.GetState());
  REQUIRE(singleOut == wholeOut);
  REQUIRE(singleUsed == wholeUsed);
  if (whole.Done()) REQUIRE(bytes.substr(0, wholeUsed).find('0') != std::string_view::npos);
  return 0;
}
