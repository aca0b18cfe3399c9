// Playlist files: the own list at start-up and close, M3U and PLS imports,
// saved lists, and the text encoding of all of them on a real disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Paths.h"
#include "base/StringList.h"
#include "base/TextFile.h"
#include "player/PlaylistFiles.h"
#include "tests/base/TempFolder.h"

using namespace player;

namespace {

const std::vector<std::string> kSupported = {"mp3", "ogg", "wav"};
const std::string kFolder = "C:\\Lists\\";

std::vector<PlaylistEntry> ReadWith(const std::vector<std::string>& lines, const std::vector<std::string>& present) {
  return ReadOwnPlaylist(lines, kFolder, kSupported, [&](const std::string& path) {
    for (const auto& p : present)
      if (p == path) return true;
    return false;
  });
}

void ExpectEntry(const PlaylistEntry& e, const std::string& path, const std::string& text) {
  EXPECT_EQ(e.Path, path);
  EXPECT_EQ(e.Text, text);
}

// Our own playlists name Windows paths; natively the test reaches the same
// files through the host's separators.
std::string HostPath(std::string path) {
#ifndef _WIN32
  for (char& c : path)
    if (c == '\\') c = '/';
#endif
  return path;
}

void WriteRaw(const std::string& path, std::string_view bytes) {
  std::ofstream out(sv::PathFromUtf8(path), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(OwnPlaylistRead, ExtInfTitlesOnlyTheNextLine) {
  const auto entries = ReadWith(
      {"#EXTM3U", "#EXTINF:123,Artist - Song", "a.mp3", "b.mp3", "#EXTINF:5", "c.mp3", "#EXTINF:5,  ", "d.mp3"},
      {"C:\\Lists\\a.mp3", "C:\\Lists\\b.mp3", "C:\\Lists\\c.mp3", "C:\\Lists\\d.mp3"});
  ASSERT_EQ(entries.size(), 4u);
  ExpectEntry(entries[0], "C:\\Lists\\a.mp3", " Artist - Song");
  ExpectEntry(entries[1], "C:\\Lists\\b.mp3", " b.mp3");  // the title was a's, not b's
  ExpectEntry(entries[2], "C:\\Lists\\c.mp3", " c.mp3");  // no comma
  ExpectEntry(entries[3], "C:\\Lists\\d.mp3", " d.mp3");  // nothing after it
}

TEST(OwnPlaylistRead, KeepsPlayableFilesAndStreamsOnly) {
  std::vector<std::string> asked;
  const auto entries = ReadOwnPlaylist({"  x.MP3  ", "notes.txt", "# a.mp3", "", "\t", "http://radio.example:8000/live",
                                        "MMS://host/s", "ftp://h/a.wma", "a.flacc", "noext"},
                                       kFolder, kSupported, [&](const std::string& path) {
                                         asked.push_back(path);
                                         return true;
                                       });
  ASSERT_EQ(entries.size(), 3u);
  ExpectEntry(entries[0], "C:\\Lists\\x.MP3", " x.MP3");
  // The shown name of an address is what follows its last colon.
  ExpectEntry(entries[1], "http://radio.example:8000/live", " 8000/live");
  ExpectEntry(entries[2], "MMS://host/s", " //host/s");
  // A stream address is never looked for on disk.
  EXPECT_EQ(asked, std::vector<std::string>{"C:\\Lists\\x.MP3"});
}

TEST(OwnPlaylistRead, MissingFilesAreMarkedAndKept) {
  const auto entries = ReadWith({"#EXTINF:-1,Kept Title", "gone.mp3", "#EXTINF:-1,Radio", "http://r.example/s"}, {});
  ASSERT_EQ(entries.size(), 2u);
  ExpectEntry(entries[0], "C:\\Lists\\gone.mp3", " No File... gone.mp3");
  ExpectEntry(entries[1], "http://r.example/s", " Radio");
}

TEST(OwnPlaylistRead, RelativePathsResolveAgainstTheListsFolder) {
  const auto entries =
      ReadWith({"..\\Music\\a.mp3", ".\\sub\\.\\b.mp3", "\\Root\\c.mp3", "D:\\Other\\d.mp3",
                "\\\\nas\\share\\..\\..\\e.mp3", "C:f.mp3", "E:g.mp3", "..\\..\\..\\h.mp3", "Music/i.mp3"},
               {});
  std::vector<std::string> paths;
  for (const auto& e : entries) paths.push_back(e.Path);
  EXPECT_EQ(paths, (std::vector<std::string>{"C:\\Music\\a.mp3", "C:\\Lists\\sub\\b.mp3", "C:\\Root\\c.mp3",
                                             "D:\\Other\\d.mp3", "\\\\nas\\share\\e.mp3", "C:\\Lists\\f.mp3",
                                             "E:\\g.mp3", "C:\\h.mp3", "C:\\Lists\\Music\\i.mp3"}));
  EXPECT_EQ(entries[0].Text, " No File... a.mp3");
}

TEST(M3uImport, PathsWithTheirOwnTitles) {
  const auto entries = ParseM3u({"#EXTM3U", "#EXTINF:200, Artist - Title ", "one.ogg", "two.ogg", "#EXTINF:1,x",
                                 "skip.txt", "three.wav", "#extinf:7,Lower", "http://s.example/radio"},
                                kFolder, kSupported);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].Path, "C:\\Lists\\one.ogg");
  EXPECT_EQ(entries[0].Title, "Artist - Title");
  EXPECT_EQ(entries[1].Title, "");
  // The title of a dropped line is not handed on.
  EXPECT_EQ(entries[2].Path, "C:\\Lists\\three.wav");
  EXPECT_EQ(entries[2].Title, "");
  EXPECT_EQ(entries[3].Path, "http://s.example/radio");
  EXPECT_EQ(entries[3].Title, "Lower");
}

TEST(PlsImport, StopsAtTheFirstMissingNumber) {
  const auto entries = ParsePls(
      "[playlist]\r\nNumberOfEntries=4\r\nFile1=a.mp3\r\nTitle1=First Song\r\nFile2=..\\b.txt\r\n"
      "File4=d.mp3\r\nTitle4=Never\r\nVersion=2\r\n",
      "C:\\Lists\\Pls\\");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Path, "C:\\Lists\\Pls\\a.mp3");
  EXPECT_EQ(entries[0].Title, "First Song");       // no leading blank, unlike an M3U title
  EXPECT_EQ(entries[1].Path, "C:\\Lists\\b.txt");  // taken whatever it names
  EXPECT_EQ(entries[1].Title, "");
}

TEST(PlsImport, NamesIgnoreCaseAndAddressesStayAsTheyAre) {
  const auto entries = ParsePls(
      "[other]\nFile1=x.mp3\n[PlayList]\nfile1=HTTP://radio.example:8000/\nTITLE1=Radio One\nFILE2=D:\\m\\z.ogg\n",
      kFolder);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Path, "HTTP://radio.example:8000/");
  EXPECT_EQ(entries[0].Title, "Radio One");
  EXPECT_EQ(entries[1].Path, "D:\\m\\z.ogg");
  EXPECT_TRUE(ParsePls("", kFolder).empty());
  EXPECT_TRUE(ParsePls("[playlist]\nFile0=a.mp3\nFile2=b.mp3\n", kFolder).empty());
}

TEST(PlsImport, Utf16Files) {
  const std::u16string text = u"[playlist]\r\nFile1=\u0413\u0440\u043E\u0437\u0430.mp3\r\nTitle1=\u66F2\r\n";
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  const auto entries = ParsePls(bytes, kFolder);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Path, "C:\\Lists\\\xD0\x93\xD1\x80\xD0\xBE\xD0\xB7\xD0\xB0.mp3");
  EXPECT_EQ(entries[0].Title, "\xE6\x9B\xB2");
}

TEST(OwnPlaylistWrite, LinesRelativeToTheProgramFolder) {
  const std::vector<std::string> paths = {"C:\\Music\\a.mp3",    "c:\\APPS\\player\\Songs\\b.mp3",
                                          "D:\\c.mp3",           "http://r.example/s",
                                          "C:\\Music\\gone.mp3", "C:\\Music\\e.mp3"};
  const std::vector<std::string> texts = {"  Artist - A  ", " b.mp3", " c.mp3", " Radio", " no file... gone.mp3"};
  const auto lines = OwnPlaylistLines(paths, texts, "C:\\Apps\\Player");
  EXPECT_EQ(lines,
            (std::vector<std::string>{"#EXTM3U", "#EXTINF:-1,Artist - A", "..\\..\\Music\\a.mp3", "#EXTINF:-1,b.mp3",
                                      "Songs\\b.mp3", "#EXTINF:-1,c.mp3", "D:\\c.mp3", "#EXTINF:-1,Radio",
                                      "http://r.example/s", "..\\..\\Music\\gone.mp3", "..\\..\\Music\\e.mp3"}));
}

TEST(OwnPlaylistWrite, ControlCharactersInATitleNeverMakeALine) {
  const auto lines = OwnPlaylistLines({"C:\\a.mp3"}, {" Two\r\nLines\tand\x01\x7F\x0Bmore\n"}, "C:\\");
  EXPECT_EQ(lines, (std::vector<std::string>{"#EXTM3U", "#EXTINF:-1,Two  Lines and   more", "a.mp3"}));
  // A station name that carries a path of its own: read back, it is still
  // one entry with one title.
  const std::string injected = " Radio\r\nC:\\evil.mp3\r\n#EXTINF:-1,Evil";
  const std::string bytes = EncodePlaylistText(OwnPlaylistLines({"http://r.example/s"}, {injected}, "C:\\"));
  sv::StringList list;
  list.SetText(sv::DecodeText(bytes));
  const auto entries = ReadOwnPlaylist(list.Items(), "C:\\", kSupported, [](const std::string&) { return true; });
  ASSERT_EQ(entries.size(), 1u);
  ExpectEntry(entries[0], "http://r.example/s", " " + OneLineText(injected.substr(1)));
  EXPECT_EQ(OneLineText("a\tb\x1F\x7F\xC3\xA9"), "a b  \xC3\xA9");
}

TEST(OwnPlaylistWrite, WhatIsWrittenReadsBackTheSame) {
  // Names that begin with '#' or a blank would read as a comment or lose
  // the blank without a ".\" in front.
  const std::vector<std::string> paths = {"C:\\Apps\\Player\\x.mp3", "C:\\Music\\y.ogg", "http://r.example/z",
                                          "C:\\Apps\\Player\\#1 hit.mp3", "C:\\Apps\\Player\\ lead.mp3"};
  const std::vector<std::string> texts = {" Title X", " y.ogg", " Z Radio", " #1 hit.mp3", " lead"};
  const auto lines = OwnPlaylistLines(paths, texts, "C:\\Apps\\Player\\");
  const auto entries =
      ReadOwnPlaylist(lines, "C:\\Apps\\Player\\", kSupported, [](const std::string&) { return true; });
  ASSERT_EQ(entries.size(), paths.size());
  for (std::size_t i = 0; i < entries.size(); ++i) ExpectEntry(entries[i], paths[i], texts[i]);
}

TEST(SavedList, RelativeOnlyWhenEveryEntryIsInsideTheFolder) {
  const std::vector<std::string> inside = {"C:\\Music\\a.mp3", "c:\\music\\Rock\\b.mp3"};
  EXPECT_TRUE(SavedListIsRelative(inside, "C:\\MUSIC\\list.m3u"));
  EXPECT_EQ(SavedListLines(inside, {" A", " B"}, "C:\\MUSIC\\list.m3u"),
            (std::vector<std::string>{"#EXTM3U", "#EXTINF:-1,A", "a.mp3", "#EXTINF:-1,B", "Rock\\b.mp3"}));

  EXPECT_FALSE(SavedListIsRelative({"C:\\Music2\\a.mp3"}, "C:\\Music\\list.m3u"));
  EXPECT_FALSE(SavedListIsRelative({"C:\\a.mp3"}, "C:\\Music\\list.m3u"));

  // One stream address: every path is written in full.
  const std::vector<std::string> withUrl = {"C:\\Music\\a.mp3", "http://r.example/s"};
  EXPECT_FALSE(SavedListIsRelative(withUrl, "C:\\Music\\list.m3u"));
  EXPECT_EQ(SavedListLines(withUrl, {}, "C:\\Music\\list.m3u"),
            (std::vector<std::string>{"#EXTM3U", "C:\\Music\\a.mp3", "http://r.example/s"}));
}

TEST(PlaylistEncoding, Utf8WithABomUnlessPlainAscii) {
  EXPECT_EQ(EncodePlaylistText({"#EXTM3U", "a.mp3"}), "#EXTM3U\r\na.mp3\r\n");
  const std::string latin = "C:\\Caf\xC3\xA9\\\xE2\x82\xAC.mp3";
  EXPECT_EQ(EncodePlaylistText({latin}), "\xEF\xBB\xBF" + latin + "\r\n");
  const std::string cyrillic = "C:\\\xD0\x93\xD1\x80\xD0\xBE\xD0\xB7\xD0\xB0.mp3";
  EXPECT_EQ(EncodePlaylistText({cyrillic}), "\xEF\xBB\xBF" + cyrillic + "\r\n");
  // "Ã©" reads back as itself, not as the "é" its code-page bytes would be.
  for (const std::string& text : {latin, cyrillic, std::string("C:\\\xC3\x83\xC2\xA9.mp3")})
    EXPECT_EQ(sv::DecodeText(EncodePlaylistText({text})), text + "\r\n");
}

TEST(PlaylistFilesOnDisk, NonAnsiPathsRoundTrip) {
  TempFolder temp;
  const std::string folder = temp / "";
  const std::string cyrillic = folder + "\xD0\x93\xD1\x80\xD0\xBE\xD0\xB7\xD0\xB0.mp3";
  const std::string cjk = folder + "\xE6\x9B\xB2\\\xE9\x9F\xB3.ogg";
  const std::string list = temp / "own.m3u";
  WritePlaylistFile(list, OwnPlaylistLines({cyrillic, cjk}, {" \xE9\x9F\xB3 Title", " x"}, folder));

  std::vector<std::string> lines;
  ASSERT_TRUE(ReadPlaylistLines(list, lines));
  const auto entries = ReadOwnPlaylist(
      lines, folder, kSupported, [&](const std::string& path) { return path == sv::ExpandFileName(cyrillic, folder); });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Path, sv::ExpandFileName(cyrillic, folder));
  EXPECT_EQ(entries[0].Text, " \xE9\x9F\xB3 Title");
  EXPECT_EQ(entries[1].Path, sv::ExpandFileName(cjk, folder));
  EXPECT_EQ(entries[1].Text, " No File... \xE9\x9F\xB3.ogg");
}

TEST(PlaylistFilesOnDisk, ListsWrittenElsewhereAndMissingOnes) {
  TempFolder temp;
  std::filesystem::create_directories(temp.path() / "songs");
  WriteRaw(temp / "songs/here.mp3", "");
  // Another program's list: Windows-1252, LF breaks, no final break.
  WriteRaw(temp / "old.m3u", "#EXTM3U\n#EXTINF:10,Caf\xE9\nsongs\\here.mp3\nsongs\\away.mp3");
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadPlaylistLines(temp / "old.m3u", lines));
  const std::string folder = temp / "";
  const auto entries = ReadOwnPlaylist(lines, folder, kSupported,
                                       [](const std::string& path) { return sv::FileExists(HostPath(path)); });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Text, " Caf\xC3\xA9");
  EXPECT_EQ(entries[1].Text, " No File... away.mp3");

  EXPECT_FALSE(ReadPlaylistLines(temp / "none.m3u", lines));
  std::filesystem::create_directories(temp.path() / "folder.m3u");
  EXPECT_THROW(ReadPlaylistLines(temp / "folder.m3u", lines), sv::FileReadError);
}

TEST(PlaylistFilesOnDisk, AFailedWriteLeavesTheOldList) {
  TempFolder temp;
  const std::string list = temp / "own.m3u";
  WritePlaylistFile(list, {"#EXTM3U", "a.mp3"});
  EXPECT_THROW(WritePlaylistFile(temp / "no-such-folder/own.m3u", {"#EXTM3U"}), sv::FileWriteError);
  std::filesystem::create_directories(temp.path() / "taken.m3u");
  EXPECT_THROW(WritePlaylistFile(temp / "taken.m3u", {"#EXTM3U"}), sv::FileWriteError);
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "taken.m3u"));
  EXPECT_EQ(sv::ReadFileBytes(list), "#EXTM3U\r\na.mp3\r\n");
  // Nothing half-written is left beside it.
  int files = 0;
  for (const auto& item : std::filesystem::directory_iterator(temp.path())) files += item.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST(PlaylistFilesOnDisk, AListThatCannotReplaceTheFileGoesBesideIt) {
  const std::vector<std::string> taken{"C:\\Player\\Sorivanel (2).m3u", "C:\\Player\\Sorivanel (3).m3u"};
  const auto isTaken = [&](const std::string& path) {
    return std::find(taken.begin(), taken.end(), path) != taken.end();
  };
  EXPECT_EQ(BesideListName("C:\\Player\\Sorivanel.m3u", isTaken), "C:\\Player\\Sorivanel (4).m3u");
  EXPECT_EQ(BesideListName("C:\\Player\\list", isTaken), "C:\\Player\\list (2)");
  EXPECT_EQ(BesideListName("C:\\My.Lists\\a.m3u", isTaken), "C:\\My.Lists\\a (2).m3u");
}
