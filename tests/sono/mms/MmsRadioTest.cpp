// "mms://" radio through sono.dll on "No sound", against the loopback peers
// of mms_peer.py: headers and title as tags, the END sync, and every broken
// peer giving channel 0 with an error code or a stream that ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sono/include/sono.h"
#include "tests/sono/WaitFor.h"

namespace {

using namespace std::chrono_literals;
using sono::test::WaitFor;

class NoSound : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SONO_Init(0, 44100, 0, nullptr, nullptr)) << SONO_ErrorGetCode(); }
};
const auto* const registered = ::testing::AddGlobalTestEnvironment(new NoSound);

std::string PeerUrl(const char* behaviour) {
  const char* port = std::getenv((std::string("MMS_PEER_") + behaviour).c_str());
  return port ? "mms://127.0.0.1:" + std::string(port) + "/radio/tone.asf" : std::string();
}

#define REQUIRE_PEERS()                                                     \
  if (PeerUrl("PLAY").empty()) GTEST_SKIP() << "run through mms_peer.py, which starts the loopback peers"

std::vector<std::string> Texts(const char* list) {
  std::vector<std::string> texts;
  for (; list && *list; list += std::strlen(list) + 1) texts.emplace_back(list);
  return texts;
}

void CALLBACK CountEnd(HSONOSYNC, DWORD, const char*, void* user) { ++*static_cast<std::atomic<int>*>(user); }

TEST(SonoMms, StationPlaysToItsEndWithHeadersAndTitle) {
  REQUIRE_PEERS();
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, ""));
  const HSONOCHANNEL channel = SONO_StreamCreateURL(PeerUrl("PLAY").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
  const auto headers = Texts(SONO_ChannelGetTags(channel, SONO_TAG_ICY));
  ASSERT_FALSE(headers.empty());
  EXPECT_EQ(headers[0], "HTTP/1.0 200 OK");
  EXPECT_NE(std::find(headers.begin(), headers.end(), "Server: Loopback MMS"), headers.end());
  EXPECT_STREQ(SONO_ChannelGetTags(channel, SONO_TAG_META), "StreamTitle='Loopback Tone';");
  EXPECT_EQ(SONO_ChannelGetLength(channel), -1);
  EXPECT_FALSE(SONO_ChannelSetPosition(channel, 0));

  std::atomic<int> ends{0};
  ASSERT_NE(SONO_ChannelSetSync(channel, SONO_SYNC_END, 0, CountEnd, &ends), 0u);
  ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
  ASSERT_TRUE(WaitFor([&] { return ends > 0; }, 60000ms));
  EXPECT_EQ(ends, 1);
  // Four seconds of stereo 16-bit at 44.1 kHz went through.
  EXPECT_GT(SONO_ChannelGetPosition(channel), 44100 * 4 * 7 / 2);
  EXPECT_EQ(SONO_ChannelIsActive(channel), DWORD{SONO_ACTIVE_STOPPED});
  EXPECT_TRUE(SONO_StreamFree(channel));
}

TEST(SonoMms, BrokenStationsGiveNoChannelOrEnd) {
  REQUIRE_PEERS();
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, ""));
  struct Case {
    const char* behaviour;
    int error;  // 0: a channel that plays until the stream breaks
  };
  for (const Case& c : {Case{"STALL", SONO_ERROR_NET}, Case{"JUNK", SONO_ERROR_NET}, Case{"BADASF", SONO_ERROR_NET},
                        Case{"REFUSE", SONO_ERROR_NET}, Case{"CLOSED", SONO_ERROR_NET}, Case{"CLOSE", 0}}) {
    SCOPED_TRACE(c.behaviour);
    const HSONOCHANNEL channel = SONO_StreamCreateURL(PeerUrl(c.behaviour).c_str(), 0, 0, nullptr, nullptr);
    if (c.error != 0) {
      EXPECT_EQ(channel, 0u);
      EXPECT_EQ(SONO_ErrorGetCode(), c.error);
      continue;
    }
    ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
    std::atomic<int> ends{0};
    ASSERT_NE(SONO_ChannelSetSync(channel, SONO_SYNC_END, 0, CountEnd, &ends), 0u);
    ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
    ASSERT_TRUE(WaitFor([&] { return ends > 0; }, 60000ms));
    EXPECT_TRUE(SONO_StreamFree(channel));
  }
}

// The station answers HTTP with a web page, then plays over TCP: the page's
// header lines are not the channel's headers.
TEST(SonoMms, StationOverTcpHasNoHeadersOfTheFailedHttpTry) {
  REQUIRE_PEERS();
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, ""));
  const HSONOCHANNEL channel = SONO_StreamCreateURL(PeerUrl("TCP").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
  EXPECT_EQ(Texts(SONO_ChannelGetTags(channel, SONO_TAG_ICY)), std::vector<std::string>{});
  EXPECT_STREQ(SONO_ChannelGetTags(channel, SONO_TAG_META), "StreamTitle='Loopback Tone';");
  EXPECT_TRUE(SONO_StreamFree(channel));
}

// A cancel from another thread ends an open in progress, of an mms:// or an
// http:// station that would otherwise keep it busy up to its deadline, as a
// network failure. It is repeated until the open returns: a cancel reaches
// only the opens already under way.
TEST(SonoMms, CancelEndsAnOpenInProgress) {
  REQUIRE_PEERS();
  const std::string http = "http://127.0.0.1:" + std::string(std::getenv("MMS_PEER_ENDLESS")) + "/";
  for (const std::string& url : {PeerUrl("ENDLESS"), PeerUrl("PINGS"), http}) {
    SCOPED_TRACE(url);
    std::atomic<bool> done{false};
    std::thread canceller([&done] {
      while (!done) {
        SONO_StreamCancelURL();
        std::this_thread::sleep_for(50ms);
      }
    });
    const HSONOCHANNEL channel = SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
    const int error = SONO_ErrorGetCode();
    done = true;
    canceller.join();
    EXPECT_EQ(channel, 0u);
    EXPECT_EQ(error, SONO_ERROR_NET);
  }
}

TEST(SonoMms, FreeingAPlayingStationStopsIt) {
  REQUIRE_PEERS();
  const HSONOCHANNEL channel = SONO_StreamCreateURL(PeerUrl("PLAY").c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
  ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
  ASSERT_TRUE(WaitFor([&] { return SONO_ChannelGetPosition(channel) > 0; }, 30000ms));
  EXPECT_TRUE(SONO_StreamFree(channel));
  EXPECT_FALSE(SONO_StreamFree(channel));
  EXPECT_EQ(SONO_ChannelIsActive(channel), DWORD{SONO_ACTIVE_STOPPED});
}

TEST(SonoMms, SchemesOtherThanHttpAndMmsAreRefused) {
  for (const char* url : {"ftp://radio.invalid/live", "mmsh://radio.invalid/live", "rtsp://radio.invalid/"}) {
    EXPECT_EQ(SONO_StreamCreateURL(url, 0, 0, nullptr, nullptr), 0u) << url;
    EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_PROTOCOL) << url;
  }
  EXPECT_EQ(SONO_StreamCreateURL("mms://", 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_PROTOCOL);
}

}  // namespace
