// Title-read throughput for Ogg Vorbis and APE-tagged files: makes N files of
// each from the build's fixtures with our own writers (a different title
// each), then times reading artist, album, title and track, as the playlist
// does for every entry.
//   tags_bench_formats [count] [folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "tags/APETag.h"
#include "tags/FileAccess.h"
#include "tags/OggVorbis.h"

using sv::tags::TAPETag;
using sv::tags::TOggVorbis;

namespace {

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string PathOf(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// Best of three warm passes over `count` files.
double Time(int count, const std::function<std::size_t(int)>& read, std::size_t& checksum) {
  double best = 1e9;
  for (int pass = 0; pass < 3; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) checksum += read(i);
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::filesystem::path dir =
      argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "sv-bench-formats";
  std::filesystem::create_directories(dir);
  auto& fs = sv::tags::NativeFileSystem();
  std::string ogg, mp3;
  if (!sv::tags::ReadWholeFile(fs, std::string(SV_FORMAT_FIXTURES) + "/tagged.ogg", ogg) ||
      !sv::tags::ReadWholeFile(fs, std::string(SV_FORMAT_FIXTURES) + "/cbr128.mp3", mp3)) {
    std::fprintf(stderr, "fixtures missing: build sv_format_fixtures first\n");
    return 1;
  }
  auto oggPath = [&](int i) { return PathOf(dir / ("track" + std::to_string(i) + ".ogg")); };
  auto apePath = [&](int i) { return PathOf(dir / ("track" + std::to_string(i) + ".mpc")); };

  const auto made = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    if (!fs.Exists(oggPath(i))) {
      sv::tags::WriteNewFile(fs, oggPath(i), ogg);
      TOggVorbis o;
      o.ReadFromFile(oggPath(i));
      o.Title = "Title number " + std::to_string(i) + " é";
      o.Artist = "Artist " + std::to_string(i % 97);
      o.Track = static_cast<std::uint16_t>(i % 20 + 1);
      if (!o.SaveTag(oggPath(i))) return std::fprintf(stderr, "cannot write %s\n", oggPath(i).c_str()), 1;
    }
    if (!fs.Exists(apePath(i))) {
      sv::tags::WriteNewFile(fs, apePath(i), mp3);
      TAPETag a;
      a.AddField("Title", "Title number " + std::to_string(i) + " é");
      a.AddField("Artist", "Artist " + std::to_string(i % 97));
      a.AddField("Album", "Album " + std::to_string(i % 13));
      a.AddField("Track", std::to_string(i % 20 + 1));
      if (!a.SaveToFile(apePath(i))) return std::fprintf(stderr, "cannot write %s\n", apePath(i).c_str()), 1;
    }
  }
  std::printf("files ready in %.2f s\n", Seconds(std::chrono::steady_clock::now() - made));

  std::size_t checksum = 0;
  const double oggTime = Time(count, [&](int i) {
    TOggVorbis o;
    o.ReadFromFile(oggPath(i));
    return o.Title.size() + o.Artist.size() + o.Album.size() + o.Track;
  }, checksum);
  const double apeTime = Time(count, [&](int i) {
    TAPETag a;
    a.ReadFromFile(apePath(i));
    return a.GetField("Title").size() + a.GetField("Artist").size() + a.GetField("Album").size() +
           a.GetField("Track").size();
  }, checksum);
  std::printf("%d Ogg files: %.3f s, %.0f files/s\n", count, oggTime, count / oggTime);
  std::printf("%d APE files: %.3f s, %.0f files/s (checksum %zu)\n", count, apeTime, count / apeTime, checksum);
  return 0;
}
