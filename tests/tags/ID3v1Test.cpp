// ID3v1 record and Lyrics3 v2 block: the stored rules, files written by
// id3v2, lame, eyeD3 and mutagen, our writes read back by mutagen and by the
// independent Lyrics3 parser, malformed blocks, and failures while saving.
#include <gtest/gtest.h>

#include "TagTestSupport.h"
#include "base/Utf.h"
#ifdef _WIN32
#include <windows.h>
#endif
#include "tags/ID3v1.h"
#include "tags/MemoryFileSystem.h"

namespace sv::tags {
namespace {

const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(300, 'a');

std::string Record(const std::string& title, const std::string& comment30, std::uint8_t genre = 255) {
  std::string r = "TAG";
  auto put = [&r](const std::string& s, std::size_t n) { r += s.substr(0, n) + std::string(n - std::min(n, s.size()), '\0'); };
  put(title, 30);
  put("Artist", 30);
  put("Album", 30);
  put("2001", 4);
  put(comment30, 30);
  r += static_cast<char>(genre);
  return r;
}

std::string Block(const std::string& fields) {
  const std::string body = "LYRICSBEGIN" + fields;
  char size[7];
  std::snprintf(size, sizeof size, "%06zu", body.size());
  return body + size + "LYRICS200";
}

std::string Field(const std::string& id, const std::string& value) {
  char len[6];
  std::snprintf(len, sizeof len, "%05zu", value.size());
  return id + len + value;
}

TID3v1 ReadMem(const std::string& bytes) {
  static MemoryFileSystem mem;
  mem.Put("f.mp3", bytes);
  TID3v1 tag(mem);
  EXPECT_TRUE(tag.ReadFromFile("f.mp3"));
  return tag;
}

TEST(ID3v1, BlankThenNonBlankMakesVersion11) {
  const TID3v1 t = ReadMem(kAudio + Record("Blank", std::string(28, 'x') + " \x05", 12));
  EXPECT_EQ(t.VersionID, 2);
  EXPECT_EQ(t.Track, 5);
  EXPECT_EQ(t.Comment, std::string(28, 'x'));
  EXPECT_EQ(t.GetGenre(), "Other");
  const TID3v1 v10 = ReadMem(kAudio + Record("Plain", std::string(29, 'y') + "z"));
  EXPECT_EQ(v10.VersionID, 1);
  EXPECT_EQ(v10.Comment, std::string(29, 'y') + "z");
}

TEST(ID3v1, ThirtyCharacterCommentIsWrittenWholeWithoutATrack) {
  MemoryFileSystem mem;
  mem.Put("f.mp3", kAudio);
  TID3v1 tag(mem);
  ASSERT_TRUE(tag.ReadFromFile("f.mp3"));
  // A blank as the 29th character is text: the comment is stored whole
  // (other readers take only a zero there as the track mark; this reader
  // takes the last character as the track, as the stored rule says).
  tag.SetComment(std::string(28, 'c') + " z");
  ASSERT_TRUE(tag.SaveToFile("f.mp3"));
  EXPECT_EQ(mem.Get("f.mp3")->substr(kAudio.size() + 97, 30), std::string(28, 'c') + " z");
  TID3v1 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f.mp3"));
  EXPECT_EQ(back.Comment, std::string(28, 'c'));
  EXPECT_EQ(back.Track, 'z');
  // A zero there (a Lyrics3 field may carry zeros) would be the track mark
  // for every reader: the comment ends at 28 characters instead.
  tag.SetComment(std::string(28, 'c') + std::string("\0\x80", 2));
  ASSERT_TRUE(tag.SaveToFile("f.mp3"));
  ASSERT_TRUE(back.ReadFromFile("f.mp3"));
  EXPECT_EQ(back.Track, 0);
  EXPECT_EQ(back.Comment, std::string(28, 'c'));
}

TEST(ID3v1, GenreTableKeepsThePublishedSpellings) {
  const std::pair<int, const char*> pinned[] = {
      {12, "Other"},   {17, "Rock"},        {40, "AlternRock"}, {62, "Pop/Funk"},  {67, "Psychadelic"},
      {78, "Rock & Roll"}, {85, "Bebob"},   {123, "A capella"}, {131, "Indie"},    {147, "Synthpop"}};
  for (const auto& [index, name] : pinned) EXPECT_EQ(GenreNames[index], name);
  TID3v1 t;
  t.SetGenre("rock");
  EXPECT_EQ(t.GenreID, 17);
  t.SetGenre("Not a genre");
  EXPECT_EQ(t.GenreID, 255);
  EXPECT_EQ(t.GetGenre(), "");
  t.SetGenreID(148);
  EXPECT_EQ(t.GetGenre(), "");
}

TEST(ID3v1, SettersFillOrClearTheLongFields) {
  TID3v1 t;
  t.SetTitle(std::string(40, 'T') + " \t");
  EXPECT_EQ(t.Title, std::string(40, 'T'));
  EXPECT_EQ(t.LongTitle, std::string(40, 'T'));
  t.SetTitle("Short");
  EXPECT_EQ(t.LongTitle, "");
  EXPECT_EQ(t.GetTitle(), "Short");
  t.SetYear("19999 ");
  EXPECT_EQ(t.Year, "1999");
}

TEST(ID3v1, LyricsBlockBeforeTheRecordOverridesShortFields) {
  const std::string fields = Field("IND", "10") + Field("ETT", std::string(20, 'e')) +
                             Field("EAR", std::string(35, 'r')) + Field("LYR", " a\rb\r\nc\nd ") +
                             Field("AUT", " Author ") + Field("IMG", " img ");
  const TID3v1 t = ReadMem(kAudio + Block(fields) + Record(std::string(30, 't'), "c"));
  EXPECT_TRUE(t.Lyrics3Present);
  EXPECT_EQ(t.Title, std::string(20, 'e'));
  EXPECT_EQ(t.LongTitle, "");
  EXPECT_EQ(t.GetArtist(), std::string(35, 'r'));
  EXPECT_EQ(t.Lyrics, "a\r\nb\r\nc\nd");
  EXPECT_EQ(t.Author, "Author");
  EXPECT_EQ(t.ImageLink, " img ");
  EXPECT_EQ(t.GetLyrics3Size(), t.Lyrics3Size + 15);
}

TEST(ID3v1, ShortFilesHaveNoTagAndSaveCleanly) {
  for (const std::size_t size : {0, 3, 127, 128, 142, 143, 144}) {
    for (const bool tagged : {false, true}) {
      std::string bytes(size, 'A');
      if (tagged && size >= 128) bytes.replace(size - 128, 3, "TAG");
      MemoryFileSystem mem;
      mem.Put("f", bytes);
      TID3v1 t(mem);
      EXPECT_TRUE(t.ReadFromFile("f")) << size;
      EXPECT_EQ(t.Exists, tagged && size >= 128);
      EXPECT_FALSE(t.Lyrics3Present);
      t.SetTitle("New");
      ASSERT_TRUE(t.SaveToFile("f"));
      const std::string& now = *mem.Get("f");
      const std::size_t kept = tagged && size >= 128 ? size - 128 : size;
      EXPECT_EQ(now.size(), kept + 128);
      EXPECT_EQ(now.substr(0, kept), bytes.substr(0, kept));
    }
  }
}

TEST(ID3v1, SavingDecidesTheLyricsBlockByTheStoredRules) {
  MemoryFileSystem mem;
  auto save = [&](auto fill) {
    mem.Put("f", kAudio);
    TID3v1 t(mem);
    fill(t);
    EXPECT_TRUE(t.SaveToFile("f"));
    TID3v1 back(mem);
    EXPECT_TRUE(back.ReadFromFile("f"));
    return back;
  };
  const std::string title40(40, 'L');
  TID3v1 noBlock = save([&](TID3v1& t) { t.SetTitle(title40); });
  EXPECT_FALSE(noBlock.Lyrics3Present);
  EXPECT_EQ(noBlock.GetTitle(), title40.substr(0, 30));
  TID3v1 imageOnly = save([&](TID3v1& t) { t.ImageLink = "cover.jpg"; });
  EXPECT_FALSE(imageOnly.Lyrics3Present);
  TID3v1 withLyrics = save([&](TID3v1& t) {
    t.SetTitle(title40);
    t.Lyrics = "words";
  });
  EXPECT_TRUE(withLyrics.Lyrics3Present);
  EXPECT_EQ(withLyrics.GetTitle(), title40);
  EXPECT_EQ(withLyrics.Lyrics, "words");
  TID3v1 track0 = save([&](TID3v1& t) { t.SetComment(std::string(30, 'c')); });
  EXPECT_EQ(track0.VersionID, 1);
  EXPECT_EQ(track0.Comment, std::string(30, 'c'));
  TID3v1 track9 = save([&](TID3v1& t) {
    t.SetComment(std::string(30, 'c'));
    t.SetTrack(9);
  });
  EXPECT_EQ(track9.Track, 9);
  EXPECT_EQ(track9.Comment, std::string(28, 'c'));
}

TEST(ID3v1, LongLyricsAreCappedSoTheBlockStaysValid) {
  MemoryFileSystem mem;
  mem.Put("f", kAudio);
  TID3v1 t(mem);
  t.Lyrics = std::string(150'000, 'w');
  t.Author = std::string(120'000, 'a');
  ASSERT_TRUE(t.SaveToFile("f"));
  TID3v1 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f"));
  EXPECT_TRUE(back.Lyrics3Present);
  EXPECT_EQ(back.Lyrics.size(), 99'999u);
  EXPECT_EQ(back.Author.size(), 99'999u);
}

TEST(ID3v1, TextIsInTheAnsiCodePage) {
  MemoryFileSystem mem;
  mem.Put("f", kAudio);
  TID3v1 t(mem);
  t.SetTitle("Café € Zoë");
  t.SetArtist("Кино");
  t.Lyrics = "Песня";
  ASSERT_TRUE(t.SaveToFile("f"));
  const std::string& bytes = *mem.Get("f");
  EXPECT_EQ(bytes.substr(bytes.size() - 125, 10), "Caf\xE9 \x80 Zo\xEB");
  TID3v1 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f"));
  EXPECT_EQ(back.Title, "Café € Zoë");
  EXPECT_EQ(back.Artist, "????");

  // On a Cyrillic system the same calls store Windows-1251.
  test::AnsiCodePage cyrillic(test::Cp1251LettersCodec());
  mem.Put("f", kAudio);
  ASSERT_TRUE(t.SaveToFile("f"));
  EXPECT_EQ(mem.Get("f")->substr(mem.Get("f")->size() - 95, 4), "\xCA\xE8\xED\xEE");
  ASSERT_TRUE(back.ReadFromFile("f"));
  EXPECT_EQ(back.Artist, "Кино");
  EXPECT_EQ(back.Lyrics, "Песня");
}

// A double-byte code page where every character outside ASCII takes a lead
// byte from 0x81 and a trail byte from 0x40, as in the East Asian ANSI code
// pages.
AnsiCodec TwoBytesCodec() {
  return AnsiCodec{[](std::string_view bytes) {
                     std::u16string units;
                     for (std::size_t i = 0; i < bytes.size(); ++i) {
                       const auto b = static_cast<unsigned char>(bytes[i]);
                       if (b < 0x80) {
                         units += char16_t(b);
                       } else if (i + 1 < bytes.size()) {
                         const auto trail = static_cast<unsigned char>(bytes[++i]);
                         units += char16_t(0x4E00 + (b - 0x81) * 64 + (trail - 0x40));
                       } else {
                         units += u'\uFFFD';
                       }
                     }
                     return Utf16ToUtf8(units);
                   },
                   [](std::string_view utf8, bool* lossless) {
                     if (lossless) *lossless = true;
                     std::string bytes;
                     for (const char16_t u : Utf8ToUtf16(utf8)) {
                       if (u < 0x80) {
                         bytes += static_cast<char>(u);
                       } else {
                         bytes += static_cast<char>(0x81 + (u - 0x4E00) / 64);
                         bytes += static_cast<char>(0x40 + (u - 0x4E00) % 64);
                       }
                     }
                     return bytes;
                   }};
}

TEST(ID3v1, DoubleByteCharactersAreNeverCutInHalf) {
  test::AnsiCodePage twoBytes(TwoBytesCodec());
  MemoryFileSystem mem;
  mem.Put("f", kAudio);
  TID3v1 t(mem);
  std::u16string wide = u"A";
  for (int i = 0; i < 20; ++i) wide += char16_t(0x4E00 + i);
  t.SetTitle(Utf16ToUtf8(wide));
  ASSERT_TRUE(t.SaveToFile("f"));
  TID3v1 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f"));
  // 1 + 14 * 2 bytes fit the 30 bytes; the 15th character would not.
  EXPECT_EQ(back.Title, Utf16ToUtf8(wide.substr(0, 15)));
}

TEST(ID3v1, RemoveCutsRecordAndBlock) {
  MemoryFileSystem mem;
  mem.Put("f", kAudio + Block(Field("LYR", "x")) + Record("t", "c"));
  TID3v1 t(mem);
  ASSERT_TRUE(t.RemoveFromFile("f"));
  EXPECT_EQ(*mem.Get("f"), kAudio);
  EXPECT_FALSE(t.Exists);
  EXPECT_TRUE(t.RemoveFromFile("f"));
  EXPECT_EQ(t.LastStatus(), TagStatus::NoTag);
}

TEST(ID3v1, MalformedLyricsBlocksAreIgnoredOrCutShort) {
  for (const std::string& path : test::MalformedInputs("lyrics3_")) {
    SCOPED_TRACE(path);
    TID3v1 t;
    ASSERT_TRUE(t.ReadFromFile(path));
    EXPECT_TRUE(t.Exists);
    const bool atEnd = path.find("field_at_end") != std::string::npos;
    const bool pastEnd = path.find("field_past_end") != std::string::npos;
    if (path.find("lyrics3_size_") != std::string::npos) {
      EXPECT_FALSE(t.Lyrics3Present);
    }
    if (atEnd || pastEnd) {
      EXPECT_TRUE(t.Lyrics3Present);
    }
    EXPECT_EQ(t.Lyrics, atEnd ? "abc" : "");
    MemoryFileSystem mem;
    mem.Put("f", test::ReadBytes(path));
    TID3v1 rewrite(mem);
    ASSERT_TRUE(rewrite.ReadFromFile("f"));
    rewrite.SetTitle("Rewritten");
    EXPECT_TRUE(rewrite.SaveToFile("f"));
  }
}

TEST(ID3v1Fixtures, RecordsWrittenByOtherTools) {
  struct Case {
    const char* file;
    const char* title;
    const char* artist;
    int track;
    const char* genre;
  } cases[] = {{"v1_id3v2.mp3", "Title One", "Artist One", 7, "Rock"},
               {"v1_lame.mp3", "Lame Title", "Lame Artist", 7, "Rock"},
               {"v1_eyed3.mp3", "Eye Title", "Eye Artist", 5, "Jazz"},
               {"m_v1.mp3", "Mutagen v1 title", "Mutagen artist", 11, "Jazz"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TID3v1 t;
    ASSERT_TRUE(t.ReadFromFile(test::Fixture(c.file)));
    EXPECT_TRUE(t.Exists);
    EXPECT_EQ(t.GetTitle(), c.title);
    EXPECT_EQ(t.GetArtist(), c.artist);
    EXPECT_EQ(t.Track, c.track);
    EXPECT_EQ(t.VersionID, 2);
    EXPECT_EQ(t.GetGenre(), c.genre);
  }
}

TEST(ID3v1Fixtures, BuiltLyricsBlocks) {
  TID3v1 t;
  ASSERT_TRUE(t.ReadFromFile(test::Fixture("lyrics3_v1.mp3")));
  EXPECT_EQ(t.GetTitle(), "A title of forty characters, exactly...!");
  EXPECT_EQ(t.GetArtist(), "Short artist");
  EXPECT_EQ(t.LongArtist, "");
  EXPECT_EQ(t.GetComment(), "Info été");
  EXPECT_EQ(t.Lyrics, "line1\r\nline2\r\nline3\nend");
  EXPECT_EQ(t.ImageLink, "cover.jpg||");
  EXPECT_EQ(t.Track, 9);
  EXPECT_EQ(t.Lyrics3Size, 168);

  TID3v1 noRecord;
  ASSERT_TRUE(noRecord.ReadFromFile(test::Fixture("lyrics3_only.mp3")));
  EXPECT_FALSE(noRecord.Exists);
  EXPECT_TRUE(noRecord.Lyrics3Present);
  EXPECT_EQ(noRecord.Author, "Author");

  TID3v1 unknown;
  ASSERT_TRUE(unknown.ReadFromFile(test::Fixture("lyrics3_unknown.mp3")));
  EXPECT_EQ(unknown.Title, "Known");
  EXPECT_EQ(unknown.Author, "");
}

TEST(ID3v1Fixtures, EachFieldEndsAtItsFirstNul) {
  TID3v1 t;
  ASSERT_TRUE(t.ReadFromFile(test::Fixture("v1_nul_garbage.mp3")));
  EXPECT_EQ(t.Title, "Real title");
  EXPECT_EQ(t.Artist, "Real artist");
  EXPECT_EQ(t.Album, "Album");
  EXPECT_EQ(t.Year, "19");
  EXPECT_EQ(t.Comment, "Note");
  EXPECT_EQ(t.Track, 3);
  EXPECT_EQ(t.GetGenre(), "Rock");
  if (test::OracleAvailable()) {
    const auto v1 = test::Oracle("dumpv1", test::Fixture("v1_nul_garbage.mp3"));
    EXPECT_EQ(test::OracleValue(v1, "TIT2"), t.Title);
    EXPECT_EQ(test::OracleValue(v1, "TPE1"), t.Artist);
    EXPECT_EQ(test::OracleValue(v1, "TALB"), t.Album);
    EXPECT_EQ(test::OracleValue(v1, "COMM"), t.Comment);
  }
}

TEST(ID3v1Interop, ABlockHoldingOnlyAnImageLinkIsKept) {
  test::ScratchDir dir;
  // Saved by an object that read the file, and by one that never did (as
  // the copy from ID3v2 does).
  for (const bool readFirst : {true, false}) {
    SCOPED_TRACE(readFirst);
    const std::string path = dir.CopyFixture("lyrics3_imageonly.mp3", readFirst ? "read.mp3" : "unread.mp3");
    TID3v1 t;
    if (readFirst) {
      ASSERT_TRUE(t.ReadFromFile(path));
      EXPECT_EQ(t.ImageLink, "cover.jpg||");
    }
    t.SetTitle("Image only");
    t.SetYear("2010");
    ASSERT_TRUE(t.SaveToFile(path));
    TID3v1 back;
    ASSERT_TRUE(back.ReadFromFile(path));
    EXPECT_TRUE(back.Lyrics3Present);
    EXPECT_EQ(back.ImageLink, "cover.jpg||");
    EXPECT_EQ(back.Year, "2010");
    if (test::OracleAvailable()) {
      const auto block = test::Oracle("lyrics3", path);
      EXPECT_EQ(test::OracleValue(block, "IMG"), "cover.jpg||");
      EXPECT_EQ(test::OracleValue(test::Oracle("dumpv1", path), "TIT2"), "Image only");
    }
  }
}

TEST(ID3v1Interop, OurWritesReadByMutagenAndTheBlockParser) {
  if (!test::OracleAvailable()) GTEST_SKIP() << "needs Python and mutagen";
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("lyrics3_only.mp3", "out.mp3");
  const std::string audio = test::ReadBytes(test::Fixture("base.mp3"));
  TID3v1 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetArtist("Zoë Café");
  t.SetAlbum("An album title well over thirty characters");
  t.SetYear("2024");
  t.SetTrack(12);
  t.SetGenre("Synthpop");
  ASSERT_TRUE(t.SaveToFile(path));

  const auto v1 = test::Oracle("dumpv1", path);
  EXPECT_EQ(test::OracleValue(v1, "TIT2"), "A title of forty characters, e");
  EXPECT_EQ(test::OracleValue(v1, "TPE1"), "Zoë Café");
  EXPECT_EQ(test::OracleValue(v1, "TALB"), "An album title well over thirt");
  EXPECT_EQ(test::OracleValue(v1, "TRCK"), "12");
  EXPECT_EQ(test::OracleValue(v1, "TCON"), "147");  // the genre index
  const auto block = test::Oracle("lyrics3", path);
  EXPECT_EQ(test::OracleValue(block, "ETT"), "A title of forty characters, exactly...!");
  EXPECT_EQ(test::OracleValue(block, "EAL"), "An album title well over thirty characters");
  EXPECT_EQ(test::OracleValue(block, "LYR"), "line1\r\nline2\r\nline3\nend");
  EXPECT_EQ(test::OracleValue(block, "IND"), "10");
  EXPECT_EQ(test::ReadBytes(path).substr(0, audio.size()), audio);
}

TEST(ID3v1Interop, StoredLyricsSurviveAnObjectThatNeverReadThem) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("lyrics3_v1.mp3", "copy.mp3");
  TID3v1 t;  // filled from elsewhere, as when copying ID3v2 fields into ID3v1
  t.SetTitle("Copied");
  ASSERT_TRUE(t.SaveToFile(path));
  TID3v1 back;
  ASSERT_TRUE(back.ReadFromFile(path));
  EXPECT_EQ(back.GetTitle(), "Copied");
  EXPECT_EQ(back.Author, "Author");
  EXPECT_EQ(back.Lyrics, "line1\r\nline2\r\nline3\nend");
  EXPECT_EQ(back.ImageLink, "cover.jpg||");
}

TEST(ID3v1Interop, OneObjectForManyFilesKeepsEachFilesOwnBlock) {
  // The tag editor's copy into ID3v1: one object, never read, saved to
  // file after file.
  MemoryFileSystem mem;
  mem.Put("a.mp3", kAudio + Block(Field("IND", "10") + Field("LYR", "A words") + Field("AUT", "A author")) +
                       Record("a", "c"));
  mem.Put("b.mp3", kAudio + Block(Field("IND", "10") + Field("LYR", "B words")) + Record("b", "c"));
  mem.Put("c.mp3", kAudio + Record("c", "c"));
  TID3v1 t(mem);
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "a.mp3"}) {
    t.SetTitle(std::string("Copied into ") + name);
    ASSERT_TRUE(t.SaveToFile(name)) << name;
  }
  EXPECT_EQ(t.Lyrics, "");
  EXPECT_EQ(t.Author, "");
  TID3v1 back(mem);
  ASSERT_TRUE(back.ReadFromFile("a.mp3"));
  EXPECT_EQ(back.Title, "Copied into a.mp3");
  EXPECT_EQ(back.Lyrics, "A words");
  EXPECT_EQ(back.Author, "A author");
  ASSERT_TRUE(back.ReadFromFile("b.mp3"));
  EXPECT_EQ(back.Title, "Copied into b.mp3");
  EXPECT_EQ(back.Lyrics, "B words");
  EXPECT_EQ(back.Author, "");
  ASSERT_TRUE(back.ReadFromFile("c.mp3"));
  EXPECT_EQ(back.Title, "Copied into c.mp3");
  EXPECT_FALSE(back.Lyrics3Present);

  // Read from a file, the object's own values are what it saves there.
  TID3v1 edit(mem);
  ASSERT_TRUE(edit.ReadFromFile("a.mp3"));
  edit.Lyrics.clear();
  edit.Author.clear();
  ASSERT_TRUE(edit.SaveToFile("a.mp3"));
  ASSERT_TRUE(back.ReadFromFile("a.mp3"));
  EXPECT_FALSE(back.Lyrics3Present);
}

TEST(ID3v1Interop, LongFieldsOnlyBlockIsKeptOnResave) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("lyrics3_longonly.mp3", "long.mp3");
  TID3v1 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetYear("1999");
  ASSERT_TRUE(t.SaveToFile(path));
  TID3v1 back;
  ASSERT_TRUE(back.ReadFromFile(path));
  EXPECT_EQ(back.GetTitle(), "A title of forty characters, exactly...!");
  EXPECT_EQ(back.Year, "1999");
}

TEST(ID3v1Safety, SaveSurvivesAFailureAtEveryStep) {
  for (const char* fixture : {"lyrics3_v1.mp3", "v1_lame.mp3", "base.mp3"}) {
    SCOPED_TRACE(fixture);
    const std::string old = test::ReadBytes(test::Fixture(fixture));
    test::ExpectOldOrNewAfterEachFailure("f.mp3", old, [](FileSystem& fs, const std::function<void()>& failFromHere) {
      failFromHere();
      TID3v1 t(fs);
      if (!t.ReadFromFile("f.mp3")) return false;
      t.SetTitle("A new title that is longer than thirty characters");
      t.Lyrics = "new words";
      return t.SaveToFile("f.mp3");
    });
  }
}

#ifdef _WIN32
TEST(ID3v1, WindowsCodePagesThroughTheSystemTables) {
  // Without anything installed, the system's ANSI code page is used.
  {
    test::AnsiCodePage system(AnsiCodec{});
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
    EXPECT_EQ(AnsiToUtf8(high), WindowsCodePageCodec(GetACP()).toUtf8(high));
  }
  struct Case {
    unsigned codePage;
    const char* text;
    std::size_t bytes;
  } cases[] = {{1251, "Кино и песни", 12}, {932, "東京事変", 8}, {1253, "Ελλάδα", 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.codePage);
    test::AnsiCodePage page(WindowsCodePageCodec(c.codePage));
    MemoryFileSystem mem;
    mem.Put("f", kAudio);
    TID3v1 t(mem);
    t.SetArtist(c.text);
    t.Lyrics = c.text;
    ASSERT_TRUE(t.SaveToFile("f"));
    const std::string& bytes = *mem.Get("f");
    EXPECT_EQ(bytes[bytes.size() - 95 + c.bytes], '\0');  // the artist's bytes, no more
    TID3v1 back(mem);
    ASSERT_TRUE(back.ReadFromFile("f"));
    EXPECT_EQ(back.Artist, c.text);
    EXPECT_EQ(back.Lyrics, c.text);
  }
  // A 30-byte field never ends in half a double-byte character.
  test::AnsiCodePage japanese(WindowsCodePageCodec(932));
  MemoryFileSystem mem;
  mem.Put("f", kAudio);
  TID3v1 t(mem);
  t.SetTitle("a東京事変東京事変東京事変東京事変東京事変");
  ASSERT_TRUE(t.SaveToFile("f"));
  TID3v1 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f"));
  EXPECT_EQ(back.Title, "a東京事変東京事変東京事変東京");
}

TEST(ID3v1Safety, ReadOnlyFileIsSavedAndStaysReadOnly) {
  test::ScratchDir dir;
  const std::string path = dir.CopyFixture("v1_id3v2.mp3", "ro.mp3");
  ASSERT_TRUE(NativeFileSystem().SetAttributes(path, kAttributeReadOnly));
  TID3v1 t;
  ASSERT_TRUE(t.ReadFromFile(path));
  t.SetTitle("Written");
  EXPECT_TRUE(t.SaveToFile(path));
  std::uint32_t attributes = 0;
  ASSERT_TRUE(NativeFileSystem().GetAttributes(path, attributes));
  EXPECT_TRUE(attributes & kAttributeReadOnly);
  TID3v1 back;
  ASSERT_TRUE(back.ReadFromFile(path));
  EXPECT_EQ(back.Title, "Written");
}
#endif

}  // namespace
}  // namespace sv::tags
