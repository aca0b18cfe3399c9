#pragma once
// The HTTP client's answers to 401 (server) and 407 (proxy): Basic and NTLM
// state per side, which request line each state sends, and whether a
// response is answered with a new request. Nothing is sent before a server
// or proxy asks.
#include <functional>
#include <string>
#include <vector>

#include "net/win32/NetLogger.h"

namespace sv::net {

struct HttpCredentials {
  std::string user;
  std::string password;
  bool Usable() const { return !user.empty() && !password.empty(); }
};

// What the authentication needs to know of one finished response.
struct HttpAuthResponse {
  int statusCode = 0;
  std::vector<std::string> challenges;  // www-authenticate and proxy-authenticate
  bool closeAfter = true;               // the connection ends with this response
  bool http10 = true;                   // request or response was HTTP/1.0
};

struct HttpAuthOptions {
  bool noBasicAuth = false;
  bool noNTLMAuth = false;
};

class HttpAuthenticator {
 public:
  // NTLM: 0 none, 1 negotiation to send, 3 authenticate to send, 4 done.
  int AuthNTLMState = 0;
  int ProxyAuthNTLMState = 0;
  // Basic: 0 none, 1 credentials to send, 2 done.
  int AuthBasicState = 0;
  int ProxyAuthBasicState = 0;
  // Lines telling the exchange's progress, for tracing only.
  std::function<void(TLogOption option, const std::string& text)> OnTrace;

  void Reset();
  // After a relocation to another server: its exchange starts over.
  void ResetServer();

  // Moves the states on from any completed response: a success ends an
  // exchange, so that a followed relocation sends no stale answer.
  void Update(int statusCode);
  // Answers a 401 or 407 when a scheme can (call Update first). True when
  // the request must go out again. localHost names this machine for the NTLM
  // answer and is asked only then. connection/proxyConnection are the
  // request's Connection and Proxy-Connection values, which NTLM turns to
  // keep-alive on HTTP/1.0 because its exchange needs one connection.
  bool Answer(const HttpAuthResponse& response, const HttpCredentials& server, const HttpCredentials& proxy,
              const HttpAuthOptions& options, const std::function<std::string()>& localHost,
              std::string& connection, std::string& proxyConnection);

  // Values of the "Authorization: " and "Proxy-Authorization: " lines of the
  // next request (empty: no line).
  std::string Authorization(const HttpCredentials& server) const;
  std::string ProxyAuthorization(const HttpCredentials& proxy) const;
  // An NTLM negotiation goes out: a POST or PUT sends no body with it.
  bool Negotiating() const { return AuthNTLMState == 1 || ProxyAuthNTLMState == 1; }

 private:
  struct Side {
    int& ntlm;
    int& basic;
    std::string& message3;
    const char* name;  // "" for the server, "Proxy " for the proxy
  };
  void TraceSummary(int statusCode);
  // Result: whether the scheme took the response; resend tells whether a
  // new request follows.
  bool AnswerNtlm(Side side, const HttpAuthResponse& response, const HttpCredentials& credentials,
                  const std::function<std::string()>& localHost, std::string& connection, bool& resend);
  bool AnswerBasic(Side side, const HttpAuthResponse& response, const HttpCredentials& credentials,
                   bool& resend);

  std::string serverMessage3_;
  std::string proxyMessage3_;
};

}  // namespace sv::net
