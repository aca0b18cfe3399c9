#include "sono/net/HttpRequest.h"

namespace sono::net {

std::string BuildStreamRequest(const HttpUrl& target, const ProxySetting* proxy) {
  std::string request = "GET " + (proxy ? target.Absolute() : target.path) + " HTTP/1.0\r\n";
  request += "Host: " + target.Authority() + "\r\n";
  request += "User-Agent: Sorivanel\r\nAccept: */*\r\nIcy-MetaData: 1\r\n";
  if (proxy && !proxy->user.empty()) request += "Proxy-Authorization: " + proxy->BasicCredentials() + "\r\n";
  request += "Connection: close\r\n\r\n";
  return request;
}

}  // namespace sono::net
