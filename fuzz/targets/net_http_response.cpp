// A response from a hostile server, fed whole and in segments of varying
// sizes: the outcome, the header and the delivered body never depend on how
// the bytes were split, and the body respects its framing and limits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "net/core/HttpResponseReader.h"

namespace {

struct Outcome {
  sv::net::HttpResponseReader::State state;
  std::string body;
  std::string reason;
  int status = 0;
  int64_t contentLength = -1;
  size_t headerLines = 0;
  int docEnds = 0;
};

Outcome Run(std::string_view bytes, sv::net::HttpMethod method, const std::string_view sizes) {
  sv::net::HttpResponseLimits limits;
  limits.maxBodySize = 1 << 16;
  sv::net::HttpResponseReader reader;
  Outcome out;
  reader.OnDocData = [&](const char* d, size_t n) { out.body.append(d, n); };
  reader.OnDocEnd = [&] { ++out.docEnds; };
  reader.Start(method, "1.1", limits);
  size_t at = 0;
  size_t turn = 0;
  while (at < bytes.size()) {
    const size_t step = sizes.empty() ? bytes.size() : 1 + static_cast<uint8_t>(sizes[turn++ % sizes.size()]);
    const std::string_view piece = bytes.substr(at, step);
    const size_t used = reader.Feed(piece);
    REQUIRE(used <= piece.size());
    if (used < piece.size()) {
      const auto state = reader.GetState();
      REQUIRE(state == sv::net::HttpResponseReader::State::Failed ||
              (state == sv::net::HttpResponseReader::State::Done && reader.HasLeftovers()));
      break;
    }
    at += piece.size();
  }
  reader.ConnectionClosed(0);
  out.state = reader.GetState();
  out.reason = reader.FailureReason();
  out.status = reader.Head().statusCode;
  out.contentLength = reader.Head().contentLength;
  out.headerLines = reader.Head().rcvdHeader.size();
  REQUIRE(out.body.size() <= static_cast<size_t>(limits.maxBodySize));
  REQUIRE(out.docEnds <= 1);
  using State = sv::net::HttpResponseReader::State;
  REQUIRE(out.state == State::Done || out.state == State::Failed);
  REQUIRE((out.state == State::Failed) == !out.reason.empty());
  if (out.state == State::Done && reader.GetFraming() == sv::net::HttpResponseReader::Framing::Length) {
    REQUIRE(static_cast<int64_t>(out.body.size()) == out.contentLength);
  }
  if (out.state == State::Done && !reader.Head().headerless) REQUIRE(out.status >= 100 && out.status <= 999);
  // On HTTP/1.1 an informational reply is never the final one.
  if (out.state == State::Done && !reader.Head().headerless && reader.Head().responseVer == "1.1")
    REQUIRE(out.status >= 200);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // First byte: the method; the next up to 8 bytes: segment sizes.
  const auto method = static_cast<sv::net::HttpMethod>(data[0] % 4);
  const size_t sizeCount = data[1] % 9;
  if (size < 2 + sizeCount) return 0;
  const std::string_view sizes(reinterpret_cast<const char*>(data + 2), sizeCount);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2 + sizeCount), size - 2 - sizeCount);
  const Outcome whole = Run(bytes, method, {});
  const Outcome split = Run(bytes, method, sizes);
  REQUIRE(whole.state == split.state);
  REQUIRE(whole.reason == split.reason);
  REQUIRE(whole.status == split.status);
  REQUIRE(whole.contentLength == split.contentLength);
  REQUIRE(whole.headerLines == split.headerLines);
  REQUIRE(whole.docEnds == split.docEnds);
  // A failure found later in a split feed may cut the body earlier.
  if (whole.state == sv::net::HttpResponseReader::State::Done) REQUIRE(whole.body == split.body);
  return 0;
}
