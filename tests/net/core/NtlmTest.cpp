// NTLM messages against the published NTLMv1 examples, the authenticate
// message's layout, hostile challenge messages, and Basic credentials.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "net/core/NetAuthSchemes.h"
#include "net/core/NetBase64.h"
#include "net/core/NetNtlmMsgs.h"

namespace {

using sv::net::NtlmChallenge;

std::string Hex(const uint8_t* bytes, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < size; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 15];
  }
  return hex;
}

template <size_t N>
std::string Hex(const std::array<uint8_t, N>& bytes) { return Hex(bytes.data(), N); }
std::string Hex(std::string_view bytes) { return Hex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()); }

uint32_t Read16(const std::string& m, size_t at) { return uint8_t(m[at]) | uint8_t(m[at + 1]) << 8; }
uint32_t Read32(const std::string& m, size_t at) { return Read16(m, at) | Read16(m, at + 2) << 16; }

constexpr NtlmChallenge kChallenge = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};

// A challenge message from the protocol's documentation: target "DOMAIN",
// server "SERVER", challenge 0123456789abcdef, Unicode names.
const std::string kDocumentedMessage2 =
    "TlRMTVNTUAACAAAADAAMADAAAAABAoEAASNFZ4mrze8AAAAAAAAAAGIAYgA8AAAARABPAE0AQQBJAE4AAgAMAEQATwBNAEEASQBOAAEADABTAEUA"
    "UgBWAEUAUgAEABQAZABvAG0AYQBpAG4ALgBjAG8AbQADACIAcwBlAHIAdgBlAHIALgBkAG8AbQBhAGkAbgAuAGMAbwBtAAAAAAA=";

TEST(NtlmHashes, SecREt01) {
  EXPECT_EQ(Hex(sv::net::NtlmLmHash("SecREt01")), "ff3750bcc2b22412c2265b23734e0dac");
  EXPECT_EQ(Hex(sv::net::NtlmNtHash("SecREt01")), "cd06ca7c7e10c99b1d33b7485a2ed808");
  EXPECT_EQ(Hex(sv::net::NtlmChallengeResponse(sv::net::NtlmLmHash("SecREt01"), kChallenge)),
            "c337cd5cbd44fc9782a667af6d427c6de67c20c2d3e77c56");
  EXPECT_EQ(Hex(sv::net::NtlmChallengeResponse(sv::net::NtlmNtHash("SecREt01"), kChallenge)),
            "25a98c1c31e81847466b29b2df4680f39958fb8c213a9cc6");
}

TEST(NtlmHashes, Password) {
  EXPECT_EQ(Hex(sv::net::NtlmLmHash("Password")), "e52cac67419a9a224a3b108f3fa6cb6d");
  EXPECT_EQ(Hex(sv::net::NtlmNtHash("Password")), "a4f49c406510bdcab6824ee7c30fd852");
  EXPECT_EQ(Hex(sv::net::NtlmChallengeResponse(sv::net::NtlmLmHash("Password"), kChallenge)),
            "98def7b87f88aa5dafe2df779688a172def11c7d5ccdef13");
  EXPECT_EQ(Hex(sv::net::NtlmChallengeResponse(sv::net::NtlmNtHash("Password"), kChallenge)),
            "67c43011f30298a2ad35ece64f16331c44bdbed927841f94");
}

TEST(NtlmHashes, LmHashIgnoresCaseAndEverythingPastFourteen) {
  EXPECT_EQ(sv::net::NtlmLmHash("secret01"), sv::net::NtlmLmHash("SECRET01"));
  EXPECT_EQ(sv::net::NtlmLmHash("ABCDEFGHIJKLMN"), sv::net::NtlmLmHash("abcdefghijklmnOPQ"));
  EXPECT_NE(sv::net::NtlmNtHash("secret01"), sv::net::NtlmNtHash("SECRET01"));
}

TEST(NtlmMessages, NegotiationMessage) {
  EXPECT_EQ(sv::net::NtlmMessage1Bytes().size(), 32u);
  EXPECT_EQ(sv::net::NtlmGetMessage1(), "TlRMTVNTUAABAAAAB4IAAAAAAAAAAAAAAAAAAAAAAAA=");
}

TEST(NtlmMessages, DocumentedChallengeMessage) {
  const auto info = sv::net::NtlmGetMessage2(kDocumentedMessage2);
  ASSERT_TRUE(info.Valid);
  EXPECT_EQ(info.Challenge, kChallenge);
  EXPECT_EQ(info.TargetName, "DOMAIN");
  EXPECT_EQ(info.DomainName, "DOMAIN");
  EXPECT_EQ(info.ServerName, "SERVER");
}

TEST(NtlmMessages, AuthenticateLayoutForOneLetterUser) {
  const auto message = sv::net::NtlmBuildMessage3("", "HOST", "u", kChallenge, "SecREt01");
  ASSERT_TRUE(message);
  const std::string& m = *message;
  ASSERT_EQ(m.size(), 64u + 2 + 8 + 24 + 24);
  EXPECT_EQ(m.substr(0, 8), std::string("NTLMSSP\0", 8));
  EXPECT_EQ(Read32(m, 8), 3u);
  // domain: empty at 64; user: length 2 at 64; host right after it.
  EXPECT_EQ(Read16(m, 28), 0u);
  EXPECT_EQ(Read32(m, 32), 64u);
  EXPECT_EQ(Read16(m, 36), 2u);
  EXPECT_EQ(Read16(m, 38), 2u);
  EXPECT_EQ(Read32(m, 40), 64u);
  EXPECT_EQ(Read16(m, 44), 8u);
  EXPECT_EQ(Read32(m, 48), 66u);
  EXPECT_EQ(Read16(m, 12), 24u);
  EXPECT_EQ(Read32(m, 16), 64u + 2 + 8);
  EXPECT_EQ(Read16(m, 20), 24u);
  EXPECT_EQ(Read32(m, 24), 64u + 2 + 8 + 24);
  EXPECT_EQ(m.substr(52, 8), std::string(8, '\0'));
  EXPECT_EQ(Read32(m, 60), 0x8205u);
  EXPECT_EQ(m.substr(64, 2), std::string("u\0", 2));
  EXPECT_EQ(m.substr(66, 8), std::string("H\0O\0S\0T\0", 8));
  EXPECT_EQ(Hex(m.substr(74, 24)), "c337cd5cbd44fc9782a667af6d427c6de67c20c2d3e77c56");
  EXPECT_EQ(Hex(m.substr(98, 24)), "25a98c1c31e81847466b29b2df4680f39958fb8c213a9cc6");
}

TEST(NtlmMessages, AuthenticateMessageIsBase64OfTheBytes) {
  const auto text = sv::net::NtlmGetMessage3("DOM", "WS", "user", kChallenge, "SecREt01");
  ASSERT_TRUE(text);
  EXPECT_EQ(sv::net::Base64Decode(*text), *sv::net::NtlmBuildMessage3("DOM", "WS", "user", kChallenge, "SecREt01"));
}

TEST(NtlmMessages, NamesThatWouldWrapTheLengthFieldsAreRefused) {
  const std::string longest(32767, 'a');
  const std::string tooLong(32768, 'a');
  EXPECT_TRUE(sv::net::NtlmBuildMessage3("", "", longest, kChallenge, "pw"));
  EXPECT_FALSE(sv::net::NtlmBuildMessage3("", "", tooLong, kChallenge, "pw"));
  EXPECT_FALSE(sv::net::NtlmBuildMessage3(tooLong, "", "u", kChallenge, "pw"));
  EXPECT_FALSE(sv::net::NtlmGetMessage3("", tooLong, "u", kChallenge, "pw"));
  // The limit counts UTF-16 units: 32768 two-byte UTF-8 characters wrap too.
  std::string accents;
  for (int i = 0; i < 32768; ++i) accents += "\xC3\xA9";
  EXPECT_FALSE(sv::net::NtlmBuildMessage3("", "", accents, kChallenge, "pw"));
}

TEST(NtlmMessages, NonAsciiNamesGoOutAsUtf16) {
  const auto m = sv::net::NtlmBuildMessage3("", "", "J\xC3\xBCrgen", kChallenge, "pw");
  ASSERT_TRUE(m);
  EXPECT_EQ(Read16(*m, 36), 12u);
  EXPECT_EQ(m->substr(64, 4), std::string("J\0\xFC\0", 4));
}

// Hostile or broken challenge messages: never a Valid record without a real
// challenge, never a read outside the message.
std::string Message2(size_t size) {
  std::string m(size, '\0');
  std::memcpy(m.data(), "NTLMSSP\0", 8);
  m[8] = 2;
  return m;
}

TEST(NtlmHostileMessage2, InvalidMessagesAreRefused) {
  EXPECT_FALSE(sv::net::NtlmGetMessage2("").Valid);
  EXPECT_FALSE(sv::net::NtlmGetMessage2("!!!!").Valid);
  EXPECT_FALSE(sv::net::NtlmParseMessage2(Message2(31)).Valid);
  std::string wrongType = Message2(48);
  wrongType[8] = 3;
  EXPECT_FALSE(sv::net::NtlmParseMessage2(wrongType).Valid);
  std::string wrongSignature = Message2(48);
  wrongSignature[0] = 'n';
  EXPECT_FALSE(sv::net::NtlmParseMessage2(wrongSignature).Valid);
  // The negotiation message is not a challenge.
  EXPECT_FALSE(sv::net::NtlmGetMessage2(sv::net::NtlmGetMessage1()).Valid);
  // A documented message cut short of its challenge.
  EXPECT_FALSE(sv::net::NtlmParseMessage2(sv::net::Base64Decode(kDocumentedMessage2).substr(0, 30)).Valid);
}

TEST(NtlmHostileMessage2, ShortestValidMessageHasNoNames) {
  std::string m = Message2(32);
  std::memcpy(m.data() + 24, "\x01\x23\x45\x67\x89\xab\xcd\xef", 8);
  const auto info = sv::net::NtlmParseMessage2(m);
  ASSERT_TRUE(info.Valid);
  EXPECT_EQ(info.Challenge, kChallenge);
  EXPECT_TRUE(info.TargetName.empty());
  EXPECT_TRUE(info.ServerName.empty());
}

TEST(NtlmHostileMessage2, OffsetsOutsideTheMessageAreIgnored) {
  std::string m = Message2(48);
  // Target name of 0xFFFF bytes at offset 0xFFFFFFFF: the sum wraps in 32 bits.
  m.replace(12, 2, "\xFF\xFF", 2);
  m.replace(16, 4, "\xFF\xFF\xFF\xFF", 4);
  // Target information past the end.
  m.replace(44, 4, "\x00\x10\x00\x00", 4);
  const auto info = sv::net::NtlmParseMessage2(m);
  EXPECT_TRUE(info.Valid);
  EXPECT_TRUE(info.TargetName.empty());

  // An entry that claims more bytes than are left, after one that fits.
  std::string entries = Message2(48);
  entries.replace(44, 4, "\x30\x00\x00\x00", 4);
  entries += std::string("\x01\x00\x04\x00S\0V\0", 8);
  entries += std::string("\x02\x00\xFF\x7F" "D\0", 6);
  const auto bounded = sv::net::NtlmParseMessage2(entries);
  EXPECT_TRUE(bounded.Valid);
  EXPECT_EQ(bounded.ServerName, "SV");
  EXPECT_TRUE(bounded.DomainName.empty());
}

TEST(NtlmHostileMessage2, OnlyTheFirstThousandCharactersAreDecoded) {
  const std::string text = kDocumentedMessage2 + std::string(5000, 'A');
  EXPECT_TRUE(sv::net::NtlmGetMessage2(text).Valid);
  // Past 1000 characters nothing is read, even when the header points there.
  std::string m = Message2(48);
  m.replace(44, 4, "\xF8\x02\x00\x00", 4);  // offset 760, past the 750 decoded bytes
  m += std::string(760 - 48, '\0');
  m += std::string("\x01\x00\x04\x00S\0V\0", 8);
  EXPECT_TRUE(sv::net::NtlmParseMessage2(m).ServerName == "SV");
  EXPECT_TRUE(sv::net::NtlmGetMessage2(sv::net::Base64Encode(m)).ServerName.empty());
}

TEST(AuthSchemes, ChallengesAreSearchedFromTheLast) {
  const std::vector<std::string> challenges = {"Basic realm=\"a\"", "NTLM", "ntlm TlRMTVNTUAACAAAA", "Negotiate"};
  EXPECT_EQ(sv::net::FindChallenge(challenges, "NTLM"), "ntlm TlRMTVNTUAACAAAA");
  EXPECT_EQ(sv::net::FindChallenge(challenges, "basic"), "Basic realm=\"a\"");
  EXPECT_FALSE(sv::net::FindChallenge(challenges, "Digest"));
  EXPECT_FALSE(sv::net::FindChallenge({"NTL"}, "NTLM"));
  EXPECT_FALSE(sv::net::FindChallenge({}, "Basic"));
}

TEST(AuthSchemes, NtlmChallengeText) {
  EXPECT_EQ(sv::net::NtlmChallengeText("NTLM"), "");
  EXPECT_EQ(sv::net::NtlmChallengeText("NTLM TlRM"), "TlRM");
  EXPECT_EQ(sv::net::NtlmChallengeText("NTLM " + std::string(1500, 'A')).size(), 1000u);
}

TEST(AuthSchemes, BasicCredentials) {
  EXPECT_EQ(sv::net::BasicCredentials("Aladdin", "open sesame"), "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
  EXPECT_EQ(sv::net::BasicCredentials("", ""), "Basic Og==");
}

}  // namespace
