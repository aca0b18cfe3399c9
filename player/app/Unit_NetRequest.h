#pragma once
// One blocking GET for the CD lookup and the version check: limited in time
// and size, through the configured proxy, and stopped when the program
// closes while it runs.
#include <cstdint>
#include <string>

#include "player/Settings.h"

namespace player {

struct NetLimits {
  unsigned IdleMs = 30000;                  // server silent this long: failed
  unsigned TotalMs = 120000;                // whole request
  std::int64_t MaxBodyBytes = 1024 * 1024;  // a longer body: failed
};

struct NetReply {
  bool Ok = false;     // a status below 400 and the whole body
  std::string Reason;  // why it failed, else the status's reason text
  std::string Body;
};

// Serves the thread's messages while it waits. The proxy is used only when
// it is enabled with an address; its credentials only then.
NetReply HttpGet(const std::string& url, const ProxySettings& proxy, const NetLimits& limits);

// Ends the requests running on this thread; each returns as failed.
void AbortNetRequests();

}  // namespace player
