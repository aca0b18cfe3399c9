#include "net/core/NetAuthSchemes.h"

#include <algorithm>
#include <cctype>

#include "net/core/NetBase64.h"

namespace sv::net {

std::optional<std::string> FindChallenge(const std::vector<std::string>& challenges, std::string_view scheme) {
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  for (auto it = challenges.rbegin(); it != challenges.rend(); ++it) {
    if (it->size() >= scheme.size() && std::equal(scheme.begin(), scheme.end(), it->begin(), same)) return *it;
  }
  return std::nullopt;
}

std::string NtlmChallengeText(std::string_view challenge) {
  constexpr size_t kSkip = 5;  // "NTLM "
  constexpr size_t kMaxChars = 1000;
  if (challenge.size() <= kSkip) return {};
  return std::string(challenge.substr(kSkip, kMaxChars));
}

std::string BasicCredentials(std::string_view user, std::string_view password) {
  std::string pair(user);
  pair += ':';
  pair += password;
  return "Basic " + EncodeStr(pair);
}

}  // namespace sv::net
