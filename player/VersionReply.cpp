#include "player/VersionReply.h"

#include "player/CddbProtocol.h"

namespace player {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view WithoutLeadingZeros(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  return digits;
}

std::string_view WithoutTrailingZeros(std::string_view digits) {
  while (!digits.empty() && digits.back() == '0') digits.remove_suffix(1);
  return digits;
}

}  // namespace

std::string MakerSiteFromSettings(const sv::IniFile& settings) {
  std::string site = settings.ReadString("DATA", "SiteURL", "");
  return IsUsableHttpAddress(site) ? site : std::string(kDefaultMakerSite);
}

std::string VersionFileUrl(std::string_view site) {
  while (!site.empty() && site.back() == '/') site.remove_suffix(1);
  return std::string(site) + "/version.php";
}

std::optional<std::string> ParseVersionReply(std::string_view body) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (body.substr(0, kBom.size()) == kBom) body.remove_prefix(kBom.size());
  while (!body.empty() && IsSpace(body.front())) body.remove_prefix(1);
  while (!body.empty() && IsSpace(body.back())) body.remove_suffix(1);
  if (body.empty() || body.size() > 32 || !IsDigit(body.front()) || !IsDigit(body.back())) return std::nullopt;
  bool point = false;
  for (char c : body) {
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (!IsDigit(c)) return std::nullopt;
  }
  return std::string(body);
}

bool IsNewerVersion(std::string_view a, std::string_view b) {
  const auto split = [](std::string_view v) {
    const std::size_t point = v.find('.');
    return std::pair{WithoutLeadingZeros(v.substr(0, point)),
                     point == std::string_view::npos ? std::string_view{} : WithoutTrailingZeros(v.substr(point + 1))};
  };
  const auto [aWhole, aFraction] = split(a);
  const auto [bWhole, bFraction] = split(b);
  if (aWhole.size() != bWhole.size()) return aWhole.size() > bWhole.size();
  if (aWhole != bWhole) return aWhole > bWhole;
  return aFraction > bFraction;
}

}  // namespace player
