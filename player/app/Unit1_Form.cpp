// The main window's components, its message handling and the audio
// library's callbacks.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "player/app/StationOpens.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"
#include "player/PlaylistFiles.h"
#include "player/StreamTitle.h"

namespace player {

TForm1* Form1 = nullptr;
TFormInfoBulle* FormInfoBulle = nullptr;

namespace {

using forms::Bind;
using forms::Bounds;
using forms::New;

std::atomic<HWND> g_mainWindow{nullptr};

// Stream titles reach the window from the library's thread through this
// queue; the data pointer the library passes lives only during its call.
struct PendingTitle {
  HSONOCHANNEL channel;
  std::string data;
};
std::mutex g_titlesLock;
std::deque<PendingTitle> g_titles;

void CALLBACK SonoEndSync(HSONOSYNC, DWORD channel, const char*, void*) {
  if (HWND window = g_mainWindow.load()) PostMessageW(window, kEndOfSongMessage, channel, 0);
}

void CALLBACK StreamMetaSync(HSONOSYNC, DWORD channel, const char* data, void*) {
  {
    std::lock_guard<std::mutex> lock(g_titlesLock);
    g_titles.push_back({channel, data ? std::string(data) : std::string()});
  }
  if (HWND window = g_mainWindow.load()) PostMessageW(window, kStreamTitleMessage, 0, 0);
}

}  // namespace

SONO_SYNCPROC* EndSyncProcedure() { return &SonoEndSync; }
SONO_SYNCPROC* MetaSyncProcedure() { return &StreamMetaSync; }

UINT WmEnvoiAtom() {
  static const UINT id = RegisterWindowMessageW(L"WM_ENVOI_ATOM");
  return id;
}

bool KeyStateSource::ShiftDown() const { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }
bool KeyStateSource::CtrlDown() const { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

TForm1::TForm1(forms::TComponent* owner) : TForm(owner, "TForm1"), Keys(std::make_unique<KeyStateSource>()) {
  Form1 = this;
  SetName("Form1");
  SetCaption("Sorivanel");
  SetBorderStyle(forms::BorderKind::None);
  SetStayOnTop(true);
  SetBounds(0, 0, 300, 380);
  KeyPreview = true;
  OnKeyDown = Bind(this, &TForm1::FormKeyDown);
  OnClose = Bind(this, &TForm1::FormClose);
  OnCloseQuery = Bind(this, &TForm1::FormCloseQuery);

  // Bounds as the default skin places them; LoadSkin lays them out again.
  SpdBtnPrev = New<forms::SpeedButton>(this, "SpdBtnPrev", this, Bounds{216, 349, 24, 24});
  SpdBtnPlay = New<forms::SpeedButton>(this, "SpdBtnPlay", this, Bounds{241, 349, 24, 24});
  SpdBtnNext = New<forms::SpeedButton>(this, "SpdBtnNext", this, Bounds{266, 349, 24, 24});
  SpdBtnRep = New<forms::SpeedButton>(this, "SpdBtnRep", this, Bounds{18, 349, 36, 24});
  SpdBtnListe = New<forms::SpeedButton>(this, "SpdBtnListe", this, Bounds{56, 349, 36, 24});
  SpdBtnEgaliseur = New<forms::SpeedButton>(this, "SpdBtnEgaliseur", this, Bounds{8, 349, 10, 12});
  SpdBtnOptions = New<forms::SpeedButton>(this, "SpdBtnOptions", this, Bounds{8, 361, 10, 12});
  for (forms::SpeedButton* view : {SpdBtnRep, SpdBtnListe}) {
    view->SetGroupIndex(1);
    view->SetAllowAllUp(true);
  }
  for (forms::SpeedButton* button : {SpdBtnPrev, SpdBtnPlay, SpdBtnNext}) {
    button->OnClick = Bind(this, &TForm1::SpdBtnPlayClick);
    button->SetEnabled(false);
  }
  LabelTemps = New<forms::Label>(this, "LabelTemps", this, Bounds{91, 360, 54, 14});
  LabelTemps->SetCaption(" 00:00");
  LabelTemps->OnMouseDown = Bind(this, &TForm1::LabelTempsMouseDown);

  ProgressBar1 = New<forms::ProgressBar>(this, "ProgressBar1", this, Bounds{94, 350, 119, 8});
  ProgressBar1->SetEnabled(false);
  ProgressBar1->OnMouseDown = Bind(this, &TForm1::ProgressBar1MouseDown);
  ProgressBar1->OnMouseMove = Bind(this, &TForm1::ProgressBar1MouseMove);
  ProgressBar2 = New<forms::ProgressBar>(this, "ProgressBar2", this, Bounds{147, 362, 66, 8});
  ProgressBar2->SetMax(100);
  ProgressBar2->OnMouseDown = Bind(this, &TForm1::ProgressBar2MouseDown);
  ProgressBar2->OnMouseMove = Bind(this, &TForm1::ProgressBar2MouseMove);

  Panel_Listes = New<forms::Panel>(this, "Panel_Listes", this, Bounds{5, 5, 290, 340});
  ListBox1 = New<forms::ListBox>(this, "ListBox1", Panel_Listes, Bounds{0, 0, 290, 340});
  ListBox1->OnDblClick = Bind(this, &TForm1::ListBox1DblClick);
  // Both views at first: the folder tree on the left, the splitter, the
  // playlist filling the rest (AlignLists).
  TreeView1 = New<forms::TreeView>(this, "TreeView1", Panel_Listes, Bounds{0, 0, 100, 340});
  Splitter1 = New<forms::Splitter>(this, "Splitter1", Panel_Listes, Bounds{100, 0, 3, 340});
  Splitter1->SetResizedControl(TreeView1);
  PanelPreviewAlbum = New<forms::Panel>(this, "PanelPreviewAlbum", Panel_Listes, Bounds{225, 10, 100, 100});
  PanelPreviewAlbum->SetVisible(false);
  ImgPreviewAlbum = New<forms::ImageView>(this, "ImgPreviewAlbum", PanelPreviewAlbum, Bounds{0, 0, 100, 100});

  PopupMenu1 = New<forms::ShortcutMenu>(this, "PopupMenu1");
  MenuAfficher = PopupMenu1->Add("Afficher", "MenuAfficher");
  MenuAfficher->Default = true;
  MenuAfficher->OnClick = [this](forms::TComponent*) {
    Request(RequestKind::Show, [this] {
      if (FormShown)
        CacheForm(true);
      else
        AfficheForm(0, false);
    });
  };
  MenuOuvrirFichier = PopupMenu1->Add("Ouvrir un fichier", "MenuOuvrirFichier");
  // The dialog's own loop must not run inside the menu's.
  MenuOuvrirFichier->OnClick = [this](forms::TComponent*) { PostMessageW(Handle(), kOpenDialogMessage, 0, 0); };
  PopupMenu1->Add("-");
  MenuPlayPause = PopupMenu1->Add("Lecture / Pause", "MenuPlayPause");
  MenuPrev = PopupMenu1->Add("Précédent", "MenuPrev");
  MenuNext = PopupMenu1->Add("Suivant", "MenuNext");
  for (forms::MenuEntry* item : {MenuPlayPause, MenuPrev, MenuNext}) {
    item->OnClick = Bind(this, &TForm1::SpdBtnPlayClick);
    item->Enabled = false;
  }
  PopupMenu1->Add("-");
  MenuShuffle = PopupMenu1->Add("Lecture aléatoire", "MenuShuffle");
  MenuLectureBoucle = PopupMenu1->Add("Lecture en boucle", "MenuLectureBoucle");
  MenuResteAffichee = PopupMenu1->Add("Reste affichée", "MenuResteAffichee");
  for (forms::MenuEntry* item : {MenuShuffle, MenuLectureBoucle, MenuResteAffichee})
    item->OnClick = [item](forms::TComponent*) { item->Checked = !item->Checked; };
  MenuOptions = PopupMenu1->Add("Options...", "MenuOptions");
  MenuOptions->OnClick = Bind(this, &TForm1::MenuOptionsClick);
  PopupMenu1->Add("-");
  MenuQuitter = PopupMenu1->Add("Quitter", "MenuQuitter");
  MenuQuitter->OnClick = Bind(this, &TForm1::MenuQuitterClick);

  TrayIcon1 = New<desktop::TTextTrayIcon>(this, "TrayIcon1");
  TrayIcon1->Enabled = false;
  TrayIcon1->SetPopupMenu(PopupMenu1);
  // A ">" that rests just left of the icon and scrolls across it while a
  // song plays.
  forms::TextFont trayFont;
  trayFont.SetName("Small Fonts");
  trayFont.SetHeight(16);
  trayFont.SetBold(true);
  TrayIcon1->SetFont(trayFont);
  desktop::TOffsetOptions offsets;
  offsets.SetOffsetX(-12);
  offsets.SetOffsetY(-1);
  TrayIcon1->SetOptions(offsets);
  TrayIcon1->SetText(">");
  TrayIcon1->SetHint("Sorivanel is loading...");

  // The volume hot keys tell the new level in a balloon while the window is
  // hidden.
  Volume.MainWindowVisible = [this] { return FormShown; };
  Volume.ShowBalloon = [this](std::string_view Title, std::string_view Text, int IconType, std::uint16_t TimeoutMs) {
    LastBalloon = std::string(Text);
    TrayIcon1->ShowBalloon(Title, Text, IconType, TimeoutMs);
  };

  HotKeyManager1 = New<desktop::THotKeyManager>(this, "HotKeyManager1");
  HotKeyManager1->OnHotKeyPressed = Bind(this, &TForm1::HotKeyManager1HotKeyPressed);

  SetMessageHandler(kEndOfSongMessage, [this](forms::WindowMessage& message) {
    OnEndOfSong(static_cast<HSONOCHANNEL>(message.WParam));
  });
  SetMessageHandler(kStreamTitleMessage, [this](forms::WindowMessage&) { DrainStreamTitles(); });
  SetMessageHandler(kStationMessage, [this](forms::WindowMessage& message) {
    OnStationOpened(static_cast<std::uint32_t>(message.WParam));
  });
  SetMessageHandler(kOpenDialogMessage, [this](forms::WindowMessage&) { MenuOuvrirFichierClick(nullptr); });
  SetMessageHandler(WM_DROPFILES, [this](forms::WindowMessage& message) {
    WMDropFiles(reinterpret_cast<HDROP>(message.WParam));
  });
  WireAppearance();
  WirePlaylist();
  WireClose();
  CreateFolderMenu();
  g_mainWindow.store(Handle());
}

TForm1::~TForm1() {
  g_mainWindow.store(nullptr);
  Stations.reset();
  if (forms::Application) forms::Application->OnPumpsUnwound = nullptr;
  if (Channel) {
    SONO_StreamFree(Channel);
    SONO_MusicFree(Channel);
  }
  Form1 = nullptr;
}

void TForm1::DefaultHandler(forms::WindowMessage& message) {
  TForm::DefaultHandler(message);
  if (message.Msg == WmEnvoiAtom()) {
    ReceiveHandOver(message);
  } else if (message.Msg == WM_CTLCOLORSCROLLBAR) {
    message.Result = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
  }
}

void TForm1::DescribeState(forms::StateList& state) const {
  state.emplace_back("Started", StartupDone ? "1" : "0");
  // Work under way (outermost first) and the requests that wait for it.
  std::string works;
  for (const WorkKind work : Gate.Works()) works += (works.empty() ? "" : ",") + std::string(WorkName(work));
  state.emplace_back("Work", works);
  state.emplace_back("Busy", Busy() ? "1" : "0");
  state.emplace_back("Held", std::to_string(Gate.Waiting()));
  state.emplace_back("Opening", Stations && Stations->Opening() ? "1" : "0");
  state.emplace_back("CurrentIndex", std::to_string(CurrentIndex));
  state.emplace_back("Playing", Channel != 0 && SONO_ChannelIsActive(Channel) == SONO_ACTIVE_PLAYING ? "1" : "0");
  state.emplace_back("Channel", Channel != 0 ? "1" : "0");
  state.emplace_back("Entries", std::to_string(Playlist.size()));
  for (std::size_t i = 0; i < Playlist.size() && i < 200; ++i)
    state.emplace_back("Entry" + std::to_string(i), Playlist[i]);
  state.emplace_back("ShuffleHistory", std::to_string(ShuffleHistory.size()));
  state.emplace_back("FormShown", FormShown ? "1" : "0");
  state.emplace_back("LengthSeconds", std::to_string(LengthSeconds));
  state.emplace_back("ElapsedSeconds", std::to_string(ElapsedSeconds));
  state.emplace_back("Bubble", FormInfoBulle ? FormInfoBulle->Caption() : "");
  // One line per key: the hint's line break is written as the text "\r\n".
  std::string hint = TrayIcon1->Hint();
  for (std::size_t at = hint.find("\r\n"); at != std::string::npos; at = hint.find("\r\n", at + 4))
    hint.replace(at, 2, "\\r\\n");
  state.emplace_back("TrayHint", hint);
  state.emplace_back("TrayText", TrayIcon1->Text());
  state.emplace_back("TrayOffset",
                     std::to_string(TrayIcon1->Options().OffsetX()) + "," + std::to_string(TrayIcon1->Options().OffsetY()));
  state.emplace_back("TrayIcon", TrayIcon1->Icon().Empty() ? "0" : "1");
  state.emplace_back("TrayBackground", TrayIcon1->BackgroundIcon().Empty() ? "0" : "1");
  state.emplace_back("IconFile", IconFile);
  state.emplace_back("LastBalloon", LastBalloon);
  state.emplace_back("CddbTimerTicks", std::to_string(CddbTimerTicks));
  state.emplace_back("Cover", ShownCover);
  state.emplace_back("PlayGlyph", ShowsPauseGlyph ? "pause" : "play");
  // The lists' font as name, height in pixels, weight and italic.
  LOGFONTW listFont{};
  if (ListFont) GetObjectW(ListFont.Get(), sizeof listFont, &listFont);
  state.emplace_back("ListFont", forms::narrow(listFont.lfFaceName) + "," + std::to_string(-listFont.lfHeight) + "," +
                                     std::to_string(listFont.lfWeight) + "," + std::to_string(listFont.lfItalic));
  // The hot keys' identifiers in the settings' order; 0: not registered.
  std::string hotKeys;
  for (const std::uint16_t id : {HotKeyPlay, HotKeyPrev, HotKeyNext, HotKeyVolUp, HotKeyVolDwn, HotKeyShowHide,
                                 HotKeyAvancerRapide, HotKeyReculerRapide})
    hotKeys += (hotKeys.empty() ? "" : ",") + std::to_string(id);
  state.emplace_back("HotKeyIds", hotKeys);
  int effects = 0;
  for (HSONOFX fx : Volume.EqFx) effects += fx != 0;
  state.emplace_back("EqEffects", std::to_string(effects));
  // Each band's gain, and what the engine holds for its effect (centre,
  // bandwidth, gain) or "-" without one.
  std::string gains, engine;
  for (int band = 0; band < kEqBandCount; ++band) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%.1f", band ? "," : "", static_cast<double>(Volume.EqGain[band]));
    gains += text;
    SONO_PARAMEQ parameters{};
    if (Volume.EqFx[band] != 0 && SONO_FXGetParameters(Volume.EqFx[band], &parameters))
      std::snprintf(text, sizeof text, "%s%.2f/%.1f/%.1f", band ? "," : "", static_cast<double>(parameters.fCenter),
                    static_cast<double>(parameters.fBandwidth), static_cast<double>(parameters.fGain));
    else
      std::snprintf(text, sizeof text, "%s-", band ? "," : "");
    engine += text;
  }
  state.emplace_back("EqGains", gains);
  state.emplace_back("EqEngine", engine);
  DescribeTree(state);
}

void TForm1::DrainStreamTitles() {
  std::deque<PendingTitle> titles;
  {
    std::lock_guard<std::mutex> lock(g_titlesLock);
    titles.swap(g_titles);
  }
  for (const PendingTitle& title : titles) ApplyStreamTitle(title.channel, &title.data, true);
}

// Station name and stream title, in this order; the library's call (not the
// first direct one) may also announce the title.
void TForm1::ApplyStreamTitle(HSONOCHANNEL channel, const std::string* data, bool fromLibrary) {
  if (channel == 0 || channel != Channel) return;
  const char* headers = SONO_ChannelGetTags(channel, SONO_TAG_ICY);
  if (headers && CurrentIndex >= 0 && CurrentIndex < ListBox1->Count()) {
    std::size_t size = 0;
    while (headers[size] != '\0') size += std::strlen(headers + size) + 1;
    if (auto station = StationNameFromHeaders(headers, size + 1))
      ListBox1->SetItem(CurrentIndex, OneLineText(" " + *station));
  }
  std::string meta;
  if (data && !data->empty()) {
    meta = *data;
  } else if (const char* tags = SONO_ChannelGetTags(channel, SONO_TAG_META)) {
    meta = tags;
  }
  const std::string title = StreamTitleFromMetadata(meta.data(), meta.size());
  if (title.empty()) return;
  SetBubbleText(" " + title);
  if (!fromLibrary) return;
  ShowBubbleIfHidden(TrayIcon1->Hint());
  if (MsnNowPlaying) SendMsnNowPlaying(FormInfoBulle->Caption(), "", "", 1);
}

void TForm1::ShowModuleName(HSONOCHANNEL channel) {
  const char* name = SONO_ChannelGetTags(channel, SONO_TAG_MUSIC_NAME);
  if (!name || !*name) return;
  const std::string caption = " " + std::string(name);
  if (CurrentIndex >= 0 && CurrentIndex < ListBox1->Count()) ListBox1->SetItem(CurrentIndex, OneLineText(caption));
  SetBubbleText(caption);
}

void TForm1::SetBubbleText(const std::string& caption) {
  FormInfoBulle->SetCaption(caption);
  TrayIcon1->SetHint("Sorivanel\r\n" + caption);
}

void TForm1::ShowBubbleIfHidden(const std::string& text) {
  if (!FormShown && Flags.ShowBalloon) FormInfoBulle->Affiche(text);
}

}  // namespace player
