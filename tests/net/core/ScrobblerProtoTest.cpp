// Track-submission protocol pieces: the delay table, the exact handshake URL
// and form body, the challenge response against Python's hashlib, both reply
// parsers over well-formed, short and hostile replies, and the clock
// conversions the start time depends on.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "base/IniFile.h"
#include "net/core/ScrobblerClock.h"
#include "net/core/ScrobblerProto.h"

namespace {

using namespace sv::net;
using namespace std::string_literals;

TEST(ScrobblerProto, DelayTable) {
  EXPECT_FALSE(SubmissionDelayMs(-5));
  EXPECT_FALSE(SubmissionDelayMs(0));
  EXPECT_FALSE(SubmissionDelayMs(30));
  EXPECT_EQ(SubmissionDelayMs(31), 15500u);
  EXPECT_EQ(SubmissionDelayMs(200), 100000u);
  EXPECT_EQ(SubmissionDelayMs(479), 239500u);
  EXPECT_EQ(SubmissionDelayMs(480), 240000u);
  EXPECT_EQ(SubmissionDelayMs(600), 240000u);
  EXPECT_EQ(SubmissionDelayMs(INT32_MAX), 240000u);
}

TEST(ScrobblerProto, HandshakeUrlEncodesOnlyTheUser) {
  EXPECT_EQ(HandshakeUrl("http://127.0.0.1:8080", "xvq", "0.1", "J\xC3\xBCrgen"),
            "http://127.0.0.1:8080/?hs=true&p=1.1&c=xvq&v=0.1&u=J%C3%BCrgen");
  // A trailing slash of the configured address does not double.
  EXPECT_EQ(HandshakeUrl("http://h/", "a b", "1&2", "x y&z"), "http://h/?hs=true&p=1.1&c=a b&v=1&2&u=x%20y%26z");
}

// Computed with /usr/bin/python3 hashlib:
// md5((md5(pw).hexdigest() + challenge).encode()).hexdigest()
TEST(ScrobblerProto, ChallengeResponseVectors) {
  EXPECT_EQ(ChallengeResponse("secret", "0123456789abcdef0123456789abcdef"), "848b4c0f455377fdfcc23483a4c45e34");
  EXPECT_EQ(ChallengeResponse("", "abc"), "1606f8325d4f4fd10bf8fc797134d59e");
  EXPECT_EQ(ChallengeResponse("p\xC3\xA4ssw\xC3\xB6rd", "f00dcafe"), "6d488329d162adf70373e4fa810f2626");
  EXPECT_EQ(ChallengeResponse("p\xE4ssw\xF6rd", "f00dcafe"), "16a68ce5b38108338f7c57cfb3bf5802");
  // The challenge is appended as sent, upper case included.
  EXPECT_EQ(ChallengeResponse("P@ss w0rd&=%", "ABCDEF0123"), "96b9dc102b4caa7253d844d6471168ea");
  EXPECT_EQ(ChallengeResponse(std::string(100, 'x'), std::string(64, '1')), "4730f7514d5a7aff62fba8cacec5b078");
}

#ifndef _WIN32
TEST(ScrobblerProto, ChallengeResponseMatchesPythonOnRandomInputs) {
  if (std::system("/usr/bin/python3 -c pass >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 missing";
  std::mt19937 random(114);
  for (int round = 0; round < 8; ++round) {
    std::string password, challenge;
    for (size_t n = random() % 40; n > 0; --n) password += char('!' + random() % 90);
    for (size_t n = 1 + random() % 40; n > 0; --n) challenge += "0123456789abcdef"[random() % 16];
    // Hex keeps every byte of the password out of the shell's way.
    std::string hex;
    for (unsigned char c : password) {
      char two[3];
      std::snprintf(two, sizeof two, "%02x", c);
      hex += two;
    }
    const std::string command = "/usr/bin/python3 -c 'import hashlib; print(hashlib.md5((hashlib.md5(bytes.fromhex(\"" +
                                hex + "\")).hexdigest() + \"" + challenge + "\").encode()).hexdigest())'";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char chunk[128];
      size_t got;
      while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
      ::pclose(pipe);
    }
    EXPECT_EQ(ChallengeResponse(password, challenge) + "\n", output) << password << " / " << challenge;
  }
}
#endif

TEST(ScrobblerProto, SubmissionBodyExact) {
  SubmissionTrack track{"\xC3\x84rzte & Co", "a b", "x&y", "", "200", "2024-01-02 03:04:05"};
  const std::string hash = ChallengeResponse("secret", "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(SubmissionBody("J\xC3\xBCrgen", hash, track),
            "u=J%C3%BCrgen&s=848b4c0f455377fdfcc23483a4c45e34&a[0]=%C3%84rzte%20%26%20Co&t[0]=a%20b&b[0]=x%26y"
            "&m[0]=&l[0]=200&i[0]=2024-01-02 03:04:05");
  // M and the length go out as they are given.
  track.m = "L";
  EXPECT_NE(SubmissionBody("u", "s", track).find("&m[0]=L&l[0]=200&"), std::string::npos);
}

TEST(ScrobblerProto, ReplyTextStopsAtZeroAndBound) {
  EXPECT_EQ(ReplyText("OK\n\0garbage"s), "OK\n");
  EXPECT_EQ(ReplyText(""), "");
  EXPECT_EQ(ReplyText(std::string(kMaxReplyBytes + 10, 'a')).size(), kMaxReplyBytes);
}

TEST(ScrobblerProto, HandshakeUpToDate) {
  for (const char* text : {"UPTODATE\nc0ffee\nhttp://h/submit\n", "UPTODATE\r\nc0ffee\r\nhttp://h/submit",
                           "UPTODATE\nc0ffee\nhttp://h/submit\nINTERVAL 1\nmore\n"}) {
    const HandshakeReply reply = ParseHandshakeReply(text);
    EXPECT_TRUE(reply.ok) << text;
    EXPECT_EQ(reply.kind, HandshakeReply::Kind::UpToDate);
    EXPECT_EQ(reply.challenge, "c0ffee");
    EXPECT_EQ(reply.submitUrl, "http://h/submit");
  }
  EXPECT_EQ(ParseHandshakeReply("UPTODATE\nc\nu\nINTERVAL 60\n").intervalSeconds, 60u);
}

TEST(ScrobblerProto, HandshakeShortOrHostileRepliesFail) {
  const char* const kReplies[] = {
      "",
      "\n",
      "UPTODATE",
      "UPTODATE\n",
      "UPTODATE\nchallenge",
      "UPTODATE\nchallenge\n",
      "UPTODATE\n\nhttp://h/submit\n",     // empty challenge
      "UPTODATE\nchallenge\n\n",           // empty URL
      "UPTODATE\nchal\x01lenge\nhttp://h/\n",  // control byte
      "UPTODATE\nchallenge\nhttp://h/\rX-Injected: 1\n",
      "uptodate\nchallenge\nhttp://h/\n",  // case counts
      "UPTODATE \nchallenge\nhttp://h/\n",
      " UPTODATE\nchallenge\nhttp://h/\n",
      "UPTODATEX\nchallenge\nhttp://h/\n",
  };
  for (const char* text : kReplies) {
    const HandshakeReply reply = ParseHandshakeReply(text);
    EXPECT_FALSE(reply.ok) << text;
    EXPECT_TRUE(reply.challenge.empty() && reply.submitUrl.empty()) << text;
  }
}

TEST(ScrobblerProto, HandshakeRefusalsAreClassified) {
  EXPECT_EQ(ParseHandshakeReply("BADUSER\nINTERVAL 0\n").kind, HandshakeReply::Kind::BadUser);
  EXPECT_EQ(ParseHandshakeReply("BADUSER\nINTERVAL 0\n").intervalSeconds, 0u);
  const HandshakeReply failed = ParseHandshakeReply("FAILED  Plugin bug \r\n");
  EXPECT_EQ(failed.kind, HandshakeReply::Kind::Failed);
  EXPECT_EQ(failed.detail, "Plugin bug");
  EXPECT_FALSE(failed.ok);
  // An update notice has the challenge lines too, but only UPTODATE counts.
  const HandshakeReply update = ParseHandshakeReply("UPDATE http://h/new\nc\nhttp://h/submit\n");
  EXPECT_EQ(update.kind, HandshakeReply::Kind::Update);
  EXPECT_EQ(update.detail, "http://h/new");
  EXPECT_FALSE(update.ok);
  EXPECT_EQ(ParseHandshakeReply("FAILEDX\n").kind, HandshakeReply::Kind::Unknown);
  EXPECT_EQ(ParseHandshakeReply("<html>500</html>").kind, HandshakeReply::Kind::Unknown);
}

TEST(ScrobblerProto, IntervalLinesOutOfRangeAreIgnored) {
  EXPECT_FALSE(ParseHandshakeReply("BADUSER\nINTERVAL\n").intervalSeconds);
  EXPECT_FALSE(ParseHandshakeReply("BADUSER\nINTERVAL -1\n").intervalSeconds);
  EXPECT_FALSE(ParseHandshakeReply("BADUSER\nINTERVAL 99999999999999\n").intervalSeconds);
  EXPECT_FALSE(ParseHandshakeReply("BADUSER\nINTERVAL 86401\n").intervalSeconds);
  EXPECT_FALSE(ParseHandshakeReply("BADUSER\nINTERVAL 1x\n").intervalSeconds);
  EXPECT_EQ(ParseSubmissionReply("OK\nINTERVAL 86400").intervalSeconds, 86400u);
}

TEST(ScrobblerProto, SubmissionReplies) {
  EXPECT_TRUE(ParseSubmissionReply("OK\n").ok);
  EXPECT_TRUE(ParseSubmissionReply("OK").ok);
  EXPECT_TRUE(ParseSubmissionReply("OKAY").ok);  // the first two characters decide
  EXPECT_FALSE(ParseSubmissionReply("O").ok);
  EXPECT_FALSE(ParseSubmissionReply("").ok);
  EXPECT_FALSE(ParseSubmissionReply(" OK").ok);
  EXPECT_FALSE(ParseSubmissionReply("ok").ok);
  EXPECT_EQ(ParseSubmissionReply("BADAUTH\n").kind, SubmissionReply::Kind::BadAuth);
  const SubmissionReply failed = ParseSubmissionReply("FAILED Track too short\n");
  EXPECT_EQ(failed.kind, SubmissionReply::Kind::Failed);
  EXPECT_EQ(failed.detail, "Track too short");
  EXPECT_EQ(ParseSubmissionReply("\n\n").kind, SubmissionReply::Kind::Unknown);
}

TEST(ScrobblerProto, HandshakeAddressFromSettings) {
  EXPECT_EQ(HandshakeAddressFromSettings(sv::IniFile("s.ini", "")), kDefaultHandshakeAddress);
  EXPECT_EQ(HandshakeAddressFromSettings(sv::IniFile("s.ini", "[LASTFMSCROBBLER]\nHandshakeURL=http://127.0.0.1:9/\n")),
            "http://127.0.0.1:9/");
  EXPECT_EQ(HandshakeAddressFromSettings(sv::IniFile("s.ini", "[lastfmscrobbler]\nhandshakeurl=HTTP://h\n")),
            "HTTP://h");
  for (const char* bad : {"ftp://h", "http://", "h", "http://a b", "https://h"})
    EXPECT_EQ(HandshakeAddressFromSettings(sv::IniFile("s.ini", "[LASTFMSCROBBLER]\nHandshakeURL="s + bad + "\n")),
              kDefaultHandshakeAddress)
        << bad;
  EXPECT_TRUE(IsUsableHandshakeAddress(kDefaultHandshakeAddress));
}

TEST(ScrobblerClock, Formats) {
  const CalendarTime t{2024, 1, 2, 3, 4, 5};
  EXPECT_EQ(FormatSubmissionTime(t), "2024-01-02 03:04:05");
  EXPECT_EQ(FormatLogTime(t), "02-01-2024 03:04:05");
}

TEST(ScrobblerClock, LocalToUtcPerRule) {
  const CalendarTime local{2024, 3, 1, 0, 30, 59};
  ZoneInfo zone{ZoneInfo::Rule::Unknown, -60, 0, -60};
  EXPECT_EQ(FormatSubmissionTime(LocalToUtc(local, zone)), "2024-02-29 23:30:59");  // leap day
  zone.rule = ZoneInfo::Rule::Daylight;
  EXPECT_EQ(FormatSubmissionTime(LocalToUtc(local, zone)), "2024-02-29 22:30:59");
  zone = {ZoneInfo::Rule::Standard, 300, 0, -60};  // five hours west
  EXPECT_EQ(FormatSubmissionTime(LocalToUtc({2023, 12, 31, 22, 0, 1}, zone)), "2024-01-01 03:00:01");
  zone.rule = ZoneInfo::Rule::Invalid;
  EXPECT_EQ(FormatSubmissionTime(LocalToUtc(local, zone)), "2024-03-01 00:30:59");
  EXPECT_EQ(FormatSubmissionTime(AddMinutes({2023, 3, 1, 0, 0, 0}, -1)), "2023-02-28 23:59:00");
  EXPECT_EQ(FormatSubmissionTime(AddMinutes({2100, 2, 28, 23, 59, 0}, 1)), "2100-03-01 00:00:00");
}

}  // namespace
