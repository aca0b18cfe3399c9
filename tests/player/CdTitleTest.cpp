// CD track titles: the cache decides, the lookup timer starts only for a disc
// that is missing from the cache, and nothing is touched when the drive, the
// disc or the track number is unknown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "player/CdTitle.h"
#include "player/DisplayTitle.h"
#include "tags/MemoryFileSystem.h"

namespace {

using player::CdTrackNumber;

constexpr char kDiscId[] = "b40dd10e 14 150 15372 332";
constexpr char kSection[] = "b40dd10e+14+150+15372+332";

// Drive 0 is C:, drive 1 is D: (the CD drive); others do not exist.
class FakeDrives : public player::CdDrives {
 public:
  int DriveLetter(int drive) override {
    ++letterCalls;
    return drive == 0 ? 2 : drive == 1 ? 3 : -1;
  }
  std::string DiscId(int drive) override {
    idDrives.push_back(drive);
    return disc;
  }
  std::string disc = kDiscId;
  int letterCalls = 0;
  std::vector<int> idDrives;
};

class FakeCache : public player::CdCache {
 public:
  bool HasSection(const std::string& section) override {
    ++queries;
    return sections.count(section) != 0;
  }
  std::optional<std::string> Read(const std::string& section, const std::string& key) override {
    ++queries;
    const auto s = sections.find(section);
    if (s == sections.end()) return std::nullopt;
    const auto k = s->second.find(key);
    if (k == s->second.end()) return std::nullopt;
    return k->second;
  }
  std::map<std::string, std::map<std::string, std::string>> sections;
  int queries = 0;
};

class FakeTimer : public player::CdLookupTimer {
 public:
  bool Running() const override { return running; }
  void Start(int drive) override {
    running = true;
    starts.push_back(drive);
  }
  bool running = false;
  std::vector<int> starts;
};

const player::CdTitleFormats kFormats{"%artist - %tracknb %tracktitle (%length, %year) %filename%fileext",
                                      "CD %rep0 %filename %artist [%length]"};

class CdTitle : public ::testing::Test {
 protected:
  std::string Build(const std::string& path, bool readCddb = true) {
    return player::CdTrackTitle(path, player::SplitPathPieces(path), readCddb, kFormats, drives, cache, timer);
  }
  void CacheDisc(const std::string& match) {
    cache.sections[kSection] = {{"MATCH", match},      {"ARTIST", " Band "}, {"ALBUM", "Record"},
                                {"YEAR", "1987"},      {"TITLE5", "Fifth"},  {"LENGTH5", "03:05"},
                                {"TITLE12", "Twelfth"}};
  }
  FakeDrives drives;
  FakeCache cache;
  FakeTimer timer;
};

TEST(CdTrackNumber, TrailingDigits) {
  EXPECT_EQ(CdTrackNumber("Track05"), 5);
  EXPECT_EQ(CdTrackNumber("Track5"), 5);
  EXPECT_EQ(CdTrackNumber("Piste01"), 1);
  EXPECT_EQ(CdTrackNumber("Track12"), 12);
  EXPECT_EQ(CdTrackNumber("Track005"), 5);
  EXPECT_EQ(CdTrackNumber("7"), 7);
  EXPECT_EQ(CdTrackNumber("Track"), std::nullopt);
  EXPECT_EQ(CdTrackNumber("Track5a"), std::nullopt);
  EXPECT_EQ(CdTrackNumber("Track100"), std::nullopt);
  EXPECT_EQ(CdTrackNumber("Track99999999999999999999"), std::nullopt);
  EXPECT_EQ(CdTrackNumber(""), std::nullopt);
}

TEST_F(CdTitle, CachedDiscGivesTheTaggedTemplate) {
  CacheDisc("1");
  EXPECT_EQ(Build("D:\\Track05.cda"), " Band - 05 Fifth (03:05, 1987) Track05.cda");
  EXPECT_EQ(Build("D:\\Piste12.cda"), " Band - 12 Twelfth (, 1987) Piste12.cda");
  EXPECT_EQ(drives.idDrives, (std::vector<int>{1, 1}));
  EXPECT_TRUE(timer.starts.empty());
}

TEST_F(CdTitle, MissingDiscStartsTheLookupOnceAcrossTwoTitles) {
  EXPECT_EQ(Build("D:\\Track01.cda"), " CD D: Track01 %artist []");
  EXPECT_EQ(Build("D:\\Track02.cda"), " CD D: Track02 %artist []");
  EXPECT_EQ(timer.starts, std::vector<int>{1});
}

TEST_F(CdTitle, UnmatchedOrIncompleteSectionsStartNoLookup) {
  for (const char* match : {"0", "", "yes"}) {
    SCOPED_TRACE(match);
    CacheDisc(match);
    EXPECT_EQ(Build("D:\\Track05.cda"), " CD D: Track05 %artist []");
  }
  CacheDisc("1");
  EXPECT_EQ(Build("D:\\Track06.cda"), " CD D: Track06 %artist []");
  cache.sections[kSection].erase("MATCH");
  EXPECT_EQ(Build("D:\\Track05.cda"), " CD D: Track05 %artist []");
  EXPECT_TRUE(timer.starts.empty());
}

TEST_F(CdTitle, UnknownDriveDiscOrTrackTouchesNeitherCacheNorTimer) {
  drives.disc.clear();
  EXPECT_EQ(Build("D:\\Track01.cda"), " CD D: Track01 %artist []");
  drives.disc = kDiscId;
  const int idCalls = static_cast<int>(drives.idDrives.size());
  EXPECT_EQ(Build("D:\\Intro.cda"), " CD D: Intro %artist []");
  EXPECT_EQ(Build("d:\\Track01.cda"), " CD d: Track01 %artist []");
  EXPECT_EQ(Build("E:\\Track01.cda"), " CD E: Track01 %artist []");
  EXPECT_EQ(Build("\\\\server\\Track01.cda"), " CD server Track01 %artist []");
  EXPECT_EQ(static_cast<int>(drives.idDrives.size()), idCalls);
  const int letterCalls = drives.letterCalls;
  EXPECT_EQ(Build("D:\\Track01.cda", false), " CD D: Track01 %artist []");
  EXPECT_EQ(drives.letterCalls, letterCalls);
  EXPECT_EQ(cache.queries, 0);
  EXPECT_TRUE(timer.starts.empty());
}

// The cache file as the lookup writes it, read through the INI rules.
TEST(IniCdCache, ReadsTheCacheFile) {
  std::random_device rd;
  const auto folder = std::filesystem::temp_directory_path() / ("sv-cddb-" + std::to_string(rd()));
  std::filesystem::create_directories(folder);
  const auto file = folder / "Sorivanel.cddb";
  std::ofstream(file, std::ios::binary) << "[" << kSection
                                        << "]\r\nMATCH=1\r\nARTIST=Band\r\nTITLE1= First \r\n"
                                           "[other]\r\nMATCH=0\r\n";
  player::IniCdCache cache(file.string());
  EXPECT_TRUE(cache.HasSection(kSection));
  EXPECT_TRUE(cache.HasSection("OTHER"));
  EXPECT_FALSE(cache.HasSection("b40dd10e 14 150 15372 332"));
  EXPECT_EQ(cache.Read(kSection, "title1"), "First");
  EXPECT_EQ(cache.Read(kSection, "TITLE2"), std::nullopt);
  EXPECT_EQ(cache.Read("other", "MATCH"), "0");
  player::IniCdCache missing((folder / "none.cddb").string());
  EXPECT_FALSE(missing.HasSection(kSection));
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

// The whole title builder on a CD track: the cache opened once per entry.
TEST(DisplayTitleCd, GoesThroughTheCdCache) {
  sv::tags::MemoryFileSystem files;
  files.Put("D:\\Track05.cda", std::string(44, '\0'));
  FakeDrives drives;
  FakeTimer timer;
  int opened = 0;
  player::TitleSources sources{files, nullptr, drives,
                               [&]() -> std::unique_ptr<player::CdCache> {
                                 ++opened;
                                 auto cache = std::make_unique<FakeCache>();
                                 cache->sections[kSection] = {{"MATCH", "1"}, {"TITLE5", "Fifth"}};
                                 return cache;
                               },
                               timer};
  player::TitleFormats formats{"%tracknb. %tracktitle", "%filename", "CD %filename", true, true};
  EXPECT_EQ(player::GetSongDisplayTitle("D:\\Track05.cda", formats, sources), " 05. Fifth");
  EXPECT_EQ(player::GetSongDisplayTitle("D:\\Track06.cda", formats, sources), " No File... Track06.cda");
  EXPECT_EQ(opened, 1);
  formats.readCddb = false;
  EXPECT_EQ(player::GetSongDisplayTitle("D:\\Track05.cda", formats, sources), " CD Track05");
  EXPECT_TRUE(timer.starts.empty());
}

// On a real drive (under Wine, the temporary folder's): real CD track files
// and a real cache file, the disc first missing, then unmatched, then found.
TEST(DisplayTitleCd, RealFilesAndCacheFile) {
  std::random_device rd;
  const auto folder = std::filesystem::temp_directory_path() / ("sv-cd-" + std::to_string(rd()));
  const std::u8string utf8 = folder.u8string();
  const std::string base(utf8.begin(), utf8.end());
  if (base.size() < 2 || base[1] != ':' || base[0] < 'A' || base[0] > 'Z') {
    GTEST_SKIP() << "needs a path with a drive letter";
  }
  std::filesystem::create_directories(folder);
  for (const char* name : {"Track01.cda", "Track02.cda"}) std::ofstream(folder / name) << "RIFF";
  const auto cacheFile = folder / "Sorivanel.cddb";

  class DriveOfFolder : public player::CdDrives {
   public:
    explicit DriveOfFolder(char letter) : letter_(letter) {}
    int DriveLetter(int drive) override { return drive == 3 ? letter_ - 'A' : -1; }
    std::string DiscId(int) override { return kDiscId; }

   private:
    char letter_;
  } drives(base[0]);
  FakeTimer timer;
  player::TitleSources sources{sv::tags::NativeFileSystem(), nullptr, drives,
                               [&] { return std::make_unique<player::IniCdCache>(base + "\\Sorivanel.cddb"); },
                               timer};
  const player::TitleFormats formats{"%tracknb %tracktitle", "%filename", "CD %filename", true, true};
  const std::string track1 = base + "\\Track01.cda";
  const std::string track2 = base + "\\Track02.cda";

  EXPECT_EQ(player::GetSongDisplayTitle(track1, formats, sources), " CD Track01");
  EXPECT_EQ(player::GetSongDisplayTitle(track2, formats, sources), " CD Track02");
  EXPECT_EQ(timer.starts, std::vector<int>{3});

  timer.running = false;
  std::ofstream(cacheFile, std::ios::binary) << "[" << kSection << "]\r\nMATCH=0\r\n";
  EXPECT_EQ(player::GetSongDisplayTitle(track1, formats, sources), " CD Track01");
  EXPECT_EQ(timer.starts.size(), 1u);

  std::ofstream(cacheFile, std::ios::binary) << "[" << kSection << "]\r\nMATCH=1\r\nTITLE1=Opening\r\n";
  EXPECT_EQ(player::GetSongDisplayTitle(track1, formats, sources), " 01 Opening");
  EXPECT_EQ(player::GetSongDisplayTitle(track2, formats, sources), " CD Track02");
  EXPECT_EQ(timer.starts.size(), 1u);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

}  // namespace
