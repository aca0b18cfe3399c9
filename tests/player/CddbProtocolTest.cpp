// The CD database exchange on paper: the addresses sent, the query text
// checked, hostile and malformed replies, and the cache keys of a match.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/CddbProtocol.h"

namespace {

using player::CddbQueryReply;
using player::CddbReadReply;

TEST(CddbProtocol, AddressesUsePlusForBlanksAndEndWithTheProtocolLevel) {
  const auto disc = player::ParseDiscQuery("0a0b0c0d 2 150 15000 400");
  ASSERT_TRUE(disc);
  EXPECT_EQ(player::CddbQueryUrl("http://127.0.0.1:8080/", *disc, "box.example", "3.30"),
            "http://127.0.0.1:8080/~cddb/cddb.cgi?cmd=cddb+query+0a0b0c0d+2+150+15000+400"
            "&hello=Sorivanel+box.example+Sorivanel+3.30&proto=5");
  EXPECT_EQ(player::CddbReadUrl("http://h", "rock", "940aac0d", "x", "3.30"),
            "http://h/~cddb/cddb.cgi?cmd=cddb+read+rock+940aac0d&hello=Sorivanel+x+Sorivanel+3.30&proto=5");
  EXPECT_EQ(player::CddbSectionName("0a0b0c0d 2 150 15000 400"), "0a0b0c0d+2+150+15000+400");
  // The cache's section name parses the same way as the drive's text.
  EXPECT_EQ(player::ParseDiscQuery("0a0b0c0d+2+150+15000+400")->text, "0a0b0c0d+2+150+15000+400");
}

TEST(CddbProtocol, SettingsGiveTheServerAndHelloHostOrTheDefaults) {
  EXPECT_EQ(player::CddbServerFromSettings(sv::IniFile("x.ini", "")), player::kDefaultCddbServer);
  EXPECT_EQ(player::CddbHelloHostFromSettings(sv::IniFile("x.ini", "")), player::kDefaultCddbHelloHost);
  const sv::IniFile set("x.ini", "[DATA]\r\nCddbServer=http://127.0.0.1:99\r\nCddbHelloHost=pc-1.lan\r\n");
  EXPECT_EQ(player::CddbServerFromSettings(set), "http://127.0.0.1:99");
  EXPECT_EQ(player::CddbHelloHostFromSettings(set), "pc-1.lan");
  const sv::IniFile bad("x.ini", "[DATA]\r\nCddbServer=ftp://h\r\nCddbHelloHost=a&cmd=x\r\n");
  EXPECT_EQ(player::CddbServerFromSettings(bad), player::kDefaultCddbServer);
  EXPECT_EQ(player::CddbHelloHostFromSettings(bad), player::kDefaultCddbHelloHost);
}

TEST(CddbProtocol, QueryTextIsCheckedBeforeItIsIndexed) {
  for (const char* bad : {"", "0a0b0c0d", "0a0b0c0d 2 150 15000", "0a0b0c0d 2 150 15000 400 9",
                          "0a0b0c0d x 150 400", "0a0b0c0d 0 400", "0a0b0c0d 2 15000 150 400",
                          "0a0b0c0d 2 150 15000 100", "0a0b0c0 1 150 400", "0a0b0c0d& 1 150 400",
                          "0a0b0c0d 1 -150 400", "0a0b0c0d 100 1 2 3"}) {
    EXPECT_FALSE(player::ParseDiscQuery(bad)) << bad;
  }
  const auto disc = player::ParseDiscQuery("0a0b0c0d 2 150 15000 400");
  ASSERT_TRUE(disc);
  EXPECT_EQ(disc->id, "0a0b0c0d");
  EXPECT_EQ(disc->offsets, (std::vector<long long>{150, 15000}));
  EXPECT_EQ(disc->seconds, 400);
}

TEST(CddbProtocol, TrackLengthsAndTheirFormat) {
  EXPECT_EQ(player::TrackSeconds(*player::ParseDiscQuery("0a0b0c0d 2 150 15000 400")),
            (std::vector<long long>{198, 200}));
  // A total that is not a whole number of frames after the last start: cut.
  EXPECT_EQ(player::TrackSeconds(*player::ParseDiscQuery("0a0b0c0d 1 15010 400")), std::vector<long long>{199});
  const std::vector<std::pair<long long, const char*>> table{
      {198, "03:18"}, {200, "03:20"}, {3700, "01:01:40"}, {0, "00:00"}, {3599, "59:59"}, {3600, "01:00:00"},
      {-5, "00:00"}};
  for (const auto& [seconds, text] : table) EXPECT_EQ(player::FormatTrackLength(seconds), text) << seconds;
}

TEST(CddbProtocol, QueryReplies) {
  using K = CddbQueryReply::Kind;
  struct Row {
    const char* body;
    K kind;
    const char* category;
    const char* id;
  };
  const std::vector<Row> table{
      {"200 rock 940aac0d Artist / Album\r\n", K::Match, "rock", "940aac0d"},
      {"200 rock 940aac0d\r\n", K::Match, "rock", "940aac0d"},
      {"200\trock\t940aac0d", K::Match, "rock", "940aac0d"},
      {"210 Found exact matches, list follows (until terminating `.')\r\nmisc 0a0b0c0d A / B\r\n"
       "rock 0a0b0c0d C / D\r\n.\r\n",
       K::Match, "misc", "0a0b0c0d"},
      {"210 Found exact matches, list follows (until terminating `.')\nmisc 0a0b0c0d A / B\n.\n", K::Match,
       "misc", "0a0b0c0d"},
      {"211 Found inexact matches\r\nrock 0a0b0c0d X\r\n.\r\n", K::NoMatch, "", ""},
      {"202 No match found\r\n", K::NoMatch, "", ""},
      {"403 Database entry is corrupt\r\n", K::Failed, "", ""},
      {"530 Server load too high\r\n", K::Failed, "", ""},
      {"", K::Failed, "", ""},
      {"<html><body>portal</body></html>", K::Failed, "", ""},
      {"200 rock\r\n", K::Failed, "", ""},
      {"210 list follows\r\n", K::Failed, "", ""},
      {"210 list follows\r\n.\r\n", K::Failed, "", ""},
      {"200 rock&cmd=x 940aac0d t", K::Failed, "", ""},
      {"200 Rock 940aac0d t", K::Failed, "", ""},
      {"200 rock/../x 940aac0d t", K::Failed, "", ""},
      {"200 abcdefghijklmnopqrstu 940aac0d t", K::Failed, "", ""},
      {"200 rock 940aac0d+x t", K::Failed, "", ""},
      {"200 rock 940aac0 t", K::Failed, "", ""},
      {"200 rock 940aaczd t", K::Failed, "", ""},
  };
  for (const Row& row : table) {
    const CddbQueryReply reply = player::ParseCddbQueryReply(row.body);
    EXPECT_EQ(reply.kind, row.kind) << row.body;
    EXPECT_EQ(reply.category, row.category) << row.body;
    EXPECT_EQ(reply.discId, row.id) << row.body;
  }
}

TEST(CddbProtocol, ReadReplyJoinsRepeatedKeysAndCleansValues) {
  const std::string body =
      "210 rock 0a0b0c0d CD database entry follows (until terminating `.')\r\n"
      "# xmcd\r\n"
      "DISCID=0a0b0c0d\r\n"
      "DTITLE=Various / Hits of the\r\n"
      "dtitle= Year\r\n"
      "DYEAR=1987\r\n"
      "TTITLE0=Long title \\\r\n"
      "TTITLE0=continued\\nhere\\tand \\\\ there\r\n"
      "TTITLE1=Caf\xE9 \x01\x7F" "bar\r\n"
      "TTITLE2=beyond the disc\r\n"
      ".\r\n"
      "TTITLE1=after the end\r\n";
  const CddbReadReply reply = player::ParseCddbReadReply(body, 2, "0a0b0c0d");
  ASSERT_EQ(reply.kind, CddbReadReply::Kind::Entry);
  EXPECT_EQ(reply.entry.artist, "Various");
  EXPECT_EQ(reply.entry.album, "Hits of the Year");
  EXPECT_EQ(reply.entry.year, "1987");
  EXPECT_EQ(reply.entry.genre, "");
  EXPECT_EQ(reply.entry.titles, (std::vector<std::string>{"Long title \\continued here and \\ there",
                                                          "Caf\xC3\xA9   bar"}));
}

TEST(CddbProtocol, ReadReplyStatusAndTitleWithoutSeparator) {
  const CddbReadReply lf = player::ParseCddbReadReply("210 rock 0A0B0C0D\nDTITLE=Just One Name\nDGENRE=Pop\n.\n", 3, "0a0b0c0d");
  ASSERT_EQ(lf.kind, CddbReadReply::Kind::Entry);
  EXPECT_EQ(lf.entry.artist, "Just One Name");
  EXPECT_EQ(lf.entry.album, "Just One Name");
  EXPECT_EQ(lf.entry.genre, "Pop");
  EXPECT_EQ(lf.entry.titles, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(player::ParseCddbReadReply("401 rock 0a0b0c0d No such CD entry in database.\r\n", 2, "0a0b0c0d").kind,
            CddbReadReply::Kind::NotFound);
  // A reply cut before its end line, or the entry of another disc, is a
  // failure: nothing of it may be cached.
  for (const char* bad : {"", "402 Server error.\r\n", "530 busy\r\n", "2100 x\r\nDTITLE=a\r\n.\r\n", "<html>\r\n",
                          "210 rock 0a0b0c0d\r\nDTITLE=Band / Album\r\nTTITLE0=One\r\n",
                          "210 rock 0a0b0c0d\r\nDTITLE=Band / Album\r\nTTITLE0=One\r\nTTITLE1=Tw",
                          "210 rock 0a0b0c0d\r\nDTITLE=Band / Album\r\n..\r\n",
                          "210 rock 0a0b0c0d\r\nDTITLE=Band / Album\r\n. \r\n",
                          "210 rock 0a0b0c0d",
                          "210 rock 940aac0d\r\nDTITLE=Other / Disc\r\n.\r\n",
                          "210 rock\r\nDTITLE=Band / Album\r\n.\r\n",
                          "210\r\nDTITLE=Band / Album\r\n.\r\n"}) {
    EXPECT_EQ(player::ParseCddbReadReply(bad, 2, "0a0b0c0d").kind, CddbReadReply::Kind::Failed) << bad;
  }
  // The end line alone makes an entry, even an empty one.
  EXPECT_EQ(player::ParseCddbReadReply("210 rock 0a0b0c0d\r\n.\r\n", 2, "0a0b0c0d").kind, CddbReadReply::Kind::Entry);
}

TEST(CddbProtocol, MatchKeysInWritingOrder) {
  player::CddbEntry entry{"Band", "Album", "1987", "Rock", {"One", "Two"}};
  const auto keys = player::CddbMatchKeys(entry, *player::ParseDiscQuery("0a0b0c0d 2 150 15000 400"));
  const std::vector<std::pair<std::string, std::string>> expected{
      {"ARTIST", "Band"}, {"ALBUM", "Album"}, {"YEAR", "1987"},     {"GENRE", "Rock"},   {"TITLE1", "One"},
      {"LENGTH1", "03:18"}, {"TITLE2", "Two"}, {"LENGTH2", "03:20"}, {"MATCH", "1"}};
  EXPECT_EQ(keys, expected);
}

}  // namespace
