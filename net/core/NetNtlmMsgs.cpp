#include "net/core/NetNtlmMsgs.h"

#include <algorithm>
#include <initializer_list>

#include "base/Utf.h"
#include "net/core/NetBase64.h"
#include "net/core/NetDES.h"
#include "net/core/NetMD4.h"

namespace sv::net {
namespace {

constexpr char kSignature[8] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', '\0'};
constexpr uint32_t kNegotiateFlags = 0x8207;
constexpr uint32_t kAuthenticateFlags = 0x8205;
constexpr uint32_t kFlagUnicode = 0x1;
constexpr size_t kMessage3Header = 64;
constexpr size_t kMaxBase64Chars = 1000;

uint16_t Read16(std::string_view bytes, size_t at) {
  return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
}

uint32_t Read32(std::string_view bytes, size_t at) {
  return uint32_t(Read16(bytes, at)) | uint32_t(Read16(bytes, at + 2)) << 16;
}

void Put16(std::string& out, size_t at, uint32_t value) {
  out[at] = char(value & 0xFF);
  out[at + 1] = char(value >> 8 & 0xFF);
}

void Put32(std::string& out, size_t at, uint32_t value) {
  Put16(out, at, value & 0xFFFF);
  Put16(out, at + 2, value >> 16);
}

// A security buffer: length, maximum length (the same) and offset.
void PutBuffer(std::string& out, size_t at, size_t length, size_t offset) {
  Put16(out, at, uint32_t(length));
  Put16(out, at + 2, uint32_t(length));
  Put32(out, at + 4, uint32_t(offset));
}

std::string WidenUtf16LE(std::string_view utf8) {
  std::string wide;
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    wide += char(unit & 0xFF);
    wide += char(unit >> 8);
  }
  return wide;
}

// Password-derived bytes do not outlive their use.
template <typename Bytes>
void Wipe(Bytes& bytes) {
  volatile char* p = reinterpret_cast<volatile char*>(bytes.data());
  for (size_t i = 0; i < bytes.size(); ++i) p[i] = 0;
}

// 56 key bits, 7 per byte in the high bits; the low bit is DES parity.
std::array<uint8_t, 8> SpreadKey(const uint8_t* k) {
  std::array<uint8_t, 8> key;
  key[0] = k[0];
  for (int i = 1; i < 7; ++i) key[i] = uint8_t(k[i - 1] << (8 - i) | k[i] >> i);
  key[7] = uint8_t(k[6] << 1);
  return key;
}

std::string NameText(std::string_view bytes, bool unicode) {
  return unicode ? Utf16LEBytesToUtf8(bytes) : Cp1252ToUtf8(bytes);
}

}  // namespace

std::string NtlmMessage1Bytes() {
  std::string message(32, '\0');
  std::copy(std::begin(kSignature), std::end(kSignature), message.begin());
  Put32(message, 8, 1);
  Put32(message, 12, kNegotiateFlags);
  return message;
}

std::string NtlmGetMessage1() { return Base64Encode(NtlmMessage1Bytes()); }

TNTLM_Msg2_Info NtlmParseMessage2(std::string_view bytes) {
  TNTLM_Msg2_Info info;
  if (bytes.size() < 32 || bytes.substr(0, 8) != std::string_view(kSignature, 8) || Read32(bytes, 8) != 2) return info;
  const bool unicode = (Read32(bytes, 20) & kFlagUnicode) != 0;
  std::copy_n(bytes.begin() + 24, 8, info.Challenge.begin());
  info.Valid = true;

  const uint64_t nameLength = Read16(bytes, 12);
  const uint64_t nameOffset = Read32(bytes, 16);
  if (nameOffset + nameLength <= bytes.size()) info.TargetName = NameText(bytes.substr(nameOffset, nameLength), unicode);

  if (bytes.size() < 48) return info;
  // Entries of type, length and value up to a 0/0 entry or the end, each
  // bounded by the bytes that are really there.
  for (size_t at = Read32(bytes, 44); at <= bytes.size() && bytes.size() - at >= 4;) {
    const uint16_t type = Read16(bytes, at);
    const uint16_t length = Read16(bytes, at + 2);
    if (type == 0 && length == 0) break;
    at += 4;
    if (length > bytes.size() - at) break;
    const std::string_view value = bytes.substr(at, length);
    if (type == 1) info.ServerName = Utf16LEBytesToUtf8(value);
    if (type == 2) info.DomainName = Utf16LEBytesToUtf8(value);
    at += length;
  }
  return info;
}

TNTLM_Msg2_Info NtlmGetMessage2(std::string_view base64) {
  if (base64.empty()) return {};
  return NtlmParseMessage2(Base64Decode(base64.substr(0, kMaxBase64Chars)));
}

NtlmHash NtlmLmHash(std::string_view password) {
  std::array<uint8_t, 14> key{};
  for (size_t i = 0; i < key.size() && i < password.size(); ++i) {
    const char c = password[i];
    key[i] = uint8_t(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  static constexpr uint8_t kMagic[8] = {'K', 'G', 'S', '!', '@', '#', '$', '%'};
  NtlmHash hash;
  for (int half = 0; half < 2; ++half) {
    auto desKey = SpreadKey(key.data() + 7 * half);
    DesEcbBlock(kMagic, hash.data() + 8 * half, desKey.data(), true);
    Wipe(desKey);
  }
  Wipe(key);
  return hash;
}

NtlmHash NtlmNtHash(std::string_view password) {
  std::string wide = WidenUtf16LE(password);
  std::string digest = MD4OfString(wide);
  NtlmHash hash;
  std::copy_n(digest.begin(), 16, hash.begin());
  Wipe(wide);
  Wipe(digest);
  return hash;
}

NtlmResponse NtlmChallengeResponse(const NtlmHash& hash, const NtlmChallenge& challenge) {
  std::array<uint8_t, 21> keys{};
  std::copy(hash.begin(), hash.end(), keys.begin());
  NtlmResponse response;
  for (int third = 0; third < 3; ++third) {
    auto desKey = SpreadKey(keys.data() + 7 * third);
    DesEcbBlock(challenge.data(), response.data() + 8 * third, desKey.data(), true);
    Wipe(desKey);
  }
  Wipe(keys);
  return response;
}

std::optional<std::string> NtlmBuildMessage3(std::string_view domain, std::string_view host, std::string_view user,
                                             const NtlmChallenge& challenge, std::string_view password) {
  const std::string wideDomain = WidenUtf16LE(domain);
  const std::string wideUser = WidenUtf16LE(user);
  const std::string wideHost = WidenUtf16LE(host);
  for (const std::string* name : {&wideDomain, &wideUser, &wideHost}) {
    if (name->size() > 0xFFFF) return std::nullopt;
  }
  NtlmHash lmHash = NtlmLmHash(password);
  NtlmHash ntHash = NtlmNtHash(password);
  const NtlmResponse lm = NtlmChallengeResponse(lmHash, challenge);
  const NtlmResponse nt = NtlmChallengeResponse(ntHash, challenge);
  Wipe(lmHash);
  Wipe(ntHash);

  const size_t userOffset = kMessage3Header + wideDomain.size();
  const size_t hostOffset = userOffset + wideUser.size();
  const size_t lmOffset = hostOffset + wideHost.size();
  const size_t ntOffset = lmOffset + lm.size();

  std::string message(kMessage3Header, '\0');
  std::copy(std::begin(kSignature), std::end(kSignature), message.begin());
  Put32(message, 8, 3);
  PutBuffer(message, 12, lm.size(), lmOffset);
  PutBuffer(message, 20, nt.size(), ntOffset);
  PutBuffer(message, 28, wideDomain.size(), kMessage3Header);
  PutBuffer(message, 36, wideUser.size(), userOffset);
  PutBuffer(message, 44, wideHost.size(), hostOffset);
  Put32(message, 60, kAuthenticateFlags);
  message += wideDomain;
  message += wideUser;
  message += wideHost;
  message.append(lm.begin(), lm.end());
  message.append(nt.begin(), nt.end());
  return message;
}

std::optional<std::string> NtlmGetMessage3(std::string_view domain, std::string_view host, std::string_view user,
                                           const NtlmChallenge& challenge, std::string_view password) {
  const auto message = NtlmBuildMessage3(domain, host, user, challenge, password);
  if (!message) return std::nullopt;
  return Base64Encode(*message);
}

}  // namespace sv::net
