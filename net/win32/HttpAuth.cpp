#include "net/win32/HttpAuth.h"

#include "net/core/NetAuthSchemes.h"
#include "net/core/NetNtlmMsgs.h"

namespace sv::net {

void HttpAuthenticator::Reset() {
  AuthNTLMState = ProxyAuthNTLMState = AuthBasicState = ProxyAuthBasicState = 0;
  serverMessage3_.clear();
  proxyMessage3_.clear();
}

void HttpAuthenticator::ResetServer() {
  AuthNTLMState = AuthBasicState = 0;
  serverMessage3_.clear();
}

void HttpAuthenticator::Update(int statusCode) {
  const bool serverAsks = statusCode == 401;
  const bool proxyAsks = statusCode == 407;
  if (AuthNTLMState == 3 && !serverAsks && !proxyAsks) AuthNTLMState = 4;
  if (AuthNTLMState == 4 && serverAsks) AuthNTLMState = 0;
  if (ProxyAuthNTLMState == 3 && !proxyAsks) ProxyAuthNTLMState = 4;
  if (ProxyAuthNTLMState == 4 && proxyAsks) ProxyAuthNTLMState = 0;
  if (AuthBasicState == 1 && !serverAsks && !proxyAsks) AuthBasicState = 2;
  if (AuthBasicState == 2 && serverAsks) AuthBasicState = 0;
  if (ProxyAuthBasicState == 1 && !proxyAsks) ProxyAuthBasicState = 2;
  if (ProxyAuthBasicState == 2 && proxyAsks) ProxyAuthBasicState = 0;
}

void HttpAuthenticator::TraceSummary(int statusCode) {
  if (!OnTrace) return;
  OnTrace(TLogOption::loProtSpecDump, "PrepareNTLMAuth end, FStatusCode = " + std::to_string(statusCode) +
                                          " FProxyAuthNTLMState=" + std::to_string(ProxyAuthNTLMState) +
                                          " FAuthNTLMState=" + std::to_string(AuthNTLMState));
}

bool HttpAuthenticator::AnswerNtlm(Side side, const HttpAuthResponse& response, const HttpCredentials& credentials,
                                   const std::function<std::string()>& localHost, std::string& connection,
                                   bool& resend) {
  if (response.challenges.empty() || side.basic != 0 || !credentials.Usable()) return false;
  const auto challenge = FindChallenge(response.challenges, "NTLM");
  if (!challenge) return false;
  switch (side.ntlm) {
    case 0:
      if (OnTrace) OnTrace(TLogOption::loProtSpecInfo, std::string("Starting ") + side.name + "NTLM authentication");
      side.ntlm = 1;
      side.basic = 0;
      if (response.http10) connection = "Keep-alive";
      resend = true;
      break;
    case 1: {
      // A challenge that does not parse, or an answer that would not fit the
      // message, ends the exchange with the 401 or 407 as it stands.
      const TNTLM_Msg2_Info info = NtlmGetMessage2(NtlmChallengeText(*challenge));
      std::optional<std::string> message3;
      if (info.Valid)
        message3 = NtlmGetMessage3("", localHost(), credentials.user, info.Challenge, credentials.password);
      if (!message3) {
        side.ntlm = 0;
        break;
      }
      side.message3 = *message3;
      side.ntlm = 3;
      resend = true;
      break;
    }
    default:
      // The authenticate message was refused.
      side.ntlm = 0;
      break;
  }
  return true;
}

bool HttpAuthenticator::AnswerBasic(Side side, const HttpAuthResponse& response, const HttpCredentials& credentials,
                                    bool& resend) {
  if (response.challenges.empty() || side.ntlm != 0 || !credentials.Usable()) return false;
  if (!FindChallenge(response.challenges, "Basic")) return false;
  if (side.basic == 0) {
    if (OnTrace) OnTrace(TLogOption::loProtSpecInfo, std::string("Starting ") + side.name + "Basic authentication");
    side.basic = 1;
    side.ntlm = 0;
    resend = true;
  } else {
    // The credentials were refused.
    side.basic = 0;
  }
  return true;
}

bool HttpAuthenticator::Answer(const HttpAuthResponse& response, const HttpCredentials& server,
                               const HttpCredentials& proxy, const HttpAuthOptions& options,
                               const std::function<std::string()>& localHost, std::string& connection,
                               std::string& proxyConnection) {
  const bool forServer = response.statusCode == 401;
  if (!forServer && response.statusCode != 407) return false;
  Side side = forServer ? Side{AuthNTLMState, AuthBasicState, serverMessage3_, ""}
                        : Side{ProxyAuthNTLMState, ProxyAuthBasicState, proxyMessage3_, "Proxy "};
  const HttpCredentials& credentials = forServer ? server : proxy;
  bool resend = false;
  TraceSummary(response.statusCode);
  bool taken = !options.noNTLMAuth &&
               AnswerNtlm(side, response, credentials, localHost, forServer ? connection : proxyConnection, resend);
  TraceSummary(response.statusCode);
  if (!taken && !options.noBasicAuth) AnswerBasic(side, response, credentials, resend);
  if (resend && forServer) {
    // The proxy must see its credentials again on a new connection, and an
    // unfinished proxy exchange cannot go on while the server's runs.
    if (response.closeAfter) {
      if (ProxyAuthNTLMState == 4) ProxyAuthNTLMState = 1;
      else if (ProxyAuthBasicState == 2) ProxyAuthBasicState = 1;
    } else {
      if (ProxyAuthNTLMState < 4) ProxyAuthNTLMState = 0;
      else if (ProxyAuthBasicState < 2) ProxyAuthBasicState = 0;
    }
  }
  return resend;
}

std::string HttpAuthenticator::Authorization(const HttpCredentials& server) const {
  if (ProxyAuthNTLMState == 1) return {};
  if (AuthNTLMState == 1) return "NTLM " + NtlmGetMessage1();
  if (AuthNTLMState == 3) return "NTLM " + serverMessage3_;
  if (AuthBasicState == 1) return BasicCredentials(server.user, server.password);
  return {};
}

std::string HttpAuthenticator::ProxyAuthorization(const HttpCredentials& proxy) const {
  if (ProxyAuthNTLMState == 1) return "NTLM " + NtlmGetMessage1();
  if (ProxyAuthNTLMState == 3) return "NTLM " + proxyMessage3_;
  if (ProxyAuthBasicState == 1) return BasicCredentials(proxy.user, proxy.password);
  return {};
}

}  // namespace sv::net
