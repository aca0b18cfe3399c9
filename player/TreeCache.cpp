#include "player/TreeCache.h"

#include <algorithm>
#include <charconv>

#include "base/TextFile.h"

namespace player {

std::string WriteTreeCache(const std::vector<TreeLine>& lines) {
  std::string out;
  for (const TreeLine& line : lines) {
    out.append(static_cast<std::size_t>(std::max(line.Level, 0)), '\t');
    for (const char c : line.Text) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    out += "\r\n";
  }
  return sv::Utf8FileBytes(out);
}

TreeCacheRead ReadTreeCache(std::string_view text) {
  TreeCacheRead result;
  std::size_t lineNumber = 0;
  int previous = -1;  // the level of the node read last; none yet
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n' && (start == end || text[start - 1] == '\r')) ++start;
    ++lineNumber;

    const std::size_t tabs = std::min(line.find_first_not_of('\t'), line.size());
    const std::string_view name = line.substr(tabs);
    if (name.empty()) continue;
    int level = previous < 0 ? 0 : static_cast<int>(std::min<std::size_t>(tabs, 1u << 20));
    if (level > previous + 1) {
      result.Malformed = true;
      result.BadLine = lineNumber;
      break;
    }
    result.Lines.push_back({level, std::string(name)});
    previous = level;
  }
  return result;
}

std::vector<int> ParseExpandedNodes(std::string_view text) {
  std::vector<int> indices;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view piece = text.substr(start, end - start);
    int value = 0;
    const auto [at, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (!piece.empty() && error == std::errc() && at == piece.data() + piece.size() && value >= 0)
      indices.push_back(value);
    start = end + 1;
  }
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

std::string FormatExpandedNodes(const std::vector<int>& indices) {
  std::string out;
  for (const int index : indices) {
    if (!out.empty()) out += ',';
    out += std::to_string(index);
  }
  return out;
}

}  // namespace player
