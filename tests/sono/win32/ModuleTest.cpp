// Tracker modules through sono.dll: the pre-scanned exact length, the name
// tag, and a backward jump that ends the song when asked to.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "sono/include/sono.h"
#include "tests/sono/WaitFor.h"

namespace {

using namespace std::chrono_literals;
using sono::test::WaitFor;

// 6 ticks a row at 125 BPM: 882 frames a tick at 44.1 kHz, 4 bytes a frame.
constexpr SONO_INT64 kRowBytes = 6 * 882 * 4;
const std::string kJumpModule = std::string(SONO_TEST_MODULES) + "/jump.mod";

void CALLBACK CountEnd(HSONOSYNC, DWORD, const char*, void* user) { ++*static_cast<std::atomic<int>*>(user); }

TEST(SonoModule, PrescanGivesTheExactLengthAndTheName) {
  const HSONOCHANNEL module = SONO_MusicLoad(FALSE, kJumpModule.c_str(), 0, 0, SONO_MUSIC_PRESCAN, 0);
  ASSERT_NE(module, 0u) << SONO_ErrorGetCode();
  // Pattern 0, then pattern 1 up to the row that jumps back.
  EXPECT_EQ(SONO_ChannelGetLength(module), (64 + 16) * kRowBytes);
  EXPECT_STREQ(SONO_ChannelGetTags(module, SONO_TAG_MUSIC_NAME), "square test");
  EXPECT_EQ(SONO_ChannelGetTags(module, SONO_TAG_ICY), nullptr);
  // The player frees with both calls; only the module's own kind acts.
  EXPECT_FALSE(SONO_StreamFree(module));
  EXPECT_EQ(SONO_ChannelGetLength(module), (64 + 16) * kRowBytes);
  EXPECT_TRUE(SONO_MusicFree(module));
  EXPECT_EQ(SONO_StreamCreateFile(FALSE, kJumpModule.c_str(), 0, 0, 0), 0u);
}

TEST(SonoModule, BackwardJumpEndsTheSongWhenPlayed) {
  const HSONOCHANNEL module =
      SONO_MusicLoad(FALSE, kJumpModule.c_str(), 0, 0, SONO_MUSIC_PRESCAN | SONO_MUSIC_STOPBACK, 0);
  ASSERT_NE(module, 0u) << SONO_ErrorGetCode();
  std::atomic<int> ends{0};
  SONO_ChannelSetSync(module, SONO_SYNC_END, 0, CountEnd, &ends);
  // Half a second before the jump back.
  const SONO_INT64 length = SONO_ChannelGetLength(module);
  ASSERT_TRUE(SONO_ChannelSetPosition(module, length - SONO_ChannelSeconds2Bytes(module, 0.5f)));
  ASSERT_TRUE(SONO_ChannelPlay(module, FALSE));
  ASSERT_TRUE(WaitFor([&] { return ends > 0; }));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(SONO_ChannelIsActive(module), DWORD{SONO_ACTIVE_STOPPED});
  EXPECT_TRUE(SONO_MusicFree(module));
}

}  // namespace
