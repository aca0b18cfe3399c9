// Ogg Vorbis reading: files from oggenc, vorbiscomment and mutagen checked
// against mutagen; the page checksum against oggenc's; comment decoding;
// hostile packets.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/Ascii.h"
#include "tags/Bytes.h"
#include "tags/MemoryFileSystem.h"
#include "tags/OggPage.h"
#include "tags/OggVorbis.h"
#include "tags/TextUtil.h"
#include "tags/VorbisComment.h"
#include "tests/tags/FormatTestSupport.h"

namespace sv::tags {
namespace {

using testing::Expectations;
using testing::FixtureBytes;
using testing::FixturePath;

// A reader over one in-memory file.
struct MemoryRead {
  explicit MemoryRead(const std::string& bytes) {
    fs.Put("f.ogg", bytes);
    result = ogg.ReadFromFile("f.ogg");
  }
  MemoryFileSystem fs;
  TOggVorbis ogg{fs};
  bool result = false;
};

TEST(OggVorbis, MutagenSeesWhatWeSee) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  for (const char* name : {"tagged.ogg", "mono.ogg", "ch5.ogg", "ch6.ogg", "multi.ogg", "performer.ogg",
                           "nonascii.ogg", "cover.ogg", "bigcomment.ogg", "longitem.ogg"}) {
    SCOPED_TRACE(name);
    const Expectations e = Expectations::ForFixture(name);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(FixturePath(name)));
    EXPECT_EQ(ogg.LastStatus(), TagStatus::Ok);
    EXPECT_EQ(std::to_string(ogg.ChannelModeID), e["channels"]);
    EXPECT_EQ(std::to_string(ogg.SampleRate), e["rate"]);
    EXPECT_EQ(std::to_string(ogg.Samples), e["samples"]);
    EXPECT_EQ(ogg.Vendor, e["vendor"]);
    EXPECT_EQ(ogg.Title, e["title"]);
    EXPECT_EQ(ogg.Artist, e["artist"].empty() ? e["performer"] : e["artist"]);
    EXPECT_EQ(ogg.Album, e["album"]);
    EXPECT_EQ(ogg.Date, e["date"]);
    EXPECT_EQ(ogg.Genre, e["genre"]);
    const std::string comment = e["comment"].empty() ? e["description"] : e["comment"];
    EXPECT_EQ(ogg.Comment, std::string(Trim(comment.substr(0, 250 - 8))));
    const std::string track = e["tracknumber"];
    EXPECT_EQ(ogg.Track, ParseDecimal(track.substr(0, track.find('/'))) % 256);
    EXPECT_EQ(ogg.FileSize, FixtureBytes(name).size());
    EXPECT_EQ(ogg.ID3v2Size, 0u);
  }
}

TEST(OggVorbis, SpecialValues) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("tagged.ogg")));
  EXPECT_EQ(ogg.Title, "The Title");
  EXPECT_EQ(ogg.Track, 3);
  EXPECT_EQ(ogg.Date, "2004");
  EXPECT_TRUE(ogg.IsValid());
  EXPECT_DOUBLE_EQ(ogg.Duration(), 1.0);
  EXPECT_EQ(ogg.BitRate(), static_cast<std::uint32_t>(std::lround(ogg.FileSize / 1.0 / 125)));
  EXPECT_EQ(ogg.InfoText, "Size : " + std::to_string(ogg.FileSize) +
                              " bytes\r\nChannels : 2\r\nSample Rate : 44100 Hz\r\nBitrate Nominal : " +
                              std::to_string(ogg.BitRateNominal) + " Kbit/s\r\n");

  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("multi.ogg")));
  EXPECT_EQ(ogg.Artist, "Second");  // the last of repeated names
  EXPECT_EQ(ogg.Comment, "The description");
  EXPECT_EQ(ogg.Track, 3);  // "3/12"

  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("performer.ogg")));
  EXPECT_EQ(ogg.Artist, "Only Performer");
  EXPECT_EQ(ogg.Track, 44);  // "300" modulo 256

  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("nonascii.ogg")));
  EXPECT_EQ(ogg.Title, "Café Привет 東京 🎵");

  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("longitem.ogg")));
  EXPECT_EQ(ogg.Comment, std::string(242, 'c'));
  EXPECT_EQ(ogg.Artist, "After Long");

  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("ch5.ogg")));
  EXPECT_FALSE(ogg.IsValid());
  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("ch6.ogg")));
  EXPECT_TRUE(ogg.IsValid());
}

TEST(OggVorbis, Id3v2TagInFrontIsSkipped) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("id3front.ogg")));
  EXPECT_GT(ogg.ID3v2Size, 10u);
  EXPECT_EQ(ogg.Title, "Behind a tag");
  EXPECT_TRUE(ogg.IsValid());
}

TEST(OggVorbis, NoGranuleFallsBackToTheNominalRate) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  TOggVorbis ogg;
  ASSERT_TRUE(ogg.ReadFromFile(FixturePath("nogranule.ogg")));
  EXPECT_EQ(ogg.Samples, 0u);
  ASSERT_GT(ogg.BitRateNominal, 0);
  EXPECT_DOUBLE_EQ(ogg.Duration(), static_cast<double>(ogg.FileSize) / ogg.BitRateNominal / 1 / 125 * 2);
}

// A link cut inside a page, with the next link after it, lasts as long as
// its whole pages; a file written twice over itself keeps its serial and
// lasts twice as long.
TEST(OggVorbis, CutPagesAndAStreamBegunAgainUnderItsSerial) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  for (const char* chain : {"chain_cutpage.ogg", "chain_twice.ogg"}) {
    SCOPED_TRACE(chain);
    const Expectations e = Expectations::ForFixture(chain);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(FixturePath(chain)));
    EXPECT_NEAR(ogg.Duration(), std::stod(e["seconds"]), 1e-9);
    EXPECT_TRUE(ogg.IsValid());
  }
}

TEST(OggVorbis, AChainedFileLastsAsLongAsItsLinksTogether) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  // Each link restarts its granule positions, and may have its own rate: the
  // length is what sox made for each link, summed. Samples count at the first
  // link's rate; the links made alone are what mutagen counted. The links of
  // chain_cut.ogg start at 0 and at 1,000,000.
  struct Case {
    const char* chain;
    const char* head;
    const char* tail;
  };
  for (const Case c : {Case{"chained.ogg", "chain_head.ogg", "chain_tail.ogg"},
                       Case{"chain_rates.ogg", "rates_head.ogg", "rates_tail.ogg"},
                       Case{"chain_cut.ogg", "chain_head.ogg", "chain_tail.ogg"}}) {
    SCOPED_TRACE(c.chain);
    const Expectations e = Expectations::ForFixture(c.chain);
    const Expectations head = Expectations::ForFixture(c.head);
    const Expectations tail = Expectations::ForFixture(c.tail);
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.ReadFromFile(FixturePath(c.chain)));
    EXPECT_EQ(ogg.Title, head["title"]);
    EXPECT_EQ(std::to_string(ogg.SampleRate), head["rate"]);
    const double seconds = std::stod(e["seconds"]);
    EXPECT_DOUBLE_EQ(ogg.Duration(), seconds);
    const double parts = std::stod(head["samples"]) / std::stod(head["rate"]) +
                         std::stod(tail["samples"]) / std::stod(tail["rate"]);
    EXPECT_DOUBLE_EQ(parts, seconds);
    EXPECT_TRUE(ogg.IsValid());
  }
  // "OggS" of another stream inside the last bytes counts only as a whole
  // page whose checksum holds.
  std::string bytes = FixtureBytes("tagged.ogg");
  const std::string last = bytes.substr(bytes.rfind("OggS"));
  std::string fake = last;
  fake[14] ^= 0x5A;  // another serial, and the checksum no longer holds
  fake[6] = 0x7F;
  MemoryRead read(bytes + fake);
  ASSERT_TRUE(read.result);
  EXPECT_DOUBLE_EQ(read.ogg.Duration(), 1.0);
}

TEST(OggVorbis, PageChecksumsMatchTheEncoder) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  const std::string bytes = FixtureBytes("cover.ogg");
  std::size_t pos = 0, pages = 0;
  while (pos + 27 <= bytes.size()) {
    OggPage page;
    ASSERT_TRUE(ParseOggPageHeader(std::string_view(bytes).substr(pos), page)) << pos;
    const auto size = static_cast<std::size_t>(page.HeaderSize() + page.BodySize());
    std::string copy = bytes.substr(pos, size);
    copy.replace(22, 4, 4, '\0');
    EXPECT_EQ(OggCrc(copy), page.crc) << "page at " << pos;
    pos += size;
    ++pages;
  }
  EXPECT_EQ(pos, bytes.size());
  EXPECT_GT(pages, 4u);
}

std::string CommentPacket(const std::string& vendor, const std::vector<std::string>& items) {
  std::string p("\x03vorbis", 7);
  AppendLE32(p, static_cast<std::uint32_t>(vendor.size()));
  p += vendor;
  AppendLE32(p, static_cast<std::uint32_t>(items.size()));
  for (const auto& i : items) {
    AppendLE32(p, static_cast<std::uint32_t>(i.size()));
    p += i;
  }
  return p + "\x01";
}

TEST(VorbisComment, Utf8StopsAtTheFirstInvalidSequence) {
  VorbisCommentPacket c;
  ASSERT_EQ(ParseVorbisComment(CommentPacket("v", {"TITLE=ok \xF0\x9F\x8E\xB5 end", "ARTIST=ab\xC3(cd",
                                                   "ALBUM=x\xED\xA0\x80y", "GENRE=\x80lead", "date=\xE6\x9D"}),
                               c),
            TagStatus::Ok);
  const VorbisFields f = DecodeVorbisFields(c);
  EXPECT_EQ(f.values[kTitle], "ok \xF0\x9F\x8E\xB5 end");
  EXPECT_EQ(f.values[kArtist], "ab");
  EXPECT_EQ(f.values[kAlbum], "x");  // an encoded surrogate half is not UTF-8
  EXPECT_EQ(f.values[kGenre], "");
  EXPECT_EQ(f.values[kDate], "");  // names match in any case; a cut sequence ends the text
}

TEST(VorbisComment, ItemWithoutEqualsSignIsTheVendorWhenNoneWasGiven) {
  VorbisCommentPacket c;
  ASSERT_EQ(ParseVorbisComment(CommentPacket("", {"just text", "TITLE=t", "more text"}), c), TagStatus::Ok);
  EXPECT_EQ(DecodeVorbisFields(c).vendor, "just text");
}

TEST(VorbisComment, LengthsAreBoundedByThePacket) {
  VorbisCommentPacket c;
  std::string p = CommentPacket("vendor", {"TITLE=a", "ARTIST=b"});
  std::string huge = p;
  huge.replace(7 + 4 + 6, 4, "\xFF\xFF\xFF\xFF");  // count
  EXPECT_EQ(ParseVorbisComment(huge, c), TagStatus::Malformed);
  EXPECT_EQ(c.items.size(), 2u);  // every real item is still there
  std::string item = p;
  item.replace(7 + 4 + 6 + 4, 4, "\xFF\xFF\xFF\xFF");
  EXPECT_EQ(ParseVorbisComment(item, c), TagStatus::Malformed);
  EXPECT_TRUE(c.items.empty());
  std::string vendor = p;
  vendor.replace(7, 4, "\x00\x00\x00\x80", 4);
  EXPECT_EQ(ParseVorbisComment(vendor, c), TagStatus::Malformed);
  EXPECT_EQ(ParseVorbisComment("\x01vorbis", c), TagStatus::NoTag);
  EXPECT_EQ(ParseVorbisComment(p.substr(0, 12), c), TagStatus::Malformed);
  ASSERT_EQ(ParseVorbisComment(p, c), TagStatus::Ok);
  EXPECT_EQ(BuildVorbisComment(c), p);
}

TEST(VorbisComment, PacketWithoutItemsIsValid) {
  // What an encoder writes when it is given no tags: the file must stay
  // readable and editable.
  VorbisCommentPacket c;
  const std::string p = CommentPacket("vendor", {});
  ASSERT_EQ(ParseVorbisComment(p, c), TagStatus::Ok);
  EXPECT_TRUE(c.items.empty());
  EXPECT_EQ(BuildVorbisComment(c), p);
  std::string oneTooMany = p;
  oneTooMany.replace(7 + 4 + 6, 4, "\x01\x00\x00\x00", 4);
  EXPECT_EQ(ParseVorbisComment(oneTooMany, c), TagStatus::Malformed);
}

TEST(OggVorbis, HostilePacketsReadWithoutHanging) {
  // Every committed input reads within its bounds; those whose comment
  // packet is broken say so.
  for (const auto& path : test::MalformedInputs("ogg_")) {
    SCOPED_TRACE(path);
    TOggVorbis ogg;
    const bool result = ogg.ReadFromFile(path);
    EXPECT_TRUE(std::isfinite(ogg.Duration()));
    if (path.find("count_ffffffff") != std::string::npos || path.find("item_length") != std::string::npos) {
      EXPECT_TRUE(result);
      EXPECT_EQ(ogg.LastStatus(), TagStatus::Malformed);
    }
    if (path.find("granule_all_minus_1") != std::string::npos) {
      EXPECT_TRUE(result);
      EXPECT_EQ(ogg.Samples, 0u);
    }
    if (path.find("not_vorbis") != std::string::npos) {
      EXPECT_FALSE(result);
    }
  }
}

TEST(OggVorbis, TruncatedAtEveryPageBoundary) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  const std::string bytes = FixtureBytes("cover.ogg");
  std::size_t pos = 0;
  while (pos + 27 <= bytes.size()) {
    OggPage page;
    ASSERT_TRUE(ParseOggPageHeader(std::string_view(bytes).substr(pos), page));
    for (const std::size_t cut : {pos, pos + 13, pos + static_cast<std::size_t>(page.HeaderSize()) + 1}) {
      const MemoryRead read(bytes.substr(0, cut));
      EXPECT_EQ(read.result, cut >= 58) << cut;  // the identification page is 58 bytes
      EXPECT_TRUE(std::isfinite(read.ogg.Duration()));
    }
    pos += static_cast<std::size_t>(page.HeaderSize() + page.BodySize());
  }
}

TEST(OggVorbis, NominalBitRateOfMinusOneIsUnset) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  std::string bytes = FixtureBytes("mono.ogg");
  OggPage first;
  ASSERT_TRUE(ParseOggPageHeader(bytes, first));
  const auto id = static_cast<std::size_t>(first.HeaderSize());
  bytes.replace(id + 20, 4, "\xFF\xFF\xFF\xFF");
  std::string page = bytes.substr(0, id + 30);
  page.replace(22, 4, 4, '\0');
  std::string crc;
  AppendLE32(crc, OggCrc(page));
  bytes.replace(22, 4, crc);
  const MemoryRead read(bytes);
  ASSERT_TRUE(read.result);
  EXPECT_EQ(read.ogg.BitRateNominal, 0);
}

TEST(OggVorbis, FailuresAreStatuses) {
  MemoryFileSystem fs;
  TOggVorbis ogg(fs);
  EXPECT_FALSE(ogg.ReadFromFile("missing.ogg"));
  EXPECT_EQ(ogg.LastStatus(), TagStatus::OpenFailed);
  fs.Put("text.ogg", std::string(500, 't'));
  EXPECT_FALSE(ogg.ReadFromFile("text.ogg"));
  EXPECT_EQ(ogg.LastStatus(), TagStatus::NoTag);
  fs.Put("empty.ogg", "");
  EXPECT_FALSE(ogg.ReadFromFile("empty.ogg"));
}

}  // namespace
}  // namespace sv::tags
