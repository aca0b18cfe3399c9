#pragma once
// The player's settings file: each group of keys with its defaults, read and
// written at the moments the player's windows need them. Every call opens the
// file, reads or writes and drops it within the call, so what the options
// window writes the next reader sees at once. Values are returned as they
// stand in the file; callers clamp what they use.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "player/SettingsKeys.h"

namespace player {

using EqGains = std::array<double, ini::kEqBands>;  // dB, band 1 (80 Hz) first

// Booleans of DATA that live in the player-wide flags during the run.
struct OptionFlags {
  bool AnimateTrayIcon = true;    // AnimerIcone
  bool ShowBalloon = true;        // AfficherBallon
  bool IncludeSubFolders = true;  // InclureSousRep
  bool ReadMetaTags = true;       // LireMetaTags
  bool ReadCddb = true;           // LireCDDB
  bool FadeIn = true;             // ApparitionProgressive
  bool GlobalVolume = true;       // ReglageVolumeGlobal
  bool AlbumCoverPreview = true;  // AlbumCoverPreview

  bool operator==(const OptionFlags&) const = default;
};

// DATA keys read at start-up and written back at every close.
struct SessionOptions {
  std::string Language = ini::defaults::kLanguage;  // file name inside "lang\"
  std::string Skin = ini::defaults::kSkin;          // folder name inside "skin\"
  OptionFlags Flags;
  bool StayVisible = false;  // ResteAffichee
  int32_t PreviewTop = ini::defaults::kPreviewTop;
  int32_t PreviewRight = ini::defaults::kPreviewRight;
  int32_t BubbleOpacity = ini::defaults::kBubbleOpacity;
};

// LECT keys read at start-up and written back at every close.
struct PlaybackState {
  bool Shuffle = false;
  bool LoopPlaylist = true;                   // LectureBoucle
  int32_t Volume = ini::defaults::kVolume;    // used only without GlobalVolume
  int32_t CurrentIndex = ini::defaults::kIndex;
  int64_t Position = ini::defaults::kPosition;        // bytes
  int64_t LengthBytes = ini::defaults::kLengthBytes;  // LengthB
  double LengthSeconds = 0;                           // LengthT
};

// Keys read when the main window is first shown and written at close only
// when it was shown during the run.
struct WindowLayout {
  int32_t Width = ini::defaults::kWidth;
  int32_t Height = ini::defaults::kHeight;
  int32_t Left = 0;  // the reader's default depends on the work area
  int32_t Top = 0;
  int32_t TreeViewWidth = ini::defaults::kTreeViewWidth;
  int32_t LastShownIndex = ini::defaults::kLastShownIndex;
  std::string ExpandedNodes = ini::defaults::kExpandedNodes;  // "3,7,12"
  int32_t TimeMode = ini::defaults::kTimeMode;                // LECT Temps
};

struct WorkArea {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

struct ProxySettings {
  bool Enabled = false;
  std::string Address;
  std::string Port;  // kept as typed
  std::string User;
  std::string Password;  // plain; stored encoded
};

struct ScrobblerSettings {
  bool Enabled = false;  // effective from the next start
  std::string User;
  std::string Password;  // plain; stored encoded
  bool EnableLogFile = true;  // edited by hand only; never written
};

struct TitleTemplates {
  std::string Tagged = ini::defaults::kTaggedTemplate;      // FormatNomTag
  std::string Untagged = ini::defaults::kUntaggedTemplate;  // FormatNomSansTag
  std::string CdTrack = ini::defaults::kCdTemplate;         // FormatNomCDA
};

struct HotKey {
  bool Active = true;
  int32_t Value = 0;
};

struct HotKeySettings {
  HotKeySettings();  // every action on, with its default keys
  HotKey& operator[](ini::HotKeyAction action) { return Keys[static_cast<std::size_t>(action)]; }
  const HotKey& operator[](ini::HotKeyAction action) const { return Keys[static_cast<std::size_t>(action)]; }
  std::array<HotKey, ini::kHotKeyActions> Keys;
};

// Everything the start-up reads in one pass.
struct StartupSettings {
  SessionOptions Options;
  bool BubbleLeftAnchor = false;  // edited by hand only; never written
  bool BubbleTopAnchor = false;   // edited by hand only; never written
  bool CheckNewVersion = true;
  bool PlayAtStartup = false;  // DemarrerLaLectureAuLancement
  bool MessengerNowPlaying = false;
  std::string IconPath;  // full path, or empty for the built-in icon
  PlaybackState Playback;
  EqGains Equalizer{};
  int32_t SoundDevice = ini::defaults::kDevice;
  ProxySettings Proxy;
  ScrobblerSettings Scrobbler;
  TitleTemplates Templates;
  HotKeySettings HotKeys;
};

// What the main window saves when it closes.
struct CloseSettings {
  PlaybackState Playback;
  SessionOptions Options;
  // Saved only when the window was shown during the run.
  EqGains Equalizer{};
  WindowLayout Layout;
};

// Options that the options window writes as soon as they change.
enum class OptionSwitch {
  CheckNewVersion,      // DATA CheckNouvelleVersion
  PlayAtStartup,        // DATA DemarrerLaLectureAuLancement
  StartupFolderUpdate,  // DATA StartupFolderUpdate
  MessengerNowPlaying,  // MSNCURRENTPLAY Activate
};

enum class IconKind {
  MainWindow,      // DATA Icone: main window and tray
  AssociatedFile,  // DATA IconeFichiersAssocies
};

class SettingsFile {
 public:
  explicit SettingsFile(std::string iniFileName);
  const std::string& FileName() const { return fileName_; }

  StartupSettings ReadStartupSettings() const;
  // Gauche and Haut default to the bottom-right corner of the work area.
  WindowLayout ReadWindowLayout(const WorkArea& workArea) const;

  // One replace of the file. A file that cannot be written is not reported
  // to the user: the result says whether the settings were saved.
  bool WriteCloseSettings(bool windowWasShown, const CloseSettings& settings) const;

  // The options window's readers and writers. Writers raise sv::IniWriteError
  // when the file cannot be written.
  bool ReadSwitch(OptionSwitch option) const;
  void WriteSwitch(OptionSwitch option, bool value) const;

  std::string ReadIconPath(IconKind kind) const;  // full path or empty
  void WriteIconPath(IconKind kind, const std::string& path) const;  // empty: the built-in icon

  int32_t ReadSoundDevice() const;
  void WriteSoundDevice(int32_t device) const;

  ProxySettings ReadProxy() const;
  void WriteProxy(const ProxySettings& proxy) const;

  ScrobblerSettings ReadScrobbler() const;
  void WriteScrobblerAccount(const ScrobblerSettings& account) const;  // all but EnableLogFile

  TitleTemplates ReadTitleTemplates() const;
  void WriteTitleTemplates(const TitleTemplates& templates) const;

  HotKeySettings ReadHotKeys() const;
  void WriteHotKeys(const HotKeySettings& hotKeys) const;

  // Full paths in list order; the section is erased and rewritten whole.
  std::vector<std::string> ReadBaseFolders() const;
  void WriteBaseFolders(const std::vector<std::string>& folders) const;

 private:
  std::string fileName_;
  std::string folder_;  // relative paths are stored against it
};

}  // namespace player
