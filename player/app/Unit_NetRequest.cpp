#include "player/app/Unit_NetRequest.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "net/win32/HttpClient.h"

namespace player {

namespace {

// Requests on the stack of the GUI thread, innermost last.
std::vector<sv::net::THttpClient*>& Running() {
  static std::vector<sv::net::THttpClient*> running;
  return running;
}

class RunningEntry {
 public:
  explicit RunningEntry(sv::net::THttpClient* client) : client_(client) { Running().push_back(client); }
  ~RunningEntry() { std::erase(Running(), client_); }
  RunningEntry(const RunningEntry&) = delete;
  RunningEntry& operator=(const RunningEntry&) = delete;

 private:
  sv::net::THttpClient* client_;
};

}  // namespace

NetReply HttpGet(const std::string& url, const ProxySettings& proxy, const NetLimits& limits) {
  NetReply reply;
  sv::net::StringByteStream body;
  sv::net::THttpClient client(nullptr);
  client.MultiThreaded = true;
  client.URL = url;
  client.ReceiveStream = &body;
  client.IdleTimeout = limits.IdleMs;
  client.TotalTimeout = limits.TotalMs;
  client.MaxBodySize = limits.MaxBodyBytes;
  if (proxy.Enabled && !proxy.Address.empty()) {
    client.Proxy = proxy.Address;
    if (!proxy.Port.empty()) client.ProxyPort = proxy.Port;
    client.ProxyUsername = proxy.User;
    client.ProxyPassword = proxy.Password;
  }
  RunningEntry entry(&client);
  try {
    client.Get();
    reply.Reason = client.ReasonPhrase();
    reply.Ok = client.StatusCode() >= 200 && client.StatusCode() < 400;
    if (!reply.Ok && reply.Reason.empty()) reply.Reason = "HTTP " + std::to_string(client.StatusCode());
    if (reply.Ok) reply.Body = body.Data();
  } catch (const std::exception& error) {
    reply.Reason = client.ReasonPhrase().empty() ? std::string(error.what()) : client.ReasonPhrase();
  }
  return reply;
}

void AbortNetRequests() {
  // Abort may run handlers that end other requests: work on a copy.
  const std::vector<sv::net::THttpClient*> running = Running();
  for (sv::net::THttpClient* client : running)
    if (std::find(Running().begin(), Running().end(), client) != Running().end()) client->Abort();
}

}  // namespace player
