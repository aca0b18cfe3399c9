#include "player/CommandSwitches.h"

#include "base/Ascii.h"

namespace player {

namespace {

constexpr std::string_view kSkinPrefix = "/skin:";

bool StartsWithSkinPrefix(std::string_view text) {
  return text.size() >= kSkinPrefix.size() && sv::SameTextAscii(text.substr(0, kSkinPrefix.size()), kSkinPrefix);
}

std::string RemoveSkinPrefixes(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (StartsWithSkinPrefix(text.substr(i))) {
      i += kSkinPrefix.size();
      continue;
    }
    out += text[i++];
  }
  return out;
}

}  // namespace

Switch ParseSwitch(std::string_view argument) {
  Switch result;
  if (argument.empty() || argument[0] != '/') return result;
  if (argument == "/play") {
    result.Kind = SwitchKind::Play;
  } else if (argument == "/next") {
    result.Kind = SwitchKind::Next;
  } else if (argument == "/prev") {
    result.Kind = SwitchKind::Prev;
  } else if (argument == "/quit") {
    result.Kind = SwitchKind::Quit;
  } else if (argument == "/open") {
    result.Kind = SwitchKind::Open;
  } else if (StartsWithSkinPrefix(argument)) {
    result.Kind = SwitchKind::Skin;
    result.SkinName = RemoveSkinPrefixes(argument);
  } else {
    result.Kind = SwitchKind::Toggle;
  }
  return result;
}

bool IsPlainSkinName(std::string_view name) {
  if (name == "." || name == "..") return false;
  for (char c : name)
    if (c == '\\' || c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  return name.find("..") == std::string_view::npos;
}

}  // namespace player
