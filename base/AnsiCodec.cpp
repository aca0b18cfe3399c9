#include "base/AnsiCodec.h"

#include <mutex>

#include "base/Utf.h"

namespace sv {
namespace {

struct Installed {
  std::mutex lock;
  AnsiCodec codec;
  bool set = false;
};

Installed& Current() {
  static Installed installed;
  return installed;
}

}  // namespace

AnsiCodec Cp1252Codec() {
  return AnsiCodec{[](std::string_view bytes) { return Cp1252ToUtf8(bytes); },
                   [](std::string_view utf8, bool* lossless) { return Utf8ToCp1252(utf8, lossless); }};
}

AnsiCodec CurrentAnsiCodec() {
  Installed& c = Current();
  std::lock_guard<std::mutex> hold(c.lock);
  if (!c.set) {
    c.codec = SystemAnsiCodec();
    c.set = true;
  }
  return c.codec;
}

void SetAnsiCodec(AnsiCodec codec) {
  Installed& c = Current();
  std::lock_guard<std::mutex> hold(c.lock);
  if (codec.toUtf8 && codec.fromUtf8) {
    c.codec = std::move(codec);
  } else {
    c.codec = SystemAnsiCodec();
  }
  c.set = true;
}

std::string AnsiToUtf8(std::string_view bytes) { return CurrentAnsiCodec().toUtf8(bytes); }

std::string Utf8ToAnsi(std::string_view utf8, bool* lossless) { return CurrentAnsiCodec().fromUtf8(utf8, lossless); }

}  // namespace sv
