// Title-read throughput: makes N tagged MP3 files (ID3v2 with the texts and
// a 20 KB cover, plus ID3v1), then times reading artist, album, title and
// track without the picture, as the playlist does for every entry.
//   tags_bench_titles [count] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tags/FileAccess.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

using sv::tags::TID3v1;
using sv::tags::TID3v2;

namespace {

std::string FrameHeaderAudio() {
  std::string audio;
  for (int i = 0; i < 40; ++i) audio += std::string("\xFF\xFB\x90\x64", 4) + std::string(413, '\x11');
  return audio;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::filesystem::path dir =
      argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path() / "sv-bench-titles";
  std::filesystem::create_directories(dir);
  auto& fs = sv::tags::NativeFileSystem();
  const std::string audio = FrameHeaderAudio();
  const std::string cover = std::string("\xFF\xD8\xFF\xE0", 4) + std::string(20000, '\x42');

  const auto made = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    const std::string path = (dir / ("track" + std::to_string(i) + ".mp3")).string();
    if (fs.Exists(path)) continue;
    sv::tags::WriteNewFile(fs, path, audio);
    TID3v2 v2;
    v2.SetPicture(cover);
    v2.SetTitle("Title number " + std::to_string(i) + " é");
    v2.SetArtist("Artist " + std::to_string(i % 97));
    v2.SetAlbum("Album " + std::to_string(i % 13));
    v2.SetTrack(static_cast<std::uint16_t>(i % 20 + 1));
    TID3v1 v1;
    v1.SetTitle("Title number " + std::to_string(i));
    if (!v2.SaveToFile(path) || !v1.SaveToFile(path)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  std::printf("files ready in %.2f s\n", Seconds(std::chrono::steady_clock::now() - made));

  std::size_t checksum = 0;
  double best = 1e9;
  for (int pass = 0; pass < 3; ++pass) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
      const std::string path = (dir / ("track" + std::to_string(i) + ".mp3")).string();
      TID3v2 v2;
      v2.ReadFromFile(path, false);
      std::string title = v2.Title, artist = v2.Artist, album = v2.Album;
      unsigned track = v2.Track;
      if (title.empty()) {
        TID3v1 v1;
        v1.ReadFromFile(path);
        title = v1.GetTitle();
        artist = v1.GetArtist();
        album = v1.GetAlbum();
        track = v1.Track;
      }
      checksum += title.size() + artist.size() + album.size() + track;
    }
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
  }
  std::printf("%d files: best of 3 warm passes %.3f s, %.0f files/s (checksum %zu)\n", count, best,
              count / best, checksum);
  return 0;
}
