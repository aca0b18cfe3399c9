// The folder tree's scan and the search window's tag search on a made tree
// of 10,000 small tagged songs in 1,000 folders, under Wine:
//   - the scan of the base folder into tree lines and the cache text, against
//     a plain listing of every folder;
//   - the search by title (every title matches, so one ID3v2 read a file),
//     against the tag library reading the same titles in a plain loop.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchRow.h"
#include "base/TextFile.h"
#include "player/FolderSearch.h"
#include "player/TreeCache.h"
#include "player/platform/DiskFolders.h"
#include "player/platform/FolderListing.h"
#include "tags/ID3v2.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// An MP3 file's worth of tags: an ID3v2.3 tag with a title, a few frame
// bytes, and an ID3v1 tag.
std::string SmallSong(int number) {
  const std::string title = "Title " + std::to_string(number);
  std::string frame = "TIT2";
  const auto size = static_cast<std::uint32_t>(title.size() + 1);
  frame += std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
                       static_cast<char>(size)};
  frame += std::string(2, '\0') + '\0' + title;
  const auto tagSize = static_cast<std::uint32_t>(frame.size());
  std::string song = "ID3";
  song += std::string{3, 0, 0};
  for (int shift : {21, 14, 7, 0}) song += static_cast<char>((tagSize >> shift) & 0x7F);
  song += frame;
  song += std::string("\xFF\xFB\x90\x00", 4) + std::string(200, '\0');
  std::string v1 = "TAG" + title;
  v1.resize(127, '\0');
  v1 += '\xFF';
  return song + v1;
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path root = std::filesystem::path(temp) / "sv-folder-tree-bench";
  std::filesystem::remove_all(root);
  std::vector<std::string> songs;
  int number = 0;
  for (int top = 0; top < 100; ++top) {
    for (int inner = 0; inner < 10; ++inner) {
      const std::filesystem::path folder = root / ("Artist " + std::to_string(top)) / ("Album " + std::to_string(inner));
      std::filesystem::create_directories(folder);
      for (int file = 0; file < 10; ++file) {
        const std::string path = sv::PathToUtf8(folder / ("Song " + std::to_string(file) + ".mp3"));
        sv::WriteFileAtomic(path, SmallSong(number++));
        songs.push_back(path);
      }
    }
  }
  const std::string base = sv::PathToUtf8(root) + "\\";
  std::printf("%zu songs in 1,100 folders below %s\n", songs.size(), base.c_str());

  // Warm the system's caches once, then the plain listing as the reference.
  player::DiskFolders disk;
  player::WalkAllFolders(disk, base);
  auto start = Clock::now();
  std::vector<std::string> folders{base};
  for (std::size_t i = 0; i < folders.size(); ++i)
    for (const player::FolderEntry& entry : player::ListFolder(folders[i], "*.*"))
      if (entry.IsFolder) folders.push_back(folders[i] + entry.Name + "\\");
  const double listing = Seconds(start);

  start = Clock::now();
  const auto lines = player::ScanBaseFolder(disk, base, [](const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, 0, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
  });
  const std::string cache = player::WriteTreeCache(lines);
  const double scan = Seconds(start);
  std::printf("scan: %zu nodes, %zu bytes of cache in %.3f s; plain listing of %zu folders %.3f s\n", lines.size(),
              cache.size(), scan, folders.size(), listing);
  PrintBenchRow("folder tree scan of 1,100 folders vs plain listing", scan * 1000, listing * 1000, "ms");

  start = Clock::now();
  int titles = 0;
  for (const std::string& song : songs) {
    sv::tags::TID3v2 tag;
    if (tag.ReadFromFile(song) && tag.Exists && !tag.Title.empty()) ++titles;
  }
  const double raw = Seconds(start);

  start = Clock::now();
  const auto walked = player::WalkAllFolders(disk, base);
  std::printf("walk of %zu folders: %.3f s\n", walked.size(), Seconds(start));

  std::size_t found = 0;
  player::SearchQuery query{"title", false, false, true, false, false};
  player::FolderSearch search(
      disk, base, true, query, player::LibraryTagReaders(sv::tags::NativeFileSystem()), {"mp3"},
      [](const std::string& a, const std::string& b) { return a < b; }, [&found](const std::string&) { ++found; });
  start = Clock::now();
  while (search.Step()) {
  }
  const double searched = Seconds(start);
  std::printf("search by title: %zu of %zu songs in %.3f s; raw title reads (%d) %.3f s\n", found, songs.size(),
              searched, titles, raw);
  PrintBenchRow("search by title vs raw title reads", static_cast<double>(found) / searched,
                static_cast<double>(titles) / raw, "songs/s");
  std::filesystem::remove_all(root);
  return found == songs.size() ? 0 : 1;
}
