#include "player/CdTitle.h"

#include <algorithm>
#include <cstdio>

#include "base/Numbers.h"
#include "player/TitleFormat.h"

namespace player {

std::optional<int> CdTrackNumber(std::string_view fileName) {
  std::size_t first = fileName.size();
  while (first > 0 && fileName[first - 1] >= '0' && fileName[first - 1] <= '9') --first;
  std::string_view digits = fileName.substr(first);
  // Leading zeros carry no value; more than two digits name no audio track.
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 2) return std::nullopt;
  int number = 0;
  for (char c : digits) number = number * 10 + (c - '0');
  return number;
}

namespace {

std::optional<int> DriveOfPath(std::string_view path, CdDrives& drives) {
  if (path.empty()) return std::nullopt;
  for (int drive = 0; drive <= 9; ++drive) {
    const int letter = drives.DriveLetter(drive);
    if (letter >= 0 && letter < 26 && path.front() == static_cast<char>('A' + letter)) return drive;
  }
  return std::nullopt;
}

std::string TwoDigits(int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2d", number);
  return text;
}

}  // namespace

std::string CdTrackTitle(std::string_view path, const PathPieces& pieces, bool readCddb,
                         const CdTitleFormats& formats, CdDrives& drives, CdCache& cache,
                         CdLookupTimer& timer) {
  const auto fallback = [&] { return ExpandFileTitleFormat(formats.cd, pieces, {}); };
  if (!readCddb) return fallback();
  const auto drive = DriveOfPath(path, drives);
  if (!drive) return fallback();
  const auto track = CdTrackNumber(pieces.fileName);
  if (!track) return fallback();
  std::string section = drives.DiscId(*drive);
  if (section.empty()) return fallback();
  std::replace(section.begin(), section.end(), ' ', '+');

  if (!cache.HasSection(section)) {
    if (!timer.Running()) timer.Start(*drive);
    return fallback();
  }
  const auto match = cache.Read(section, "MATCH");
  const std::string n = std::to_string(*track);
  const auto title = cache.Read(section, "TITLE" + n);
  // MATCH reads as the INI rules read Booleans: any integer but 0 is true.
  const auto matchNumber = match ? sv::ParseInt32(*match) : std::nullopt;
  if (!matchNumber || *matchNumber == 0 || !title) return fallback();

  TitleValues values;
  values.length = cache.Read(section, "LENGTH" + n).value_or("");
  values.artist = cache.Read(section, "ARTIST").value_or("");
  values.album = cache.Read(section, "ALBUM").value_or("");
  values.trackNb = TwoDigits(*track);
  values.trackTitle = *title;
  values.year = cache.Read(section, "YEAR").value_or("");
  values.path = pieces;
  return ExpandTitleFormat(formats.tagged, values);
}

const sv::IniFile& IniCdCache::File() {
  if (!file_) file_.emplace(path_);
  return *file_;
}

bool IniCdCache::HasSection(const std::string& section) { return File().SectionExists(section); }

std::optional<std::string> IniCdCache::Read(const std::string& section, const std::string& key) {
  if (!File().ValueExists(section, key)) return std::nullopt;
  return File().ReadString(section, key, "");
}

}  // namespace player
