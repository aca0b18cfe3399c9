// The tag editor's way with a selection of files: one object of each tag
// class for all of them. ID3v1 is copied into ID3v2 and back without the
// target tag being read; APE and Ogg Vorbis tags are read, edited and saved
// file after file. Each file must end with its own stored values wherever
// the edit did not change them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tags/APETag.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"
#include "tests/tags/FormatTestSupport.h"

namespace sv::tags {
namespace {

// Three MP3 files of one album: the same ID3v2 tag from mutagen (with
// pictures and frames no field models), each with its own ID3v1 title and
// Lyrics3 block, the album's artist and album in every ID3v1 record.
class EditorFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* lyrics[] = {"First words", "Second words", ""};
    for (int i = 0; i < 3; ++i) {
      const std::string path = dir_.CopyFixture("m_preserve.mp3", "track" + std::to_string(i + 1) + ".mp3");
      TID3v1 v1;
      v1.SetTitle("Song " + std::to_string(i + 1));
      v1.SetArtist("Album artist");
      v1.SetAlbum("The album");
      v1.SetYear("1987");
      v1.SetTrack(static_cast<std::uint8_t>(i + 1));
      v1.SetGenre("Rock");
      v1.Lyrics = lyrics[i];
      v1.Author = i == 0 ? "First author" : "";
      ASSERT_TRUE(v1.SaveToFile(path));
      paths_.push_back(path);
    }
  }
  test::ScratchDir dir_;
  std::vector<std::string> paths_;
};

TEST_F(EditorFlow, Id3v1CopiedIntoId3v2OfEveryFile) {
  TID3v1 v1;
  TID3v2 v2;  // never reads a file
  for (const std::string& path : paths_) {
    ASSERT_TRUE(v1.ReadFromFile(path));
    v2.SetArtist(v1.GetArtist());
    v2.SetAlbum(v1.GetAlbum());
    v2.SetTitle(v1.GetTitle());
    v2.SetYear(v1.Year);
    v2.SetTrack(v1.Track);
    v2.SetComment(v1.GetComment());
    v2.SetGenre(v1.GetGenre());
    ASSERT_TRUE(v2.SaveToFile(path)) << path;
  }
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    SCOPED_TRACE(paths_[i]);
    TID3v2 back;
    ASSERT_TRUE(back.ReadFromFile(paths_[i], true));
    EXPECT_EQ(back.Title, "Song " + std::to_string(i + 1));
    EXPECT_EQ(back.Artist, "Album artist");  // every file, not only the first
    EXPECT_EQ(back.Album, "The album");
    EXPECT_EQ(back.Track, i + 1);
    EXPECT_EQ(back.Year, "1987");  // equal to the stored year: kept
    EXPECT_EQ(back.Genre, "Rock");
    // The picture and the frames no field models stay; a modelled field the
    // copy leaves empty (the link) differs from the file's and goes.
    EXPECT_EQ(back.Picture.substr(0, 2), "\xFF\xD8");
    EXPECT_NE(test::ReadBytes(paths_[i]).find("replaygain_track_gain"), std::string::npos);
    EXPECT_EQ(back.Link, "");
  }
}

TEST_F(EditorFlow, Id3v2CopiedIntoId3v1OfEveryFile) {
  TID3v2 v2;
  TID3v1 v1;  // never reads a file
  for (const std::string& path : paths_) {
    ASSERT_TRUE(v2.ReadFromFile(path, true));
    v1.SetArtist(v2.Artist);
    v1.SetAlbum(v2.Album);
    v1.SetTitle(v2.Title);
    v1.SetYear(v2.Year);
    v1.SetTrack(static_cast<std::uint8_t>(v2.Track));
    v1.SetComment(v2.Comment);
    v1.SetGenre(v2.Genre);
    ASSERT_TRUE(v1.SaveToFile(path)) << path;
  }
  const char* lyrics[] = {"First words", "Second words", ""};
  for (std::size_t i = 0; i < paths_.size(); ++i) {
    SCOPED_TRACE(paths_[i]);
    TID3v1 back;
    ASSERT_TRUE(back.ReadFromFile(paths_[i]));
    EXPECT_EQ(back.GetTitle(), "Keep Title");
    EXPECT_EQ(back.GetArtist(), "????");  // Cyrillic has no Windows-1252 form
    EXPECT_EQ(back.Lyrics, lyrics[i]);
    EXPECT_EQ(back.Author, i == 0 ? "First author" : "");
    EXPECT_EQ(back.Lyrics3Present, i < 2);
  }
}

TEST(EditorFlowFormats, ApeAndOggTagsReadAndSavedFileAfterFile) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  testing::ScratchDir dir;
  TAPETag ape;
  TOggVorbis ogg;
  struct Kept {
    std::string path, title;
  };
  std::vector<Kept> apeFiles, oggFiles;
  for (const char* name : {"apev2.mp3", "ape_id3v1.mp3", "apev1.mp3"}) {
    const std::string path = dir.Path(name);
    testing::WriteBytes(path, testing::FixtureBytes(name));
    ASSERT_TRUE(ape.ReadFromFile(path)) << name;
    apeFiles.push_back({path, ape.GetField("Title")});
    ape.SetField("Album", "Shared album");
    ASSERT_TRUE(ape.SaveToFile(path)) << name;
  }
  for (const char* name : {"tagged.ogg", "nonascii.ogg", "performer.ogg"}) {
    const std::string path = dir.Path(name);
    testing::WriteBytes(path, testing::FixtureBytes(name));
    ASSERT_TRUE(ogg.ReadFromFile(path)) << name;
    oggFiles.push_back({path, ogg.Title});
    ogg.Album = "Shared album";
    ASSERT_TRUE(ogg.SaveTag(path)) << name;
  }
  for (const Kept& f : apeFiles) {
    TAPETag back;
    ASSERT_TRUE(back.ReadFromFile(f.path));
    EXPECT_EQ(back.GetField("Title"), f.title) << f.path;
    EXPECT_EQ(back.GetField("Album"), "Shared album") << f.path;
  }
  for (const Kept& f : oggFiles) {
    TOggVorbis back;
    ASSERT_TRUE(back.ReadFromFile(f.path));
    EXPECT_EQ(back.Title, f.title) << f.path;
    EXPECT_EQ(back.Album, "Shared album") << f.path;
  }
}

}  // namespace
}  // namespace sv::tags
