#pragma once
// URL pieces of the internet client: splitting, "./" and "../" against a
// current path, the n-th occurrence of a text, URL encoding, the base of a
// URL and file extension replacement. All work on byte strings (UTF-8 stays
// as its bytes) and none raises.

#include <cstdint>
#include <string>
#include <string_view>

namespace sv::net {

struct UrlParts {
  std::string protocol;  // lower case; empty when the URL names none
  std::string user;
  std::string password;
  std::string host;
  std::string port;  // as written; not checked to be numeric
  std::string path;  // from the first "/" or "?", query included
};

// Splits url. A URL starting with "./" or "../" only yields a path, resolved
// against currentPath (never climbing above "/"). Text before "://" is a
// protocol only when it consists of lower-case letters, digits, "+", "-" and
// "." once lower-cased; otherwise the protocol is "http" and the whole text
// is read as host part. The authority splits at its last "@" and, after it,
// its last ":".
UrlParts ParseURL(std::string_view url, std::string_view currentPath = {});

// 1-based position of the n-th occurrence of what in text. n > 0 counts from
// the start and gives text.size() + 1 when there are fewer; n < 0 counts from
// the end and gives 0 when there are fewer; n = 0 gives 0, as does an empty
// what.
int64_t FindNthPos(std::string_view what, std::string_view text, int n);

// Keeps ASCII letters and digits; every other byte becomes "%XX" in upper
// case (never "+"). UTF-8 text thus comes out as its encoded bytes.
std::string EncodeUrl(std::string_view text);

// The URL up to and including its last "/" or ":" before any "?"; empty when
// there is none.
std::string GetBaseUrl(std::string_view url);

// Replaces what follows the name's last "." by ext, or appends "." + ext.
std::string ReplaceExt(std::string_view name, std::string_view ext);

}  // namespace sv::net
