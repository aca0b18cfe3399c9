#pragma once
// The HTTP side of authentication that needs no socket: picking the
// challenge a scheme answers, and the Basic credentials.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sv::net {

// The last challenge (header value) that begins with the scheme name, compared
// over the name's length in any case ("NTLM", "Basic").
std::optional<std::string> FindChallenge(const std::vector<std::string>& challenges, std::string_view scheme);

// The Base64 text of an NTLM challenge message: what follows "NTLM " in the
// challenge, at most 1000 characters.
std::string NtlmChallengeText(std::string_view challenge);

// The value of an "Authorization: " or "Proxy-Authorization: " line for
// Basic: "Basic " and the Base64 text of user:password.
std::string BasicCredentials(std::string_view user, std::string_view password);

}  // namespace sv::net
