#pragma once
// Relocation rules of the HTTP client: when a Location is followed, where it
// leads, whether the credentials may go along, and how many steps a call may
// take. Refusals come back as nullopt or false; the request then ends with
// the response it has.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/core/HttpRequestBuilder.h"
#include "net/core/HttpResponseReader.h"

namespace sv::net {

// Only a 3xx reply relocates, never a PUT (which only records the value),
// and only with FollowRelocation.
bool ShouldFollowLocation(int statusCode, HttpMethod method, bool followRelocation);

struct Relocation {
  HttpTarget target;     // the next request
  std::string location;  // the absolute URL it names
  // Host, port and protocol of the connection stay: the request may go out
  // on the kept connection.
  bool sameConnection = false;
  // The server changed: the credentials were dropped (unless the value
  // carried its own) and the server authentication must start over.
  bool credentialsCleared = false;
};

// Works out the target of a Location value against the current one: "/x"
// keeps the host, a relative value is taken against the current path's
// base, "http://" or "https://" (any case) starts an absolute URL. Through a
// proxy the connection stays with the proxy and the path stays absolute.
// A fragment is dropped. nullopt for an empty value, control bytes, a
// missing host or a port that does not parse (above 65535 included).
std::optional<Relocation> ResolveLocation(const HttpTarget& current, std::string_view value);

// Counts the relocation and authentication restarts of one call.
class RelocationLimiter {
 public:
  // However many steps a handler allows, no call restarts more often.
  static constexpr int kMaxRestarts = 20;

  int LocationChangeMaxCount = 5;
  // Asked with the count once it is above LocationChangeMaxCount; returning
  // true allows one more step.
  std::function<bool(int count)> OnLocationChangeExceeded;

  // One relocation step; false when it must not be taken.
  bool CountRelocation();
  // One authentication restart; false when the call has restarted enough.
  bool CountRestart();
  int LocationChangeCurCount() const { return count_; }
  void Reset() { count_ = restarts_ = 0; }

 private:
  int count_ = 0;
  int restarts_ = 0;
};

}  // namespace sv::net
