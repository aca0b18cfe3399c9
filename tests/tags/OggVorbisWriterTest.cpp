// Ogg Vorbis writing: our output checked by ogginfo (pages, checksums,
// sequence numbers), mutagen (items) and oggdec (the audio decodes the
// same); preservation of what the caller did not change; re-pagination;
// failures at every I/O step.
#include <gtest/gtest.h>

#include <functional>

#include "tags/Bytes.h"
#include "tags/MemoryFileSystem.h"
#include "tags/OggVorbis.h"
#include "tests/tags/FormatTestSupport.h"

namespace sv::tags {
namespace {

using testing::Expectations;
using testing::FixtureBytes;
using testing::FixturePath;

// Pages split by hand from the stored header fields, independent of the
// library's own page reader.
struct RawPage {
  std::string bytes;
  std::uint32_t sequence;
  std::vector<std::uint8_t> lacing;
};

std::vector<RawPage> SplitPages(const std::string& bytes, std::size_t from = 0) {
  std::vector<RawPage> pages;
  std::size_t pos = from;
  while (pos + 27 <= bytes.size() && bytes.compare(pos, 4, "OggS") == 0) {
    const auto segments = static_cast<unsigned char>(bytes[pos + 26]);
    std::size_t size = 27 + segments;
    RawPage page;
    for (std::size_t i = 0; i < segments; ++i) {
      page.lacing.push_back(static_cast<unsigned char>(bytes[pos + 27 + i]));
      size += page.lacing.back();
    }
    page.bytes = bytes.substr(pos, size);
    page.sequence = LoadLE32(bytes.data() + pos + 18);
    pages.push_back(std::move(page));
    pos += size;
  }
  return pages;
}

void ExpectOgginfoClean(const std::string& path) {
  if (!testing::OraclesAvailable()) return;
  std::string out;
  EXPECT_EQ(testing::RunCommand("ogginfo " + testing::ShellQuote(path), out), 0) << out;
  EXPECT_EQ(out.find("WARNING"), std::string::npos) << out;
  EXPECT_EQ(out.find("ERROR"), std::string::npos) << out;
}

std::string DecodedAudioDigest(const std::string& path) {
  std::string out;
  testing::RunCommand("oggdec -Q -o - " + testing::ShellQuote(path) + " | md5sum", out);
  return out;
}

// Copies a fixture to a scratch file with a non-ASCII name.
std::string Scratch(const testing::ScratchDir& dir, const std::string& fixture) {
  const std::string path = dir.Path("Пример é " + fixture);
  testing::WriteBytes(path, FixtureBytes(fixture));
  return path;
}

class OggWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  }
  testing::ScratchDir dir_;
};

TEST_F(OggWriter, SmallChangeRewritesOnlyTheCommentPage) {
  const std::string path = Scratch(dir_, "tagged.ogg");
  const std::string before = testing::ReadBytes(path);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Title = "Новое название";
  ogg.Track = 12;
  ASSERT_TRUE(ogg.SaveTag(path)) << static_cast<int>(ogg.LastStatus());
  const std::string after = testing::ReadBytes(path);

  const auto old = SplitPages(before), now = SplitPages(after);
  ASSERT_EQ(old.size(), now.size());
  for (std::size_t i = 0; i < old.size(); ++i) {
    if (i != 1) {
      EXPECT_EQ(old[i].bytes, now[i].bytes) << "page " << i;
    }
  }
  EXPECT_NE(old[1].bytes, now[1].bytes);
  ExpectOgginfoClean(path);

  TOggVorbis reread;
  ASSERT_TRUE(reread.ReadFromFile(path));
  EXPECT_EQ(reread.Title, "Новое название");
  EXPECT_EQ(reread.Track, 12);
  EXPECT_EQ(reread.Artist, "The Artist");
  if (testing::OraclesAvailable()) {
    const Expectations e = testing::OracleDump("ogg", path);
    EXPECT_EQ(e["title"], "Новое название");
    EXPECT_EQ(e["tracknumber"], "12");
    EXPECT_EQ(e["comment"], "A comment");
    EXPECT_EQ(e["vendor"], Expectations::ForFixture("tagged.ogg")["vendor"]);
  }
  EXPECT_EQ(dir_.Files().size(), 1u);
}

TEST_F(OggWriter, UnchangedFieldsKeepTheirStoredItems) {
  const std::string path = Scratch(dir_, "multi.ogg");
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Album = "Added album";
  ASSERT_TRUE(ogg.SaveTag(path));
  ExpectOgginfoClean(path);
  if (!testing::OraclesAvailable()) return;
  const Expectations before = Expectations::ForFixture("multi.ogg");
  const Expectations after = testing::OracleDump("ogg", path);
  // Every stored item in its place: repeated ARTIST, the unmanaged gain,
  // PERFORMER, DESCRIPTION and "3/12"; the new album at the end.
  int i = 0;
  for (; before.Has("item" + std::to_string(i)); ++i)
    EXPECT_EQ(after["item" + std::to_string(i)], before["item" + std::to_string(i)]) << i;
  EXPECT_EQ(after["item" + std::to_string(i)], "ALBUM=Added album");
}

TEST_F(OggWriter, SavingUnchangedFieldsLeavesTheFileAlone) {
  const std::string path = Scratch(dir_, "performer.ogg");
  const std::string before = testing::ReadBytes(path);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ASSERT_TRUE(ogg.SaveTag(path));
  EXPECT_EQ(testing::ReadBytes(path), before);  // "300" stays "300", PERFORMER stays
}

TEST_F(OggWriter, FallbackNamesAreKeptUnlessCleared) {
  const std::string path = Scratch(dir_, "performer.ogg");
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Artist = "New Artist";
  ASSERT_TRUE(ogg.SaveTag(path));
  if (testing::OraclesAvailable()) {
    const Expectations e = testing::OracleDump("ogg", path);
    EXPECT_EQ(e["artist"], "New Artist");
    EXPECT_EQ(e["performer"], "Only Performer");
  }
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Artist = "";
  ASSERT_TRUE(ogg.SaveTag(path));
  ASSERT_TRUE(ogg.ReadFromFile(path));
  EXPECT_EQ(ogg.Artist, "");
}

TEST_F(OggWriter, MultiPageCommentWithCoverArt) {
  const std::string path = Scratch(dir_, "cover.ogg");
  const std::string before = testing::ReadBytes(path);
  const std::string audio = testing::OraclesAvailable() ? DecodedAudioDigest(path) : "";
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Title = "Cover edited";
  ogg.Comment = std::string(3000, 'z');
  ASSERT_TRUE(ogg.SaveTag(path));
  ExpectOgginfoClean(path);
  const auto old = SplitPages(before), now = SplitPages(testing::ReadBytes(path));
  // The comment grew but still fits its pages: the audio pages are the same.
  ASSERT_EQ(old.size(), now.size());
  EXPECT_EQ(old.back().bytes, now.back().bytes);
  if (testing::OraclesAvailable()) {
    EXPECT_EQ(DecodedAudioDigest(path), audio);
    const Expectations e = testing::OracleDump("ogg", path);
    EXPECT_EQ(e["title"], "Cover edited");
    EXPECT_EQ(e["item1"], Expectations::ForFixture("cover.ogg")["item1"]);  // the picture
  }
}

TEST_F(OggWriter, CommentThatOutgrowsItsPageIsRepaginated) {
  const std::string path = Scratch(dir_, "tagged.ogg");
  const std::string before = testing::ReadBytes(path);
  const std::string audio = testing::OraclesAvailable() ? DecodedAudioDigest(path) : "";
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Comment = std::string(150000, 'g');
  ASSERT_TRUE(ogg.SaveTag(path));
  ExpectOgginfoClean(path);
  const auto old = SplitPages(before), grown = SplitPages(testing::ReadBytes(path));
  ASSERT_EQ(grown.size(), old.size() + 2);  // 150 KB need three pages of at most 255 segments
  for (std::size_t i = 0; i < grown.size(); ++i) EXPECT_EQ(grown[i].sequence, i) << i;
  for (const auto& page : grown) EXPECT_LE(page.lacing.size(), 255u);
  if (testing::OraclesAvailable()) {
    EXPECT_EQ(DecodedAudioDigest(path), audio);
    const Expectations e = testing::OracleDump("ogg", path);
    EXPECT_EQ(e["comment"].size(), 150000u);
    EXPECT_EQ(e["title"], "The Title");
  }

  // And back: the smaller packet is spread over the pages there are, so
  // the audio pages stay as they were.
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Comment = "";
  ASSERT_TRUE(ogg.SaveTag(path));
  ExpectOgginfoClean(path);
  const auto shrunk = SplitPages(testing::ReadBytes(path));
  ASSERT_EQ(shrunk.size(), grown.size());
  EXPECT_EQ(shrunk.back().bytes, grown.back().bytes);
  if (testing::OraclesAvailable()) {
    EXPECT_EQ(DecodedAudioDigest(path), audio);
    EXPECT_EQ(testing::OracleDump("ogg", path)["comment"], "");
  }
}

TEST_F(OggWriter, LargerCommentFillsTheOldPagesFirst) {
  // mutagen spread a 63 KB packet over 4 KB pages: three times as much
  // still fits them, and no later page changes.
  const std::string path = Scratch(dir_, "bigcomment.ogg");
  const std::string before = testing::ReadBytes(path);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Comment = std::string(150000, 'g');
  ASSERT_TRUE(ogg.SaveTag(path));
  ExpectOgginfoClean(path);
  const auto old = SplitPages(before), now = SplitPages(testing::ReadBytes(path));
  ASSERT_EQ(now.size(), old.size());
  std::size_t same = 0;
  for (std::size_t i = 0; i < now.size(); ++i) same += now[i].bytes == old[i].bytes;
  EXPECT_GE(same, 2u);  // the identification page and the audio page
  EXPECT_EQ(now.back().bytes, old.back().bytes);
  if (testing::OraclesAvailable()) {
    const Expectations e = testing::OracleDump("ogg", path);
    EXPECT_EQ(e["item1"], "LYRICS=<63000 chars>");
    EXPECT_EQ(e["item2"], "COMMENT=<150000 chars>");
  }
}

TEST_F(OggWriter, PacketOfExactlyKTimes255NeedsATrailingZero) {
  const std::string path = Scratch(dir_, "tagged.ogg");
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  // The comment packet ends with the first lacing value below 255 on page 2.
  const auto packetSize = [](const std::string& bytes) {
    const RawPage page = SplitPages(bytes)[1];
    std::size_t size = 0;
    for (const auto v : page.lacing) {
      size += v;
      if (v < 255) break;
    }
    return size;
  };
  const std::size_t size = packetSize(testing::ReadBytes(path));
  // "TITLE=The Title" becomes a title whose length brings the packet to a
  // multiple of 255.
  const std::size_t target = (size / 255 + 2) * 255;
  ogg.Title = std::string(target - size + 9, 'k');
  ASSERT_TRUE(ogg.SaveTag(path));
  const std::string after = testing::ReadBytes(path);
  ASSERT_EQ(packetSize(after), target);
  const RawPage page = SplitPages(after)[1];
  EXPECT_EQ(page.lacing[target / 255], 0);
  ExpectOgginfoClean(path);
  ASSERT_TRUE(ogg.ReadFromFile(path));
  EXPECT_EQ(ogg.Title.size(), 244u);  // shown: the item's first 250 bytes
  EXPECT_EQ(ogg.Artist, "The Artist");
}

TEST_F(OggWriter, Id3v2TagInFrontIsKept) {
  const std::string path = Scratch(dir_, "id3front.ogg");
  const std::string before = testing::ReadBytes(path);
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Genre = "Ambient";
  ASSERT_TRUE(ogg.SaveTag(path));
  const std::string after = testing::ReadBytes(path);
  EXPECT_EQ(after.substr(0, static_cast<std::size_t>(ogg.ID3v2Size)),
            before.substr(0, static_cast<std::size_t>(ogg.ID3v2Size)));
  ASSERT_TRUE(ogg.ReadFromFile(path));
  EXPECT_EQ(ogg.Genre, "Ambient");
}

TEST_F(OggWriter, SomeoneElsesTemporaryFileIsLeftAlone) {
  const std::string path = Scratch(dir_, "tagged.ogg");
  testing::WriteBytes(path + "~", "not ours");
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Album = "x";
  ASSERT_TRUE(ogg.SaveTag(path));
  EXPECT_EQ(testing::ReadBytes(path + "~"), "not ours");
  EXPECT_EQ(dir_.Files().size(), 2u);
}

TEST_F(OggWriter, BrokenHeadersAreNotRewritten) {
  for (const char* name : {"ogg_page2_crc_error.bin", "ogg_count_ffffffff.bin", "ogg_item_length_ffffffff.bin",
                           "ogg_vendor_past_packet.bin", "ogg_truncated_in_page2.bin", "ogg_segments_all_255.bin"}) {
    SCOPED_TRACE(name);
    MemoryFileSystem fs;
    std::string bytes;
    for (const auto& p : test::MalformedInputs(name)) bytes = testing::ReadBytes(p);
    ASSERT_FALSE(bytes.empty());
    fs.Put("f.ogg", bytes);
    TOggVorbis ogg(fs);
    ogg.ReadFromFile("f.ogg");
    ogg.Title = "changed";
    EXPECT_FALSE(ogg.SaveTag("f.ogg"));
    EXPECT_EQ(ogg.LastStatus(), TagStatus::Malformed);
    EXPECT_EQ(*fs.Get("f.ogg"), bytes);
    EXPECT_EQ(fs.FileCount(), 1u);
  }
}

// With a failure injected at each I/O step in turn, the file is either the
// old bytes or the complete new file, and no temporary file stays.
void FailEveryStep(const std::string& fixture, const std::function<void(TOggVorbis&)>& change) {
  const std::string original = FixtureBytes(fixture);
  const testing::SaveUnderTest save = [&](FileSystem& fs, const std::function<void()>& failFromHere) {
    TOggVorbis ogg(fs);
    EXPECT_TRUE(ogg.ReadFromFile("f.ogg"));
    change(ogg);
    failFromHere();
    const bool saved = ogg.SaveTag("f.ogg");
    if (!saved) {
      EXPECT_NE(ogg.LastStatus(), TagStatus::Ok);
    }
    return saved;
  };
  const testing::CleanSave clean = testing::SaveWithoutFailure("f.ogg", original, save);
  ASSERT_NE(clean.bytes, original);
  for (const bool persistent : {false, true}) {
    testing::ForEachFailure("f.ogg", original, save, clean.calls, persistent, [&](const testing::FailedSave& run) {
      EXPECT_TRUE(run.now == original || run.now == clean.bytes);
      if (run.reported) {
        EXPECT_EQ(run.now, clean.bytes);
      }
      // A disk that fails for good cannot remove the temporary file either.
      if (!persistent) {
        EXPECT_EQ(run.fileCount, 1u);
      }
    });
  }
}

TEST_F(OggWriter, FailureAtEveryStepOfASimpleRewrite) {
  FailEveryStep("tagged.ogg", [](TOggVorbis& ogg) { ogg.Title = "Fault"; });
}

TEST_F(OggWriter, FailureAtEveryStepOfARepagination) {
  FailEveryStep("tagged.ogg", [](TOggVorbis& ogg) { ogg.Comment = std::string(70000, 'f'); });
}

TEST_F(OggWriter, ReadOnlyFileIsWrittenAndStaysReadOnly) {
  MemoryFileSystem fs;
  fs.Put("f.ogg", FixtureBytes("tagged.ogg"));
  ASSERT_TRUE(fs.SetAttributes("f.ogg", kAttributeReadOnly | kAttributeArchive));
  TOggVorbis ogg(fs);
  ASSERT_TRUE(ogg.ReadFromFile("f.ogg"));
  ogg.Date = "1999";
  ASSERT_TRUE(ogg.SaveTag("f.ogg"));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(fs.GetAttributes("f.ogg", attributes));
  EXPECT_EQ(attributes, kAttributeReadOnly | kAttributeArchive);
  ASSERT_TRUE(ogg.ReadFromFile("f.ogg"));
  EXPECT_EQ(ogg.Date, "1999");
}

TEST_F(OggWriter, FileHeldOpenElsewhereStaysIntact) {
  MemoryFileSystem fs;
  const std::string bytes = FixtureBytes("tagged.ogg");
  fs.Put("f.ogg", bytes);
  TOggVorbis ogg(fs);
  ASSERT_TRUE(ogg.ReadFromFile("f.ogg"));
  ogg.Title = "blocked";
  const auto player = fs.OpenRead("f.ogg", ReadSharing::DenyWrite);
  EXPECT_FALSE(ogg.SaveTag("f.ogg"));
  EXPECT_EQ(*fs.Get("f.ogg"), bytes);
  EXPECT_EQ(fs.FileCount(), 1u);
}

TEST_F(OggWriter, WindowsAttributesAndShareModes) {
#ifndef _WIN32
  GTEST_SKIP() << "attributes and share modes are the Windows file system's";
#endif
  FileSystem& fs = NativeFileSystem();
  const std::string path = Scratch(dir_, "tagged.ogg");
  ASSERT_TRUE(fs.SetAttributes(path, kAttributeReadOnly | kAttributeArchive));
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(path));
  ogg.Title = "Read-only";
  ASSERT_TRUE(ogg.SaveTag(path));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(fs.GetAttributes(path, attributes));
  EXPECT_TRUE(attributes & kAttributeReadOnly);

  // The player holds the file: the replace fails, nothing changes.
  const std::string bytes = testing::ReadBytes(path);
  {
    const auto player = fs.OpenRead(path, ReadSharing::DenyWrite);
    ASSERT_TRUE(player);
    ogg.Title = "Blocked";
    EXPECT_FALSE(ogg.SaveTag(path));
    EXPECT_EQ(ogg.LastStatus(), TagStatus::IoError);
  }
  EXPECT_EQ(testing::ReadBytes(path), bytes);
  EXPECT_EQ(dir_.Files().size(), 1u);
  ASSERT_TRUE(fs.SetAttributes(path, kAttributeNormal));
}

}  // namespace
}  // namespace sv::tags
