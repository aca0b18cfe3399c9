#pragma once
// An internet radio stream as a byte source for the decoders: HTTP/1.0 GET
// with ICY metadata requested, redirects followed, an optional proxy, and
// the metadata blocks taken out of the audio and reported as they change.
//
//   sono::net::UrlOptions options;
//   options.proxy = proxyText;                         // may be empty
//   options.onMetadata = [](const sono::net::IcyUpdate& u) { ... };
//   auto opened = sono::net::OpenUrl(url, std::move(options));
//   if (!opened.source) report(opened.error);
//
// OpenUrl and Read block (each wait bounded by its time-out), so both run on
// an engine thread; Cancel or the shared cancel flag ends any wait promptly
// from another thread.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sono/core/ByteSource.h"
#include "sono/net/OpenBudget.h"

namespace sono::net {

enum class NetError {
  None,
  BadUrl,            // not "http://host[:port]/path" (other schemes included)
  BadProxy,          // the proxy text is not "[user:pass@]host[:port]"
  ConnectFailed,     // name not found or connection refused
  TimedOut,          // connect or a read waited longer than its time-out
  BadResponse,       // not an HTTP/ICY head, head too large, bad icy-metaint
  HttpStatus,        // a status other than 200 (see UrlOpenResult::status)
  TooManyRedirects,
  Closed,            // the server closed before audio or inside metadata
  Cancelled,
};

// A metadata block whose text differs from the previous one.
struct IcyUpdate {
  std::string text;   // "StreamTitle='…';…" without padding, bytes as sent
  std::string title;  // the StreamTitle value, empty when the block has none
};

struct UrlOptions {
  std::string proxy;  // "user:pass@host:port", empty for a direct connection
  int connectTimeoutMs = 5000;
  int readTimeoutMs = 10000;
  int maxRedirects = 5;
  // Called on the thread that reads, before Read returns the audio that
  // follows the block.
  std::function<void(const IcyUpdate&)> onMetadata;
  // Optional: setting it from another thread ends OpenUrl and Read.
  std::shared_ptr<std::atomic<bool>> cancel;
  // Optional: bounds the open and the reads that follow until its Finish
  // (a spent time fails with TimedOut, spent bytes with BadResponse).
  std::shared_ptr<OpenBudget> budget;
};

class UrlSource : public ByteSource {
 public:
  ~UrlSource() override;
  // Audio bytes only; blocks until size bytes arrived, the stream ended or
  // failed. A stream that closes cleanly between blocks simply ends.
  size_t Read(void* buffer, size_t size) override;
  bool CanSeek() const override { return false; }
  bool Seek(int64_t) override { return false; }
  int64_t Tell() const override;
  int64_t Size() const override { return -1; }
  bool Failed() const override;
  std::string ExtensionHint() const override;

  NetError Error() const;
  // The status line and header lines of the final response, as received.
  const std::vector<std::string>& HeaderLines() const;
  // The address that answered, after redirects.
  const std::string& FinalUrl() const;
  // Thread-safe: makes a blocked Read return 0 with NetError::Cancelled.
  void Cancel();

  struct State;
  explicit UrlSource(std::unique_ptr<State> state);

 private:
  std::unique_ptr<State> state_;
};

struct UrlOpenResult {
  std::unique_ptr<UrlSource> source;  // null on failure
  NetError error = NetError::None;
  int status = 0;                     // the last HTTP status received
};

UrlOpenResult OpenUrl(const std::string& url, UrlOptions options);

// A short English description for logs and error boxes.
const char* DescribeNetError(NetError error);

}  // namespace sono::net
