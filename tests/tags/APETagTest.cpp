// APE tags: files written by mutagen read as mutagen reads them, our tags
// read back by mutagen with every stored item intact, placement around
// ID3v1 and Lyrics3, hostile tags, and failures at every I/O step.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tags/APETag.h"
#include "tags/Bytes.h"
#include "tags/ID3v1.h"
#include "tags/MemoryFileSystem.h"
#include "tests/tags/FormatTestSupport.h"

namespace sv::tags {
namespace {

using testing::Expectations;
using testing::FixtureBytes;
using testing::FixturePath;

std::string Field(const TAPETag& tag, std::size_t i) { return tag.Fields.at(i).Name + "=" + tag.Fields.at(i).Value; }

class ApeFixtures : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  }
  // A copy of `fixture` on disk, under a non-ASCII name.
  std::string Copy(const std::string& fixture) {
    const std::string path = dir_.Path("Ёлка ü " + fixture);
    testing::WriteBytes(path, FixtureBytes(fixture));
    return path;
  }
  testing::ScratchDir dir_;
};

TEST_F(ApeFixtures, MutagenSeesWhatWeSee) {
  for (const char* name : {"apev2.mp3", "apev1.mp3", "apev1_cp1252.mp3", "ape_id3v1.mp3", "ape_lyrics3.mp3"}) {
    SCOPED_TRACE(name);
    const Expectations e = Expectations::ForFixture(name);
    TAPETag tag;
    ASSERT_TRUE(tag.ReadFromFile(FixturePath(name)));
    ASSERT_TRUE(tag.Exists);
    EXPECT_EQ(tag.LastStatus(), TagStatus::Ok);
    EXPECT_EQ(tag.Fields.size(), e.Pairs().size());
    for (const auto& [key, value] : e.Pairs()) {
      SCOPED_TRACE(key);
      if (value.rfind("<binary", 0) == 0) continue;
      // Shown: up to the first of several values, at most 250 bytes.
      EXPECT_EQ(tag.GetField(key), value.substr(0, std::min(value.find('|'), std::size_t{250})));
    }
  }
  TAPETag v1;
  ASSERT_TRUE(v1.ReadFromFile(FixturePath("apev1.mp3")));
  EXPECT_EQ(v1.Version, 1000u);
}

TEST_F(ApeFixtures, FieldLookup) {
  TAPETag tag;
  ASSERT_TRUE(tag.ReadFromFile(FixturePath("apev2.mp3")));
  EXPECT_EQ(tag.Version, 2000u);
  EXPECT_EQ(tag.GetField("title"), "APE Title");
  EXPECT_EQ(tag.GetField("ALBUM"), "Café Привет 東京 🎵");
  EXPECT_EQ(tag.GetField("Comment"), std::string(250, 'x'));
  EXPECT_EQ(tag.GetField("Track"), "7/12");
  EXPECT_EQ(tag.GetField("Nothing"), "");
  tag.AddField("TITLE", "second");
  EXPECT_EQ(tag.GetField("Title"), "APE Title");
  tag.SetField("title", "changed");
  EXPECT_EQ(tag.GetField("TITLE"), "changed");
  const std::size_t count = tag.Fields.size();
  tag.SetField("Composer", "new one");
  ASSERT_EQ(tag.Fields.size(), count + 1);
  EXPECT_EQ(Field(tag, count), "Composer=new one");
}

TEST_F(ApeFixtures, UnchangedItemsSurviveASaveByteForByte) {
  const std::string path = Copy("apev2.mp3");
  const std::string audio = FixtureBytes("cbr128.mp3");
  TAPETag tag;
  ASSERT_TRUE(tag.ReadFromFile(path));
  tag.SetField("Title", "Новый 🎵 title");
  ASSERT_TRUE(tag.SaveToFile(path)) << static_cast<int>(tag.LastStatus());
  const std::string after = testing::ReadBytes(path);
  EXPECT_EQ(after.substr(0, audio.size()), audio);
  if (testing::OraclesAvailable()) {
    const Expectations before = Expectations::ForFixture("apev2.mp3");
    const Expectations now = testing::OracleDump("ape", path);
    EXPECT_EQ(now["Title"], "Новый 🎵 title");
    for (const char* key : {"Artist", "Album", "Track", "Year", "Genre", "Comment", "Cover Art (Front)", "Artists"})
      EXPECT_EQ(now[key], before[key]) << key;
  }
  TAPETag reread;
  ASSERT_TRUE(reread.ReadFromFile(path));
  EXPECT_EQ(reread.Fields.size(), tag.Fields.size());
  EXPECT_EQ(reread.GetField("Title"), "Новый 🎵 title");
}

TEST_F(ApeFixtures, Version1IsRewrittenAsVersion2InItsPlace) {
  for (const char* name : {"apev1.mp3", "apev1_cp1252.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = Copy(name);
    TAPETag tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    ASSERT_TRUE(tag.SaveToFile(path));
    const std::string after = testing::ReadBytes(path);
    const std::string audio = FixtureBytes("cbr128.mp3");
    EXPECT_EQ(after.substr(0, audio.size()), audio);
    EXPECT_EQ(after.substr(audio.size(), 8), "APETAGEX");  // the new header replaced the old items exactly
    if (testing::OraclesAvailable()) {
      const Expectations e = testing::OracleDump("ape", path);
      const Expectations stored = Expectations::ForFixture(name);
      for (const auto& [key, value] : stored.Pairs()) EXPECT_EQ(e[key], value) << key;
    }
  }
}

TEST_F(ApeFixtures, TagStaysBeforeTheId3v1RecordAndLyrics) {
  for (const char* name : {"ape_id3v1.mp3", "apev1_id3v1.mp3", "id3v1only.mp3", "ape_lyrics3.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = Copy(name);
    const std::string before = testing::ReadBytes(path);
    TAPETag tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    tag.SetField("Artist", "Placed");
    ASSERT_TRUE(tag.SaveToFile(path));
    const std::string once = testing::ReadBytes(path);
    EXPECT_EQ(once.substr(once.size() - 128), before.substr(before.size() - 128));
    if (std::string(name) == "ape_lyrics3.mp3") {
      const auto lyrics = before.find("LYRICSBEGIN");
      EXPECT_EQ(once.substr(once.find("LYRICSBEGIN")), before.substr(lyrics));
    }
    if (testing::OraclesAvailable()) {
      EXPECT_EQ(testing::OracleDump("ape", path)["Artist"], "Placed");
    }
    // A second save finds the tag where the first put it.
    ASSERT_TRUE(tag.ReadFromFile(path));
    EXPECT_EQ(tag.GetField("Artist"), "Placed");
    ASSERT_TRUE(tag.SaveToFile(path));
    EXPECT_EQ(testing::ReadBytes(path), once);
  }
}

TEST_F(ApeFixtures, UntaggedFileGetsATagAtTheEnd) {
  const std::string path = Copy("cbr128.mp3");
  TAPETag tag;
  ASSERT_TRUE(tag.ReadFromFile(path));
  EXPECT_FALSE(tag.Exists);
  tag.AddField("Title", "Fresh");
  tag.AddField("Empty", "");
  ASSERT_TRUE(tag.SaveToFile(path));
  const std::string after = testing::ReadBytes(path);
  const std::string audio = FixtureBytes("cbr128.mp3");
  EXPECT_EQ(after.substr(0, audio.size()), audio);
  // Header, one item, footer: 32 + (5 + 5 + 9) + 32; an empty value is no item.
  EXPECT_EQ(after.size(), audio.size() + 83);
  ASSERT_TRUE(tag.ReadFromFile(path));
  EXPECT_EQ(tag.Size, 51u);
  ASSERT_EQ(tag.Fields.size(), 1u);
  EXPECT_EQ(Field(tag, 0), "Title=Fresh");
}

TEST_F(ApeFixtures, NoItemForAnEmptyValueOrATrackOfZero) {
  const std::string path = Copy("ape_header_tag.mpc");
  const std::string before = testing::ReadBytes(path);
  TAPETag tag;
  ASSERT_TRUE(tag.ReadFromFile(path));
  // What the tag editor sets when the user typed nothing: every field, the
  // track as "0".
  const std::pair<const char*, const char*> untouched[] = {{"Title", "Sound title"}, {"Artist", "Sound artist"},
                                                           {"Album", "A"},          {"Year", ""},
                                                           {"Comment", ""},         {"Genre", " "},
                                                           {"Track", "0"}};
  for (const auto& [key, value] : untouched) tag.SetField(key, value);
  ASSERT_TRUE(tag.SaveToFile(path));
  EXPECT_EQ(testing::ReadBytes(path), before) << "nothing was added";

  tag.SetField("Album", "");
  tag.SetField("Track", "7");
  ASSERT_TRUE(tag.SaveToFile(path));
  if (testing::OraclesAvailable()) {
    const Expectations e = testing::OracleDump("ape", path);
    EXPECT_EQ(e.Pairs(), (std::vector<std::pair<std::string, std::string>>{
                             {"Title", "Sound title"}, {"Artist", "Sound artist"}, {"Track", "7"}}));
  }
  ASSERT_TRUE(tag.ReadFromFile(path));
  tag.SetField("Track", "0");
  ASSERT_TRUE(tag.SaveToFile(path));
  ASSERT_TRUE(tag.ReadFromFile(path));
  EXPECT_EQ(tag.Fields.size(), 2u);
  EXPECT_EQ(tag.GetField("Track"), "");

  // Clearing every field removes the tag; a file without one gains none.
  tag.SetField("Title", "");
  tag.SetField("Artist", "");
  ASSERT_TRUE(tag.SaveToFile(path));
  const std::size_t audio = 3 + 6 * 1024;
  EXPECT_EQ(testing::ReadBytes(path), before.substr(0, audio));
  ASSERT_TRUE(tag.ReadFromFile(path));
  EXPECT_FALSE(tag.Exists);
  for (const auto& [key, value] : untouched) tag.SetField(key, key == std::string("Track") ? "0" : "");
  ASSERT_TRUE(tag.SaveToFile(path));
  EXPECT_EQ(testing::ReadBytes(path), before.substr(0, audio));
}

TEST_F(ApeFixtures, AnId3v1RecordIsNeverFoundInsideTheTag) {
  // The last 128 bytes start with "TAG": the header's "APETAGEX", or
  // "BACKSTAGE" in a value. The file ends with the APE footer, so it has no
  // record, and an ID3v1 save goes after the APE tag.
  for (const char* name : {"ape_header_tag.mpc", "ape_backstage.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = Copy(name);
    const std::string before = testing::ReadBytes(path);
    ASSERT_EQ(before.compare(before.size() - 128, 3, "TAG"), 0);
    TID3v1 v1;
    ASSERT_TRUE(v1.ReadFromFile(path));
    EXPECT_FALSE(v1.Exists);
    EXPECT_EQ(v1.LastStatus(), TagStatus::NoTag);
    EXPECT_EQ(v1.GetTitle(), "");
    EXPECT_TRUE(v1.RemoveFromFile(path));
    EXPECT_EQ(v1.LastStatus(), TagStatus::NoTag);
    EXPECT_EQ(testing::ReadBytes(path), before);

    v1.SetTitle("Record title");
    ASSERT_TRUE(v1.SaveToFile(path));
    ASSERT_TRUE(v1.SaveToFile(path)) << "a second save replaces the record";
    const std::string after = testing::ReadBytes(path);
    ASSERT_EQ(after.size(), before.size() + 128);
    EXPECT_EQ(after.substr(0, before.size()), before);
    const Expectations stored = Expectations::ForFixture(name);
    TAPETag ape;
    ASSERT_TRUE(ape.ReadFromFile(path));
    EXPECT_EQ(ape.LastStatus(), TagStatus::Ok);
    for (const auto& [key, value] : stored.Pairs()) EXPECT_EQ(ape.GetField(key), value.substr(0, 250)) << key;
    if (testing::OraclesAvailable()) {
      EXPECT_EQ(testing::OracleDump("ape", path).Pairs(), stored.Pairs());
      EXPECT_EQ(test::OracleValue(test::Oracle("dumpv1", path), "TIT2"), "Record title");
    }
    ASSERT_TRUE(v1.RemoveFromFile(path));
    EXPECT_EQ(testing::ReadBytes(path), before);
  }
}

TEST_F(ApeFixtures, AKeyLongerThanWritersAllowKeepsTheItemsAfterIt) {
  const std::string path = Copy("ape_long_key.mp3");
  const std::string before = testing::ReadBytes(path);
  const std::string audio = FixtureBytes("cbr128.mp3");
  TAPETag tag;
  ASSERT_TRUE(tag.ReadFromFile(path));
  EXPECT_EQ(tag.LastStatus(), TagStatus::Ok);
  ASSERT_EQ(tag.Fields.size(), 4u);
  EXPECT_EQ(tag.Fields.at(1).Value, "kept");
  EXPECT_EQ(tag.GetField("Artist"), "After the key");
  tag.SetField("Title", "Changed");
  ASSERT_TRUE(tag.SaveToFile(path));
  const std::string after = testing::ReadBytes(path);
  EXPECT_EQ(after.substr(0, audio.size()), audio);
  // Every item after the title is stored as it was, the picture too.
  const std::size_t rest = before.find(std::string(300, 'K')) - 8;
  const std::string kept = before.substr(rest, before.size() - 32 - rest);
  EXPECT_EQ(after.substr(after.size() - 32 - kept.size(), kept.size()), kept);
  ASSERT_TRUE(tag.ReadFromFile(path));
  EXPECT_EQ(tag.Fields.size(), 4u);
  EXPECT_EQ(tag.GetField("Title"), "Changed");
}

// An APE tag of `version` with text items, stored as given, at the end of
// some audio.
std::string ApeFile(std::uint32_t version, const std::vector<std::pair<std::string, std::string>>& items) {
  std::string body;
  for (const auto& [name, value] : items) {
    AppendLE32(body, static_cast<std::uint32_t>(value.size()));
    AppendLE32(body, 0);
    body += name + '\0' + value;
  }
  std::string footer = "APETAGEX";
  AppendLE32(footer, version);
  AppendLE32(footer, static_cast<std::uint32_t>(body.size() + 32));
  AppendLE32(footer, static_cast<std::uint32_t>(items.size()));
  AppendLE32(footer, 0);
  footer.append(8, '\0');
  return std::string(200, 'a') + body + footer;
}

TEST(APETag, AnsiTextFollowsTheCodePage) {
  // APEv1 text, and APEv2 values that are not UTF-8, are ANSI: the same
  // bytes read as Windows-1252 or, on a Cyrillic system, Windows-1251.
  MemoryFileSystem mem;
  mem.Put("v1", ApeFile(1000, {{"Artist", "\xCA\xE8\xED\xEE"}}));
  mem.Put("v2", ApeFile(2000, {{"Artist", "\xCA\xE8\xED\xEE"}, {"Title", "Кино"}}));
  TAPETag tag(mem);
  ASSERT_TRUE(tag.ReadFromFile("v1"));
  EXPECT_EQ(tag.GetField("Artist"), "Êèíî");
  test::AnsiCodePage cyrillic(test::Cp1251LettersCodec());
  for (const char* name : {"v1", "v2"}) {
    ASSERT_TRUE(tag.ReadFromFile(name)) << name;
    EXPECT_EQ(tag.GetField("Artist"), "Кино") << name;
  }
  EXPECT_EQ(tag.GetField("Title"), "Кино");
  // Rewritten, APEv1 text becomes the UTF-8 of APEv2.
  ASSERT_TRUE(tag.ReadFromFile("v1"));
  ASSERT_TRUE(tag.SaveToFile("v1"));
  EXPECT_NE(mem.Get("v1")->find(std::string("Artist\0", 7) + "Кино"), std::string::npos);
}

TEST(APETag, ShortFiles) {
  for (std::size_t n = 0; n <= 40; ++n) {
    SCOPED_TRACE(n);
    MemoryFileSystem fs;
    fs.Put("f.ape", std::string(n, 'a'));
    TAPETag tag(fs);
    // The footer needs a position above 0.
    EXPECT_EQ(tag.ReadFromFile("f.ape"), n > 32);
    EXPECT_FALSE(tag.Exists);
    tag.AddField("Title", "t");
    EXPECT_TRUE(tag.SaveToFile("f.ape"));
    EXPECT_EQ(fs.Get("f.ape")->size(), n + 32 + 15 + 32);
    EXPECT_EQ(fs.Get("f.ape")->substr(0, n), std::string(n, 'a'));
  }
}

TEST(APETag, UntrustworthyBoundsAreNeverCut) {
  for (const char* name : {"ape_size_ffffffff", "ape_size_0", "ape_size_31", "ape_header_flag_without_header",
                           "ape_v1_with_header_flag"}) {
    SCOPED_TRACE(name);
    std::string bytes;
    for (const auto& p : test::MalformedInputs(name)) bytes = testing::ReadBytes(p);
    ASSERT_FALSE(bytes.empty());
    MemoryFileSystem fs;
    fs.Put("f.mp3", bytes);
    TAPETag tag(fs);
    EXPECT_TRUE(tag.ReadFromFile("f.mp3"));
    EXPECT_TRUE(tag.Exists);
    tag.SetField("Title", "new");
    EXPECT_FALSE(tag.SaveToFile("f.mp3"));
    EXPECT_EQ(tag.LastStatus(), TagStatus::Malformed);
    EXPECT_EQ(*fs.Get("f.mp3"), bytes);
  }
}

TEST_F(ApeFixtures, ASizeItsItemsDoNotFillIsNeverCut) {
  // A bare footer claims 200 bytes of items over audio: with one item the
  // items run out, with none they leave the 200 bytes unexplained.
  for (const char* name : {"ape_claims200_count0.mp3", "ape_claims200_count1.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = Copy(name);
    const std::string before = testing::ReadBytes(path);
    TAPETag tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    EXPECT_TRUE(tag.Exists);
    EXPECT_EQ(tag.LastStatus(), TagStatus::Malformed);
    tag.SetField("Title", "Cut");
    EXPECT_FALSE(tag.SaveToFile(path));
    EXPECT_EQ(tag.LastStatus(), TagStatus::Malformed);
    EXPECT_EQ(testing::ReadBytes(path), before);
  }
  // Items that parse but stop short of the footer's size; zero bytes, as
  // many as an item's least size or twice that, are no items.
  for (const std::size_t zeros : {10u, 9u, 18u}) {
    SCOPED_TRACE(zeros);
    MemoryFileSystem fs;
    std::string bytes = ApeFile(2000, {{"Title", "T"}});
    std::string footer = bytes.substr(bytes.size() - 32), size;
    AppendLE32(size, LoadLE32(footer.data() + 12) + static_cast<std::uint32_t>(zeros));
    footer.replace(12, 4, size);
    bytes = bytes.substr(0, bytes.size() - 32) + std::string(zeros, '\0') + footer;
    fs.Put("f.mp3", bytes);
    TAPETag tag(fs);
    ASSERT_TRUE(tag.ReadFromFile("f.mp3"));
    EXPECT_EQ(tag.LastStatus(), TagStatus::Malformed);
    EXPECT_EQ(tag.GetField("Title"), "T");
    EXPECT_FALSE(tag.SaveToFile("f.mp3"));
    EXPECT_EQ(*fs.Get("f.mp3"), bytes);
  }
}

TEST_F(ApeFixtures, ASizeTheItemsFillIsTrustedWhateverTheCountOrTheHeaderSay) {
  // mutagen's tags with the footer's count one too high, or the header's
  // size one byte off: the items fill the footer's size exactly, so the tag
  // is replaced exactly, and the audio stays whole.
  const std::string audio = FixtureBytes("cbr128.mp3");
  for (const char* name : {"ape_count_plus1.mp3", "ape_header_size_off.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = Copy(name);
    const Expectations stored = Expectations::ForFixture(name);
    TAPETag tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    EXPECT_EQ(tag.LastStatus(), TagStatus::Ok);
    EXPECT_EQ(tag.Fields.size(), stored.Pairs().size());
    EXPECT_EQ(tag.GetField("Title"), stored["Title"]);
    tag.SetField("Title", "Saved title");
    ASSERT_TRUE(tag.SaveToFile(path));
    EXPECT_EQ(tag.LastStatus(), TagStatus::Ok);
    const std::string after = testing::ReadBytes(path);
    EXPECT_EQ(after.substr(0, audio.size()), audio);
    EXPECT_EQ(after.find("APETAGEX"), audio.size()) << "the new header where the old one stood";
    ASSERT_TRUE(tag.ReadFromFile(path));
    EXPECT_EQ(tag.LastStatus(), TagStatus::Ok);
    EXPECT_EQ(tag.GetField("Title"), "Saved title");
    EXPECT_EQ(tag.GetField("Artist"), stored["Artist"]);
    if (testing::OraclesAvailable()) {
      const Expectations now = testing::OracleDump("ape", path);
      EXPECT_EQ(now["Title"], "Saved title");
      for (const char* key : {"Artist", "Album", "Cover Art (Front)"}) EXPECT_EQ(now[key], stored[key]) << key;
    }
  }
}

TEST_F(ApeFixtures, ATagGoesAfterALyricsBlockThatEndsTheFile) {
  // Readers look for the tag at the end or before an ID3v1 record. A new
  // tag goes after a block with no record; one found before such a block
  // (the record removed from a file with both) moves after it.
  const std::string audio = FixtureBytes("cbr128.mp3");
  const std::string withTag = FixtureBytes("ape_lyrics3.mp3");
  const std::string moved = dir_.Path("moved.mp3");
  testing::WriteBytes(moved, withTag.substr(0, withTag.size() - 128));
  for (const std::string& path : {Copy("lyrics3_no_record.mp3"), moved}) {
    SCOPED_TRACE(path);
    const std::string before = testing::ReadBytes(path);
    const std::string block = before.substr(before.find("LYRICSBEGIN"));
    TAPETag tag;
    ASSERT_TRUE(tag.ReadFromFile(path));
    tag.SetField("Artist", "After lyrics");
    ASSERT_TRUE(tag.SaveToFile(path));
    const std::string once = testing::ReadBytes(path);
    EXPECT_EQ(once.substr(0, audio.size() + block.size()), audio + block);
    EXPECT_EQ(once.substr(audio.size() + block.size(), 8), "APETAGEX");
    EXPECT_EQ(once.compare(once.size() - 32, 8, "APETAGEX"), 0) << "the footer ends the file";
    if (testing::OraclesAvailable()) {
      const Expectations e = testing::OracleDump("ape", path);
      EXPECT_EQ(e["Artist"], "After lyrics");
      EXPECT_EQ(e["Title"], path == moved ? "With lyrics" : "");
    }
    // A second save finds the tag where the first put it.
    ASSERT_TRUE(tag.ReadFromFile(path));
    EXPECT_EQ(tag.GetField("Artist"), "After lyrics");
    ASSERT_TRUE(tag.SaveToFile(path));
    EXPECT_EQ(testing::ReadBytes(path), once);
  }
}

TEST(APETag, HostileItemsEndTheLoop) {
  for (const auto& path : test::MalformedInputs("ape_")) {
    SCOPED_TRACE(path);
    TAPETag tag;
    tag.ReadFromFile(path);
    EXPECT_LE(tag.Fields.size(), 2u);
    for (const auto& f : tag.Fields) {
      EXPECT_LE(f.Name.size(), 255u);
      EXPECT_LE(f.Value.size(), 250u);
    }
  }
  std::string bytes;
  for (const auto& p : test::MalformedInputs("ape_count_ffffffff")) bytes = testing::ReadBytes(p);
  MemoryFileSystem fs;
  fs.Put("f.mp3", bytes);
  TAPETag tag(fs);
  ASSERT_TRUE(tag.ReadFromFile("f.mp3"));
  EXPECT_EQ(tag.LastStatus(), TagStatus::Ok) << "the items fill the size, whatever the count";
  ASSERT_EQ(tag.Fields.size(), 2u);  // the items that are really there
  EXPECT_EQ(Field(tag, 1), "Artist=A");
}

TEST(APETag, TagEndingTheFileWinsOverALookalikeRecord) {
  // The last 128 bytes start with "TAG" inside an item's value.
  std::string value(200, 'v');
  value.replace(104, 3, "TAG");
  MemoryFileSystem fs;
  fs.Put("f.mp3", std::string(300, 'a'));
  TAPETag tag(fs);
  tag.AddField("Title", value);
  ASSERT_TRUE(tag.SaveToFile("f.mp3"));
  const std::string once = *fs.Get("f.mp3");
  ASSERT_EQ(once.compare(once.size() - 128, 3, "TAG"), 0);
  ASSERT_TRUE(tag.ReadFromFile("f.mp3"));
  ASSERT_EQ(tag.Fields.size(), 1u);
  tag.AddField("Artist", "a");
  ASSERT_TRUE(tag.SaveToFile("f.mp3"));
  ASSERT_TRUE(tag.ReadFromFile("f.mp3"));
  EXPECT_EQ(tag.Fields.size(), 2u);
  EXPECT_EQ(fs.Get("f.mp3")->substr(0, 300), std::string(300, 'a'));
}

TEST(APETag, TagsBeyondTheCapAreLeftAlone) {
  std::string bytes(17 * 1024 * 1024, 'a');
  std::string footer = "APETAGEX";
  AppendLE32(footer, 2000);
  AppendLE32(footer, 17 * 1024 * 1024 - 100);
  AppendLE32(footer, 1);
  AppendLE32(footer, 0);
  footer.append(8, '\0');
  bytes += footer;
  MemoryFileSystem fs;
  fs.Put("f.mp3", bytes);
  TAPETag tag(fs);
  EXPECT_TRUE(tag.ReadFromFile("f.mp3"));
  EXPECT_EQ(tag.LastStatus(), TagStatus::Unsupported);
  EXPECT_TRUE(tag.Fields.empty());
  EXPECT_FALSE(tag.SaveToFile("f.mp3"));
  EXPECT_EQ(tag.LastStatus(), TagStatus::Unsupported);
  EXPECT_EQ(fs.Get("f.mp3")->size(), bytes.size());
}

TEST_F(ApeFixtures, FailureAtEveryStep) {
  testing::ExpectOldOrNewAfterEachFailure(
      "f.mp3", FixtureBytes("ape_id3v1.mp3"), [](FileSystem& fs, const std::function<void()>& failFromHere) {
        TAPETag tag(fs);
        EXPECT_TRUE(tag.ReadFromFile("f.mp3"));
        tag.SetField("Title", "Fault");
        tag.AddField("Extra", "value");
        failFromHere();
        return tag.SaveToFile("f.mp3");
      });
}

TEST_F(ApeFixtures, ReadOnlyAndLockedFiles) {
  MemoryFileSystem fs;
  fs.Put("f.mp3", FixtureBytes("apev2.mp3"));
  ASSERT_TRUE(fs.SetAttributes("f.mp3", kAttributeReadOnly));
  TAPETag tag(fs);
  ASSERT_TRUE(tag.ReadFromFile("f.mp3"));
  tag.SetField("Genre", "Blues");
  ASSERT_TRUE(tag.SaveToFile("f.mp3"));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(fs.GetAttributes("f.mp3", attributes));
  EXPECT_EQ(attributes, kAttributeReadOnly);

  const std::string bytes = *fs.Get("f.mp3");
  const auto player = fs.OpenRead("f.mp3", ReadSharing::DenyWrite);
  tag.SetField("Genre", "Soul");
  EXPECT_FALSE(tag.SaveToFile("f.mp3"));
  EXPECT_EQ(tag.LastStatus(), TagStatus::OpenFailed);
  EXPECT_EQ(*fs.Get("f.mp3"), bytes);
}

TEST_F(ApeFixtures, WindowsAttributesAndShareModes) {
#ifndef _WIN32
  GTEST_SKIP() << "attributes and share modes are the Windows file system's";
#endif
  FileSystem& fs = NativeFileSystem();
  const std::string path = Copy("apev2.mp3");
  ASSERT_TRUE(fs.SetAttributes(path, kAttributeReadOnly | kAttributeArchive));
  TAPETag tag;
  ASSERT_TRUE(tag.ReadFromFile(path));
  tag.SetField("Title", "Read-only");
  ASSERT_TRUE(tag.SaveToFile(path));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(fs.GetAttributes(path, attributes));
  EXPECT_TRUE(attributes & kAttributeReadOnly);

  const std::string bytes = testing::ReadBytes(path);
  {
    const auto player = fs.OpenRead(path, ReadSharing::DenyWrite);
    ASSERT_TRUE(player);
    tag.SetField("Title", "Blocked");
    EXPECT_FALSE(tag.SaveToFile(path));
    EXPECT_EQ(tag.LastStatus(), TagStatus::OpenFailed);
  }
  EXPECT_EQ(testing::ReadBytes(path), bytes);
  ASSERT_TRUE(fs.SetAttributes(path, kAttributeNormal));
}

}  // namespace
}  // namespace sv::tags
