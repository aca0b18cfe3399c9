#pragma once
// The sending half of the HTTP client's wire format: where a request goes
// (server or proxy, with the proxy's absolute form of the path), the request
// header lines in their fixed order, the If-Modified-Since date and the
// document name. Nothing here touches a socket.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sv::net {

// True when text holds no byte below 0x20 and no 0x7F: such bytes in a
// request line or Host would let a URL or Location inject header lines.
bool IsSafeRequestText(std::string_view text);

// A port as written in a URL or proxy setting: decimal digits only, 1 to
// 65535. Anything else (ports above 65535 included) is refused.
std::optional<uint16_t> ParsePortNumber(std::string_view text);

// Where one request goes, worked out from URL and proxy settings.
struct HttpTarget {
  std::string protocol = "http";
  std::string hostName;            // the host the socket connects to
  std::string connectPort = "80";  // and its port
  std::string targetHost;          // the server named by the URL
  std::string targetPort = "80";
  std::string path;                // what the request line names
  std::string docName;
  std::string user;                // credentials written in the URL
  std::string password;
  bool viaProxy = false;
};

// Splits url (and proxy, "host", "host:port" or a URL; empty for a direct
// connection, proxyPort when it names no port). Returns nullopt for a URL
// without host, with control characters, or with a port that does not
// parse: the request must then end with "invalid URL".
std::optional<HttpTarget> PlanRequest(std::string_view url, std::string_view proxy = {},
                                      std::string_view proxyPort = "80");

// Cut at "?"; empty or ending in "/" gives "document.htm"; else the text
// after the last "/", at most 255 characters.
std::string AdjustDocName(std::string_view docName);

struct CivilDateTime {
  int year = 1970;
  int month = 1;  // 1-12
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// "Ddd, dd Mon yyyy hh:mm:ss GMT" with no time-zone conversion, as the
// If-Modified-Since value.
std::string HttpDate(const CivilDateTime& when);

struct HttpRequestFields {
  std::string method = "GET";  // GET, POST, PUT or HEAD
  std::string path = "/";
  std::string version = "1.0";
  std::string from;
  std::string accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  std::string referer;
  std::string connection;
  std::string acceptLanguage;
  std::string acceptEncoding;  // the coding handler's value; not sent for HEAD
  std::string contentType = "application/x-www-form-urlencoded";  // POST and PUT
  std::string userAgent = "Mozilla/4.0 (compatible; Sorivanel)";
  std::string targetHost;
  std::string targetPort = "80";
  bool noCache = false;
  std::string proxyConnection;
  int64_t contentLength = 0;  // POST and PUT; negative counts as 0
  std::string ifModifiedSince;  // an HttpDate, or empty
  std::string authorization;
  std::string proxyAuthorization;
  std::string cookie;
  std::string rangeBegin;
  std::string rangeEnd;
};

// The header lines without their CR LF, request line first, in the fixed
// order; a line with an empty value is left out.
std::vector<std::string> BuildRequestLines(const HttpRequestFields& fields);

// Each line and CR LF, then the blank line: the bytes queued in one piece.
// Returns nullopt when the request line or Host line holds control bytes.
std::optional<std::string> JoinRequestHeader(const std::vector<std::string>& lines);

}  // namespace sv::net
