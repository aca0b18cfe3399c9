#include "player/PlaylistFiles.h"

#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "base/Ascii.h"
#include "base/IniFile.h"
#include "base/Paths.h"
#include "base/StringList.h"
#include "base/TextFile.h"
#include "player/Extensions.h"
#include "player/TextPieces.h"

namespace player {
namespace {

constexpr std::string_view kHeader = "#EXTM3U";
constexpr std::string_view kExtInf = "#EXTINF:-1,";

// The name shown for an entry: what follows the last '\' or ':', so a stream
// address shows what follows its scheme or port.
std::string ShownName(std::string_view path) {
  const std::size_t at = path.find_last_of("\\:");
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

// Walks the lines an M3U reader keeps and hands each one over with the line
// index and its full path or address.
template <typename Take>
void ForEachM3uEntry(const std::vector<std::string>& lines, std::string_view folder,
                     const std::vector<std::string>& supported, Take take) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view s = sv::Trim(lines[i]);
    if (s.empty() || s.front() == '#') continue;
    const bool url = IsStreamUrl(s);
    if (!url && !IsSupportedFile(s, supported)) continue;
    take(i, url ? std::string(s) : sv::ExpandFileName(s, folder), url);
  }
}

// "#EXTINF:" only ever titles the line right after it.
std::string TitleBefore(const std::vector<std::string>& lines, std::size_t i) {
  return i > 0 ? GetExtInfTitle(lines[i - 1]) : std::string();
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && sv::SameTextAscii(s.substr(0, prefix.size()), prefix);
}


std::vector<std::string> ListLines(const std::vector<std::string>& paths, const std::vector<std::string>& texts,
                                   const std::function<std::string(const std::string&)>& pathLine) {
  std::vector<std::string> lines;
  lines.reserve(1 + 2 * paths.size());
  lines.emplace_back(kHeader);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (i < texts.size() && !StartsWithNoCase(texts[i], kNoFileText))
      lines.push_back(std::string(kExtInf) + std::string(sv::Trim(OneLineText(texts[i]))));
    lines.push_back(pathLine(paths[i]));
  }
  return lines;
}

// A relative path that begins with a blank or '#' would be trimmed or taken
// for a comment when read back; ".\" in front keeps it the same file.
std::string SafeRelative(std::string path) {
  if (!path.empty() && (static_cast<unsigned char>(path.front()) <= ' ' || path.front() == '#')) path.insert(0, ".\\");
  return path;
}

}  // namespace

std::string OneLineText(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return out;
}

std::vector<PlaylistEntry> ReadOwnPlaylist(const std::vector<std::string>& lines, std::string_view folder,
                                           const std::vector<std::string>& supported,
                                           const FileExistsFunction& fileExists) {
  std::vector<PlaylistEntry> entries;
  ForEachM3uEntry(lines, folder, supported, [&](std::size_t i, std::string path, bool url) {
    // The shown name comes from the path, which may hold any byte: the
    // text is made one line like every other title.
    std::string text;
    if (url || fileExists(path)) {
      const std::string title = TitleBefore(lines, i);
      text = " " + OneLineText(title.empty() ? ShownName(path) : title);
    } else {
      text = std::string(kNoFileText) + OneLineText(ShownName(path));
    }
    entries.push_back({std::move(path), std::move(text)});
  });
  return entries;
}

std::vector<ImportedEntry> ParseM3u(const std::vector<std::string>& lines, std::string_view folder,
                                    const std::vector<std::string>& supported) {
  std::vector<ImportedEntry> entries;
  ForEachM3uEntry(lines, folder, supported, [&](std::size_t i, std::string path, bool) {
    entries.push_back({std::move(path), TitleBefore(lines, i)});
  });
  return entries;
}

std::vector<ImportedEntry> ParsePls(std::string_view fileBytes, std::string_view folder) {
  const sv::IniFile ini("", fileBytes);
  // The file is read once: a look-up per key would make a long list
  // quadratic.
  std::unordered_map<std::string, std::string> values;
  for (auto& [key, value] : ini.ReadSectionValues("playlist")) values.emplace(sv::LowerAscii(key), std::move(value));
  std::vector<ImportedEntry> entries;
  for (int i = 1;; ++i) {
    const std::string number = std::to_string(i);
    const auto file = values.find("file" + number);
    if (file == values.end()) break;
    std::string path = file->second;
    if (!IsStreamUrl(path)) path = sv::ExpandFileName(path, folder);
    const auto title = values.find("title" + number);
    entries.push_back({std::move(path), title == values.end() ? std::string() : title->second});
  }
  return entries;
}

std::vector<std::string> OwnPlaylistLines(const std::vector<std::string>& paths, const std::vector<std::string>& texts,
                                          std::string_view exeFolder) {
  const std::string base = sv::IncludeTrailingBackslash(exeFolder);
  return ListLines(paths, texts,
                   [&](const std::string& path) { return SafeRelative(sv::ExtractRelativePath(base, path)); });
}

bool SavedListIsRelative(const std::vector<std::string>& paths, std::string_view chosenFile) {
  const std::string folder = sv::ExtractFilePath(chosenFile);
  for (const std::string& path : paths) {
    if (IsStreamUrl(path)) return false;
    const std::size_t slash = path.rfind('\\');
    const std::string_view entryFolder =
        slash == std::string::npos ? std::string_view() : std::string_view(path).substr(0, slash + 1);
    if (!StartsWithNoCase(entryFolder, folder)) return false;
  }
  return true;
}

std::vector<std::string> SavedListLines(const std::vector<std::string>& paths, const std::vector<std::string>& texts,
                                        std::string_view chosenFile) {
  if (!SavedListIsRelative(paths, chosenFile))
    return ListLines(paths, texts, [](const std::string& path) { return path; });
  const std::string folder = sv::ExtractFilePath(chosenFile);
  return ListLines(paths, texts,
                   [&](const std::string& path) { return SafeRelative(sv::ExtractRelativePath(folder, path)); });
}

std::string EncodePlaylistText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return sv::Utf8FileBytes(text);
}

bool ReadPlaylistLines(const std::string& path, std::vector<std::string>& lines) {
  std::error_code ec;
  if (!std::filesystem::exists(sv::PathFromUtf8(path), ec)) return false;
  sv::StringList list;
  list.SetText(sv::ReadTextFile(path));
  lines = list.Items();
  return true;
}

void WritePlaylistFile(const std::string& path, const std::vector<std::string>& lines) {
  sv::WriteFileAtomic(path, EncodePlaylistText(lines));
}

std::string BesideListName(std::string_view path, const FileExistsFunction& taken) {
  const std::string extension = sv::ExtractFileExt(path);
  const std::string stem(path.substr(0, path.size() - extension.size()));
  for (int n = 2;; ++n) {
    std::string name = stem + " (" + std::to_string(n) + ")" + extension;
    if (!taken(name)) return name;
  }
}

}  // namespace player
