#include "net/core/ScrobblerProto.h"

#include <vector>

#include "base/Ascii.h"
#include "base/IniFile.h"
#include "net/core/NetMD5.h"
#include "net/core/NetUrl.h"

namespace sv::net {

namespace {

bool HasControlBytes(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// Lines end at LF, a CR just before it belongs to the break. A text ending
// with a break has no empty last line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Text after a keyword and one blank, as in "FAILED <reason>".
bool StartsWithWord(std::string_view line, std::string_view word, std::string_view* rest) {
  if (line.substr(0, word.size()) != word) return false;
  std::string_view after = line.substr(word.size());
  if (!after.empty() && after.front() != ' ') return false;
  *rest = sv::Trim(after);
  return true;
}

// The service may ask for a pause between requests; a day is the most we
// take from it.
std::optional<uint32_t> FindInterval(const std::vector<std::string_view>& lines) {
  constexpr uint32_t kMaxInterval = 24 * 60 * 60;
  for (std::string_view line : lines) {
    std::string_view rest;
    if (!StartsWithWord(line, "INTERVAL", &rest) || rest.empty() || rest.size() > 9) continue;
    uint32_t value = 0;
    bool digits = true;
    for (char c : rest) {
      if (c < '0' || c > '9') {
        digits = false;
        break;
      }
      value = value * 10 + uint32_t(c - '0');
    }
    if (digits && value <= kMaxInterval) return value;
  }
  return std::nullopt;
}

}  // namespace

bool IsUsableHandshakeAddress(std::string_view address) {
  constexpr std::string_view kScheme = "http://";
  if (address.size() <= kScheme.size() || sv::LowerAscii(address.substr(0, kScheme.size())) != kScheme) return false;
  for (unsigned char c : address)
    if (c <= 0x20 || c == 0x7F) return false;
  return true;
}

std::string HandshakeAddressFromSettings(const sv::IniFile& settings) {
  std::string address = settings.ReadString(kHandshakeSection, kHandshakeKey, "");
  return IsUsableHandshakeAddress(address) ? address : std::string(kDefaultHandshakeAddress);
}

std::optional<uint32_t> SubmissionDelayMs(int32_t lengthSeconds) {
  if (lengthSeconds <= kMinSubmittedSeconds) return std::nullopt;
  if (lengthSeconds >= 480) return 240000u;
  return uint32_t(lengthSeconds) * 500u;
}

std::string HandshakeUrl(std::string_view address, std::string_view clientId, std::string_view clientVersion,
                         std::string_view user) {
  while (!address.empty() && address.back() == '/') address.remove_suffix(1);
  std::string url(address);
  url += "/?hs=true&p=1.1&c=";
  url += clientId;
  url += "&v=";
  url += clientVersion;
  url += "&u=";
  url += EncodeUrl(user);
  return url;
}

std::string ChallengeResponse(std::string_view passwordBytes, std::string_view challenge) {
  // The digest helper gives upper case; the service compares lower case at
  // both levels.
  std::string inner = sv::LowerAscii(MD5HexOfString(passwordBytes));
  inner += challenge;
  return sv::LowerAscii(MD5HexOfString(inner));
}

std::string SubmissionBody(std::string_view user, std::string_view response, const SubmissionTrack& track) {
  std::string body = "u=" + EncodeUrl(user);
  body += "&s=";
  body += response;
  body += "&a[0]=" + EncodeUrl(track.artist);
  body += "&t[0]=" + EncodeUrl(track.title);
  body += "&b[0]=" + EncodeUrl(track.album);
  body += "&m[0]=" + track.m;
  body += "&l[0]=" + track.length;
  body += "&i[0]=" + track.startTime;
  return body;
}

std::string ReplyText(std::string_view body) {
  body = body.substr(0, body.find('\0'));
  return std::string(body.substr(0, kMaxReplyBytes));
}

HandshakeReply ParseHandshakeReply(std::string_view text) {
  HandshakeReply reply;
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.empty()) return reply;
  std::string_view rest;
  if (lines[0] == "UPTODATE") {
    reply.kind = HandshakeReply::Kind::UpToDate;
  } else if (StartsWithWord(lines[0], "UPDATE", &rest)) {
    reply.kind = HandshakeReply::Kind::Update;
    reply.detail = rest;
  } else if (lines[0] == "BADUSER") {
    reply.kind = HandshakeReply::Kind::BadUser;
  } else if (StartsWithWord(lines[0], "FAILED", &rest)) {
    reply.kind = HandshakeReply::Kind::Failed;
    reply.detail = rest;
  }
  reply.intervalSeconds = FindInterval(lines);
  if (reply.kind != HandshakeReply::Kind::UpToDate || lines.size() < 3) return reply;
  if (lines[1].empty() || lines[2].empty() || HasControlBytes(lines[1]) || HasControlBytes(lines[2])) return reply;
  reply.challenge = lines[1];
  reply.submitUrl = lines[2];
  reply.ok = true;
  return reply;
}

SubmissionReply ParseSubmissionReply(std::string_view text) {
  SubmissionReply reply;
  const std::vector<std::string_view> lines = SplitLines(text);
  reply.ok = text.substr(0, 2) == "OK";
  std::string_view rest;
  if (reply.ok)
    reply.kind = SubmissionReply::Kind::Ok;
  else if (!lines.empty() && lines[0] == "BADAUTH")
    reply.kind = SubmissionReply::Kind::BadAuth;
  else if (!lines.empty() && StartsWithWord(lines[0], "FAILED", &rest)) {
    reply.kind = SubmissionReply::Kind::Failed;
    reply.detail = rest;
  }
  reply.intervalSeconds = FindInterval(lines);
  return reply;
}

}  // namespace sv::net
