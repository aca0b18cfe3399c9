#include "player/DisplayTitle.h"

#include "base/Paths.h"
#include "player/Extensions.h"
#include "player/PathPieces.h"
#include "player/TitleFormat.h"

namespace player {

namespace {

// The file system with the entry taken as present, so that the song
// information does not look for it again: a playlist refresh pays for one
// look per entry at most.
class AssumedPresent final : public sv::tags::FileSystem {
 public:
  AssumedPresent(sv::tags::FileSystem& inner, const std::string& path) : inner_(inner), path_(path) {}
  std::unique_ptr<sv::tags::RandomAccessFile> OpenRead(const std::string& path,
                                                       sv::tags::ReadSharing sharing) override {
    return inner_.OpenRead(path, sharing);
  }
  std::unique_ptr<sv::tags::RandomAccessFile> OpenReadWrite(const std::string& path) override {
    return inner_.OpenReadWrite(path);
  }
  std::unique_ptr<sv::tags::RandomAccessFile> CreateNew(const std::string& path) override {
    return inner_.CreateNew(path);
  }
  bool Exists(const std::string& path) override { return path == path_ || inner_.Exists(path); }
  bool Remove(const std::string& path) override { return inner_.Remove(path); }
  bool Replace(const std::string& source, const std::string& target) override {
    return inner_.Replace(source, target);
  }
  bool GetAttributes(const std::string& path, std::uint32_t& attributes) override {
    return inner_.GetAttributes(path, attributes);
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return inner_.SetAttributes(path, attributes);
  }

 private:
  sv::tags::FileSystem& inner_;
  const std::string& path_;
};

}  // namespace

std::string GetSongDisplayTitle(std::string_view path, const TitleFormats& formats, TitleSources& sources) {
  // A stream address is never looked up on disk.
  if (IsStreamUrl(path)) return " " + std::string(path);
  const std::string file(path);
  const PathPieces pieces = SplitPathPieces(path);
  const bool cdTrack = IsCdTrackFile(path);
  const bool wantLength = FormatWantsLength(formats.tagged) || FormatWantsLength(formats.untagged);

  const auto tagged = [&](const sv::tags::TSongInfo& song) {
    TitleValues values;
    values.length = song.DurationText;
    values.artist = song.Artist;
    values.album = song.Album;
    values.trackNb = song.Track;
    values.trackTitle = song.Title;
    values.year = song.Year;
    values.path = pieces;
    return ExpandTitleFormat(formats.tagged, values);
  };
  // A file whose tag is read exists: most entries of a refresh are tagged
  // files, and the tag read answers without a separate look at the file.
  // Without a tag, or when a length is to be measured, the look comes first.
  if (formats.readMetaTags && !cdTrack && !wantLength) {
    AssumedPresent files(sources.files, file);
    sv::tags::TSongInfo song(sources.lengths, files);
    song.Load(file, false, false);
    if (song.Found) return tagged(song);
  }
  if (!sources.files.Exists(file)) return " No File... " + sv::ExtractFileName(path);
  if (cdTrack) {
    const auto cache = sources.openCdCache();
    return CdTrackTitle(path, pieces, formats.readCddb, {formats.tagged, formats.cd}, sources.drives, *cache,
                        sources.timer);
  }
  if (!formats.readMetaTags || !wantLength) return ExpandFileTitleFormat(formats.untagged, pieces, {});

  AssumedPresent files(sources.files, file);
  sv::tags::TSongInfo song(sources.lengths, files);
  song.Load(file, true, false);
  if (song.Found) return tagged(song);
  return ExpandFileTitleFormat(formats.untagged, pieces, song.DurationText);
}

}  // namespace player
