#pragma once
// The three NTLM messages (NTLMv1 with LM and NT responses) that the HTTP
// client exchanges when a server or proxy asks for NTLM: the negotiation
// message it sends first, the challenge message it receives, and the
// authenticate message that answers the challenge. The HTTP headers carry
// them as Base64 text.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sv::net {

using NtlmChallenge = std::array<uint8_t, 8>;
using NtlmHash = std::array<uint8_t, 16>;
using NtlmResponse = std::array<uint8_t, 24>;

// The parsed challenge message. Only Challenge is needed to answer; the names
// are kept for tracing. A record that is not Valid must not be answered.
struct TNTLM_Msg2_Info {
  bool Valid = false;
  std::string TargetName;
  std::string ServerName;
  std::string DomainName;
  NtlmChallenge Challenge{};
};

// The 32-byte negotiation message and its Base64 text.
std::string NtlmMessage1Bytes();
std::string NtlmGetMessage1();

// The challenge message from its bytes, or from the Base64 text that follows
// "NTLM " in the challenge header (at most 1000 characters are decoded). An
// empty, short or foreign message gives a record that is not Valid; names
// whose offsets point outside the message are left empty.
TNTLM_Msg2_Info NtlmParseMessage2(std::string_view bytes);
TNTLM_Msg2_Info NtlmGetMessage2(std::string_view base64);

// The authenticate message, as bytes or Base64 text. Texts are UTF-8 and go
// out as UTF-16LE; nullopt when a domain, user or host name does not fit the
// message's 16-bit length fields, so that the challenge goes unanswered
// rather than answered with a cut name.
std::optional<std::string> NtlmBuildMessage3(std::string_view domain, std::string_view host, std::string_view user,
                                             const NtlmChallenge& challenge, std::string_view password);
std::optional<std::string> NtlmGetMessage3(std::string_view domain, std::string_view host, std::string_view user,
                                           const NtlmChallenge& challenge, std::string_view password);

// The password hashes and the response both are turned into.
NtlmHash NtlmLmHash(std::string_view password);
NtlmHash NtlmNtHash(std::string_view password);
NtlmResponse NtlmChallengeResponse(const NtlmHash& hash, const NtlmChallenge& challenge);

}  // namespace sv::net
