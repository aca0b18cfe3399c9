// The volume curve, the engine calls of both volume modes and of the
// equalizer through a recording seam, and the equalizer's effects on a real
// channel of sono.dll.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "player/VolumeEqualizer.h"

namespace {

using player::TVolumeState;

std::vector<std::string> calls;
std::vector<SONO_PARAMEQ> parameters;
HSONOFX nextFx = 0;

BOOL WINAPI RecordSetVolume(DWORD volume) {
  calls.push_back("volume " + std::to_string(volume));
  return TRUE;
}
BOOL WINAPI RecordAttributes(HSONOCHANNEL channel, int freq, int volume, int pan) {
  calls.push_back("attr " + std::to_string(channel) + " " + std::to_string(freq) + " " + std::to_string(volume) + " " +
                  std::to_string(pan));
  return TRUE;
}
HSONOFX WINAPI RecordSetFX(HSONOCHANNEL channel, DWORD type, int priority) {
  calls.push_back("fx " + std::to_string(channel) + " " + std::to_string(type) + " " + std::to_string(priority));
  return nextFx == 0 ? 0 : nextFx++;
}
BOOL WINAPI RecordFXParameters(HSONOFX fx, const void* p) {
  calls.push_back("param " + std::to_string(fx));
  parameters.push_back(*static_cast<const SONO_PARAMEQ*>(p));
  return TRUE;
}

BOOL WINAPI RecordRemoveFX(HSONOCHANNEL channel, HSONOFX fx) {
  calls.push_back("remove " + std::to_string(channel) + " " + std::to_string(fx));
  return TRUE;
}

class RecordedEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    parameters.clear();
    nextFx = 100;
    state.Audio = {&RecordSetVolume, &RecordAttributes, &RecordSetFX, &RecordFXParameters, &RecordRemoveFX};
    state.ShowBalloon = [this](std::string_view title, std::string_view text, int icon, std::uint16_t ms) {
      balloons.push_back(std::string(title) + "|" + std::string(text) + "|" + std::to_string(icon) + "|" +
                         std::to_string(ms));
    };
    state.MainWindowVisible = [this] { return visible; };
  }

  TVolumeState state;
  bool visible = false;
  std::vector<std::string> balloons;
};

using Calls = std::vector<std::string>;

TEST(VolumeCurve, EveryBarPositionMatchesTheRoundedSquare) {
  for (int v = 0; v <= 100; ++v) {
    const double exact = std::pow(v / 10.0, 2) + 0.4;
    EXPECT_EQ(player::VolumeLevel(v), static_cast<int>(std::floor(exact + 0.5))) << v;
  }
  EXPECT_EQ(player::VolumeLevel(1), 0);
  EXPECT_EQ(player::VolumeLevel(5), 1);
  EXPECT_EQ(player::VolumeLevel(50), 25);
  EXPECT_EQ(player::VolumeLevel(100), 100);
  EXPECT_EQ(player::VolumeLevel(120), 100);
  EXPECT_EQ(player::VolumeLevel(-5), 0);
}

TEST_F(RecordedEngine, GlobalModeSetsTheOutputAndLeavesTheChannelFull) {
  state.Channel = 7;
  state.VolumeBar = 50;
  player::ApplyVolume(state, false);
  EXPECT_EQ(calls, (Calls{"volume 25", "attr 7 -1 100 -101"}));
  calls.clear();
  state.Channel = 0;
  player::ApplyVolume(state, false);
  EXPECT_EQ(calls, (Calls{"volume 25"}));
}

TEST_F(RecordedEngine, ChannelModeLeavesTheOutputAlone) {
  state.GlobalVolume = false;
  state.Channel = 7;
  state.VolumeBar = 50;
  player::ApplyVolume(state, false);
  EXPECT_EQ(calls, (Calls{"attr 7 -1 25 -101"}));
  calls.clear();
  state.Channel = 0;
  player::ApplyVolume(state, false);
  EXPECT_TRUE(calls.empty());
}

TEST_F(RecordedEngine, BarBeyondItsRangeIsClampedFirst) {
  state.VolumeBar = 120;
  player::ApplyVolume(state, false);
  EXPECT_EQ(state.VolumeBar, 100);
  state.VolumeBar = -5;
  player::ApplyVolume(state, false);
  EXPECT_EQ(state.VolumeBar, 0);
  EXPECT_EQ(calls, (Calls{"volume 100", "volume 0"}));
}

TEST_F(RecordedEngine, SwitchingTheSystemWideModeNeverStacksVolumes) {
  state.Channel = 3;
  state.VolumeBar = 50;
  player::SetGlobalVolume(state, false);
  EXPECT_EQ(calls, (Calls{"volume 100", "attr 3 -1 25 -101"}));
  calls.clear();
  player::SetGlobalVolume(state, false);
  EXPECT_EQ(calls, (Calls{"attr 3 -1 25 -101"}));
  calls.clear();
  player::SetGlobalVolume(state, true);
  EXPECT_EQ(calls, (Calls{"volume 25", "attr 3 -1 100 -101"}));
}

TEST_F(RecordedEngine, BalloonShowsTheBarPositionOnlyWhileHidden) {
  state.VolumeBar = 45;
  player::ApplyVolume(state, true);
  EXPECT_EQ(balloons, (std::vector<std::string>{"|Volume 45%|0|500"}));
  player::ApplyVolume(state, false);
  visible = true;
  player::ApplyVolume(state, true);
  visible = false;
  state.VolumeBar = 130;
  player::ApplyVolume(state, true);
  EXPECT_EQ(balloons, (std::vector<std::string>{"|Volume 45%|0|500", "|Volume 100%|0|500"}));
}

TEST_F(RecordedEngine, EqualizerAddsOneEffectPerBandThatIsOn) {
  state.Channel = 9;
  state.EqGain = {3.0f, 0.0f, -2.5f, 0.0f, 15.0f};
  state.EqFx = {55, 56, 57, 58, 59};  // left by a freed channel
  player::ApplyEqualizer(state);
  EXPECT_EQ(calls, (Calls{"fx 9 7 1", "param 100", "fx 9 7 1", "param 101", "fx 9 7 1", "param 102"}));
  EXPECT_EQ(state.EqFx, (std::array<HSONOFX, 5>{100, 0, 101, 0, 102}));
  ASSERT_EQ(parameters.size(), 3u);
  const int bands[] = {0, 2, 4};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(parameters[i].fCenter, player::kEqBands[bands[i]].Centre);
    EXPECT_EQ(parameters[i].fBandwidth, 11.4f);
    EXPECT_EQ(parameters[i].fGain, state.EqGain[bands[i]]);
  }
  EXPECT_EQ(parameters[2].fCenter, 15520.95f);
}

TEST_F(RecordedEngine, NoChannelOrAllGainsZeroAddsNothing) {
  state.EqGain = {1, 2, 3, 4, 5};
  state.EqFx = {1, 2, 3, 4, 5};
  player::ApplyEqualizer(state);
  state.Channel = 4;
  state.EqGain = {};
  player::ApplyEqualizer(state);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(state.EqFx, (std::array<HSONOFX, 5>{}));
}

TEST_F(RecordedEngine, RefusedEffectLeavesAZeroHandle) {
  nextFx = 0;
  state.Channel = 2;
  state.EqGain = {0, 4, 0, 0, 0};
  player::ApplyEqualizer(state);
  EXPECT_EQ(state.EqFx, (std::array<HSONOFX, 5>{}));
  EXPECT_EQ(calls, (Calls{"fx 2 7 1", "param 0"}));
}

TEST_F(RecordedEngine, GainsFromTheSettingsAreClamped) {
  player::SetEqGains(state, {20.0, -40.0, std::nan(""), 2.5, -15.0});
  EXPECT_EQ(state.EqGain, (std::array<float, 5>{15.0f, -15.0f, 0.0f, 2.5f, -15.0f}));
  state.EqFx = {1, 2, 3, 4, 5};
  state.Channel = 8;
  player::ChannelFreed(state);
  EXPECT_EQ(state.Channel, 0u);
  EXPECT_EQ(state.EqFx, (std::array<HSONOFX, 5>{}));
}

TEST(EqualizerSliders, PositionsFromPressesOnABar) {
  struct Case {
    int y, height, position;
  };
  const Case cases[] = {
      {0, 121, 150},   {60, 121, 0},     {120, 121, -148}, {300, 121, -150}, {-40, 121, 150},
      {12, 121, 120},  {61, 121, -1},    {59, 121, 3},     {5, 0, 0},        {5, -3, 0},
      {1 << 30, 1, -150},
  };
  for (const Case& c : cases) EXPECT_EQ(player::EqSliderPosition(c.y, c.height), c.position) << c.y << "/" << c.height;
}

TEST_F(RecordedEngine, OneBandIsCreatedUpdatedAndRemoved) {
  // Without a channel only the gain changes.
  player::SetEqBand(state, 1, 120);
  EXPECT_EQ(state.EqGain[1], 12.0f);
  EXPECT_TRUE(calls.empty());

  state.Channel = 6;
  player::SetEqBand(state, 1, -148);
  player::SetEqBand(state, 1, 55);
  // Another band in between leaves its centre in the shared record.
  player::SetEqBand(state, 4, 30);
  player::SetEqBand(state, 1, 60);
  EXPECT_EQ(calls, (Calls{"fx 6 7 1", "param 100", "param 100", "fx 6 7 1", "param 101", "param 100"}));
  ASSERT_EQ(parameters.size(), 4u);
  EXPECT_EQ(parameters[0].fGain, -14.8f);
  EXPECT_EQ(parameters[1].fGain, 5.5f);
  EXPECT_EQ(parameters[2].fCenter, 15520.95f);
  for (std::size_t i : {0u, 1u, 3u}) {
    EXPECT_EQ(parameters[i].fCenter, 298.57f) << i;
    EXPECT_EQ(parameters[i].fBandwidth, 11.4f) << i;
  }
  EXPECT_EQ(state.EqFx[1], 100u);

  // 0 dB removes it; again, there is nothing left to remove.
  calls.clear();
  player::SetEqBand(state, 1, 0);
  player::SetEqBand(state, 1, 0);
  EXPECT_EQ(calls, (Calls{"remove 6 100"}));
  EXPECT_EQ(state.EqFx[1], 0u);
  EXPECT_EQ(state.EqGain[1], 0.0f);

  // Out of range: clamped, and no band beyond the five.
  player::SetEqBand(state, 0, 900);
  EXPECT_EQ(state.EqGain[0], 15.0f);
  calls.clear();
  player::SetEqBand(state, 5, 10);
  player::SetEqBand(state, -1, 10);
  EXPECT_TRUE(calls.empty());
}

TEST(RealEngine, EffectsExistExactlyForTheBandsThatAreOnAndDieWithTheChannel) {
  const std::string file = std::string(SV_SONG_FIXTURES) + "/tone3.wav";
  TVolumeState state;
  state.Channel = SONO_StreamCreateFile(FALSE, file.c_str(), 0, 0, 0);
  ASSERT_NE(state.Channel, 0u) << SONO_ErrorGetCode();
  player::SetEqGains(state, {6.0, 0.0, -3.0, 0.0, 25.0});
  player::ApplyEqualizer(state);
  const auto handles = state.EqFx;
  for (int band = 0; band < player::kEqBandCount; ++band) {
    SONO_PARAMEQ p{};
    if (state.EqGain[band] == 0.0f) {
      EXPECT_EQ(handles[band], 0u) << band;
      continue;
    }
    ASSERT_NE(handles[band], 0u) << band;
    ASSERT_TRUE(SONO_FXGetParameters(handles[band], &p)) << band;
    EXPECT_EQ(p.fCenter, player::kEqBands[band].Centre);
    EXPECT_EQ(p.fBandwidth, 11.4f);
    EXPECT_EQ(p.fGain, state.EqGain[band]);
  }
  EXPECT_EQ(state.EqGain[4], 15.0f);
  // The effects run on real audio, the top band included.
  player::ApplyVolume(state, false);
  ASSERT_TRUE(SONO_ChannelPlay(state.Channel, FALSE));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(SONO_ChannelIsActive(state.Channel), DWORD{SONO_ACTIVE_PLAYING});
  EXPECT_GT(SONO_ChannelGetPosition(state.Channel), 0);

  EXPECT_TRUE(SONO_StreamFree(state.Channel));
  player::ChannelFreed(state);
  EXPECT_EQ(state.EqFx, (std::array<HSONOFX, 5>{}));
  for (const HSONOFX old : handles) {
    if (old == 0) continue;
    SONO_PARAMEQ p{};
    EXPECT_FALSE(SONO_FXGetParameters(old, &p));
  }
}

TEST(RealEngine, SystemWideVolumeIsTheProgramsOutputLevel) {
  TVolumeState state;
  state.VolumeBar = 50;
  player::ApplyVolume(state, false);
  EXPECT_EQ(SONO_GetVolume(), 25);
  player::SetGlobalVolume(state, false);
  EXPECT_EQ(SONO_GetVolume(), 100);
  state.VolumeBar = 30;
  player::ApplyVolume(state, false);
  EXPECT_EQ(SONO_GetVolume(), 100);
  player::SetGlobalVolume(state, true);
  EXPECT_EQ(SONO_GetVolume(), 9);
}

}  // namespace
