#pragma once
// How a skin is painted on Win32, shared by the player's windows and the
// skin editor's preview so that the preview shows what the player shows:
// the skin's bitmaps, its colours on screen, the nine-piece background,
// the list font and item height, the playlist's items and the folder
// tree's items.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "forms/Colours.h"
#include "forms/GdiObject.h"
#include "forms/PixelBitmap.h"
#include "forms/TreeView.h"
#include "skin/SkinFormat.h"
#include "skin/SkinLayout.h"

namespace sv::skin {

// The main window's controls' own sizes, in the order of the control keys;
// the bars' widths come from the skin.
extern const std::array<Size, kControlCount> kMainControlSizes;

// A bitmap file of the skin (a value of skin.ini), or null when it is
// missing or cannot be decoded; a bad file puts the reason in `problem`.
std::shared_ptr<forms::PixelBitmap> LoadSkinPicture(const std::string& folder, const std::string& value,
                                                    std::string* problem = nullptr);

// A bitmap file built into the program as a resource of that name, or
// null when there is none.
std::shared_ptr<forms::PixelBitmap> LoadResourcePicture(const wchar_t* name);

// The colour to paint for a stored value; one no painter can show gives
// `fallback`, the key's default.
forms::ColourValue ScreenColour(ColourValue value, ColourValue fallback);

// The background bitmap cut in nine pieces over width x height.
void PaintNineSlice(HDC dc, const forms::PixelBitmap& bitmap, int width, int height, int splitX, int splitY);

// The skin's font in points on this screen, as a description and made;
// null when it cannot be made.
LOGFONTW SkinFontDescription(const FontSpec& font, bool underline);
forms::FontHandle CreateSkinFont(const FontSpec& font, bool underline);
// The playlist's item height for that font: the height of "Wg", rounded
// up to even, plus 2.
int PlaylistItemHeight(HWND list, HFONT font);

struct PlaylistLook {
  forms::ColourValue Background = 0;
  forms::ColourValue Text = 0;
  forms::ColourValue Playing = 0;
  forms::ColourValue Selected = 0;
};
// One playlist item: its background (the selected colour when selected),
// the text 2 px from the left in the playing or the text colour, the focus
// frame. Returns the text's width.
int DrawPlaylistItem(HDC dc, const RECT& rect, std::string_view text, bool selected, bool focused, bool playing,
                     const PlaylistLook& look);

// A folder-tree node: the one under the mouse in the hot colour and
// underlined, every other one in the text colour.
void DrawTreeNode(forms::TreeNodeDraw& draw, forms::ColourValue text, forms::ColourValue hot);

}  // namespace sv::skin
