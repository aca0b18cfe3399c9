#pragma once
// The HTTP client's settings, states, events and exception, shared by the
// component and the engine that runs its requests.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "net/core/HttpRequestBuilder.h"
#include "net/win32/HttpStream.h"
#include "net/win32/SocksNetSocket.h"

namespace sv::net {

class THttpClient;

enum class THttpState {
  httpReady, httpNotConnected, httpConnected, httpDnsLookup, httpDnsLookupDone, httpWaitingHeader,
  httpWaitingBody, httpBodyReceived, httpWaitingProxyConnect, httpClosing, httpAborting,
};

// httpCLOSE ends a kept connection; it is the one kind a busy client takes.
enum class THttpRequest { httpGET = 1, httpPOST = 2, httpPUT = 3, httpHEAD = 4, httpCLOSE = 5 };

enum class THttpClientOption {
  httpoNoBasicAuth, httpoNoNTLMAuth, httpoBandwidthControl, httpoEnableContentCoding, httpoUseQuality,
};

class THttpClientOptions {
 public:
  constexpr THttpClientOptions() = default;
  constexpr THttpClientOptions(std::initializer_list<THttpClientOption> options) {
    for (THttpClientOption option : options) Include(option);
  }
  constexpr bool Contains(THttpClientOption option) const { return (bits_ & Bit(option)) != 0; }
  constexpr void Include(THttpClientOption option) { bits_ = static_cast<std::uint8_t>(bits_ | Bit(option)); }
  constexpr void Exclude(THttpClientOption option) { bits_ = static_cast<std::uint8_t>(bits_ & ~Bit(option)); }

 private:
  static constexpr std::uint8_t Bit(THttpClientOption option) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(option));
  }
  std::uint8_t bits_ = 0;
};

// ErrCode: 1 busy, 2 nothing to post, 5 unsupported version, else the
// status that ended a blocking call.
class EHttpException : public sv::Exception {
 public:
  EHttpException(const std::string& message, int errCode) : sv::Exception(message), ErrCode(errCode) {}
  int ErrCode;
};

// What a request is made of; the client copies it when a call starts.
struct HttpClientSettings {
  std::string URL;
  std::string LocalAddr = "0.0.0.0";
  std::string Proxy;  // empty: direct
  std::string ProxyPort = "80";
  std::string Sender;
  std::string Agent = "Mozilla/4.0 (compatible; Sorivanel)";
  std::string Accept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  std::string AcceptLanguage;
  std::string Reference;
  std::string Connection;
  std::string ProxyConnection;
  std::string Username;
  std::string Password;
  std::string ProxyUsername;
  std::string ProxyPassword;
  bool NoCache = false;
  // Sent as If-Modified-Since, taken as GMT without conversion.
  std::optional<CivilDateTime> ModifiedSince;
  std::string Cookie;
  // Sent as "Range: bytes=Begin-End" when either is set, then cleared; a
  // "content-range" reply sets them again.
  std::string ContentRangeBegin;
  std::string ContentRangeEnd;
  std::string ContentTypePost = "application/x-www-form-urlencoded";
  std::string RequestVer = "1.0";  // "1.0" or "1.1"
  bool MultiThreaded = false;
  bool FollowRelocation = true;
  int LocationChangeMaxCount = 5;
  // With httpoBandwidthControl, the response is read at about BandwidthLimit
  // bytes per second, measured over samples of BandwidthSampling ms. A
  // limit of 0 or less reads without limit.
  int BandwidthLimit = 10000;
  int BandwidthSampling = 1000;
  // With SocksServer set, each connection goes through that SOCKS server;
  // the values are copied to the socket before each connection.
  std::string SocksServer;
  std::string SocksLevel = "5";  // "4", "4A" or "5"
  std::string SocksPort;
  std::string SocksUsercode;
  std::string SocksPassword;
  TSocksAuthentication SocksAuthentication = TSocksAuthentication::socksNoAuthentication;
  // httpoNoBasicAuth / httpoNoNTLMAuth: never answer a challenge with that
  // scheme; httpoBandwidthControl limits the receiving rate as above;
  // httpoEnableContentCoding sends Accept-Encoding and decodes the
  // body, httpoUseQuality adds quality values to it.
  THttpClientOptions Options;
  // Milliseconds; 0 waits without limit. A server silent for IdleTimeout, or
  // a call running past TotalTimeout, ends the call with an error.
  unsigned IdleTimeout = 0;
  unsigned TotalTimeout = 0;
  // Bytes; 0: no limit. A longer body fails the call.
  std::int64_t MaxBodySize = 0;
  // Owned by the caller: the body is appended to ReceiveStream; POST and
  // PUT send SendStream from its position to its end.
  ByteStream* ReceiveStream = nullptr;
  ByteStream* SendStream = nullptr;
};

// Bounds for a caller that fetches a small document from a server it does
// not control: the component's own defaults (0) wait and take without
// limit, so a silent peer would hold a blocking call for ever and an
// endless body would fill memory.
struct HttpClientBounds {
  unsigned IdleTimeout = 30000;
  unsigned TotalTimeout = 120000;
  std::int64_t MaxBodySize = 1 << 20;
};

inline void ApplyBounds(HttpClientSettings& settings, const HttpClientBounds& bounds = {}) {
  settings.IdleTimeout = bounds.IdleTimeout;
  settings.TotalTimeout = bounds.TotalTimeout;
  settings.MaxBodySize = bounds.MaxBodySize;
}

struct HttpClientEvents {
  // Every trace line the client writes, whatever the logger wants, so that a
  // caller without a logger can follow a request too.
  std::function<void(THttpClient* sender, const std::string& text)> OnTrace;
  std::function<void(THttpClient* sender)> OnSessionConnected;
  std::function<void(THttpClient* sender)> OnSessionClosed;
  // A request header line (the closing blank line too) just before it is
  // queued; the handler may change it.
  std::function<void(THttpClient* sender, std::string& line)> OnCommand;
  std::function<void(THttpClient* sender)> OnHeaderBegin;
  std::function<void(THttpClient* sender)> OnHeaderEnd;
  std::function<void(THttpClient* sender)> OnRequestHeaderBegin;
  std::function<void(THttpClient* sender)> OnRequestHeaderEnd;
  // The whole request header, request line first, before OnCommand sees
  // each line; the handler may change the list.
  std::function<void(THttpClient* sender, const std::string& method, std::vector<std::string>& headers)>
      OnBeforeHeaderSend;
  std::function<void(THttpClient* sender)> OnSendBegin;
  std::function<void(THttpClient* sender, const char* buffer, std::size_t len)> OnSendData;
  std::function<void(THttpClient* sender)> OnSendEnd;
  // Posted once a request has ended (also after a blocking call); errCode is
  // the socket error that ended it, 3 for an abort, else 0.
  std::function<void(THttpClient* sender, THttpRequest rqType, std::uint16_t errCode)> OnRequestDone;
  // Bytes arrived while no request waits for any; they are dropped.
  std::function<void(THttpClient* sender, std::uint16_t errCode)> OnDataPush;
  // The reply's first line is not an HTTP/1.0 or 1.1 status line.
  std::function<void(THttpClient* sender)> OnDataPush2;
  // The SOCKS server granted the connection (0) or refused it.
  std::function<void(THttpClient* sender, std::uint16_t errCode)> OnSocksConnected;
  std::function<void(THttpClient* sender, TSocksAuthState authState)> OnSocksAuthState;
  std::function<void(THttpClient* sender, std::int32_t error, const std::string& msg)> OnSocksError;
  // The socket reported a failure (its LastError) instead of raising it.
  std::function<void(THttpClient* sender, int error)> OnSocketError;
  std::function<void(THttpClient* sender, const std::string& line)> OnHeaderData;
  std::function<void(THttpClient* sender, const std::string& data, bool& accept)> OnCookie;
  std::function<void(THttpClient* sender)> OnDocBegin;
  std::function<void(THttpClient* sender, const char* buffer, std::size_t len)> OnDocData;
  std::function<void(THttpClient* sender)> OnDocEnd;
  std::function<void(THttpClient* sender)> OnLocationChange;
  std::function<void(THttpClient* sender, int relocationCount, bool& allowMoreRelocations)> OnLocationChangeExceeded;
  std::function<void(THttpClient* sender)> OnStateChange;
};

// What the last request left behind.
struct HttpClientResult {
  int StatusCode = 0;
  std::string ReasonPhrase;
  std::vector<std::string> RcvdHeader;
  std::int64_t ContentLength = -1;
  std::string ContentType;
  std::string TransferEncoding;
  std::string ContentEncoding;
  std::string Location;
  std::string DocName;
  std::string AcceptRanges;
  int RequestDoneError = 0;
  bool BodyReceived = false;
};

}  // namespace sv::net
