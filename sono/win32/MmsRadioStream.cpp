#include "sono/win32/MmsRadioStream.h"

#include <atomic>
#include <mutex>

#include "sono/mms/AsfDecoder.h"
#include "sono/mms/MmsSource.h"

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

Error ErrorOf(net::NetError error) {
  switch (error) {
    case net::NetError::BadUrl: return Error::kProtocol;
    case net::NetError::BadProxy: return Error::kBadParameter;
    default: return Error::kNetwork;
  }
}

}  // namespace

bool IsMmsRadioUrl(const std::string& url) { return mms::IsMmsUrl(url); }

RadioStream OpenMmsRadioStream(const std::string& url, const std::string& proxy) {
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  mms::MmsOptions options;
  options.proxy = proxy;
  options.connectTimeoutMs = kConnectTimeoutMs;
  options.readTimeoutMs = kReadTimeoutMs;
  options.cancel = cancel;
  auto opened = mms::OpenMms(url, std::move(options));
  RadioStream radio;
  if (!opened.source) {
    radio.error = ErrorOf(opened.error);
    return radio;
  }
  std::vector<std::string> headers = opened.source->HeaderLines();
  auto asf = mms::OpenAsfDecoder(std::move(opened.source));
  if (!asf.decoder) {
    radio.error = Error::kFormat;
    return radio;
  }
  radio.decoder = std::move(asf.decoder);
  radio.metadata = std::make_shared<MmsMetadata>(cancel, std::move(headers), asf.title);
  return radio;
}

}  // namespace sono::win32
