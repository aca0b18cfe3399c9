// Display-title throughput against the raw tag read, over a playlist of
// tagged files made with our writers: half MP3 (lame audio, ID3v2 and
// ID3v1), half Ogg Vorbis (oggenc, comments rewritten). Times warm rounds of
//   - the raw read: the tag readers the song information would try, title
//     only, as the tag library gives it;
//   - display titles with a template without "%length";
//   - display titles with "%length", each file measured by our decoders;
// and prints the medians, the ratio of the first two and the cost of a
// length per file.
//   player_bench_titles [count] [rounds] [folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchRow.h"
#include "player/DecoderLengthProbe.h"
#include "player/DisplayTitle.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"

namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

class NoDrives : public player::CdDrives {
 public:
  int DriveLetter(int) override { return -1; }
  std::string DiscId(int) override { return {}; }
};

class NoTimer : public player::CdLookupTimer {
 public:
  bool Running() const override { return true; }
  void Start(int) override {}
};

std::vector<std::string> MakePlaylist(const fs::path& folder, int count) {
  const fs::path fixtures = fs::path(SV_SONG_FIXTURES);
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    const bool mp3 = i % 2 == 0;
    const fs::path target = folder / ("song " + std::to_string(i) + (mp3 ? ".mp3" : ".ogg"));
    fs::copy_file(fixtures / (mp3 ? "plain.mp3" : "tagged.ogg"), target, fs::copy_options::overwrite_existing);
    const std::string path = Utf8(target);
    const std::string title = "Title number " + std::to_string(i);
    bool saved = false;
    if (mp3) {
      sv::tags::TID3v2 v2;
      v2.SetTitle(title);
      v2.SetArtist("Some Artist");
      v2.SetAlbum("Some Album");
      v2.SetTrack(static_cast<std::uint16_t>(i % 20 + 1));
      sv::tags::TID3v1 v1;
      v1.SetTitle(title);
      v1.SetArtist("Some Artist");
      saved = v2.SaveToFile(path) && v1.SaveToFile(path);
    } else {
      sv::tags::TOggVorbis ogg;
      saved = ogg.ReadFromFile(path);
      ogg.Title = title;
      ogg.Artist = "Some Artist";
      ogg.Album = "Some Album";
      ogg.Track = static_cast<std::uint16_t>(i % 20 + 1);
      saved = saved && ogg.SaveTag(path);
    }
    if (!saved) {
      std::fprintf(stderr, "cannot tag %s\n", path.c_str());
      std::error_code ec;
      fs::remove_all(folder, ec);
      std::exit(1);
    }
    files.push_back(path);
  }
  return files;
}

// The raw read: what the tag library costs to get one title.
std::size_t RawTitle(const std::string& path) {
  if (path.ends_with(".mp3")) {
    sv::tags::TID3v2 v2;
    if (v2.ReadFromFile(path, false) && v2.Exists && !v2.Title.empty()) return v2.Title.size();
    sv::tags::TID3v1 v1;
    v1.ReadFromFile(path);
    return v1.GetTitle().size();
  }
  sv::tags::TOggVorbis ogg;
  ogg.ReadFromFile(path);
  return ogg.Title.size();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  std::random_device rd;
  const fs::path folder = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / ("sv-bench-titles-" + std::to_string(rd()));
  fs::create_directories(folder);
  std::printf("making %d tagged files in %s\n", count, Utf8(folder).c_str());
  const auto files = MakePlaylist(folder, count);

  NoDrives drives;
  NoTimer timer;
  player::DecoderLengthProbe probe;
  player::TitleSources sources{sv::tags::NativeFileSystem(), &probe, drives,
                               [] { return std::unique_ptr<player::CdCache>(); }, timer};
  const player::TitleFormats plain{"%tracknb. %artist - %tracktitle", "%filename", "%filename", true, true};
  const player::TitleFormats withLength{"%tracknb. %artist - %tracktitle (%length)", "%filename", "%filename",
                                        true, true};

  std::size_t sink = 0;
  const auto time = [&](const std::function<std::size_t(const std::string&)>& one) {
    const auto start = std::chrono::steady_clock::now();
    for (const auto& f : files) sink += one(f);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  const auto titles = [&](const player::TitleFormats& formats) {
    return [&](const std::string& f) { return player::GetSongDisplayTitle(f, formats, sources).size(); };
  };

  std::vector<double> raw, display, lengths;
  time(RawTitle);  // warm the file cache
  for (int r = 0; r < rounds; ++r) {
    if (r % 2 == 0) {
      raw.push_back(time(RawTitle));
      display.push_back(time(titles(plain)));
    } else {
      display.push_back(time(titles(plain)));
      raw.push_back(time(RawTitle));
    }
  }
  for (int r = 0; r < std::max(1, rounds / 2); ++r) lengths.push_back(time(titles(withLength)));

  const double rawS = Median(raw), displayS = Median(display), lengthS = Median(lengths);
  std::printf("sample title: %s\n", player::GetSongDisplayTitle(files[0], withLength, sources).c_str());
  std::printf("raw tag title read : %8.0f files/s (%.3f s)\n", count / rawS, rawS);
  std::printf("display titles     : %8.0f files/s (%.3f s), %.1f%% of the raw read\n", count / displayS, displayS,
              100.0 * rawS / displayS);
  std::printf("with %%length       : %8.0f files/s (%.3f s), %.1f us more per file\n", count / lengthS, lengthS,
              1e6 * (lengthS - displayS) / count);
  std::printf("(checksum %zu)\n", sink);
  PrintBenchRow("display titles vs raw tag read", count / displayS, count / rawS, "files/s");
  PrintBenchRow("display titles: with %length vs without", count / lengthS, count / displayS, "files/s");
  if (argc <= 3) {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  return 0;
}
