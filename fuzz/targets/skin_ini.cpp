// skin.ini reading: any file reads with both programs' defaults into values
// the painters can use, and a skin written back reads as the same skin.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Require.h"
#include "base/IniFile.h"
#include "skin/NineSlice.h"
#include "skin/SkinDocument.h"
#include "skin/SkinFormat.h"
#include "skin/SkinLayout.h"

namespace {

void CheckSane(const sv::skin::Skin& skin) {
  using namespace sv::skin;
  REQUIRE(skin.FormWidth >= 1 && skin.FormWidth <= kMaxSize);
  REQUIRE(skin.FormHeight >= 1 && skin.FormHeight <= kMaxSize);
  REQUIRE(skin.ListsWidth >= 0 && skin.ListsHeight >= 0);
  REQUIRE(skin.Font.Size >= kMinFontSize && skin.Font.Size <= kMaxFontSize);
  REQUIRE(skin.BalloonFont.Size >= kMinFontSize && skin.BalloonFont.Size <= kMaxFontSize);
  REQUIRE(skin.Bubble.TextLeftDistance >= 0 && skin.Bubble.TextLeftDistance <= kMaxMargin);
  for (const ControlPlace& place : skin.Controls) REQUIRE(place.Width >= 0 && place.Width <= kMaxSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sv::skin;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const sv::IniFile ini("skin.ini", bytes);
  const Skin player = ReadSkin(ini, Program::Player);
  const Skin editor = ReadSkin(ini, Program::Editor);
  CheckSane(player);
  CheckSane(editor);

  std::array<Size, kControlCount> sizes{};
  sizes.fill({24, 24});
  const MainLayout layout = LayoutMainWindow(player, sizes, {300, 100}, {1024, 768});
  REQUIRE(layout.Lists.Width >= 0 && layout.Lists.Height >= 0);

  const int split = SplitFor(player.Back.DuplicateW, 37);
  REQUIRE(split >= 0 && split < 37);
  for (const SlicePiece& piece : NineSlice(37, 21, 640, 480, split, SplitFor(player.Back.DuplicateH, 21))) {
    REQUIRE(piece.Source.Left >= 0 && piece.Source.Right <= 37 && piece.Source.Width() > 0);
    REQUIRE(piece.Source.Top >= 0 && piece.Source.Bottom <= 21 && piece.Source.Height() > 0);
    REQUIRE(piece.Dest.Left >= 0 && piece.Dest.Right <= 640 && piece.Dest.Width() > 0);
    REQUIRE(piece.Dest.Top >= 0 && piece.Dest.Bottom <= 480 && piece.Dest.Height() > 0);
  }

  // The editor's save keeps what it read: the model read back is the same.
  sv::IniFile copy("skin.ini", bytes);
  copy.BeginUpdate();
  WriteDocument(copy, ReadDocument(ini));  // the nested update keeps the write in memory
  const sv::IniFile reread("skin.ini", copy.Contents());
  const Skin again = ReadSkin(reread, Program::Editor);
  REQUIRE(again.FormWidth == editor.FormWidth && again.ListsHeight == editor.ListsHeight);
  REQUIRE(again.ColorBackGround == editor.ColorBackGround);
  REQUIRE(again.Font.Size == editor.Font.Size);
  for (int i = 0; i < kControlCount; ++i) {
    REQUIRE(again.Controls[static_cast<std::size_t>(i)].Left == editor.Controls[static_cast<std::size_t>(i)].Left);
    REQUIRE(again.Controls[static_cast<std::size_t>(i)].AnchorTop ==
            editor.Controls[static_cast<std::size_t>(i)].AnchorTop);
  }
  REQUIRE(!reread.SectionExists("USERFONT"));
  return 0;
}
