// The messenger's now-playing buffer: the golden layouts, the kinds, the
// 127-unit limit, accented text and values that try to open a field.
#include <gtest/gtest.h>

#include <string>

#include "player/MsnNowPlaying.h"

namespace player {
namespace {

// The buffer's text up to the first zero unit that ends it (the text's own
// zero, then the terminator).
std::u16string Units(const MsnBuffer& buffer) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < buffer.size(); i += 2)
    text += static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
  return text;
}

TEST(MsnNowPlaying, GoldenBuffers) {
  const std::u16string playing = u"\\0Music\\01\\0{0} - {1}\\0A\\0T\\0B\\0WMContentID";
  const MsnBuffer kind1 = MsnNowPlayingBuffer("A", "B", "T", 1);
  std::u16string expected = playing;
  expected.resize(128, u'\0');
  EXPECT_EQ(Units(kind1), expected);
  EXPECT_EQ(kind1[0], '\\');
  EXPECT_EQ(kind1[1], 0);

  std::u16string cleared = u"\\0Music\\00\\0{0} - {1}\\0\\0\\0\\0WMContentID";
  EXPECT_EQ(MsnNowPlayingText("", "", "", 0), cleared + u'\0');
  EXPECT_EQ(MsnNowPlayingText("", "", "", 0).size(), 41u);
  EXPECT_EQ(MsnNowPlayingText("a", "", "", 2).substr(0, 12), u"\\0Games\\01\\0");
  EXPECT_EQ(MsnNowPlayingText("a", "", "", 3).substr(0, 13), u"\\0Office\\01\\0");
}

TEST(MsnNowPlaying, TheWholeTextFitsIn127UnitsOrGoesEmpty) {
  // 41 units with empty fields: 86 more fit, 87 do not.
  const std::string fits = std::string(40, 'a');
  const MsnBuffer full = MsnNowPlayingBuffer(fits, std::string(6, 'b'), std::string(40, 'c'), 1);
  EXPECT_EQ(MsnNowPlayingText(fits, std::string(6, 'b'), std::string(40, 'c'), 1).size(), 127u);
  EXPECT_EQ(full[0], '\\');
  EXPECT_EQ(full[252], 0) << "the text's own zero";
  EXPECT_EQ(full[254], 0) << "the terminator";
  EXPECT_EQ(full[255], 0);
  EXPECT_NE(full[250], 0);
  const MsnBuffer over = MsnNowPlayingBuffer(fits, std::string(7, 'b'), std::string(40, 'c'), 1);
  EXPECT_EQ(over, MsnBuffer{});
  EXPECT_EQ(MsnNowPlayingBuffer(std::string(5000, 'x'), "", "", 1), MsnBuffer{});
}

TEST(MsnNowPlaying, AccentedTextAndFieldMarksInValues) {
  const std::u16string text = MsnNowPlayingText("Zoë", "Été", "Ça", 1);
  EXPECT_NE(text.find(u"\\0Zo\u00EB\\0\u00C7a\\0\u00C9t\u00E9\\0WMContentID"), std::u16string::npos);
  // A character outside the basic plane takes two units.
  EXPECT_EQ(MsnNowPlayingText("\xF0\x9F\x8E\xB5", "", "", 1).size(), 43u);
  // "\0" inside a value cannot open a field of its own.
  const std::u16string injected = MsnNowPlayingText("AC\\0DC", "x\\", "0y", 1);
  EXPECT_NE(injected.find(u"\\0AC\\ 0DC\\00y\\0x\\\\0WMContentID"), std::u16string::npos);
  int marks = 0;
  for (std::size_t at = injected.find(u"\\0"); at != std::u16string::npos; at = injected.find(u"\\0", at + 2)) ++marks;
  EXPECT_EQ(marks, 7) << "one mark before each of the seven fields";
}

}  // namespace
}  // namespace player
