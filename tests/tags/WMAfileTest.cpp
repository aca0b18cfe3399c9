// WMA/ASF header: files built from the published layout and tagged by
// mutagen, checked against mutagen; the range checks; and hostile headers.
#include <gtest/gtest.h>

#include "tags/Bytes.h"
#include "tags/MemoryFileSystem.h"
#include "tags/WMAfile.h"
#include "tests/tags/FormatTestSupport.h"

namespace sv::tags {
namespace {

using testing::Expectations;
using testing::FixtureBytes;

// The five object GUIDs as stored (first three groups little-endian),
// written out by hand.
const std::string kHeader("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kFileProps("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
const std::string kStreamProps("\x91\x07\xDC\xB7\xB7\xA9\xCF\x11\x8E\xE6\x00\xC0\x0C\x20\x53\x65", 16);
const std::string kContent("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kExtContent("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const std::string kAudio("\x40\x9E\x69\xF8\x4D\x5B\xCF\x11\xA8\xFD\x00\x80\x5F\x5C\x44\x2B", 16);

std::string Object(const std::string& guid, const std::string& body) {
  std::string out = guid;
  AppendLE64(out, 24 + body.size());
  return out + body;
}

std::string FileProps(std::uint32_t maxBitRate) {
  std::string body(76, '\0');  // object offsets 24..99
  AppendLE32(body, maxBitRate);
  return Object(kFileProps, body);
}

std::string StreamProps(std::uint16_t channels, std::uint32_t rate, std::uint32_t byteRate) {
  std::string body = kAudio + std::string(40, '\0');  // up to object offset 80
  AppendLE16(body, channels);
  AppendLE32(body, rate);
  AppendLE32(body, byteRate);
  AppendLE32(body, 0x00100002);
  return Object(kStreamProps, body);
}

std::string Utf16(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) AppendLE16(out, c);
  return out;
}

std::string Content(const std::u16string& title, const std::u16string& author, const std::u16string& comment) {
  const std::string t = Utf16(title), a = Utf16(author), d = Utf16(comment);
  std::string body;
  for (const auto* s : {&t, &a, &d}) {
    AppendLE16(body, static_cast<std::uint32_t>(s->size()));
    if (s == &a) AppendLE16(body, 0);  // copyright
  }
  AppendLE16(body, 0);  // rating
  return Object(kContent, body + t + a + d);
}

std::string Header(const std::vector<std::string>& objects, std::uint32_t count) {
  std::string body;
  AppendLE32(body, count);
  body += "\x01\x02";
  for (const auto& o : objects) body += o;
  return Object(kHeader, body);
}

std::string Header(const std::vector<std::string>& objects) {
  return Header(objects, static_cast<std::uint32_t>(objects.size()));
}

// A reader over one in-memory file.
struct MemoryRead {
  explicit MemoryRead(const std::string& bytes, bool expectedResult = true) {
    fs.Put("f.wma", bytes);
    EXPECT_EQ(wma.ReadFromFile("f.wma"), expectedResult);
  }
  MemoryFileSystem fs;
  TWMAfile wma{fs};
};

std::string Mutagen(const Expectations& e, const std::string& key) {
  const std::string v = e[key];
  return v.substr(v.find(':') + 1);
}

TEST(WMAfile, HandWrittenGuidsAreRecognised) {
  const MemoryRead read(Header({FileProps(64000), StreamProps(1, 22050, 8000), Content(u"T", u"A", u"C")}));
  const TWMAfile& wma = read.wma;
  EXPECT_TRUE(wma.Valid);
  EXPECT_EQ(wma.LastStatus(), TagStatus::Ok);
  EXPECT_EQ(wma.Channels, 1u);
  EXPECT_EQ(wma.SampleRate, 22050u);
  EXPECT_EQ(wma.BitRate, 64u);
  EXPECT_EQ(wma.Title, "T");
  EXPECT_EQ(wma.Artist, "A");
  EXPECT_EQ(wma.Comment, "C");
}

TEST(WMAfile, MutagenSeesWhatWeSee) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  {
    const Expectations e = Expectations::ForFixture("basic.wma");
    TWMAfile wma;
    ASSERT_TRUE(wma.ReadFromFile(testing::FixturePath("basic.wma")));
    ASSERT_TRUE(wma.Valid);
    EXPECT_EQ(std::to_string(wma.Channels), e["channels"]);
    EXPECT_EQ(std::to_string(wma.SampleRate), e["rate"]);
    EXPECT_EQ(wma.Title, Mutagen(e, "Title"));
    EXPECT_EQ(wma.Artist, Mutagen(e, "Author"));
    EXPECT_EQ(wma.Comment, Mutagen(e, "Description"));
    EXPECT_EQ(wma.BitRate, 128u);
    EXPECT_DOUBLE_EQ(wma.Duration, wma.FileSize * 8.0 / 128000);
  }
  {
    // Descriptors of every type; the later extended title wins; lower-case
    // names match; a numeric WM/Track is skipped.
    const Expectations e = Expectations::ForFixture("extended.wma");
    TWMAfile wma;
    ASSERT_TRUE(wma.ReadFromFile(testing::FixturePath("extended.wma")));
    EXPECT_EQ(wma.Title, Mutagen(e, "WM/TITLE"));
    EXPECT_EQ(wma.Album, Mutagen(e, "WM/AlbumTitle"));
    EXPECT_EQ(wma.Year, Mutagen(e, "wm/year"));
    EXPECT_EQ(wma.Genre, Mutagen(e, "WM/Genre"));
    EXPECT_EQ(wma.Genre, "Café Привет 東京 🎵");
    EXPECT_EQ(wma.Track, 0u);
  }
  {
    // Written by mutagen itself: the one-based WM/TrackNumber wins.
    const Expectations e = Expectations::ForFixture("mutagen.wma");
    TWMAfile wma;
    ASSERT_TRUE(wma.ReadFromFile(testing::FixturePath("mutagen.wma")));
    EXPECT_EQ(wma.Title, Mutagen(e, "Title"));
    EXPECT_EQ(wma.Artist, Mutagen(e, "Author"));
    EXPECT_EQ(wma.Album, Mutagen(e, "WM/AlbumTitle"));
    EXPECT_EQ(wma.Year, Mutagen(e, "WM/Year"));
    EXPECT_EQ(wma.Genre, Mutagen(e, "WM/Genre"));
    EXPECT_EQ(wma.Comment, Mutagen(e, "Description"));
    EXPECT_EQ(std::to_string(wma.Track), Mutagen(e, "WM/TrackNumber"));
  }
}

TEST(WMAfile, LongTitleKeeps250CharactersAndTheNextStringReads) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  TWMAfile wma;
  ASSERT_TRUE(wma.ReadFromFile(testing::FixturePath("longtitle.wma")));
  EXPECT_EQ(wma.Title, std::string(250, 'T'));
  EXPECT_EQ(wma.Artist, "After Long");
}

TEST(WMAfile, OnlyAudioStreamsCount) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  TWMAfile wma;
  ASSERT_TRUE(wma.ReadFromFile(testing::FixturePath("video.wma")));
  EXPECT_TRUE(wma.Valid);
  EXPECT_EQ(wma.Channels, 2u);
  EXPECT_EQ(wma.Title, "Video");
}

TEST(WMAfile, OutOfRangeStreamsGiveNoTexts) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  for (const char* name : {"sixchannels.wma", "absurdrate.wma"}) {
    TWMAfile wma;
    EXPECT_TRUE(wma.ReadFromFile(testing::FixturePath(name))) << name;
    EXPECT_FALSE(wma.Valid) << name;
    EXPECT_EQ(wma.Title, "") << name;
    EXPECT_EQ(wma.Channels, 0u) << name;
  }
}

TEST(WMAfile, DurationFromTheMaximumBitRate) {
  std::string bytes = Header({FileProps(128000), StreamProps(2, 44100, 16000)});
  bytes.resize(3000000, '\0');
  EXPECT_DOUBLE_EQ(MemoryRead(bytes).wma.Duration, 187.5);
}

TEST(WMAfile, RatesAboveThe320kbitBoundAndThePlayDuration) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  // A lossless stream and a 440 kbit/s one: sound headers, read whole, their
  // length the play duration less the preroll, as mutagen has it.
  for (const char* name : {"lossless.wma", "highrate.wma"}) {
    SCOPED_TRACE(name);
    const Expectations e = Expectations::ForFixture(name);
    TWMAfile wma;
    ASSERT_TRUE(wma.ReadFromFile(testing::FixturePath(name)));
    ASSERT_TRUE(wma.Valid);
    EXPECT_EQ(std::to_string(wma.SampleRate), e["rate"]);
    EXPECT_EQ(wma.BitRate, std::stoul(e["bitrate"]) / 1000);
    EXPECT_NEAR(wma.Duration, std::stod(e["length"]), 1e-6);
    EXPECT_EQ(wma.Title, Mutagen(e, "Title"));
    EXPECT_EQ(wma.Artist, Mutagen(e, "Author"));
  }
  // A broadcast file's play duration means nothing: the size over the
  // maximum bit rate stands.
  TWMAfile live;
  ASSERT_TRUE(live.ReadFromFile(testing::FixturePath("broadcast.wma")));
  ASSERT_TRUE(live.Valid);
  EXPECT_DOUBLE_EQ(live.Duration, live.FileSize * 8.0 / 128000);
}

TEST(WMAfile, TrackTextMustBeANumber) {
  auto ext = [](const std::u16string& value) {
    std::string body;
    AppendLE16(body, 1);
    const std::string name = Utf16(u"WM/Track"), v = Utf16(value);
    AppendLE16(body, static_cast<std::uint32_t>(name.size()));
    body += name;
    AppendLE16(body, 0);
    AppendLE16(body, static_cast<std::uint32_t>(v.size()));
    return Object(kExtContent, body + v);
  };
  const auto props = std::vector<std::string>{FileProps(128000), StreamProps(2, 44100, 16000)};
  auto with = [&](const std::u16string& value) {
    auto objects = props;
    objects.push_back(ext(value));
    return MemoryRead(Header(objects)).wma.Track;
  };
  EXPECT_EQ(with(u" 12 "), 12u);
  EXPECT_EQ(with(u"3/12"), 0u);
  EXPECT_EQ(with(u"$1F"), 0u);
  EXPECT_EQ(with(u"70000"), 0u);
}

TEST(WMAfile, HostileHeadersEndTheWalk) {
  const std::string props = FileProps(128000) + StreamProps(2, 44100, 16000);
  // An object of size 0 with a huge count: the walk stops, and what was
  // read before it stands.
  std::string zero = kContent + std::string(8, '\0');
  EXPECT_TRUE(MemoryRead(Header({props, zero}, 0xFFFFFFFF)).wma.Valid);

  // An object claiming more than the header holds.
  std::string big = Object(kContent, std::string(10, '\0'));
  big[16] = '\x7F';
  const MemoryRead tooBig(Header({props, big}, 3));
  EXPECT_TRUE(tooBig.wma.Valid);
  EXPECT_EQ(tooBig.wma.Title, "");

  // String lengths past their object: nothing from it, the rest stands.
  std::string lengths;
  for (int i = 0; i < 5; ++i) AppendLE16(lengths, 0xFFFF);
  EXPECT_EQ(MemoryRead(Header({props, Object(kContent, lengths + "ab"), Content(u"After", u"", u"")}, 4)).wma.Title,
            "After");

  // Fixed offsets in objects too short to hold them.
  EXPECT_FALSE(MemoryRead(Header({Object(kFileProps, std::string(20, '\x55')), Object(kStreamProps, kAudio)})).wma.Valid);
}

TEST(WMAfile, TruncatedFilesNeverReadPastTheirEnd) {
  const std::string whole = Header({FileProps(128000), StreamProps(2, 44100, 16000), Content(u"Title", u"Artist", u"")});
  for (std::size_t n = 0; n < whole.size(); ++n) {
    MemoryFileSystem fs;
    fs.Put("f.wma", whole.substr(0, n));
    TWMAfile wma(fs);
    const bool result = wma.ReadFromFile("f.wma");
    // Under 16 bytes the header's identifier itself runs past the end.
    EXPECT_FALSE(result) << n;
    EXPECT_EQ(wma.LastStatus(), TagStatus::Malformed) << n;
    EXPECT_FALSE(wma.Valid) << n;
  }
}

TEST(WMAfile, NotAsfAndMissingFiles) {
  const MemoryRead riff("RIFF....WAVEfmt nothing here");
  EXPECT_FALSE(riff.wma.Valid);
  EXPECT_EQ(riff.wma.LastStatus(), TagStatus::NoTag);
  MemoryFileSystem fs;
  TWMAfile missing(fs);
  EXPECT_FALSE(missing.ReadFromFile("nope.wma"));
  EXPECT_EQ(missing.LastStatus(), TagStatus::OpenFailed);
}

TEST(WMAfile, CommittedMalformedInputs) {
  for (const auto& path : test::MalformedInputs("wma_")) {
    SCOPED_TRACE(path);
    TWMAfile wma;
    wma.ReadFromFile(path);
    EXPECT_LE(wma.Title.size(), 250u * 4);
  }
}

}  // namespace
}  // namespace sv::tags
