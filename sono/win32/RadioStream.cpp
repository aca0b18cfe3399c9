#include "sono/win32/RadioStream.h"

#include <atomic>
#include <mutex>

#include "base/Ascii.h"
#include "sono/net/UrlSource.h"

namespace sono::win32 {

namespace {

// Opening waits at most this long for the server; playback reads wait
// longer, since a station may pause between blocks.
constexpr int kConnectTimeoutMs = 5000;
constexpr int kReadTimeoutMs = 8000;

class RadioMetadata final : public StreamMetadata {
 public:
  explicit RadioMetadata(std::shared_ptr<std::atomic<bool>> cancel) : cancel_(std::move(cancel)) {}

  std::vector<std::string> Headers() const override {
    std::lock_guard lock(mutex_);
    return headers_;
  }

  std::string MetaText(uint64_t& serial) const override {
    std::lock_guard lock(mutex_);
    serial = serial_;
    return text_;
  }

  void Cancel() override { cancel_->store(true); }

  void SetHeaders(std::vector<std::string> headers) {
    std::lock_guard lock(mutex_);
    headers_ = std::move(headers);
  }

  void Update(std::string text) {
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
    ++serial_;
  }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::vector<std::string> headers_;
  std::string text_;
  uint64_t serial_ = 0;
};

Error ErrorOf(net::NetError error) {
  switch (error) {
    case net::NetError::BadUrl:
      return Error::kProtocol;
    case net::NetError::BadProxy:
      return Error::kBadParameter;
    default:
      return Error::kNetwork;
  }
}

bool IsOgg(const std::vector<std::string>& headers) {
  for (const std::string& line : headers) {
    const std::string lower = sv::LowerAscii(line);
    if (lower.starts_with("content-type:") && lower.find("ogg") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

RadioStream OpenRadioStream(const std::string& url, const std::string& proxy) {
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  auto metadata = std::make_shared<RadioMetadata>(cancel);
  net::UrlOptions options;
  options.proxy = proxy;
  options.connectTimeoutMs = kConnectTimeoutMs;
  options.readTimeoutMs = kReadTimeoutMs;
  options.cancel = cancel;
  // The reader runs on the channel's pump; the pump then passes each new
  // text to the META syncs.
  options.onMetadata = [metadata](const net::IcyUpdate& update) { metadata->Update(update.text); };
  auto opened = net::OpenUrl(url, std::move(options));
  RadioStream radio;
  if (!opened.source) {
    radio.error = ErrorOf(opened.error);
    return radio;
  }
  const std::vector<std::string> headers = opened.source->HeaderLines();
  metadata->SetHeaders(headers);
  radio.decoder = IsOgg(headers) ? OpenVorbisDecoder(std::move(opened.source))
                                 : OpenMpegDecoder(std::move(opened.source));
  if (!radio.decoder) {
    radio.error = Error::kFormat;
    return radio;
  }
  radio.metadata = std::move(metadata);
  return radio;
}

}  // namespace sono::win32
