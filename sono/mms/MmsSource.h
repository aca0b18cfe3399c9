#pragma once
// An "mms://" radio stream as a byte source: the ASF header, then the ASF
// data packets, over MMS on HTTP or, when the server does not speak that,
// over MMS on TCP. Every socket wait is bounded by a time-out and ends on
// the cancel flag, and the whole open by its budget; with the proxy setting
// each connection is tunnelled through it, and only then.
//
//   sono::mms::MmsOptions options;
//   options.cancel = cancelFlag;
//   auto opened = sono::mms::OpenMms("mms://host/path", std::move(options));
//   if (!opened.source) report(opened.error);
//
// OpenMms and Read block, so both run on an engine thread.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "sono/core/ByteSource.h"
#include "sono/net/OpenBudget.h"
#include "sono/net/UrlSource.h"

namespace sono::mms {

using net::NetError;

struct MmsOptions {
  std::string proxy;  // "user:pass@host:port", empty for a direct connection
  int connectTimeoutMs = 5000;
  int readTimeoutMs = 10000;
  // Optional: setting it from another thread ends OpenMms and Read.
  std::shared_ptr<std::atomic<bool>> cancel;
  // Optional: bounds the open and the reads that follow until its Finish
  // (a spent time fails with TimedOut, spent bytes with BadResponse).
  std::shared_ptr<net::OpenBudget> budget;
};

class MmsSource : public ByteSource {
 public:
  struct State;
  explicit MmsSource(std::unique_ptr<State> state);
  ~MmsSource() override;

  size_t Read(void* buffer, size_t size) override;
  bool CanSeek() const override { return false; }
  bool Seek(int64_t) override { return false; }
  int64_t Tell() const override;
  int64_t Size() const override { return -1; }
  bool Failed() const override;
  std::string ExtensionHint() const override { return ".asf"; }

  NetError Error() const;
  // Over HTTP: the status line and header lines of the answer that carried
  // the stream. Over TCP the protocol has none and the list is empty, even
  // when an HTTP try answered before.
  const std::vector<std::string>& HeaderLines() const;

 private:
  std::unique_ptr<State> state_;
};

struct MmsOpenResult {
  std::unique_ptr<MmsSource> source;  // null on failure
  NetError error = NetError::None;
};

// True for an address this source takes: "mms://", case ignored.
bool IsMmsUrl(const std::string& url);

MmsOpenResult OpenMms(const std::string& url, MmsOptions options);

}  // namespace sono::mms
