#pragma once
// Content codings of the HTTP client: a process-wide registry of the codings
// it knows (only "identity" and "*", neither of which transforms bytes) and,
// per client, the handler that writes the Accept-Encoding value and passes
// each response body through a chain of decoders into the caller's output.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exception.h"

namespace sv::net {

class EHttpContentCodingException : public Exception {
 public:
  using Exception::Exception;
};

// Where a coding passes its decoded bytes.
using CodingWrite = std::function<void(const char* data, size_t len)>;

// A decoder for one response. The base passes bytes through unchanged, which
// is what "identity" and "*" need.
class THttpContentCoding {
 public:
  explicit THttpContentCoding(CodingWrite output) : output_(std::move(output)) {}
  virtual ~THttpContentCoding() = default;
  THttpContentCoding(const THttpContentCoding&) = delete;
  THttpContentCoding& operator=(const THttpContentCoding&) = delete;

  virtual void WriteBuffer(const char* data, size_t len) { output_(data, len); }
  virtual void Complete() {}

 protected:
  CodingWrite output_;
};

// What the registry knows of a coding class. coding is the name sent and
// matched; when empty it is derived from className after the
// "THttpContentCoding" prefix, and a class named otherwise is refused.
struct CodingClass {
  std::string className;
  std::string coding;
  std::function<bool()> available = [] { return true; };
  std::function<std::unique_ptr<THttpContentCoding>(CodingWrite)> create;
};

// The coding's name, or EHttpContentCodingException
// "GetCoding must be overriden in <class>".
std::string CodingName(const CodingClass& cls);

struct RegisteredCoding {
  CodingClass cls;
  float quality = 0;
};

// The registry, created on first use with "identity" and "*" at quality 0.
std::vector<RegisteredCoding>& ContentCodings();
void RegisterCoding(CodingClass cls, float quality);
// Searches from the last entry to the first, ignoring ASCII case.
const CodingClass* FindCoding(std::string_view name);

// "0.###" with "." whatever the locale.
std::string FormatQuality(float quality);

struct THttpCodingItem {
  CodingClass cls;
  bool enabled = true;
  float quality = 0;
};

class THttpCodingHandler {
 public:
  // A response body decoded to the end of the chain goes to outputStream
  // (which writes to the client's current receive stream, if any), then to
  // outputWriteBuffer (the client's document data event).
  THttpCodingHandler(CodingWrite outputStream, CodingWrite outputWriteBuffer);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool UseQuality() const { return useQuality_; }
  void SetUseQuality(bool value);
  void SetItemEnabled(size_t index, bool value);
  const std::vector<THttpCodingItem>& CodingParams() const { return params_; }

  // The Accept-Encoding value; empty while disabled.
  const std::string& HeaderText();

  // Builds the decoder chain for one response's Content-Encoding: the coding
  // named last receives the bytes first. False, with no chain (the body is
  // stored as received), when a coding is unknown or more than kMaxChain are
  // named; empty items are skipped.
  bool Prepare(std::string_view contentEncoding);
  // Body bytes enter here.
  void Write(const char* data, size_t len);
  // Completes every decoder, last to first.
  void Complete();

  static constexpr size_t kMaxChain = 8;

 private:
  void Output(const char* data, size_t len);

  CodingWrite outputStream_;
  CodingWrite outputWriteBuffer_;
  std::vector<THttpCodingItem> params_;
  std::vector<std::unique_ptr<THttpContentCoding>> chain_;
  std::string headerText_;
  bool recalcHeader_ = true;
  bool enabled_ = false;
  bool useQuality_ = false;
};

}  // namespace sv::net
