#include "skin/platform/SkinPainting.h"

#include <algorithm>

#include "forms/Wide.h"
#include "skin/BmpFile.h"
#include "skin/NineSlice.h"
#include "skin/SkinColours.h"
#include "skin/SkinPaths.h"

namespace sv::skin {

const std::array<Size, kControlCount> kMainControlSizes = {{
    {10, 12},  // BtnEgaliseur
    {10, 12},  // BtnOptions
    {36, 24},  // BtnRep
    {36, 24},  // BtnListe
    {54, 14},  // LabelTemps
    {0, 8},    // BarPos
    {0, 8},    // BarVol
    {24, 24},  // BtnPrev
    {24, 24},  // BtnPlay
    {24, 24},  // BtnNext
}};

namespace {

std::shared_ptr<forms::PixelBitmap> BitmapOf(const std::optional<BmpImage>& image) {
  if (!image) return nullptr;
  auto bitmap = std::make_shared<forms::PixelBitmap>(image->Width, image->Height);
  bitmap->SetPixels(image->Pixels.data());
  return bitmap;
}

}  // namespace

std::shared_ptr<forms::PixelBitmap> LoadSkinPicture(const std::string& folder, const std::string& value,
                                                    std::string* problem) {
  return BitmapOf(LoadBmpFile(ResolveSkinPath(folder, value), problem));
}

std::shared_ptr<forms::PixelBitmap> LoadResourcePicture(const wchar_t* name) {
  const HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return nullptr;
  return BitmapOf(DecodeBmp(std::string_view(static_cast<const char*>(bytes), SizeofResource(module, found))));
}

forms::ColourValue ScreenColour(ColourValue value, ColourValue fallback) {
  const ShownColour shown = ShowColour(value, fallback);
  if (shown.SystemIndex) return 0x80000000u | static_cast<forms::ColourValue>(*shown.SystemIndex);
  return shown.Rgb;
}

void PaintNineSlice(HDC dc, const forms::PixelBitmap& bitmap, int width, int height, int splitX, int splitY) {
  forms::OffscreenDC source;
  HGDIOBJ old = SelectObject(source.Get(), bitmap.Handle());
  SetStretchBltMode(dc, COLORONCOLOR);
  for (const SlicePiece& piece : NineSlice(bitmap.Width(), bitmap.Height(), width, height, splitX, splitY)) {
    StretchBlt(dc, piece.Dest.Left, piece.Dest.Top, piece.Dest.Width(), piece.Dest.Height(), source.Get(),
               piece.Source.Left, piece.Source.Top, piece.Source.Width(), piece.Source.Height(), SRCCOPY);
  }
  SelectObject(source.Get(), old);
}

LOGFONTW SkinFontDescription(const FontSpec& font, bool underline) {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  LOGFONTW description{};
  description.lfHeight = -MulDiv(font.Size, pixelsPerInch, 72);
  description.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  description.lfItalic = font.Italic ? TRUE : FALSE;
  description.lfUnderline = underline ? TRUE : FALSE;
  description.lfCharSet = DEFAULT_CHARSET;
  std::wstring face = forms::widen(font.Name);
  face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), description.lfFaceName);
  return description;
}

forms::FontHandle CreateSkinFont(const FontSpec& font, bool underline) {
  const LOGFONTW description = SkinFontDescription(font, underline);
  return forms::FontHandle(CreateFontIndirectW(&description));
}

int PlaylistItemHeight(HWND list, HFONT font) {
  HDC dc = GetDC(list);
  if (!dc) return ListItemHeight(0);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, L"Wg", 2, &size);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  return ListItemHeight(size.cy);
}

int DrawPlaylistItem(HDC dc, const RECT& rect, std::string_view text, bool selected, bool focused, bool playing,
                     const PlaylistLook& look) {
  forms::BrushHandle brush(CreateSolidBrush(forms::ToColorRef(selected ? look.Selected : look.Background)));
  FillRect(dc, &rect, brush.Get());
  const std::wstring wide = forms::widen(text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, forms::ToColorRef(playing ? look.Playing : look.Text));
  TextOutW(dc, rect.left + 2, rect.top, wide.c_str(), static_cast<int>(wide.size()));
  if (focused) DrawFocusRect(dc, &rect);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

void DrawTreeNode(forms::TreeNodeDraw& draw, forms::ColourValue text, forms::ColourValue hot) {
  draw.Underline = draw.Hot;
  draw.TextColor = draw.Hot ? hot : text;
}

}  // namespace sv::skin
