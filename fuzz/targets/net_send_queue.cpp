// The send queue under a library that takes random amounts, blocks and
// fails: whatever the library took comes out in order, nothing twice, and
// the counters agree with what is left.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "net/core/NetSockBuf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sv::net::SendQueue queue;
  std::string queued;
  std::string sent;
  size_t at = 0;
  auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  while (at < size) {
    const uint8_t op = next();
    if (op < 128) {
      // Queue op * 40 bytes, a pattern that shows reordering.
      std::string bytes(static_cast<size_t>(op) * 40, '\0');
      for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('a' + (queued.size() + i) % 26);
      queue.QueueSendData(bytes.data(), static_cast<int64_t>(bytes.size()));
      queued += bytes;
    } else {
      const uint8_t take = next();
      const auto result = queue.TryToSend(
          [&](const char* d, size_t n) -> sv::net::RawSendResult {
            if (take == 0) return {-1, op & 1 ? sv::net::kWouldBlockError : 10054};
            const size_t n2 = n < static_cast<size_t>(take) * 13 ? n : static_cast<size_t>(take) * 13;
            sent.append(d, n2);
            return {static_cast<int64_t>(n2), 0};
          },
          nullptr);
      if (result.outcome == sv::net::SendOutcome::AllSent) REQUIRE(sent.size() == queued.size());
    }
    REQUIRE(queued.compare(0, sent.size(), sent) == 0);
    REQUIRE(queue.QueuedBytes() == static_cast<int64_t>(queued.size() - sent.size()));
    if (queue.AllSent()) REQUIRE(queued.size() == sent.size());
  }
  return 0;
}
