#pragma once
// The CD database over HTTP (protocol level 5): the request addresses, the
// disc's query text, the query and read replies, and what a reply leaves in
// the cache. Server text is parsed by lines and fields and checked before it
// goes into a request or the cache file.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/IniFile.h"

namespace player {

inline constexpr char kCddbCacheFileName[] = "Sorivanel.cddb";
inline constexpr char kDefaultCddbServer[] = "http://cddb.sorivanel.invalid";
inline constexpr char kDefaultCddbHelloHost[] = "sorivanel.invalid";

// Settings ("DATA"): the server's address ("http://host[:port]") and the host
// name the hello field carries. A missing or unusable value gives the default.
std::string CddbServerFromSettings(const sv::IniFile& settings);
std::string CddbHelloHostFromSettings(const sv::IniFile& settings);
// "http://" followed by at least one character, with no blank or control
// character.
bool IsUsableHttpAddress(std::string_view address);

// The disc's query text "discid ntracks offset1 ... offsetN seconds".
struct DiscQuery {
  std::string text;               // the pieces as given, joined by '+'
  std::string id;                 // 8 hexadecimal digits
  std::vector<long long> offsets;  // frames of 1/75 s, never decreasing
  long long seconds = 0;
};
// Accepts blanks or '+' between the pieces; nothing for 1..99 tracks, a piece
// count other than N + 3, a piece that is not a number, decreasing offsets or
// a total that ends before the last track starts.
std::optional<DiscQuery> ParseDiscQuery(std::string_view text);
// The cache section's name: the query text with '+' for every blank.
std::string CddbSectionName(std::string_view queryText);

// "http://server/~cddb/cddb.cgi?cmd=cddb+query+<text>&hello=...&proto=5".
std::string CddbQueryUrl(std::string_view server, const DiscQuery& disc, std::string_view helloHost,
                         std::string_view version);
std::string CddbReadUrl(std::string_view server, std::string_view category, std::string_view discId,
                        std::string_view helloHost, std::string_view version);

bool IsCddbCategory(std::string_view text);  // [a-z]+, at most 20 characters
bool IsCddbDiscId(std::string_view text);    // 8 hexadecimal digits

struct CddbQueryReply {
  enum class Kind { Match, NoMatch, Failed } kind = Kind::Failed;
  std::string category;
  std::string discId;
};
// 200: the match on the status line; 210: the first match line after it;
// 202 and 211: no match (definitive); any other reply, a missing line or
// field, or a category or id that fails its check: failed.
CddbQueryReply ParseCddbQueryReply(std::string_view body);

struct CddbEntry {
  std::string artist, album, year, genre;
  std::vector<std::string> titles;  // titles[i] from "TTITLE" i; missing ones empty
};
struct CddbReadReply {
  enum class Kind { Entry, NotFound, Failed } kind = Kind::Failed;
  CddbEntry entry;
};
// 210 naming discId (the one asked for) and ended by its "." line: the entry
// (Latin-1 text made UTF-8, repeated keys joined in order, escapes decoded,
// control characters made blanks, at most trackCount titles); 401: not found
// (definitive); anything else, a cut reply or another disc's: failed.
CddbReadReply ParseCddbReadReply(std::string_view body, std::size_t trackCount, std::string_view discId);

// Whole seconds as "nn:ss" under an hour, else "hh:nn:ss"; below 0 is 0.
std::string FormatTrackLength(long long seconds);
// Track lengths in seconds from the disc's offsets and total.
std::vector<long long> TrackSeconds(const DiscQuery& disc);

// The cache keys for a found disc, in the order they are written.
std::vector<std::pair<std::string, std::string>> CddbMatchKeys(const CddbEntry& entry, const DiscQuery& disc);

}  // namespace player
