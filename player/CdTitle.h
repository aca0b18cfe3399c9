#pragma once
// Display titles of audio CD tracks ("D:\Track05.cda"): from the CD database
// cache when the disc was looked up, else from the CD template, with the
// lookup deferred to the main window's timer so that building a title never
// waits for the network. The drives, the cache and the timer are injected.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/IniFile.h"
#include "player/PathPieces.h"

namespace player {

class CdDrives {
 public:
  virtual ~CdDrives() = default;
  // Letter of drive number n as an offset from 'A', or -1 when none.
  virtual int DriveLetter(int drive) = 0;
  // The disc's database query text ("discid ntracks offsets... seconds");
  // empty when the drive holds no disc.
  virtual std::string DiscId(int drive) = 0;
};

// The cache file: one section per disc, named by its query text with every
// blank replaced by '+'.
class CdCache {
 public:
  virtual ~CdCache() = default;
  virtual bool HasSection(const std::string& section) = 0;
  virtual std::optional<std::string> Read(const std::string& section, const std::string& key) = 0;
};

class CdLookupTimer {
 public:
  virtual ~CdLookupTimer() = default;
  virtual bool Running() const = 0;
  // Starts the delayed lookup of the disc in this drive.
  virtual void Start(int drive) = 0;
};

struct CdTitleFormats {
  std::string tagged;  // for tracks found in the cache
  std::string cd;      // for the others
};

// The number written by the trailing digits of the file name ("Track05",
// "Track5", "Piste01" give 5, 5, 1); nothing without digits.
std::optional<int> CdTrackNumber(std::string_view fileName);

// The display title of a CD track. With readCddb off, a drive letter that
// names no CD drive (drive letters compare in upper case, as the system
// writes them), a name without a number or an empty drive, the CD template is
// used and neither the cache nor the timer is touched. A disc missing from
// the cache starts the timer unless it runs already; a disc cached with MATCH
// 0, or without this track's title, shows the CD template.
std::string CdTrackTitle(std::string_view path, const PathPieces& pieces, bool readCddb,
                         const CdTitleFormats& formats, CdDrives& drives, CdCache& cache,
                         CdLookupTimer& timer);

// The cache file read with the common INI rules, opened at the first query
// and kept for the one title being built.
// A missing or unreadable file has no sections.
class IniCdCache : public CdCache {
 public:
  explicit IniCdCache(std::string path) : path_(std::move(path)) {}
  bool HasSection(const std::string& section) override;
  std::optional<std::string> Read(const std::string& section, const std::string& key) override;

 private:
  const sv::IniFile& File();
  std::string path_;
  std::optional<sv::IniFile> file_;
};

}  // namespace player
