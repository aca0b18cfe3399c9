// The song-information object: which readers run for which extension, that
// it never throws, how lengths are measured (through a scripted probe and
// through our decoders), on files made by our writers and by independent
// tools. Also the display titles of real files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "player/DecoderLengthProbe.h"
#include "player/DisplayTitle.h"
#include "tags/APETag.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/MemoryFileSystem.h"
#include "tags/Unit_SongTagInfos.h"

namespace {

namespace fs = std::filesystem;
using sv::tags::LengthProbe;
using sv::tags::MemoryFileSystem;
using sv::tags::TSongInfo;

std::string Fixture(const std::string& name) { return std::string(SV_SONG_FIXTURES) + "/" + name; }

std::string Utf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

// Plays the engine's part from a script and writes down every call.
class ScriptedProbe : public LengthProbe {
 public:
  Handle StreamCreateFile(const std::string&) override {
    calls.push_back("stream");
    return stream;
  }
  Handle MusicLoad(const std::string&, std::uint32_t flags) override {
    calls.push_back(flags == kMusicPrescan ? "music+prescan" : "music");
    return music;
  }
  std::int64_t ChannelGetLength(Handle h) override {
    calls.push_back("length " + std::to_string(h));
    return bytes;
  }
  double ChannelBytes2Seconds(Handle, std::int64_t) override { return seconds; }
  void StreamFree(Handle h) override { calls.push_back("free " + std::to_string(h)); }

  Handle stream = 5;
  Handle music = 0;
  std::int64_t bytes = 1000;
  double seconds = 10.0;
  std::vector<std::string> calls;
};

// Counts what reaches our decoders.
class CountingProbe : public player::DecoderLengthProbe {
 public:
  Handle StreamCreateFile(const std::string& path) override {
    ++streams;
    return DecoderLengthProbe::StreamCreateFile(path);
  }
  Handle MusicLoad(const std::string& path, std::uint32_t flags) override {
    ++modules;
    return DecoderLengthProbe::MusicLoad(path, flags);
  }
  int streams = 0;
  int modules = 0;
};

// Files that exist but cannot be opened, as when another program locks them.
class LockedFiles : public MemoryFileSystem {
 public:
  std::unique_ptr<sv::tags::RandomAccessFile> OpenRead(const std::string&, sv::tags::ReadSharing) override {
    return nullptr;
  }
};

std::string Noise(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0x7F);
  return bytes;
}

void PutID3v2(MemoryFileSystem& files, const std::string& path, const std::string& title, std::uint16_t track) {
  sv::tags::TID3v2 tag(files);
  tag.SetTitle(title);
  tag.SetArtist("V2 Artist");
  tag.SetTrack(track);
  ASSERT_TRUE(tag.SaveToFile(path));
}

void PutID3v1(MemoryFileSystem& files, const std::string& path, const std::string& title, std::uint8_t track) {
  sv::tags::TID3v1 tag(files);
  tag.SetTitle(title);
  tag.SetArtist("V1 Artist");
  tag.SetYear("1980");
  tag.SetTrack(track);
  ASSERT_TRUE(tag.SaveToFile(path));
}

void PutAPE(MemoryFileSystem& files, const std::string& path, const std::string& title) {
  sv::tags::TAPETag tag(files);
  tag.AddField("Title", title);
  tag.AddField("Artist", "Ape Artist");
  tag.AddField("Track", "7/12");
  ASSERT_TRUE(tag.SaveToFile(path));
}

TEST(SongInfoLength, MeasuredOnlyWhenAskedAndAlwaysFreed) {
  MemoryFileSystem files;
  files.Put("a.wav", Noise(100));
  ScriptedProbe probe;
  TSongInfo song(&probe, files);
  song.Load("a.wav", false, false);
  EXPECT_TRUE(probe.calls.empty());
  EXPECT_EQ(song.Length, -1);

  song.Load("a.wav", true, false);
  EXPECT_EQ(probe.calls, (std::vector<std::string>{"stream", "length 5", "free 5"}));
  EXPECT_EQ(song.Length, 1000);
  EXPECT_FLOAT_EQ(song.Seconds, 10.0f);
  EXPECT_EQ(song.DurationText, "00:10");
}

TEST(SongInfoLength, ModuleFallbackAndRefusal) {
  MemoryFileSystem files;
  files.Put("a.mod", Noise(100));
  ScriptedProbe probe;
  probe.stream = 0;
  probe.music = 9;
  TSongInfo song(&probe, files);
  song.Load("a.mod", true, false);
  EXPECT_EQ(probe.calls, (std::vector<std::string>{"stream", "music+prescan", "length 9", "free 9"}));
  EXPECT_EQ(song.Length, 1000);

  probe.calls.clear();
  probe.music = 0;
  song.Load("a.mod", true, false);
  EXPECT_EQ(probe.calls, (std::vector<std::string>{"stream", "music+prescan", "free 0"}));
  EXPECT_EQ(song.Length, -1);
  EXPECT_EQ(song.Seconds, -1.0f);
  EXPECT_EQ(song.DurationText, "");
}

TEST(SongInfoLength, DurationTexts) {
  MemoryFileSystem files;
  files.Put("a.wav", Noise(10));
  ScriptedProbe probe;
  TSongInfo song(&probe, files);
  const std::pair<double, const char*> cases[] = {
      {59.4, "00:59"}, {3725, "01:02:05"}, {3599.9, "59:59"}, {90000, "25:00:00"}, {0, "00:00"}};
  for (const auto& [seconds, text] : cases) {
    probe.seconds = seconds;
    song.Load("a.wav", true, false);
    EXPECT_EQ(song.DurationText, text) << seconds;
  }
  // What the engine gives that is no length leaves the song unmeasured.
  for (double seconds : {-1.0, std::nan(""), HUGE_VAL}) {
    probe.seconds = seconds;
    song.Load("a.wav", true, false);
    EXPECT_EQ(song.Length, -1) << seconds;
    EXPECT_EQ(song.DurationText, "") << seconds;
  }
  probe.seconds = 1;
  probe.bytes = -1;
  song.Load("a.wav", true, false);
  EXPECT_EQ(song.Length, -1);
}

TEST(SongInfoReaders, MissingFileStaysCleared) {
  MemoryFileSystem files;
  ScriptedProbe probe;
  TSongInfo song(&probe, files);
  song.Load("gone.mp3", true, true);
  EXPECT_EQ(song.FileName, "gone.mp3");
  EXPECT_FALSE(song.Found);
  EXPECT_EQ(song.Length, -1);
  EXPECT_TRUE(probe.calls.empty());
  song.Load("http://radio/x.mp3", true, true);
  EXPECT_FALSE(song.Found);
}

TEST(SongInfoReaders, EmptyID3v2TitleFallsBackToID3v1) {
  MemoryFileSystem files;
  files.Put("a.mp3", Noise(4000));
  PutID3v2(files, "a.mp3", "", 3);
  PutID3v1(files, "a.mp3", "V1 Title", 7);
  TSongInfo song(nullptr, files);
  song.Load("a.mp3", false, true);
  ASSERT_TRUE(song.Found);
  EXPECT_EQ(song.Title, "V1 Title");
  EXPECT_EQ(song.Artist, "V1 Artist");
  EXPECT_EQ(song.Track, "07");
  EXPECT_EQ(song.Year, "1980");
  EXPECT_TRUE(song.Picture.empty());

  files.Put("b.mp3", Noise(4000));
  PutID3v2(files, "b.mp3", " V2 Title ", 0);
  song.Load("b.mp3", false, false);
  EXPECT_EQ(song.Artist, "V2 Artist");
  EXPECT_EQ(song.Track, "00");
  EXPECT_EQ(song.Year, "");
}

TEST(SongInfoReaders, ExtensionChoosesTheReaders) {
  MemoryFileSystem files;
  for (const char* name : {"a.MP3", "a.mp2", "a", "a.mp", "a.ogg", "a.wma", "a.mpc", "a.ape"}) {
    files.Put(name, Noise(4000));
    PutID3v2(files, name, "V2", 1);
    PutID3v1(files, name, "V1", 2);
  }
  TSongInfo song(nullptr, files);
  const std::pair<const char*, const char*> cases[] = {{"a.MP3", "V2"}, {"a.mp2", "V2"}, {"a", ""},
                                                       {"a.mp", ""},    {"a.ogg", ""},  {"a.wma", ""},
                                                       {"a.mpc", "V1"}, {"a.ape", ""}};
  for (const auto& [name, title] : cases) {
    song.Load(name, false, false);
    EXPECT_EQ(song.Title, title) << name;
    EXPECT_EQ(song.Found, *title != '\0') << name;
  }
}

TEST(SongInfoReaders, ApeBeforeID3v1AndTrackAsStored) {
  MemoryFileSystem files;
  files.Put("a.mpc", Noise(4000));
  PutID3v1(files, "a.mpc", "V1", 2);
  PutAPE(files, "a.mpc", "Ape Title");
  TSongInfo song(nullptr, files);
  song.Load("a.mpc", false, false);
  EXPECT_EQ(song.Title, "Ape Title");
  EXPECT_EQ(song.Track, "7/12");

  PutAPE(files, "a.mpc", "  ");
  song.Load("a.mpc", false, false);
  EXPECT_EQ(song.Title, "V1");
  EXPECT_EQ(song.Artist, "V1 Artist");
}

TEST(SongInfoReaders, BrokenOrLockedFilesFindNothing) {
  MemoryFileSystem files;
  files.Put("bad.wma", Noise(5000));
  files.Put("bad.ogg", "OggS" + Noise(300));
  files.Put("empty.mp3", "");
  TSongInfo song(nullptr, files);
  for (const char* name : {"bad.wma", "bad.ogg", "empty.mp3"}) {
    song.Load(name, false, true);
    EXPECT_FALSE(song.Found) << name;
  }
  LockedFiles locked;
  locked.Put("a.ogg", "x");
  locked.Put("a.mp3", "x");
  ScriptedProbe probe;
  TSongInfo lockedSong(&probe, locked);
  for (const char* name : {"a.ogg", "a.mp3"}) {
    lockedSong.Load(name, true, true);
    EXPECT_FALSE(lockedSong.Found) << name;
  }
}

class RealFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    folder_ = fs::temp_directory_path() / ("sv-songinfo-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  std::string Copy(const std::string& fixture, const std::string& name) {
    const fs::path target = folder_ / name;
    fs::copy_file(fs::path(Fixture(fixture)), target);
    return Utf8(target);
  }
  fs::path folder_;
  CountingProbe probe_;
};

TEST_F(RealFiles, ToolTaggedMp3) {
  TSongInfo song(&probe_);
  song.Load(Fixture("lame-tagged.mp3"), true, false);
  ASSERT_TRUE(song.Found);
  EXPECT_EQ(song.Title, "Lame Title");
  EXPECT_EQ(song.Artist, "Lame Artist");
  EXPECT_EQ(song.Album, "Lame Album");
  EXPECT_EQ(song.Year, "2001");
  EXPECT_EQ(song.Track, "07");
  EXPECT_NEAR(song.Seconds, 2.0, 0.06);
  EXPECT_EQ(song.DurationText, "00:02");
  EXPECT_EQ(probe_.OpenCount(), 0u);

  song.Load(Fixture("mutagen-jpeg.mp3"), false, true);
  EXPECT_EQ(song.Title, "Caf\xC3\xA9 Song");
  EXPECT_EQ(song.Album, "Album \xE6\x9D\xB1\xE4\xBA\xAC");
  EXPECT_EQ(song.Track, "03");
  ASSERT_GE(song.Picture.size(), 2u);
  EXPECT_EQ(song.Picture.substr(0, 2), "\xFF\xD8");
  EXPECT_EQ(song.Length, -1);
  song.Load(Fixture("mutagen-jpeg.mp3"), false, false);
  EXPECT_TRUE(song.Picture.empty());
  song.Load(Fixture("mutagen-png.mp3"), false, true);
  EXPECT_TRUE(song.Found);
  EXPECT_TRUE(song.Picture.empty());
}

TEST_F(RealFiles, OurWritersOnAnEncodedMp3) {
  const std::string path = Copy("plain.mp3", "ours.mp3");
  TSongInfo song(&probe_);
  song.Load(path, true, false);
  EXPECT_FALSE(song.Found);
  EXPECT_NEAR(song.Seconds, 2.0, 0.06);

  sv::tags::TID3v2 v2;
  v2.SetTitle("Our Title");
  v2.SetArtist("Our Artist");
  v2.SetYear("2020");
  v2.SetTrack(11);
  ASSERT_TRUE(v2.SaveToFile(path));
  song.Load(path, true, false);
  ASSERT_TRUE(song.Found);
  EXPECT_EQ(song.Title, "Our Title");
  EXPECT_EQ(song.Track, "11");
  EXPECT_NEAR(song.Seconds, 2.0, 0.06);
}

TEST_F(RealFiles, OggWavAndModuleLengths) {
  TSongInfo song(&probe_);
  song.Load(Fixture("tagged.ogg"), true, false);
  ASSERT_TRUE(song.Found);
  EXPECT_EQ(song.Title, "Ogg Title");
  EXPECT_EQ(song.Year, "2004");
  EXPECT_EQ(song.Track, "04");
  EXPECT_EQ(song.Genre, "Jazz");
  EXPECT_EQ(song.Length, 2 * 44100 * 4);
  EXPECT_FLOAT_EQ(song.Seconds, 2.0f);

  song.Load(Fixture("plain.ogg"), true, false);
  EXPECT_FALSE(song.Found);
  EXPECT_EQ(song.Length, 2 * 44100 * 4);

  song.Load(Fixture("tone3.wav"), true, false);
  EXPECT_FALSE(song.Found);
  EXPECT_EQ(song.Length, 3 * 44100 * 4);
  EXPECT_EQ(song.DurationText, "00:03");
  EXPECT_EQ(probe_.modules, 0);

  // One pattern of 64 rows at 6 ticks of 20 ms: 7.68 s, measured through
  // the module fallback.
  song.Load(SV_SONG_MODULE, true, false);
  EXPECT_FALSE(song.Found);
  EXPECT_EQ(probe_.modules, 1);
  EXPECT_NEAR(song.Seconds, 7.68, 0.05);
  EXPECT_EQ(song.DurationText, "00:07");
  EXPECT_EQ(probe_.OpenCount(), 0u);
}

player::TitleFormats Formats(const std::string& tagged, const std::string& untagged) {
  return {tagged, untagged, "CD %filename", true, true};
}

class NoDrives : public player::CdDrives {
 public:
  int DriveLetter(int) override { return -1; }
  std::string DiscId(int) override { return {}; }
};

class IdleTimer : public player::CdLookupTimer {
 public:
  bool Running() const override { return false; }
  void Start(int) override { ADD_FAILURE() << "no CD entries here"; }
};

TEST_F(RealFiles, DisplayTitles) {
  NoDrives drives;
  IdleTimer timer;
  player::TitleSources sources{sv::tags::NativeFileSystem(), &probe_, drives,
                               [] { return std::unique_ptr<player::CdCache>(); }, timer};
  const std::string tagged = Copy("lame-tagged.mp3", "01 tagged.MP3");
  const std::string plain = Copy("tone3.wav", "02 plain.wav");
  const std::string folder = fs::path(Utf8(folder_)).filename().string();

  auto formats = Formats("%artist - %tracktitle", "%rep0 / %filename%fileext");
  EXPECT_EQ(player::GetSongDisplayTitle(tagged, formats, sources), " Lame Artist - Lame Title");
  EXPECT_EQ(player::GetSongDisplayTitle(plain, formats, sources), " " + folder + " / 02 plain.wav");
  // An MP3 without ID3v2 whose APE tag puts the header's "APETAGEX" 128
  // bytes from the end has no ID3v1 record: no title from that "TAG".
  const std::string apeTagged = Utf8(folder_ / "03 ape.mp3");
  {
    const std::string noise = Noise(4000);
    std::ofstream(folder_ / "03 ape.mp3", std::ios::binary)
        .write(noise.data(), static_cast<std::streamsize>(noise.size()));
    sv::tags::TAPETag ape;
    ape.AddField("Title", "Sound title");
    ape.AddField("Artist", "Sound artist");
    ape.AddField("Album", "A");
    ASSERT_TRUE(ape.SaveToFile(apeTagged));
  }
  EXPECT_EQ(fs::file_size(folder_ / "03 ape.mp3"), 4000u + 131u) << "\"TAG\" stands 128 bytes from the end";
  EXPECT_EQ(player::GetSongDisplayTitle(apeTagged, formats, sources), " " + folder + " / 03 ape.mp3");
  EXPECT_EQ(probe_.streams, 0);

  formats = Formats("%tracknb %tracktitle", "%filename [%LENGTH]");
  EXPECT_EQ(player::GetSongDisplayTitle(plain, formats, sources), " 02 plain [00:03]");
  EXPECT_EQ(player::GetSongDisplayTitle(tagged, formats, sources), " 07 Lame Title");
  EXPECT_EQ(probe_.streams, 2);

  formats.readMetaTags = false;
  EXPECT_EQ(player::GetSongDisplayTitle(tagged, formats, sources), " 01 tagged []");
  EXPECT_EQ(probe_.streams, 2);

  fs::remove(folder_ / "02 plain.wav");
  EXPECT_EQ(player::GetSongDisplayTitle(plain, formats, sources), " No File... 02 plain.wav");
  EXPECT_EQ(player::GetSongDisplayTitle(Utf8(folder_ / "x.mp3"), formats, sources), " No File... x.mp3");
  EXPECT_EQ(player::GetSongDisplayTitle("http://radio.example/live", formats, sources),
            " http://radio.example/live");
  EXPECT_EQ(probe_.streams, 2);
}

}  // namespace
