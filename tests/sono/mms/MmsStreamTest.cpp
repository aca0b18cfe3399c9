// "mms://" streams against loopback MMS-over-HTTP peers (mms_peer.py, which
// runs this program and passes each peer's port in the environment): the
// stream's ASF is demuxed and decoded to the tone it was made from, and
// every broken peer ends in a failed open or an end of stream.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <thread>

#include "sono/mms/AsfDecoder.h"
#include "sono/mms/MmsSource.h"
#include "sono/mms/MmsStation.h"

namespace {

using sono::mms::MmsOptions;
using sono::mms::NetError;
using sono::mms::OpenAsfDecoder;
using sono::mms::OpenMms;
using sono::mms::OpenMmsStation;
using sono::net::OpenBudget;

std::string PeerUrl(const char* behaviour) {
  const char* port = std::getenv((std::string("MMS_PEER_") + behaviour).c_str());
  return port ? "mms://127.0.0.1:" + std::string(port) + "/radio/tone.asf" : std::string();
}

#define REQUIRE_PEERS()                                                     \
  if (PeerUrl("PLAY").empty()) GTEST_SKIP() << "run through mms_peer.py, which starts the loopback peers"

MmsOptions Quick() {
  MmsOptions options;
  options.connectTimeoutMs = 2000;
  options.readTimeoutMs = 1500;
  return options;
}

double Amplitude(const std::vector<int16_t>& left, size_t from, size_t count, double frequency, double rate) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
  double s1 = 0, s2 = 0;
  for (size_t i = from; i < from + count; ++i) {
    const double s0 = left[i] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - coefficient * s1 * s2)) / static_cast<double>(count);
}

// Everything the decoder gives, as the left channel; bounded so a decoder
// that never ends fails the test instead of hanging it.
std::vector<int16_t> DecodeAll(sono::Decoder& decoder) {
  const unsigned channels = decoder.Format().channels;
  std::vector<int16_t> left;
  std::vector<int16_t> block(1000 * channels);
  for (size_t n; (n = decoder.Read(block.data(), 1000)) > 0 && left.size() < 44100 * 60;) {
    for (size_t i = 0; i < n; ++i) left.push_back(block[i * channels]);
  }
  return left;
}

TEST(MmsStream, PlaysTheToneWithTheAnswerHeadersAndTheTitle) {
  REQUIRE_PEERS();
  auto opened = OpenMms(PeerUrl("PLAY"), Quick());
  ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
  const auto headers = opened.source->HeaderLines();
  ASSERT_GE(headers.size(), 3u);
  EXPECT_EQ(headers[0], "HTTP/1.0 200 OK");
  EXPECT_NE(std::find(headers.begin(), headers.end(), "Server: Loopback MMS"), headers.end());
  EXPECT_NE(std::find(headers.begin(), headers.end(), "Pragma: features=\"broadcast\""), headers.end());
  EXPECT_FALSE(opened.source->CanSeek());
  EXPECT_EQ(opened.source->Size(), -1);

  auto* source = opened.source.get();
  auto asf = OpenAsfDecoder(std::move(opened.source));
  ASSERT_TRUE(asf.decoder);
  EXPECT_EQ(asf.title, "Loopback Tone");
  EXPECT_EQ(asf.decoder->Format().rate, 44100u);
  EXPECT_EQ(asf.decoder->Format().channels, 2u);
  EXPECT_EQ(asf.decoder->LengthFrames(), -1);
  EXPECT_FALSE(asf.decoder->Seek(0));

  const auto left = DecodeAll(*asf.decoder);
  // Four seconds were encoded; the codec's delay may trim a frame or two.
  ASSERT_GT(left.size(), 44100u * 7 / 2);
  ASSERT_LT(left.size(), 44100u * 9 / 2);
  EXPECT_FALSE(source->Failed());
  const size_t middle = left.size() / 2;
  const double tone = Amplitude(left, middle - 11025, 22050, 1000, 44100);
  EXPECT_GT(tone, 2000.0);
  for (double other : {500.0, 2000.0, 3000.0}) {
    EXPECT_LT(Amplitude(left, middle - 11025, 22050, other, 44100), tone / 100) << other << " Hz";
  }
  EXPECT_EQ(asf.decoder->Read(std::vector<int16_t>(64).data(), 32), 0u);
}

// Each broken peer: the open fails with a reason, or the stream it gave
// ends; never a crash or a wait past the time-outs.
TEST(MmsStream, BrokenPeersEndTheStream) {
  REQUIRE_PEERS();
  struct Case {
    const char* behaviour;
    bool opens;        // the MMS answer itself is sound
    NetError failure;  // when it does not open
  };
  const Case cases[] = {
      {"STALL", false, NetError::TimedOut},
      {"JUNK", false, NetError::BadResponse},
      {"BADASF", false, NetError::BadResponse},
      {"REFUSE", false, NetError::BadResponse},
      {"CLOSED", false, NetError::ConnectFailed},
      {"CLOSE", true, NetError::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.behaviour);
    auto opened = OpenMms(PeerUrl(c.behaviour), Quick());
    if (!c.opens) {
      EXPECT_FALSE(opened.source);
      EXPECT_EQ(opened.error, c.failure) << sono::net::DescribeNetError(opened.error);
      continue;
    }
    ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
    auto asf = OpenAsfDecoder(std::move(opened.source));
    ASSERT_TRUE(asf.decoder);
    // Five whole packets arrived before the peer hung up mid-chunk.
    const auto left = DecodeAll(*asf.decoder);
    EXPECT_GT(left.size(), 0u);
    EXPECT_LT(left.size(), 44100u * 2);
  }
}

TEST(MmsStream, RefusesAddressesAndProxiesItCannotUse) {
  for (const char* url : {"mms://", "mms:///path", "http://127.0.0.1/x", "mmsx://127.0.0.1/", ""}) {
    EXPECT_EQ(OpenMms(url, Quick()).error, NetError::BadUrl) << url;
  }
  EXPECT_TRUE(sono::mms::IsMmsUrl("MMS://Host/a"));
  EXPECT_FALSE(sono::mms::IsMmsUrl("mmsh://host/a"));
  MmsOptions options = Quick();
  options.proxy = "user:pass@:99999";
  EXPECT_EQ(OpenMms("mms://127.0.0.1/a", options).error, NetError::BadProxy);
}

// Cancelling before the open and while it waits on a silent peer both end
// it as cancelled; which of the two waits the cancel meets does not matter.
TEST(MmsStream, CancelEndsAWaitingOpen) {
  REQUIRE_PEERS();
  for (bool early : {true, false}) {
    SCOPED_TRACE(early ? "before" : "during");
    MmsOptions options;
    options.readTimeoutMs = 60000;
    options.cancel = std::make_shared<std::atomic<bool>>(early);
    auto flag = options.cancel;
    std::thread canceller;
    if (!early) {
      canceller = std::thread([flag] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        flag->store(true);
      });
    }
    auto opened = OpenMms(PeerUrl("STALL"), options);
    if (canceller.joinable()) canceller.join();
    EXPECT_FALSE(opened.source);
    EXPECT_EQ(opened.error, NetError::Cancelled);
  }
}

// The proxy setting applies: each connection is tunnelled with CONNECT and
// the proxy's credentials.
TEST(MmsStream, GoesThroughTheProxy) {
  REQUIRE_PEERS();
  const char* proxy = std::getenv("MMS_PEER_PROXY");
  ASSERT_TRUE(proxy);
  MmsOptions options = Quick();
  options.proxy = std::string("listener:secret@127.0.0.1:") + proxy;
  auto opened = OpenMms(PeerUrl("PLAY"), options);
  ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
  auto asf = OpenAsfDecoder(std::move(opened.source));
  ASSERT_TRUE(asf.decoder);
  EXPECT_GT(DecodeAll(*asf.decoder).size(), 44100u * 3);

  options.proxy = std::string("wrong:secret@127.0.0.1:") + proxy;
  EXPECT_FALSE(OpenMms(PeerUrl("PLAY"), options).source);
}

// The hostile stations: a head that never ends, pings and nothing else over
// TCP, and an ASF header that claims the live stream. Each keeps every wait
// short, so only the open's budget (made small here) ends it, as a network
// failure; the same deadline ends an http:// open whose head never ends.
TEST(MmsStream, HostileStationsSpendTheOpenBudget) {
  REQUIRE_PEERS();
  for (const char* behaviour : {"ENDLESS", "PINGS", "HUGEASF"}) {
    SCOPED_TRACE(behaviour);
    MmsOptions options;
    options.readTimeoutMs = 60000;
    options.budget = std::make_shared<OpenBudget>(1500, 256 * 1024);
    const auto station = OpenMmsStation(PeerUrl(behaviour), options);
    EXPECT_FALSE(station.decoder);
    EXPECT_TRUE(station.error == NetError::TimedOut || station.error == NetError::BadResponse)
        << sono::net::DescribeNetError(station.error);
  }
  sono::net::UrlOptions http;
  http.readTimeoutMs = 60000;
  http.budget = std::make_shared<OpenBudget>(1500, OpenBudget::kNoByteLimit);
  const auto opened = sono::net::OpenUrl("http://127.0.0.1:" + std::string(std::getenv("MMS_PEER_ENDLESS")) + "/",
                                         std::move(http));
  EXPECT_FALSE(opened.source);
  EXPECT_EQ(opened.error, NetError::TimedOut);

  // A sound station opens within the same budget, and plays on past it.
  MmsOptions options = Quick();
  options.budget = std::make_shared<OpenBudget>(10000, 256 * 1024);
  auto station = OpenMmsStation(PeerUrl("PLAY"), options);
  ASSERT_TRUE(station.decoder) << sono::net::DescribeNetError(station.error);
  EXPECT_EQ(station.title, "Loopback Tone");
  EXPECT_GT(DecodeAll(*station.decoder).size(), 44100u * 7 / 2);
}

// A cancel from another thread ends the open in each of its phases: the
// HTTP head, the pings over TCP and the demuxer reading the stream.
TEST(MmsStream, CancelEndsEveryPhaseOfTheOpen) {
  REQUIRE_PEERS();
  for (const char* behaviour : {"ENDLESS", "PINGS", "HUGEASF"}) {
    SCOPED_TRACE(behaviour);
    MmsOptions options;
    options.readTimeoutMs = 60000;
    options.budget = std::make_shared<OpenBudget>(600000, OpenBudget::kNoByteLimit);
    options.cancel = std::make_shared<std::atomic<bool>>(false);
    std::thread canceller([flag = options.cancel] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      flag->store(true);
    });
    const auto station = OpenMmsStation(PeerUrl(behaviour), options);
    canceller.join();
    EXPECT_FALSE(station.decoder);
    EXPECT_EQ(station.error, NetError::Cancelled) << sono::net::DescribeNetError(station.error);
  }
}

// The station answers HTTP with a web page, then plays over TCP: the page's
// header lines are not the stream's headers.
TEST(MmsStream, StreamOverTcpHasNoHeadersOfTheFailedHttpTry) {
  REQUIRE_PEERS();
  auto opened = OpenMms(PeerUrl("TCP"), Quick());
  ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
  EXPECT_TRUE(opened.source->HeaderLines().empty()) << opened.source->HeaderLines().front();
  auto asf = OpenAsfDecoder(std::move(opened.source));
  ASSERT_TRUE(asf.decoder);
  EXPECT_EQ(asf.title, "Loopback Tone");
  EXPECT_GT(DecodeAll(*asf.decoder).size(), 44100u * 7 / 2);
}

// A proxy in the environment (here one nobody listens on) is not used: the
// stream goes direct, or through the proxy setting when there is one.
TEST(MmsStream, ProxyFromTheEnvironmentIsIgnored) {
  REQUIRE_PEERS();
  struct EnvironmentProxy {
#ifdef _WIN32
    explicit EnvironmentProxy(const std::string& value) { _putenv_s("http_proxy", value.c_str()); }
    ~EnvironmentProxy() { _putenv_s("http_proxy", ""); }
#else
    explicit EnvironmentProxy(const std::string& value) { setenv("http_proxy", value.c_str(), 1); }
    ~EnvironmentProxy() { unsetenv("http_proxy"); }
#endif
  } environment("http://127.0.0.1:" + std::string(std::getenv("MMS_PEER_CLOSED")) + "/");
  for (const bool setting : {false, true}) {
    SCOPED_TRACE(setting ? "proxy setting" : "direct");
    MmsOptions options = Quick();
    if (setting) options.proxy = std::string("listener:secret@127.0.0.1:") + std::getenv("MMS_PEER_PROXY");
    auto opened = OpenMms(PeerUrl("PLAY"), options);
    ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
    ASSERT_FALSE(opened.source->HeaderLines().empty());
    EXPECT_EQ(opened.source->HeaderLines()[0], "HTTP/1.0 200 OK");
    auto asf = OpenAsfDecoder(std::move(opened.source));
    ASSERT_TRUE(asf.decoder);
    EXPECT_GT(DecodeAll(*asf.decoder).size(), 44100u * 7 / 2);
  }
}

}  // namespace
