// The main window's rules that need no window: switches, the shuffle
// history, the time label and the start-up texts.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>

#include "player/CommandSwitches.h"
#include "player/Shuffle.h"
#include "player/StartupRules.h"

namespace player {
namespace {

TEST(PlayerRules, SwitchesMatchInExactCaseAndTheRestToggles) {
  EXPECT_EQ(ParseSwitch("/play").Kind, SwitchKind::Play);
  EXPECT_EQ(ParseSwitch("/next").Kind, SwitchKind::Next);
  EXPECT_EQ(ParseSwitch("/prev").Kind, SwitchKind::Prev);
  EXPECT_EQ(ParseSwitch("/quit").Kind, SwitchKind::Quit);
  EXPECT_EQ(ParseSwitch("/open").Kind, SwitchKind::Open);
  EXPECT_EQ(ParseSwitch("/PLAY").Kind, SwitchKind::Toggle);
  EXPECT_EQ(ParseSwitch("/play ").Kind, SwitchKind::Toggle);
  EXPECT_EQ(ParseSwitch("/show").Kind, SwitchKind::Toggle);
  EXPECT_EQ(ParseSwitch("/").Kind, SwitchKind::Toggle);
  EXPECT_EQ(ParseSwitch("play").Kind, SwitchKind::None);
  EXPECT_EQ(ParseSwitch("").Kind, SwitchKind::None);

  const Switch skin = ParseSwitch("/SKIN:da/Skin:rk");
  EXPECT_EQ(skin.Kind, SwitchKind::Skin);
  EXPECT_EQ(skin.SkinName, "dark");
  EXPECT_EQ(ParseSwitch("/skin:").SkinName, "");
}

TEST(PlayerRules, SkinNamesNeverLeaveTheSkinFolder) {
  EXPECT_TRUE(IsPlainSkinName("dark"));
  EXPECT_TRUE(IsPlainSkinName("Bleu nuit"));
  EXPECT_TRUE(IsPlainSkinName(""));
  for (const char* name : {"..", ".", "..\\evil", "a\\b", "a/b", "C:evil", "x..y", "\\\\server\\share"})
    EXPECT_FALSE(IsPlainSkinName(name)) << name;
}

TEST(PlayerRules, ShuffleHistoryIsCutAndAvoidedAndGoesBack) {
  const std::vector<std::string> list{"a", "b", "c", "d"};
  std::vector<std::string> history;
  std::deque<int> draws{0, 0, 1, 2};
  auto next = [&](int) {
    const int d = draws.front();
    draws.pop_front();
    return d;
  };
  // "a" is current: it joins the history, and the draws of 0 are refused.
  EXPECT_EQ(ShuffleChoose(history, list, 0, false, next), 1);
  EXPECT_EQ(history, (std::vector<std::string>{"a"}));
  EXPECT_EQ(ShuffleChoose(history, list, 1, false, next), 2);
  EXPECT_EQ(history, (std::vector<std::string>{"a", "b"}));
  // Previous takes the newest path and moves it to the front.
  EXPECT_EQ(ShuffleChoose(history, list, 2, true, next), 1);
  EXPECT_EQ(history, (std::vector<std::string>{"b", "a"}));
  // At most Trunc(0.75 * 4) = 3 paths stay.
  for (int i = 0; i < 10; ++i) ShuffleChoose(history, list, i % 4, false, [](int n) { return n - 1; });
  EXPECT_LE(history.size(), 3u);
}

TEST(PlayerRules, ShuffleOfOneEntryDrawsItAgainAndStopsAfter101Draws) {
  std::vector<std::string> history;
  int draws = 0;
  EXPECT_EQ(ShuffleChoose(history, {"only"}, 0, false, [&](int) { return ++draws, 0; }), 0);
  EXPECT_TRUE(history.empty());
  EXPECT_EQ(draws, 1);
  history = {"A", "B"};
  draws = 0;
  // Paths compare without regard to case; every draw is refused.
  EXPECT_EQ(ShuffleChoose(history, {"a", "b", "c", "d"}, -1, false, [&](int) { return ++draws % 2; }), 1);
  EXPECT_EQ(draws, 101);
  // A draw out of range is brought back into the list.
  EXPECT_EQ(ShuffleChoose(history, {"a", "b"}, -1, false, [](int) { return 7; }), 1);
}

TEST(PlayerRules, OneDecisionsDrawsEscapeTheHistoryWhateverTheSeed) {
  // Fixed seeds stand for a clock that does not move between draws: every
  // draw of a pick comes from one generator, so a free entry is found.
  const std::vector<std::string> list{"a", "b", "c", "d", "e", "f", "g", "h"};
  std::set<int> picked;
  for (std::uint64_t seed = 0; seed < 200; ++seed) {
    std::vector<std::string> history{"a", "b", "c", "d", "e"};
    RandomDraws draws(seed);
    const int index = ShuffleChoose(history, list, 5, false, std::ref(draws));
    EXPECT_TRUE(index == 6 || index == 7) << "seed " << seed << " picked " << index;
    picked.insert(index);
  }
  EXPECT_EQ(picked.size(), 2u);
  RandomDraws same(42), again(42);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(same(1000), again(1000));
}

TEST(PlayerRules, OpenFilterAddsOneEntryPerExtension) {
  EXPECT_EQ(BuildOpenFilter({"mp3", "a b"}),
            "All supported files|*.m3u;*.pls;*.mp3;*.a b|Playlist M3U (*.m3u)|*.m3u|Playlist PLS (*.pls)|*.pls|"
            "All files (*.*)|*.*|Audio file (*.mp3)|*.mp3|Audio file (*.a b)|*.a b");
  EXPECT_EQ(PluginExtensions("*.foo;*.bar"), (std::vector<std::string>{"foo", "bar"}));
  EXPECT_EQ(PluginExtensions("*.x;;*.y;"), (std::vector<std::string>{"x", "y"}));
}

TEST(PlayerRules, ProxyTextAndVolumeBar) {
  ProxySettings proxy;
  proxy.Address = "proxy.lan";
  proxy.Port = "3128";
  EXPECT_EQ(BuildProxyText(proxy), "proxy.lan:3128");
  proxy.User = "me";
  proxy.Password = "s:cret";
  EXPECT_EQ(BuildProxyText(proxy), "me:s:cret@proxy.lan:3128");
  proxy.Address.clear();
  EXPECT_EQ(BuildProxyText(proxy), "me:s:cret@");
  const std::string longHost(300, 'h');
  proxy.Address = longHost;
  EXPECT_NE(BuildProxyText(proxy).find(longHost + ":3128"), std::string::npos);

  EXPECT_EQ(VolumeBarFromLevel(50), 70);
  EXPECT_EQ(VolumeBarFromLevel(1), 0);
  EXPECT_EQ(VolumeBarFromLevel(0), 0);
  EXPECT_EQ(VolumeBarFromLevel(-5), 0);
  EXPECT_EQ(VolumeBarFromLevel(100), 100);
  EXPECT_EQ(VolumeBarFromLevel(1000), 100);
}

}  // namespace
}  // namespace player
