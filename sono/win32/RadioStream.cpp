#include "sono/win32/RadioStream.h"

#include <atomic>
#include <mutex>

#include "base/Ascii.h"
#include "sono/net/UrlSource.h"
#include "sono/win32/Library.h"

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

bool IsOgg(const std::vector<std::string>& headers) {
  for (const std::string& line : headers) {
    const std::string lower = sv::LowerAscii(line);
    if (lower.starts_with("content-type:") && lower.find("ogg") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

Error NetworkError(net::NetError error) {
  switch (error) {
    case net::NetError::BadUrl:
      return Error::kProtocol;
    case net::NetError::BadProxy:
      return Error::kBadParameter;
    default:
      return Error::kNetwork;
  }
}

RadioStream OpenRadioStream(const std::string& url, const std::string& proxy) {
  const OpeningStream opening;
  auto metadata = std::make_shared<RadioMetadata>(opening.Cancel());
  // A head sent a line at a time, or audio a byte at a time, keeps every
  // wait short: the open as a whole has a deadline.
  auto budget = std::make_shared<net::OpenBudget>(net::OpenBudget::kDefaultMs, net::OpenBudget::kNoByteLimit);
  net::UrlOptions options;
  options.proxy = proxy;
  options.connectTimeoutMs = kConnectTimeoutMs;
  options.readTimeoutMs = kReadTimeoutMs;
  options.cancel = opening.Cancel();
  options.budget = budget;
  // The reader runs on the channel's pump; the pump then passes each new
  // text to the META syncs.
  options.onMetadata = [metadata](const net::IcyUpdate& update) { metadata->Update(update.text); };
  auto opened = net::OpenUrl(url, std::move(options));
  RadioStream radio;
  if (!opened.source) {
    radio.error = NetworkError(opened.error);
    return radio;
  }
  const std::vector<std::string> headers = opened.source->HeaderLines();
  metadata->SetHeaders(headers);
  radio.decoder = IsOgg(headers) ? OpenVorbisDecoder(std::move(opened.source))
                                 : OpenMpegDecoder(std::move(opened.source));
  // A decoder that gave up because the open ran out of time failed on the
  // network, as does one cancelled.
  const bool interrupted = opening.Cancel()->load() || !budget->TimeLeft();
  if (!radio.decoder || interrupted) {
    radio.decoder.reset();
    radio.error = interrupted ? Error::kNetwork : Error::kFormat;
    return radio;
  }
  budget->Finish();
  radio.metadata = std::move(metadata);
  return radio;
}

}  // namespace sono::win32
