// Title templates, path pieces and the path tests, as tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/Extensions.h"
#include "player/PathPieces.h"
#include "player/TextPieces.h"
#include "player/TitleFormat.h"

namespace {

using player::ExpandFileTitleFormat;
using player::ExpandTitleFormat;
using player::PathPieces;
using player::SplitPathPieces;
using player::TitleValues;

TitleValues Tagged(const std::string& path) {
  TitleValues v;
  v.artist = "  X ";
  v.album = "\tThe Album ";
  v.trackNb = "07";
  v.trackTitle = "Y";
  v.year = " 1999 ";
  v.length = "03:25";
  v.path = SplitPathPieces(path);
  return v;
}

TEST(TitleFormat, TaggedAndUntaggedEntriesOfOneFolder) {
  const std::string path = "D:\\Music\\Band\\Album\\01.mp3";
  EXPECT_EQ(ExpandTitleFormat("%artist - %tracktitle", Tagged(path)), " X - Y");
  EXPECT_EQ(ExpandFileTitleFormat("%rep1 - %rep0 - %filename", SplitPathPieces(path), ""), " Band - Album - 01");
}

TEST(TitleFormat, EveryPlaceholderAnyCase) {
  const TitleValues v = Tagged("D:\\Music\\Band\\Album\\01 Intro.MP3");
  EXPECT_EQ(ExpandTitleFormat("%ARTIST|%Album|%TrackNb|%TRACKTITLE|%Year|%LENGTH|%FileName|%FILEEXT|%Rep0|%REP1",
                              v),
            " X|The Album|07|Y| 1999 |03:25|01 Intro|.mp3|Album|Band");
}

TEST(TitleFormat, EveryOccurrenceIsReplaced) {
  EXPECT_EQ(ExpandTitleFormat("%artist/%artist/%ARTIST", Tagged("C:\\a.mp3")), " X/X/X");
}

TEST(TitleFormat, ValuesHoldingPlaceholderTextAreShownAsTheyAre) {
  TitleValues v = Tagged("C:\\%filename\\%rep0\\song.mp3");
  v.artist = "%year";
  v.trackTitle = "%ARTIST 100%";
  EXPECT_EQ(ExpandTitleFormat("%artist - %tracktitle [%rep0/%rep1] %year", v),
            " %year - %ARTIST 100% [%rep0/%filename]  1999 ");
  EXPECT_EQ(ExpandFileTitleFormat("%rep0 %filename", v.path, "%length"), " %rep0 song");
  EXPECT_EQ(ExpandFileTitleFormat("%length", v.path, "%rep1"), " %rep1");
}

TEST(TitleFormat, FileTemplateLeavesTagPlaceholdersAsWritten) {
  const PathPieces p = SplitPathPieces("C:\\Music\\Band\\x.ogg");
  EXPECT_EQ(ExpandFileTitleFormat("%Artist - %album %tracknb %tracktitle %year (%filename%fileext, %length)", p,
                                  "01:00"),
            " %Artist - %album %tracknb %tracktitle %year (x.ogg, 01:00)");
}

TEST(TitleFormat, TextWithoutPlaceholders) {
  const TitleValues v = Tagged("C:\\a.mp3");
  EXPECT_EQ(ExpandTitleFormat("Just text", v), " Just text");
  EXPECT_EQ(ExpandTitleFormat("", v), " ");
  EXPECT_EQ(ExpandTitleFormat("100% %unknown %%artist %", v), " 100% %unknown %X %");
  EXPECT_EQ(ExpandFileTitleFormat("50%", v.path, ""), " 50%");
}

TEST(TitleFormat, TrimsArtistAlbumTitleOnly) {
  TitleValues v;
  v.artist = " \t a b \r\n";
  v.album = "  ";
  v.trackTitle = " t ";
  v.trackNb = " 7";
  v.year = "2001 ";
  v.length = " 00:01";
  EXPECT_EQ(ExpandTitleFormat("[%artist][%album][%tracktitle][%tracknb][%year][%length]", v),
            " [a b][][t][ 7][2001 ][ 00:01]");
}

TEST(TitleFormat, LengthWantedOnlyWhenTheTemplateAsksForIt) {
  EXPECT_TRUE(player::FormatWantsLength("%artist (%LENGTH)"));
  EXPECT_TRUE(player::FormatWantsLength("%length"));
  EXPECT_FALSE(player::FormatWantsLength("%artist - %len"));
  EXPECT_FALSE(player::FormatWantsLength(""));
}

TEST(PathPieces, DriveRootUncAndTrailingSeparator) {
  struct Case {
    const char* path;
    const char* fileName;
    const char* fileExt;
    const char* rep0;
    const char* rep1;
  };
  const Case cases[] = {
      {"C:\\song.mp3", "song", ".mp3", "C:", ""},
      {"C:\\Music\\Song.Live.MP3", "Song.Live", ".mp3", "Music", "C:"},
      {"\\\\server\\share\\Band\\Album\\01.ogg", "01", ".ogg", "Album", "Band"},
      {"\\\\server\\share\\a.wav", "a", ".wav", "share", "server"},
      {"C:\\Music\\Band\\", "", "", "Music", "C:"},
      {"C:\\\\Music\\\\x", "x", "", "Music", "C:"},
      {"song.mp3", "song", ".mp3", "", ""},
      {"C:\\Music.d\\noext", "noext", "", "Music.d", "C:"},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const PathPieces p = SplitPathPieces(c.path);
    EXPECT_EQ(p.fileName, c.fileName);
    EXPECT_EQ(p.fileExt, c.fileExt);
    EXPECT_EQ(p.rep0, c.rep0);
    EXPECT_EQ(p.rep1, c.rep1);
  }
}

TEST(Extensions, DelimitedMatching) {
  using player::ExtensionInList;
  EXPECT_TRUE(ExtensionInList("$.mp3$.mp2$", ".mp3"));
  EXPECT_TRUE(ExtensionInList("$.mp3$.mp2$", ".MP2"));
  EXPECT_FALSE(ExtensionInList("$.mp3$.mp2$", ".mp"));
  EXPECT_FALSE(ExtensionInList("$.mp3$.mp2$", "mp3"));
  EXPECT_FALSE(ExtensionInList("$.mp3$.mp2$", ""));
  EXPECT_FALSE(ExtensionInList("$.mp3$.mp2$", "$"));
  EXPECT_FALSE(ExtensionInList("$.mp3$.mp2$", ".mp3$.mp2"));
  EXPECT_FALSE(ExtensionInList("$.cda$", ".c"));
  EXPECT_FALSE(ExtensionInList("$.cda$", ".cd"));
}

TEST(Extensions, ModuleCdAndPlaylistFiles) {
  EXPECT_TRUE(player::IsModuleFile("a.MOD"));
  EXPECT_TRUE(player::IsModuleFile("C:\\x\\tune.s3m"));
  EXPECT_FALSE(player::IsModuleFile("a.m"));
  EXPECT_FALSE(player::IsModuleFile("a"));
  EXPECT_FALSE(player::IsModuleFile("a."));
  EXPECT_FALSE(player::IsModuleFile("C:\\mod.it\\file"));
  EXPECT_TRUE(player::IsCdTrackFile("D:\\Track01.CDA"));
  EXPECT_FALSE(player::IsCdTrackFile("D:\\Track01.cd"));

  EXPECT_TRUE(player::IsPlaylistFile("C:\\lists\\a.M3U\\"));
  EXPECT_TRUE(player::IsPlaylistFile("a.pls"));
  EXPECT_FALSE(player::IsPlaylistFile("a.m3u\\\\"));
  EXPECT_FALSE(player::IsPlaylistFile("a.m3u8"));
  EXPECT_FALSE(player::IsPlaylistFile(".m3"));
  EXPECT_FALSE(player::IsPlaylistFile("\\"));
}

TEST(Extensions, SupportedFiles) {
  const std::vector<std::string> supported = {"mp3", "ogg", "flac", "abcdef", "wv"};
  EXPECT_TRUE(player::IsSupportedFile("song.MP3", supported));
  EXPECT_TRUE(player::IsSupportedFile("C:\\a.b\\x.flac", supported));
  EXPECT_TRUE(player::IsSupportedFile("x.wv", supported));
  EXPECT_FALSE(player::IsSupportedFile("x.abcdef", supported));
  EXPECT_FALSE(player::IsSupportedFile("a.flacx", supported));
  EXPECT_FALSE(player::IsSupportedFile("a.mp", supported));
  EXPECT_FALSE(player::IsSupportedFile("a.", {"", "mp3"}));
  EXPECT_FALSE(player::IsSupportedFile("mp3", supported));
  EXPECT_FALSE(player::IsSupportedFile("C:\\ogg\\file", supported));
}

TEST(Extensions, StreamAddresses) {
  EXPECT_TRUE(player::IsStreamUrl("HTTP://x"));
  EXPECT_TRUE(player::IsStreamUrl("http://radio.example:8000/live"));
  EXPECT_TRUE(player::IsStreamUrl("Mms://x"));
  EXPECT_FALSE(player::IsStreamUrl("ftp://x"));
  EXPECT_FALSE(player::IsStreamUrl("http:/x"));
  EXPECT_FALSE(player::IsStreamUrl("C:\\http\\x.mp3"));
  EXPECT_FALSE(player::IsStreamUrl(""));
}

TEST(TextPieces, SplitDropsEmptyPieces) {
  using V = std::vector<std::string>;
  EXPECT_EQ(player::SplitToList("\\\\a\\\\b\\", '\\'), (V{"a", "b"}));
  EXPECT_EQ(player::SplitToList("", '\\'), V{});
  EXPECT_EQ(player::SplitToList("\\\\\\", '\\'), V{});
  EXPECT_EQ(player::SplitToList("one", '+'), V{"one"});
  EXPECT_EQ(player::SplitToList("a+b c++d", '+'), (V{"a", "b c", "d"}));
}

TEST(TextPieces, ExtInfTitle) {
  EXPECT_EQ(player::GetExtInfTitle("#EXTINF:123, Artist - Title "), "Artist - Title");
  EXPECT_EQ(player::GetExtInfTitle("#extinf:-1,Radio, live"), "Radio, live");
  EXPECT_EQ(player::GetExtInfTitle("#EXTINF:123"), "");
  EXPECT_EQ(player::GetExtInfTitle("#EXTINF"), "");
  EXPECT_EQ(player::GetExtInfTitle(" #EXTINF:1,x"), "");
  EXPECT_EQ(player::GetExtInfTitle("#EXTINF:1,"), "");
}

}  // namespace
