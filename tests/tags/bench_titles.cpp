// Title-read throughput, as the playlist reads every entry: artist, album,
// title and track, no picture. Makes a corpus of N files with our writers
// over the build's fixtures, a third each of
//   - MP3 (lame audio) with ID3v2 (the texts and a 20 KB cover) and ID3v1,
//   - Ogg Vorbis (oggenc audio) with its comments,
//   - APE-tagged files (".ape", APEv2 at the end),
// then times several warm rounds over the same files and prints the median
// throughput per format and overall. When the reference tag reader is built
// in (SV_BENCH_REFERENCE), it reads the same files in the same rounds (the
// order of the two alternates every round), the fields of both are compared
// once, and the ratio is printed.
//   tags_bench_titles [count] [rounds] [folder]
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchRow.h"
#include "bench_titles.h"
#include "tags/APETag.h"
#include "tags/FileAccess.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"

using sv::tags::TAPETag;
using sv::tags::TID3v1;
using sv::tags::TID3v2;
using sv::tags::TOggVorbis;

namespace {

enum Format { kMp3, kOgg, kApe, kFormats };
constexpr std::array<const char*, kFormats> kFormatNames = {"MP3 (ID3v2+ID3v1)", "Ogg Vorbis", "APE"};
constexpr std::array<const char*, kFormats> kExtensions = {".mp3", ".ogg", ".ape"};

using Reader = std::function<bool(const std::string&, Format, TitleFields&)>;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::string PathOf(const std::filesystem::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

unsigned TrackNumber(const std::string& text) {
  unsigned n = 0;
  std::from_chars(text.data(), text.data() + text.size(), n);
  return n;
}

// Our readers in the order the song information tries them for these
// extensions: the first tag with a title wins.
bool ReadTitle(const std::string& path, Format format, TitleFields& out) {
  switch (format) {
    case kMp3: {
      TID3v2 v2;
      v2.ReadFromFile(path, false);
      if (v2.Exists && !v2.Title.empty()) {
        out = {v2.Title, v2.Artist, v2.Album, v2.Track};
        return true;
      }
      TID3v1 v1;
      v1.ReadFromFile(path);
      if (!v1.Exists || v1.GetTitle().empty()) return false;
      out = {v1.GetTitle(), v1.GetArtist(), v1.GetAlbum(), v1.Track};
      return true;
    }
    case kOgg: {
      TOggVorbis ogg;
      ogg.ReadFromFile(path);
      if (!ogg.IsValid()) return false;
      out = {ogg.Title, ogg.Artist, ogg.Album, ogg.Track};
      return true;
    }
    case kApe: {
      TAPETag ape;
      ape.ReadFromFile(path);
      if (!ape.Exists || ape.GetField("Title").empty()) return false;
      out = {ape.GetField("Title"), ape.GetField("Artist"), ape.GetField("Album"),
             TrackNumber(ape.GetField("Track"))};
      return true;
    }
    case kFormats:
      break;
  }
  return false;
}

struct Corpus {
  std::array<std::vector<std::string>, kFormats> paths;
  std::size_t Count() const { return paths[kMp3].size() + paths[kOgg].size() + paths[kApe].size(); }
};

bool WriteFile(const std::string& path, Format format, int i, const std::string& mp3, const std::string& ogg) {
  auto& fs = sv::tags::NativeFileSystem();
  const std::string title = "Title number " + std::to_string(i) + " é";
  const std::string artist = "Artist " + std::to_string(i % 97);
  const std::string album = "Album " + std::to_string(i % 13);
  const int track = i % 20 + 1;
  switch (format) {
    case kMp3: {
      TID3v2 v2;
      v2.SetPicture(std::string("\xFF\xD8\xFF\xE0", 4) + std::string(20000, '\x42'));
      v2.SetTitle(title);
      v2.SetArtist(artist);
      v2.SetAlbum(album);
      v2.SetTrack(static_cast<std::uint16_t>(track));
      TID3v1 v1;
      v1.SetTitle("Title number " + std::to_string(i));
      v1.SetArtist(artist);
      v1.SetAlbum(album);
      v1.SetTrack(static_cast<std::uint8_t>(track));
      return sv::tags::WriteNewFile(fs, path, mp3) && v2.SaveToFile(path) && v1.SaveToFile(path);
    }
    case kOgg: {
      if (!sv::tags::WriteNewFile(fs, path, ogg)) return false;
      TOggVorbis o;
      o.ReadFromFile(path);
      o.Title = title;
      o.Artist = artist;
      o.Album = album;
      o.Track = static_cast<std::uint16_t>(track);
      return o.SaveTag(path);
    }
    case kApe: {
      TAPETag a;
      a.AddField("Title", title);
      a.AddField("Artist", artist);
      a.AddField("Album", album);
      a.AddField("Track", std::to_string(track));
      return sv::tags::WriteNewFile(fs, path, mp3) && a.SaveToFile(path);
    }
    case kFormats:
      break;
  }
  return false;
}

// Files already in the folder are kept, so later runs reuse the corpus.
bool MakeCorpus(int count, const std::filesystem::path& dir, Corpus& corpus) {
  auto& fs = sv::tags::NativeFileSystem();
  std::string mp3, ogg;
  if (!sv::tags::ReadWholeFile(fs, std::string(SV_FORMAT_FIXTURES) + "/cbr128.mp3", mp3) ||
      !sv::tags::ReadWholeFile(fs, std::string(SV_FORMAT_FIXTURES) + "/tagged.ogg", ogg)) {
    std::fprintf(stderr, "fixtures missing: build sv_format_fixtures first\n");
    return false;
  }
  std::filesystem::create_directories(dir);
  for (int i = 0; i < count; ++i) {
    const auto format = static_cast<Format>(i % kFormats);
    const std::string path = PathOf(dir / ("track" + std::to_string(i) + kExtensions[format]));
    if (!fs.Exists(path) && !WriteFile(path, format, i, mp3, ogg)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return false;
    }
    corpus.paths[format].push_back(path);
  }
  return true;
}

#ifdef SV_BENCH_REFERENCE
// Reads every file with both readers and reports the first disagreements.
std::size_t CompareReaders(const Corpus& corpus, const Reader& ours, const Reader& reference) {
  std::size_t differ = 0;
  for (int f = 0; f < kFormats; ++f) {
    for (const std::string& path : corpus.paths[f]) {
      TitleFields a, b;
      const bool gotA = ours(path, static_cast<Format>(f), a);
      const bool gotB = reference(path, static_cast<Format>(f), b);
      if (gotA && gotB && a == b) continue;
      if (++differ <= 5)
        std::printf("  differ: %s: [%s|%s|%s|%u] vs reference [%s|%s|%s|%u]\n", path.c_str(), a.title.c_str(),
                    a.artist.c_str(), a.album.c_str(), a.track, b.title.c_str(), b.artist.c_str(), b.album.c_str(),
                    b.track);
    }
  }
  return differ;
}
#endif

// Seconds one pass of `read` takes over one format's files.
double TimePass(const std::vector<std::string>& paths, Format format, const Reader& read, std::size_t& checksum) {
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& path : paths) {
    TitleFields t;
    if (read(path, format, t)) checksum += t.title.size() + t.artist.size() + t.album.size() + t.track;
  }
  return Seconds(std::chrono::steady_clock::now() - start);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Per-round seconds of one reader: one row per format plus the total.
struct Timings {
  std::array<std::vector<double>, kFormats + 1> seconds;
};

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  const std::filesystem::path dir =
      argc > 3 ? std::filesystem::path(argv[3]) : std::filesystem::temp_directory_path() / "sv-title-corpus";

  const auto made = std::chrono::steady_clock::now();
  Corpus corpus;
  if (!MakeCorpus(count, dir, corpus)) return 1;
  std::printf("%zu files (%zu MP3, %zu Ogg Vorbis, %zu APE) ready in %.2f s in %s\n", corpus.Count(),
              corpus.paths[kMp3].size(), corpus.paths[kOgg].size(), corpus.paths[kApe].size(),
              Seconds(std::chrono::steady_clock::now() - made), PathOf(dir).c_str());

  std::vector<std::pair<const char*, Reader>> readers = {{"ours", ReadTitle}};
#ifdef SV_BENCH_REFERENCE
  readers.emplace_back("reference", [](const std::string& path, Format, TitleFields& out) {
    return ReadTitleWithReference(path, out);
  });
  const std::size_t differ = CompareReaders(corpus, readers[0].second, readers[1].second);
  std::printf("fields compared: %zu of %zu files differ\n", differ, corpus.Count());
#else
  std::printf("reference tag reader not built in: timing ours only\n");
#endif

  std::vector<Timings> timings(readers.size());
  std::size_t checksum = 0;
  for (int round = -1; round < rounds; ++round) {  // round -1 only warms the cache
    for (std::size_t k = 0; k < readers.size(); ++k) {
      const std::size_t r = round % 2 == 0 ? k : readers.size() - 1 - k;
      double total = 0;
      for (int f = 0; f < kFormats; ++f) {
        const double s = TimePass(corpus.paths[f], static_cast<Format>(f), readers[r].second, checksum);
        total += s;
        if (round >= 0) timings[r].seconds[f].push_back(s);
      }
      if (round >= 0) timings[r].seconds[kFormats].push_back(total);
    }
  }

  std::printf("median of %d warm rounds, files/s:\n%-20s", rounds, "");
  for (const auto& reader : readers) std::printf("%14s", reader.first);
  std::printf("%s\n", readers.size() > 1 ? "   ours/reference" : "");
  for (int f = 0; f <= kFormats; ++f) {
    const std::size_t files = f == kFormats ? corpus.Count() : corpus.paths[f].size();
    std::printf("%-20s", f == kFormats ? "all" : kFormatNames[f]);
    std::vector<double> rate;
    for (const Timings& t : timings) {
      rate.push_back(static_cast<double>(files) / Median(t.seconds[f]));
      std::printf("%14.0f", rate.back());
    }
    if (rate.size() > 1) std::printf("%17.2f", rate[0] / rate[1]);
    std::printf("\n");
    if (f == kFormats && rate.size() > 1)
      PrintBenchRow("title reads: ours vs reference tag reader", rate[0], rate[1], "files/s");
  }
  std::printf("(checksum %zu)\n", checksum);
  return 0;
}
