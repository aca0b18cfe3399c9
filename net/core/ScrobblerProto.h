#pragma once
// The track-submission protocol 1.1 as pure functions: the handshake
// address, the submission delay, the challenge response, the form body and
// the two reply parsers. Replies come from the network and are untrusted:
// every parser is bounded and reports a missing line as a failure.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sv {
class IniFile;
}

namespace sv::net {

inline constexpr char kScrobblerClientId[] = "xvq";
inline constexpr char kScrobblerClientVersion[] = "0.1";

// The compiled-in handshake address; a settings value overrides it so that
// tests, and users of a compatible service, can point the client elsewhere.
inline constexpr char kDefaultHandshakeAddress[] = "http://post.sorivanel.invalid";
inline constexpr char kHandshakeSection[] = "LASTFMSCROBBLER";
inline constexpr char kHandshakeKey[] = "HandshakeURL";

// The settings value when it is a usable "http://" address (no control
// bytes or blanks), else the default.
std::string HandshakeAddressFromSettings(const sv::IniFile& settings);
bool IsUsableHandshakeAddress(std::string_view address);

// Tracks of this length or shorter are never submitted.
inline constexpr int32_t kMinSubmittedSeconds = 30;
// Milliseconds to wait after a track starts: half its length, at most
// 240 s (from 480 s on); nullopt when the track is not submitted.
std::optional<uint32_t> SubmissionDelayMs(int32_t lengthSeconds);

// address + "/?hs=true&p=1.1&c=<clientId>&v=<clientVersion>&u=<user>": the
// user is URL-encoded UTF-8, the client id and version go out as they are.
std::string HandshakeUrl(std::string_view address, std::string_view clientId, std::string_view clientVersion,
                         std::string_view user);

// Lower-case hex MD5 of (lower-case hex MD5 of the password bytes +
// challenge). The bytes are hashed as given: the caller converts the
// password to the encoding the service expects.
std::string ChallengeResponse(std::string_view passwordBytes, std::string_view challenge);

struct SubmissionTrack {
  std::string artist;  // UTF-8
  std::string title;
  std::string album;
  std::string m;       // sent as it is
  std::string length;  // whole seconds, decimal; sent as it is
  std::string startTime;  // UTC "yyyy-mm-dd hh:nn:ss"; sent unencoded
};

// "u=..&s=..&a[0]=..&t[0]=..&b[0]=..&m[0]=..&l[0]=..&i[0]=..", one line.
std::string SubmissionBody(std::string_view user, std::string_view response, const SubmissionTrack& track);

// Replies are read up to their first zero byte and at most this many bytes.
inline constexpr size_t kMaxReplyBytes = 64 * 1024;
std::string ReplyText(std::string_view body);

struct HandshakeReply {
  enum class Kind { UpToDate, Update, BadUser, Failed, Unknown };
  Kind kind = Kind::Unknown;
  bool ok = false;          // UPTODATE with a usable challenge and URL
  std::string challenge;    // line 2
  std::string submitUrl;    // line 3
  std::string detail;       // FAILED's reason, UPDATE's address
  std::optional<uint32_t> intervalSeconds;  // an "INTERVAL n" line, when sane
};
// Only a first line of exactly "UPTODATE" followed by a non-empty challenge
// and a non-empty submission URL, free of control bytes, succeeds. Lines
// end at LF or CR LF.
HandshakeReply ParseHandshakeReply(std::string_view text);

struct SubmissionReply {
  enum class Kind { Ok, BadAuth, Failed, Unknown };
  Kind kind = Kind::Unknown;
  bool ok = false;     // the text begins with "OK"
  std::string detail;  // FAILED's reason
  std::optional<uint32_t> intervalSeconds;
};
SubmissionReply ParseSubmissionReply(std::string_view text);

}  // namespace sv::net
