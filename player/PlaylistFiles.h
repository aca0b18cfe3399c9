#pragma once
// Playlist files: the player's own extended-M3U list beside the executable,
// the import of M3U and PLS lists, and the lines of a list saved by the user.
// Everything here is text work; the main window owns the lists, playback and
// the titles read from tags.
//
// Paths follow Windows rules whatever the build platform ('\' separators,
// drive letters, UNC shares) through base/Paths.h: ExpandFileName resolves
// ".", ".." and "\"-rooted paths against a folder, and ExtractRelativePath is
// the relative-path rule. A drive-relative path such as "C:x" is taken
// relative to the folder when the folder lies on that drive, else relative to
// that drive's root: the current folder of another drive is never known here.
//
// Text encoding of every M3U and PLS file, read or written:
// - Reading: UTF-8 with a BOM is UTF-8, but for a line that is not, which is
//   in the system's ANSI code page; UTF-16 with a BOM (either byte order)
//   is decoded; otherwise bytes that are valid UTF-8 are UTF-8, and anything
//   else is in the system's ANSI code page, as lists written by older
//   versions and by other programs.
// - Writing: UTF-8, so that no name is ever lost to a code page; a file
//   that holds anything beyond ASCII begins with the UTF-8 BOM, so that
//   other programs read it as UTF-8 too, and a plain-ASCII file is the bare
//   "#EXTM3U" text.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace player {

// The display text of an entry whose file is gone, before its file name.
inline constexpr std::string_view kNoFileText = " No File... ";

// One entry of the own playlist as the main window shows it: the full path or
// stream address, and the display text.
struct PlaylistEntry {
  std::string Path;
  std::string Text;
};

// One entry of an imported list: the full path or stream address, and the
// title the list gives it (empty when none). An M3U title is shown after a
// blank, a PLS title as it is; without one the caller builds the display
// title from the file.
struct ImportedEntry {
  std::string Path;
  std::string Title;
};

// A display text as one line: control characters (line breaks, tabs, ...)
// become blanks. Titles come from tags, lists and stations; a break inside
// one would cut an entry of a written list from its "#EXTINF:" line.
std::string OneLineText(std::string_view text);

using FileExistsFunction = std::function<bool(const std::string&)>;

// The own playlist at start-up, without reading any tag. lines are the
// file's lines; folder is the playlist's folder (absolute), against which
// relative paths resolve. Lines are trimmed; "#" lines, and lines that are
// neither a supported file nor a stream address, are skipped. The text is
// " " + the "#EXTINF:" title of the line just before when that title is not
// empty, else " " + the file name (after the last '\' or ':'); an absent file
// reads " No File... " + its file name. Stream addresses are never looked up.
std::vector<PlaylistEntry> ReadOwnPlaylist(const std::vector<std::string>& lines, std::string_view folder,
                                           const std::vector<std::string>& supported,
                                           const FileExistsFunction& fileExists);

// An M3U list to import: the same lines as the own playlist, each with the
// "#EXTINF:" title of the line just before it.
std::vector<ImportedEntry> ParseM3u(const std::vector<std::string>& lines, std::string_view folder,
                                    const std::vector<std::string>& supported);

// A PLS list from the file's bytes: section "playlist", keys File1, File2,
// ... up to the first number without a key (names ignore case), each with
// its Title<n>. Entries are taken whatever they name; paths that are not
// stream addresses resolve against folder.
std::vector<ImportedEntry> ParsePls(std::string_view fileBytes, std::string_view folder);

// The lines of the own playlist from the two parallel lists of the main
// window: paths, and display texts (texts may be shorter: an entry without a
// text gets no "#EXTINF:" line, as does one whose text begins with
// " No File... " in any case). Paths are written relative to exeFolder.
std::vector<std::string> OwnPlaylistLines(const std::vector<std::string>& paths, const std::vector<std::string>& texts,
                                          std::string_view exeFolder);

// Whether a list saved as chosenFile keeps relative paths: every entry's
// folder begins with the chosen file's folder (ASCII case ignored), and no
// entry is a stream address.
bool SavedListIsRelative(const std::vector<std::string>& paths, std::string_view chosenFile);

// The lines of a list saved by the user as chosenFile: as the own playlist,
// with paths relative to the chosen file's folder when SavedListIsRelative,
// else every entry as stored.
std::vector<std::string> SavedListLines(const std::vector<std::string>& paths, const std::vector<std::string>& texts,
                                        std::string_view chosenFile);

// The bytes of a list file by the writing rule above; every line ends with
// CR LF.
std::string EncodePlaylistText(const std::vector<std::string>& lines);

// The file's lines by the reading rule above (breaks at CR, LF or CR LF).
// False when nothing exists at path; FileReadError when something does but
// cannot be read.
bool ReadPlaylistLines(const std::string& path, std::vector<std::string>& lines);

// Replaces the file at once, or raises FileWriteError and leaves any old file
// as it was.
void WritePlaylistFile(const std::string& path, const std::vector<std::string>& lines);

// Where a list goes that cannot replace the file at path: beside it, as
// "name (2).ext", "name (3).ext", ..., the first name that nothing takes.
std::string BesideListName(std::string_view path, const FileExistsFunction& taken);

}  // namespace player
