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
  EXPECT_EQ(titlesOnly.Comment, "Комментарий");
}

TEST(ID3v2Write, ALongCommentShownWithoutPicturesIsSavedWhole) {
  // The tag editor shows what a read without pictures gives, and saves
  // through a read with pictures: a long comment must survive that.
  MemoryFileSystem mem;
  mem.Put("f.mp3", test::Tag(3, test::Frame23("COMM", std::string("\0eng\0", 5) + std::string(700, 'c')), 64) + "audio");
  TID3v2 shown(mem), saving(mem);
  ASSERT_TRUE(shown.ReadFromFile("f.mp3", false));
  ASSERT_TRUE(saving.ReadFromFile("f.mp3", true));
  saving.SetComment(shown.Comment);
  saving.SetTitle("Edited");
  ASSERT_TRUE(saving.SaveToFile("f.mp3"));
  TID3v2 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f.mp3", true));
  EXPECT_EQ(back.Comment, std::string(700, 'c'));
}

TEST(ID3v2Write, AFileTheObjectDidNotReadIsComparedWithItsOwnValues) {
  // One object for every file, its tag never read (the copy from ID3v1):
  // each field differing from that file's own value is written, each equal
  // one keeps the file's frame as stored.
  const std::string album = test::Frame23("TALB", std::string("\x01\xFF\xFE" "A\0l\0b\0u\0m\0", 13));
  MemoryFileSystem mem;
  mem.Put("a.mp3", test::Tag(3, test::Frame23("TPE1", test::Latin1Text("Old A")) + album, 64) + "audio a");
  mem.Put("b.mp3", test::Tag(3, test::Frame23("TPE1", test::Latin1Text("Old B")) + album +
                                    test::Frame23("TIT2", test::Latin1Text("B title")), 64) + "audio b");
  TID3v2 t(mem);
  for (const char* name : {"a.mp3", "b.mp3"}) {
    t.SetArtist("X");
    t.SetAlbum("Album");
    ASSERT_TRUE(t.SaveToFile(name)) << name;
  }
  for (const char* name : {"a.mp3", "b.mp3"}) {
    SCOPED_TRACE(name);
    TID3v2 back(mem);
    ASSERT_TRUE(back.ReadFromFile(name));
    EXPECT_EQ(back.Artist, "X");
    EXPECT_EQ(back.Album, "Album");
    EXPECT_EQ(back.Title, "");  // the object's empty title differs from B's
    EXPECT_NE(mem.Get(name)->find(album), std::string::npos);  // kept byte for byte
  }
  // Read from one file, saved to another: the other file's values count.
  TID3v2 fromA(mem);
  ASSERT_TRUE(fromA.ReadFromFile("a.mp3"));
  mem.Put("c.mp3", test::Tag(3, test::Frame23("TPE1", test::Latin1Text("Old C")), 64) + "audio c");
  ASSERT_TRUE(fromA.SaveToFile("c.mp3"));
  TID3v2 c(mem);
  ASSERT_TRUE(c.ReadFromFile("c.mp3"));
  EXPECT_EQ(c.Artist, "X");
  EXPECT_EQ(c.Album, "Album");
}

TEST(ID3v2Write, EditingTheCommentLeavesOtherProgramsDescribedComments) {
  const std::string described = std::string("\0eng", 4) + "iTunNORM" + '\0' + "00000001 00000002";
  MemoryFileSystem mem;
  mem.Put("f.mp3", test::Tag(3, test::Frame23("COMM", described), 64) + "audio");
  TID3v2 t(mem);
  ASSERT_TRUE(t.ReadFromFile("f.mp3"));
  EXPECT_EQ(t.Comment, "00000001 00000002");  // the only comment there is
  t.SetComment("Mine");
  ASSERT_TRUE(t.SaveToFile("f.mp3"));
  EXPECT_NE(mem.Get("f.mp3")->find(test::Frame23("COMM", described)), std::string::npos);
  TID3v2 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f.mp3"));
  EXPECT_EQ(back.Comment, "Mine");
  back.SetComment("Mine again");
  ASSERT_TRUE(back.SaveToFile("f.mp3"));
  ASSERT_TRUE(t.ReadFromFile("f.mp3"));
  EXPECT_EQ(t.Comment, "Mine again");
  const std::string& bytes = *mem.Get("f.mp3");
  EXPECT_EQ(bytes.find(std::string("Mine\0", 5)), std::string::npos);
  EXPECT_NE(bytes.find("iTunNORM"), std::string::npos);
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
  EXPECT_EQ(test::OracleValue(d, "TXXX:k"), "v");
}

TEST(ID3v2Write, Version22FramesWithoutAFieldAreCarriedOver) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v22_frames.mp3", "v22.mp3");
  const std::string audio = AudioOf(path);
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetArtist("New artist");
  ASSERT_TRUE(t.SaveToFile(path));
  EXPECT_EQ(AudioOf(path), audio);
  const std::string bytes = test::ReadBytes(path);
  for (const char* id : {"TDAT", "TIME", "TXXX", "USLT", "UFID", "TPE2", "TPOS", "POPM"})
    EXPECT_NE(bytes.find(id), std::string::npos) << id;
  EXPECT_EQ(bytes.find("CRM"), std::string::npos);  // no 2.3 form
  if (!test::OracleAvailable()) return;
  const Dump before = test::Oracle("dump", test::Fixture("v22_frames.mp3"));
  const Dump after = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(after, "version"), "2.3");
  EXPECT_EQ(test::OracleValue(after, "TPE1"), "New artist");
  EXPECT_EQ(Without(after, {"TPE1"}), Without(before, {}));
}

TEST(ID3v2Write, Version24DatesAndShortFramesSuitVersion23Readers) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v24_dates.mp3", "dates.mp3");
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  EXPECT_EQ(t.Year, "2003");
  t.SetTitle("Saved as 2.3");
  ASSERT_TRUE(t.SaveToFile(path));
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(path));
  EXPECT_EQ(back.Year, "2003");
  EXPECT_EQ(back.Artist, "After the short frame");
  // No frame of the new tag has size 0: 2.3 readers stop there.
  const std::string bytes = test::ReadBytes(path);
  for (std::size_t pos = 10; pos + 10 <= static_cast<std::size_t>(back.Size) && bytes[pos] != '\0';) {
    const std::uint32_t size = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[pos + 4]) << 24 |
                                                          static_cast<unsigned char>(bytes[pos + 5]) << 16 |
                                                          static_cast<unsigned char>(bytes[pos + 6]) << 8 |
                                                          static_cast<unsigned char>(bytes[pos + 7]));
    EXPECT_GT(size, 0u) << bytes.substr(pos, 4);
    pos += 10 + size;
  }
  EXPECT_EQ(bytes.find("TDRC"), std::string::npos);
  if (!test::OracleAvailable()) return;
  const Dump d = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(d, "version"), "2.3");
  EXPECT_EQ(test::OracleValue(d, "TYER"), "2003");
  EXPECT_EQ(test::OracleValue(d, "TDAT"), "0504");
  EXPECT_EQ(test::OracleValue(d, "TIME"), "0607");
  EXPECT_EQ(test::OracleValue(d, "TPE1"), "After the short frame");
  EXPECT_EQ(test::OracleValue(d, "TALB"), "Album");
}

TEST(ID3v2Write, Version24EncodingsAndCompressionInEveryLayout) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v24_encodings.mp3", "enc.mp3");
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTitle("Saved");
  ASSERT_TRUE(t.SaveToFile(path));
  // Every text is encoding 0 or 1 now, and the compressed frame keeps its
  // bytes under version 2.3's compression flag and decompressed size.
  const std::string bytes = test::ReadBytes(path);
  for (const char* id : {"APIC", "WXXX", "GEOB"}) {
    const std::size_t at = bytes.find(id);
    ASSERT_NE(at, std::string::npos) << id;
    EXPECT_EQ(bytes[at + 10], '\x01') << id;
  }
  const std::size_t tcom = bytes.find("TCOM");
  ASSERT_NE(tcom, std::string::npos);
  EXPECT_EQ(bytes[tcom + 9], '\x80');
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(path, true));
  EXPECT_EQ(back.Artist, "After");
  EXPECT_EQ(back.Link, "http://example.com/");
  EXPECT_EQ(back.Picture.substr(0, 2), "\xFF\xD8");
  if (!test::OracleAvailable()) return;
  const Dump before = test::Oracle("dump", test::Fixture("v24_encodings.mp3"));
  const Dump after = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(after, "version"), "2.3");
  EXPECT_EQ(test::OracleValue(after, "TIT2"), "Saved");
  EXPECT_EQ(Without(after, {"TIT2"}), Without(before, {"TIT2"}));
}

TEST(ID3v2Write, EncryptedAndCompressedVersion24FramesKeepTheirBytes) {
  // Flags: grouping (0x40), encryption (0x04), data length (0x01); then
  // compression without the data length version 2.3 needs.
  const std::string secret = std::string("\x07\x81", 2) + test::SyncSafe(5) + "crypt";
  const std::string encrypted = std::string("PRIV") + test::SyncSafe(static_cast<std::uint32_t>(secret.size())) +
                                std::string("\0\x45", 2) + secret;
  MemoryFileSystem mem;
  mem.Put("f", test::Tag(4, encrypted + test::Frame24("TIT2", test::Latin1Text("T")), 32) + "audio");
  TID3v2 t(mem);
  ASSERT_TRUE(t.ReadFromFile("f"));
  t.SetTitle("U");
  ASSERT_TRUE(t.SaveToFile("f"));
  // Version 2.3: encryption then grouping flag (0x40 | 0x20), the method
  // byte before the group byte.
  EXPECT_NE(mem.Get("f")->find(std::string("PRIV\0\0\0\x07\0\x60\x81\x07" "crypt", 17)), std::string::npos);

  const std::string noLength = test::Frame24("TPE1", "zlib bytes", '\x08');
  mem.Put("g", test::Tag(4, noLength, 32) + "audio");
  const std::string old = *mem.Get("g");
  TID3v2 g(mem);
  ASSERT_TRUE(g.ReadFromFile("g"));
  g.SetTitle("U");
  EXPECT_FALSE(g.SaveToFile("g"));
  EXPECT_EQ(g.LastStatus(), TagStatus::Unsupported);
  EXPECT_EQ(*mem.Get("g"), old);
}

TEST(ID3v2Write, Version24WithPlainFrameSizesKeepsEveryFrame) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v24_plain_sizes.mp3", "plain.mp3");
  const std::string audio = AudioOf(path);
  TID3v2 t;
  ASSERT_TRUE(t.ReadFromFile(path, true));
  const std::string picture = t.Picture;
  t.SetTitle("Edited");
  ASSERT_TRUE(t.SaveToFile(path));
  EXPECT_EQ(AudioOf(path), audio);
  TID3v2 back;
  ASSERT_TRUE(back.ReadFromFile(path, true));
  EXPECT_EQ(back.Title, "Edited");
  EXPECT_EQ(back.Picture, picture);
  EXPECT_EQ(back.Artist, "Plain artist");
  EXPECT_EQ(back.Album, "Plain album");
  EXPECT_EQ(back.TrackString, "5/9");
  EXPECT_EQ(back.Year, "2011");
  EXPECT_EQ(back.Genre, "Jazz");
  EXPECT_EQ(back.Comment, std::string(295, 'c'));
  if (!test::OracleAvailable()) return;
  const Dump before = test::Oracle("dump", test::Fixture("v24_plain_sizes.mp3"));
  const Dump after = test::Oracle("dump", path);
  EXPECT_EQ(test::OracleValue(after, "APIC:3"), test::OracleValue(before, "APIC:3"));
  EXPECT_EQ(test::OracleValue(after, "TYER"), "2011");
  EXPECT_EQ(Without(after, {"TIT2", "TYER"}), Without(before, {"TIT2", "TDRC"}));
}

TEST(ID3v2Write, AWalkThatStopsShortOfTheTagIsRefused) {
  // Bytes that are not a frame, and a frame running past the tag: what
  // follows them cannot be carried over, so nothing is written.
  const std::string title = test::Frame23("TIT2", test::Latin1Text("T"));
  const std::string artist = test::Frame23("TPE1", test::Latin1Text("A"));
  for (const std::string& frames : {title + "\x01garbage!" + artist, title + test::Frame23("TALB", "x", 400) + artist}) {
    MemoryFileSystem mem;
    mem.Put("f", test::Tag(3, frames, 64) + "audio");
    const std::string old = *mem.Get("f");
    TID3v2 t(mem);
    ASSERT_TRUE(t.ReadFromFile("f"));
    EXPECT_EQ(t.Title, "T");
    t.SetTitle("New");
    EXPECT_FALSE(t.SaveToFile("f"));
    EXPECT_EQ(t.LastStatus(), TagStatus::Malformed);
    EXPECT_EQ(*mem.Get("f"), old);
  }
  // A tag running past the end of the file stays refused too.
  const std::string cut = test::ReadBytes(test::Fixture("v23_past_end.mp3"));
  MemoryFileSystem mem;
  mem.Put("f", cut);
  TID3v2 t(mem);
  ASSERT_TRUE(t.ReadFromFile("f"));
  t.SetTitle("New");
  EXPECT_FALSE(t.SaveToFile("f"));
  EXPECT_EQ(*mem.Get("f"), cut);
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
