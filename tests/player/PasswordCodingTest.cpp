#include "base/PasswordCoding.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordCoding, AsciiKeepsTheStoredFormOfOlderFiles) {
  EXPECT_EQ(sv::EncodePassword("ab"), "2616");
  EXPECT_EQ(sv::EncodePassword(""), "");
  // Upper-case digits, and the reversal runs over the whole text, not per pair.
  EXPECT_EQ(sv::EncodePassword("Z?\x7F"), "F7F3A5");
  EXPECT_EQ(sv::DecodePassword("2616"), "ab");
}

TEST(PasswordCoding, RoundTripsAnyText) {
  for (const std::string text : {"secret", " spaced out ", "p@ss:w=rd;#", "pässwörd", "密码テスト", "\xF0\x9F\x8E\xB5 note"}) {
    const std::string stored = sv::EncodePassword(text);
    EXPECT_EQ(stored.size(), text.size() * 2) << text;
    EXPECT_EQ(stored.find_first_not_of("0123456789ABCDEF"), std::string::npos) << text;
    EXPECT_EQ(sv::DecodePassword(stored), text);
  }
}

TEST(PasswordCoding, NonAsciiIsStoredAsItsUtf8Bytes) {
  // "é" is C3 A9 in UTF-8: "C3A9" reversed.
  EXPECT_EQ(sv::EncodePassword("é"), "9A3C");
}

TEST(PasswordCoding, InvalidPairsBecomeQuestionMarks) {
  EXPECT_EQ(sv::DecodePassword("ZZ"), "?");
  EXPECT_EQ(sv::DecodePassword("2G16"), "a?");   // reversed "61G2": "61" then "G2"
  EXPECT_EQ(sv::DecodePassword(" 1"), "?");      // no blanks inside a pair
  EXPECT_EQ(sv::DecodePassword("1-"), "?");      // no sign either
  EXPECT_EQ(sv::DecodePassword("b6a6"), "jk");   // lower-case digits still read
}

TEST(PasswordCoding, AnOddLastCharacterIsIgnored) {
  EXPECT_EQ(sv::DecodePassword("616"), "a");
  EXPECT_EQ(sv::DecodePassword("6"), "");
  EXPECT_EQ(sv::DecodePassword(""), "");
}

TEST(PasswordCoding, AnsiPasswordsOfOlderFilesComeBackAsText) {
  // An older file stored the code-page byte E9 for "é" and 80 for the euro sign.
  EXPECT_EQ(sv::DecodePassword("9E08"), "\xE2\x82\xAC" "é");
  // A lone lead byte is no UTF-8 either: the result is still valid text.
  EXPECT_EQ(sv::DecodePassword("0C"), "À");
}

}  // namespace
