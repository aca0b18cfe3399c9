#include "player/Settings.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "base/IniFile.h"
#include "base/PasswordCoding.h"
#include "base/Paths.h"

namespace player {
namespace {

namespace sec = ini::section;
namespace key = ini::key;
namespace def = ini::defaults;

std::string EqKey(int band) { return std::string(key::kEqPrefix) + std::to_string(band + 1); }

struct SwitchKey {
  const char* Section;
  const char* Key;
  bool Default;
};

SwitchKey KeyOf(OptionSwitch option) {
  switch (option) {
    case OptionSwitch::CheckNewVersion: return {sec::kData, key::kCheckNewVersion, true};
    case OptionSwitch::PlayAtStartup: return {sec::kData, key::kPlayAtStartup, false};
    case OptionSwitch::StartupFolderUpdate: return {sec::kData, key::kStartupFolderUpdate, false};
    case OptionSwitch::MessengerNowPlaying: return {sec::kMessenger, key::kMessengerEnabled, false};
  }
  return {sec::kData, key::kCheckNewVersion, true};
}

const char* KeyOf(IconKind kind) {
  return kind == IconKind::MainWindow ? key::kIcon : key::kAssociatedFileIcon;
}

// Paths the user chose are kept relative to the settings file's folder, so
// the player folder can move as a whole. An empty icon value means the
// built-in icon, so the folder itself is stored as ".\" rather than as the
// empty relative path.
std::string StoredPath(const std::string& folder, const std::string& path) {
  if (path.empty()) return path;
  const std::string relative = sv::ExtractRelativePath(folder, path);
  return relative.empty() ? ".\\" : relative;
}

std::string FullIconPath(const std::string& folder, const std::string& stored) {
  return stored.empty() ? stored : sv::ExpandFileName(stored, folder);
}

SessionOptions ReadSessionOptions(const sv::IniFile& f) {
  SessionOptions o;
  o.Language = f.ReadString(sec::kData, key::kLanguage, def::kLanguage);
  o.Skin = f.ReadString(sec::kData, key::kSkin, def::kSkin);
  OptionFlags& g = o.Flags;
  g.AnimateTrayIcon = f.ReadBool(sec::kData, key::kAnimateTrayIcon, g.AnimateTrayIcon);
  g.ShowBalloon = f.ReadBool(sec::kData, key::kShowBalloon, g.ShowBalloon);
  g.IncludeSubFolders = f.ReadBool(sec::kData, key::kIncludeSubFolders, g.IncludeSubFolders);
  g.ReadMetaTags = f.ReadBool(sec::kData, key::kReadMetaTags, g.ReadMetaTags);
  g.ReadCddb = f.ReadBool(sec::kData, key::kReadCddb, g.ReadCddb);
  g.FadeIn = f.ReadBool(sec::kData, key::kFadeIn, g.FadeIn);
  g.GlobalVolume = f.ReadBool(sec::kData, key::kGlobalVolume, g.GlobalVolume);
  g.AlbumCoverPreview = f.ReadBool(sec::kData, key::kAlbumCoverPreview, g.AlbumCoverPreview);
  o.StayVisible = f.ReadBool(sec::kData, key::kStayVisible, o.StayVisible);
  o.PreviewTop = f.ReadInteger(sec::kData, key::kPreviewTop, def::kPreviewTop);
  o.PreviewRight = f.ReadInteger(sec::kData, key::kPreviewRight, def::kPreviewRight);
  o.BubbleOpacity = f.ReadInteger(sec::kData, key::kBubbleOpacity, def::kBubbleOpacity);
  return o;
}

PlaybackState ReadPlayback(const sv::IniFile& f) {
  PlaybackState p;
  p.Shuffle = f.ReadBool(sec::kPlayback, key::kShuffle, p.Shuffle);
  p.LoopPlaylist = f.ReadBool(sec::kPlayback, key::kLoopPlaylist, p.LoopPlaylist);
  p.Volume = f.ReadInteger(sec::kPlayback, key::kVolume, def::kVolume);
  p.CurrentIndex = f.ReadInteger(sec::kPlayback, key::kIndex, def::kIndex);
  p.Position = f.ReadInt64(sec::kPlayback, key::kPosition, def::kPosition);
  p.LengthBytes = f.ReadInt64(sec::kPlayback, key::kLengthBytes, def::kLengthBytes);
  p.LengthSeconds = f.ReadFloat(sec::kPlayback, key::kLengthSeconds, 0);
  return p;
}

EqGains ReadEqualizer(const sv::IniFile& f) {
  EqGains gains{};
  for (int band = 0; band < ini::kEqBands; ++band) gains[band] = f.ReadFloat(sec::kPlayback, EqKey(band), 0);
  return gains;
}

ProxySettings ReadProxy(const sv::IniFile& f) {
  ProxySettings p;
  p.Enabled = f.ReadBool(sec::kProxy, key::kProxyEnabled, false);
  p.User = f.ReadString(sec::kProxy, key::kProxyUser, "");
  p.Password = sv::DecodePassword(f.ReadString(sec::kProxy, key::kProxyPassword, ""));
  p.Address = f.ReadString(sec::kProxy, key::kProxyAddress, "");
  p.Port = f.ReadString(sec::kProxy, key::kProxyPort, "");
  return p;
}

ScrobblerSettings ReadScrobbler(const sv::IniFile& f) {
  ScrobblerSettings s;
  s.Enabled = f.ReadBool(sec::kScrobbler, key::kScrobblerEnabled, false);
  s.User = f.ReadString(sec::kScrobbler, key::kScrobblerUser, "");
  s.Password = sv::DecodePassword(f.ReadString(sec::kScrobbler, key::kScrobblerPassword, ""));
  s.EnableLogFile = f.ReadBool(sec::kScrobbler, key::kScrobblerLogFile, true);
  return s;
}

TitleTemplates ReadTitleTemplates(const sv::IniFile& f) {
  TitleTemplates t;
  t.Tagged = f.ReadString(sec::kTitleTemplates, key::kTaggedTemplate, def::kTaggedTemplate);
  t.Untagged = f.ReadString(sec::kTitleTemplates, key::kUntaggedTemplate, def::kUntaggedTemplate);
  t.CdTrack = f.ReadString(sec::kTitleTemplates, key::kCdTemplate, def::kCdTemplate);
  return t;
}

HotKeySettings ReadHotKeys(const sv::IniFile& f) {
  HotKeySettings h;
  for (const ini::HotKeyKeys& k : ini::kHotKeyTable) {
    HotKey& hotKey = h[k.Action];
    hotKey.Active = f.ReadBool(sec::kHotKeys, k.EnableKey, true);
    // Values are 16 bits wide: higher bits of a hand-edited value would add
    // modifiers the page cannot show.
    hotKey.Value = f.ReadInteger(sec::kHotKeys, k.ValueKey, k.DefaultValue) & 0xFFFF;
  }
  return h;
}

bool ReadSwitch(const sv::IniFile& f, OptionSwitch option) {
  const SwitchKey k = KeyOf(option);
  return f.ReadBool(k.Section, k.Key, k.Default);
}

void WriteCloseKeys(sv::IniFile& f, bool windowWasShown, const CloseSettings& s) {
  const PlaybackState& p = s.Playback;
  f.WriteInteger(sec::kPlayback, key::kVolume, p.Volume);
  f.WriteInteger(sec::kPlayback, key::kIndex, p.CurrentIndex);
  f.WriteInt64(sec::kPlayback, key::kPosition, p.Position);
  f.WriteInt64(sec::kPlayback, key::kLengthBytes, p.LengthBytes);
  f.WriteFloat(sec::kPlayback, key::kLengthSeconds, p.LengthSeconds);
  f.WriteBool(sec::kPlayback, key::kShuffle, p.Shuffle);
  f.WriteBool(sec::kPlayback, key::kLoopPlaylist, p.LoopPlaylist);

  const SessionOptions& o = s.Options;
  const OptionFlags& g = o.Flags;
  f.WriteBool(sec::kData, key::kStayVisible, o.StayVisible);
  f.WriteBool(sec::kData, key::kShowBalloon, g.ShowBalloon);
  f.WriteBool(sec::kData, key::kAnimateTrayIcon, g.AnimateTrayIcon);
  f.WriteBool(sec::kData, key::kIncludeSubFolders, g.IncludeSubFolders);
  f.WriteBool(sec::kData, key::kReadMetaTags, g.ReadMetaTags);
  f.WriteBool(sec::kData, key::kReadCddb, g.ReadCddb);
  f.WriteBool(sec::kData, key::kFadeIn, g.FadeIn);
  f.WriteBool(sec::kData, key::kGlobalVolume, g.GlobalVolume);
  f.WriteBool(sec::kData, key::kAlbumCoverPreview, g.AlbumCoverPreview);
  f.WriteInteger(sec::kData, key::kPreviewTop, o.PreviewTop);
  f.WriteInteger(sec::kData, key::kPreviewRight, o.PreviewRight);
  f.WriteString(sec::kData, key::kLanguage, o.Language);
  f.WriteString(sec::kData, key::kSkin, o.Skin);
  f.WriteInteger(sec::kData, key::kBubbleOpacity, o.BubbleOpacity);

  // A run that never showed the window knows nothing new about its layout,
  // time mode or equalizer: what the file holds stays as it is.
  if (!windowWasShown) return;
  const WindowLayout& w = s.Layout;
  f.WriteInteger(sec::kPlayback, key::kTimeMode, w.TimeMode);
  for (int band = 0; band < ini::kEqBands; ++band) f.WriteFloat(sec::kPlayback, EqKey(band), s.Equalizer[band]);
  f.WriteInteger(sec::kData, key::kWidth, w.Width);
  f.WriteInteger(sec::kData, key::kHeight, w.Height);
  f.WriteInteger(sec::kData, key::kLeft, w.Left);
  f.WriteInteger(sec::kData, key::kTop, w.Top);
  f.WriteInteger(sec::kData, key::kTreeViewWidth, w.TreeViewWidth);
  f.WriteInteger(sec::kData, key::kLastShownIndex, w.LastShownIndex);
  f.WriteString(sec::kData, key::kExpandedNodes, w.ExpandedNodes);
}

}  // namespace

HotKeySettings::HotKeySettings() {
  for (const ini::HotKeyKeys& k : ini::kHotKeyTable) (*this)[k.Action] = HotKey{true, k.DefaultValue};
}

SettingsFile::SettingsFile(std::string iniFileName)
    : fileName_(std::move(iniFileName)), folder_(sv::ExtractFilePath(fileName_)) {}

StartupSettings SettingsFile::ReadStartupSettings() const {
  const sv::IniFile f(fileName_);
  StartupSettings s;
  s.Options = ReadSessionOptions(f);
  s.BubbleLeftAnchor = f.ReadBool(sec::kData, key::kBubbleLeftAnchor, false);
  s.BubbleTopAnchor = f.ReadBool(sec::kData, key::kBubbleTopAnchor, false);
  s.CheckNewVersion = player::ReadSwitch(f, OptionSwitch::CheckNewVersion);
  s.PlayAtStartup = player::ReadSwitch(f, OptionSwitch::PlayAtStartup);
  s.MessengerNowPlaying = player::ReadSwitch(f, OptionSwitch::MessengerNowPlaying);
  s.IconPath = FullIconPath(folder_, f.ReadString(sec::kData, key::kIcon, ""));
  s.Playback = ReadPlayback(f);
  s.Equalizer = ReadEqualizer(f);
  s.SoundDevice = f.ReadInteger(sec::kSoundDevice, key::kDevice, def::kDevice);
  s.Proxy = player::ReadProxy(f);
  s.Scrobbler = player::ReadScrobbler(f);
  s.Templates = player::ReadTitleTemplates(f);
  s.HotKeys = player::ReadHotKeys(f);
  return s;
}

WindowLayout SettingsFile::ReadWindowLayout(const WorkArea& workArea) const {
  const sv::IniFile f(fileName_);
  WindowLayout w;
  w.Width = f.ReadInteger(sec::kData, key::kWidth, def::kWidth);
  w.Height = f.ReadInteger(sec::kData, key::kHeight, def::kHeight);
  // Computed in 64 bits: a hand-edited size must not overflow the default.
  const auto corner = [](int32_t edge, int32_t size) {
    const int64_t v = int64_t{edge} - size - def::kWorkAreaMargin;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  w.Left = f.ReadInteger(sec::kData, key::kLeft, corner(workArea.Right, w.Width));
  w.Top = f.ReadInteger(sec::kData, key::kTop, corner(workArea.Bottom, w.Height));
  w.TreeViewWidth = f.ReadInteger(sec::kData, key::kTreeViewWidth, def::kTreeViewWidth);
  w.LastShownIndex = f.ReadInteger(sec::kData, key::kLastShownIndex, def::kLastShownIndex);
  w.ExpandedNodes = f.ReadString(sec::kData, key::kExpandedNodes, def::kExpandedNodes);
  w.TimeMode = f.ReadInteger(sec::kPlayback, key::kTimeMode, def::kTimeMode);
  return w;
}

bool SettingsFile::WriteCloseSettings(bool windowWasShown, const CloseSettings& settings) const {
  try {
    sv::IniFile f(fileName_);
    f.BeginUpdate();
    WriteCloseKeys(f, windowWasShown, settings);
    f.EndUpdate();
    return true;
  } catch (const sv::IniWriteError&) {
    return false;
  }
}

bool SettingsFile::ReadSwitch(OptionSwitch option) const { return player::ReadSwitch(sv::IniFile(fileName_), option); }

void SettingsFile::WriteSwitch(OptionSwitch option, bool value) const {
  const SwitchKey k = KeyOf(option);
  sv::IniFile(fileName_).WriteBool(k.Section, k.Key, value);
}

std::string SettingsFile::ReadIconPath(IconKind kind) const {
  return FullIconPath(folder_, sv::IniFile(fileName_).ReadString(sec::kData, KeyOf(kind), ""));
}

void SettingsFile::WriteIconPath(IconKind kind, const std::string& path) const {
  sv::IniFile(fileName_).WriteString(sec::kData, KeyOf(kind), StoredPath(folder_, path));
}

int32_t SettingsFile::ReadSoundDevice() const {
  return sv::IniFile(fileName_).ReadInteger(sec::kSoundDevice, key::kDevice, def::kDevice);
}

void SettingsFile::WriteSoundDevice(int32_t device) const {
  sv::IniFile(fileName_).WriteInteger(sec::kSoundDevice, key::kDevice, device);
}

ProxySettings SettingsFile::ReadProxy() const { return player::ReadProxy(sv::IniFile(fileName_)); }

void SettingsFile::WriteProxy(const ProxySettings& proxy) const {
  sv::IniFile f(fileName_);
  f.BeginUpdate();
  f.WriteBool(sec::kProxy, key::kProxyEnabled, proxy.Enabled);
  f.WriteString(sec::kProxy, key::kProxyAddress, proxy.Address);
  f.WriteString(sec::kProxy, key::kProxyPort, proxy.Port);
  f.WriteString(sec::kProxy, key::kProxyUser, proxy.User);
  f.WriteString(sec::kProxy, key::kProxyPassword, sv::EncodePassword(proxy.Password));
  f.EndUpdate();
}

ScrobblerSettings SettingsFile::ReadScrobbler() const { return player::ReadScrobbler(sv::IniFile(fileName_)); }

void SettingsFile::WriteScrobblerAccount(const ScrobblerSettings& account) const {
  sv::IniFile f(fileName_);
  f.BeginUpdate();
  f.WriteBool(sec::kScrobbler, key::kScrobblerEnabled, account.Enabled);
  f.WriteString(sec::kScrobbler, key::kScrobblerUser, account.User);
  f.WriteString(sec::kScrobbler, key::kScrobblerPassword, sv::EncodePassword(account.Password));
  f.EndUpdate();
}

TitleTemplates SettingsFile::ReadTitleTemplates() const { return player::ReadTitleTemplates(sv::IniFile(fileName_)); }

void SettingsFile::WriteTitleTemplates(const TitleTemplates& templates) const {
  sv::IniFile f(fileName_);
  f.BeginUpdate();
  f.WriteString(sec::kTitleTemplates, key::kTaggedTemplate, templates.Tagged);
  f.WriteString(sec::kTitleTemplates, key::kUntaggedTemplate, templates.Untagged);
  f.WriteString(sec::kTitleTemplates, key::kCdTemplate, templates.CdTrack);
  f.EndUpdate();
}

HotKeySettings SettingsFile::ReadHotKeys() const { return player::ReadHotKeys(sv::IniFile(fileName_)); }

void SettingsFile::WriteHotKeys(const HotKeySettings& hotKeys) const {
  sv::IniFile f(fileName_);
  f.BeginUpdate();
  for (const ini::HotKeyKeys& k : ini::kHotKeyTable) f.WriteBool(sec::kHotKeys, k.EnableKey, hotKeys[k.Action].Active);
  for (const ini::HotKeyKeys& k : ini::kHotKeyTable)
    f.WriteInteger(sec::kHotKeys, k.ValueKey, hotKeys[k.Action].Value & 0xFFFF);
  f.EndUpdate();
}

std::vector<std::string> SettingsFile::ReadBaseFolders() const {
  const sv::IniFile f(fileName_);
  std::vector<std::string> folders;
  // Keys "0", "1", ... without gaps: the first missing number ends the list.
  // An empty value is the settings folder, as older versions read it.
  for (std::size_t i = 0;; ++i) {
    const std::string name = std::to_string(i);
    if (!f.ValueExists(sec::kBaseFolders, name)) break;
    folders.push_back(sv::ExpandFileName(f.ReadString(sec::kBaseFolders, name, ""), folder_));
  }
  return folders;
}

void SettingsFile::WriteBaseFolders(const std::vector<std::string>& folders) const {
  sv::IniFile f(fileName_);
  f.BeginUpdate();
  f.EraseSection(sec::kBaseFolders);
  for (std::size_t i = 0; i < folders.size(); ++i)
    f.WriteString(sec::kBaseFolders, std::to_string(i), StoredPath(folder_, folders[i]));
  f.EndUpdate();
}

}  // namespace player
