// sono.dll through its import library, as the player uses it: the "No sound"
// device, real-time positions, END on another thread, harmless stale
// handles, and plug-in loading.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "forms/Wide.h"
#include "sono/include/sono.h"
#include "tests/sono/WaitFor.h"

namespace {

using namespace std::chrono_literals;
using sono::test::WaitFor;

const std::string kFixture = SONO_TEST_FIXTURE;  // 1.5 s, 44.1 kHz stereo, 1 kHz

BOOL initWithMissingDevice = TRUE;
int missingDeviceError = SONO_OK;
BOOL initDefault = FALSE;

class LibraryStart : public ::testing::Environment {
 public:
  void SetUp() override {
    initWithMissingDevice = SONO_Init(1000, 44100, 0, nullptr, nullptr);
    missingDeviceError = SONO_ErrorGetCode();
    initDefault = SONO_Init(-1, 44100, 0, nullptr, nullptr);
  }
};
const auto* const registered = ::testing::AddGlobalTestEnvironment(new LibraryStart);

struct EndRecord {
  std::atomic<int> calls{0};
  std::atomic<DWORD> thread{0};
  std::atomic<DWORD> channel{0};
};

void CALLBACK RecordEnd(HSONOSYNC, DWORD channel, const char*, void* user) {
  auto* record = static_cast<EndRecord*>(user);
  record->thread = GetCurrentThreadId();
  record->channel = channel;
  ++record->calls;
}

TEST(SonoDll, VersionAndStartWithoutASoundCard) {
  EXPECT_EQ(HIWORD(SONO_GetVersion()), 0x0203);
  EXPECT_FALSE(initWithMissingDevice);
  EXPECT_EQ(missingDeviceError, SONO_ERROR_DEVICE);
  EXPECT_TRUE(initDefault);
  EXPECT_FALSE(SONO_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_ALREADY);
}

TEST(SonoDll, DevicesStartWithNoSoundAndEndWithNil) {
  EXPECT_STREQ(SONO_GetDeviceDescription(0), "No sound");
  const UINT system = waveOutGetNumDevs();
  for (UINT n = 1; n <= system; ++n) EXPECT_NE(SONO_GetDeviceDescription(static_cast<int>(n)), nullptr);
  EXPECT_EQ(SONO_GetDeviceDescription(static_cast<int>(system) + 1), nullptr);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_DEVICE);
}

// How fast the clock of "No sound" runs is checked in the engine's tests on a
// clock of their own; here only what holds at any speed.
TEST(SonoDll, FixturePlaysToItsEndOnceOnAnotherThread) {
  const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, kFixture.c_str(), 0, 0, 0);
  ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
  const SONO_INT64 length = SONO_ChannelGetLength(channel);
  EXPECT_EQ(length, 66150 * 4);
  EXPECT_NEAR(SONO_ChannelBytes2Seconds(channel, length), 1.5f, 1.0f / 44100);
  EXPECT_EQ(SONO_ChannelSeconds2Bytes(channel, 5.0f), 44100 * 4 * 5);
  EndRecord end;
  ASSERT_NE(SONO_ChannelSetSync(channel, SONO_SYNC_END, 0, RecordEnd, &end), 0u);
  EXPECT_EQ(SONO_ChannelIsActive(channel), DWORD{SONO_ACTIVE_STOPPED});
  ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
  // Positions only move forward, in whole frames, within the channel.
  SONO_INT64 last = 0;
  ASSERT_TRUE(WaitFor([&] {
    const SONO_INT64 now = SONO_ChannelGetPosition(channel);
    EXPECT_GE(now, last);
    EXPECT_LE(now, length);
    EXPECT_EQ(now % 4, 0);
    last = now;
    return end.calls > 0;
  }));
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(end.calls, 1);
  EXPECT_EQ(end.channel, channel);
  EXPECT_NE(end.thread, GetCurrentThreadId());
  EXPECT_EQ(SONO_ChannelIsActive(channel), DWORD{SONO_ACTIVE_STOPPED});
  EXPECT_EQ(SONO_ChannelGetPosition(channel), length);
  EXPECT_TRUE(SONO_StreamFree(channel));
}

TEST(SonoDll, SavedBytePositionsRestoreTheSamePlace) {
  const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, kFixture.c_str(), 0, 0, 0);
  ASSERT_NE(channel, 0u);
  ASSERT_TRUE(SONO_ChannelSetPosition(channel, 44100 * 4));
  EXPECT_EQ(SONO_ChannelGetPosition(channel), 44100 * 4);
  EXPECT_FALSE(SONO_ChannelSetPosition(channel, -4));
  EXPECT_FALSE(SONO_ChannelSetPosition(channel, 10LL << 32));
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_POSITION);
  EXPECT_TRUE(SONO_StreamFree(channel));
}

// Links at 44.1 kHz stereo, 8 kHz mono and 32 kHz in six channels, joined:
// the song lasts as long as its links together, at the first link's format.
TEST(SonoDll, AChainOfLinksAtTheirOwnRatesLastsAsLongAsTheyDo) {
  const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, SONO_TEST_CHAIN, 0, 0, 0);
  ASSERT_NE(channel, 0u);
  const SONO_INT64 length = SONO_ChannelGetLength(channel);
  EXPECT_EQ(length, (88200 + 44100 + 66150) * 4);
  EXPECT_FLOAT_EQ(SONO_ChannelBytes2Seconds(channel, length), 4.5f);
  EXPECT_TRUE(SONO_StreamFree(channel));
}

// The tag editor pauses, frees and saves: the save replaces the file at once,
// which Windows refuses while the file is still open.
TEST(SonoDll, AFreedChannelsFileCanBeReplacedAtOnce) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"sono-replace";
  std::filesystem::create_directories(folder);
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    const std::string original = round % 2 ? std::string(SONO_TEST_MP3) : kFixture;
    const std::filesystem::path song = folder / (round % 2 ? L"song.mp3" : L"song.wav");
    const std::filesystem::path saved = folder / L"saved.tmp";
    std::filesystem::copy_file(forms::widen(original), song, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(forms::widen(original), saved, std::filesystem::copy_options::overwrite_existing);
    const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, forms::narrow(song.wstring()).c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u) << SONO_ErrorGetCode();
    ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
    if (round % 4 < 2) {
      ASSERT_TRUE(SONO_ChannelPause(channel));
    }
    ASSERT_TRUE(SONO_StreamFree(channel));
    EXPECT_TRUE(MoveFileExW(saved.c_str(), song.c_str(), MOVEFILE_REPLACE_EXISTING)) << GetLastError();
  }
  std::filesystem::remove_all(folder);
}

TEST(SonoDll, NonAsciiPathsOpen) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"sono \u00e9t\u00e9 \u97f3";
  std::filesystem::create_directories(folder);
  const std::filesystem::path copy = folder / L"\u00e7a \u266b.wav";
  std::filesystem::copy_file(forms::widen(kFixture), copy, std::filesystem::copy_options::overwrite_existing);
  const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, forms::narrow(copy.wstring()).c_str(), 0, 0, 0);
  EXPECT_NE(channel, 0u) << SONO_ErrorGetCode();
  EXPECT_EQ(SONO_ChannelGetLength(channel), 66150 * 4);
  EXPECT_TRUE(SONO_StreamFree(channel));
  std::filesystem::remove_all(folder);
}

TEST(SonoDll, StaleAndWrongKindHandlesAreHarmless) {
  const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, kFixture.c_str(), 0, 0, 0);
  ASSERT_NE(channel, 0u);
  ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
  EXPECT_FALSE(SONO_MusicFree(channel));
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_HANDLE);
  EXPECT_EQ(SONO_ChannelIsActive(channel), DWORD{SONO_ACTIVE_PLAYING});
  EXPECT_FALSE(SONO_StreamFree(channel + 1000));
  EXPECT_FALSE(SONO_MusicFree(0));
  EXPECT_TRUE(SONO_StreamFree(channel));
  EXPECT_FALSE(SONO_StreamFree(channel));
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_HANDLE);
  EXPECT_EQ(SONO_ChannelGetLength(channel), -1);
  EXPECT_EQ(SONO_ChannelIsActive(channel), DWORD{SONO_ACTIVE_STOPPED});
  EXPECT_EQ(SONO_ChannelGetTags(channel, SONO_TAG_META), nullptr);
  const HSONOCHANNEL next = SONO_StreamCreateFile(FALSE, kFixture.c_str(), 0, 0, 0);
  EXPECT_GT(next, channel);  // not reused
  EXPECT_TRUE(SONO_StreamFree(next));
}

TEST(SonoDll, NoEndCallbackAfterFreeReturns) {
  static std::atomic<bool> freed[512];
  static std::atomic<int> late{0};
  struct Late {
    static void CALLBACK Proc(HSONOSYNC, DWORD channel, const char*, void*) {
      Sleep(1);
      if (freed[channel % 512]) ++late;
    }
  };
  for (int i = 0; i < 200; ++i) {
    const HSONOCHANNEL channel = SONO_StreamCreateFile(FALSE, kFixture.c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    freed[channel % 512] = false;
    // Start near the end so END and the free race.
    SONO_ChannelSetPosition(channel, SONO_ChannelGetLength(channel) - (i % 8) * 400);
    SONO_ChannelSetSync(channel, SONO_SYNC_END, 0, Late::Proc, nullptr);
    ASSERT_TRUE(SONO_ChannelPlay(channel, FALSE));
    if (i % 2) Sleep(i % 5);
    ASSERT_TRUE(SONO_StreamFree(channel));
    freed[channel % 512] = true;
  }
  Sleep(100);
  EXPECT_EQ(late, 0);
}

TEST(SonoDll, MissingAndForeignFilesAreRefusedWithTheirError) {
  EXPECT_EQ(SONO_StreamCreateFile(FALSE, "Z:\\no\\such\\file.mp3", 0, 0, 0), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_FILEOPEN);
  EXPECT_EQ(SONO_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_PARAM);
  const std::filesystem::path text = std::filesystem::temp_directory_path() / L"sono-not-audio.txt";
  {
    std::ofstream out(text, std::ios::binary);
    for (int i = 0; i < 200; ++i) out << "This is a plain text line, not audio.\r\n";
  }
  EXPECT_EQ(SONO_StreamCreateFile(FALSE, forms::narrow(text.wstring()).c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_FORMAT);
  std::filesystem::remove(text);
  EXPECT_EQ(SONO_MusicLoad(FALSE, kFixture.c_str(), 0, 0, SONO_MUSIC_PRESCAN, 0), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_FORMAT);
}

TEST(SonoDll, UrlsOtherThanHttpAndMmsAreRefused) {
  EXPECT_EQ(SONO_StreamCreateURL("ftp://radio.invalid/live", 0, 0, nullptr, nullptr), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_PROTOCOL);
  char proxy[100] = "user:p@ss@127.0.0.1:8080";
  EXPECT_TRUE(SONO_SetConfig(SONO_CONFIG_NET_PROXY, proxy));
  EXPECT_FALSE(SONO_SetConfig(3, proxy));
}

TEST(SonoDll, VolumeIsStoredOnNoSound) {
  EXPECT_TRUE(SONO_SetVolume(37));
  EXPECT_EQ(SONO_GetVolume(), 37);
  EXPECT_FALSE(SONO_SetVolume(101));
  EXPECT_EQ(SONO_GetVolume(), 37);
  EXPECT_TRUE(SONO_SetVolume(100));
}

TEST(SonoDll, EqualizerEffectsThroughTheCInterface) {
  const HSONOCHANNEL a = SONO_StreamCreateFile(FALSE, kFixture.c_str(), 0, 0, 0);
  const HSONOCHANNEL b = SONO_StreamCreateFile(FALSE, kFixture.c_str(), 0, 0, 0);
  const HSONOFX fx = SONO_ChannelSetFX(a, SONO_FX_PARAMEQ, 1);
  ASSERT_NE(fx, 0u);
  SONO_PARAMEQ p{15520.95f, 11.4f, 12.0f};
  EXPECT_TRUE(SONO_FXSetParameters(fx, &p));
  SONO_PARAMEQ back{};
  EXPECT_TRUE(SONO_FXGetParameters(fx, &back));
  EXPECT_FLOAT_EQ(back.fCenter, 15520.95f);
  EXPECT_FLOAT_EQ(back.fBandwidth, 11.4f);
  EXPECT_FLOAT_EQ(back.fGain, 12.0f);
  EXPECT_FALSE(SONO_ChannelRemoveFX(b, fx));
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_HANDLE);
  EXPECT_TRUE(SONO_ChannelRemoveFX(a, fx));
  EXPECT_TRUE(SONO_ChannelSetAttributes(a, -1, 50, -101));
  EXPECT_TRUE(SONO_StreamFree(a));
  EXPECT_TRUE(SONO_StreamFree(b));
}

TEST(SonoDll, PluginsLoadOnlyThroughTheirEntryPoint) {
  const HSONOPLUGIN plugin = SONO_PluginLoad("sonotest.dll", 0);
  ASSERT_NE(plugin, 0u) << SONO_ErrorGetCode();
  const SONO_PLUGININFO* info = SONO_PluginGetInfo(plugin);
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(info->formatc, 1u);
  EXPECT_STREQ(info->formats[0].exts, "*.foo;*.bar");
  EXPECT_EQ(SONO_PluginLoad("sonotest.dll", 0), plugin);

  const HSONOCHANNEL tone = SONO_StreamCreateFile(FALSE, "song.foo", 0, 0, 0);
  ASSERT_NE(tone, 0u) << SONO_ErrorGetCode();
  EXPECT_EQ(SONO_ChannelGetLength(tone), 8000);
  EXPECT_NEAR(SONO_ChannelBytes2Seconds(tone, 8000), 0.5f, 1e-6f);
  EndRecord end;
  SONO_ChannelSetSync(tone, SONO_SYNC_END, 0, RecordEnd, &end);
  ASSERT_TRUE(SONO_ChannelPlay(tone, FALSE));
  EXPECT_TRUE(WaitFor([&] { return end.calls == 1; }));
  EXPECT_TRUE(SONO_StreamFree(tone));

  EXPECT_EQ(SONO_PluginLoad("sonojunk.dll", 0), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_NOTPLUGIN);
  EXPECT_EQ(GetModuleHandleW(L"sonojunk.dll"), nullptr);
  // The player loads every "sono*.dll", the library itself included.
  EXPECT_EQ(SONO_PluginLoad("sono.dll", 0), 0u);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_ERROR_NOTPLUGIN);
  EXPECT_NE(GetModuleHandleW(L"sono.dll"), nullptr);
  EXPECT_EQ(HIWORD(SONO_GetVersion()), 0x0203);
  EXPECT_EQ(SONO_PluginLoad("no-such-plugin.dll", 0), 0u);
  EXPECT_EQ(SONO_PluginGetInfo(plugin + 1), nullptr);
}

}  // namespace
