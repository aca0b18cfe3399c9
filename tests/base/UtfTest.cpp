#include <gtest/gtest.h>

#include "base/Utf.h"

using namespace sv;

TEST(Utf, Utf8AndUtf16RoundTripOutsideTheBasicPlane) {
  const std::string text = "h\xC3\xA9 \xE9\x9F\xB3 \xF0\x9F\x8E\xB5";  // é, 音, 🎵
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"h\u00e9 \u97f3 \U0001F3B5");
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(Utf, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");                      // truncated
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82x"), u"\uFFFDx");                // broken, resynchronises
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
}

TEST(Utf, LoneSurrogatesInUtf16BecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(u"a\xD800" u"b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16LEBytesToUtf8(std::string("A\0\x3C\xD8\x35\xDF", 6)), "A\xF0\x9F\x8C\xB5");
  EXPECT_EQ(Utf16BEBytesToUtf8(std::string("\0A\0B\0", 5)), "AB");  // odd byte dropped
}

TEST(Utf, Windows1252CoversTheC1RangeAndRoundTripsEveryByte) {
  EXPECT_EQ(Cp1252ToUtf8("\x80\x93\x94\xE9"), "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D\xC3\xA9");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  bool lossless = false;
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all), &lossless), all);
  EXPECT_TRUE(lossless);
  EXPECT_EQ(Utf8ToCp1252("\xE9\x9F\xB3 x", &lossless), "? x");
  EXPECT_FALSE(lossless);
}

TEST(Utf, Latin1MapsBytesToTheFirst256CodePoints) {
  EXPECT_EQ(Latin1ToUtf8("\x80\xE9"), "\xC2\x80\xC3\xA9");
  bool lossless = true;
  EXPECT_EQ(Utf8ToLatin1("\xE2\x82\xAC\xC3\xA9", &lossless), "?\xE9");  // no euro sign in Latin-1
  EXPECT_FALSE(lossless);
}

TEST(Utf, ValidityAndPrefixes) {
  EXPECT_TRUE(IsValidUtf8("plain \xEF\xBF\xBD"));
  EXPECT_FALSE(IsValidUtf8("\xE9t\xE9"));
  EXPECT_FALSE(IsValidUtf8("\xEF\xBF"));
  EXPECT_EQ(Utf8Prefix("a\xC3\xA9" "b", 2), "a");
  EXPECT_EQ(Utf8Prefix("a\xC3\xA9" "b", 3), "a\xC3\xA9");
  EXPECT_EQ(Utf8Prefix("\xF0\x9F\x8E\xB5", 3), "");
  EXPECT_EQ(Utf8Prefix("abc", 10), "abc");
}
