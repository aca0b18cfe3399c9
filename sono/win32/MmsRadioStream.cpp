#include "sono/win32/MmsRadioStream.h"

#include <atomic>

#include "sono/mms/MmsStation.h"
#include "sono/win32/Library.h"

namespace sono::win32 {

namespace {

// The same waits as the HTTP radio.
constexpr int kConnectTimeoutMs = 5000;
constexpr int kReadTimeoutMs = 8000;

// The headers are known once connected and the title comes from the ASF
// header, so nothing changes after opening.
class MmsMetadata final : public StreamMetadata {
 public:
  MmsMetadata(std::shared_ptr<std::atomic<bool>> cancel, std::vector<std::string> headers, const std::string& title)
      : cancel_(std::move(cancel)), headers_(std::move(headers)) {
    if (!title.empty()) text_ = "StreamTitle='" + title + "';";
  }

  std::vector<std::string> Headers() const override { return headers_; }

  std::string MetaText(uint64_t& serial) const override {
    serial = text_.empty() ? 0 : 1;
    return text_;
  }

  void Cancel() override { cancel_->store(true); }

 private:
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::vector<std::string> headers_;
  std::string text_;
};

}  // namespace

bool IsMmsRadioUrl(const std::string& url) { return mms::IsMmsUrl(url); }

RadioStream OpenMmsRadioStream(const std::string& url, const std::string& proxy) {
  const OpeningStream opening;
  mms::MmsOptions options;
  options.proxy = proxy;
  options.connectTimeoutMs = kConnectTimeoutMs;
  options.readTimeoutMs = kReadTimeoutMs;
  options.cancel = opening.Cancel();
  auto station = mms::OpenMmsStation(url, std::move(options));
  RadioStream radio;
  if (!station.decoder) {
    radio.error = station.error == net::NetError::None ? Error::kFormat : NetworkError(station.error);
    return radio;
  }
  radio.decoder = std::move(station.decoder);
  radio.metadata = std::make_shared<MmsMetadata>(opening.Cancel(), std::move(station.headers), station.title);
  return radio;
}

}  // namespace sono::win32
