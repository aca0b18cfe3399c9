// Reading ID3v2: files from eyeD3, id3v2, lame and mutagen, the versions,
// encodings and frame encodings no tool writes (built byte by byte or by
// id3_builder.py and checked against mutagen), and malformed tags.
#include <gtest/gtest.h>

#include "Id3v2TestTags.h"
#include "TagTestSupport.h"
#include "tags/FaultyFileSystem.h"
#include "tags/ID3v2.h"
#include "tags/MemoryFileSystem.h"

namespace sv::tags {
namespace {

using test::Frame23;
using test::Frame24;
using test::Latin1Text;
using test::Tag;

const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(500, 'a');

TID3v2 Read(const std::string& fixture, bool picture = false) {
  TID3v2 t;
  EXPECT_TRUE(t.ReadFromFile(test::Fixture(fixture), picture)) << fixture;
  return t;
}

TID3v2 ReadBytes(const std::string& bytes, bool picture = false) {
  MemoryFileSystem mem;
  mem.Put("f", bytes);
  TID3v2 t(mem);
  EXPECT_TRUE(t.ReadFromFile("f", picture));
  return t;
}

std::string CoverJpeg() { return test::ReadBytes(test::Fixture("cover.jpg")); }

TEST(ID3v2Read, EveryTextEncodingFromEyeD3) {
  struct Case {
    const char* file;
    int version;
    const char* title;
    const char* artist;
  } cases[] = {{"eyed3_latin1.mp3", 3, "Café Crème", "Zoë"},
               {"eyed3_utf16.mp3", 3, "Кино 東京 😀", "Ÿÿ артист"},
               {"eyed3_utf16-be.mp3", 4, "Большой BE 東京", "BE 😀"},
               {"eyed3_utf8.mp3", 4, "Ünïcode 東京 😀", "Кино"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const TID3v2 t = Read(c.file);
    EXPECT_TRUE(t.Exists);
    EXPECT_EQ(t.VersionID, c.version);
    EXPECT_EQ(t.Title, c.title);
    EXPECT_EQ(t.Artist, c.artist);
    EXPECT_EQ(t.Track, 3);
    EXPECT_TRUE(t.TrackString == "3/12" || t.TrackString == "03/12") << t.TrackString;
    EXPECT_EQ(t.Comment.substr(0, 8), "Comment ");
  }
}

TEST(ID3v2Read, Id3libTagWithGenreReference) {
  const TID3v2 t = Read("v23_id3v2.mp3");
  EXPECT_EQ(t.Title, "Id3v2 Title");
  EXPECT_EQ(t.Album, "Id3v2 Album");
  EXPECT_EQ(t.Year, "2002");
  EXPECT_EQ(t.TrackString, "3/12");
  EXPECT_EQ(t.Track, 3);
  EXPECT_EQ(t.Genre, "Rock");
  EXPECT_EQ(t.Comment, "Id3v2 comment");
}

TEST(ID3v2Read, MutagenVersion24WithFallbacks) {
  const TID3v2 t = Read("m_v24.mp3");
  EXPECT_EQ(t.Title, "Émoji 😀 title");
  EXPECT_EQ(t.Artist, "東京事変");
  EXPECT_EQ(t.Album, "Альбом");
  EXPECT_EQ(t.Year, "2003");
  EXPECT_EQ(t.Genre, "Rock");
  EXPECT_EQ(t.Track, 5);
  EXPECT_EQ(t.Comment, "UTF-8 comment ✓");
}

TEST(ID3v2Read, PrefersTheUndescribedCommentAndTheFrontCover) {
  const TID3v2 t = Read("m_preserve.mp3", true);
  EXPECT_EQ(t.Comment, "Vrai commentaire é");
  EXPECT_EQ(t.Genre, "Rock (live)");
  EXPECT_EQ(t.Link, "http://example.com/x");
  EXPECT_EQ(t.Picture.substr(0, 4), "\xFF\xD8\xFF\xE0");
  EXPECT_EQ(t.Picture.size(), 282u);
  EXPECT_EQ(Read("m_preserve.mp3", false).Picture, "");
}

TEST(ID3v2Read, PicturesFromTools) {
  EXPECT_EQ(Read("eyed3_cover.mp3", true).Picture, CoverJpeg());
  EXPECT_EQ(Read("lame_cover.mp3", true).Picture, CoverJpeg());
  EXPECT_EQ(Read("m_png.mp3", true).Picture, "");
  const TID3v2 big = Read("m_bigpic.mp3", true);
  EXPECT_EQ(big.Picture, "");
  EXPECT_EQ(big.Title, "Big picture");
}

TEST(ID3v2Read, Version22AndFrameEncodingsFromTheBuilder) {
  const TID3v2 v22 = Read("v22.mp3", true);
  EXPECT_EQ(v22.VersionID, 2);
  EXPECT_EQ(v22.Title, "Two Two Title");
  EXPECT_EQ(v22.Artist, "Артист");
  EXPECT_EQ(v22.TrackString, "4/9");
  EXPECT_EQ(v22.Genre, "Rock");
  EXPECT_EQ(v22.Comment, "Old comment");
  EXPECT_EQ(v22.Picture.substr(0, 2), "\xFF\xD8");

  const TID3v2 unsync = Read("v23_unsync.mp3", true);
  EXPECT_EQ(unsync.Title, "ÿ unsync ÿ");
  EXPECT_EQ(unsync.Artist, "Unsync Artist");
  EXPECT_EQ(unsync.Picture, Read("v22.mp3", true).Picture);

  EXPECT_EQ(Read("v23_ext.mp3").Title, "Ext 23");
  EXPECT_EQ(Read("v24_ext.mp3").Title, "Ext 24 ✓");
  EXPECT_EQ(Read("v24_frame_unsync.mp3").Title, "ÿÿ frame");
  EXPECT_EQ(Read("v24_frame_unsync.mp3").Artist, "Plain");
  const TID3v2 v200 = Read("v24_200.mp3");
  EXPECT_EQ(v200.Comment, std::string(195, 'c'));
  EXPECT_EQ(v200.Title, "After 200");
}

TEST(ID3v2Read, SizeCountsTheFooterOnlyInVersion24) {
  const TID3v2 footer = Read("v24_footer.mp3");
  EXPECT_EQ(footer.Title, "Footer");
  const std::string bytes = test::ReadBytes(test::Fixture("v24_footer.mp3"));
  EXPECT_EQ(bytes.substr(static_cast<std::size_t>(footer.Size) - 10, 3), "3DI");
  const TID3v2 v23 = Read("v23_footer_flag.mp3");
  EXPECT_EQ(v23.Title, "No footer");
  EXPECT_EQ(test::ReadBytes(test::Fixture("v23_footer_flag.mp3")).substr(v23.Size),
            test::ReadBytes(test::Fixture("base.mp3")));
}

// Counts the bytes the reader takes from the file.
class CountingFileSystem final : public MemoryFileSystem {
 public:
  std::uint64_t bytesRead = 0;
  std::unique_ptr<RandomAccessFile> OpenRead(const std::string& path, ReadSharing sharing) override {
    class Counting final : public RandomAccessFile {
     public:
      Counting(std::unique_ptr<RandomAccessFile> f, std::uint64_t& n) : f_(std::move(f)), n_(n) {}
      bool Size(std::uint64_t& s) override { return f_->Size(s); }
      bool ReadAt(std::uint64_t o, void* b, std::size_t c, std::size_t& got) override {
        const bool ok = f_->ReadAt(o, b, c, got);
        n_ += got;
        return ok;
      }
      bool WriteAt(std::uint64_t, const void*, std::size_t) override { return false; }
      bool Truncate(std::uint64_t) override { return false; }
      bool Flush() override { return false; }
      bool Close() override { return f_->Close(); }

     private:
      std::unique_ptr<RandomAccessFile> f_;
      std::uint64_t& n_;
    };
    auto file = MemoryFileSystem::OpenRead(path, sharing);
    return file ? std::make_unique<Counting>(std::move(file), bytesRead) : nullptr;
  }
};

TEST(ID3v2Read, TitleReadStaysSmallWhateverThePictureSize) {
  CountingFileSystem fs;
  fs.Put("f", test::ReadBytes(test::Fixture("m_bigpic.mp3")));
  TID3v2 t(fs);
  ASSERT_TRUE(t.ReadFromFile("f", false));
  EXPECT_EQ(t.Title, "Big picture");
  EXPECT_LT(fs.bytesRead, 32'000u);
}

TEST(ID3v2Read, LargeFrameBeforeTheTitleIsSkippedWithoutPictures) {
  EXPECT_EQ(Read("v23_apic_first.mp3").Title, "After picture");
  const TID3v2 both = Read("v23_apic_first.mp3", true);
  EXPECT_EQ(both.Title, "After picture");
  EXPECT_EQ(both.Picture.substr(0, 2), "\xFF\xD8");
}

TEST(ID3v2Read, Utf16InBothByteOrdersAndWithoutMark) {
  const std::string be = std::string("\x01\xFE\xFF\x04\x1A\x00\xFF", 7);       // "Кÿ" big-endian
  const std::string le = std::string("\x01\xFF\xFE\x1A\x04\xFF\x00", 7);       // little-endian
  const std::string bare = std::string("\x01\x1A\x04\xFF\x00", 5);             // no mark: little-endian
  const std::string utf16be = std::string("\x02\x04\x1A\x00\xFF\x00\x00", 7);  // encoding 2
  const TID3v2 t = ReadBytes(Tag(3, Frame23("TIT2", be) + Frame23("TPE1", le) + Frame23("TALB", bare) +
                                        Frame23("TCOM", utf16be)) + kAudio);
  EXPECT_EQ(t.Title, "Кÿ");
  EXPECT_EQ(t.Artist, "Кÿ");
  EXPECT_EQ(t.Album, "Кÿ");
  EXPECT_EQ(t.Composer, "Кÿ");
}

TEST(ID3v2Read, GenreAndTrackRules) {
  auto genre = [](const std::string& text) {
    return ReadBytes(Tag(3, Frame23("TCON", Latin1Text(text))) + kAudio).Genre;
  };
  EXPECT_EQ(genre("(17)Rock"), "Rock");
  EXPECT_EQ(genre("(17)"), "Rock");
  EXPECT_EQ(genre("17"), "Rock");
  EXPECT_EQ(genre("Rock (live)"), "Rock (live)");
  EXPECT_EQ(genre("(RX)"), "Remix");
  EXPECT_EQ(genre("((Paren) pop"), "(Paren) pop");
  EXPECT_EQ(genre("(999)"), "");
  // A reference past the table names no genre (index 0 is Blues).
  EXPECT_EQ(genre("(1001)"), "");
  EXPECT_EQ(genre("(99999999999)"), "");
  EXPECT_EQ(genre("1001"), "1001");
  EXPECT_EQ(genre("(147)"), "Synthpop");
  auto track = [](const std::string& text) {
    return ReadBytes(Tag(3, Frame23("TRCK", Latin1Text(text))) + kAudio).Track;
  };
  EXPECT_EQ(track("3/12"), 3);
  EXPECT_EQ(track(" 7 "), 7);
  EXPECT_EQ(track("65535"), 65535);
  EXPECT_EQ(track("65536"), 0);
  EXPECT_EQ(track("$1F"), 0);
  EXPECT_EQ(track("-3"), 0);
}

TEST(ID3v2Read, SeveralValuesAndCompressedFrames) {
  const std::string multi = std::string("\x03One\0Two", 8);
  const std::string compressed = Frame23("TPE1", Latin1Text("zzz"));
  std::string flagged = compressed;
  flagged[9] = '\x80';
  const TID3v2 t = ReadBytes(Tag(4, Frame24("TIT2", multi)) + kAudio);
  EXPECT_EQ(t.Title, "One");
  EXPECT_EQ(ReadBytes(Tag(3, flagged) + kAudio).Artist, "");
}

TEST(ID3v2Read, HeaderEdgeCases) {
  MemoryFileSystem mem;
  TID3v2 t(mem);
  mem.Put("nine", std::string("ID3\x03\0\0\0\0\0", 9));
  EXPECT_FALSE(t.ReadFromFile("nine"));
  mem.Put("ten", std::string("ID3\x03\0\0\0\0\0\0", 10));
  EXPECT_TRUE(t.ReadFromFile("ten"));
  EXPECT_TRUE(t.Exists);
  mem.Put("none", kAudio);
  EXPECT_TRUE(t.ReadFromFile("none"));
  EXPECT_FALSE(t.Exists);
  EXPECT_EQ(t.LastStatus(), TagStatus::NoTag);
  EXPECT_FALSE(t.ReadFromFile("missing"));
  EXPECT_EQ(t.LastStatus(), TagStatus::OpenFailed);
}

TEST(ID3v2Read, ExtendedHeaderFlagAndFrameAreasThatCannotBeWalked) {
  // The flag set with the frames right after the header reads as unflagged
  // (a frame ID where the size would be, or a size that does not fit); a
  // tag none of whose frames can be walked is no empty tag.
  const std::string title23 = Frame23("TIT2", Latin1Text("T3")), title24 = Frame24("TIT2", Latin1Text("T4"));
  struct Case {
    const char* what;
    std::string tag;
    TagStatus status;
    const char* title;
    bool saves;  // a walk that stops short of the tag's end is never rewritten
  } cases[] = {
      {"2.4 flag, no header", Tag(4, title24, 20, 0x40), TagStatus::Ok, "T4", true},
      {"2.3 flag, no header", Tag(3, title23, 20, 0x40), TagStatus::Ok, "T3", true},
      {"2.4 header", Tag(4, test::SyncSafe(6) + std::string("\x01\x00", 2) + title24, 20, 0x40), TagStatus::Ok, "T4",
       true},
      {"2.3 header", Tag(3, test::BigEndian(6) + std::string(6, '\0') + title23, 20, 0x40), TagStatus::Ok, "T3", true},
      {"2.4 size past the tag", Tag(4, test::SyncSafe(400) + title24, 20, 0x40), TagStatus::Malformed, "", false},
      {"2.3 size past the tag", Tag(3, test::BigEndian(400) + title23, 20, 0x40), TagStatus::Malformed, "", false},
      {"no frame first", Tag(3, "\x01garbage!" + title23, 20), TagStatus::Malformed, "", false},
      {"frame past the tag", Tag(3, Frame23("TPE1", "x", 400) + title23), TagStatus::Malformed, "", false},
      {"frame, then no frame", Tag(3, title23 + "\x01garbage!", 20), TagStatus::Ok, "T3", false},
      {"padding only", Tag(4, "", 30, 0x40), TagStatus::Ok, "", true},
      {"size bit 7 set", std::string("ID3\x03\0\0\0\0\x80\x20", 10) + title23, TagStatus::Malformed, "", false},
      {"version 2.5", Tag(5, title23, 20), TagStatus::Unsupported, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem mem;
    mem.Put("f", c.tag + kAudio);
    TID3v2 t(mem);
    EXPECT_EQ(t.ReadFromFile("f"), c.status == TagStatus::Ok);
    EXPECT_EQ(t.LastStatus(), c.status);
    EXPECT_TRUE(t.Exists);
    EXPECT_EQ(t.Title, c.title);
    // What reads can be saved, and the tag written has no flag.
    t.SetArtist("Saved");
    EXPECT_EQ(t.SaveToFile("f"), c.saves);
    if (!c.saves) {
      EXPECT_EQ(*mem.Get("f"), c.tag + kAudio);
      continue;
    }
    EXPECT_EQ(mem.Get("f")->at(5), '\0');
    TID3v2 back(mem);
    ASSERT_TRUE(back.ReadFromFile("f"));
    EXPECT_EQ(back.Title, c.title);
    EXPECT_EQ(back.Artist, "Saved");
  }
}

TEST(ID3v2Read, MalformedTagsNeverCrashAndStopAtTheBadFrame) {
  for (const std::string& path : test::MalformedInputs("id3v2_")) {
    SCOPED_TRACE(path);
    for (const bool picture : {false, true}) {
      TID3v2 t;
      t.ReadFromFile(path, picture);
      EXPECT_LE(t.Picture.size(), 1'000'000u);
    }
  }
  auto title = [](const std::string& name) {
    TID3v2 t;
    t.ReadFromFile(test::MalformedInputs("id3v2_" + name).at(0));
    return t;
  };
  EXPECT_EQ(title("frame_size_0").Title, "T");
  EXPECT_EQ(title("frame_size_7fffffff").Title, "");
  EXPECT_EQ(title("frame_size_80000000").Title, "");
  EXPECT_EQ(title("frame_size_ffffffff").Title, "");
  EXPECT_EQ(title("syncsafe_high_bits").Size, 0);
  EXPECT_EQ(title("size_past_file").Size, 0);
  EXPECT_EQ(title("size_past_file").Title, "T");
  EXPECT_EQ(title("zero_frames").Title, "T");
}

TEST(ID3v2Read, Encoding0BytesOfTheAnsiRangeReadAsAnsi) {
  // Windows programs wrote ANSI into encoding 0: 0x80-0x9F are C1 controls
  // in ISO-8859-1, which never occur in tags. 0xA0 and above stay ISO-8859-1.
  auto title = [](const std::string& bytes) { return ReadBytes(Tag(3, Frame23("TIT2", Latin1Text(bytes))) + kAudio).Title; };
  EXPECT_EQ(title("Don\x92t"), "Don’t");
  EXPECT_EQ(title("\x93Quoted\x94 \x85 \x80 \x9C"), "“Quoted” … € œ");
  EXPECT_EQ(title("caf\xE9"), "café");
  EXPECT_EQ(title("\x81"), "\u0081");  // unassigned in Windows-1252: left as it is
  EXPECT_EQ(ReadBytes(Tag(3, Frame23("COMM", std::string("\0eng\0It\x92s", 9)))).Comment, "It’s");
  {
    test::AnsiCodePage cyrillic(test::Cp1251LettersCodec());
    // The letters codec has no character for 0x80: the byte stays.
    EXPECT_EQ(title("\x80 caf\xE9"), "\u0080 café");
  }
  // Written back, such a character is never encoding 0.
  MemoryFileSystem mem;
  mem.Put("f", kAudio);
  TID3v2 t(mem);
  t.SetTitle("C1 \u0085 stays");
  ASSERT_TRUE(t.SaveToFile("f"));
  TID3v2 back(mem);
  ASSERT_TRUE(back.ReadFromFile("f"));
  EXPECT_EQ(back.Title, "C1 \u0085 stays");
}

TEST(ID3v2Read, TextFramesReadWholeWithOrWithoutPictures) {
  // The title builder and the tag editor read without pictures; a save
  // reads with them. Both must see the same text.
  const std::string longComment = std::string("\0eng\0", 5) + std::string(700, 'c');
  const std::string huge = std::string("\0eng\0", 5) + std::string(70'000, 'h');
  for (const bool picture : {false, true}) {
    SCOPED_TRACE(picture);
    EXPECT_EQ(ReadBytes(Tag(3, Frame23("COMM", longComment)) + kAudio, picture).Comment, std::string(700, 'c'));
    EXPECT_EQ(ReadBytes(Tag(3, Frame23("TIT2", Latin1Text(std::string(3000, 't')))) + kAudio, picture).Title,
              std::string(3000, 't'));
    // Past 64 KiB a text reads as its beginning, the same both ways.
    const std::string cut = ReadBytes(Tag(3, Frame23("COMM", huge)) + kAudio, picture).Comment;
    EXPECT_EQ(cut, std::string(64 * 1024 - 5, 'h'));
  }
}

TEST(ID3v2Read, Version24WithPlainFrameSizes) {
  // Other writers store 2.4 sizes as plain integers. The picture's size
  // (00 00 0A 00) reads sync-safe as 1280, inside the picture's zeros.
  const TID3v2 t = Read("v24_plain_sizes.mp3", true);
  EXPECT_EQ(t.Title.substr(0, 12), "Plain Plain ");
  EXPECT_EQ(t.Title.size(), 6u * 41 + 2);
  EXPECT_EQ(t.Picture.substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(t.Picture.size(), 2546u);
  EXPECT_EQ(t.Comment, std::string(295, 'c'));
  EXPECT_EQ(t.Artist, "Plain artist");
  EXPECT_EQ(t.Album, "Plain album");
  EXPECT_EQ(t.TrackString, "5/9");
  EXPECT_EQ(t.Year, "2011");
  EXPECT_EQ(t.Genre, "Jazz");
  EXPECT_EQ(Read("v24_plain_sizes.mp3", false).Genre, "Jazz");
  if (!test::OracleAvailable()) return;
  const auto d = test::Oracle("dump", test::Fixture("v24_plain_sizes.mp3"));
  EXPECT_EQ(test::OracleValue(d, "TPE1"), t.Artist);
  EXPECT_EQ(test::OracleValue(d, "TCON"), t.Genre);

  // Sync-safe sizes that lead to the next frame are kept, even where the
  // plain reading would fit too.
  const std::string frame = Frame24("TIT2", Latin1Text(std::string(199, 'x')));
  const TID3v2 proper = ReadBytes(Tag(4, frame + Frame24("TPE1", Latin1Text("Next")), 400) + kAudio);
  EXPECT_EQ(proper.Title, std::string(199, 'x'));
  EXPECT_EQ(proper.Artist, "Next");
}

TEST(ID3v2Read, TagRunningPastTheEndOfTheFileYieldsItsWholeFrames) {
  const TID3v2 t = Read("v23_past_end.mp3", true);
  EXPECT_TRUE(t.Exists);
  EXPECT_EQ(t.Size, 0);
  EXPECT_EQ(t.Title, "Cut short");
  EXPECT_EQ(t.Artist, "Cut artist");
  EXPECT_EQ(t.Picture, "");  // cut by the end of the file
}

TEST(ID3v2Read, ReadErrorsAnywhereAreQuiet) {
  const std::string bytes = test::ReadBytes(test::Fixture("m_preserve.mp3"));
  for (long n = 1; n < 20; ++n) {
    MemoryFileSystem mem;
    mem.Put("f", bytes);
    FaultyFileSystem faulty(mem);
    faulty.FailAt(n);
    TID3v2 t(faulty);
    t.ReadFromFile("f", true);
  }
}

}  // namespace
}  // namespace sv::tags
