// The radio station name and stream title parsers on what servers send,
// including what hostile or broken servers send.
#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>

#include "player/StreamTitle.h"

namespace {

// A literal with its inner zero bytes, less the terminating one.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::string Title(const std::string& data) { return player::StreamTitleFromMetadata(data.data(), data.size()); }

std::optional<std::string> Station(const std::string& list) {
  return player::StationNameFromHeaders(list.data(), list.size());
}

TEST(StreamTitle, NormalBlock) {
  EXPECT_EQ(Title("StreamTitle='Artist - Song';"), "Artist - Song");
  EXPECT_EQ(Title("StreamTitle='  Artist - Song ';StreamUrl='http://x/';"), "Artist - Song");
  // A block as the stream carries it: padded with zero bytes to 16.
  EXPECT_EQ(Title(Bytes("StreamTitle='A';\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0")), "A");
}

TEST(StreamTitle, SemicolonsAndQuotesInOddPlaces) {
  EXPECT_EQ(Title("x;StreamTitle='Song';"), "Song");
  EXPECT_EQ(Title(";;;StreamTitle='Rock; Roll';StreamUrl='';"), "Rock; Roll");
  EXPECT_EQ(Title("StreamTitle='It's Me';"), "It's Me");
  EXPECT_EQ(Title("StreamTitle='No end"), "No end");
  EXPECT_EQ(Title("StreamTitle='Closed'"), "Closed");
  EXPECT_EQ(Title("StreamTitle='Half;"), "Half");
  EXPECT_EQ(Title("StreamTitle=Bare;"), "Bare");
  EXPECT_EQ(Title("StreamTitle='"), "");
  EXPECT_EQ(Title("StreamTitle="), "");
  EXPECT_EQ(Title("StreamTitle=';"), "");
  EXPECT_EQ(Title("StreamTitle='';"), "");
  EXPECT_EQ(Title("StreamUrl='x';"), "");
  EXPECT_EQ(Title("streamtitle='x';"), "");
}

TEST(StreamTitle, EmptyNullAndCutData) {
  EXPECT_EQ(player::StreamTitleFromMetadata(nullptr, 0), "");
  EXPECT_EQ(player::StreamTitleFromMetadata(nullptr, 100), "");
  EXPECT_EQ(Title(""), "");
  // Only the given bytes count, even when more follow in memory.
  const std::string longer = "StreamTitle='Cut here';";
  EXPECT_EQ(player::StreamTitleFromMetadata(longer.data(), 17), "Cut");
  EXPECT_EQ(player::StreamTitleFromMetadata(longer.data(), 11), "");
  // A zero byte ends the text.
  EXPECT_EQ(Title(Bytes("StreamTitle='A\0B';")), "A");
  EXPECT_EQ(Title(Bytes("\0StreamTitle='A';")), "");
}

TEST(StreamTitle, Encodings) {
  EXPECT_EQ(Title("StreamTitle='Caf\xC3\xA9 \xE6\x9D\xB1';"), "Caf\xC3\xA9 \xE6\x9D\xB1");
  // Not UTF-8: read as Windows-1252 ("Café – x").
  EXPECT_EQ(Title("StreamTitle='Caf\xE9 \x96 x';"), "Caf\xC3\xA9 \xE2\x80\x93 x");
  EXPECT_EQ(Title("StreamTitle='\xC3';"), "\xC3\x83");
}

TEST(StationName, FirstIcyNameKeepsItsBlanks) {
  const std::string list = Bytes("icy-br:128\0icy-name: Radio X\0icy-name:Second\0\0");
  EXPECT_EQ(Station(list), " Radio X");
  EXPECT_EQ(Station(Bytes("icy-name:\0\0")), "");
  EXPECT_EQ(Station(Bytes("icy-name:Caf\xE9\0\0")), "Caf\xC3\xA9");
}

TEST(StationName, ExactPrefixOnly) {
  EXPECT_EQ(Station(Bytes("ICY-NAME:x\0icy-name x\0 icy-name:y\0\0")), std::nullopt);
  EXPECT_EQ(Station(Bytes("icy-nam\0\0")), std::nullopt);
}

TEST(StationName, StaysInsideTheList) {
  EXPECT_EQ(player::StationNameFromHeaders(nullptr, 0), std::nullopt);
  EXPECT_EQ(player::StationNameFromHeaders(nullptr, 64), std::nullopt);
  EXPECT_EQ(Station(""), std::nullopt);
  // The empty text ends the list: what follows is not read.
  EXPECT_EQ(Station(Bytes("a\0\0icy-name:late\0\0")), std::nullopt);
  // No terminator at all: the buffer's end ends the last text.
  EXPECT_EQ(Station("icy-name:Unended"), "Unended");
  const std::string list = Bytes("icy-name:Longer name\0");
  EXPECT_EQ(player::StationNameFromHeaders(list.data(), 13), "Long");
}

}  // namespace
