// The search window's matching: which tests run, in which order, and on
// which tags, against readers that record their calls; then the tag
// library's readers on song files made by real tools.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/FolderSearch.h"
#include "player/SearchMatch.h"
#include "base/Ascii.h"
#include "tests/player/FakeDisk.h"
#include "tags/FileAccess.h"

using namespace player;

namespace {

struct RecordingReaders {
  std::vector<std::string> calls;
  std::optional<SongTags> id3v2, id3v1, wma, vorbis;
  bool throwing = false;

  SearchTagReaders Readers() {
    const auto make = [this](const char* kind, std::optional<SongTags>& tags) -> TagReader {
      return [this, kind, &tags](const std::string& path) {
        calls.push_back(std::string(kind) + ":" + path);
        if (throwing) throw std::runtime_error("locked");
        return tags;
      };
    };
    return {make("v2", id3v2), make("v1", id3v1), make("wma", wma), make("ogg", vorbis)};
  }
};

SearchQuery Query(const std::string& text, bool folder, bool name, bool title, bool artist, bool album) {
  return {text, folder, name, title, artist, album};
}

}  // namespace

TEST(SearchMatch, StartsOnlyWithTextAndSomethingToLookIn) {
  EXPECT_TRUE(Query("a", true, false, false, false, false).CanStart());
  EXPECT_TRUE(Query("a", false, false, false, false, true).CanStart());
  EXPECT_FALSE(Query("", true, true, true, true, true).CanStart());
  EXPECT_FALSE(Query("a", false, false, false, false, false).CanStart());
}

TEST(SearchMatch, CaseIsIgnoredForLatinGreekAndCyrillicLetters) {
  EXPECT_TRUE(ContainsIgnoringCase("C:\\Music\\ÉTÉ Ωmega Привет", "été ωMEGA пРИВЕТ"));
  EXPECT_TRUE(ContainsIgnoringCase("ŁÓDŹ ŸES", "łódź ÿes"));
  EXPECT_TRUE(ContainsIgnoringCase("anything", ""));
  EXPECT_FALSE(ContainsIgnoringCase("Beta", "alpha"));
  EXPECT_FALSE(ContainsIgnoringCase("ab", "abc"));
}

TEST(SearchMatch, NamesFirstThenTagsByExtensionStoppingAtTheFirstMatch) {
  RecordingReaders r;
  r.id3v2 = SongTags{"Nope", "Someone", "Record"};
  r.id3v1 = SongTags{"Needle", "", ""};
  const auto readers = r.Readers();

  // The folder's whole path counts, so files of its sub-folders match too.
  EXPECT_TRUE(SearchMatches(Query("alpha", true, false, true, true, true), "C:\\Alpha\\sub\\", "x.mp3", readers));
  EXPECT_TRUE(SearchMatches(Query("X.MP", false, true, true, true, true), "C:\\a\\", "x.mp3", readers));
  EXPECT_TRUE(r.calls.empty());
  EXPECT_FALSE(SearchMatches(Query("alpha", false, true, false, false, false), "C:\\Alpha\\", "x.mp3", readers));

  // ID3v2 first; ID3v1 only while nothing matched.
  EXPECT_TRUE(SearchMatches(Query("needle", false, false, true, false, false), "C:\\a\\", "x.MP3", readers));
  EXPECT_EQ(r.calls, (std::vector<std::string>{"v2:C:\\a\\x.MP3", "v1:C:\\a\\x.MP3"}));
  r.calls.clear();
  EXPECT_TRUE(SearchMatches(Query("record", false, false, false, false, true), "C:\\a\\", "x.mp2", readers));
  EXPECT_EQ(r.calls, (std::vector<std::string>{"v2:C:\\a\\x.mp2"}));
  r.calls.clear();
  // Each box looks only at its own field.
  EXPECT_FALSE(SearchMatches(Query("needle", false, false, false, true, true), "C:\\a\\", "x.mp3", readers));
  // ".mpc" has ID3v1 only; ".wma" and ".ogg" their own readers; others none.
  EXPECT_TRUE(SearchMatches(Query("needle", false, false, true, false, false), "C:\\a\\", "x.mpc", readers));
  EXPECT_FALSE(SearchMatches(Query("needle", false, false, true, false, false), "C:\\a\\", "x.wma", readers));
  EXPECT_FALSE(SearchMatches(Query("needle", false, false, true, false, false), "C:\\a\\", "x.ogg", readers));
  EXPECT_FALSE(SearchMatches(Query("needle", false, false, true, false, false), "C:\\a\\", "x.wav", readers));
  EXPECT_EQ(r.calls, (std::vector<std::string>{"v2:C:\\a\\x.mp3", "v1:C:\\a\\x.mp3", "v1:C:\\a\\x.mpc",
                                               "wma:C:\\a\\x.wma", "ogg:C:\\a\\x.ogg"}));
  r.vorbis = SongTags{"", "", "Needle Album"};
  EXPECT_TRUE(SearchMatches(Query("NEEDLE", false, false, false, false, true), "C:\\a\\", "x.ogg", readers));

  // A reader that throws is no match, and the next reader still runs.
  r.throwing = true;
  r.calls.clear();
  EXPECT_FALSE(SearchMatches(Query("needle", false, false, true, true, true), "C:\\a\\", "x.mp3", readers));
  EXPECT_EQ(r.calls.size(), 2u);
}

TEST(SearchMatch, TheLibraryReadersFindTagsInRealFiles) {
  const std::string folder = std::string(SV_SONG_FIXTURES) + "/";
  const auto readers = LibraryTagReaders(sv::tags::NativeFileSystem());
  // Written by lame (ID3v2), oggenc (Vorbis comments), and a v2 title that
  // differs from the v1 one.
  EXPECT_TRUE(SearchMatches(Query("lame artist", false, false, false, true, false), folder, "lame-tagged.mp3", readers));
  EXPECT_TRUE(SearchMatches(Query("ogg album", false, false, false, false, true), folder, "tagged.ogg", readers));
  EXPECT_TRUE(SearchMatches(Query("needle", false, false, true, false, false), folder, "search-v1.mp3", readers));
  EXPECT_FALSE(SearchMatches(Query("needle", false, false, false, true, true), folder, "search-v1.mp3", readers));
  EXPECT_TRUE(SearchMatches(Query("nope", false, false, true, false, false), folder, "search-v1.mp3", readers));
  EXPECT_FALSE(SearchMatches(Query("title", false, false, true, true, true), folder, "plain.ogg", readers));
  EXPECT_FALSE(SearchMatches(Query("title", false, false, true, true, true), folder, "missing.mp3", readers));
}

namespace {

using playertest::Dir;
using playertest::FakeDisk;
using playertest::File;
using playertest::Link;

bool LessIgnoringCase(const std::string& a, const std::string& b) { return sv::CompareTextAscii(a, b) < 0; }

FakeDisk SearchDisk() {
  FakeDisk disk;
  disk.Folder("C:\\M\\", {Dir("beta"), File("z-alpha.mp3"), Dir("Alpha"), File("a-alpha.wav"), Link("loop", "C:\\M\\")});
  disk.Folder("C:\\M\\beta\\", {Dir("Alpha-sub"), File("other.mp3")});
  disk.Folder("C:\\M\\beta\\Alpha-sub\\", {File("2.mp3"), File("1.mp3"), File("notes.txt"), Dir("x.mp3")});
  disk.Folder("C:\\M\\beta\\Alpha-sub\\x.mp3\\", {});
  disk.Folder("C:\\M\\Alpha\\", {File("b.ogg"), File("a.ogg")});
  return disk;
}

std::vector<std::string> RunSearch(FakeDisk& disk, const SearchQuery& query, bool subFolders, int stopAfter = -1) {
  std::vector<std::string> found;
  FolderSearch search(disk, "C:\\M", subFolders, query, {}, {"mp3", "ogg", "wav"}, LessIgnoringCase,
                      [&](const std::string& path) { found.push_back(path); });
  for (int steps = 0; steps != stopAfter && search.Step(); ++steps) {
  }
  return found;
}

}  // namespace

TEST(FolderSearch, FoldersSortedFilesInListingOrderEachFolderOnce) {
  FakeDisk disk = SearchDisk();
  // The folder path holds the text: every playable file below "Alpha"
  // folders, and the file names that hold it elsewhere.
  EXPECT_EQ(RunSearch(disk, Query("alpha", true, true, false, false, false), true),
            (std::vector<std::string>{"C:\\M\\z-alpha.mp3", "C:\\M\\a-alpha.wav", "C:\\M\\Alpha\\b.ogg",
                                      "C:\\M\\Alpha\\a.ogg", "C:\\M\\beta\\Alpha-sub\\2.mp3",
                                      "C:\\M\\beta\\Alpha-sub\\1.mp3"}));
  // The walk's listings serve the matching: each folder is listed once.
  EXPECT_EQ(disk.listed.size(), 5u);
  // Without sub-folders only the start folder is searched.
  EXPECT_EQ(RunSearch(disk, Query("alpha", true, true, false, false, false), false),
            (std::vector<std::string>{"C:\\M\\z-alpha.mp3", "C:\\M\\a-alpha.wav"}));
}

TEST(FolderSearch, CountsFoldersOnlyOnceTheWalkIsCompleteAndCanStopBetweenFolders) {
  FakeDisk disk = SearchDisk();
  std::vector<std::string> found;
  FolderSearch search(disk, "C:\\M\\", true, Query("mp3", false, true, false, false, false), {}, {"mp3"},
                      LessIgnoringCase, [&](const std::string& path) { found.push_back(path); });
  EXPECT_TRUE(search.Walking());
  int walkSteps = 0;
  while (search.Walking()) {
    EXPECT_TRUE(search.Step());
    ++walkSteps;
  }
  // Four folders, each listed once; the link back up is not one of them.
  EXPECT_EQ(walkSteps, 5);
  EXPECT_EQ(search.FolderCount(), 5u);
  EXPECT_TRUE(found.empty());
  EXPECT_TRUE(search.Step());
  EXPECT_EQ(search.FoldersDone(), 1u);
  EXPECT_EQ(found, (std::vector<std::string>{"C:\\M\\z-alpha.mp3"}));
  // Stopping here keeps what the folders done found.
  EXPECT_EQ(RunSearch(disk, Query("mp3", false, true, false, false, false), true, 6),
            (std::vector<std::string>{"C:\\M\\z-alpha.mp3"}));
}
