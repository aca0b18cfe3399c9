#include "player/CddbProtocol.h"

#include <charconv>
#include <map>

#include "base/Ascii.h"
#include "base/Utf.h"

namespace player {

namespace {

constexpr char kSettingsSection[] = "DATA";
constexpr char kServerKey[] = "CddbServer";
constexpr char kHelloHostKey[] = "CddbHelloHost";
constexpr std::size_t kMaxTracks = 99;
constexpr std::size_t kMaxCategory = 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::vector<std::string_view> Fields(std::string_view line, bool plusToo) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (IsBlank(line[at]) || (plusToo && line[at] == '+'))) ++at;
    const std::size_t start = at;
    while (at < line.size() && !IsBlank(line[at]) && !(plusToo && line[at] == '+')) ++at;
    if (at > start) fields.push_back(line.substr(start, at - start));
  }
  return fields;
}

// Lines ended by CR LF or LF alone.
std::vector<std::string_view> Lines(std::string_view body) {
  std::vector<std::string_view> lines;
  while (!body.empty()) {
    const std::size_t end = body.find('\n');
    std::string_view line = body.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    body.remove_prefix(end + 1);
  }
  return lines;
}

std::optional<long long> Number(std::string_view text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  for (char c : text)
    if (!IsDigit(c)) return std::nullopt;
  long long value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

bool IsHelloHost(std::string_view text) {
  if (text.empty() || text.size() > 64) return false;
  for (char c : text)
    if (!(IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-')) return false;
  return true;
}

std::string_view TrimSlashes(std::string_view server) {
  while (!server.empty() && server.back() == '/') server.remove_suffix(1);
  return server;
}

std::string Hello(std::string_view helloHost, std::string_view version) {
  std::string hello = "&hello=Sorivanel+";
  hello += helloHost;
  hello += "+Sorivanel+";
  hello += version;
  hello += "&proto=5";
  return hello;
}

// Server text into a cache value: Latin-1 made UTF-8, "\n" and "\t" blanks,
// "\\" one backslash, and no control character left to break the line.
std::string CleanValue(std::string_view raw) {
  std::string unescaped;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) {
      const char next = raw[i + 1];
      if (next == 'n' || next == 't') {
        unescaped += ' ';
        ++i;
        continue;
      }
      if (next == '\\') {
        unescaped += '\\';
        ++i;
        continue;
      }
    }
    unescaped += raw[i];
  }
  std::string value = sv::Latin1ToUtf8(unescaped);
  for (char& c : value)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return value;
}

}  // namespace

bool IsUsableHttpAddress(std::string_view address) {
  constexpr std::string_view kScheme = "http://";
  if (address.size() <= kScheme.size() || sv::LowerAscii(address.substr(0, kScheme.size())) != kScheme) return false;
  for (unsigned char c : address)
    if (c <= 0x20 || c == 0x7F) return false;
  return true;
}

std::string CddbServerFromSettings(const sv::IniFile& settings) {
  std::string server = settings.ReadString(kSettingsSection, kServerKey, "");
  return IsUsableHttpAddress(server) ? server : std::string(kDefaultCddbServer);
}

std::string CddbHelloHostFromSettings(const sv::IniFile& settings) {
  std::string host = settings.ReadString(kSettingsSection, kHelloHostKey, "");
  return IsHelloHost(host) ? host : std::string(kDefaultCddbHelloHost);
}

std::optional<DiscQuery> ParseDiscQuery(std::string_view text) {
  const auto pieces = Fields(text, true);
  if (pieces.size() < 4 || !IsCddbDiscId(pieces[0])) return std::nullopt;
  const auto count = Number(pieces[1]);
  if (!count || *count < 1 || static_cast<std::size_t>(*count) > kMaxTracks ||
      pieces.size() != static_cast<std::size_t>(*count) + 3) {
    return std::nullopt;
  }
  DiscQuery disc;
  disc.id = std::string(pieces[0]);
  for (std::size_t i = 0; i < static_cast<std::size_t>(*count); ++i) {
    const auto offset = Number(pieces[i + 2]);
    if (!offset || (!disc.offsets.empty() && *offset < disc.offsets.back())) return std::nullopt;
    disc.offsets.push_back(*offset);
  }
  const auto seconds = Number(pieces.back());
  if (!seconds || *seconds * 75 < disc.offsets.back()) return std::nullopt;
  disc.seconds = *seconds;
  for (std::string_view piece : pieces) {
    if (!disc.text.empty()) disc.text += '+';
    disc.text += piece;
  }
  return disc;
}

std::string CddbSectionName(std::string_view queryText) {
  std::string name(queryText);
  for (char& c : name)
    if (c == ' ') c = '+';
  return name;
}

std::string CddbQueryUrl(std::string_view server, const DiscQuery& disc, std::string_view helloHost,
                         std::string_view version) {
  std::string url(TrimSlashes(server));
  url += "/~cddb/cddb.cgi?cmd=cddb+query+";
  url += disc.text;
  url += Hello(helloHost, version);
  return url;
}

std::string CddbReadUrl(std::string_view server, std::string_view category, std::string_view discId,
                        std::string_view helloHost, std::string_view version) {
  std::string url(TrimSlashes(server));
  url += "/~cddb/cddb.cgi?cmd=cddb+read+";
  url += category;
  url += '+';
  url += discId;
  url += Hello(helloHost, version);
  return url;
}

bool IsCddbCategory(std::string_view text) {
  if (text.empty() || text.size() > kMaxCategory) return false;
  for (char c : text)
    if (c < 'a' || c > 'z') return false;
  return true;
}

bool IsCddbDiscId(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (!IsHex(c)) return false;
  return true;
}

CddbQueryReply ParseCddbQueryReply(std::string_view body) {
  CddbQueryReply reply;
  const auto lines = Lines(body);
  if (lines.empty()) return reply;
  const auto status = Fields(lines[0], false);
  if (status.empty()) return reply;
  std::vector<std::string_view> match;
  if (status[0] == "200") {
    match.assign(status.begin() + 1, status.end());
  } else if (status[0] == "210") {
    if (lines.size() < 2) return reply;
    match = Fields(lines[1], false);
  } else {
    if (status[0] == "202" || status[0] == "211") reply.kind = CddbQueryReply::Kind::NoMatch;
    return reply;
  }
  if (match.size() < 2 || !IsCddbCategory(match[0]) || !IsCddbDiscId(match[1])) return reply;
  reply.kind = CddbQueryReply::Kind::Match;
  reply.category = std::string(match[0]);
  reply.discId = std::string(match[1]);
  return reply;
}

CddbReadReply ParseCddbReadReply(std::string_view body, std::size_t trackCount, std::string_view discId) {
  CddbReadReply reply;
  const auto lines = Lines(body);
  if (lines.empty()) return reply;
  const auto status = Fields(lines[0], false);
  if (status.empty()) return reply;
  if (status[0] == "401") reply.kind = CddbReadReply::Kind::NotFound;
  // An entry for another disc must not be cached under this one.
  if (status[0] != "210" || status.size() < 3 || sv::LowerAscii(status[2]) != sv::LowerAscii(discId)) return reply;

  std::map<std::string, std::string> values;  // raw values, repeated keys joined
  bool ended = false;
  for (std::size_t i = 1; i < lines.size() && !ended; ++i) {
    const std::string_view line = lines[i];
    ended = line == ".";
    if (ended || line.empty() || line.front() == '#') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key = sv::LowerAscii(line.substr(0, equals));
    values[key] += line.substr(equals + 1);
  }
  // A reply cut before its end line (a server script that died, a close
  // mid-body) would cache missing titles for good.
  if (!ended) return reply;
  const auto value = [&](const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() ? std::string() : CleanValue(found->second);
  };
  const std::string title = value("dtitle");
  const std::size_t slash = title.find(" / ");
  reply.entry.artist = slash == std::string::npos ? title : title.substr(0, slash);
  reply.entry.album = slash == std::string::npos ? title : title.substr(slash + 3);
  reply.entry.year = value("dyear");
  reply.entry.genre = value("dgenre");
  for (std::size_t i = 0; i < trackCount; ++i) reply.entry.titles.push_back(value("ttitle" + std::to_string(i)));
  reply.kind = CddbReadReply::Kind::Entry;
  return reply;
}

std::string FormatTrackLength(long long seconds) {
  if (seconds < 0) seconds = 0;
  const auto two = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  const std::string minutesSeconds = two(seconds / 60 % 60) + ":" + two(seconds % 60);
  return seconds < 3600 ? minutesSeconds : two(seconds / 3600) + ":" + minutesSeconds;
}

std::vector<long long> TrackSeconds(const DiscQuery& disc) {
  std::vector<long long> lengths;
  for (std::size_t i = 0; i < disc.offsets.size(); ++i) {
    const long long end = i + 1 < disc.offsets.size() ? disc.offsets[i + 1] : disc.seconds * 75;
    lengths.push_back(end < disc.offsets[i] ? 0 : (end - disc.offsets[i]) / 75);
  }
  return lengths;
}

std::vector<std::pair<std::string, std::string>> CddbMatchKeys(const CddbEntry& entry, const DiscQuery& disc) {
  std::vector<std::pair<std::string, std::string>> keys{
      {"ARTIST", entry.artist}, {"ALBUM", entry.album}, {"YEAR", entry.year}, {"GENRE", entry.genre}};
  const auto lengths = TrackSeconds(disc);
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    keys.emplace_back("TITLE" + n, i < entry.titles.size() ? entry.titles[i] : std::string());
    keys.emplace_back("LENGTH" + n, FormatTrackLength(lengths[i]));
  }
  keys.emplace_back("MATCH", "1");
  return keys;
}

}  // namespace player
