// The tag editor's file work on files made by lame, id3v2, oggenc and
// mutagen: which files it takes, what its columns show, and what saving and
// the two copies leave in each file, read back with mutagen where it runs
// and with our readers everywhere.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "player/TagEditing.h"
#include "tags/APETag.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"
#include "tags/Unit_SongTagInfos.h"
#include "tests/tags/FormatTestSupport.h"

namespace player {
namespace {

namespace t = sv::tags::test;
namespace ft = sv::tags::testing;

TEST(TagEditing, ExtensionListsAndTrackTexts) {
  struct Case {
    const char* path;
    bool taggable, id3v1, mpeg, ogg, ape;
  };
  const Case cases[] = {
      {"C:\\m\\a.mp3", true, true, true, false, false},  {"C:\\m\\a.MP2", true, true, true, false, false},
      {"C:\\m\\a.mpc", true, true, false, false, true},  {"C:\\m\\a.ogg", true, false, false, true, false},
      {"C:\\m\\a.Wv", true, false, false, false, true},   {"C:\\m\\a.mac", true, false, false, false, true},
      {"C:\\m\\a.mp", false, false, false, false, false}, {"C:\\m\\a.wav", false, false, false, false, false},
      {"C:\\m.mp3\\a", false, false, false, false, false}, {"C:\\m\\mp3", false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(InTagList(kTaggableExtensions, c.path), c.taggable);
    EXPECT_EQ(InTagList(kId3v1Extensions, c.path), c.id3v1);
    EXPECT_EQ(InTagList(kMpegExtensions, c.path), c.mpeg);
    EXPECT_EQ(InTagList(kOggExtensions, c.path), c.ogg);
    EXPECT_EQ(InTagList(kApeExtensions, c.path), c.ape);
  }
  struct Track {
    const char* text;
    bool number;
    std::uint32_t value;
  };
  const Track tracks[] = {{"07", true, 7}, {" 3 ", true, 3}, {"0", true, 0},   {"", false, 0},
                          {"a1", false, 0}, {"-1", false, 0}, {"1/2", false, 0}, {"70000", false, 0}};
  for (const Track& track : tracks) {
    std::uint32_t value = 99;
    EXPECT_EQ(ParseTrackText(track.text, 0xFFFF, value), track.number) << track.text;
    if (track.number) {
      EXPECT_EQ(value, track.value) << track.text;
    }
  }
}

class TagEditingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ft::FixturesAvailable()) GTEST_SKIP() << "the format fixtures were not built";
  }
  // Three MP3 files with the same ID3v2 tag (pictures, frames no field
  // models) and ID3v1 records that share the album but not the artist.
  std::vector<std::string> ThreeMp3s() {
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
      const std::string path = dir_.CopyFixture("m_preserve.mp3", "song" + std::to_string(i + 1) + ".mp3");
      sv::tags::TID3v1 v1;
      v1.SetArtist("Artist " + std::to_string(i + 1));
      v1.SetAlbum("Shared album");
      v1.SetTitle("Song " + std::to_string(i + 1));
      v1.SetTrack(static_cast<std::uint8_t>(20 + i));
      v1.Lyrics = "Words " + std::to_string(i + 1);
      EXPECT_TRUE(v1.SaveToFile(path));
      paths.push_back(path);
    }
    return paths;
  }
  std::string CopyFormat(const std::string& fixture, const std::string& name) {
    const std::string path = dir_.Path(name);
    ft::WriteBytes(path, ft::FixtureBytes(fixture));
    return path;
  }
  // A file of make_editor_fixtures.sh, copied in (under its own name).
  std::string CopyEditor(const std::string& fixture, const std::string& name = {}) {
    const std::string path = dir_.Path(name.empty() ? fixture : name);
    ft::WriteBytes(path, t::ReadBytes(std::string(SV_EDITOR_FIXTURES) + "/" + fixture));
    return path;
  }
  // Everything mutagen reads from a file's tags, as lines; empty where it
  // does not run.
  static std::string OracleView(const std::string& path) {
    if (!ft::OraclesAvailable() || !t::OracleAvailable()) return {};
    std::string view;
    const auto add = [&](const std::multimap<std::string, std::string>& lines, const char* kind) {
      for (const auto& [key, value] : lines) view += std::string(kind) + " " + key + "=" + value + "\n";
    };
    const auto addPairs = [&](const ft::Expectations& dump, const char* kind) {
      for (const auto& [key, value] : dump.Pairs()) view += std::string(kind) + " " + key + "=" + value + "\n";
    };
    if (InTagList(kMpegExtensions, path)) {
      add(t::Oracle("dump", path), "id3v2");
      add(t::Oracle("dumpv1", path), "id3v1");
    } else if (InTagList(kOggExtensions, path)) {
      addPairs(ft::OracleDump("ogg", path), "ogg");
    } else {
      addPairs(ft::OracleDump("ape", path), "ape");
      if (InTagList(kId3v1Extensions, path)) add(t::Oracle("dumpv1", path), "id3v1");
    }
    return view;
  }
  t::ScratchDir dir_;
};

TEST_F(TagEditingFiles, SelectionIsCollectedAndMergedIntoTheColumns) {
  std::vector<std::string> mp3s = ThreeMp3s();
  const std::string ogg = CopyFormat("tagged.ogg", "tagged.ogg");
  const std::string wav = dir_.Path("tone.wav");
  ft::WriteBytes(wav, "RIFF");
  const std::string partial = dir_.Path("odd.mp");
  ft::WriteBytes(partial, t::ReadBytes(mp3s[0]));
  EXPECT_EQ(CollectTagFiles({mp3s[0], wav, partial, dir_.Path("gone.mp3"), ogg}),
            (std::vector<std::string>{mp3s[0], ogg}));

  TagSelectionLoader loader;
  for (const std::string& path : mp3s) loader.Add(path);
  EXPECT_EQ(loader.Count(), 3);
  EXPECT_EQ(loader.Column1.Text[FieldArtist], "Artist 1");
  EXPECT_FALSE(loader.Column1.Ticked[FieldArtist]) << "the artists differ";
  EXPECT_FALSE(loader.Column1.Ticked[FieldTitle]);
  EXPECT_FALSE(loader.Column1.Ticked[FieldTrack]);
  EXPECT_TRUE(loader.Column1.Ticked[FieldAlbum]);
  EXPECT_EQ(loader.Column1.Text[FieldAlbum], "Shared album");
  EXPECT_EQ(loader.Column1.Text[FieldTrack], "20");
  // Column 2: the shared ID3v2 tag, all alike.
  EXPECT_EQ(loader.Column2.Text[FieldTitle], "Keep Title");
  EXPECT_EQ(loader.Column2.Text[FieldTrack], "03");
  EXPECT_EQ(loader.Column2.Text[FieldYear], "1987");
  for (bool ticked : loader.Column2.Ticked) EXPECT_TRUE(ticked);

  // An Ogg file after an MP3: its comments go into column 2 and untick
  // what differs; an ID3v1-less file leaves column 1 alone.
  TagSelectionLoader mixed;
  mixed.Add(mp3s[0]);
  mixed.Add(ogg);
  EXPECT_FALSE(mixed.Column2.Ticked[FieldTitle]);
  EXPECT_TRUE(mixed.Column1.Ticked[FieldArtist]);
  // The first file counts as first even without a tag of that column.
  TagSelectionLoader oggFirst;
  oggFirst.Add(CopyFormat("cbr128.mp3", "bare.mp3"));
  oggFirst.Add(ogg);
  EXPECT_EQ(oggFirst.Column2.Text[FieldTitle], "");
  EXPECT_FALSE(oggFirst.Column2.Ticked[FieldTitle]);
  EXPECT_FALSE(oggFirst.Column2.Ticked[FieldComment]);

  TagSelectionLoader single;
  single.Add(ogg);
  EXPECT_EQ(single.Column2.Text[FieldArtist], "The Artist");
  EXPECT_EQ(single.Column2.Text[FieldTrack], "03");
  EXPECT_EQ(single.Column2.Text[FieldYear], "2004");
  EXPECT_NE(TagInfoText(ogg, sv::tags::PlainTimeOfDay, '.').find("\r\n"), std::string::npos);
  EXPECT_NE(TagInfoText(mp3s[0], sv::tags::PlainTimeOfDay, '.').find("MPEG 2.0 Layer 3\r\n"), std::string::npos);
  EXPECT_EQ(TagInfoText(dir_.Path("x.mpc"), sv::tags::PlainTimeOfDay, '.'), "...");
}

TEST_F(TagEditingFiles, SaveWritesTickedFieldsAndAutoNumbersKeepingTheRest) {
  const std::vector<std::string> mp3s = ThreeMp3s();
  std::string picture;
  {
    sv::tags::TID3v2 before;
    ASSERT_TRUE(before.ReadFromFile(mp3s[1], true));
    picture = before.Picture;
    ASSERT_FALSE(picture.empty());
  }
  TagSelectionLoader loader;
  for (const std::string& path : mp3s) loader.Add(path);
  TagColumn c1 = loader.Column1, c2 = loader.Column2;
  c1.Ticked[FieldTrack] = true;
  c1.AutoTrack = true;
  c1.Ticked[FieldGenre] = true;
  c1.Text[FieldGenre] = "jazz";  // by name, whatever its place in a sorted list
  c1.Text[FieldAlbum] = "New album";
  c2.AutoTrack = true;
  c2.Ticked[FieldComment] = false;
  c2.Text[FieldComment] = "not written";
  c2.Text[FieldArtist] = "Band";
  TagFileWriter writer(TagWriteMode::Save, c1, c2);
  for (int i = 0; i < 3; ++i) {
    const TagFileWriter::Outcome outcome = writer.Write(mp3s[static_cast<std::size_t>(i)], i);
    EXPECT_TRUE(outcome.Written);
    EXPECT_EQ(outcome.Steps, 2);
  }
  for (int i = 0; i < 3; ++i) {
    const std::string& path = mp3s[static_cast<std::size_t>(i)];
    SCOPED_TRACE(path);
    sv::tags::TID3v1 v1;
    ASSERT_TRUE(v1.ReadFromFile(path));
    EXPECT_EQ(v1.GetArtist(), "Artist " + std::to_string(i + 1)) << "unticked: each file keeps its own";
    EXPECT_EQ(v1.GetTitle(), "Song " + std::to_string(i + 1));
    EXPECT_EQ(v1.Album, "New album");
    EXPECT_EQ(v1.Track, i + 1);
    EXPECT_EQ(v1.GetGenre(), "Jazz");
    EXPECT_EQ(v1.Lyrics, "Words " + std::to_string(i + 1));
    sv::tags::TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(path, true));
    EXPECT_EQ(v2.Artist, "Band");
    EXPECT_EQ(v2.Track, i + 1);
    EXPECT_EQ(v2.Comment, "Vrai commentaire é");
    EXPECT_EQ(v2.Picture, picture);
    if (t::OracleAvailable()) {
      const auto dump = t::Oracle("dump", path);
      EXPECT_EQ(t::OracleValue(dump, "TRCK"), std::to_string(i + 1) + "/12") << "the total stays";
      EXPECT_EQ(t::OracleValue(dump, "TPE1"), "Band");
      EXPECT_EQ(t::OracleValue(dump, "TXXX:replaygain_track_gain"), "-6.5 dB");
      EXPECT_EQ(dump.count("APIC:3") + dump.count("APIC:4"), 2u) << "both pictures stay";
      const auto v1dump = t::Oracle("dumpv1", path);
      EXPECT_EQ(t::OracleValue(v1dump, "TCON"), "8") << "Jazz";
      EXPECT_EQ(t::OracleValue(v1dump, "TRCK"), std::to_string(i + 1));
    }
  }

  // An empty track text saves track 0; one that is no number leaves it.
  TagColumn none = loader.Column1, bad = loader.Column1;
  for (TagColumn* c : {&none, &bad}) c->Ticked.fill(false), c->Ticked[FieldTrack] = true;
  none.Text[FieldTrack] = "";
  bad.Text[FieldTrack] = "x1";
  TagColumn off;
  off.Ticked.fill(false);
  EXPECT_TRUE(TagFileWriter(TagWriteMode::Save, none, off).Write(mp3s[0], 0).Written);
  EXPECT_TRUE(TagFileWriter(TagWriteMode::Save, bad, off).Write(mp3s[1], 1).Written);
  sv::tags::TID3v1 first, second;
  ASSERT_TRUE(first.ReadFromFile(mp3s[0]));
  ASSERT_TRUE(second.ReadFromFile(mp3s[1]));
  EXPECT_EQ(first.Track, 0);
  EXPECT_EQ(second.Track, 2);
}

TEST_F(TagEditingFiles, CopiesReplaceOnlyTheSevenFields) {
  const std::vector<std::string> mp3s = ThreeMp3s();
  const std::string ogg = CopyFormat("cover.ogg", "cover.ogg");
  const std::string oggBefore = t::ReadBytes(ogg);
  const std::string pictureBefore = [&] {
    sv::tags::TID3v2 v2;
    v2.ReadFromFile(mp3s[0], true);
    return v2.Picture;
  }();

  TagFileWriter v1ToV2(TagWriteMode::Id3v1ToId3v2, {}, {});
  EXPECT_TRUE(v1ToV2.Write(mp3s[0], 0).Written);
  const TagFileWriter::Outcome oggOutcome = v1ToV2.Write(ogg, 1);
  EXPECT_TRUE(oggOutcome.Written);
  EXPECT_EQ(oggOutcome.Steps, 0);
  EXPECT_EQ(t::ReadBytes(ogg), oggBefore) << "\"v1 -> v2\" leaves an Ogg file as it was";
  sv::tags::TID3v2 v2;
  ASSERT_TRUE(v2.ReadFromFile(mp3s[0], true));
  EXPECT_EQ(v2.Title, "Song 1");
  EXPECT_EQ(v2.Artist, "Artist 1");
  EXPECT_EQ(v2.Track, 20);
  EXPECT_EQ(v2.Picture, pictureBefore);
  if (t::OracleAvailable()) {
    const auto dump = t::Oracle("dump", mp3s[0]);
    EXPECT_EQ(dump.count("APIC:3") + dump.count("APIC:4"), 2u);
    EXPECT_EQ(t::OracleValue(dump, "TPOS"), "1/2") << "a frame no field models";
    EXPECT_EQ(t::OracleValue(dump, "USLT::eng"), "Слова\nlyrics");
  }

  // v2 -> v1: the genre by name without regard to case, a track past 255
  // as no track, the Lyrics3 block kept.
  sv::tags::TID3v2 edit;
  ASSERT_TRUE(edit.ReadFromFile(mp3s[1], true));
  edit.SetGenre("rock");
  edit.SetTrack(300);
  edit.SetTitle("A title far longer than thirty characters");
  ASSERT_TRUE(edit.SaveToFile(mp3s[1]));
  TagFileWriter v2ToV1(TagWriteMode::Id3v2ToId3v1, {}, {});
  EXPECT_TRUE(v2ToV1.Write(mp3s[1], 1).Written);
  sv::tags::TID3v1 v1;
  ASSERT_TRUE(v1.ReadFromFile(mp3s[1]));
  EXPECT_EQ(v1.GetGenre(), "Rock");
  EXPECT_EQ(v1.Track, 0);
  EXPECT_EQ(v1.GetTitle(), "A title far longer than thirty characters");
  EXPECT_EQ(v1.Year, "1987");
  EXPECT_EQ(v1.Lyrics, "Words 2");
  if (t::OracleAvailable()) {
    const auto lyrics = t::Oracle("lyrics3", mp3s[1]);
    EXPECT_EQ(t::OracleValue(lyrics, "LYR"), "Words 2");
    EXPECT_EQ(t::OracleValue(lyrics, "ETT"), "A title far longer than thirty characters");
  }
}

TEST_F(TagEditingFiles, OggAndApeFilesTakeColumnTwo) {
  const std::string ogg = CopyFormat("tagged.ogg", "a.ogg");
  const std::string mpc1 = CopyFormat("apev2.mp3", "a.mpc");
  const std::string mpc2 = CopyFormat("apev2.mp3", "b.mpc");
  TagSelectionLoader loader;
  for (const std::string& path : {mpc1, mpc2}) loader.Add(path);
  EXPECT_EQ(loader.Column2.Text[FieldTrack], "7/12") << "APE tracks as stored";
  TagColumn c1 = loader.Column1, c2 = loader.Column2;
  c1.Ticked.fill(false);
  c1.Ticked[FieldGenre] = true;
  c1.Text[FieldGenre] = "Blues";
  c2.AutoTrack = true;
  c2.Text[FieldTitle] = "Shared title";
  TagFileWriter writer(TagWriteMode::Save, c1, c2);
  for (int i = 0; i < 2; ++i) {
    const TagFileWriter::Outcome outcome = writer.Write(i == 0 ? mpc1 : mpc2, i);
    EXPECT_TRUE(outcome.Written);
    EXPECT_EQ(outcome.Steps, 4) << "its ID3v1 record and its APE tag";
  }
  for (int i = 0; i < 2; ++i) {
    const std::string& path = i == 0 ? mpc1 : mpc2;
    sv::tags::TAPETag ape;
    ASSERT_TRUE(ape.ReadFromFile(path));
    EXPECT_EQ(ape.GetField("Track"), i == 0 ? "01" : "02");
    EXPECT_EQ(ape.GetField("Title"), "Shared title");
    sv::tags::TID3v1 v1;
    ASSERT_TRUE(v1.ReadFromFile(path));
    EXPECT_EQ(v1.GetGenre(), "Blues");
    if (ft::OraclesAvailable()) {
      const ft::Expectations dump = ft::OracleDump("ape", path);
      EXPECT_EQ(dump["Track"], i == 0 ? "01" : "02");
      EXPECT_EQ(dump["Cover Art (Front)"], "<binary 2058>") << "the binary item stays";
      EXPECT_EQ(dump["Artists"], "One|Two");
    }
  }

  TagColumn oggColumn;
  oggColumn.Ticked.fill(false);
  oggColumn.Ticked[FieldTrack] = true;
  oggColumn.AutoTrack = true;
  oggColumn.Ticked[FieldAlbum] = true;
  oggColumn.Text[FieldAlbum] = "Other album";
  EXPECT_TRUE(TagFileWriter(TagWriteMode::Save, {}, oggColumn).Write(ogg, 4).Written);
  sv::tags::TOggVorbis back;
  ASSERT_TRUE(back.ReadFromFile(ogg));
  EXPECT_EQ(back.Track, 5);
  EXPECT_EQ(back.Album, "Other album");
  EXPECT_EQ(back.Title, "The Title");
  if (ft::OraclesAvailable()) {
    const ft::Expectations dump = ft::OracleDump("ogg", ogg);
    EXPECT_EQ(dump["tracknumber"], "5");
    EXPECT_EQ(dump["album"], "Other album");
    EXPECT_EQ(dump["genre"], "Rock");
  }
}

TEST_F(TagEditingFiles, AnApeSaveAddsNoEmptyItemsAndReportsASizeItCannotTrust) {
  // Saved without an edit, a tag keeps its items and gains no empty ones
  // and no track "0". A footer whose size its items do not fill is not cut
  // at: the file is reported as not written and left as it was.
  const std::string tagged = CopyFormat("ape_header_tag.mpc", "a.wv");
  const std::string untrusted = CopyFormat("ape_claims200_count0.mp3", "b.wv");
  const std::string taggedBefore = ft::ReadBytes(tagged);
  const std::string untrustedBefore = ft::ReadBytes(untrusted);
  TagSelectionLoader loader;
  loader.Add(tagged);
  TagFileWriter writer(TagWriteMode::Save, loader.Column1, loader.Column2);
  EXPECT_TRUE(writer.Write(tagged, 0).Written);
  EXPECT_EQ(ft::ReadBytes(tagged), taggedBefore);
  if (ft::OraclesAvailable()) {
    EXPECT_EQ(ft::OracleDump("ape", tagged).Pairs(), ft::Expectations::ForFixture("ape_header_tag.mpc").Pairs());
  }
  EXPECT_FALSE(writer.Write(untrusted, 1).Written);
  EXPECT_EQ(ft::ReadBytes(untrusted), untrustedBefore);
  // Items that fill the size exactly are trusted, whatever the footer's
  // count or the header's size.
  for (const char* name : {"ape_count_plus1.mp3", "ape_header_size_off.mp3"})
    EXPECT_TRUE(writer.Write(CopyFormat(name, std::string(name) + ".wv"), 2).Written) << name;
}

// Each pair: a file with the second column's tag and one of the same kind
// of column without it, or with comments the stream check once hid. In
// either order no field may stay ticked, and a save without edits leaves
// the second file's tags as they were.
TEST_F(TagEditingFiles, AFileWithoutTheColumnsTagNeverTakesAnotherFilesValues) {
  struct Pair {
    const char* tagged;
    const char* other;
  };
  const Pair pairs[] = {{"v2only.mp3", "v1only.mp3"}, {"v2only.mp3", "plain.mp3"}, {"tagged.wv", "plain.wv"},
                        {"tagged.mpc", "plain.ape"},  {"v2only.mp3", "short.ogg"}};
  for (const Pair& pair : pairs) {
    SCOPED_TRACE(std::string(pair.tagged) + " and " + pair.other);
    const std::string tagged = CopyEditor(pair.tagged), other = CopyEditor(pair.other);
    TagSelectionLoader reversed;
    reversed.Add(other);
    reversed.Add(tagged);
    TagSelectionLoader loader;
    loader.Add(tagged);
    loader.Add(other);
    for (int f = 0; f < kTagFields; ++f) {
      EXPECT_FALSE(reversed.Column2.Ticked[static_cast<std::size_t>(f)]) << "field " << f;
      EXPECT_FALSE(loader.Column2.Ticked[static_cast<std::size_t>(f)]) << "field " << f;
    }
    const std::string otherBefore = OracleView(other);
    TagFileWriter writer(TagWriteMode::Save, loader.Column1, loader.Column2);
    EXPECT_TRUE(writer.Write(tagged, 0).Written);
    EXPECT_TRUE(writer.Write(other, 1).Written);
    EXPECT_EQ(OracleView(other), otherBefore);
    TagSelectionLoader after;
    after.Add(tagged);
    EXPECT_EQ(after.Column2.Text, loader.Column2.Text) << "the first file keeps its own";
    if (std::string(pair.other) == "v1only.mp3") {
      sv::tags::TID3v2 v2;
      ASSERT_TRUE(v2.ReadFromFile(other));
      EXPECT_FALSE(v2.Exists) << "no tag that would hold nothing is added";
    }
  }
}

// A Vorbis stream the stream check refuses (0.05 s long, or 5 channels)
// still shows its comments, and a save keeps them.
TEST_F(TagEditingFiles, CommentsOfAStreamTheCheckRefusesAreShownAndKept) {
  struct Case {
    const char* name;
    const char* title;
    const char* artist;
    const char* track;
  };
  const Case cases[] = {{"short.ogg", "Short title", "Short artist", "03"},
                        {"five.ogg", "Five title", "Five artist", "04"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string ogg = CopyEditor(c.name);
    sv::tags::TOggVorbis stream;
    ASSERT_TRUE(stream.ReadFromFile(ogg));
    ASSERT_FALSE(stream.IsValid()) << "the fixture must fail the stream check";
    EXPECT_EQ(TagInfoText(ogg, sv::tags::PlainTimeOfDay, '.'), "...") << "no information from a refused stream";
    const std::string before = OracleView(ogg);
    TagSelectionLoader loader;
    loader.Add(ogg);
    EXPECT_EQ(loader.Column2.Text[FieldTitle], c.title);
    EXPECT_EQ(loader.Column2.Text[FieldArtist], c.artist);
    EXPECT_EQ(loader.Column2.Text[FieldTrack], c.track);
    TagColumn column = loader.Column2;
    EXPECT_TRUE(TagFileWriter(TagWriteMode::Save, loader.Column1, column).Write(ogg, 0).Written);
    EXPECT_EQ(OracleView(ogg), before) << "a save without edits";
    column.Text[FieldAlbum] = "New album";
    EXPECT_TRUE(TagFileWriter(TagWriteMode::Save, loader.Column1, column).Write(ogg, 0).Written);
    sv::tags::TOggVorbis back;
    ASSERT_TRUE(back.ReadFromFile(ogg));
    EXPECT_EQ(back.Title, c.title);
    EXPECT_EQ(back.Album, "New album");
    if (ft::OraclesAvailable()) {
      const ft::Expectations dump = ft::OracleDump("ogg", ogg);
      EXPECT_EQ(dump["title"], c.title);
      EXPECT_EQ(dump["artist"], c.artist);
      EXPECT_EQ(dump["album"], "New album");
      EXPECT_NE(dump["date"], "");
      EXPECT_NE(dump["genre"], "");
      EXPECT_NE(dump["comment"], "");
      EXPECT_EQ(dump["tracknumber"], std::string(c.track).substr(1));
    }
  }
  EXPECT_NE(TagInfoText(CopyEditor("long.ogg"), sv::tags::PlainTimeOfDay, '.').find("Channels : 2\r\n"),
            std::string::npos);
}

// A copy whose source tag the file lacks leaves the file as it was and
// says so; a source that exists replaces the seven fields only.
TEST_F(TagEditingFiles, ACopyFromAMissingTagSkipsTheFile) {
  struct Skip {
    const char* name;
    TagWriteMode mode;
  };
  const Skip skips[] = {{"v2only.mp3", TagWriteMode::Id3v1ToId3v2},
                        {"v1only.mp3", TagWriteMode::Id3v2ToId3v1},
                        {"plain.mp3", TagWriteMode::Id3v1ToId3v2},
                        {"plain.mp3", TagWriteMode::Id3v2ToId3v1}};
  for (const Skip& skip : skips) {
    SCOPED_TRACE(std::string(skip.name) + (skip.mode == TagWriteMode::Id3v1ToId3v2 ? " v1 -> v2" : " v2 -> v1"));
    const std::string path = CopyEditor(skip.name);
    const std::string before = t::ReadBytes(path);
    const TagFileWriter::Outcome outcome = TagFileWriter(skip.mode, {}, {}).Write(path, 0);
    EXPECT_TRUE(outcome.Skipped);
    EXPECT_FALSE(outcome.Written);
    EXPECT_TRUE(outcome.Saved.empty());
    EXPECT_EQ(t::ReadBytes(path), before);
  }

  const std::string v1only = CopyEditor("v1only.mp3"), both = CopyEditor("both.mp3"),
                    v2only = CopyEditor("v2only.mp3");
  const std::string bothBefore = OracleView(both);
  for (const std::string& path : {v1only, both}) {
    const TagFileWriter::Outcome outcome = TagFileWriter(TagWriteMode::Id3v1ToId3v2, {}, {}).Write(path, 0);
    EXPECT_TRUE(outcome.Written) << path;
    EXPECT_FALSE(outcome.Skipped) << path;
    EXPECT_EQ(outcome.Saved, std::vector<std::string>{"ID3 v2"}) << path;
  }
  const TagFileWriter::Outcome v2ToV1 = TagFileWriter(TagWriteMode::Id3v2ToId3v1, {}, {}).Write(v2only, 0);
  EXPECT_TRUE(v2ToV1.Written);
  EXPECT_EQ(v2ToV1.Saved, std::vector<std::string>{"ID3 v1"});
  if (t::OracleAvailable()) {
    const auto fromRecord = t::Oracle("dump", v1only);
    EXPECT_EQ(t::OracleValue(fromRecord, "TIT2"), "Song B");
    EXPECT_EQ(t::OracleValue(fromRecord, "TPE1"), "Artist B");
    EXPECT_EQ(t::OracleValue(fromRecord, "TALB"), "Album B");
    EXPECT_EQ(t::OracleValue(fromRecord, "TRCK"), "2");
    const auto copied = t::Oracle("dump", both);
    EXPECT_EQ(t::OracleValue(copied, "TIT2"), "Record C");
    EXPECT_EQ(t::OracleValue(copied, "TPE1"), "Record artist C");
    EXPECT_EQ(t::OracleValue(copied, "TPOS"), "1/2") << "another program's frame stays";
    EXPECT_EQ(t::OracleValue(copied, "TXXX:replaygain_track_gain"), "-6.5 dB");
    EXPECT_EQ(copied.count("APIC:3"), 1u) << "the picture stays";
    EXPECT_NE(OracleView(both), bothBefore);
    const auto record = t::Oracle("dumpv1", v2only);
    EXPECT_EQ(t::OracleValue(record, "TIT2"), "Song A");
    EXPECT_EQ(t::OracleValue(record, "TPE1"), "Artist A");
    EXPECT_EQ(t::OracleValue(record, "TRCK"), "1");
    EXPECT_EQ(t::OracleValue(record, "TCON"), "17") << "Rock";
  }
}

// A version 2.4 tag flagged with an extended header it lacks reads as if
// unflagged: the song's title, the editor's column, a copy into the record
// and a save all see its frames. A tag that cannot be read at all is no
// tag: the song falls back to its record and a copy leaves the record be.
TEST_F(TagEditingFiles, AnExtendedHeaderFlagWithoutTheHeaderStillShowsTheFrames) {
  const std::string flagged = CopyEditor("extflag.mp3"), withRecord = CopyEditor("extflag_v1.mp3"),
                    broken = CopyEditor("extflag_broken.mp3");
  sv::tags::TSongInfo song(nullptr);
  song.Load(flagged, false, false);
  EXPECT_TRUE(song.Found);
  EXPECT_EQ(song.Title, "Flagged title");
  EXPECT_EQ(song.Artist, "Flagged artist");
  EXPECT_EQ(song.Album, "Flagged album");
  TagSelectionLoader loader;
  loader.Add(flagged);
  EXPECT_EQ(loader.Column2.Text[FieldTitle], "Flagged title");
  EXPECT_EQ(loader.Column2.Text[FieldArtist], "Flagged artist");
  EXPECT_EQ(loader.Column2.Text[FieldAlbum], "Flagged album");

  const std::string tagBytes = t::ReadBytes(withRecord).substr(0, t::ReadBytes(flagged).size());
  const TagFileWriter::Outcome copied = TagFileWriter(TagWriteMode::Id3v2ToId3v1, {}, {}).Write(withRecord, 0);
  EXPECT_TRUE(copied.Written);
  EXPECT_EQ(copied.Saved, std::vector<std::string>{"ID3 v1"});
  EXPECT_EQ(t::ReadBytes(withRecord).substr(0, tagBytes.size()), tagBytes) << "the ID3v2 tag as it was";
  sv::tags::TID3v1 record;
  ASSERT_TRUE(record.ReadFromFile(withRecord));
  EXPECT_EQ(record.Title, "Flagged title");
  EXPECT_EQ(record.Album, "Flagged album");

  TagColumn c1, c2 = loader.Column2;
  c1.Ticked.fill(false);
  c2.Text[FieldAlbum] = "Saved album";
  EXPECT_TRUE(TagFileWriter(TagWriteMode::Save, c1, c2).Write(flagged, 0).Written);
  sv::tags::TID3v2 saved;
  ASSERT_TRUE(saved.ReadFromFile(flagged));
  EXPECT_EQ(saved.Title, "Flagged title");
  EXPECT_EQ(saved.Album, "Saved album");
  EXPECT_EQ(t::ReadBytes(flagged)[5], '\0') << "no extended-header flag on the tag written";

  const std::string brokenBefore = t::ReadBytes(broken);
  sv::tags::TID3v2 unreadable;
  EXPECT_FALSE(unreadable.ReadFromFile(broken));
  EXPECT_EQ(unreadable.LastStatus(), sv::tags::TagStatus::Malformed);
  song.Load(broken, false, false);
  EXPECT_EQ(song.Title, "Record title") << "the record, as for a file without ID3v2";
  const TagFileWriter::Outcome skipped = TagFileWriter(TagWriteMode::Id3v2ToId3v1, {}, {}).Write(broken, 0);
  EXPECT_TRUE(skipped.Skipped);
  EXPECT_FALSE(skipped.Written);
  EXPECT_EQ(t::ReadBytes(broken), brokenBefore);
  // A save still writes the record, and leaves the tag it cannot rewrite.
  TagColumn recordAlbum = c1;
  recordAlbum.Ticked[FieldAlbum] = true;
  recordAlbum.Text[FieldAlbum] = "Record saved";
  const TagFileWriter::Outcome half = TagFileWriter(TagWriteMode::Save, recordAlbum, c2).Write(broken, 0);
  EXPECT_FALSE(half.Written);
  EXPECT_EQ(half.Saved, std::vector<std::string>{"ID3 v1"});
  const std::size_t brokenTag = brokenBefore.size() - 128;
  EXPECT_EQ(t::ReadBytes(broken).substr(0, brokenTag), brokenBefore.substr(0, brokenTag));
  ASSERT_TRUE(record.ReadFromFile(broken));
  EXPECT_EQ(record.Album, "Record saved");
  EXPECT_EQ(record.Title, "Record title");

  if (t::OracleAvailable()) {
    const std::pair<const char*, const char*> copiedRecord[] = {
        {"TIT2", "Flagged title"}, {"TPE1", "Flagged artist"}, {"TALB", "Flagged album"}};
    const std::pair<const char*, const char*> savedTag[] = {
        {"version", "2.3"}, {"TIT2", "Flagged title"}, {"TPE1", "Flagged artist"}, {"TALB", "Saved album"}};
    const std::pair<const char*, const char*> brokenRecord[] = {{"TIT2", "Record title"}, {"TALB", "Record saved"}};
    const auto expect = [](const char* command, const std::string& path, const auto& pairs) {
      const auto lines = t::Oracle(command, path);
      for (const auto& [key, value] : pairs) EXPECT_EQ(t::OracleValue(lines, key), value) << path << " " << key;
    };
    expect("dumpv1", withRecord, copiedRecord);
    expect("dump", flagged, savedTag);
    expect("dumpv1", broken, brokenRecord);
  }
}

// A file system on which one file cannot be opened for writing, as when
// another program holds it.
class OneLockedFile : public sv::tags::FileSystem {
 public:
  explicit OneLockedFile(std::string locked) : locked_(std::move(locked)) {}
  std::unique_ptr<sv::tags::RandomAccessFile> OpenRead(const std::string& path,
                                                       sv::tags::ReadSharing sharing) override {
    return real_.OpenRead(path, sharing);
  }
  std::unique_ptr<sv::tags::RandomAccessFile> OpenReadWrite(const std::string& path) override {
    return path == locked_ ? nullptr : real_.OpenReadWrite(path);
  }
  std::unique_ptr<sv::tags::RandomAccessFile> CreateNew(const std::string& path) override {
    return real_.CreateNew(path);
  }
  bool Exists(const std::string& path) override { return real_.Exists(path); }
  bool Remove(const std::string& path) override { return real_.Remove(path); }
  bool Replace(const std::string& source, const std::string& target) override {
    return target != locked_ && real_.Replace(source, target);
  }
  bool GetAttributes(const std::string& path, std::uint32_t& attributes) override {
    if (path == locked_) {
      attributes = attributes_;
      return true;
    }
    return real_.GetAttributes(path, attributes);
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    if (path == locked_) {
      set_.push_back(attributes);
      attributes_ = attributes;
      return true;
    }
    return real_.SetAttributes(path, attributes);
  }
  std::vector<std::uint32_t> set_;

 private:
  std::string locked_;
  std::uint32_t attributes_ = sv::tags::kAttributeReadOnly | sv::tags::kAttributeArchive;
  sv::tags::FileSystem& real_ = sv::tags::NativeFileSystem();
};

TEST_F(TagEditingFiles, AFileThatCannotBeWrittenFailsAloneAndGetsItsAttributesBack) {
  const std::vector<std::string> mp3s = ThreeMp3s();
  const std::string lockedBefore = t::ReadBytes(mp3s[1]);
  OneLockedFile fs(mp3s[1]);
  TagColumn c1;
  c1.Ticked.fill(false);
  c1.Ticked[FieldAlbum] = true;
  c1.Text[FieldAlbum] = "Written";
  TagColumn c2 = c1;
  TagFileWriter writer(TagWriteMode::Save, c1, c2, fs);
  std::vector<bool> written;
  for (int i = 0; i < 3; ++i) written.push_back(writer.Write(mp3s[static_cast<std::size_t>(i)], i).Written);
  EXPECT_EQ(written, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(t::ReadBytes(mp3s[1]), lockedBefore);
  EXPECT_EQ(fs.set_, (std::vector<std::uint32_t>{sv::tags::kAttributeNormal,
                                                 sv::tags::kAttributeReadOnly | sv::tags::kAttributeArchive}))
      << "cleared for the write, then put back";
  for (std::size_t i : {0u, 2u}) {
    sv::tags::TID3v1 v1;
    ASSERT_TRUE(v1.ReadFromFile(mp3s[i]));
    EXPECT_EQ(v1.Album, "Written");
  }
}

// A file whose ID3v2 tag reads but cannot be rewritten safely: its ID3v1
// record is written, its ID3v2 save refused. The file is not completely
// written, and the outcome names what was.
TEST_F(TagEditingFiles, AFileWithOnlyOneOfItsTagsWrittenSaysWhichOne) {
  const std::string path = CopyEditor("refused.mp3");
  const std::string before = t::ReadBytes(path);
  TagColumn c1, c2;
  c1.Ticked.fill(false);
  c2.Ticked.fill(false);
  c1.Ticked[FieldAlbum] = c2.Ticked[FieldAlbum] = true;
  c1.Text[FieldAlbum] = c2.Text[FieldAlbum] = "Half written";
  const TagFileWriter::Outcome outcome = TagFileWriter(TagWriteMode::Save, c1, c2).Write(path, 0);
  EXPECT_FALSE(outcome.Written);
  EXPECT_FALSE(outcome.Skipped);
  EXPECT_EQ(outcome.Saved, std::vector<std::string>{"ID3 v1"});
  const std::string after = t::ReadBytes(path);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(0, after.size() - 128), before.substr(0, before.size() - 128)) << "the ID3v2 tag as it was";
  sv::tags::TID3v1 v1;
  ASSERT_TRUE(v1.ReadFromFile(path));
  EXPECT_EQ(v1.Album, "Half written");
  EXPECT_EQ(v1.Title, "Refused record");
}

#ifdef _WIN32
TEST_F(TagEditingFiles, AReadOnlyFileIsWrittenAndStaysReadOnly) {
  const std::vector<std::string> mp3s = ThreeMp3s();
  auto& fs = sv::tags::NativeFileSystem();
  const std::uint32_t readOnly = sv::tags::kAttributeReadOnly | sv::tags::kAttributeHidden;
  ASSERT_TRUE(fs.SetAttributes(mp3s[0], readOnly));
  TagColumn c;
  c.Ticked.fill(false);
  c.Ticked[FieldTitle] = true;
  c.Text[FieldTitle] = "Through read-only";
  EXPECT_TRUE(TagFileWriter(TagWriteMode::Save, c, c).Write(mp3s[0], 0).Written);
  std::uint32_t after = 0;
  ASSERT_TRUE(fs.GetAttributes(mp3s[0], after));
  EXPECT_EQ(after & (sv::tags::kAttributeReadOnly | sv::tags::kAttributeHidden), readOnly);
  fs.SetAttributes(mp3s[0], sv::tags::kAttributeNormal);
  sv::tags::TID3v2 v2;
  ASSERT_TRUE(v2.ReadFromFile(mp3s[0]));
  EXPECT_EQ(v2.Title, "Through read-only");
}
#endif

}  // namespace
}  // namespace player
