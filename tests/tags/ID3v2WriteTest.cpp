// Saving ID3v2: mutagen reads what we write, every frame we do not model
// survives, versions 2.2 and 2.4 are carried over to 2.3, untrustworthy
// headers are refused, and a failure at any step leaves the old file.
#include <gtest/gtest.h>

#include "Id3v2TestTags.h"
#include "TagTestSupport.h"
#include "tags/ID3v2.h"
#include "tags/MemoryFileSystem.h"

namespace sv::tags {
namespace {

using Dump = std::multimap<std::string, std::string>;

std::string Audio() { return test::ReadBytes(test::Fixture("base.mp3")); }

// The audio after the tag of `path`.
std::string AudioOf(const std::string& path) {
  TID3v2 t;
  EXPECT_TRUE(t.ReadFromFile(path));
  return test::ReadBytes(path).substr(static_cast<std::size_t>(t.Size));
}

Dump Without(Dump d, const std::vector<std::string>& keys) {
  d.erase("version");
  for (const auto& k : keys) d.erase(k);
  return d;
}

TEST(ID3v2Write, ACommentAfterALongDescriptionReadsBackWithPictures) {
  // The kept description pushes the new comment past the bytes a read
  // without pictures takes of a frame; a read with pictures takes it whole.
  const std::string described = std::string("\0eng", 4) + std::string(600, 'd') + '\0' + "old";
  MemoryFileSystem mem;
  mem.Put("f.mp3", test::Tag(3, test::Frame23("COMM", described), 64) + "audio");
  TID3v2 tag(mem);
  ASSERT_TRUE(tag.ReadFromFile("f.mp3", true));
  EXPECT_EQ(tag.Comment, "old");
  tag.SetComment("Комментарий");
  ASSERT_TRUE(tag.SaveToFile("f.mp3"));
  TID3v2 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f.mp3", true));
  EXPECT_EQ(back.Comment, "Комментарий");
  TID3v2 titlesOnly(mem);
  ASSERT_TRUE(titlesOnly.ReadFromFile("f.mp3", false));
  EXPECT_EQ(titlesOnly.Comment, "");
}

TEST(ID3v2Write, UntaggedFileGainsA4096ByteTagMutagenReads) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("base.mp3", "new.mp3");
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTitle("Кино 東京 😀");
  t.SetArtist("Café");
  t.SetAlbum("Album");
  t.SetTrack(7);
  t.SetYear("2024");
  t.SetGenre("Rock (live)");
  t.SetComment("Comment é ✓");
  t.Composer = "Composer";
  t.Link = "http://example.com/";
  t.SetPicture(test::ReadBytes(test::Fixture("cover.jpg")));
  ASSERT_TRUE(t.SaveToFile(path));
  EXPECT_EQ(t.Size, 4096);
  const std::string bytes = test::ReadBytes(path);
  EXPECT_EQ(bytes.substr(4096), Audio());

  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(path, true));
  EXPECT_EQ(back.VersionID, 3);
  EXPECT_EQ(back.Title, "Кино 東京 😀");
  EXPECT_EQ(back.Comment, "Comment é ✓");
  EXPECT_EQ(back.Genre, "Rock (live)");
  EXPECT_EQ(back.Link, "http://example.com/");
  EXPECT_EQ(back.Picture, test::ReadBytes(test::Fixture("cover.jpg")));

  if (!test::OracleAvailable()) return;
  const Dump d = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(d, "version"), "2.3");
  EXPECT_EQ(test::OracleValue(d, "TIT2"), "Кино 東京 😀");
  EXPECT_EQ(test::OracleValue(d, "TPE1"), "Café");
  EXPECT_EQ(test::OracleValue(d, "TRCK"), "7");
  EXPECT_EQ(test::OracleValue(d, "TCON"), "Rock (live)");
  EXPECT_EQ(test::OracleValue(d, "COMM::eng"), "Comment é ✓");
  EXPECT_EQ(test::OracleValue(d, "TCOM"), "Composer");
  EXPECT_EQ(test::OracleValue(d, "WXXX:"), "http://example.com/");
  EXPECT_EQ(test::OracleValue(d, "APIC:3").substr(0, 14), "image/jpeg 278");
}

TEST(ID3v2Write, ChangingOneFieldKeepsEveryOtherFrame) {
  if (!test::OracleAvailable()) GTEST_SKIP() << "needs Python and mutagen";
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("m_preserve.mp3", "keep.mp3");
  const Dump before = test::Oracle("dump", path);
  const std::string audio = AudioOf(path);
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTitle("Changed");
  ASSERT_TRUE(t.SaveToFile(path));
  const Dump after = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(after, "TIT2"), "Changed");
  EXPECT_EQ(Without(after, {"TIT2"}), Without(before, {"TIT2"}));
  EXPECT_EQ(AudioOf(path), audio);
}

TEST(ID3v2Write, ChangedTrackCommentAndPictureReplaceOnlyTheirFrames) {
  if (!test::OracleAvailable()) GTEST_SKIP() << "needs Python and mutagen";
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("m_preserve.mp3", "edit.mp3");
  const Dump before = test::Oracle("dump", path);
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTrack(4);
  t.SetComment("Новый");
  t.SetPicture(test::ReadBytes(test::Fixture("cover.jpg")));
  ASSERT_TRUE(t.SaveToFile(path));
  const Dump after = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(after, "TRCK"), "4/12");
  EXPECT_EQ(test::OracleValue(after, "COMM::fra"), "Новый");
  EXPECT_EQ(test::OracleValue(after, "COMM:iTunNORM:eng"), "00000001 00000002");
  EXPECT_EQ(test::OracleValue(after, "APIC:3").substr(0, 14), "image/jpeg 278");
  EXPECT_EQ(test::OracleValue(after, "APIC:4"), test::OracleValue(before, "APIC:4"));
  EXPECT_EQ(Without(after, {"TRCK", "COMM::fra", "APIC:3"}), Without(before, {"TRCK", "COMM::fra", "APIC:3"}));

  TID3v2 cleared;
  ASSERT_TRUE(cleared.ReadFromFile(path));
  cleared.SetPicture("");
  ASSERT_TRUE(cleared.SaveToFile(path));
  const Dump noCover = test::Oracle("dump", path);
  EXPECT_EQ(noCover.count("APIC:3"), 0u);
  EXPECT_EQ(test::OracleValue(noCover, "APIC:4"), test::OracleValue(before, "APIC:4"));
}

TEST(ID3v2Write, Version24IsCarriedOverTo23) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("m_v24.mp3", "v24.mp3");
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetAlbum("Changed album");
  ASSERT_TRUE(t.SaveToFile(path));
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(path));
  EXPECT_EQ(back.VersionID, 3);
  EXPECT_EQ(back.Title, "Émoji 😀 title");
  EXPECT_EQ(back.Artist, "東京事変");
  EXPECT_EQ(back.Year, "2003");
  EXPECT_EQ(back.Comment, "UTF-8 comment ✓");
  if (!test::OracleAvailable()) return;
  const Dump d = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(d, "version"), "2.3");
  EXPECT_EQ(test::OracleValue(d, "TPE1"), "東京事変");
  EXPECT_EQ(test::OracleValue(d, "TALB"), "Changed album");
  EXPECT_EQ(test::OracleValue(d, "TXXX:note"), "ünïcode");
  EXPECT_EQ(test::OracleValue(d, "COMM::eng"), "UTF-8 comment ✓");
}

TEST(ID3v2Write, Version22FramesOfTheTableAreUpgraded) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v22.mp3", "v22.mp3");
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path, true));
  const std::string picture = t.Picture;
  t.SetYear("1999");
  ASSERT_TRUE(t.SaveToFile(path));
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(path, true));
  EXPECT_EQ(back.Title, "Two Two Title");
  EXPECT_EQ(back.Artist, "Артист");
  EXPECT_EQ(back.TrackString, "4/9");
  EXPECT_EQ(back.Year, "1999");
  EXPECT_EQ(back.Picture, picture);
  if (!test::OracleAvailable()) return;
  const Dump d = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(d, "version"), "2.3");
  EXPECT_EQ(test::OracleValue(d, "COMM::eng"), "Old comment");
  EXPECT_EQ(d.count("TXXX:k"), 0u);
}

TEST(ID3v2Write, UnsynchronisedTagIsRewrittenPlain) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v23_unsync.mp3", "u.mp3");
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path, true));
  const std::string picture = t.Picture;
  t.SetAlbum("Album");
  ASSERT_TRUE(t.SaveToFile(path));
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(path, true));
  EXPECT_EQ(back.Title, "ÿ unsync ÿ");
  EXPECT_EQ(back.Picture, picture);
  if (!test::OracleAvailable()) return;
  EXPECT_EQ(test::OracleValue(test::Oracle("dump", path), "TIT2"), "ÿ unsync ÿ");
}

TEST(ID3v2Write, InPlaceUpTo4096BytesElseRebuiltTo4096) {
  test::ScratchDir dir;
  const std::string small = dir.CopyFixture("v23_4096.mp3", "small.mp3");
  const std::size_t size = test::ReadBytes(small).size();
  const std::string audio = AudioOf(small);
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(small));
  t.SetTitle("In place");
  ASSERT_TRUE(t.SaveToFile(small));
  EXPECT_EQ(test::ReadBytes(small).size(), size);
  EXPECT_EQ(AudioOf(small), audio);

  const std::string big = dir.CopyFixture("v23_5000.mp3", "big.mp3");
  ASSERT_TRUE(t.ReadFromFile(big));
  t.SetTitle("Rebuilt");
  ASSERT_TRUE(t.SaveToFile(big));
  EXPECT_EQ(t.Size, 4096);
  EXPECT_EQ(AudioOf(big), audio);
  if (test::OracleAvailable()) {
    EXPECT_EQ(test::Oracle("dump", big).count("PRIV"), 1u);
  }

  MemoryFileSystem mem;
  for (const std::size_t tagSize : {4096u, 4097u}) {
    const std::string frames = test::Frame23("TIT2", test::Latin1Text("x"));
    mem.Put("f", test::Tag(3, frames, tagSize - 10 - frames.size()) + audio);
    TID3v2 m(mem);
    ASSERT_TRUE(m.ReadFromFile("f"));
    m.SetTitle("y");
    ASSERT_TRUE(m.SaveToFile("f"));
    EXPECT_EQ(m.Size, 4096) << tagSize;
    EXPECT_EQ(mem.Get("f")->substr(4096), audio);
  }
}

TEST(ID3v2Write, FooterFlagOnVersion23DoesNotEatAudio) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v23_footer_flag.mp3", "f.mp3");
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTitle("Saved");
  ASSERT_TRUE(t.SaveToFile(path));
  EXPECT_EQ(AudioOf(path), Audio());
}

TEST(ID3v2Write, UntrustworthyHeadersAreRefused) {
  for (const char* name : {"unknown_version", "syncsafe_high_bits", "size_past_file", "v22_compressed",
                           "ext_header_huge", "9_bytes"}) {
    SCOPED_TRACE(name);
    const std::string old = test::ReadBytes(test::MalformedInputs(std::string("id3v2_") + name).at(0));
    MemoryFileSystem mem;
    mem.Put("f", old);
    TID3v2 t(mem);
    t.ReadFromFile("f");
    t.SetTitle("x");
    const bool saved = t.SaveToFile("f");
    if (std::string(name) == "9_bytes") {
      EXPECT_TRUE(saved);  // not a tag: the bytes are kept as audio
      EXPECT_EQ(mem.Get("f")->substr(4096), old);
    } else {
      EXPECT_FALSE(saved);
      EXPECT_EQ(*mem.Get("f"), old);
    }
    EXPECT_EQ(mem.FileCount(), 1u);
  }
}

TEST(ID3v2Write, MalformedTagsSaveSafely) {
  for (const std::string& path : test::MalformedInputs("id3v2_")) {
    SCOPED_TRACE(path);
    const std::string old = test::ReadBytes(path);
    MemoryFileSystem mem;
    mem.Put("f", old);
    TID3v2 t(mem);
    t.ReadFromFile("f");
    t.SetArtist("New artist");
    if (!t.SaveToFile("f")) {
      EXPECT_EQ(*mem.Get("f"), old);
      continue;
    }
    TID3v2 back(mem);
    ASSERT_TRUE(back.ReadFromFile("f"));
    EXPECT_EQ(back.Artist, "New artist");
  }
}

TEST(ID3v2Write, ExistingTildeFileIsLeftAlone) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("untagged.mp3", "song.mp3");
  test::WriteBytes(path + "~", "someone else's");
  TID3v2 t;
  t.SetTitle("x");
  ASSERT_TRUE(t.SaveToFile(path));
  EXPECT_EQ(test::ReadBytes(path + "~"), "someone else's");
  EXPECT_EQ(dir.Files().size(), 2u);
}

TEST(ID3v2Write, UnchangedSaveKeepsTheFrames) {
  for (const char* fixture : {"eyed3_utf16-be.mp3", "eyed3_utf16.mp3", "v23_id3v2.mp3", "lame_cover.mp3"}) {
    SCOPED_TRACE(fixture);
    MemoryFileSystem mem;
    mem.Put("f", test::ReadBytes(test::Fixture(fixture)));
    TID3v2 t(mem);
    ASSERT_TRUE(t.ReadFromFile("f", true));
    ASSERT_TRUE(t.SaveToFile("f"));
    TID3v2 back(mem);
    ASSERT_TRUE(back.ReadFromFile("f", true));
    EXPECT_EQ(back.Title, t.Title);
    EXPECT_EQ(back.Artist, t.Artist);
    EXPECT_EQ(back.TrackString, t.TrackString);
    EXPECT_EQ(back.Comment, t.Comment);
    EXPECT_EQ(back.Genre, t.Genre);
    EXPECT_EQ(back.Picture, t.Picture);
  }
}

TEST(ID3v2Safety, SaveSurvivesAFailureAtEveryStep) {
  for (const char* fixture : {"base.mp3", "v23_4096.mp3", "m_preserve.mp3", "v22.mp3", "m_v24.mp3"}) {
    SCOPED_TRACE(fixture);
    const std::string old = test::ReadBytes(test::Fixture(fixture));
    test::ExpectOldOrNewAfterEachFailure("f.mp3", old, [](FileSystem& fs, const std::function<void()>& failFromHere) {
      failFromHere();
      TID3v2 t(fs);
      if (!t.ReadFromFile("f.mp3")) return false;
      t.SetTitle("Новое");
      return t.SaveToFile("f.mp3");
    });
  }
}

#ifdef _WIN32
TEST(ID3v2Safety, FileOpenElsewhereIsLeftIntact) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("m_preserve.mp3", "playing.mp3");
  const std::string old = test::ReadBytes(path);
  auto player = NativeFileSystem().OpenRead(path, ReadSharing::DenyWrite);
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTitle(std::string(5000, 'x'));  // forces a rebuild
  EXPECT_FALSE(t.SaveToFile(path));
  player.reset();
  EXPECT_EQ(test::ReadBytes(path), old);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"playing.mp3"});
}

TEST(ID3v2Safety, ReadOnlyFileIsSavedAndStaysReadOnly) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("m_preserve.mp3", "ro.mp3");
  ASSERT_TRUE(NativeFileSystem().SetAttributes(path, kAttributeReadOnly));
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTitle(std::string(5000, 'x'));
  EXPECT_TRUE(t.SaveToFile(path));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(NativeFileSystem().GetAttributes(path, attributes));
  EXPECT_TRUE(attributes & kAttributeReadOnly);
}
#endif

}  // namespace
}  // namespace sv::tags
