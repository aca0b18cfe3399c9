// Start-up of the main window: once before the message loop (Demarrage),
// and at its first showing (Initialisation).
#include <algorithm>
#include <optional>

#include "base/Ascii.h"
#include "base/IniFile.h"
#include "base/Paths.h"
#include "base/TextFile.h"
#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "net/core/ScrobblerProto.h"
#include "net/win32/Scrobbler.h"
#include "player/Extensions.h"
#include "player/PlaylistFiles.h"
#include "player/StartupRules.h"
#include "player/TextPieces.h"
#include "player/app/StationOpens.h"
#include "player/app/Steps.h"
#include "player/app/Unit1.h"
#include "player/platform/FolderListing.h"
#include "player/app/Unit_Form_InfoBulle.h"
#include "sono/include/sonocd.h"

namespace player {

namespace {

std::string ExecutableFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return sv::ExtractFilePath(forms::narrow(buffer));
}

void ErrorBox(const std::string& title, const std::string& text) {
  MessageBoxW(nullptr, forms::widen(text).c_str(), forms::widen(title).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// The CD add-on's drives; a drive letter is an offset from 'A'.
class SonoCdDrives : public CdDrives {
 public:
  int DriveLetter(int drive) override { return SONO_CD_GetDriveLetter(static_cast<DWORD>(drive)); }
  std::string DiscId(int drive) override {
    const char* id = SONO_CD_GetID(static_cast<DWORD>(drive), SONO_CDID_CDDB);
    return id ? id : "";
  }
};

// The CD lookup waits on the main window's timer, whose Tag is the drive.
class TimerCdLookup : public CdLookupTimer {
 public:
  explicit TimerCdLookup(desktop::TSimpleTimer& timer) : timer_(timer) {}
  bool Running() const override { return timer_.Enabled(); }
  void Start(int drive) override {
    timer_.Tag = drive;
    timer_.SetEnabled(true);
  }

 private:
  desktop::TSimpleTimer& timer_;
};

}  // namespace

void TForm1::Demarrage(const std::vector<std::string>& arguments) {
  // Whatever arrives meanwhile (through the boxes below, or a loop that
  // lets messages run) waits for the end of the start-up.
  std::optional<Work> startup;
  startup.emplace(*this, WorkKind::Startup);
  Stations = std::make_unique<StationOpens>(Handle(), kStationMessage);
  Initialised = false;
  FormShown = false;
  WmEnvoiAtom();
  ExeFolder = ExecutableFolder();
  IniFileName = ExeFolder + "Sorivanel.ini";
  PlaylistFile = ExeFolder + "Sorivanel.m3u";
  SetCurrentDirectoryW(forms::widen(ExeFolder).c_str());
  const SettingsFile settingsFile(IniFileName);
  const StartupSettings settings = settingsFile.ReadStartupSettings();

  if (HIWORD(SONO_GetVersion()) != 0x0203) {
    ErrorBox("Sono version problem", "An incorrect version of SONO.DLL was loaded");
    forms::Application->Halt(1);
  }
  if (!StartAudioLibrary(settings)) forms::Application->Halt(1);

  // Each step runs whatever the one before raised, and what failed is
  // reported once the start-up has ended: a half-started player would have
  // no tray icon and would still hold every later hand-over.
  Steps steps;
  steps.Run([&] {
    TimerAffichage =
        std::make_unique<desktop::TSimpleTimer>(20, [this](desktop::TSimpleTimer*) { TimerAffichageTimer(); });
    TimerAvancement = std::make_unique<desktop::TSimpleTimer>(100, Bind(this, &TForm1::TimerAvancementTimer));
    TimerCheckVersion =
        std::make_unique<desktop::TSimpleTimer>(30000, [this](desktop::TSimpleTimer*) { TimerCheckVersionTimer(); });
    TimerCDDB = std::make_unique<desktop::TSimpleTimer>(3000, [this](desktop::TSimpleTimer*) { TimerCDDBTimer(); });
  });
  steps.Run([&] {
    SupportedExtensions = SplitToList(kBuiltInExtensions, ';');
    LoadPlugins();
  });
  steps.Run([&] { OpenDialogFilter = BuildOpenFilter(SupportedExtensions); });
  steps.Run([&] {
    if (!settings.Proxy.Enabled) return;
    ProxyText = BuildProxyText(settings.Proxy);
    SONO_SetConfig(SONO_CONFIG_NET_PROXY, ProxyText.c_str());
  });

  LangFileName = ExeFolder + "lang\\" + settings.Options.Language;
  SkinFolder = sv::IncludeTrailingBackslash(ExeFolder + "skin\\" + settings.Options.Skin);
  if (!sv::FileExists(SkinFolder + "skin.ini")) SkinFolder = ExeFolder + "skin\\default\\";

  Flags = settings.Options.Flags;
  Volume.GlobalVolume = Flags.GlobalVolume;
  PreviewTop = settings.Options.PreviewTop;
  PreviewRight = settings.Options.PreviewRight;
  MsnNowPlaying = settings.MessengerNowPlaying;
  ScrobblerEnabled = settings.Scrobbler.Enabled;
  Templates = settings.Templates;
  steps.Run([&] {
    MenuShuffle->Checked = settings.Playback.Shuffle;
    MenuLectureBoucle->Checked = settings.Playback.LoopPlaylist;
    MenuResteAffichee->Checked = settings.Options.StayVisible;
    SetEqGains(Volume, settings.Equalizer);
  });
  steps.Run([&] {
    TimerCheckVersion->Tag = 0;
    if (settings.CheckNewVersion) TimerCheckVersion->SetEnabled(true);
  });
  steps.Run([&] {
    if (ScrobblerEnabled) StartScrobbler(settings);
  });
  steps.Run([&] {
    ProgressBar2->SetPosition(Flags.GlobalVolume ? VolumeBarFromLevel(SONO_GetVolume())
                                                 : std::clamp(settings.Playback.Volume, 0, 100));
    Volume.VolumeBar = static_cast<int>(ProgressBar2->Position());
  });
  steps.Run([&] { ChargeLangue(1); });
  steps.Run([&] { RegisterHotKeys(settings.HotKeys); });
  steps.Run([&] { LoadSavedPlaylist(); });

  steps.Run([&] { LoadIcons(settings.IconPath); });
  steps.Run([&] {
    TrayIcon1->Enabled = true;
    TrayIcon1->SetIconVisible(true);
  });

  steps.Run([&] {
    FormInfoBulle->ChargeSkin();
    BubbleOpacity = std::clamp(settings.Options.BubbleOpacity, 0, 255);
    FormInfoBulle->Tag = BubbleOpacity;
    FormInfoBulle->SetAlphaBlendValue(static_cast<std::uint8_t>(BubbleOpacity));
    FormInfoBulle->SetAlphaBlend(BubbleOpacity < 255);
    FormInfoBulle->LeftAnchor = settings.BubbleLeftAnchor;
    FormInfoBulle->TopAnchor = settings.BubbleTopAnchor;
  });

  steps.Run([&] {
    Lengths = std::make_unique<SonoLengthProbe>();
    SongInfo = std::make_unique<sv::tags::TSongInfo>(Lengths.get());
    Drives = std::make_unique<SonoCdDrives>();
    CdTimer = std::make_unique<TimerCdLookup>(*TimerCDDB);
    StartNetChecks();
  });

  steps.Run([&] {
    ActiveFichier(settings.Playback.CurrentIndex, settings.Playback.Position, settings.Playback.LengthBytes,
                  static_cast<float>(settings.Playback.LengthSeconds));
    if (settings.PlayAtStartup) LitFichier(true);
  });
  // The start-up's own argument is treated at once; it comes last there.
  if (!arguments.empty())
    steps.Run([&] { TreatArgument(arguments.front(), true, Keys->ShiftDown(), Keys->CtrlDown()); });
  StartupDone = true;
  startup.reset();
  if (const std::exception_ptr error = steps.FirstError()) forms::ReportException(error);
}

bool TForm1::StartAudioLibrary(const StartupSettings& settings) {
  const int device = settings.SoundDevice;
  if (SONO_Init(device, 44100, 0, Handle(), nullptr)) return true;
  ErrorBox("Sono initialize problem", "Can't initialize device: " + std::to_string(device) +
                                          "\nError code: " + std::to_string(SONO_ErrorGetCode()) +
                                          "\nWill try the default one");
  return SONO_Init(-1, 44100, 0, Handle(), nullptr) != FALSE;
}

void TForm1::LoadPlugins() {
  for (const FolderEntry& entry : ListFolder(ExeFolder, "sono*.dll")) {
    const std::string file = ExeFolder + entry.Name;
    const HSONOPLUGIN plugin = SONO_PluginLoad(file.c_str(), 0);
    if (!plugin) continue;
    const SONO_PLUGININFO* info = SONO_PluginGetInfo(plugin);
    if (!info) continue;
    for (DWORD i = 0; i < info->formatc; ++i) {
      if (!info->formats[i].exts) continue;
      for (std::string& ext : PluginExtensions(info->formats[i].exts))
        SupportedExtensions.push_back(sv::LowerAscii(std::string_view(ext)));
    }
  }
}

void TForm1::StartScrobbler(const StartupSettings& settings) {
  Scrobbler = forms::New<sv::net::TScrobbler>(this, "Scrobbler");
  Scrobbler->User = settings.Scrobbler.User;
  Scrobbler->Password = settings.Scrobbler.Password;
  Scrobbler->EnableLogFile = settings.Scrobbler.EnableLogFile;
  Scrobbler->ClientId = "xvq";
  Scrobbler->ClientVersion = "0.1";
  Scrobbler->HandshakeAddress = sv::net::HandshakeAddressFromSettings(sv::IniFile(IniFileName));
  if (settings.Proxy.Enabled) {
    Scrobbler->ProxyUser = settings.Proxy.User;
    Scrobbler->ProxyPassword = settings.Proxy.Password;
    Scrobbler->ProxyAddress = settings.Proxy.Address;
    Scrobbler->ProxyPort = settings.Proxy.Port;
  }
}

void TForm1::RegisterHotKeys(const HotKeySettings& hotKeys) {
  std::uint16_t* fields[] = {&HotKeyPlay,     &HotKeyPrev,          &HotKeyNext,
                             &HotKeyVolUp,    &HotKeyVolDwn,        &HotKeyShowHide,
                             &HotKeyAvancerRapide, &HotKeyReculerRapide};
  for (int i = 0; i < ini::kHotKeyActions; ++i) {
    const HotKey& key = hotKeys.Keys[static_cast<std::size_t>(i)];
    // A value without a key code would take every press of its modifiers.
    *fields[i] = key.Active && (key.Value & 0xFF) != 0
                     ? HotKeyManager1->RegisterHotKeyValue(static_cast<std::uint32_t>(key.Value))
                     : 0;
  }
}

// The saved playlist: quick, no tag is read.
void TForm1::LoadSavedPlaylist() {
  Playlist.clear();
  std::vector<std::string> lines;
  try {
    if (!sv::FileExists(PlaylistFile) || !ReadPlaylistLines(PlaylistFile, lines)) return;
  } catch (const sv::FileReadError& error) {
    // Locked, refused or too large: the run starts with an empty list, and
    // the close leaves the file as it is unless a new list was made.
    OwnPlaylistUnreadable = true;
    throw sv::Exception(std::string(error.what()) +
                        "\nThe playlist starts empty; the file is left as it is unless you make a new list.");
  }
  const auto entries =
      ReadOwnPlaylist(lines, sv::ExtractFilePath(PlaylistFile), SupportedExtensions,
                      [](const std::string& path) { return sv::FileExists(path); });
  for (const PlaylistEntry& entry : entries) AppendEntry(entry.Path, entry.Text);
}

void TForm1::Initialisation() {
  Initialised = true;
  forms::Application->OnDeactivate = [this](forms::TComponent*) { AppDeactivate(); };
  DragAcceptFiles(Handle(), TRUE);
  const SettingsFile settingsFile(IniFileName);
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const WindowLayout layout =
      settingsFile.ReadWindowLayout(WorkArea{area.left, area.top, area.right, area.bottom});
  SavedLayout = layout;
  TreeViewWidth = layout.TreeViewWidth;
  TreeView1->SetWidth(TreeViewWidth);
  int width = std::max(1, layout.Width), height = std::max(1, layout.Height);
  int left = layout.Left, top = layout.Top;
  // Saved bounds wholly off the screens (a monitor removed) would leave the
  // window out of reach: the defaults take over.
  const RECT saved{left, top, left + width, top + height};
  const RECT screens{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                     GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                     GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  RECT common{};
  if (!IntersectRect(&common, &saved, &screens)) {
    width = ini::defaults::kWidth;
    height = ini::defaults::kHeight;
    left = area.right - width - ini::defaults::kWorkAreaMargin;
    top = area.bottom - height - ini::defaults::kWorkAreaMargin;
  }
  SetBounds(left, top, width, height);
  LabelTemps->Tag = layout.TimeMode;
  SetLabelTemps(true);
  LoadSkin(false);
  if (layout.LastShownIndex == 1) {
    SpdBtnRep->SetDown(true);
  } else if (layout.LastShownIndex == 2) {
    SpdBtnListe->SetDown(true);
  } else if (layout.LastShownIndex == 3) {
    SpdBtnRep->SetDown(false);
    SpdBtnListe->SetDown(false);
  }
  SpdBtnRepClick(SpdBtnRep);
  MiseaJours(settingsFile.ReadSwitch(OptionSwitch::StartupFolderUpdate));
  PanelPreviewAlbum->SetLeft(Panel_Listes->Width() - PanelPreviewAlbum->Width() - PreviewRight);
  PanelPreviewAlbum->SetTop(PreviewTop);
  ExpandNodes(layout.ExpandedNodes);
}

}  // namespace player
