#pragma once
// The player's main window. One class whose member functions are defined by
// concern: the form and its components (Unit1_Form), start-up
// (Unit1_Startup), the playback road (Unit1_Playback), the cover preview
// (Unit1_Cover), position and hot keys (Unit1_Position), commands and the
// hand-over (Unit1_Commands), and the close (Unit1_Close).
#include <windows.h>

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/HotKeyManager.h"
#include "desktop/SimpleTimer.h"
#include "desktop/SnapForm.h"
#include "desktop/TextTrayIcon.h"
#include "forms/Form.h"
#include "forms/Edit.h"
#include "forms/GdiObject.h"
#include "forms/ImageView.h"
#include "forms/Label.h"
#include "forms/ListBox.h"
#include "forms/Panel.h"
#include "forms/ProgressBar.h"
#include "forms/ShortcutMenu.h"
#include "forms/SpeedButton.h"
#include "forms/Splitter.h"
#include "forms/TreeView.h"
#include "player/DisplayTitle.h"
#include "player/FolderWalk.h"
#include "player/LongWork.h"
#include "player/PlaylistFiles.h"
#include "player/Settings.h"
#include "player/SonoLengthProbe.h"
#include "player/VolumeEqualizer.h"
#include "player/app/Unit_CDDB.h"
#include "player/app/Unit_CheckVersion.h"
#include "player/app/Unit_Gestion_Langue.h"
#include "skin/SkinFormat.h"
#include "sono/include/sono.h"
#include "tags/Unit_SongTagInfos.h"

namespace sv::net {
class TScrobbler;
}

namespace player {

class StationOpens;
class TFormInfoBulle;
class TFormTag;

// Messages the main window posts to itself.
inline constexpr UINT kEndOfSongMessage = WM_APP + 1;   // wParam: the channel that ended
inline constexpr UINT kStreamTitleMessage = WM_APP + 2;  // a stream title waits in the queue
inline constexpr UINT kWaitingMessage = WM_APP + 3;      // requests that waited for long work may run
inline constexpr UINT kOpenDialogMessage = WM_APP + 4;   // "/open" outside the sender's call
inline constexpr UINT kStationMessage = WM_APP + 5;      // wParam: the ticket of a station's open that ended

// Where key states come from; tests of the program replace it.
class KeyStateSource {
 public:
  virtual ~KeyStateSource() = default;
  virtual bool ShiftDown() const;
  virtual bool CtrlDown() const;
};

class TForm1 : public forms::TForm {
  // The options window reads and changes the player-wide settings below.
  friend class TFormOptions;

 public:
  explicit TForm1(forms::TComponent* owner);
  ~TForm1() override;

  // Start-up, once before the message loop; Initialisation at the first showing.
  void Demarrage(const std::vector<std::string>& arguments);
  void Initialisation();

  // The playback road.
  void ActiveFichier(int Index, std::int64_t Position, std::int64_t LengthB, float LengthT);
  void LitFichier(bool ShowBubble);
  void PauseFichier();
  void DesactiveFichier(bool ClearCover);
  void LecturePause();
  void LecturePrevNext(bool Prev, bool Continue);
  void SpdBtnPlayClick(forms::TComponent* Sender);
  void ListBox1DblClick(forms::TComponent* Sender);

  // Position, time label and hot keys.
  void SetLabelTemps(bool Refresh);
  void TimerAvancementTimer(desktop::TSimpleTimer* Sender);
  void HotKeyManager1HotKeyPressed(std::uint32_t HotKey, std::uint16_t Index);
  void MoveBy(float seconds);
  void ProgressBar1MouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X,
                             int Y);
  void ProgressBar1MouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void ProgressBar2MouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X,
                             int Y);
  void ProgressBar2MouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void LabelTempsMouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X,
                           int Y);

  // Commands.
  void TraiteParam(const std::string& Param, bool Play);
  void WMDropFiles(HDROP drop);
  void FormKeyDown(forms::TComponent* Sender, std::uint16_t& Key, forms::ShiftState Shift);

  // Showing and hiding the window.
  void AfficheForm(int Page, bool Immediate);
  void CacheForm(bool Immediate);

  // The window's look and its frameless handling (Unit1_Skin,
  // Unit1_Appearance).
  void TrayIcon1MouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);
  void TrayIcon1DblClick(forms::TComponent* Sender);
  void MenuOptionsClick(forms::TComponent* Sender);
  void SpdBtnEgaliseurClick(forms::TComponent* Sender);
  void FormMouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void FormMouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);
  void FormPaint(forms::TComponent* Sender);
  void FormResize(forms::TComponent* Sender);
  void ListBox1DrawItem(forms::ListBox& List, int Index, HDC Dc, const RECT& Rect, bool Selected, bool Focused);
  void TreeView1AdvancedCustomDrawItem(forms::TreeView& Sender, forms::TreeNode Node, forms::TreeNodeDraw& Draw);
  void Splitter1Moved(forms::TComponent* Sender);
  // Places the tree, the splitter and the playlist in the lists panel by
  // which of them are visible: the tree alone fills it, the playlist alone
  // fills it, both share it with the tree on the left at its width.
  void AlignLists();
  // The playlist and the tree, whose drawing shows the current entry.
  void RepaintLists();
  void PanelPreviewAlbumMouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void ImgPreviewAlbumDblClick(forms::TComponent* Sender);

  // What may run while long work lets messages through: every entry point
  // hands its request here (the table in LongWork).
  bool Request(RequestKind kind, std::function<void()> action);
  // Work that holds the list runs: the start-up, an import, a song change,
  // a tree scan or a tag write.
  bool Busy() const;
  // A long piece of work of the main window or of a window that works on
  // its lists, declared to the gate for as long as it runs; a list
  // operation shows the hourglass meanwhile.
  class Work {
   public:
    Work(TForm1& form, WorkKind kind, std::function<void()> onEnd = {});
    ~Work();
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;
    bool EndRequested() const { return scope_.EndRequested(); }

   private:
    TForm1& form_;
    WorkGate::Scope scope_;
    HCURSOR cursor_;
  };

  // Stream titles and module names.
  void ShowModuleName(HSONOCHANNEL channel);
  void ApplyStreamTitle(HSONOCHANNEL channel, const std::string* data, bool fromLibrary);

  void FormClose(forms::TComponent* Sender, forms::CloseAction& Action);
  void FormCloseQuery(forms::TComponent* Sender, bool& CanClose);
  void AjouteRepLecture(const std::string& Folder, bool Recurse, bool Start);

  // The playlist's context menu and commands (Unit1_Playlist), the open and
  // save dialogs (Unit1_PlaylistDialogs) and the search box
  // (Unit1_SearchBox).
  void ListBox1MouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);
  void ListBox1MouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void PopupMenuPlaylistDrawItem(forms::MenuEntry& Item, HDC Dc, const RECT& Rect, bool Selected);
  void MenuEcouterChansonClick(forms::TComponent* Sender);
  // Opens the tag editor on the selection (defined in Unit_Form_Tag).
  void MenuEditeurTagClick(forms::TComponent* Sender);
  void MenuSelectAllClick(forms::TComponent* Sender);
  void MenuSupprimerChansonClick(forms::TComponent* Sender);
  void MenuRechercherChansonClick(forms::TComponent* Sender);
  void MenuSauverListeClick(forms::TComponent* Sender);
  void MenuRefreshListeClick(forms::TComponent* Sender);
  void MenuOuvrirFichierClick(forms::TComponent* Sender);
  void LblLancerRechercheClick(forms::TComponent* Sender);
  void RechercheTexteChange(forms::TComponent* Sender);
  void LblFermeRechercheClick(forms::TComponent* Sender);
  void LblMouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);
  void LblMouseUp(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);
  void RechercheBoxMouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);

  // The CD lookup and the version check (Unit1_NetChecks); the about page
  // calls CheckNewVersion(true).
  void TimerCheckVersionTimer();
  void TimerCDDBTimer();
  bool CheckNewVersion(bool Interactive);

  // The fade, the hide on deactivation, the skin and the quit command.
  void TimerAffichageTimer();
  void AppDeactivate();
  void LoadSkin(bool Reload);
  void MenuQuitterClick(forms::TComponent* Sender);

  // The folder tree (Unit1_Tree) and its commands (Unit1_TreeMenu).
  void SpdBtnRepClick(forms::TComponent* Sender);
  void MiseaJours(bool Rescan);
  // Adds a base folder's node and its sub-tree; `stop` ends the scan early.
  void AjouteRep(const std::string& Folder, const std::function<bool()>& stop = {});
  std::string ReconstruitRep(forms::TreeNode Node) const;
  void ExpandNodes(const std::string& nodes);
  std::string ExpandedNodesText() const;
  // Writes "Sorivanel.tree" unless the tree is incomplete (a rebuild that
  // failed or was cut short by the close): then the old cache stays.
  void SaveTreeCache();
  void TreeView1MouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);
  void TreeView1MouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void PopupMenuRepDrawItem(forms::MenuEntry& Item, HDC Dc, const RECT& Rect, bool Selected);
  void MenuLireRepClick(forms::TComponent* Sender);
  void MenuMettreSuiteClick(forms::TComponent* Sender);
  void MenuChansonsClick(forms::TComponent* Sender);
  void MenuExplorerRepClick(forms::TComponent* Sender);
  void MenuChercherDansRepClick(forms::TComponent* Sender);
  void MenuGererRepClick(forms::TComponent* Sender);
  void MenuRefreshRepClick(forms::TComponent* Sender);

  // State other windows read or change.
  std::vector<std::string> Playlist;  // parallel to ListBox1's texts
  int CurrentIndex = -1;
  HSONOCHANNEL Channel = 0;
  std::unique_ptr<sv::tags::TSongInfo> SongInfo;
  float LengthSeconds = 0;
  float ElapsedSeconds = 0;
  std::vector<std::string> ShuffleHistory;
  std::string PlaylistFile;
  bool FormShown = false;
  bool Initialised = false;
  TVolumeState Volume;  // Channel, EqGain, EqFx, EqParam and the volume bar
  sv::net::TScrobbler* Scrobbler = nullptr;
  std::string LangFileName;  // the current language file

  std::unique_ptr<desktop::TSimpleTimer> TimerAffichage, TimerAvancement, TimerCheckVersion, TimerCDDB;
  std::uint16_t HotKeyPlay = 0, HotKeyPrev = 0, HotKeyNext = 0, HotKeyVolUp = 0, HotKeyVolDwn = 0,
                HotKeyShowHide = 0, HotKeyAvancerRapide = 0, HotKeyReculerRapide = 0;

  // Components.
  forms::Panel* Panel_Listes = nullptr;
  forms::ListBox* ListBox1 = nullptr;
  forms::TreeView* TreeView1 = nullptr;  // Tag: the hot and playing-folder text colour
  forms::Splitter* Splitter1 = nullptr;
  // The folder menu; MenuLireRep's hint holds the folder its commands act on.
  forms::ShortcutMenu* PopupMenuRep = nullptr;
  forms::MenuEntry *MenuMettreSuite = nullptr, *MenuMettreSuiteRecurse = nullptr,
                   *MenuMettreSuiteDontRecurse = nullptr, *MenuMettreSuite2 = nullptr, *MenuLireRep = nullptr,
                   *MenuLireRepRecurse = nullptr, *MenuLireRepDontRecurse = nullptr, *MenuLireRep2 = nullptr,
                   *MenuChansons = nullptr, *MenuExplorerRep = nullptr, *MenuEditerPlayliste = nullptr,
                   *MenuChercherDansRep = nullptr, *MenuGererRep = nullptr, *MenuRefreshRep = nullptr;
  forms::ProgressBar* ProgressBar1 = nullptr;  // seek, in bytes
  forms::ProgressBar* ProgressBar2 = nullptr;  // volume, 0..100
  forms::SpeedButton* SpdBtnPrev = nullptr;
  forms::SpeedButton* SpdBtnPlay = nullptr;
  forms::SpeedButton* SpdBtnNext = nullptr;
  forms::SpeedButton* SpdBtnRep = nullptr;
  forms::SpeedButton* SpdBtnListe = nullptr;
  forms::SpeedButton* SpdBtnEgaliseur = nullptr;
  forms::SpeedButton* SpdBtnOptions = nullptr;
  forms::Label* LabelTemps = nullptr;  // Tag: 0 remaining, 1 elapsed, 2 total
  forms::Panel* PanelPreviewAlbum = nullptr;  // Tag: picture height/width in percent
  forms::ImageView* ImgPreviewAlbum = nullptr;
  forms::ShortcutMenu* PopupMenu1 = nullptr;
  forms::MenuEntry *MenuAfficher = nullptr, *MenuOuvrirFichier = nullptr, *MenuPlayPause = nullptr,
                   *MenuPrev = nullptr, *MenuNext = nullptr, *MenuShuffle = nullptr, *MenuLectureBoucle = nullptr,
                   *MenuResteAffichee = nullptr, *MenuOptions = nullptr, *MenuQuitter = nullptr;
  desktop::TTextTrayIcon* TrayIcon1 = nullptr;
  desktop::THotKeyManager* HotKeyManager1 = nullptr;
  desktop::TSnapForm* SnapForm1 = nullptr;
  forms::ShortcutMenu* PopupMenuPlaylist = nullptr;
  forms::MenuEntry *MenuEcouterChanson = nullptr, *MenuEditeurTag = nullptr, *MenuSelectAll = nullptr,
                   *MenuSupprimerChanson = nullptr, *MenuRechercherChanson = nullptr, *MenuSauverListe = nullptr,
                   *MenuRefreshListe = nullptr;
  forms::Panel* RechercheBox = nullptr;  // Hint: the drag's grab point, "XxY"
  forms::Edit* RechercheTexte = nullptr;  // Tag: 1 after typing, 0 after a find by key or link
  forms::Label *LblLancerRecherche = nullptr, *LblFermeRecherche = nullptr;

  // The picture shown in the preview: the file, plus for an embedded picture
  // the song and a digest of its bytes (two songs share "temp.jpg").
  std::string ShownCover;
  // ImagePlay and ImagePause: the play button's two pictures, from the skin.
  std::shared_ptr<const forms::PixelBitmap> ImagePlay, ImagePause;
  bool ShowsPauseGlyph = false;
  int PreviewTop = 10;
  int TreeViewWidth = 100;  // the tree's width when it shares the panel with the playlist
  int PreviewRight = 25;

  // The skin as applied: the background (may be absent) and its repeated
  // column and row, the list's colours and font.
  sv::skin::Skin ActiveSkin;
  std::shared_ptr<forms::PixelBitmap> BackgroundBitmap;
  int BackgroundSplitX = 0;
  int BackgroundSplitY = 0;
  forms::ColourValue SelectedColor = 0xFFFFFF;
  forms::ColourValue PlayingColor = 0x000080;
  forms::ColourValue ListTextColor = 0x555555;

  std::unique_ptr<KeyStateSource> Keys;

  // The active skin's folder, with its closing backslash.
  const std::string& SkinFolderPath() const { return SkinFolder; }
  bool AlbumCoverPreview() const { return Flags.AlbumCoverPreview; }

 protected:
  void DefaultHandler(forms::WindowMessage& message) override;
  // The playback state, for the automation interface.
  void DescribeState(forms::StateList& state) const override;

 private:
  friend class TFormTag;

  // Start-up pieces.
  bool StartAudioLibrary(const StartupSettings& settings);
  void LoadPlugins();
  void RegisterHotKeys(const HotKeySettings& hotKeys);
  void LoadSavedPlaylist();
  // Writes the own playlist, or beside it when it cannot be replaced; then
  // raises the error, saying where the list went.
  void SaveOwnPlaylist(const std::vector<std::string>& lines);
  void SaveCloseSettings();
  void StartScrobbler(const StartupSettings& settings);

  // Cover preview.
  void ShowCover(const std::string& songPath);
  void HideCover();

  // Playlist pairs: Playlist and ListBox1 change together; texts are put in
  // as one line each.
  void AppendEntry(const std::string& path, const std::string& text);
  void ClearEntries();
  std::string DisplayTitle(const std::string& path);

  // The playlist's components and its file imports.
  void WirePlaylist();
  void WireSearchBox();
  void ImportM3uLines(const std::vector<std::string>& lines, const std::string& folder, bool play);
  // The playback road's walk: from `candidate` on (wrapping) until an entry
  // plays or the walk is back at `start`. A station's open ends the call;
  // its end goes on from there (OnStationOpened).
  void WalkFrom(int start, int candidate, bool showBubble);
  // Plays a channel made for the current entry (the end of LitFichier).
  void StartChannel(HSONOCHANNEL created, bool showBubble);
  void OnStationOpened(std::uint32_t ticket);
  // What plays changes: the open of a station under way is not wanted.
  void PlayChanges();
  std::vector<int> SelectedIndices() const;
  void RemoveSelection();
  void RefreshTexts();
  void SetSearchColours(forms::ColourValue background, forms::ColourValue text);

  // An import into the list (a list file, a folder, the open dialog's
  // choice): its entries go in with the list's redraw held and one repaint
  // at the end, letting messages run now and then. Asked to end (a close),
  // it puts the entries not yet added in without reading their tags; the
  // close's save takes them too when it cannot wait (the end of a session).
  class ListImport {
   public:
    // Entries with an empty text get the display title read from the file.
    ListImport(TForm1& form, std::vector<PlaylistEntry> entries);
    ~ListImport();
    ListImport(const ListImport&) = delete;
    ListImport& operator=(const ListImport&) = delete;
    // Adds the entries; `afterEach` runs after each (the first one plays).
    void Run(const std::function<void()>& afterEach);
    // The entries not added yet.
    std::vector<PlaylistEntry> Remaining() const;
    // An entry's text when its tags are not read: the list's own, or the
    // file name.
    static std::string UntaggedText(const PlaylistEntry& entry);

   private:
    TForm1& form_;
    Work work_;
    std::vector<PlaylistEntry> entries_;
    std::size_t next_ = 0;
  };
  ListImport* RunningImport = nullptr;
  void ImportEntries(std::vector<PlaylistEntry> entries, bool play);

  void FreeChannel();
  void SetTransportEnabled(bool enabled);
  void SetBubbleText(const std::string& caption);
  void ShowBubbleIfHidden(const std::string& text);
  void SetPlayGlyph(bool playing);

  // Skin pieces.
  void ApplyLayout();
  void ApplySkinFonts(const sv::skin::FontSpec& font);
  void LoadIcons(const std::string& iconPath);
  void WireAppearance();
  void SetFormCursor(int x, int y);
  void SaveOnSessionEnd();

  // Commands. An argument's kind of request, and its treatment; for a
  // folder, Shift and Ctrl as they were when it arrived.
  RequestKind ArgumentRequest(const std::string& argument, bool play) const;
  void HandArgument(const std::string& argument, bool play, bool playIfNoneCurrent);
  void TreatArgument(const std::string& argument, bool play, bool append = false, bool recurse = false);
  void ImportM3U(const std::string& path, bool play);
  void ImportPLS(const std::string& path, bool play);
  void TreatFolder(const std::string& path, bool append, bool recurse);
  void ChangeSkin(const std::string& name);
  void ReceiveHandOver(forms::WindowMessage& message);
  void OpenFiles();
  void SaveListAs();
  void OnEndOfSong(HSONOCHANNEL channel);
  void DrainStreamTitles();
  void RequestClose();

  // The close (Unit1_Close): each step on its own; the state is saved once.
  void WireClose();
  // The close, once let through: it runs when no loop that lets messages
  // through is on the stack.
  void ResumeAdmittedClose();
  void CancelOpenDialogs();
  // Settings, tree cache, own playlist, extracted cover: once, each on its
  // own; the first failure is handed back.
  std::exception_ptr SaveState();
  // The own playlist's lines: the list, and what a running import has not
  // added yet.
  std::vector<std::string> OwnListLines() const;
  bool StateSaved = false;
  bool CloseAsked = false;     // the close waits for its turn at the gate
  bool CloseAdmitted = false;  // the gate let the close through

  // Folder tree pieces.
  void BuildTree(bool Rescan);
  void CreateFolderMenu();
  // Adds nodes in tree order below the given chain of parents (empty: the
  // top level).
  void AddTreeLines(const std::vector<TreeLine>& lines, std::vector<forms::TreeNode> parents);
  std::vector<TreeLine> TreeLines() const;
  std::string MenuFolder() const;
  void ShowFolderMenu();
  void BuildSongMenu();
  bool RecurseFor(forms::TComponent* Sender) const;
  bool TreeKeyDown(std::uint16_t Key, forms::ShiftState Shift);
  bool OptionsOrTagEditorOpen() const;
  void DescribeTree(forms::StateList& state) const;
  bool TreeComplete = false;  // the tree shows every base folder's scan or the whole cache
  bool TreeWritten = false;   // the close wrote the tree's cache

  std::string ExeFolder;
  std::string IniFileName;
  std::string SkinFolder;
  std::vector<std::string> SupportedExtensions;
  std::string OpenDialogFilter;
  std::string ProxyText;  // the audio library keeps a pointer to it
  OptionFlags Flags;
  bool MsnNowPlaying = false;
  bool ScrobblerEnabled = false;
  TitleTemplates Templates;
  int BubbleOpacity = 255;

  std::unique_ptr<SonoLengthProbe> Lengths;
  std::unique_ptr<CdDrives> Drives;
  std::unique_ptr<CdLookupTimer> CdTimer;
  std::unique_ptr<CddbLookupRunner> Cddb;
  std::unique_ptr<VersionChecker> Version;
  void StartNetChecks();
  int CddbTimerTicks = 0;  // for the tests: the lookup timer's ticks

  WorkGate Gate;
  bool StartupDone = false;
  // Stations being opened, and what the open of the current entry is for:
  // the walk it belongs to and the play request it answers (PlaySerial
  // moves on with every request that changes what plays).
  std::unique_ptr<StationOpens> Stations;
  struct StationWalk {
    std::uint32_t Ticket = 0;
    unsigned Serial = 0;
    int Start = 0;
    int Index = 0;
    bool ShowBubble = false;
  };
  std::optional<StationWalk> PendingStation;
  unsigned PlaySerial = 0;
  WindowLayout SavedLayout;    // as read at the first showing
  bool Closed = false;
  // The own list could not be read at the start: it is never replaced, and
  // a list made in this run goes beside it (OwnListTarget).
  bool OwnPlaylistUnreadable = false;
  std::string OwnListTarget;  // where the own list is written
  std::string BesideOwnList();
  std::string LastBalloon;  // the text of the last tray balloon shown
  std::string IconFile;     // the window's icon file; empty: the program's own
  bool SkinApplied = false;
  forms::FontHandle ListFont;  // the list's font; replaced only after the list has the new one
};

// Uniform in 0..count-1 (count > 0): one draw, from a generator seeded from
// the clock for it.
int RandomIndex(int count);

void SendMsnNowPlaying(const std::string& artist, const std::string& album, const std::string& title, int state);

// The main window, once made; the engine's callbacks post to it.
extern TForm1* Form1;
extern TFormInfoBulle* FormInfoBulle;

// The message a second instance hands its arguments over with.
UINT WmEnvoiAtom();

}  // namespace player
