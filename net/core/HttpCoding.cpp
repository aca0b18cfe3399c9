#include "net/core/HttpCoding.h"

#include <charconv>
#include <cmath>

#include "base/Ascii.h"

namespace sv::net {
namespace {

constexpr std::string_view kClassPrefix = "THttpContentCoding";

class THttpCCodIdentity : public THttpContentCoding {
 public:
  using THttpContentCoding::THttpContentCoding;
};

class THttpCCodStar : public THttpContentCoding {
 public:
  using THttpContentCoding::THttpContentCoding;
};

template <class Coding>
CodingClass MakeClass(std::string className, std::string coding) {
  CodingClass cls;
  cls.className = std::move(className);
  cls.coding = std::move(coding);
  cls.create = [](CodingWrite output) -> std::unique_ptr<THttpContentCoding> {
    return std::make_unique<Coding>(std::move(output));
  };
  return cls;
}

}  // namespace

std::string CodingName(const CodingClass& cls) {
  if (!cls.coding.empty()) return cls.coding;
  if (cls.className.size() <= kClassPrefix.size() || cls.className.compare(0, kClassPrefix.size(), kClassPrefix) != 0) {
    throw EHttpContentCodingException("GetCoding must be overriden in " + cls.className);
  }
  return cls.className.substr(kClassPrefix.size());
}

std::vector<RegisteredCoding>& ContentCodings() {
  static std::vector<RegisteredCoding> registry{
      {MakeClass<THttpCCodIdentity>("THttpCCodIdentity", "identity"), 0.0f},
      {MakeClass<THttpCCodStar>("THttpCCodStar", "*"), 0.0f},
  };
  return registry;
}

void RegisterCoding(CodingClass cls, float quality) {
  CodingName(cls);
  ContentCodings().push_back({std::move(cls), quality});
}

const CodingClass* FindCoding(std::string_view name) {
  auto& registry = ContentCodings();
  for (auto it = registry.rbegin(); it != registry.rend(); ++it) {
    if (SameTextAscii(CodingName(it->cls), name)) return &it->cls;
  }
  return nullptr;
}

std::string FormatQuality(float quality) {
  const long long thousandths = std::llround(static_cast<double>(quality) * 1000.0);
  const unsigned long long magnitude = thousandths < 0 ? 0ULL - static_cast<unsigned long long>(thousandths)
                                                       : static_cast<unsigned long long>(thousandths);
  char buffer[32];
  char* end = std::to_chars(buffer, buffer + sizeof buffer, magnitude / 1000).ptr;
  std::string text = (thousandths < 0 ? "-" : "") + std::string(buffer, end);
  unsigned long long fraction = magnitude % 1000;
  if (fraction != 0) {
    std::string digits = {static_cast<char>('0' + fraction / 100), static_cast<char>('0' + fraction / 10 % 10),
                          static_cast<char>('0' + fraction % 10)};
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return text;
}

THttpCodingHandler::THttpCodingHandler(CodingWrite outputStream, CodingWrite outputWriteBuffer)
    : outputStream_(std::move(outputStream)), outputWriteBuffer_(std::move(outputWriteBuffer)) {
  for (const RegisteredCoding& entry : ContentCodings()) params_.push_back({entry.cls, true, entry.quality});
}

void THttpCodingHandler::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  recalcHeader_ = true;
}

void THttpCodingHandler::SetUseQuality(bool value) {
  if (value == useQuality_) return;
  useQuality_ = value;
  recalcHeader_ = true;
}

void THttpCodingHandler::SetItemEnabled(size_t index, bool value) {
  if (index >= params_.size()) return;
  params_[index].enabled = value;
  recalcHeader_ = true;
}

const std::string& THttpCodingHandler::HeaderText() {
  static const std::string kEmpty;
  if (!enabled_) return kEmpty;
  if (!recalcHeader_) return headerText_;
  std::vector<const THttpCodingItem*> active;
  for (const THttpCodingItem& item : params_) {
    if (item.enabled && (!item.cls.available || item.cls.available())) active.push_back(&item);
  }
  const bool withQuality = useQuality_ && active.size() >= 2;
  std::string text;
  for (const THttpCodingItem* item : active) {
    if (!withQuality && !(item->quality > 0)) continue;
    if (!text.empty()) text += ", ";
    text += CodingName(item->cls);
    if (withQuality) text += ";q=" + FormatQuality(item->quality);
  }
  headerText_ = std::move(text);
  recalcHeader_ = false;
  return headerText_;
}

bool THttpCodingHandler::Prepare(std::string_view contentEncoding) {
  chain_.clear();
  if (!enabled_) return true;
  std::vector<const CodingClass*> classes;
  size_t at = 0;
  while (at < contentEncoding.size()) {
    const size_t end = contentEncoding.find_first_of(", ", at);
    const std::string_view item = contentEncoding.substr(at, end == std::string_view::npos ? end : end - at);
    at = end == std::string_view::npos ? contentEncoding.size() : end + 1;
    if (item.empty()) continue;
    const CodingClass* cls = FindCoding(item);
    if (!cls || classes.size() == kMaxChain) return false;
    classes.push_back(cls);
  }
  for (const CodingClass* cls : classes) {
    CodingWrite next = chain_.empty() ? CodingWrite([this](const char* data, size_t len) { Output(data, len); })
                                      : CodingWrite([coding = chain_.back().get()](const char* data, size_t len) {
                                          coding->WriteBuffer(data, len);
                                        });
    chain_.push_back(cls->create(std::move(next)));
  }
  return true;
}

void THttpCodingHandler::Write(const char* data, size_t len) {
  if (chain_.empty()) {
    Output(data, len);
  } else {
    chain_.back()->WriteBuffer(data, len);
  }
}

void THttpCodingHandler::Complete() {
  for (auto it = chain_.rbegin(); it != chain_.rend(); ++it) (*it)->Complete();
}

void THttpCodingHandler::Output(const char* data, size_t len) {
  if (outputStream_) outputStream_(data, len);
  if (outputWriteBuffer_) outputWriteBuffer_(data, len);
}

}  // namespace sv::net
