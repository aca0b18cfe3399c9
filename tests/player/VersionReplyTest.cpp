// The version file's reply: only a plain version number counts, compared
// with ours as a number.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "player/VersionReply.h"

namespace {

TEST(VersionReply, OnlyAPlainNumberIsAVersion) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> table{
      {"3.31", "3.31"},
      {"3.31\r\n", "3.31"},
      {"\xEF\xBB\xBF" "3.31", "3.31"},
      {"  4\n", "4"},
      {"3,40", std::nullopt},
      {"", std::nullopt},
      {"\r\n", std::nullopt},
      {"<html><body>Login</body></html>", std::nullopt},
      {"3.", std::nullopt},
      {".3", std::nullopt},
      {"3.3.1", std::nullopt},
      {"-3.31", std::nullopt},
      {"3.31 beta", std::nullopt},
      {"1e3", std::nullopt},
      {std::string("3.31\0", 5), std::nullopt},
  };
  for (const auto& [body, version] : table) EXPECT_EQ(player::ParseVersionReply(body), version) << body;
}

TEST(VersionReply, ComparedAsDecimalNumbers) {
  struct Row {
    const char* reply;
    bool newer;
  };
  for (const Row& row : std::vector<Row>{{"3.31", true},
                                         {"3.30", false},
                                         {"3.3", false},
                                         {"3.300", false},
                                         {"3.1", false},
                                         {"3.299", false},
                                         {"3.301", true},
                                         {"4", true},
                                         {"03.31", true},
                                         {"10.0", true},
                                         {"2.99", false}}) {
    EXPECT_EQ(player::IsNewerVersion(row.reply, "3.30"), row.newer) << row.reply;
  }
}

TEST(VersionReply, SiteFromSettings) {
  EXPECT_EQ(player::MakerSiteFromSettings(sv::IniFile("x.ini", "")), player::kDefaultMakerSite);
  EXPECT_EQ(player::MakerSiteFromSettings(sv::IniFile("x.ini", "[DATA]\r\nSiteURL=http://127.0.0.1:5/\r\n")),
            "http://127.0.0.1:5/");
  EXPECT_EQ(player::MakerSiteFromSettings(sv::IniFile("x.ini", "[DATA]\r\nSiteURL=javascript:x\r\n")),
            player::kDefaultMakerSite);
  EXPECT_EQ(player::VersionFileUrl("http://127.0.0.1:5/"), "http://127.0.0.1:5/version.php");
}

}  // namespace
