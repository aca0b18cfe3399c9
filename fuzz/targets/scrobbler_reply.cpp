// Handshake and submission replies as a hostile service may send them: the
// parsers never accept a reply without its challenge and submission URL,
// never keep control bytes in either, and the client driven by such replies
// makes at most two attempts. The log's cleaning and bounds hold for any
// bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "base/Utf.h"
#include "net/core/ScrobblerCore.h"

namespace {

using namespace sv::net;

bool Clean(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return false;
  return true;
}

void CheckHandshake(std::string_view text) {
  const HandshakeReply reply = ParseHandshakeReply(text);
  if (reply.ok) {
    REQUIRE(reply.kind == HandshakeReply::Kind::UpToDate);
    REQUIRE(text.substr(0, 9) == "UPTODATE\n" || text.substr(0, 10) == "UPTODATE\r\n");
    REQUIRE(!reply.challenge.empty() && !reply.submitUrl.empty());
    REQUIRE(Clean(reply.challenge) && Clean(reply.submitUrl));
    REQUIRE(text.find(reply.challenge) != std::string_view::npos);
    REQUIRE(text.find(reply.submitUrl) != std::string_view::npos);
  } else {
    REQUIRE(reply.challenge.empty() && reply.submitUrl.empty());
  }
  REQUIRE(!reply.intervalSeconds || *reply.intervalSeconds <= 86400);
}

void CheckSubmission(std::string_view text) {
  const SubmissionReply reply = ParseSubmissionReply(text);
  REQUIRE(reply.ok == (text.substr(0, 2) == "OK"));
  REQUIRE(reply.ok == (reply.kind == SubmissionReply::Kind::Ok));
  REQUIRE(!reply.intervalSeconds || *reply.intervalSeconds <= 86400);
}

void CheckLogText(std::string_view bytes) {
  const std::string safe = ScrobblerLog::SafeText(bytes);
  REQUIRE(sv::IsValidUtf8(safe));
  REQUIRE(safe.size() <= 3 * ScrobblerLog::kMaxMessageBytes);
  for (unsigned char c : safe) REQUIRE(c >= 0x20 || c == '\r' || c == '\n');
  const std::string file = ScrobblerLog::Prepend(bytes, safe, 10, 4096);
  REQUIRE(file.size() <= 4096);
  size_t lines = 0;
  for (size_t at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2)) ++lines;
  REQUIRE(lines <= 10);
}

// The client with every request answered by the same bytes.
void CheckClient(std::string_view body) {
  int requests = 0;
  ScrobblerHooks hooks;
  hooks.perform = [&](const ScrobblerHttpRequest& request) {
    ++requests;
    REQUIRE(Clean(request.url));
    REQUIRE(Clean(request.body));
    return ScrobblerHttpResult{false, std::string(body), ""};
  };
  hooks.clock = [] { return ClockReading{}; };
  hooks.setTimer = [](uint32_t) {};
  ScrobblerCore core(std::move(hooks), "");
  core.EnableLogFile = false;
  core.HandshakeAddress = "http://127.0.0.1:1";
  const bool ok = core.SubmitTrack({"a", "t", "b", "", "100", "2024-01-02 03:04:05"});
  // One text cannot be both a handshake success and an "OK": either the
  // handshake fails at once or both attempts fail.
  REQUIRE(!ok && (requests == 1 || requests == 4));
  REQUIRE(core.Challenge().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = ReplyText(bytes);
  REQUIRE(text.size() <= kMaxReplyBytes && text.find('\0') == std::string::npos);
  CheckHandshake(text);
  CheckSubmission(text);
  CheckLogText(bytes);
  CheckClient(bytes);
  return 0;
}
