#include "player/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "base/IniFile.h"
#include "base/Paths.h"
#include "base/TextFile.h"

namespace {

namespace fs = std::filesystem;
using player::CloseSettings;
using player::HotKeySettings;
using player::SettingsFile;
using player::ini::HotKeyAction;

// A fresh folder per test holding the settings file, removed afterwards.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    folder_ = fs::temp_directory_path() / ("sv-settings-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(folder_);
    iniPath_ = folder_ / "Sorivanel.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  SettingsFile File() const { return SettingsFile(sv::PathToUtf8(iniPath_)); }
  std::string Folder() const { return sv::PathToUtf8(folder_); }

  void Seed(const std::string& text) const {
    std::ofstream out(iniPath_, std::ios::binary);
    out << text;
  }
  std::string Raw() const {
    std::ifstream in(iniPath_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The file's lines without their line breaks.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(Raw());
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  bool HasLine(const std::string& line) const {
    const auto lines = Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::vector<std::string> Keys(const std::string& section) const {
    return sv::IniFile(sv::PathToUtf8(iniPath_)).ReadSection(section);
  }

  fs::path folder_;
  fs::path iniPath_;
};

// What a run that changed nothing saves: the values it read at start-up.
CloseSettings CloseFrom(const player::StartupSettings& s) {
  CloseSettings c;
  c.Playback = s.Playback;
  c.Options = s.Options;
  c.Equalizer = s.Equalizer;
  return c;
}

TEST_F(SettingsTest, NoFileGivesEveryDefault) {
  const SettingsFile f = File();
  const player::StartupSettings s = f.ReadStartupSettings();
  EXPECT_EQ(s.Options.Language, "lang-en.ini");
  EXPECT_EQ(s.Options.Skin, "default");
  EXPECT_EQ(s.Options.Flags, player::OptionFlags({true, true, true, true, true, true, true, true}));
  EXPECT_FALSE(s.Options.StayVisible);
  EXPECT_EQ(s.Options.PreviewTop, 10);
  EXPECT_EQ(s.Options.PreviewRight, 25);
  EXPECT_EQ(s.Options.BubbleOpacity, 255);
  EXPECT_FALSE(s.BubbleLeftAnchor);
  EXPECT_FALSE(s.BubbleTopAnchor);
  EXPECT_TRUE(s.CheckNewVersion);
  EXPECT_FALSE(s.PlayAtStartup);
  EXPECT_FALSE(s.MessengerNowPlaying);
  EXPECT_EQ(s.IconPath, "");
  EXPECT_FALSE(s.Playback.Shuffle);
  EXPECT_TRUE(s.Playback.LoopPlaylist);
  EXPECT_EQ(s.Playback.Volume, 70);
  EXPECT_EQ(s.Playback.CurrentIndex, -1);
  EXPECT_EQ(s.Playback.Position, 0);
  EXPECT_EQ(s.Playback.LengthBytes, 100);
  EXPECT_EQ(s.Playback.LengthSeconds, 0.0);
  EXPECT_EQ(s.Equalizer, player::EqGains{});
  EXPECT_EQ(s.SoundDevice, -1);
  EXPECT_FALSE(s.Proxy.Enabled);
  EXPECT_EQ(s.Proxy.Address + s.Proxy.Port + s.Proxy.User + s.Proxy.Password, "");
  EXPECT_FALSE(s.Scrobbler.Enabled);
  EXPECT_EQ(s.Scrobbler.User + s.Scrobbler.Password, "");
  EXPECT_TRUE(s.Scrobbler.EnableLogFile);
  EXPECT_EQ(s.Templates.Tagged, "%artist - %album - %tracknb - %tracktitle");
  EXPECT_EQ(s.Templates.Untagged, "%rep1 - %rep0 - %filename");
  EXPECT_EQ(s.Templates.CdTrack, "CD Audio - %filename");

  const player::WindowLayout w = f.ReadWindowLayout({0, 0, 1024, 768});
  EXPECT_EQ(w.Width, 350);
  EXPECT_EQ(w.Height, 346);
  EXPECT_EQ(w.Left, 1024 - 350 - 15);
  EXPECT_EQ(w.Top, 768 - 346 - 15);
  EXPECT_EQ(w.TreeViewWidth, 100);
  EXPECT_EQ(w.LastShownIndex, 3);
  EXPECT_EQ(w.ExpandedNodes, "0");
  EXPECT_EQ(w.TimeMode, 0);

  EXPECT_FALSE(f.ReadSwitch(player::OptionSwitch::StartupFolderUpdate));
  EXPECT_EQ(f.ReadIconPath(player::IconKind::AssociatedFile), "");
  EXPECT_TRUE(f.ReadBaseFolders().empty());
  EXPECT_FALSE(fs::exists(iniPath_)) << "reading never creates the file";
}

TEST_F(SettingsTest, CornerDefaultFollowsTheStoredSizeAndWorkArea) {
  Seed("[DATA]\nLargeur=500\nHauteur=$100\n");
  const player::WindowLayout w = File().ReadWindowLayout({100, 50, 1700, 1000});
  EXPECT_EQ(w.Left, 1700 - 500 - 15);
  EXPECT_EQ(w.Top, 1000 - 256 - 15);
}

TEST_F(SettingsTest, HotKeyDefaultsAndHexValues) {
  const HotKeySettings defaults = File().ReadHotKeys();
  const std::vector<int> expected = {0x4078, 0x4079, 0x407A, 0x4026, 0x4028, 0x407B, 0x4027, 0x4025};
  for (int i = 0; i < player::ini::kHotKeyActions; ++i) {
    EXPECT_TRUE(defaults.Keys[i].Active) << i;
    EXPECT_EQ(defaults.Keys[i].Value, expected[i]) << i;
  }
  EXPECT_EQ(defaults[HotKeyAction::PlayPause].Value, 16504);

  Seed("[HOTKEYS]\nPlay=$4079\nPlayActive=0\nshowhide=16508\n");
  const HotKeySettings h = File().ReadHotKeys();
  EXPECT_EQ(h[HotKeyAction::PlayPause].Value, 16505);
  EXPECT_FALSE(h[HotKeyAction::PlayPause].Active);
  EXPECT_EQ(h[HotKeyAction::ShowHide].Value, 16508);  // key names ignore case
  EXPECT_TRUE(h[HotKeyAction::Next].Active);
}

TEST_F(SettingsTest, HotKeyValuesAreSixteenBitsWideOnReadAndWrite) {
  // 0x14078 would add the Win key to Ctrl+F9; -1 is every bit set.
  Seed("[HOTKEYS]\nPlay=82040\nNext=-1\nVolUp=$7FFF4026\n");
  HotKeySettings h = File().ReadHotKeys();
  EXPECT_EQ(h[HotKeyAction::PlayPause].Value, 0x4078);
  EXPECT_EQ(h[HotKeyAction::Next].Value, 0xFFFF);
  EXPECT_EQ(h[HotKeyAction::VolumeUp].Value, 0x4026);
  h[HotKeyAction::Rewind].Value = 0x18025;
  File().WriteHotKeys(h);
  EXPECT_TRUE(HasLine("ReculerRapide=32805"));
  EXPECT_TRUE(HasLine("Play=16504"));
}

TEST_F(SettingsTest, HotKeysAreWrittenSwitchesFirstThenValues) {
  HotKeySettings h;
  h[HotKeyAction::Rewind] = {false, 0x8025};
  File().WriteHotKeys(h);
  const std::vector<std::string> order = {
      "PlayActive", "PrevActive", "NextActive", "VolUpActive", "VolDwnActive", "ShowHideActive",
      "AvancerRapideActive", "ReculerRapideActive", "Play", "Prev", "Next", "VolUp", "VolDwn", "ShowHide",
      "AvancerRapide", "ReculerRapide"};
  EXPECT_EQ(Keys("HOTKEYS"), order);
  EXPECT_TRUE(HasLine("ReculerRapideActive=0"));
  EXPECT_TRUE(HasLine("ReculerRapide=32805"));  // an action switched off keeps its value
  EXPECT_TRUE(HasLine("Play=16504"));
  const HotKeySettings back = File().ReadHotKeys();
  EXPECT_FALSE(back[HotKeyAction::Rewind].Active);
  EXPECT_EQ(back[HotKeyAction::Rewind].Value, 0x8025);
}

TEST_F(SettingsTest, CloseOfAHiddenRunWritesOnlyTheAlwaysKeys) {
  const SettingsFile f = File();
  ASSERT_TRUE(f.WriteCloseSettings(false, CloseFrom(f.ReadStartupSettings())));
  EXPECT_EQ(Keys("LECT"), (std::vector<std::string>{"Volume", "Index", "Position", "LengthB", "LengthT", "Shuffle",
                                                     "LectureBoucle"}));
  EXPECT_EQ(Keys("DATA"), (std::vector<std::string>{"ResteAffichee", "AfficherBallon", "AnimerIcone", "InclureSousRep",
                                                     "LireMetaTags", "LireCDDB", "ApparitionProgressive",
                                                     "ReglageVolumeGlobal", "AlbumCoverPreview", "TopImgPreviewAlbum",
                                                     "RightImgPreviewAlbum", "Langue", "Skin",
                                                     "InfoBulleTransparency"}));
  EXPECT_TRUE(HasLine("Index=-1"));
  EXPECT_TRUE(HasLine("LengthT=0"));
  EXPECT_TRUE(HasLine("AfficherBallon=1"));
  EXPECT_TRUE(HasLine("ResteAffichee=0"));
  EXPECT_TRUE(HasLine("Langue=lang-en.ini"));
  // Never-written and options-window keys stay out of the file.
  EXPECT_EQ(sv::IniFile(sv::PathToUtf8(iniPath_)).ReadSections(), (std::vector<std::string>{"LECT", "DATA"}));
}

TEST_F(SettingsTest, CloseOfAHiddenRunLeavesLayoutLinesUntouched) {
  const std::vector<std::string> kept = {"Largeur = 500", "Gauche=-20", "ExpandedNodes=0,3,17", "EQ1=2,5",
                                         "EQ5=-7.25", "Temps=2"};
  Seed("[DATA]\r\n" + kept[0] + "\r\n" + kept[1] + "\r\n" + kept[2] + "\r\n[LECT]\r\n" + kept[3] + "\r\n" +
       kept[4] + "\r\n" + kept[5] + "\r\nVolume=12\r\n");
  const SettingsFile f = File();
  CloseSettings c = CloseFrom(f.ReadStartupSettings());
  c.Layout.Width = 999;
  c.Equalizer[0] = 9;
  ASSERT_TRUE(f.WriteCloseSettings(false, c));
  for (const std::string& line : kept) EXPECT_TRUE(HasLine(line)) << line;
  EXPECT_TRUE(HasLine("Volume=12"));
  EXPECT_FALSE(sv::IniFile(sv::PathToUtf8(iniPath_)).ValueExists("DATA", "Hauteur"));
}

TEST_F(SettingsTest, CloseOfAShownRunWritesLayoutAndDotDecimals) {
  Seed("[LECT]\nEQ1=2,5\nEQ3=-3,75\n");
  const SettingsFile f = File();
  const player::StartupSettings s = f.ReadStartupSettings();
  EXPECT_EQ(s.Equalizer, (player::EqGains{2.5, 0, -3.75, 0, 0}));

  CloseSettings c = CloseFrom(s);
  c.Layout = f.ReadWindowLayout({0, 0, 1024, 768});
  c.Layout.Left = -4;
  c.Layout.LastShownIndex = 1;
  c.Layout.ExpandedNodes = "0,2,5";
  c.Layout.TimeMode = 2;
  c.Playback.LengthSeconds = 183.5;
  ASSERT_TRUE(f.WriteCloseSettings(true, c));
  EXPECT_TRUE(HasLine("EQ1=2.5"));
  EXPECT_TRUE(HasLine("EQ3=-3.75"));
  EXPECT_TRUE(HasLine("EQ5=0"));
  EXPECT_TRUE(HasLine("LengthT=183.5"));
  EXPECT_TRUE(HasLine("Temps=2"));
  EXPECT_TRUE(HasLine("Largeur=350"));
  EXPECT_TRUE(HasLine("Gauche=-4"));
  EXPECT_TRUE(HasLine("Haut=407"));
  EXPECT_TRUE(HasLine("LastShownIndex=1"));
  EXPECT_TRUE(HasLine("ExpandedNodes=0,2,5"));
  const std::vector<std::string> lect = Keys("LECT");
  EXPECT_EQ(std::vector<std::string>(lect.end() - 4, lect.end()), (std::vector<std::string>{"Temps", "EQ2", "EQ4", "EQ5"}))
      << "seeded keys keep their place, new ones follow in write order";

  // A large tree's expanded nodes are read whole.
  c.Layout.ExpandedNodes.clear();
  for (int i = 0; i < 6000; ++i) c.Layout.ExpandedNodes += std::to_string(i) + ",";
  c.Layout.ExpandedNodes += "6000";
  ASSERT_TRUE(f.WriteCloseSettings(true, c));
  const player::WindowLayout w = f.ReadWindowLayout({});
  EXPECT_EQ(w.ExpandedNodes, c.Layout.ExpandedNodes);
  EXPECT_EQ(w.Left, -4);
  EXPECT_EQ(w.TimeMode, 2);
  EXPECT_EQ(f.ReadStartupSettings().Playback.LengthSeconds, 183.5);
}

TEST_F(SettingsTest, HandEditedKeysSurviveEveryWriter) {
  Seed("[DATA]\nInfoBulleTopAnchor=1\nInfoBulleLeftAnchor=7\n[LASTFMSCROBBLER]\nEnableLogFile=0\n");
  const SettingsFile f = File();
  const player::StartupSettings s = f.ReadStartupSettings();
  EXPECT_TRUE(s.BubbleTopAnchor);
  EXPECT_TRUE(s.BubbleLeftAnchor);
  EXPECT_FALSE(s.Scrobbler.EnableLogFile);

  ASSERT_TRUE(f.WriteCloseSettings(false, CloseFrom(s)));
  ASSERT_TRUE(f.WriteCloseSettings(true, CloseFrom(s)));
  player::ScrobblerSettings account = s.Scrobbler;
  account.EnableLogFile = true;
  f.WriteScrobblerAccount(account);
  f.WriteSwitch(player::OptionSwitch::CheckNewVersion, false);
  f.WriteIconPath(player::IconKind::MainWindow, "");
  EXPECT_TRUE(HasLine("InfoBulleTopAnchor=1"));
  EXPECT_TRUE(HasLine("InfoBulleLeftAnchor=7"));
  EXPECT_TRUE(HasLine("EnableLogFile=0"));
  EXPECT_FALSE(f.ReadStartupSettings().Scrobbler.EnableLogFile);
}

TEST_F(SettingsTest, PlaybackPositionsBeyond32BitsRoundTrip) {
  const SettingsFile f = File();
  CloseSettings c;
  c.Playback.Position = 5'000'000'000;
  c.Playback.LengthBytes = 9'000'000'000;
  c.Playback.CurrentIndex = 41;
  c.Playback.Volume = 0;
  c.Playback.Shuffle = true;
  c.Playback.LoopPlaylist = false;
  ASSERT_TRUE(f.WriteCloseSettings(false, c));
  EXPECT_TRUE(HasLine("Position=5000000000"));
  const player::PlaybackState p = f.ReadStartupSettings().Playback;
  EXPECT_EQ(p.Position, 5'000'000'000);
  EXPECT_EQ(p.LengthBytes, 9'000'000'000);
  EXPECT_EQ(p.CurrentIndex, 41);
  EXPECT_EQ(p.Volume, 0);
  EXPECT_TRUE(p.Shuffle);
  EXPECT_FALSE(p.LoopPlaylist);
}

TEST_F(SettingsTest, OldThirtyTwoBitPositionsStillRead) {
  Seed("[LECT]\nPosition=2147483647\nLengthB=$10\n");
  const player::PlaybackState p = File().ReadStartupSettings().Playback;
  EXPECT_EQ(p.Position, 2147483647);
  EXPECT_EQ(p.LengthBytes, 16);
}

TEST_F(SettingsTest, GarbageValuesGiveDefaults) {
  std::string junk = "[DATA]\nAnimerIcone=true\nTopImgPreviewAlbum=$ZZ\nInfoBulleTransparency=12x\n";
  junk += "Largeur=99999999999\nLangue=";
  junk += std::string("\x01\xFF\xFE\x00\x80zz", 7);
  junk += "\n";
  junk += std::string("\x00\x00\xC3\x28\xFF\n=\n[\n]]]\n", 14);
  junk += "[LECT]\nVolume=\x7F\x7F\nPosition=5e9\nEQ2=abc\nEQ3=1,2,3\nShuffle=yes\nLectureBoucle=0\n";
  junk += "[HOTKEYS]\nPlay=Ctrl+F9\n";
  Seed(junk);
  const SettingsFile f = File();
  const player::StartupSettings s = f.ReadStartupSettings();
  EXPECT_TRUE(s.Options.Flags.AnimateTrayIcon);
  EXPECT_EQ(s.Options.PreviewTop, 10);
  EXPECT_EQ(s.Options.BubbleOpacity, 255);
  EXPECT_EQ(s.Playback.Volume, 70);
  EXPECT_EQ(s.Playback.Position, 0);
  EXPECT_EQ(s.Equalizer[1], 0.0);
  EXPECT_EQ(s.Equalizer[2], 0.0);
  EXPECT_FALSE(s.Playback.Shuffle);
  EXPECT_FALSE(s.Playback.LoopPlaylist) << "keys after junk lines still read";
  EXPECT_EQ(s.HotKeys[HotKeyAction::PlayPause].Value, 0x4078);
  EXPECT_EQ(f.ReadWindowLayout({}).Width, 350);

  // Saving over the junk keeps the file readable and the new values exact.
  CloseSettings c = CloseFrom(s);
  c.Options.PreviewTop = 33;
  ASSERT_TRUE(f.WriteCloseSettings(true, c));
  EXPECT_EQ(f.ReadStartupSettings().Options.PreviewTop, 33);
}

TEST_F(SettingsTest, OutOfRangeValuesAreReadAsTheyStand) {
  Seed("[DATA]\nInfoBulleTransparency=300\nLastShownIndex=7\nLargeur=-5\n[SOUND_DEVICE]\nDEVICE=99\n");
  const SettingsFile f = File();
  EXPECT_EQ(f.ReadStartupSettings().Options.BubbleOpacity, 300);
  EXPECT_EQ(f.ReadWindowLayout({}).LastShownIndex, 7);
  EXPECT_EQ(f.ReadWindowLayout({}).Width, -5);
  EXPECT_EQ(f.ReadSoundDevice(), 99);
}

std::vector<std::string> Names(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const std::string& p : paths) names.push_back(sv::ExtractFileName(p));
  return names;
}

TEST_F(SettingsTest, BaseFoldersStopAtTheFirstGap) {
  Seed("[REPERTOIRES]\n0=a\n1=b\n3=d\n4=e\n");
  const SettingsFile f = File();
  const std::vector<std::string> folders = f.ReadBaseFolders();
  EXPECT_EQ(Names(folders), (std::vector<std::string>{"a", "b"}));

  f.WriteBaseFolders({folders[1]});
  EXPECT_EQ(Keys("REPERTOIRES"), std::vector<std::string>{"0"}) << "stale keys are erased";
  EXPECT_EQ(f.ReadBaseFolders(), std::vector<std::string>{folders[1]});
  f.WriteBaseFolders({});
  EXPECT_TRUE(f.ReadBaseFolders().empty());
}

TEST_F(SettingsTest, BaseFoldersAreRewrittenInListOrder) {
  Seed("[REPERTOIRES]\n0=zeta\n1=Musique\\été\n2=alpha\n");
  const SettingsFile f = File();
  std::vector<std::string> folders = f.ReadBaseFolders();
  std::swap(folders[0], folders[2]);
  f.WriteBaseFolders(folders);
  EXPECT_EQ(Keys("REPERTOIRES"), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(Names(f.ReadBaseFolders()), (std::vector<std::string>{"alpha", "été", "zeta"}));
}

// Stored paths are Windows paths: relative storage needs a drive to be
// relative to, which the native build's folders lack.
#ifdef _WIN32
TEST_F(SettingsTest, PathsAreStoredRelativeToTheSettingsFolder) {
  const SettingsFile f = File();
  const std::string icon = Folder() + "\\icones\\note.ico";
  f.WriteIconPath(player::IconKind::MainWindow, icon);
  EXPECT_TRUE(HasLine("Icone=icones\\note.ico"));
  EXPECT_EQ(f.ReadIconPath(player::IconKind::MainWindow), icon);
  EXPECT_EQ(f.ReadStartupSettings().IconPath, icon);

  // A path beside the player's folder goes up from it.
  const std::string beside = sv::ExtractFilePath(Folder()) + "other\\x.ico";
  f.WriteIconPath(player::IconKind::AssociatedFile, beside);
  EXPECT_TRUE(HasLine("IconeFichiersAssocies=..\\other\\x.ico"));
  EXPECT_EQ(f.ReadIconPath(player::IconKind::AssociatedFile), beside);

  // Base folders, with text outside any code page, and the player's folder
  // itself, whose relative path would be empty.
  const std::vector<std::string> folders = {Folder() + "\\Musique\\été", Folder() + "\\音楽", Folder() + "\\"};
  f.WriteBaseFolders(folders);
  EXPECT_TRUE(HasLine("0=Musique\\été"));
  EXPECT_TRUE(HasLine("1=音楽"));
  EXPECT_TRUE(HasLine("2=.\\"));
  EXPECT_EQ(f.ReadBaseFolders(), folders);

  // The whole folder can move: stored paths follow it.
  const fs::path moved = folder_ / "moved";
  fs::create_directories(moved);
  fs::copy_file(iniPath_, moved / "Sorivanel.ini");
  const SettingsFile movedFile(sv::PathToUtf8(moved / "Sorivanel.ini"));
  EXPECT_EQ(movedFile.ReadIconPath(player::IconKind::MainWindow), sv::PathToUtf8(moved) + "\\icones\\note.ico");
  EXPECT_EQ(movedFile.ReadBaseFolders()[1], sv::PathToUtf8(moved) + "\\音楽");

  // Empty means the built-in icon and stays empty.
  f.WriteIconPath(player::IconKind::MainWindow, "");
  EXPECT_TRUE(HasLine("Icone="));
  EXPECT_EQ(f.ReadIconPath(player::IconKind::MainWindow), "");
}

TEST_F(SettingsTest, PathsOnAnotherDriveStayAbsolute) {
  const SettingsFile f = File();
  const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(Folder()[0])));
  const std::string path = std::string(1, drive == 'Q' ? 'R' : 'Q') + ":\\Music\\Rock";
  f.WriteBaseFolders({path});
  EXPECT_TRUE(HasLine("0=" + path));
  EXPECT_EQ(f.ReadBaseFolders(), std::vector<std::string>{path});
}
#endif

TEST_F(SettingsTest, OptionsWindowWritersRoundTrip) {
  const SettingsFile f = File();
  f.WriteSwitch(player::OptionSwitch::CheckNewVersion, false);
  f.WriteSwitch(player::OptionSwitch::PlayAtStartup, true);
  f.WriteSwitch(player::OptionSwitch::StartupFolderUpdate, true);
  f.WriteSwitch(player::OptionSwitch::MessengerNowPlaying, true);
  EXPECT_TRUE(HasLine("CheckNouvelleVersion=0"));
  EXPECT_TRUE(HasLine("DemarrerLaLectureAuLancement=1"));
  EXPECT_EQ(Keys("MSNCURRENTPLAY"), std::vector<std::string>{"Activate"});
  EXPECT_FALSE(f.ReadSwitch(player::OptionSwitch::CheckNewVersion));
  EXPECT_TRUE(f.ReadSwitch(player::OptionSwitch::StartupFolderUpdate));
  const player::StartupSettings s = f.ReadStartupSettings();
  EXPECT_TRUE(s.PlayAtStartup);
  EXPECT_TRUE(s.MessengerNowPlaying);

  f.WriteSoundDevice(2);
  EXPECT_EQ(f.ReadSoundDevice(), 2);
  f.WriteSoundDevice(-1);
  EXPECT_TRUE(HasLine("DEVICE=-1"));

  player::TitleTemplates t{"%tracktitle « %artist »", "%filename", "Piste %filename"};
  f.WriteTitleTemplates(t);
  EXPECT_EQ(Keys("NOMCHANSONS"), (std::vector<std::string>{"FormatNomTag", "FormatNomSansTag", "FormatNomCDA"}));
  const player::TitleTemplates back = f.ReadTitleTemplates();
  EXPECT_EQ(back.Tagged, t.Tagged);
  EXPECT_EQ(back.Untagged, t.Untagged);
  EXPECT_EQ(back.CdTrack, t.CdTrack);
}

TEST_F(SettingsTest, PasswordsAreStoredEncoded) {
  const SettingsFile f = File();
  player::ProxySettings proxy{true, "proxy.local", "3128", "me", "ab"};
  f.WriteProxy(proxy);
  EXPECT_EQ(Keys("PROXY"), (std::vector<std::string>{"Activate", "ADDRESS", "PORT", "USER", "PASS"}));
  EXPECT_TRUE(HasLine("PASS=2616"));
  const player::ProxySettings p = f.ReadProxy();
  EXPECT_TRUE(p.Enabled);
  EXPECT_EQ(p.Address, "proxy.local");
  EXPECT_EQ(p.Port, "3128");
  EXPECT_EQ(p.User, "me");
  EXPECT_EQ(p.Password, "ab");

  player::ScrobblerSettings account;
  account.Enabled = true;
  account.User = "Zoë";
  account.Password = "mot de passe é";
  f.WriteScrobblerAccount(account);
  EXPECT_EQ(Keys("LASTFMSCROBBLER"), (std::vector<std::string>{"Activate", "User", "Password"}));
  EXPECT_FALSE(HasLine("Password=mot de passe é"));
  const player::ScrobblerSettings back = f.ReadStartupSettings().Scrobbler;
  EXPECT_TRUE(back.Enabled);
  EXPECT_EQ(back.User, "Zoë");
  EXPECT_EQ(back.Password, "mot de passe é");

  Seed("[PROXY]\nPASS=2G16\n");
  EXPECT_EQ(f.ReadProxy().Password, "a?");
}

TEST_F(SettingsTest, AnUnwritableFileIsNotReportedAtCloseAndKeepsItsContent) {
  const SettingsFile missingFolder(sv::PathToUtf8(folder_ / "no such folder" / "Sorivanel.ini"));
  EXPECT_FALSE(missingFolder.WriteCloseSettings(true, CloseSettings{}));
  EXPECT_THROW(missingFolder.WriteSwitch(player::OptionSwitch::PlayAtStartup, true), sv::IniWriteError);
  EXPECT_EQ(missingFolder.ReadStartupSettings().Options.Skin, "default");
}

}  // namespace
