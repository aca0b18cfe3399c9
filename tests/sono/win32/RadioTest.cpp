// Radio through sono.dll against a loopback station: headers as tags, titles
// through the META sync, the proxy setting, and prompt frees.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <thread>

#include "RadioServer.h"
#include "forms/Wide.h"
#include "sono/include/sono.h"
#include "tests/sono/WaitFor.h"

namespace {

using namespace std::chrono_literals;
using sono::test::WaitFor;

std::string ReadFixture() {
  std::ifstream in(std::filesystem::path(forms::widen(SONO_TEST_MP3)), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Titles {
  std::mutex mutex;
  std::vector<std::string> texts;
  std::atomic<DWORD> thread{0};
  size_t Count() {
    std::lock_guard lock(mutex);
    return texts.size();
  }
};

void CALLBACK RecordTitle(HSONOSYNC, DWORD, const char* data, void* user) {
  auto* titles = static_cast<Titles*>(user);
  titles->thread = GetCurrentThreadId();
  std::lock_guard lock(titles->mutex);
  titles->texts.emplace_back(data ? data : "(null)");
}

TEST(SonoRadio, StationPlaysWithHeadersAndTitles) {
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, ""));
  sono_test::RadioServer station(ReadFixture(), {"StreamTitle='A - B';", "", "StreamTitle='It''s; \xE9t\xE9';"});
  ASSERT_NE(station.Port(), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(station.Port()) + "/live";
  const HSONOCHANNEL channel = SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
  EXPECT_NE(station.Request().find("Icy-MetaData: 1"), std::string::npos) << station.Request();

  bool named = false;
  for (const char* tag = SONO_ChannelGetTags(channel, SONO_TAG_ICY); tag && *tag; tag += std::strlen(tag) + 1)
    named = named || (std::strncmp(tag, "icy-name:", 9) == 0 && std::strcmp(tag + 9, "Loopback FM") == 0);
  EXPECT_TRUE(named);
  EXPECT_EQ(SONO_ChannelGetLength(channel), -1);
  EXPECT_FALSE(SONO_ChannelSetPosition(channel, 0));

  Titles titles;
  ASSERT_NE(SONO_ChannelSetSync(channel, SONO_SYNC_META, 0, RecordTitle, &titles), 0u);
  ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
  ASSERT_TRUE(WaitFor([&] { return titles.Count() >= 2; }));
  {
    std::lock_guard lock(titles.mutex);
    EXPECT_EQ(titles.texts[0], "StreamTitle='A - B';");
    EXPECT_EQ(titles.texts[1], "StreamTitle='It''s; \xE9t\xE9';");
  }
  EXPECT_NE(titles.thread, GetCurrentThreadId());
  EXPECT_STREQ(SONO_ChannelGetTags(channel, SONO_TAG_META), "StreamTitle='It''s; \xE9t\xE9';");
  EXPECT_EQ(SONO_ChannelIsActive(channel), DWORD{SONO_ACTIVE_PLAYING});
  EXPECT_GT(SONO_ChannelGetPosition(channel), 0);

  EXPECT_TRUE(SONO_StreamFree(channel));
}

// A station is joined anywhere inside a frame; its format is still its own
// (44.1 kHz stereo: a second is 176400 bytes). A station that sends no MPEG
// audio is refused, not played as noise.
TEST(SonoRadio, JoinedMidFrameAStationKeepsItsFormat) {
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, ""));
  const std::string mp3 = ReadFixture();
  ASSERT_GT(mp3.size(), 10000u);
  std::mt19937 random(99);
  for (int cut = 0; cut < 20; ++cut) {
    const size_t at = random() % (mp3.size() / 2);
    SCOPED_TRACE(at);
    sono_test::RadioServer station(mp3.substr(at) + mp3.substr(0, at), {});
    const std::string url = "http://127.0.0.1:" + std::to_string(station.Port()) + "/live";
    const HSONOCHANNEL channel = SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
    ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
    EXPECT_FLOAT_EQ(SONO_ChannelBytes2Seconds(channel, 176400), 1.0f);
    EXPECT_TRUE(SONO_StreamFree(channel));
  }
  std::string noise(65536, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  sono_test::RadioServer junk(noise, {});
  const std::string url = "http://127.0.0.1:" + std::to_string(junk.Port()) + "/live";
  EXPECT_EQ(SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_FORMAT);
}

TEST(SonoRadio, ProxySeesTheAbsoluteAddressAndCredentials) {
  sono_test::RadioServer proxy(ReadFixture(), {});
  const std::string setting = "user:p@ss@127.0.0.1:" + std::to_string(proxy.Port());
  std::string buffer = setting;
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, buffer.c_str()));
  buffer.assign(buffer.size(), 'x');  // copied at the call
  const HSONOCHANNEL channel = SONO_StreamCreateURL("http://radio.invalid/live", 0, 0, nullptr, nullptr);
  ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
  const std::string request = proxy.Request();
  EXPECT_EQ(request.rfind("GET http://radio.invalid/live HTTP/1.0\r\n", 0), 0u) << request;
  // base64 of "user:p@ss"
  EXPECT_NE(request.find("Proxy-Authorization: Basic dXNlcjpwQHNz"), std::string::npos) << request;
  EXPECT_TRUE(SONO_StreamFree(channel));
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, ""));
}

TEST(SonoRadio, ClosedPortFailsWithANetworkError) {
  ASSERT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, ""));
  uint16_t port;
  {
    sono_test::RadioServer gone("", {});
    port = gone.Port();
  }
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
  EXPECT_EQ(SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_NET);
}

}  // namespace
