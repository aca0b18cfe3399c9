#pragma once
// Section and key names of the player's settings file and the value each key
// has when the file or the key is missing. The names are those older files
// hold and must not change.
#include <array>
#include <cstdint>

namespace player::ini {

inline constexpr char kFileName[] = "Sorivanel.ini";

namespace section {
inline constexpr char kData[] = "DATA";
inline constexpr char kPlayback[] = "LECT";
inline constexpr char kSoundDevice[] = "SOUND_DEVICE";
inline constexpr char kProxy[] = "PROXY";
inline constexpr char kMessenger[] = "MSNCURRENTPLAY";
inline constexpr char kScrobbler[] = "LASTFMSCROBBLER";
inline constexpr char kTitleTemplates[] = "NOMCHANSONS";
inline constexpr char kHotKeys[] = "HOTKEYS";
inline constexpr char kBaseFolders[] = "REPERTOIRES";
}  // namespace section

// DATA
namespace key {
inline constexpr char kLanguage[] = "Langue";
inline constexpr char kSkin[] = "Skin";
inline constexpr char kAnimateTrayIcon[] = "AnimerIcone";
inline constexpr char kShowBalloon[] = "AfficherBallon";
inline constexpr char kIncludeSubFolders[] = "InclureSousRep";
inline constexpr char kReadMetaTags[] = "LireMetaTags";
inline constexpr char kReadCddb[] = "LireCDDB";
inline constexpr char kFadeIn[] = "ApparitionProgressive";
inline constexpr char kGlobalVolume[] = "ReglageVolumeGlobal";
inline constexpr char kStayVisible[] = "ResteAffichee";
inline constexpr char kAlbumCoverPreview[] = "AlbumCoverPreview";
inline constexpr char kPreviewTop[] = "TopImgPreviewAlbum";
inline constexpr char kPreviewRight[] = "RightImgPreviewAlbum";
inline constexpr char kBubbleOpacity[] = "InfoBulleTransparency";
inline constexpr char kBubbleLeftAnchor[] = "InfoBulleLeftAnchor";
inline constexpr char kBubbleTopAnchor[] = "InfoBulleTopAnchor";
inline constexpr char kCheckNewVersion[] = "CheckNouvelleVersion";
inline constexpr char kPlayAtStartup[] = "DemarrerLaLectureAuLancement";
inline constexpr char kStartupFolderUpdate[] = "StartupFolderUpdate";
inline constexpr char kIcon[] = "Icone";
inline constexpr char kAssociatedFileIcon[] = "IconeFichiersAssocies";
inline constexpr char kWidth[] = "Largeur";
inline constexpr char kHeight[] = "Hauteur";
inline constexpr char kLeft[] = "Gauche";
inline constexpr char kTop[] = "Haut";
inline constexpr char kTreeViewWidth[] = "LargeurTreeView";
inline constexpr char kLastShownIndex[] = "LastShownIndex";
inline constexpr char kExpandedNodes[] = "ExpandedNodes";

// LECT
inline constexpr char kShuffle[] = "Shuffle";
inline constexpr char kLoopPlaylist[] = "LectureBoucle";
inline constexpr char kVolume[] = "Volume";
inline constexpr char kEqPrefix[] = "EQ";  // followed by the band number 1..5
inline constexpr char kIndex[] = "Index";
inline constexpr char kPosition[] = "Position";
inline constexpr char kLengthBytes[] = "LengthB";
inline constexpr char kLengthSeconds[] = "LengthT";
inline constexpr char kTimeMode[] = "Temps";

// SOUND_DEVICE
inline constexpr char kDevice[] = "DEVICE";

// PROXY
inline constexpr char kProxyEnabled[] = "Activate";
inline constexpr char kProxyUser[] = "USER";
inline constexpr char kProxyPassword[] = "PASS";
inline constexpr char kProxyAddress[] = "ADDRESS";
inline constexpr char kProxyPort[] = "PORT";

// MSNCURRENTPLAY
inline constexpr char kMessengerEnabled[] = "Activate";

// LASTFMSCROBBLER
inline constexpr char kScrobblerEnabled[] = "Activate";
inline constexpr char kScrobblerUser[] = "User";
inline constexpr char kScrobblerPassword[] = "Password";
inline constexpr char kScrobblerLogFile[] = "EnableLogFile";

// NOMCHANSONS
inline constexpr char kTaggedTemplate[] = "FormatNomTag";
inline constexpr char kUntaggedTemplate[] = "FormatNomSansTag";
inline constexpr char kCdTemplate[] = "FormatNomCDA";
}  // namespace key

namespace defaults {
inline constexpr char kLanguage[] = "lang-en.ini";
inline constexpr char kSkin[] = "default";
inline constexpr int32_t kPreviewTop = 10;
inline constexpr int32_t kPreviewRight = 25;
inline constexpr int32_t kBubbleOpacity = 255;
inline constexpr int32_t kWidth = 350;
inline constexpr int32_t kHeight = 346;
inline constexpr int32_t kWorkAreaMargin = 15;  // default Gauche/Haut: work-area edge - size - margin
inline constexpr int32_t kTreeViewWidth = 100;
inline constexpr int32_t kLastShownIndex = 3;  // 1 folders, 2 playlist, 3 both
inline constexpr char kExpandedNodes[] = "0";
inline constexpr int32_t kVolume = 70;
inline constexpr int32_t kIndex = -1;
inline constexpr int64_t kPosition = 0;
inline constexpr int64_t kLengthBytes = 100;
inline constexpr int32_t kTimeMode = 0;  // 0 remaining, 1 elapsed, 2 total
inline constexpr int32_t kDevice = -1;   // the system's default output
inline constexpr char kTaggedTemplate[] = "%artist - %album - %tracknb - %tracktitle";
inline constexpr char kUntaggedTemplate[] = "%rep1 - %rep0 - %filename";
inline constexpr char kCdTemplate[] = "CD Audio - %filename";
}  // namespace defaults

inline constexpr int kEqBands = 5;

// The eight global hot keys: an enable key ("<name>Active", default on) and a
// value key holding the hot-key value (virtual key in the low byte, 0x2000
// Shift, 0x4000 Ctrl, 0x8000 Alt).
enum class HotKeyAction { PlayPause, Previous, Next, VolumeUp, VolumeDown, ShowHide, FastForward, Rewind };
inline constexpr int kHotKeyActions = 8;

struct HotKeyKeys {
  HotKeyAction Action;
  const char* EnableKey;
  const char* ValueKey;
  int32_t DefaultValue;
};

inline constexpr std::array<HotKeyKeys, kHotKeyActions> kHotKeyTable{{
    {HotKeyAction::PlayPause, "PlayActive", "Play", 0x4078},                   // Ctrl+F9
    {HotKeyAction::Previous, "PrevActive", "Prev", 0x4079},                    // Ctrl+F10
    {HotKeyAction::Next, "NextActive", "Next", 0x407A},                        // Ctrl+F11
    {HotKeyAction::VolumeUp, "VolUpActive", "VolUp", 0x4026},                  // Ctrl+Up
    {HotKeyAction::VolumeDown, "VolDwnActive", "VolDwn", 0x4028},              // Ctrl+Down
    {HotKeyAction::ShowHide, "ShowHideActive", "ShowHide", 0x407B},            // Ctrl+F12
    {HotKeyAction::FastForward, "AvancerRapideActive", "AvancerRapide", 0x4027},  // Ctrl+Right
    {HotKeyAction::Rewind, "ReculerRapideActive", "ReculerRapide", 0x4025},       // Ctrl+Left
}};

// Settings code indexes the table by action.
static_assert([] {
  for (int i = 0; i < kHotKeyActions; ++i)
    if (static_cast<int>(kHotKeyTable[i].Action) != i) return false;
  return true;
}());

}  // namespace player::ini
